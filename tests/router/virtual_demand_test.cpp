// Pin-density virtual demand from the pin count per G-cell.

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "router/core/GlobalRouter.h"

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

TEST(VirtualDemand, TotalsFollowTheEdgesAroundEachCellAndTheFactor) {
    // One pin cell on a 3 by 3 grid: a corner has 2 edges, a border cell 3, an
    // inner cell 4; factor 0 or a grid without pins leaves every table zero.
    struct Case {
        int px, py, pins;
        double factor;
        int total;
    } cases[] = {{0, 0, 1, 1.0, 2}, {1, 0, 1, 1.0, 3}, {1, 1, 1, 1.0, 4}, {1, 1, 50, 0.0, 0}, {1, 1, 0, 7.5, 0}};
    for (const Case& c : cases) {
        auto r = makeRouter(3, 3);
        auto pins = pinGrid(3, 3);
        pins[c.px][c.py] = c.pins;
        r->initialVirtualDem(pins, c.factor);
        EXPECT_EQ(sum(r->placement.virtualDemandH) + sum(r->placement.virtualDemandV), c.total)
            << c.px << "," << c.py << " factor " << c.factor;
        EXPECT_EQ(r->placement.virtualDemandScale, c.factor);
        // The entries that stand for no edge stay 0.
        for (int y = 0; y < 3; ++y) EXPECT_EQ(r->placement.virtualDemandH[r->xyIdx(2, y)], 0);
        for (int x = 0; x < 3; ++x) EXPECT_EQ(r->placement.virtualDemandV[r->xyIdx(x, 2)], 0);
    }
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
