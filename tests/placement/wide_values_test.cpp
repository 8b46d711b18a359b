// Rows, shapes and cells at the end of the int range: cut, binned and legalized
// in 64-bit arithmetic (the sanitizer build checks that no int overflows).

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "tests/placement/placement_test_util.h"

namespace {

using namespace placetest;

TEST(WideValues, RowsAndCellsAtTheEndOfTheIntRange) {
    const struct {
        int originX, binW, rowX, rowSites;
        placeCell terminal, movable;  // the terminal cuts by one shape as large as itself
        int legX;
        std::pair<int, int> span;
    } cases[] = {
        // A shape reaching past INT_MAX cuts the row's end.
        {2147482000, 500, 2147482000, 1647, makeCell(1000, 10, 2147483000, 0, 1), makeCell(100, 10, 2147482950, 0),
         2147482900, {2147482000, 2147483000}},
        // A row ending at INT_MAX, bins counted from a negative origin.
        {-1000, 1000000000, 2147483000, 647, makeCell(10, 10, 2147483000, 0, 1), makeCell(100, 10, 2147483600, 0),
         2147483547, {2147483010, INT_MAX}},
    };
    for (const auto& c : cases) {
        std::vector<placeCell> cells{c.terminal, c.movable};
        cells[0].shapes.push_back({c.terminal.xlow, 0, c.terminal.width, 10});
        cells[1].index = cells[1].id = 1;
        std::vector<Row> rows = stackedRows(1, 10, c.rowSites);
        rows[0].x = c.rowX;
        std::vector<int> layerCap{10, 10};
        Placement p;
        testing::internal::CaptureStdout();
        p.initial(cells, rows, layerCap, 3, 1, 2, c.originX, 0, c.binW, 10, 1.0, 0);
        p.legalizeAllCell();
        const std::string out = testing::internal::GetCapturedStdout();
        EXPECT_EQ(out.find("ERROR"), std::string::npos) << out;
        EXPECT_EQ(spans(p.rows[0]), (std::vector<std::pair<int, int>>{c.span}));
        EXPECT_EQ(p.cells[1].legX, c.legX);
        EXPECT_EQ(p.bin(0, 0).placedArea + p.bin(1, 0).placedArea + p.bin(2, 0).placedArea, 1000);
    }
}

}  // namespace

// Ten cells of 10^9 x 10^9 on ten rows of that size, all on one spot: the sums
// over cells and rows pass 64 bits, every bin holds exactly as much cell area
// as row area, and no bin counts as over capacity.
TEST(WideValues, AreaSumsBeyondSixtyFourBitsStayExact) {
    Design d(10, 10);
    d.bw = d.bh = 100000000;
    Row row;
    row.numSites = row.height = 1000000000;
    row.siteWidth = row.siteSpacing = 1;
    d.rows.assign(10, row);
    for (int i = 0; i < 10; ++i) d.add(makeCell(1000000000, 1000000000, 0, 0));
    Placement p;
    testing::internal::CaptureStdout();
    d.build(p);
    const std::string out = testing::internal::GetCapturedStdout();
    const std::string sum = "10000000000000000000";
    EXPECT_NE(out.find("rowCap=" + sum + "  subRowCap=" + sum + "  totalBinCap=" + sum + "\n"), std::string::npos) << out;
    EXPECT_NE(out.find("cellArea=" + sum + "  totalBinDem=" + sum + "\n"), std::string::npos) << out;
    EXPECT_EQ(p.bin(9, 9).placedArea, p.bin(9, 9).placeableArea);
    EXPECT_EQ(p.showPlaceInfo(), 0);
}
