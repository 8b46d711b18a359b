// Monotonic, snaking and escape routing on small grids whose edge costs are set
// by hand, so that the best path and every tie are known.

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <utility>
#include <vector>

#include "router/GlobalRouter.h"
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

BoundingBox boxOf(int lx, int ly, int ux, int uy) {
    BoundingBox b;
    b.lower = Point(lx, ly, 0);
    b.upper = Point(ux, uy, 0);
    return b;
}

TwoPin& addConnection(Net& net, Point from, Point to, BoundingBox box) {
    TwoPin tp;
    tp.from = from;
    tp.to = to;
    tp.parNet = &net;
    net.twopin.push_back(tp);
    net.twopin.back().box = box;  // a copy does not keep the box
    return net.twopin.back();
}

// Steps as (hori, x, y) triples.
std::vector<std::vector<int>> steps(const std::vector<RPoint>& path) {
    std::vector<std::vector<int>> out;
    for (const RPoint& p : path) out.push_back({p.hori, p.x, p.y});
    return out;
}

using Steps = std::vector<std::vector<int>>;

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

    // Towards smaller x and y the codes are 3 and 2; a cheap column draws the path.
    for (int y = 0; y < 2; ++y) r->mapCostAt(0, 0, y) = 0.5f;
    Point s2(2, 2, 0), t2(0, 0, 0);
    r->pseudoMonotonic(s2, t2, dir, cost);
    path.clear();
    r->monTraceBack(path, 0, 0, dir);
    EXPECT_EQ(steps(path), (Steps{{0, 0, 0}, {0, 0, 1}, {1, 0, 2}, {1, 1, 2}}));
}

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
    TwoPin& tp = addConnection(net, from, to, transposed ? boxOf(0, 0, 2, 1) : boxOf(0, 0, 1, 2));
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

TEST(SnakingRouting, BackwardSweepTakesOnlyGainsAboveOneHundredth) {
    const Steps snake{{0, 1, 0}, {0, 1, 1}, {1, 0, 2}, {0, 0, 1}, {0, 0, 0}};
    const Steps direct{{1, 0, 0}};
    for (bool transposed : {false, true}) {
        snakeScenario(transposed, 0.02f, snake);
        snakeScenario(transposed, 0.005f, direct);
    }
}

TEST(SnakingRouting, ForwardSweepTiesGoToTheHorizontalMove) {
    auto r = uniformRouter(2, 2, 1.0f);
    Point s(0, 0, 0), t(1, 1, 0);
    BoundingBox box = boxOf(0, 0, 1, 1);
    r->snakingRoutingVer(s, t, box, r->workDir1.data(), r->workCost1.data());
    EXPECT_EQ(r->workDir1[r->xyIdx(1, 1)], 1);
    r->snakingRoutingHor(s, t, box, r->workDir1.data(), r->workCost1.data());
    EXPECT_EQ(r->workDir1[r->xyIdx(1, 1)], 1);
    EXPECT_EQ(r->workCost1[r->xyIdx(1, 1)], 2.0f);
}

TEST(SnakingRouting, EndsOnTheMonotoneLineGiveTheStraightRun) {
    // Codes left by an earlier kernel must not be read.
    auto fill = [](GlobalRouter& r) {
        std::fill(r.workDir1.begin(), r.workDir1.end(), 3);
        std::fill(r.workCost1.begin(), r.workCost1.end(), -5.0f);
    };
    {
        auto r = uniformRouter(4, 4, 1.0f);
        fill(*r);
        Net net;
        TwoPin& tp = addConnection(net, Point(2, 0, 0), Point(2, 3, 0), boxOf(0, 0, 3, 3));
        r->snakingRouting(&tp, tp.box, r->workDir1.data(), r->workCost1.data(), false);
        EXPECT_EQ(steps(tp.path), (Steps{{0, 2, 2}, {0, 2, 1}, {0, 2, 0}}));
        TwoPin& row = addConnection(net, Point(3, 1, 0), Point(0, 1, 0), boxOf(0, 0, 3, 3));
        r->snakingRouting(&row, row.box, r->workDir1.data(), r->workCost1.data(), true);
        EXPECT_EQ(steps(row.path), (Steps{{1, 0, 1}, {1, 1, 1}, {1, 2, 1}}));
    }
    // Grids one G-cell wide and one G-cell high.
    auto narrow = uniformRouter(1, 5, 1.0f);
    fill(*narrow);
    Net n1;
    TwoPin& col = addConnection(n1, Point(0, 4, 0), Point(0, 1, 0), boxOf(0, 0, 0, 4));
    narrow->snakingRouting(&col, col.box, narrow->workDir1.data(), narrow->workCost1.data(), false);
    EXPECT_EQ(steps(col.path), (Steps{{0, 0, 1}, {0, 0, 2}, {0, 0, 3}}));
    auto flat = uniformRouter(5, 1, 1.0f);
    fill(*flat);
    Net n2;
    TwoPin& row = addConnection(n2, Point(1, 0, 0), Point(3, 0, 0), boxOf(0, 0, 4, 0));
    flat->snakingRouting(&row, row.box, flat->workDir1.data(), flat->workCost1.data(), true);
    EXPECT_EQ(steps(row.path), (Steps{{1, 2, 0}, {1, 1, 0}}));
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
    TwoPin& tp = addConnection(net, Point(0, 0, 0), Point(2, 2, 0), boxOf(0, 0, 2, 2));
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

TEST(IdentifyPath, NoMeetingCellBelowTheCeilingLeavesThePath) {
    auto r = uniformRouter(4, 4, 1e11f);
    Net net;
    TwoPin& tp = addConnection(net, Point(0, 1, 0), Point(3, 2, 0), boxOf(0, 0, 3, 3));
    EXPECT_FALSE(r->escapRouting(&tp, tp.box, r->workDir1.data(), r->workCost1.data(), r->workDir2.data(),
                                 r->workCost2.data()));
    EXPECT_TRUE(tp.path.empty());
}

TEST(EscapeRouting, DetoursAroundAWallOnTheLowerSideWhenBothSidesTie) {
    auto r = uniformRouter(5, 5, 1.0f);
    r->mapCostAt(1, 1, 2) = 100.0f;
    r->mapCostAt(1, 2, 2) = 100.0f;
    for (bool snake : {false, true}) {
        Net net;
        TwoPin& tp = addConnection(net, Point(1, 2, 0), Point(3, 2, 0), boxOf(0, 0, 4, 4));
        int* d1 = r->workDir1.data();
        float* c1 = r->workCost1.data();
        int* d2 = r->workDir2.data();
        float* c2 = r->workCost2.data();
        ASSERT_TRUE(snake ? r->escapSnakeRouting(&tp, tp.box, d1, c1, d2, c2)
                          : r->escapRouting(&tp, tp.box, d1, c1, d2, c2));
        EXPECT_TRUE(joins(tp.path, tp.from, tp.to));
        if (!snake) {
            // Up and around and down around meet at cost 14; (1, 1) comes first.
            EXPECT_EQ(steps(tp.path), (Steps{{0, 1, 1}, {1, 1, 1}, {1, 2, 1}, {0, 3, 1}}));
        } else {
            EXPECT_EQ(tp.path.size(), 4u);  // no bend cost: any shortest detour
        }
    }
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
    dir[r->xyIdx(1, 0)] = 7;
    EXPECT_EXIT(r->monTraceBack(path, 1, 0, dir), ::testing::ExitedWithCode(1), "");
}
