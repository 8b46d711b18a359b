// Placement database: sub-rows cut around fixed objects, bins, history, density
// cost and virtual demand.

#include <gtest/gtest.h>

#include <array>
#include <utility>

#include "tests/placement/placement_test_util.h"

namespace {

using namespace placetest;

TEST(PlacementDatabase, TerminalsAndShapesCutRowsIntoSubRows) {
    Design d;  // rows [0,40) at y 0, 10, 20, 30
    d.add(makeCell(5, 10, 10, 0, 1));   // inside row 0: splits it
    d.add(makeCell(40, 10, 0, 10, 1));  // covers row 1
    d.add(makeCell(4, 5, 20, 15, 1));   // touches row 2 only along its bottom edge: nothing
    d.add(makeCell(6, 10, 20, 0, 2));   // NI terminal: cuts nothing
    d.add(makeCell(3, 10, 0, 30, 1));   // covers the left end of row 3
    d.add(makeCell(3, 10, 37, 30, 1));  // and its right end
    Placement p;
    d.build(p);
    EXPECT_EQ(spans(p.rows[0]), (std::vector<std::pair<int, int>>{{0, 10}, {15, 40}}));
    EXPECT_TRUE(p.rows[1].subRows.empty());
    EXPECT_EQ(spans(p.rows[2]), (std::vector<std::pair<int, int>>{{0, 40}}));
    EXPECT_EQ(spans(p.rows[3]), (std::vector<std::pair<int, int>>{{3, 37}}));

    // A blockage over the gap between two sub-rows cuts the right end of one and
    // the left end of the other; with a margin the cut grows on both sides.
    Design e;
    e.add(makeCell(4, 10, 10, 0, 1));
    e.add(makeCell(12, 10, 8, 0, 1));
    e.add(makeCell(2, 10, 30, 10, 1));
    Placement q;
    e.build(q, 1);
    // Margin 1 makes each terminal reach one unit into the neighbouring row, so
    // both rows get both cuts.
    const std::vector<std::pair<int, int>> both{{0, 7}, {21, 29}, {33, 40}};
    EXPECT_EQ(spans(q.rows[0]), both);
    EXPECT_EQ(spans(q.rows[1]), both);
    EXPECT_EQ(spans(q.rows[2]), (std::vector<std::pair<int, int>>{{0, 29}, {33, 40}}));
    EXPECT_EQ(spans(q.rows[3]), (std::vector<std::pair<int, int>>{{0, 40}}));

    // A macro with shapes cuts by its shapes instead of its rectangle.
    Design f;
    placeCell m = makeCell(20, 20, 10, 0, 1);
    m.shapes.push_back({10, 0, 5, 20});   // left leg over rows 0 and 1
    m.shapes.push_back({25, 10, 5, 10});  // right leg over row 1 only
    f.add(m);
    Placement r;
    f.build(r);
    EXPECT_EQ(spans(r.rows[0]), (std::vector<std::pair<int, int>>{{0, 10}, {15, 40}}));
    EXPECT_EQ(spans(r.rows[1]), (std::vector<std::pair<int, int>>{{0, 10}, {15, 25}, {30, 40}}));
}

TEST(PlacementDatabase, BinOverlapsAddUpToEachRectangle) {
    Design d;
    d.add(makeCell(15, 10, 5, 5));    // straddles four bins
    d.add(makeCell(10, 10, 10, 20));  // right edge on a bin boundary: one bin only
    d.add(makeCell(3, 10, 38, 30));   // pokes out of the grid on the right
    Placement p;
    d.build(p);
    // The last: the part inside the grid, clipped.
    for (auto [x, y, area] : {std::array<int, 3>{0, 0, 25}, {1, 0, 50}, {0, 1, 25}, {1, 1, 50}, {1, 2, 100}, {2, 2, 0}, {3, 3, 20}})
        EXPECT_EQ(p.bin(x, y).placedArea, area) << x << "," << y;
    EXPECT_EQ(p.totalBinCap, 4 * 40 * 10);
    EXPECT_EQ(p.rowCap, 4 * 40 * 10);
    for (int x = 0; x < 4; ++x)
        for (int y = 0; y < 4; ++y) EXPECT_EQ(p.bin(x, y).placeableArea, 100);
    // The cell sets hold each movable cell once, in the bin of its corner.
    EXPECT_EQ(p.bin(0, 0).cells.count(0), 1u);
    EXPECT_EQ(p.bin(3, 3).cells.count(2), 1u);

    // Moving a cell out and back in restores every bin.
    p.ripupBin(0);
    EXPECT_EQ(p.bin(0, 0).placedArea + p.bin(1, 0).placedArea + p.bin(0, 1).placedArea + p.bin(1, 1).placedArea, 0);
    EXPECT_TRUE(p.bin(0, 0).cells.empty());
    p.insertBin(0, 20, 0);
    EXPECT_EQ(p.bin(2, 0).placedArea, 100);
    EXPECT_EQ(p.bin(3, 0).placedArea, 50);
    EXPECT_EQ(p.bin(2, 0).cells.count(0), 1u);
}

TEST(PlacementDatabase, PinsAndPositionsOutsideTheGridAreClipped) {
    Design d;
    placeCell c = makeCell(4, 10, -20, 100);  // wholly outside the grid
    c.pins.push_back({0, 0, 1, 2, 3});
    c.pins.push_back({0, 0, 1, 500, -500});
    d.add(c);
    placeCell t = makeCell(4, 4, 100, 100, 2);
    t.pins.push_back({1, 0, 0, 0, 0});
    d.add(t);
    Placement p;
    testing::internal::CaptureStdout();
    d.build(p);
    testing::internal::GetCapturedStdout();
    for (auto [x, y] : {std::pair{0, 3}, {3, 0}, {3, 3}}) EXPECT_EQ(p.bin(x, y).pinCount, 1) << x << "," << y;
    EXPECT_EQ(p.bin(0, 3).cells.count(0), 1u);
}

TEST(PlacementDatabase, BlockedCapacityFreeRatioAndNoCapacityRefused) {
    Design d;
    placeCell m = makeCell(10, 10, 0, 0, 1);  // covers bin (0,0) on both layers
    m.blockedLayers = {0, 1};
    d.add(m);
    placeCell h = makeCell(10, 5, 10, 0, 1);  // half of bin (1,0), layer 1 only
    h.blockedLayers = {1};
    d.add(h);
    Placement p;
    d.build(p);
    EXPECT_DOUBLE_EQ(p.bin(0, 0).freeRatio, 0.0001);
    EXPECT_DOUBLE_EQ(p.bin(1, 0).blockedCapacity, 5.0);
    EXPECT_DOUBLE_EQ(p.bin(1, 0).freeRatio, 0.75);
    EXPECT_EQ(p.bin(0, 0).macroBlockage, 200);

    d.layerCap = {0, 0};  // no routing capacity at all: refused
    Placement none;
    EXPECT_EXIT(d.build(none), testing::ExitedWithCode(1), "no capacity");
}

TEST(PlacementDatabase, HistoryCountsEveryOverCapacityUpdate) {
    Design d(2, 1);  // one row [0, 20) x [0, 10): each bin offers 100
    d.add(makeCell(10, 10, 0, 0));
    d.add(makeCell(10, 10, 0, 0));
    d.add(makeCell(5, 10, 0, 0));
    Placement p;
    d.build(p);
    EXPECT_EQ(p.showPlaceInfo(), 1);
    EXPECT_EQ(p.updateHistory(), 1);
    EXPECT_EQ(p.bin(0, 0).history, 1);
    p.countHistory = true;
    p.ripupBin(2);  // leaves the bin still over capacity: one more history
    EXPECT_EQ(p.bin(0, 0).history, 2);
    p.insertBin(2, 10, 0);
    EXPECT_EQ(p.bin(1, 0).history, 0);
    p.resetHistory();
    EXPECT_EQ(p.bin(0, 0).history, 0);
}

TEST(PlacementDatabase, DensityCostAndVirtualDemand) {
    Design d(3, 2);
    placeCell c = makeCell(5, 5, 0, 0);
    for (int i = 0; i < 3; ++i) c.pins.push_back({0, 0, 1, 0, 0});
    d.add(c);
    placeCell m = makeCell(10, 10, 20, 10, 1);
    m.blockedLayers = {0, 1};
    m.pins.push_back({1, 0, 1, 0, 0});
    d.add(m);
    d.rows.pop_back();  // no row in bin row 1
    Placement p;
    d.build(p);
    EXPECT_FLOAT_EQ(p.binDesCost(0, 1, 0), 10000.0f);  // no placeable area
    // Bin (1,0): empty, placeable 100: (1/101 - 0.95) * 0.01.
    EXPECT_NEAR(p.binDesCost(1, 0, 0), -0.00940099, 1e-8);
    EXPECT_LT(p.binDesCost(1, 0, 0), 0.0f);
    EXPECT_GT(p.binDesCost(1, 0, 100), 0.0f);

    p.virtualDemandScale = 0.5;
    p.initVirtualDem();
    ASSERT_EQ(p.virtualDemandH.size(), 6u);
    EXPECT_EQ(p.vdH(0, 0), 2);  // ceil((3 + 0) * 0.5)
    EXPECT_EQ(p.vdV(0, 0), 2);
    EXPECT_EQ(p.vdH(1, 1), 5000);  // the blocked bin's pin weighs 10000
    EXPECT_EQ(p.vdH(2, 0), 0);     // no edge right of the last column
    EXPECT_EQ(p.vdV(2, 1), 0);     // no edge above the last row
    p.virtualDemandScale = 0.0;
    p.initVirtualDem();
    for (int v : p.virtualDemandH) EXPECT_EQ(v, 0);
}

}  // namespace
