#!/usr/bin/env python3
"""Reads Orbisk's icon grid over AT-SPI as a screen reader does, and marks
icons with the keyboard.

The program (process PID) has scanned FILE, which holds COUNT icons. Over the
accessibility bus this finds the grid, a table named "Icons", and checks that
its first COUNT cells are named "<file name> #<n>" with the sizes of the
icon's group as description, and that a cell after them, if the grid shows
one, is empty and not checked (Qt 6.4's bridge passes no checkable state on); that every toolbar button has a name. Then, with the keyboard
(xdotool): a click makes cell 1 current, Space marks it (its cell becomes
checked), Shift+Right twice and Shift+Space mark cells 1 to 3, and the cells
report the checked, selected and focused states that go with it.

usage: atspi-grid.py PID FILE_NAME COUNT [--dump OUT.txt]
Exit status 0 when every check passed, 1 otherwise (with the reason).
"""

import subprocess
import sys
import time

import pyatspi


def fail(message):
    print(f"e2e (AT-SPI): FAILED: {message}")
    sys.exit(1)


def wait_for(what, check, seconds=10.0):
    deadline = time.monotonic() + seconds
    while True:
        try:
            value = check()
        except Exception:  # the tree changes under the reader while it moves
            value = None
        if value:
            return value
        if time.monotonic() > deadline:
            fail(f"timed out waiting for {what}")
        time.sleep(0.1)


def application(pid):
    desktop = pyatspi.Registry.getDesktop(0)
    for app in desktop:
        if app is not None and app.get_process_id() == pid:
            return app
    return None


def find(root, predicate, limit=4000):
    """Breadth-first, without going into tables (a grid may hold 10^6 cells)."""
    queue, seen = [root], 0
    while queue and seen < limit:
        node = queue.pop(0)
        seen += 1
        if node is None:
            continue
        if predicate(node):
            return node
        if node.getRole() != pyatspi.ROLE_TABLE:
            queue.extend(node[i] for i in range(node.childCount))
    return None


def find_all(root, predicate):
    found, queue = [], [root]
    while queue:
        node = queue.pop(0)
        if node is None:
            continue
        if predicate(node):
            found.append(node)
        if node.getRole() != pyatspi.ROLE_TABLE:
            queue.extend(node[i] for i in range(node.childCount))
    return found


def states(node):
    return node.getState()


def cell(table, index):
    t = table.queryTable()
    return t.getAccessibleAt(index // t.nColumns, index % t.nColumns)


def describe(node):
    s = states(node)
    names = [pyatspi.stateToString(x) for x in s.getStates()]
    return f"[{node.getRoleName()}] name={node.name!r} description={node.description!r} states={' '.join(names)}"


def dump(root, out, depth=0, max_children=40):
    out.write("  " * depth + describe(root) + "\n")
    count = root.childCount
    if root.getRole() == pyatspi.ROLE_TABLE:
        t = root.queryTable()
        out.write("  " * (depth + 1) + f"(table: {t.nRows} rows x {t.nColumns} columns, {count} cells)\n")
    for i in range(min(count, max_children)):
        child = root[i]
        if child is not None:
            dump(child, out, depth + 1, max_children)
    if count > max_children:
        out.write("  " * (depth + 1) + f"... {count - max_children} more\n")


def key(*keys):
    subprocess.run(["xdotool", "key", "--delay", "60", *keys], check=True)


def main():
    args = sys.argv[1:]
    dump_to = None
    if "--dump" in args:
        i = args.index("--dump")
        dump_to = args[i + 1]
        del args[i:i + 2]
    if len(args) != 3:
        print(__doc__.strip().splitlines()[-2])
        return 2
    pid, file_name, count = int(args[0]), args[1], int(args[2])

    app = wait_for("the program on the accessibility bus", lambda: application(pid))
    grid = wait_for("the icon grid", lambda: find(app, lambda n: n.getRole() == pyatspi.ROLE_TABLE
                                                   and n.name == "Icons"))
    names = [f"{file_name} #{n}" for n in range(count)]
    wait_for("the scanned icons' cells",
             lambda: [cell(grid, n).name for n in range(count)] == names)
    table = grid.queryTable()
    if table.nRows * table.nColumns > count:
        empty = cell(grid, count)
        if empty.name or states(empty).contains(pyatspi.STATE_CHECKED):
            fail(f"the cell after the icons is not an empty one: {describe(empty)}")
    for n in range(count):
        c = cell(grid, n)
        if not c.description.split("\n")[0].endswith(" px"):
            fail(f"cell {n} lacks its sizes: {describe(c)}")

    # Push buttons, the view buttons (check boxes) and the buttons that open
    # a toolbar's overflow, hidden while everything fits.
    buttons = find_all(app, lambda n: n.parent is not None and n.parent.getRole() == pyatspi.ROLE_TOOL_BAR
                       and n.getRole() in (pyatspi.ROLE_PUSH_BUTTON, pyatspi.ROLE_CHECK_BOX,
                                           pyatspi.ROLE_TOGGLE_BUTTON))
    unnamed = [describe(b) for b in buttons if not b.name]
    if len(buttons) < 16 or unnamed:
        fail(f"{len(buttons)} toolbar buttons, unnamed: {unnamed}")

    # A click makes cell 1 current and gives the grid the focus; from there
    # on only keys.
    extents = cell(grid, 1).queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
    subprocess.run(["xdotool", "mousemove", str(extents.x + extents.width // 2),
                    str(extents.y + extents.height // 2), "click", "1"], check=True)
    wait_for("cell 1 focused", lambda: states(cell(grid, 1)).contains(pyatspi.STATE_FOCUSED))
    key("space")
    wait_for("cell 1 checked after Space", lambda: states(cell(grid, 1)).contains(pyatspi.STATE_CHECKED))
    key("shift+Right", "shift+Right")
    wait_for("cell 3 focused", lambda: states(cell(grid, 3)).contains(pyatspi.STATE_FOCUSED))
    if states(cell(grid, 1)).contains(pyatspi.STATE_FOCUSED):
        fail("cell 1 still focused")
    key("shift+space")
    wait_for("cells 1 to 3 checked after Shift+Space",
             lambda: all(states(cell(grid, n)).contains(pyatspi.STATE_CHECKED) for n in (1, 2, 3)))
    for n in range(count):
        s = states(cell(grid, n))
        if s.contains(pyatspi.STATE_CHECKED) != (1 <= n <= 3) or s.contains(pyatspi.STATE_SELECTED) != (1 <= n <= 3):
            fail(f"cell {n} checked or selected wrongly: {describe(cell(grid, n))}")

    if dump_to:
        with open(dump_to, "w", encoding="utf-8") as out:
            frame = find(app, lambda n: n.getRole() == pyatspi.ROLE_FRAME)
            dump(frame or app, out)
    return 0


if __name__ == "__main__":
    sys.exit(main())
