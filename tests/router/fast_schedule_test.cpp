// The initial and fast routing schedules: their reroute rules, their edge
// cases, and a congested run in which every kernel takes part.

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "router/FastSchedule.h"
#include "router/GlobalRouter.h"
#include "router/RoutingOrder.h"
#include "tests/common/PathCheck.h"
#include "tests/common/RouterFixture.h"

namespace {

struct Design {
    std::unique_ptr<GlobalRouter> router;
    std::vector<Net> nets;
    std::vector<Order> orders;
    controlGR control;
};

// Two-pin nets given as (from, to) pairs on an X by Y grid of `cap` tracks.
std::unique_ptr<Design> makeDesign(int X, int Y, int cap, const std::vector<std::pair<Point, Point>>& pairs) {
    auto d = std::make_unique<Design>();
    d->router = makeSingleLayerRouter(X, Y, cap, 0);
    d->nets.resize(pairs.size());
    for (size_t i = 0; i < pairs.size(); ++i) {
        Net& net = d->nets[i];
        net.id = static_cast<int>(i);
        net.pin2D = {pairs[i].first, pairs[i].second};
        TwoPin tp;
        tp.from = pairs[i].first;
        tp.to = pairs[i].second;
        tp.parNet = &net;
        net.twopin.push_back(tp);
        net.referenceLength = net.wirelength = tp.from.distance(tp.to);
    }
    initialSort(d->orders, d->nets);
    d->control.verbose = false;
    return d;
}

// The fast flow's negotiation costs.
void fastCosts(GlobalRouter& r) {
    r.historyDivisor = 50.0f;
    r.sigmoidSlope = 0.5;
    r.historyExponent = 1.8;
    r.costScale = 10.0f;
    r.initialCostArray();
    r.costOffset = 200.0f;
    r.costMode2D = 2;
    r.initialFunc_2Dmap(2);
}

}  // namespace

TEST(FastScheduleRules, LotteryThresholdBoxGrowthAndMazeBound) {
    EXPECT_EQ(mazeLotteryThreshold(1, 1), 10000);
    EXPECT_EQ(mazeLotteryThreshold(100, 3), 4034);
    EXPECT_EQ(mazeLotteryThreshold(99, 3), 7000 / 9 + 3500 - 166);
    const int growth[][2] = {{1, 35}, {2, 20}, {3, 15}, {4, 12}, {30, 6}, {31, 5}, {500, 5}};
    for (const auto& g : growth) EXPECT_EQ(boxGrowthStep(g[0]), g[1]) << "count " << g[0];
    EXPECT_EQ(fastMazeMaxLength(10, 1), static_cast<int>(10 * (std::atan(3.0) + 1.0) + 2.0));
}

TEST(FastRouting, WithoutOverflowOrRoundsItSortsRecordsOneTraceEntryAndReturns) {
    // Connections spanning 10 by 10 and 2 by 2 G-cells, no overflow: the larger
    // pin box comes first (key 121 against 9).
    auto d = makeDesign(16, 16, 8, {{Point(0, 0, 0), Point(2, 2, 0)}, {Point(3, 3, 0), Point(13, 13, 0)}});
    GlobalRouter& r = *d->router;
    r.initialRouting(d->nets, d->orders, 1, 1, d->control);
    fastCosts(r);
    ASSERT_EQ(r.totalOF, 0);
    d->control.maxIter = 5;
    testing::internal::CaptureStdout();
    r.fastRouting(d->nets, d->orders, d->control);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_EQ(d->orders[0].twopin, &d->nets[1].twopin[0]);
    EXPECT_EQ(d->orders[0].key, 121.0);
    EXPECT_EQ(d->orders[1].key, 9.0);
    ASSERT_EQ(d->control.wirelengthTrace.size(), 1u);
    EXPECT_EQ(d->control.wirelengthTrace[0], r.Wlen2D);
    EXPECT_EQ(d->control.overflowTrace, std::vector<int>{0});
    EXPECT_EQ(d->control.timeTrace, std::vector<float>{0.0f});
    EXPECT_TRUE(r.historyMode);
    EXPECT_EQ(r.bendCost, 0.0f);
}

TEST(InitialRouting, BentConnectionsLeaveThePatternRoundsOnlyInTheLastRound) {
    for (int rounds : {1, 2}) {
        auto d = makeDesign(8, 8, 20, {{Point(1, 1, 0), Point(5, 4, 0)}, {Point(0, 6, 0), Point(7, 6, 0)}});
        d->control.verbose = true;
        testing::internal::CaptureStdout();
        d->router->initialRouting(d->nets, d->orders, rounds, 0, d->control);
        const std::string out = testing::internal::GetCapturedStdout();
        // With usage far below capacity the bent one is done after the last round.
        EXPECT_FALSE(d->nets[0].twopin[0].needRouting);
        EXPECT_FALSE(d->nets[1].twopin[0].needRouting);
        if (rounds == 2) {
            EXPECT_NE(out.find("Round=2  time="), std::string::npos) << out;
            EXPECT_NE(out.find("  num_route_net=1\n"), std::string::npos) << out;
        }
        EXPECT_NE(out.find("===================Start Monotonic Routing===================\n"), std::string::npos);
    }
}

TEST(FastRouting, CongestedGridEveryKernelKeepsConnectionsWhole) {
    // Short connections crowded into the middle of a 20 by 20 grid of few tracks,
    // with free room around them.
    std::mt19937 rng(11);
    std::uniform_int_distribution<int> centre(6, 13), offset(-4, 4);
    std::vector<std::pair<Point, Point>> pairs;
    while (pairs.size() < 300) {
        Point a(centre(rng), centre(rng), 0);
        Point b(a.x + offset(rng), a.y + offset(rng), 0);
        if (a != b) pairs.push_back({a, b});
    }
    auto d = makeDesign(20, 20, 4, pairs);
    GlobalRouter& r = *d->router;
    r.initialRouting(d->nets, d->orders, 2, 2, d->control);
    const int afterInitial = r.totalOF;
    fastCosts(r);
    d->control.maxIter = 30;
    d->control.timeLimit = 1e9f;
    r.fastRouting(d->nets, d->orders, d->control);

    EXPECT_LT(r.totalOF, afterInitial);
    const size_t rounds = d->control.overflowTrace.size() - 1;
    EXPECT_GE(rounds, 1u);
    EXPECT_LE(rounds, 30u);
    EXPECT_EQ(d->control.wirelengthTrace.size(), rounds + 1);
    EXPECT_EQ(d->control.timeTrace.size(), rounds + 1);
    EXPECT_EQ(d->control.overflowTrace.back(), r.totalOF);
    EXPECT_EQ(d->control.wirelengthTrace.back(), r.Wlen2D);
    int methods[4] = {0, 0, 0, 0};
    int usedLength = 0;
    for (Net& net : d->nets) {
        const TwoPin& tp = net.twopin[0];
        ++methods[tp.rerouteMethod];
        usedLength += static_cast<int>(tp.path.size());
        EXPECT_TRUE(joins(tp.path, tp.from, tp.to)) << "net " << net.id;
        EXPECT_TRUE(tp.box.inside(tp.from.x, tp.from.y) && tp.box.inside(tp.to.x, tp.to.y));
    }
    EXPECT_EQ(usedLength, r.Wlen2D);
    EXPECT_GT(methods[1], 0) << "snaking";
    EXPECT_GT(methods[2], 0) << "escape";
    EXPECT_GT(methods[3], 0) << "maze";
}
