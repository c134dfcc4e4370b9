#include "core/ScanView.h"

#include "core/GridLayout.h"

namespace orbisk {

void ScanView::ArrangeGrid(long long iconCount)
{
    const GridCounts now { ColCount(), RowCount() };
    const GridCounts want = ArrangedCounts(iconCount, ClientWidth());
    if (want != now) {
        SetColCount(want.columns);
        SetRowCount(want.rows);
    }
    Repaint();
}

void ScanView::GrowGrid(long long iconCount, int fitColumns, int fitRows)
{
    const GridCounts now { ColCount(), RowCount() };
    const GridCounts want = GrownCounts(now, iconCount, fitColumns, fitRows);
    if (want.columns != now.columns)
        SetColCount(want.columns);
    if (want.rows != now.rows)
        SetRowCount(want.rows);
}

} // namespace orbisk
