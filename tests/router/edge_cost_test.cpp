// Grid set-up and the edge cost model: capacity adjustments, the sigmoid
// table, the 2D and 3D cost formulas at their boundaries, and bounds checks.

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <vector>

#include "router/core/GlobalRouter.h"
#include "tests/common/RouterFixture.h"

namespace {

// Two layers: layer 0 has 3 horizontal tracks, layer 1 has 3 vertical tracks.
std::unique_ptr<GlobalRouter> makeRouter(int X = 4, int Y = 3) {
    std::vector<int> pitch{2, 5};
    auto r = std::make_unique<GlobalRouter>(X, Y, 2, 3, 3, std::vector<int>{3, 0}, std::vector<int>{0, 3}, pitch);
    std::vector<RPoint> adj;
    std::vector<int> cap;
    testing::internal::CaptureStdout();
    r->initial2DGraph(adj, cap);
    testing::internal::GetCapturedStdout();
    return r;
}

float sigmoid(double i, double offset) { return static_cast<float>(1.0 + 150.0 / (1.0 + std::exp(-0.3 * (i - offset)))); }

}  // namespace

TEST(GridSetUp, ConstructorShapesTheGrid) {
    auto r = makeRouter(5, 2);
    EXPECT_EQ(r->graph.usageH.size(), 4u * 2);
    EXPECT_EQ(r->graph.usageV.size(), 5u * 1);
    EXPECT_EQ(r->graph.cells.size(), 5u * 2);  // layer 0 until the 3D set-up
    EXPECT_EQ(r->tableOffset, 3);
    EXPECT_TRUE(r->graph.demand3D.empty());
    EXPECT_TRUE(r->work3DCost1.empty());
    r->initial3Dmalloc();
    EXPECT_EQ(r->graph.cells.size(), 5u * 2 * 2);
    const GridCell& c = r->graph.cell(4, 1, 1);
    EXPECT_EQ(c.x, 4);
    EXPECT_EQ(c.y, 1);
    EXPECT_EQ(c.z, 1);
    EXPECT_EQ(c.node.data, &c);
    EXPECT_EQ(c.key, 2147483648.0f);
}

TEST(GridSetUp, AdjustmentsBecomePermanentUsage) {
    auto r = makeRouter();
    std::vector<RPoint> adj{RPoint(1, 1, 0, 1), RPoint(2, 0, 0, 1), RPoint(0, 1, 1, 0), RPoint(0, 1, 1, 0)};
    std::vector<int> cap{3, 0, 1, 2};
    testing::internal::CaptureStdout();
    r->initial2DGraph(adj, cap);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "adj_size=4\n");
    EXPECT_EQ(r->graph.uH(1, 1), 0);  // value equal to the tracks: nothing lost
    EXPECT_EQ(r->graph.uH(2, 0), 3);  // value 0: every track lost
    EXPECT_EQ(r->graph.uV(0, 1), 2 + 1);
}

TEST(GridSetUp, MismatchedAdjustmentListsReportAndGoOn) {
    auto r = makeRouter();
    std::vector<RPoint> adj{RPoint(0, 0, 0, 1), RPoint(1, 0, 0, 1)};
    std::vector<int> cap{1};
    testing::internal::CaptureStdout();
    r->initial2DGraph(adj, cap);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "adj_size=2\nERROR: GlobalRouter 139\n");
    EXPECT_EQ(r->graph.uH(0, 0), 2);
    EXPECT_EQ(r->graph.uH(1, 0), 0);
}

TEST(GridSetUp, AdjustmentOutsideTheGridIsRefused) {
    auto r = makeRouter();
    std::vector<RPoint> adj{RPoint(3, 0, 0, 1)};  // x = X-1 has no horizontal edge
    std::vector<int> cap{1};
    EXPECT_EXIT(r->initial2DGraph(adj, cap), testing::ExitedWithCode(1), "outside the routing grid");
}

TEST(GridSetUp, OneWideGridHasNoHorizontalEdges) {
    auto r = makeRouter(1, 3);
    EXPECT_TRUE(r->graph.usageH.empty());
    r->costMode2D = 2;
    r->initialFunc_2Dmap(2);
    int x, y, of;
    r->getMaxHistory(x, y, of);
    EXPECT_EQ(x, -1);
    EXPECT_EQ(of, 0);
}

TEST(GridSetUp, Initial3DRoutingCapacities) {
    auto r = makeRouter();
    r->initial3Dmalloc();
    const float* first = r->work3DCost1.data();
    r->initial3Dmalloc();
    EXPECT_EQ(r->work3DCost1.data(), first);
    EXPECT_EQ(r->graph.demand3D.size(), 4u * 3 * 2);

    std::vector<int> h{3, 0}, v{0, 3};
    std::vector<RPoint> adj{RPoint(0, 2, 0, 1)};
    std::vector<int> cap{1};
    std::vector<std::vector<int>> pins(4, std::vector<int>(3, 0));
    pins[2][1] = 9;  // 9 * 0.5 -> 5, larger than the 3 tracks
    pins[0][0] = 1;  // ceil(0.5) = 1
    r->initial3DRouting(h, v, adj, cap, pins, 0.5);
    EXPECT_EQ(r->costScale, 10.0f);
    EXPECT_EQ(r->graph.cap3D(0, 2, 0).horizontal, 1);  // absolute capacity
    EXPECT_EQ(r->graph.cap3D(0, 0, 0).via, 1000000000);
    // Pins of (2,1): vertical layer 1 at (2,1) and (2,0); horizontal layer 0 at (1,1) and (2,1).
    EXPECT_EQ(r->graph.cap3D(2, 1, 1).vertical, 0);
    EXPECT_EQ(r->graph.cap3D(2, 0, 1).vertical, 0);
    EXPECT_EQ(r->graph.cap3D(1, 1, 0).horizontal, 0);
    EXPECT_EQ(r->graph.cap3D(2, 1, 0).horizontal, 0);
    EXPECT_EQ(r->graph.cap3D(0, 0, 0).horizontal, 2);
    EXPECT_EQ(r->graph.cap3D(0, 0, 1).vertical, 2);
    EXPECT_EQ(r->graph.cap3D(3, 2, 0).horizontal, 3);

    // Factor 0 leaves the capacities of the layers.
    r->initial3DRouting(h, v, adj, cap, pins, 0.0);
    EXPECT_EQ(r->graph.cap3D(2, 1, 1).vertical, 3);
}

TEST(GridSetUp, MaxHistoryAndOverflow) {
    auto r = makeRouter();
    r->histH(1, 2) = 4;
    r->histV(2, 0) = 4;  // not strictly greater: first one wins
    r->histV(3, 1) = 5;
    r->graph.uV(0, 0) = 5;
    int x, y, of;
    r->getMaxHistory(x, y, of);
    EXPECT_EQ(x, 3);
    EXPECT_EQ(y, 1);
    EXPECT_EQ(of, 2);
}

TEST(GridSetUp, BlockAwareModelScalesUsage) {
    auto r = makeRouter();
    r->graph.uH(0, 0) = 1;
    r->initblockAwareModle(2.0);  // r = 2/3, 3 - (int)(4/9 * 3) = 2; free edges keep 0
    EXPECT_EQ(r->graph.uH(0, 0), 2);
    EXPECT_EQ(r->graph.uH(1, 0), 0);
    r->placement.binX = 4;
    r->placement.binY = 3;
    r->placement.bins.assign(12, Bin{});
    r->placement.bin(2, 0).freeRatio = 0.0001;
    r->initblockAwareModle(1.0);
    EXPECT_EQ(r->graph.uH(1, 0), 3);  // joins the blocked bin (2, 0)
    EXPECT_EQ(r->graph.uH(2, 0), 3);
    EXPECT_EQ(r->graph.uV(2, 0), 3);
    EXPECT_EQ(r->graph.uH(0, 1), 0);
}

TEST(EdgeCost, SigmoidTable) {
    auto r = makeRouter();
    EXPECT_EQ(r->costTable[3], 76.0f);  // usage equal to capacity: 1 + height / 2
    EXPECT_EQ(r->costTable[0], sigmoid(0, 3));
    EXPECT_EQ(r->costTable[999], sigmoid(999, 3));
    r->sigmoidSlope = 1.0;
    r->sigmoidHeight = 10.0f;
    r->initialCostArray();
    EXPECT_EQ(r->costTable[3], 6.0f);
}

TEST(EdgeCost, DPCostSoftFormula) {
    auto r = makeRouter();
    r->costScale = 2.0f;
    r->graph.uH(1, 1) = 2;
    r->histH(1, 1) = 3;
    const float expected = (2.0f / 4.0f + r->costTable[2] + 3.0f) * 2.0f;
    EXPECT_EQ(r->DPCost(1, 1, 1), expected);
}

TEST(EdgeCost, HardOverflowBoundaryAndNoWrap) {
    auto r = makeRouter();
    r->hardOverflowMode = true;
    r->graph.uV(0, 0) = 2;  // cap - 1
    EXPECT_FLOAT_EQ(r->DPCost(0, 0, 0), 2.0f / 4.0f + 1.0f);
    EXPECT_LT(r->NewCost(0, 0, 0), 2.0f);
    r->graph.uV(0, 0) = 3;  // at capacity
    r->histV(0, 0) = 5;
    EXPECT_EQ(r->DPCost(0, 0, 0), 1000005.0f);
    EXPECT_EQ(r->NewCost(0, 0, 0), 1000005.0f);
    // Far over capacity the penalty does not wrap.
    r->graph.uH(0, 0) = 3 + 5000;
    r->histH(0, 0) = 7;
    EXPECT_EQ(r->DPCost(0, 0, 1), static_cast<float>(5001LL * 1000000 + 7));
    EXPECT_GT(r->NewCost(0, 0, 1), 5.0e9f);
}

TEST(EdgeCost, VirtualDemandCountsAsUsage) {
    auto r = makeRouter();
    r->hardOverflowMode = true;
    r->graph.uH(0, 0) = 1;
    r->placement.virtualDemandH[r->xyIdx(0, 0)] = 2;
    EXPECT_EQ(r->DPCost(0, 0, 1), 1000000.0f);
}

TEST(EdgeCost, SigmoidIndexClampedAtBothEnds) {
    auto r = makeRouter();
    r->costScale = 1.0f;
    r->graph.uH(0, 0) = 3 + 2000;
    EXPECT_EQ(r->NewCost(0, 0, 1), r->costTable[999]);
    // A capacity adjustment above the layer's tracks makes usage negative.
    std::vector<RPoint> adj{RPoint(1, 0, 0, 1)};
    std::vector<int> cap{20};
    testing::internal::CaptureStdout();
    r->initial2DGraph(adj, cap);
    testing::internal::GetCapturedStdout();
    ASSERT_EQ(r->graph.uH(1, 0), -17);
    EXPECT_EQ(r->NewCost(1, 0, 1), r->costTable[0]);
    EXPECT_EQ(r->DPCost(1, 0, 1), -17.0f / 4.0f + r->costTable[0]);
}

TEST(EdgeCost, NewCostHistoryFactor) {
    auto r = makeRouter();
    r->costScale = 3.0f;
    r->costOffset = 0.5f;
    r->graph.uV(1, 0) = 3;
    const float t = r->costTable[3];
    EXPECT_EQ(r->NewCost(1, 0, 0), t * 3.0f + 0.5f);
    r->historyMode = true;
    r->historyExponent = 2.0;
    EXPECT_EQ(r->NewCost(1, 0, 0), static_cast<float>(1.0 * t * 3.0f + 0.5f));  // history 0: factor 1
    r->histV(1, 0) = 35;
    EXPECT_EQ(r->NewCost(1, 0, 0), static_cast<float>((1225.0 / 350.0 + 1.0) * t * 3.0 + 0.5));
}

TEST(EdgeCost, Cost3DModes) {
    auto r = makeRouter();
    init3DPlain(*r, {3, 0}, {0, 3});
    r->viaCost = 2;
    r->costMode3D = 3;
    // A via costs the same everywhere.
    EXPECT_EQ(r->cost3D(0, 0, 0, 2), 1500.0f);
    r->graph.dem3D(3, 2, 1).via = 50;
    EXPECT_EQ(r->cost3D(3, 2, 1, 2), 1500.0f);

    r->graph.dem3D(1, 1, 0).horizontal = 2;  // one below capacity 3
    const double q = 3.0f / 4.0f;
    EXPECT_EQ(r->cost3D(1, 1, 0, 1), static_cast<float>(q * q * 0.025 * 10.0 + 10.0));
    r->graph.dem3D(1, 1, 0).horizontal = 3;  // at capacity: pitch 2
    EXPECT_EQ(r->cost3D(1, 1, 0, 1), 2000000.0f);
    r->graph.dem3D(1, 1, 1).vertical = 3 + 999;  // pitch 5: 5e9, beyond 32 bits
    EXPECT_EQ(r->cost3D(1, 1, 1, 0), static_cast<float>(1000LL * 1000000 * 5));

    r->costMode3D = 2;
    r->history3DMode = 1;
    r->historyExponent = 1.5;
    const float t = r->costTable[3];
    EXPECT_EQ(r->cost3D(1, 1, 0, 1), static_cast<float>(1.0 * (t * 10.0f) + 250.0));
    r->graph.hist3D(1, 1, 0).horizontal = 4;
    EXPECT_EQ(r->cost3D(1, 1, 0, 1), static_cast<float>((8.0 / 350.0 + 1.0) * (t * 10.0f) + 250.0));
}

TEST(EdgeCost, BulkFillers) {
    auto r = makeRouter();
    r->costScale = 1.0f;
    r->graph.uH(2, 2) = 4;
    r->initialFunc_2Dmap(1);
    EXPECT_EQ(r->mapCostAt(1, 2, 2), r->DPCost(2, 2, 1));
    EXPECT_EQ(r->mapCostAt(0, 3, 1), r->DPCost(3, 1, 0));
    r->initialFunc_2Dmap(2);
    EXPECT_EQ(r->mapCostAt(1, 2, 2), r->NewCost(2, 2, 1));
    EXPECT_EQ(r->mapCostAt(1, 3, 0), 0.0f);  // last column of the horizontal plane: no edge

    init3DPlain(*r, {3, 0}, {0, 3});
    r->costMode3D = 3;
    r->viaCost = 1;
    r->initialFunc_3Dmap();
    const FuncCost& f = r->graph.func(3, 2, 1);  // last column and row get a value too
    EXPECT_EQ(f.via, 750.0f);
    EXPECT_EQ(f.horizontal, r->cost3D(3, 2, 1, 1));
    EXPECT_EQ(f.vertical, r->cost3D(3, 2, 1, 0));
}

TEST(GridBounds, GetCostChecksEachDirectionsOwnExtent) {
    auto r = makeRouter();
    r->graph.uH(2, 2) = 6;
    EXPECT_EQ(r->graph.getCost(2, 2, true), 6);
    EXPECT_EXIT(r->graph.getCost(3, 0, true), testing::ExitedWithCode(1), "GridGraph:308");
    EXPECT_EXIT(r->graph.getCost(0, 2, false), testing::ExitedWithCode(1), "GridGraph:309");
    EXPECT_EXIT(r->graph.getCost(-1, 0, false), testing::ExitedWithCode(1), "GridGraph:308");
}

#ifndef NDEBUG
TEST(GridBounds, DebugIndexChecksEndTheRunWithStatusOne) {
    auto r = makeRouter();
    EXPECT_EXIT(r->graph.uV(0, 2), testing::ExitedWithCode(1), "vertical edges");
    EXPECT_EXIT(r->virtualDemand(1, 4, 0), testing::ExitedWithCode(1), "virtual demand");
    EXPECT_EXIT(r->graph.dem3D(0, 0, 0), testing::ExitedWithCode(1), "3D table");
}
#endif
