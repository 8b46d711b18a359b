// Pin-density virtual demand from the pin count per G-cell.

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "router/GlobalRouter.h"

namespace {

std::unique_ptr<GlobalRouter> makeRouter(int X, int Y) {
    std::vector<int> pitch{1};
    return std::make_unique<GlobalRouter>(X, Y, 1, 4, 4, std::vector<int>{4}, std::vector<int>{4}, pitch);
}

std::vector<std::vector<int>> pinGrid(int X, int Y) { return std::vector<std::vector<int>>(X, std::vector<int>(Y, 0)); }

int sum(const std::vector<int>& v) {
    int s = 0;
    for (int e : v) s += e;
    return s;
}

}  // namespace

TEST(VirtualDemand, ZeroFactorLeavesTablesZero) {
    auto r = makeRouter(3, 3);
    auto pins = pinGrid(3, 3);
    pins[1][1] = 50;
    r->initialVirtualDem(pins, 0.0);
    EXPECT_EQ(sum(r->placement.virtualDemandH), 0);
    EXPECT_EQ(sum(r->placement.virtualDemandV), 0);
    EXPECT_EQ(r->placement.virtualDemandScale, 0.0);
}

TEST(VirtualDemand, EdgesSumTheirTwoEndCells) {
    auto r = makeRouter(4, 3);
    auto pins = pinGrid(4, 3);
    pins[1][1] = 3;  // ceil(1.5) = 2 on each of its four edges
    pins[2][1] = 1;  // ceil(0.5) = 1
    r->initialVirtualDem(pins, 0.5);
    EXPECT_EQ(r->placement.virtualDemandScale, 0.5);
    EXPECT_EQ(r->virtualDemand(1, 1, 1), 3);  // between the two
    EXPECT_EQ(r->virtualDemand(1, 0, 1), 2);
    EXPECT_EQ(r->virtualDemand(1, 2, 1), 1);
    EXPECT_EQ(r->virtualDemand(0, 1, 1), 2);
    EXPECT_EQ(r->virtualDemand(0, 1, 0), 2);
    EXPECT_EQ(r->virtualDemand(0, 2, 0), 1);
    EXPECT_EQ(r->virtualDemand(0, 2, 1), 1);
    EXPECT_EQ(r->virtualDemand(0, 0, 0), 0);
    EXPECT_EQ(sum(r->placement.virtualDemandH), 3 + 2 + 1);
    EXPECT_EQ(sum(r->placement.virtualDemandV), 2 + 2 + 1 + 1);
}

TEST(VirtualDemand, CornerEdgeAndInnerCells) {
    auto r = makeRouter(3, 3);
    auto pins = pinGrid(3, 3);
    pins[0][0] = 1;  // corner: 2 edges
    r->initialVirtualDem(pins, 1.0);
    EXPECT_EQ(sum(r->placement.virtualDemandH) + sum(r->placement.virtualDemandV), 2);

    auto r2 = makeRouter(3, 3);
    pins = pinGrid(3, 3);
    pins[1][0] = 1;  // border: 3 edges
    r2->initialVirtualDem(pins, 1.0);
    EXPECT_EQ(sum(r2->placement.virtualDemandH) + sum(r2->placement.virtualDemandV), 3);

    auto r3 = makeRouter(3, 3);
    pins = pinGrid(3, 3);
    pins[1][1] = 1;  // inner: 4 edges
    r3->initialVirtualDem(pins, 1.0);
    EXPECT_EQ(sum(r3->placement.virtualDemandH) + sum(r3->placement.virtualDemandV), 4);
    // The entries that stand for no edge stay 0.
    for (int y = 0; y < 3; ++y) EXPECT_EQ(r3->placement.virtualDemandH[r3->xyIdx(2, y)], 0);
    for (int x = 0; x < 3; ++x) EXPECT_EQ(r3->placement.virtualDemandV[r3->xyIdx(x, 2)], 0);
}

TEST(VirtualDemand, OneWideAndOneHighGrids) {
    auto r = makeRouter(1, 4);
    auto pins = pinGrid(1, 4);
    for (int& p : pins[0]) p = 2;
    r->initialVirtualDem(pins, 1.0);
    EXPECT_EQ(sum(r->placement.virtualDemandH), 0);
    EXPECT_EQ(r->virtualDemand(0, 0, 0), 4);
    EXPECT_EQ(r->virtualDemand(0, 0, 3), 0);

    auto r2 = makeRouter(4, 1);
    pins = pinGrid(4, 1);
    for (auto& col : pins) col[0] = 2;
    r2->initialVirtualDem(pins, 1.0);
    EXPECT_EQ(sum(r2->placement.virtualDemandV), 0);
    EXPECT_EQ(r2->virtualDemand(1, 2, 0), 4);
}

TEST(VirtualDemand, CellWithoutPinsAddsNothing) {
    auto r = makeRouter(2, 2);
    auto pins = pinGrid(2, 2);
    r->initialVirtualDem(pins, 7.5);
    EXPECT_EQ(sum(r->placement.virtualDemandH) + sum(r->placement.virtualDemandV), 0);
    EXPECT_EQ(r->placement.virtualDemandScale, 7.5);
}
