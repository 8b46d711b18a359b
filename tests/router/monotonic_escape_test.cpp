// Monotonic, snaking and escape routing kernels on small grids whose edge costs are set
// by hand, so that the best path and every tie are known.

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <utility>
#include <vector>

#include "router/core/GlobalRouter.h"
#include "tests/common/PathCheck.h"
#include "tests/common/RouterFixture.h"

namespace {

// Cost mode 0: neither the sibling discount nor a commit touches the hand-set costs.
std::unique_ptr<GlobalRouter> uniformRouter(int X, int Y, float edgeCost) {
    auto r = makeSingleLayerRouter(X, Y, 8, 0);
    for (int x = 0; x < X; ++x)
        for (int y = 0; y < Y; ++y) {
            r->mapCostAt(0, x, y) = edgeCost;
            r->mapCostAt(1, x, y) = edgeCost;
        }
    return r;
}

// A one-connection net (the net must outlive the returned connection).
TwoPin& connection(Net& net, Point from, Point to, BoundingBox box) {
    net.twopin.resize(1);
    TwoPin& tp = net.twopin[0];
    tp.from = from;
    tp.to = to;
    tp.parNet = &net;
    tp.box = box;
    return tp;
}

}  // namespace

TEST(PseudoMonotonic, TiesGoToTheXMoveAndOnlyTurnsPayTheBend) {
    auto r = uniformRouter(3, 3, 1.0f);
    int* dir = r->workDir1.data();
    float* cost = r->workCost1.data();
    Point s(0, 0, 0), t(2, 2, 0);
    r->pseudoMonotonic(s, t, dir, cost);
    // Leaving the source costs no bend; (1, 1) is reached both ways at 1 + 1 + 10.
    EXPECT_EQ(cost[r->xyIdx(1, 0)], 1.0f);
    EXPECT_EQ(cost[r->xyIdx(1, 1)], 12.0f);
    EXPECT_EQ(dir[r->xyIdx(1, 1)], 1);
    EXPECT_EQ(dir[r->xyIdx(2, 1)], 1);  // 13 both ways: the x move
    EXPECT_EQ(cost[r->xyIdx(2, 2)], 14.0f);
    std::vector<RPoint> path;
    r->monTraceBack(path, 2, 2, dir);
    EXPECT_EQ(steps(path), (Steps{{1, 1, 2}, {1, 0, 2}, {0, 0, 1}, {0, 0, 0}}));
}

namespace {

// Column x = 1 of a 2 by 3 box is swept up and then down; the way down from
// (1, 1) to (1, 0) gains `gain` over the horizontal move into (1, 0).
void snakeScenario(bool transposed, float gain, const Steps& want) {
    auto r = uniformRouter(3, 3, 1.0f);
    auto setCost = [&](int kind, int x, int y, float c) {
        if (transposed)
            r->mapCostAt(1 - kind, y, x) = c;
        else
            r->mapCostAt(kind, x, y) = c;
    };
    setCost(1, 0, 0, 10.0f);
    setCost(1, 0, 1, 10.0f);
    setCost(1, 0, 2, 1.0f);
    setCost(0, 1, 1, 1.0f);
    setCost(0, 1, 0, 6.0f - gain);  // (1, 1) ends at 4, so (1, 0) may fall to 10 - gain
    Net net;
    Point from(0, 0, 0);
    Point to = transposed ? Point(0, 1, 0) : Point(1, 0, 0);
    TwoPin& tp = connection(net, from, to, transposed ? boxOf(0, 0, 2, 1) : boxOf(0, 0, 1, 2));
    r->snakingRouting(&tp, tp.box, r->workDir1.data(), r->workCost1.data(), transposed);
    Steps got = steps(tp.path);
    if (transposed)
        for (auto& s : got) {
            s[0] = 1 - s[0];
            std::swap(s[1], s[2]);
        }
    EXPECT_EQ(got, want) << (transposed ? "horizontal" : "vertical") << " kernel, gain " << gain;
    EXPECT_TRUE(joins(tp.path, from, to));
}

}  // namespace

TEST(SnakingRouting, BackwardSweepTakesOnlyGainsAboveOneHundredthForwardTiesGoHorizontal) {
    const Steps snake{{0, 1, 0}, {0, 1, 1}, {1, 0, 2}, {0, 0, 1}, {0, 0, 0}};
    const Steps direct{{1, 0, 0}};
    for (bool transposed : {false, true}) {
        snakeScenario(transposed, 0.02f, snake);
        snakeScenario(transposed, 0.005f, direct);
    }
    // (1, 1) is reached at 2 both ways; both kernels take the move from the left.
    auto r = uniformRouter(2, 2, 1.0f);
    Point s(0, 0, 0), t(1, 1, 0);
    BoundingBox box = boxOf(0, 0, 1, 1);
    r->snakingRoutingVer(s, t, box, r->workDir1.data(), r->workCost1.data());
    EXPECT_EQ(r->workDir1[r->xyIdx(1, 1)], 1);
    r->snakingRoutingHor(s, t, box, r->workDir1.data(), r->workCost1.data());
    EXPECT_EQ(r->workDir1[r->xyIdx(1, 1)], 1);
}

TEST(SnakingRouting, EndsOnTheMonotoneLineGiveTheStraightRun) {
    struct Case {
        int X, Y;
        Point from, to;
        bool horizontal;
        Steps want;
    } cases[] = {
        {4, 4, Point(2, 0, 0), Point(2, 3, 0), false, {{0, 2, 2}, {0, 2, 1}, {0, 2, 0}}},
        {4, 4, Point(3, 1, 0), Point(0, 1, 0), true, {{1, 0, 1}, {1, 1, 1}, {1, 2, 1}}},
        {1, 5, Point(0, 4, 0), Point(0, 1, 0), false, {{0, 0, 1}, {0, 0, 2}, {0, 0, 3}}},  // one G-cell wide
        {5, 1, Point(1, 0, 0), Point(3, 0, 0), true, {{1, 2, 0}, {1, 1, 0}}},              // one G-cell high
    };
    for (const Case& c : cases) {
        auto r = uniformRouter(c.X, c.Y, 1.0f);
        // Codes left by an earlier kernel must not be read.
        std::fill(r->workDir1.begin(), r->workDir1.end(), 3);
        Net net;
        TwoPin& tp = connection(net, c.from, c.to, boxOf(0, 0, c.X - 1, c.Y - 1));
        r->snakingRouting(&tp, tp.box, r->workDir1.data(), r->workCost1.data(), c.horizontal);
        EXPECT_EQ(steps(tp.path), c.want) << c.X << " by " << c.Y;
    }
}

TEST(IdentifyPath, SmallestXThenYMeetsAndSidesThatJoinCheaplyMayGrow) {
    auto r = uniformRouter(3, 3, 1.0f);
    r->costOffset = 1.0f;
    int* dirA = r->workDir1.data();
    float* costA = r->workCost1.data();
    int* dirB = r->workDir2.data();
    float* costB = r->workCost2.data();
    for (int x = 0; x < 3; ++x)
        for (int y = 0; y < 3; ++y) {
            costA[r->xyIdx(x, y)] = static_cast<float>(x + y);
            costB[r->xyIdx(x, y)] = static_cast<float>(4 - x - y);
        }
    // Sum 4 everywhere but 3 at (1, 0) and (1, 2).
    costB[r->xyIdx(1, 0)] = 2.0f;
    costB[r->xyIdx(1, 2)] = 0.0f;
    dirA[r->xyIdx(0, 0)] = -1;
    dirA[r->xyIdx(1, 0)] = 1;
    dirB[r->xyIdx(1, 0)] = 3;
    dirB[r->xyIdx(2, 0)] = 2;
    dirB[r->xyIdx(2, 1)] = 2;
    dirB[r->xyIdx(2, 2)] = -1;
    Net net;
    TwoPin& tp = connection(net, Point(0, 0, 0), Point(2, 2, 0), boxOf(0, 0, 2, 2));
    ASSERT_TRUE(r->identifyPath(&tp, dirA, costA, dirB, costB));
    // The half towards `from` first, then the half towards `to`.
    EXPECT_EQ(steps(tp.path), (Steps{{1, 0, 0}, {1, 1, 0}, {0, 2, 0}, {0, 2, 1}}));
    // Joined along a side with a cost of 1 per G-cell walked: left and right 4,
    // bottom and top 3, against the meeting cost 3.
    EXPECT_EQ(r->minCostLeftRight(0, 0, 2, costA, costB), 4.0f);
    EXPECT_EQ(r->minCostTopBottom(0, 2, 0, costA, costB), 3.0f);
    EXPECT_FALSE(tp.box.growLeft);
    EXPECT_FALSE(tp.box.growRight);
    EXPECT_TRUE(tp.box.growDown);
    EXPECT_TRUE(tp.box.growUp);
}

TEST(MonTraceBack, BrokenMapsEndTheRunWithAnInternalError) {
    auto r = uniformRouter(3, 3, 1.0f);
    int* dir = r->workDir1.data();
    std::vector<RPoint> path;
    dir[r->xyIdx(0, 0)] = 3;
    dir[r->xyIdx(1, 0)] = 1;  // a cycle
    EXPECT_EXIT(r->monTraceBack(path, 1, 0, dir), ::testing::ExitedWithCode(1), "walked more steps");
    dir[r->xyIdx(1, 0)] = 0;  // out of the region
    EXPECT_EXIT(r->monTraceBack(path, 1, 0, dir, boxOf(0, 0, 2, 2)), ::testing::ExitedWithCode(1),
                "left the region");
    // An unknown code is reported as such (on standard output, nothing on standard
    // error), also where it sits at the last G-cell of the region.
    dir[r->xyIdx(1, 0)] = 1;
    dir[r->xyIdx(0, 0)] = 7;
    EXPECT_EXIT(r->monTraceBack(path, 1, 0, dir, boxOf(0, 0, 1, 0)), ::testing::ExitedWithCode(1), "^$");
}
