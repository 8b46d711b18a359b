// The initial and fast routing schedules: their reroute rules and edge cases.
// (Whole runs of the fast schedule are checked end to end in tests/e2e/fast_flow_test.cpp.)

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <vector>

#include "router/schedules/Best3D.h"
#include "router/schedules/FastSchedule.h"
#include "router/core/GlobalRouter.h"
#include "router/schedules/RoutingOrder.h"
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
    // As much horizontal as vertical overflow: the box grows in y.
    BoundingBox box = boxOf(4, 4, 6, 6);
    growBox(box, 2, 2, 5, 20, 20);
    EXPECT_EQ(box.lower.x, 4);
    EXPECT_EQ(box.upper.x, 6);
    EXPECT_EQ(box.lower.y, 0);
    EXPECT_EQ(box.upper.y, 11);
    // The maze length bound grows with the round towards (pi / 2 + 1) times the
    // distance, also far past any 32-bit square of the round.
    EXPECT_EQ(fastMazeMaxLength(10, 1), 24);
    EXPECT_EQ(fastMazeMaxLength(10, 100000), 27);
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
    EXPECT_EQ(d->control.wirelengthTrace, std::vector<int>{r.Wlen2D});
    EXPECT_EQ(d->control.overflowTrace, std::vector<int>{0});
    EXPECT_EQ(d->control.timeTrace, std::vector<float>{0.0f});
}

TEST(FastRouting, EscapeWithoutAMeetingCellRecommitsTheOldPath) {
    // Three equal connections on one track share two L shapes and overflow; with
    // every edge costing 1e10, sixteen steps make every meeting sum exceed 1e11.
    const std::pair<Point, Point> ends{Point(2, 2, 0), Point(14, 6, 0)};
    auto d = makeDesign(20, 20, 1, {ends, ends, ends});
    GlobalRouter& r = *d->router;
    r.initialRouting(d->nets, d->orders, 1, 0, d->control);
    fastCosts(r);
    r.costOffset = 1e10f;
    r.initialFunc_2Dmap(2);
    ASSERT_GT(r.totalOF, 0);
    std::vector<Steps> before;
    for (Net& net : d->nets) {
        TwoPin& tp = net.twopin[0];
        tp.ripupCount = 1;  // past the monotonic reroute
        tp.box.lower = Point(0, 0, 0);
        tp.box.upper = Point(19, 19, 0);
        before.push_back(steps(tp.path));
    }
    const int overflow = r.totalOF;
    const int length = r.Wlen2D;
    d->control.maxIter = 1;
    d->control.timeLimit = 1e9f;
    r.fastRouting(d->nets, d->orders, d->control);
    int escapes = 0;
    for (size_t i = 0; i < d->nets.size(); ++i) {
        const TwoPin& tp = d->nets[i].twopin[0];
        if (tp.rerouteMethod == 0) continue;  // no overflow on its path
        EXPECT_EQ(tp.rerouteMethod, 2);
        ++escapes;
        EXPECT_EQ(steps(tp.path), before[i]);
    }
    EXPECT_GE(escapes, 2);
    EXPECT_EQ(r.totalOF, overflow);
    EXPECT_EQ(r.Wlen2D, length);
}

TEST(FastRouting, NoLotteryDrawForAConnectionAsLongAsTheRoundsMazeLimit) {
    // Three straight 4-step connections on one track of a one-row grid overflow
    // in every round. Round 2 has the maze limit 4 = |dx| + |dy|: no number is
    // drawn, so the generator stands where the round's srand(0) left it.
    const std::pair<Point, Point> ends{Point(0, 0, 0), Point(4, 0, 0)};
    auto d = makeDesign(5, 1, 1, {ends, ends, ends});
    GlobalRouter& r = *d->router;
    r.initialRouting(d->nets, d->orders, 1, 0, d->control);
    fastCosts(r);
    d->control.maxIter = 3;
    d->control.timeLimit = 1e9f;
    srand(0);
    const int firstDraw = rand();
    r.fastRouting(d->nets, d->orders, d->control);
    EXPECT_EQ(d->control.overflowTrace, (std::vector<int>{8, 8, 8, 8}));
    EXPECT_EQ(rand(), firstDraw);
}

TEST(Best3DKeeper, LowerOverflowThenShorterThenEarlierRound) {
    // Pitch-weighted totals beyond the int range; length is wire length plus vias.
    struct Offer {
        long long overflow;
        int wirelength, vias;
        int kept;
    };
    const Offer offers[] = {
        {3000000000LL, 45, 10, 1},  // same overflow as the start, shorter
        {3000000000LL, 45, 10, 1},  // full tie: the earlier round stays
        {3000000000LL, 40, 16, 1},  // same overflow, longer
        {2999999999LL, 90, 30, 4},  // lower overflow wins over length
        {2999999999LL, 100, 20, 4}, // full tie again
    };
    auto r = makeSingleLayerRouter(2, 2, 1, 0);
    r->totalOF = 3000000000LL;
    r->Wlen2D = 50;
    r->viaCount = 10;
    Best3D best;
    startBest3D(best, {}, *r);
    for (int round = 1; round <= 5; ++round) {
        const Offer& o = offers[round - 1];
        r->totalOF = o.overflow;
        r->Wlen2D = o.wirelength;
        r->viaCount = o.vias;
        offerRound3D(best, round, *r);
        EXPECT_EQ(best.round, o.kept) << round;
        EXPECT_EQ(best.lastOF, o.overflow);
        EXPECT_EQ(best.totalOF, offers[o.kept - 1].overflow);
        EXPECT_EQ(best.length, offers[o.kept - 1].wirelength + offers[o.kept - 1].vias);
    }
    EXPECT_EQ(best.startOF, 3000000000LL);
}
