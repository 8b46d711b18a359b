// Coordinates near the ends of int and areas beyond it: the placement database
// and the legalizer work them out in 64 bits (the sanitizer build checks that no
// int sum, difference or product overflows on the way).

#include <gtest/gtest.h>

#include <climits>
#include <vector>

#include "tests/placement/placement_test_util.h"

namespace {

using namespace placetest;

TEST(WideValues, RowsAndCellsNearTheEndsOfIntAreCutBinnedAndLegalized) {
    const struct {
        const char* what;
        int originX, binW, binH, X;
        int rowX, rowSites, rowH;
        placeCell terminal;   // with one shape as wide as itself
        placeCell movable;
        int legX;             // where the movable cell ends up
        std::vector<std::pair<int, int>> spans;
    } cases[] = {
        {"a shape reaching past INT_MAX cuts the row end", 2147482000, 500, 10, 3, 2147482000, 1647, 10,
         makeCell(1000, 10, 2147483000, 0, 1), makeCell(100, 10, 2147482950, 0), 2147482900,
         {{2147482000, 2147483000}}},
        {"a row ending at INT_MAX, bins from a negative origin", -1000, 1000000000, 10, 3, 2147483000, 647, 10,
         makeCell(10, 10, 2147483000, 0, 1), makeCell(100, 10, 2147483600, 0), 2147483547,
         {{2147483010, INT_MAX}}},
        {"a cell of 100000 x 100000 in bins of that size", 0, 100000, 100000, 3, 0, 300000, 100000,
         makeCell(1, 100000, 299999, 0, 1), makeCell(100000, 100000, 150000, 0), 150000, {{0, 299999}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<placeCell> cells{c.terminal, c.movable};
        cells[0].shapes.push_back({c.terminal.xlow, c.terminal.ylow, c.terminal.width, c.terminal.height});
        for (int i = 0; i < 2; ++i) cells[i].index = cells[i].id = i;
        std::vector<Row> rows = stackedRows(1, c.rowH, c.rowSites);
        rows[0].x = c.rowX;
        std::vector<int> layerCap{10, 10};
        Placement p;
        testing::internal::CaptureStdout();
        p.initial(cells, rows, layerCap, c.X, 1, 2, c.originX, 0, c.binW, c.binH, 1.0, 0);
        std::string out = testing::internal::GetCapturedStdout();
        EXPECT_EQ(spans(p.rows[0]), c.spans);
        const long long area = static_cast<long long>(c.movable.width) * c.movable.height;
        long long placed = 0;
        for (const Bin& b : p.bins) placed += b.placedArea;
        EXPECT_EQ(placed, area);
        const int home = p.binCol(c.movable.xlow);
        EXPECT_GT(p.binDesCost(home, 0, area), p.binDesCost(home, 0, 0));
        testing::internal::CaptureStdout();
        p.legalizeAllCell();
        out += testing::internal::GetCapturedStdout();
        EXPECT_EQ(out.find("ERROR"), std::string::npos) << out;
        EXPECT_EQ(p.cells[1].legX, c.legX);
        EXPECT_EQ(p.cells[1].legY, 0);
    }
}

}  // namespace
