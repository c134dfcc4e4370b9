#pragma once

#include <QString>

#include <functional>
#include <optional>

class QAccessibleEvent;

namespace orbisk {

class TDrawGrid;
struct TGridRect;

// What a grid's cells show, for screen readers: the grid's owner tells, the
// grid itself knows nothing of it. Each is asked for one cell, by column and
// row, only when an assistive tool asks; none is needed.
struct TGridCellText {
    // The cell's name; empty for a cell that shows nothing.
    std::function<QString(int col, int row)> Name;
    // A longer text about what the cell shows (its tooltip).
    std::function<QString(int col, int row)> Description;
    // Whether the cell is checked (the icon it shows is marked); nullopt for a
    // cell that shows nothing, which is then not checkable.
    std::function<std::optional<bool>(int col, int row)> Checked;
};

// Makes grid an accessible table whose cells are named as cells tells; it
// can be called once per grid. Assistive tools (AT-SPI) then see one cell
// object per cell, in rows and columns as the grid shows them. The cell
// objects are made only when asked for, and all of them are dropped when the
// column or row count changes (a model reset); the current cell is reported
// as focused whenever it moves while the grid has the focus.
void SetGridCellText(TDrawGrid& grid, TGridCellText cells);

// Tells assistive tools that the checked state of the cells in block may
// have changed. Costs nothing while no assistive tool listens.
void GridCellsChecked(TDrawGrid& grid, const TGridRect& block);

// Where the grids' events go instead of to Qt, which passes them on only to a
// running platform bridge (tests and benchmarks have none); an empty hook
// puts Qt back.
using GridAccessibleEventHook = std::function<void(QAccessibleEvent& event)>;
void SetGridAccessibleEventHook(GridAccessibleEventHook hook);

} // namespace orbisk
