#include "core/GridLayout.h"

#include <algorithm>
#include <climits>

namespace orbisk {

int FitCells(int clientPixels) { return clientPixels > 0 ? clientPixels / GridCellStep : 0; }

namespace {
int ClampToInt(long long v) { return int(std::clamp<long long>(v, 1, INT_MAX)); }
}

GridCounts ArrangedCounts(long long iconCount, int clientWidth)
{
    const int fit = std::max(1, FitCells(clientWidth));
    if (iconCount <= 0)
        return { 1, 1 };
    if (iconCount < fit)
        return { ClampToInt(iconCount), 1 };
    const long long rows = iconCount / fit + (iconCount % fit != 0 ? 1 : 0);
    return { fit, ClampToInt(rows) };
}

bool GrowsFor(long long iconCount, int fitColumns, int fitRows)
{
    return iconCount <= (long long)std::max(0, fitColumns) * std::max(0, fitRows);
}

GridCounts GrownCounts(GridCounts current, long long iconCount, int fitColumns, int fitRows)
{
    if (!GrowsFor(iconCount, fitColumns, fitRows))
        return current;
    if (current.columns < fitColumns)
        return { ClampToInt(iconCount), current.rows };
    if ((long long)current.rows * current.columns <= iconCount)
        return { current.columns, current.rows + 1 };
    return current;
}

} // namespace orbisk
