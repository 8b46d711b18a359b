// The routing-driven re-placement loop on small hand-made designs: base-cost
// sequence, tie rule, a cell that keeps its tile, the early stop at zero
// overflow and a cell that no tile can take.

#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "router/core/GlobalRouter.h"
#include "tests/common/TwoPinNets.h"

namespace {

// An N x N grid of 10 x 10 DBU tiles, one layer of 4 tracks each way, one
// 10-high row per tile row. Anchors are NI terminals: they neither cut rows
// nor block routing and the loop never moves them.
struct LoopDesign {
    int N;
    std::vector<placeCell> cells;
    std::vector<Net> nets;
    std::vector<RPoint> adj;
    std::vector<int> adjCap;
    std::unique_ptr<GlobalRouter> router;
    controlGR control;

    explicit LoopDesign(int n) : N(n) { nets.reserve(16); }

    int addCell(int x, int y, int width, int type) {
        placeCell c;
        c.id = c.index = static_cast<int>(cells.size());
        c.xlow = x;
        c.ylow = y;
        c.width = width;
        c.height = 10;
        c.type = type;
        cells.push_back(c);
        return c.index;
    }
    // A horizontal edge (x, y)-(x+1, y) without tracks.
    void closeEdge(int x, int y) {
        adj.emplace_back(x, y, 0, 1);
        adjCap.push_back(0);
    }

    void build() {
        std::vector<int> pitch{1};
        router = std::make_unique<GlobalRouter>(N, N, 1, 4, 4, std::vector<int>{4}, std::vector<int>{4}, pitch);
        std::vector<Row> rows(N);
        for (int r = 0; r < N; ++r) rows[r] = Row{0, r * 10, N * 10, 10, 1, 0, {}};
        router->initialPlacement(cells, rows, 0, 0, 10, 10, 0.0, 0);
        router->initial2DGraph(adj, adjCap);
        router->placement.initVirtualDem();
        // Cost set-up of the placement flow before the loop.
        router->historyDivisor = 50.0f;
        router->sigmoidSlope = 0.5;
        router->historyExponent = 1.8;
        router->costScale = 10.0f;
        router->initialCostArray();
        router->costOffset = 200.0f;
        router->costMode2D = 2;
        router->initialFunc_2Dmap(2);
    }

    Point gcellOf(int cell) {
        const placeCell& c = router->placement.cells[cell];
        return Point(c.xlow / 10, c.ylow / 10, 0);
    }
    // A two-pin net between the lower-left corners of two objects, routed
    // straight (the ends share a row) and committed.
    void connect(int a, int b) {
        TwoPin& tp = addTwoPinNet(nets, router->placement.cellTwoPins, a, b);
        tp.from = gcellOf(a);
        tp.to = gcellOf(b);
        tp.box.Bondary(tp.from.x, tp.from.y);
        tp.box.Bondary(tp.to.x, tp.to.y);
        router->Flat(tp.from, tp.to, tp.path, *tp.parNet);
    }

    // A net between two anchors across a closed edge: one unit of overflow that
    // no cell move can remove.
    void standingOverflow(int y) {
        const int a = addCell(0, y * 10, 1, 2);
        const int b = addCell(20, y * 10, 1, 2);
        closeEdge(1, y);
        pending.push_back({a, b});
    }
    void connectPending() {
        for (auto& p : pending) connect(p.first, p.second);
    }
    std::vector<std::pair<int, int>> pending;

    placeCell& cell(int i) { return router->placement.cells[i]; }
    void run(int rounds) { router->place_and_route(nets, orders, control, rounds, 0); }
    std::vector<Order> orders;
};

TEST(ReplaceLoop, EqualTilesGoToTheSmallestColumnThenRowAndBaseCostDecays) {
    LoopDesign d(15);
    const int m = d.addCell(73, 70, 5, 0);  // no connections: every tile of its window costs the same
    d.standingOverflow(14);
    d.build();
    d.connectPending();
    ASSERT_EQ(d.router->totalOF, 1);

    d.run(0);  // no round: nothing moves
    EXPECT_EQ(d.cell(m).xlow, 73);
    d.run(1);
    EXPECT_EQ(d.cell(m).xlow, 20);
    EXPECT_EQ(d.cell(m).ylow, 20);
    EXPECT_EQ(d.cell(m).stay, 0);
    EXPECT_NEAR(d.router->costOffset, 5333.33, 0.01);
    EXPECT_TRUE(d.router->placement.countHistory);

    // Each call starts again from 8000: 5333.33, 3555.56, 2370.37, ... down to 50.
    d.run(3);
    EXPECT_NEAR(d.router->costOffset, 2370.37, 0.01);
    d.run(2);
    EXPECT_NEAR(d.router->costOffset, 3555.56, 0.01);
    d.run(13);
    EXPECT_FLOAT_EQ(d.router->costOffset, 50.0f);
    EXPECT_EQ(d.cell(m).xlow, 0);  // every round went to its window's lowest corner
    EXPECT_EQ(d.cell(m).ylow, 0);
}

TEST(ReplaceLoop, CellWhoseBestTileIsItsOwnSnapsToTheCornerAndCountsAsKept) {
    LoopDesign d(15);
    const int m = d.addCell(73, 70, 5, 0);
    const int anchor = d.addCell(78, 75, 1, 2);  // same tile
    d.standingOverflow(14);
    d.build();
    d.connectPending();
    d.connect(m, anchor);
    testing::internal::CaptureStdout();
    d.run(1);
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(d.cell(m).xlow, 70);
    EXPECT_EQ(d.cell(m).ylow, 70);
    EXPECT_EQ(d.cell(m).stay, 1);
    EXPECT_NE(out.find("moveAbleCellNum=1 binOF=0 expand=5  rounds=1"), std::string::npos) << out;
    EXPECT_NE(out.find("numMoveCell=0  avgMoveDis=0\n"), std::string::npos) << out;
    EXPECT_NE(out.find("Round=0  time="), std::string::npos) << out;
}

TEST(ReplaceLoop, RoundStopsAsSoonAsTheOverflowReachesZero) {
    LoopDesign d(15);
    const int m1 = d.addCell(20, 50, 5, 0);
    const int anchor = d.addCell(45, 55, 1, 2);
    const int m2 = d.addCell(103, 100, 5, 0);  // never visited
    d.closeEdge(3, 5);
    d.build();
    d.connect(m1, anchor);
    ASSERT_EQ(d.router->totalOF, 1);
    d.run(3);
    EXPECT_EQ(d.router->totalOF, 0);
    EXPECT_EQ(d.cell(m1).xlow, 40);  // onto the anchor's tile: no route left
    EXPECT_EQ(d.cell(m1).ylow, 50);
    EXPECT_TRUE(d.nets[0].twopin[0].path.empty());
    EXPECT_EQ(d.cell(m2).xlow, 103);  // not even snapped to its corner
    EXPECT_NEAR(d.router->costOffset, 5333.33, 0.01);  // no second round
}

TEST(ReplaceLoop, CellThatNoTileCanTakeStaysWhereItWas) {
    LoopDesign d(4);
    const int wide = d.addCell(0, 10, 45, 0);  // wider than the 40-unit die
    d.standingOverflow(3);
    d.build();
    d.connectPending();
    testing::internal::CaptureStdout();
    d.run(1);
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_NE(out.find("ERROR GlobalRouter 3881  index=0 (0,0)-(3,3)"), std::string::npos) << out;
    EXPECT_NE(out.find("dp[3][3]="), std::string::npos);
    EXPECT_EQ(d.cell(wide).xlow, 0);
    EXPECT_EQ(d.cell(wide).ylow, 10);
    EXPECT_NE(out.find("Round=0"), std::string::npos);  // the run goes on
}

}  // namespace
