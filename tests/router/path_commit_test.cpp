// Commit and rip-up of 2D paths: per-net sharing, overflow and history at the
// capacity boundary, cost refresh per cost mode, and the sibling discount.

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "router/core/GlobalRouter.h"
#include "tests/common/RouterFixture.h"

namespace {

// A 6 x 4 grid with 2 tracks each way.
std::unique_ptr<GlobalRouter> makeRouter() {
    std::vector<int> pitch{1, 1};
    auto r = std::make_unique<GlobalRouter>(6, 4, 2, 2, 2, std::vector<int>{2, 0}, std::vector<int>{0, 2}, pitch);
    std::vector<RPoint> adj;
    std::vector<int> cap;
    testing::internal::CaptureStdout();
    r->initial2DGraph(adj, cap);
    testing::internal::GetCapturedStdout();
    r->costScale = 1.0f;
    return r;
}

// A net with n connections, each owned by the net.
Net makeNet(int n) {
    Net net;
    net.twopin.resize(n);
    return net;
}

void linkNet(Net& net) {
    for (TwoPin& tp : net.twopin) tp.parNet = &net;
}

std::vector<RPoint> hPath(int x0, int x1, int y) {
    std::vector<RPoint> p;
    for (int x = x0; x < x1; ++x) p.emplace_back(x, y, 1);
    return p;
}

}  // namespace

TEST(PathCommit, SharedEdgesOfOneNetAreChargedOnce) {
    auto r = makeRouter();
    Net net = makeNet(2);
    std::vector<RPoint> a = hPath(0, 3, 1);                      // (0..2, 1)
    std::vector<RPoint> b = hPath(1, 4, 1);                      // (1..3, 1)
    b.emplace_back(3, 1, 0);                                     // plus a vertical step
    EXPECT_EQ(r->RoutePath(a, net), 0);
    EXPECT_EQ(r->RoutePath(b, net), 0);
    EXPECT_EQ(r->graph.uH(0, 1), 1);
    EXPECT_EQ(r->graph.uH(1, 1), 1);
    EXPECT_EQ(r->graph.uH(2, 1), 1);
    EXPECT_EQ(r->graph.uH(3, 1), 1);
    EXPECT_EQ(r->graph.uV(3, 1), 1);
    EXPECT_EQ(r->Wlen2D, 5);
    EXPECT_EQ(net.wirelength, 5);
    EXPECT_EQ(net.edgeUse[1].at(edgeKey(1, 1, 0, 6, 4)), 2);

    r->RipUp(a, net);  // shared edges stay, a's own edge goes
    EXPECT_EQ(r->graph.uH(0, 1), 0);
    EXPECT_EQ(r->graph.uH(1, 1), 1);
    EXPECT_EQ(r->graph.uH(2, 1), 1);
    EXPECT_EQ(r->Wlen2D, 4);
    r->RipUp(b, net);
    for (int x = 0; x < 5; ++x) EXPECT_EQ(r->graph.uH(x, 1), 0);
    EXPECT_EQ(r->graph.uV(3, 1), 0);
    EXPECT_EQ(r->Wlen2D, 0);
    EXPECT_EQ(net.wirelength, 0);
    EXPECT_TRUE(net.edgeUse[0].empty());
    EXPECT_TRUE(net.edgeUse[1].empty());
}

TEST(PathCommit, RipUpInEitherOrderDropsUsageOnlyWhenBothAreGone) {
    auto r = makeRouter();
    Net net = makeNet(3);
    std::vector<RPoint> a = hPath(0, 2, 0), b = hPath(0, 2, 0);
    r->RoutePath(a, net);
    r->RoutePath(b, net);
    r->RipUp(b, net);
    EXPECT_EQ(r->graph.uH(0, 0), 1);
    r->RoutePath(b, net);
    r->RipUp(a, net);
    EXPECT_EQ(r->graph.uH(1, 0), 1);
    r->RipUp(b, net);
    EXPECT_EQ(r->graph.uH(1, 0), 0);
}

TEST(PathCommit, SingleConnectionNetChargesEveryStep) {
    auto r = makeRouter();
    Net net = makeNet(1);
    std::vector<RPoint> a = hPath(0, 2, 0);
    r->RoutePath(a, net);
    r->RoutePath(a, net);
    EXPECT_EQ(r->graph.uH(0, 0), 2);
    EXPECT_TRUE(net.edgeUse[1].empty());
    r->RipUp(a, net);
    EXPECT_EQ(r->graph.uH(0, 0), 1);
}

TEST(PathCommit, OverflowAndHistoryAtCapacityBoundary) {
    auto r = makeRouter();
    r->historyMode = true;
    Net n1 = makeNet(1), n2 = makeNet(1), n3 = makeNet(1);
    std::vector<RPoint> step{RPoint(2, 2, 1)};
    EXPECT_EQ(r->RoutePath(step, n1), 0);
    EXPECT_EQ(r->RoutePath(step, n2), 0);  // usage 2 = capacity: not yet over
    EXPECT_EQ(r->totalOF, 0);
    EXPECT_EQ(r->histH(2, 2), 0);
    EXPECT_EQ(r->RoutePath(step, n3), 1);  // at capacity before: now over by 1
    EXPECT_EQ(r->totalOF, 1);
    EXPECT_EQ(r->histH(2, 2), 1);
    r->RipUp(step, n3);
    EXPECT_EQ(r->totalOF, 0);
    EXPECT_EQ(r->histH(2, 2), 1);  // history never drops
    r->RipUp(step, n2);
    EXPECT_EQ(r->totalOF, 0);
    EXPECT_EQ(r->histH(2, 2), 1);

    r->historyMode = false;
    r->RoutePath(step, n2);
    EXPECT_EQ(r->RoutePath(step, n3), 1);
    EXPECT_EQ(r->histH(2, 2), 1);  // history mode off: unchanged
}

TEST(PathCommit, VirtualDemandCountsTowardsOverflow) {
    auto r = makeRouter();
    r->placement.virtualDemandV[r->xyIdx(1, 1)] = 2;
    Net net = makeNet(1);
    std::vector<RPoint> step{RPoint(1, 1, 0)};
    EXPECT_EQ(r->RoutePath(step, net), 1);
    EXPECT_EQ(r->totalOF, 1);
    r->RipUp(step, net);
    EXPECT_EQ(r->totalOF, 0);
    EXPECT_EQ(r->graph.uV(1, 1), 0);
}

TEST(PathCommit, CostRefreshFollowsCostMode) {
    auto r = makeRouter();
    Net net = makeNet(1);
    std::vector<RPoint> step{RPoint(0, 0, 1)};
    r->costMode2D = 0;
    r->RoutePath(step, net);
    EXPECT_EQ(r->mapCostAt(1, 0, 0), 0.0f);
    r->RipUp(step, net);
    EXPECT_EQ(r->mapCostAt(1, 0, 0), 0.0f);

    r->costMode2D = 1;
    r->RoutePath(step, net);
    EXPECT_EQ(r->mapCostAt(1, 0, 0), r->DPCost(0, 0, 1));
    r->costMode2D = 2;
    r->costOffset = 3.0f;
    r->RipUp(step, net);
    EXPECT_EQ(r->mapCostAt(1, 0, 0), r->NewCost(0, 0, 1));
    EXPECT_EQ(r->mapCostAt(1, 0, 0), r->costTable[0] + 3.0f);
    r->costMode2D = 3;
    r->RoutePath(step, net);
    EXPECT_EQ(r->mapCostAt(1, 0, 0), r->costTable[1] + 3.0f);
}

TEST(PathCommit, PointFormsOfCommitAndRipUp) {
    auto r = makeRouter();
    Net net = makeNet(1);
    std::vector<RPoint> step{RPoint(0, 0, 1)};
    Point a(0, 0, 0), b(1, 0, 0), same(0, 0, 1);
    r->RoutePath(a, b, step, net);
    EXPECT_EQ(r->graph.uH(0, 0), 1);
    r->RipUp(a, same, step, net);  // one G-cell: nothing to remove
    EXPECT_EQ(r->graph.uH(0, 0), 1);
    r->RipUp(a, b, step, net);
    EXPECT_EQ(r->graph.uH(0, 0), 0);
}

TEST(SiblingDiscount, SingleConnectionNetChangesNoCost) {
    auto r = makeRouter();
    r->costMode2D = 2;
    r->initialFunc_2Dmap(2);
    Net net = makeNet(1);
    linkNet(net);
    net.twopin[0].path = hPath(0, 3, 0);
    r->RoutePath(net.twopin[0].path, net);
    const std::vector<float> before = r->mapCost;
    r->minu_func(true, &net.twopin[0]);
    EXPECT_EQ(r->mapCost, before);
    r->add_func(true, &net.twopin[0]);
    EXPECT_EQ(r->mapCost, before);
}

TEST(SiblingDiscount, FullFormZeroesSiblingsAndRestores) {
    auto r = makeRouter();
    r->costMode2D = 2;
    r->initialFunc_2Dmap(2);
    Net net = makeNet(2);
    linkNet(net);
    net.twopin[0].path = hPath(0, 2, 0);
    net.twopin[1].path = hPath(3, 5, 2);
    for (TwoPin& tp : net.twopin) r->RoutePath(tp.path, net);
    const std::vector<float> before = r->mapCost;
    TwoPin* tp = &net.twopin[0];
    tp->rerouteMethod = 3;  // maze reroutes always take the full form
    r->minu_func(true, tp);
    EXPECT_EQ(r->mapCostAt(1, 3, 2), 0.0f);
    EXPECT_EQ(r->mapCostAt(1, 4, 2), 0.0f);
    EXPECT_NE(r->mapCostAt(1, 0, 0), 0.0f);  // its own edges keep their cost
    r->add_func(true, tp);
    EXPECT_EQ(r->mapCost, before);
}

TEST(SiblingDiscount, BoxFormWhenTheNetUsesMoreEdgesThanTheBox) {
    auto r = makeRouter();
    r->costMode2D = 1;
    r->initialFunc_2Dmap(1);
    Net net = makeNet(2);
    linkNet(net);
    net.twopin[0].path = hPath(0, 5, 0);
    net.twopin[1].path = {RPoint(1, 0, 0), RPoint(1, 1, 0), RPoint(1, 2, 1)};
    for (TwoPin& t : net.twopin) r->RoutePath(t.path, net);
    const std::vector<float> before = r->mapCost;
    TwoPin* tp = &net.twopin[1];
    tp->rerouteMethod = 0;
    tp->box.lower = Point(0, 0, 0);
    tp->box.upper = Point(2, 1, 0);  // 2 + 1 + 2*2 = 7 edges < 8 used
    r->minu_func(true, tp);
    EXPECT_EQ(r->mapCostAt(1, 0, 0), 0.0f);
    EXPECT_EQ(r->mapCostAt(1, 1, 0), 0.0f);
    EXPECT_EQ(r->mapCostAt(0, 1, 0), 0.0f);  // the box form discounts the net's own edges too
    EXPECT_NE(r->mapCostAt(1, 2, 0), 0.0f);  // outside the box
    EXPECT_NE(r->mapCostAt(1, 1, 2), 0.0f);
    r->add_func(true, tp);
    EXPECT_EQ(r->mapCost, before);
}

TEST(SiblingDiscount, ThreeDimensionalForm) {
    auto r = makeRouter();
    init3DPlain(*r, {2, 0}, {0, 2});
    r->costMode3D = 3;
    r->viaCost = 1;
    r->initialFunc_3Dmap();
    Net net = makeNet(2);
    linkNet(net);
    net.twopin[1].path = {RPoint(0, 0, 0, 1), RPoint(1, 0, 0, 2), RPoint(1, 0, 1, 0)};
    r->graph.dem3D(0, 0, 0).horizontal = 5;  // over capacity: cost halves
    r->initialFunc_3Dmap();
    const float over = r->graph.func(0, 0, 0).horizontal;
    r->minu_func(false, &net.twopin[0]);
    EXPECT_EQ(r->graph.func(0, 0, 0).horizontal, over / 2);
    EXPECT_EQ(r->graph.func(1, 0, 0).via, 1.0f);
    EXPECT_EQ(r->graph.func(1, 0, 1).vertical, 1.0f);
    r->add_func(false, &net.twopin[0]);
    EXPECT_EQ(r->graph.func(0, 0, 0).horizontal, over);
    EXPECT_EQ(r->graph.func(1, 0, 0).via, 750.0f);
    EXPECT_EQ(r->graph.func(1, 0, 1).vertical, r->cost3D(1, 0, 1, 0));
}
