#!/usr/bin/env bash
# Orbisk end to end: starts the real program on a virtual X server with a
# settings file whose start folder holds generated icon files, and uses it as
# a person would, by its menus and keys:
#   Action > Start loading, Action > Select all,
#   Action > Delete selected icons, answered Yes,
#   Settings: "Scan subfolders" ticked, "256 colors" chosen, OK,
#   Action > Exit.
# Then it checks what the program left behind: it ended by itself with exit
# code 0, and orbisk.ini holds the 13 keys with the start folder and the list
# mode it was given and the options chosen (WithSub=1, SaveColors=256).
#
# Then it starts the program again, on one icon file, with Qt's GTK platform
# theme (QT_QPA_PLATFORMTHEME=gtk3), so that Save icon opens GTK's own file
# dialog, as a GNOME user meets it. With x.ico already in the dialog's folder,
# `x` is typed in its name field and confirmed: the program must ask
# "x.ico already exists. Do you want to replace it?" (GTK asked about `x`
# only); No must leave x.ico byte for byte, and a second save answered Yes
# must replace it with an icon file. When the GTK theme cannot be loaded
# (qt6-gtk-platformtheme missing) this part is skipped with a message.
#
# With --expect-icons the scan must also have found the icons: before they
# are deleted, Select all and Save selected icons into a new folder typed in
# the folder browser (its creation confirmed) must leave icon1.ico ...
# icon10.ico there, one valid icon file for each icon of the generated folder;
# the question "Delete selected icons ?" is asked only when marked icons exist,
# and Yes must have removed them (a second Delete selected icons asks
# nothing).
#
# Last, the icon grid as a screen reader reads it: the program runs on a
# session bus of its own (dbus-run-session) with Qt's AT-SPI bridge always on
# (QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1) and scans tools.dll alone;
# atspi-grid.py finds the grid as a table over AT-SPI (pyatspi), checks its
# cells' names, descriptions and states and every toolbar button's name, and
# marks icons 1 to 3 with Space and Shift+Space; Save selected icons must then
# leave icon1.ico ... icon3.ico, and no fourth. Without dbus-run-session or
# python3-pyatspi this part is skipped with a message. With ORBISK_ATSPI_DUMP
# set, the AT-SPI tree of the window is written to that file.
#
# usage: run-e2e.sh [--expect-icons] ORBISK ICON_MAKER
# Exit codes: 0 passed, 1 failed, 77 Xvfb or xdotool missing (skipped).
set -euo pipefail

expect_icons=0
if [ "${1:-}" = "--expect-icons" ]; then
  expect_icons=1
  shift
fi
if [ $# -ne 2 ]; then
  echo "usage: $0 [--expect-icons] ORBISK ICON_MAKER" >&2
  exit 2
fi
orbisk=$1
make_icons=$2

for tool in Xvfb xdotool; do
  if ! command -v "$tool" >/dev/null; then
    echo "e2e: $tool is not installed (scripts/setup.sh installs it); skipped"
    exit 77
  fi
done

started=$SECONDS
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d "${TMPDIR:-/tmp}/orbisk-e2e.XXXXXX")
xvfb_pid=""
app_pid=""
bus_holder=""
cleanup() {
  [ -n "$app_pid" ] && kill "$app_pid" 2>/dev/null || true
  [ -n "$bus_holder" ] && kill "$bus_holder" 2>/dev/null || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

fail() {
  echo "e2e: FAILED: $*"
  if [ -s "$work/orbisk.log" ]; then
    echo "--- program output"
    cat "$work/orbisk.log"
  fi
  exit 1
}

# The settings file is looked for beside the program: the program runs from a
# folder of its own so that the run never touches another orbisk.ini.
mkdir -p "$work/bin" "$work/config" "$work/icons" "$work/runtime"
chmod 700 "$work/runtime"
ln "$orbisk" "$work/bin/orbisk" 2>/dev/null || cp "$orbisk" "$work/bin/orbisk"
"$make_icons" "$work/icons" || fail "cannot make the icon files"
ini="$work/bin/orbisk.ini"
cat > "$ini" <<EOF
[Display]
StartInFolder=$work/icons
ListMode=4
[Options]
AutoScan=1
EOF

# A virtual X server on a free display.
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3> "$work/display" 2> "$work/xvfb.log" &
xvfb_pid=$!
for _ in $(seq 100); do
  [ -s "$work/display" ] && break
  sleep 0.1
done
[ -s "$work/display" ] || fail "Xvfb did not start: $(cat "$work/xvfb.log")"
export DISPLAY=":$(head -n 1 "$work/display")"
export QT_QPA_PLATFORM=xcb XDG_CONFIG_HOME="$work/config" XDG_RUNTIME_DIR="$work/runtime"
# In a sanitizer build, leaks of the system libraries are not the program's.
export LSAN_OPTIONS="suppressions=$here/lsan.supp${LSAN_OPTIONS:+:$LSAN_OPTIONS}"

"$work/bin/orbisk" > "$work/orbisk.log" 2>&1 &
app_pid=$!
window=$(timeout 20 xdotool search --sync --onlyvisible --name '^Orbisk v1\.2$' 2>/dev/null | head -n 1) || true
[ -n "$window" ] || fail "the main window did not show"
sleep 0.5

# Opens the Action menu with a click on the menu bar and chooses its n-th
# item with the keyboard.
action_menu() {
  xdotool mousemove --window "$window" 20 10 click 1
  sleep 0.4
  local keys=()
  for _ in $(seq "$1"); do keys+=(Down); done
  xdotool key --delay 40 "${keys[@]}" Return
  sleep 0.4
}

# Picks Action > Exit and waits for the program to end with status 0; $1 is
# added to the failure messages.
exit_and_wait() {
  action_menu 9 # Exit
  for _ in $(seq 100); do
    kill -0 "$app_pid" 2>/dev/null || break
    sleep 0.1
  done
  kill -0 "$app_pid" 2>/dev/null && fail "the program did not end after Exit$1"
  local status=0
  wait "$app_pid" || status=$?
  app_pid=""
  [ "$status" = 0 ] || fail "the program ended with exit code $status$1"
}

# Waits up to the given seconds for a shown window that the xdotool search
# options match; its id, or nothing. It looks again and again rather than
# with --sync: a search ends in an error when a window goes while it runs
# (a dialog closing, GTK's pop-ups), and the error must not end the wait.
shown_window() {
  local deadline=$((SECONDS + $1)) id
  shift
  while :; do
    id=$(xdotool search --onlyvisible "$@" 2>/dev/null | head -n 1 || true)
    if [ -n "$id" ] || [ "$SECONDS" -gt "$deadline" ]; then
      echo "$id"
      return 0
    fi
    sleep 0.1
  done
}

# Waits for a window whose title matches the pattern to show; its id, or
# nothing.
window_named() {
  shown_window "${2:-4}" --name "$1"
}

# Waits until no window whose title matches the pattern shows any more.
gone() {
  timeout "${2:-5}" sh -c "while xdotool search --onlyvisible --name '$1' >/dev/null 2>&1; do sleep 0.1; done"
}

# Save selected icons into a new folder ($1) typed in the folder browser, its
# creation confirmed; the folder must then hold icon1.ico ... icon$2.ico, one
# valid icon file of one image each, and nothing more.
save_selected_into() {
  local saved=$1 count=$2 browser question header n
  action_menu 8 # Save selected icons
  browser=$(window_named '^Select Directory$')
  [ -n "$browser" ] || fail "Save selected icons showed no folder browser"
  xdotool mousemove --window "$browser" 100 34 click 1 # the folder name box
  xdotool key ctrl+a
  xdotool type --delay 10 "$saved"
  xdotool key Return # OK
  question=$(window_named '^Orbisk 1\.2$')
  [ -n "$question" ] || fail "no question before the new folder was made"
  xdotool windowfocus --sync "$question"
  xdotool key Return # Yes, the default button
  # The batch may be over before its progress dialog is ever seen.
  for _ in $(seq 100); do
    [ -e "$saved/icon$count.ico" ] && ! xdotool search --onlyvisible --name '^Saving icons$' >/dev/null 2>&1 &&
      break
    sleep 0.1
  done
  for n in $(seq "$count"); do
    header=$(od -An -tx1 -N6 "$saved/icon$n.ico" 2>/dev/null | tr -d ' \n' || true)
    [ "$header" = 000001000100 ] || fail "icon$n.ico is not an icon file of one image: '$header'"
  done
  [ ! -e "$saved/icon$((count + 1)).ico" ] || fail "more files than marked icons were saved"
}

action_menu 1 # Start loading
sleep 1.5
icon_count=10 # the icons of the folder orbisk-e2e-icons makes
if [ "$expect_icons" = 1 ]; then
  action_menu 5 # Select all
  save_selected_into "$work/saved/new folder" "$icon_count"
fi
action_menu 5 # Select all
action_menu 7 # Delete selected icons
box=$(timeout 4 xdotool search --sync --onlyvisible --name '^Warning !$' 2>/dev/null | head -n 1) || true
if [ -n "$box" ]; then
  xdotool windowfocus --sync "$box"
  xdotool key Return # Yes, the default button
  sleep 0.4
  timeout 5 sh -c "while xdotool search --onlyvisible --name '^Warning !\$' >/dev/null 2>&1; do sleep 0.1; done" ||
    fail "the question did not close"
elif [ "$expect_icons" = 1 ]; then
  fail "no question before deleting: the scan found no icons to mark"
fi
if [ "$expect_icons" = 1 ]; then
  # Yes removed the marked icons: nothing is left to ask about (No would
  # have kept them, and their marks).
  action_menu 7
  if timeout 2 xdotool search --sync --onlyvisible --name '^Warning !$' >/dev/null 2>&1; then
    fail "the marked icons were still there after Yes"
  fi
fi

# Settings, on the menu bar right of Action: the Action menu is opened and
# left with Esc, which leaves the bar taking keys, and Right moves on to it.
xdotool mousemove --window "$window" 20 10 click 1
sleep 0.4
xdotool key --delay 80 Escape Right Return
options=$(window_named '^Options$')
[ -n "$options" ] || fail "Settings showed no options dialog"
xdotool mousemove --window "$options" 30 40 click 1 # Scan subfolders
xdotool mousemove --window "$options" 200 166 click 1 # the colour depth list
sleep 0.4
xdotool key --delay 80 Down Down Return # 256 colors
sleep 0.2
xdotool mousemove --window "$options" 80 258 click 1 # OK
gone '^Options$' || fail "OK did not close the options dialog"

exit_and_wait ""

# Every key written once, with the start folder and the list mode given.
keys=(FormTop FormLeft FormWidth FormHeight Panel1Width Panel5Height StartInFolder ListMode
      WithSub AutoScan FileExt SaveColors SaveFileExt)
[ "$(grep -c '^[A-Za-z0-9]*=' "$ini")" = 13 ] || fail "orbisk.ini does not hold 13 keys: $(cat "$ini")"
for key in "${keys[@]}"; do
  [ "$(grep -c "^$key=" "$ini")" = 1 ] || fail "orbisk.ini lacks $key: $(cat "$ini")"
done
grep -qxF "StartInFolder=$work/icons" "$ini" || fail "the start folder was not kept: $(cat "$ini")"
grep -qx 'ListMode=4' "$ini" || fail "the list mode was not kept: $(cat "$ini")"
grep -qx 'WithSub=1' "$ini" || fail "Scan subfolders was not stored: $(cat "$ini")"
grep -qx 'SaveColors=256' "$ini" || fail "256 colors was not stored: $(cat "$ini")"

# Save icon with GTK's file dialog. The program runs in the folder the dialog
# opens on, with a home, data and cache folders of its own (GTK keeps its
# recent files there); GTK reads its settings from memory and leaves the
# accessibility bus alone, since no session bus runs here.
gtk_started=$SECONDS
saves="$work/save"
mkdir -p "$saves" "$work/home"
head -c 300 /dev/urandom > "$saves/x.ico"
cp "$saves/x.ico" "$work/x.ico.before"
(cd "$saves" && HOME="$work/home" XDG_DATA_HOME="$work/home/data" XDG_CACHE_HOME="$work/home/cache" \
   QT_QPA_PLATFORMTHEME=gtk3 GSETTINGS_BACKEND=memory NO_AT_BRIDGE=1 \
   LSAN_OPTIONS="${LSAN_OPTIONS//lsan.supp/lsan-gtk.supp}" \
   exec "$work/bin/orbisk" "$work/icons/icon1.ico") > "$work/orbisk.log" 2>&1 &
app_pid=$!
window=$(timeout 20 xdotool search --sync --onlyvisible --name '^Orbisk v1\.2$' 2>/dev/null | head -n 1) || true
[ -n "$window" ] || fail "the main window did not show with the GTK theme"
sleep 1.5 # the scan of the one file given

# GTK's windows carry the class "Orbisk" (the program's name), the program's
# own "Orbisk 1.2" (its application name): a file dialog of the class Orbisk
# is GTK's.
gtk_dialog() {
  shown_window 10 --class '^Orbisk$'
}

# Save icon, `x` typed in GTK's name field and confirmed; the program's
# question is left up, its id in $question.
save_as_x() {
  local dialog="" attempt
  for attempt in 1 2; do
    action_menu 3 # Save icon
    dialog=$(gtk_dialog)
    [ -n "$dialog" ] && break
    if ! grep -q 'libgtk-3\.so' "/proc/$app_pid/maps" 2>/dev/null; then
      gtk_skipped="Qt's GTK platform theme did not load (scripts/setup.sh installs qt6-gtk-platformtheme)"
      xdotool key Escape # Qt's own file dialog, shown instead
      return 0
    fi
    # On a slow machine the scan may still have been running: Save icon
    # stopped it before its icon was in the grid, and had nothing to save.
  done
  [ -n "$dialog" ] || fail "Save icon showed no GTK file dialog"
  xdotool windowfocus --sync "$dialog"
  sleep 0.3
  # The name field has the focus, the proposed name selected; GTK may pop up
  # x.ico as a completion, which Return leaves unchosen.
  xdotool key ctrl+a
  xdotool type --delay 20 x
  xdotool key Return
  question=$(window_named '^Orbisk 1\.2$' 10)
  [ -n "$question" ] ||
    fail "no question before x.ico was replaced (x.ico is $(cmp -s "$saves/x.ico" "$work/x.ico.before" && echo unchanged || echo replaced))"
  xdotool windowfocus --sync "$question"
}

gtk_skipped=""
save_as_x
if [ -n "$gtk_skipped" ]; then
  echo "e2e: Save icon with GTK's file dialog skipped: $gtk_skipped"
else
  xdotool key Return # No, the default button
  gone '^Orbisk 1\.2$' || fail "No did not close the question"
  sleep 0.3
  cmp -s "$saves/x.ico" "$work/x.ico.before" || fail "x.ico changed although the question was answered No"
  [ "$(ls -A "$saves")" = x.ico ] || fail "No left other files: $(ls -A "$saves")"

  save_as_x
  xdotool key y # Yes
  gone '^Orbisk 1\.2$' || fail "Yes did not close the question"
  for _ in $(seq 50); do
    [ "$(od -An -tx1 -N6 "$saves/x.ico" | tr -d ' \n')" = 000001000100 ] && break
    sleep 0.1
  done
  [ "$(od -An -tx1 -N6 "$saves/x.ico" | tr -d ' \n')" = 000001000100 ] ||
    fail "Yes did not replace x.ico with an icon file"
  [ "$(ls -A "$saves")" = x.ico ] || fail "Yes left other files: $(ls -A "$saves")"
fi

exit_and_wait " (GTK theme)"
[ -n "$gtk_skipped" ] || echo "e2e: Save icon with GTK's file dialog took $((SECONDS - gtk_started)) s"

# The grid over AT-SPI. The session bus lives as long as the shell that
# dbus-run-session runs, which waits in sleep until it is ended.
# The system's python3 has python3-pyatspi; one earlier in PATH may not.
atspi_skipped=""
atspi_python=""
for python in python3 /usr/bin/python3; do
  if "$python" -c 'import pyatspi' 2>/dev/null; then
    atspi_python=$python
    break
  fi
done
if ! command -v dbus-run-session >/dev/null; then
  atspi_skipped="dbus-run-session is not installed"
elif [ -z "$atspi_python" ]; then
  atspi_skipped="python3-pyatspi is not installed"
fi
if [ -n "$atspi_skipped" ]; then
  echo "e2e: the grid over AT-SPI skipped: $atspi_skipped (scripts/setup.sh installs it)"
else
  atspi_started=$SECONDS
  dbus-run-session -- sh -c 'echo $$ > "$1"; echo "$DBUS_SESSION_BUS_ADDRESS" > "$2.new"; mv "$2.new" "$2"; exec sleep 120' \
    sh "$work/bus-holder" "$work/bus" > "$work/bus.log" 2>&1 &
  bus_session=$!
  for _ in $(seq 50); do
    [ -s "$work/bus" ] && break
    sleep 0.1
  done
  [ -s "$work/bus" ] || fail "dbus-run-session started no bus: $(cat "$work/bus.log")"
  bus_holder=$(cat "$work/bus-holder")
  bus=$(cat "$work/bus")
  DBUS_SESSION_BUS_ADDRESS="$bus" QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 \
    "$work/bin/orbisk" "$work/icons/tools.dll" > "$work/orbisk.log" 2>&1 &
  app_pid=$!
  window=$(timeout 20 xdotool search --sync --onlyvisible --name '^Orbisk v1\.2$' 2>/dev/null | head -n 1) || true
  [ -n "$window" ] || fail "the main window did not show on the accessibility bus"
  DBUS_SESSION_BUS_ADDRESS="$bus" "$atspi_python" "$here/atspi-grid.py" "$app_pid" tools.dll 5 \
    ${ORBISK_ATSPI_DUMP:+--dump "$ORBISK_ATSPI_DUMP"} || fail "the grid over AT-SPI"
  save_selected_into "$work/saved-atspi" 3
  exit_and_wait " (AT-SPI)"
  kill "$bus_holder" 2>/dev/null || true
  bus_holder=""
  wait "$bus_session" 2>/dev/null || true
  echo "e2e: the grid over AT-SPI took $((SECONDS - atspi_started)) s"
fi

echo "e2e: passed in $((SECONDS - started)) s"
