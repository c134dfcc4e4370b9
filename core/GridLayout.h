#pragma once

namespace orbisk {

// The icon grid's layout rules, apart from any widget so that the window's
// grid and the command-line tool share them.

// A cell is a 36-pixel square; a 1-pixel grid line follows each cell, so one
// step from a cell to the next is 37 pixels.
inline constexpr int GridCellPixels = 36;
inline constexpr int GridLinePixels = 1;
inline constexpr int GridCellStep = GridCellPixels + GridLinePixels;

struct GridCounts {
    int columns = 1;
    int rows = 1;
    friend bool operator==(const GridCounts&, const GridCounts&) = default;
};

// Whole cells that fit into a client extent (width or height); no minimum, so
// a grid narrower than one cell gives 0.
int FitCells(int clientPixels);

// The counts ArrangeGrid gives iconCount icons in a grid whose client width is
// clientWidth: as many columns as fit (at least 1, at most iconCount) and the
// rows they need; 1 x 1 for no icons.
GridCounts ArrangedCounts(long long iconCount, int clientWidth);

// The counts after GrowGrid for the icon that made the count iconCount, while a
// scan runs. fitColumns and fitRows were taken once when extraction began;
// past fitColumns * fitRows icons the grid no longer grows.
GridCounts GrownCounts(GridCounts current, long long iconCount, int fitColumns, int fitRows);

// True when GrowGrid may change anything for this icon count (the worker asks
// only for those).
bool GrowsFor(long long iconCount, int fitColumns, int fitRows);

} // namespace orbisk
