#include "core/GridLayout.h"
#include "ScanTestSupport.h"

#include <gtest/gtest.h>

using namespace orbisk;

TEST(GridLayout, ArrangedCounts)
{
    struct Case {
        long long icons;
        int width;
        GridCounts want;
    };
    const Case cases[] = {
        { 0, 400, { 1, 1 } },
        { 5, 100, { 2, 3 } },
        { 7, 400, { 7, 1 } },
        { 10, 400, { 10, 1 } },
        { 11, 400, { 10, 2 } },
        { 20, 400, { 10, 2 } },
        { 21, 400, { 10, 3 } },
        { 4, 30, { 1, 4 } }, // narrower than a cell: still one column
        { 3, -5, { 1, 3 } },
    };
    for (const Case& c : cases)
        EXPECT_EQ(ArrangedCounts(c.icons, c.width), c.want) << c.icons << " icons, width " << c.width;
}

TEST(GridLayout, GrowthWhileScanningStopsAtTheVisibleCells)
{
    // 10 columns and 3 rows fit.
    GridCounts g;
    std::vector<GridCounts> after(41);
    for (int n = 1; n <= 40; ++n)
        after[std::size_t(n)] = g = GrownCounts(g, n, 10, 3);
    EXPECT_EQ(after[9], (GridCounts { 9, 1 }));
    EXPECT_EQ(after[10], (GridCounts { 10, 1 }));
    EXPECT_EQ(after[11], (GridCounts { 10, 2 }));
    EXPECT_EQ(after[20], (GridCounts { 10, 3 }));
    EXPECT_EQ(after[30], (GridCounts { 10, 4 }));
    EXPECT_EQ(after[40], (GridCounts { 10, 4 }));
    EXPECT_FALSE(GrowsFor(31, 10, 3));
    // Nothing fits: the grid waits for the final arrangement.
    EXPECT_EQ(GrownCounts({ 1, 1 }, 1, 0, 3), (GridCounts { 1, 1 }));
    EXPECT_EQ(FitCells(36), 0);
    EXPECT_EQ(FitCells(37), 1);
}

TEST(GridLayout, ViewArrangesColumnsFirstOnlyOnChangeAndAlwaysRepaints)
{
    test::RecordingView view;
    view.width = 100;
    view.ArrangeGrid(5);
    EXPECT_EQ(view.log, (std::vector<std::string> { "cols:2", "rows:3", "repaint" }));
    view.log.clear();
    view.ArrangeGrid(6);
    EXPECT_EQ(view.log, (std::vector<std::string> { "repaint" }));
}
