// Maze search: open-set order, reopening, bounds, multi-source searches and
// the search stamp.

#include <gtest/gtest.h>

#include <climits>
#include <memory>
#include <vector>

#include "router/core/GlobalRouter.h"
#include "tests/common/RouterFixture.h"

namespace {

// A router whose cached edge costs are set by hand: cost mode 0 keeps commits
// from touching them, and the estimate weight is costScale + costOffset = w.
std::unique_ptr<GlobalRouter> makeRouter(int X, int Y, float w, float bend, float edgeCost) {
    std::vector<int> pitch{1};
    auto r = std::make_unique<GlobalRouter>(X, Y, 1, 8, 8, std::vector<int>{8}, std::vector<int>{8}, pitch);
    std::vector<RPoint> adj;
    std::vector<int> adjCap;
    r->initial2DGraph(adj, adjCap);
    r->costMode2D = 0;
    r->costScale = w;
    r->costOffset = 0.0f;
    r->bendCost = bend;
    for (int x = 0; x < X; ++x)
        for (int y = 0; y < Y; ++y) {
            r->mapCostAt(0, x, y) = edgeCost;
            r->mapCostAt(1, x, y) = edgeCost;
        }
    return r;
}

TwoPin& addConnection(Net& net, Point from, Point to) {
    TwoPin tp;
    tp.from = from;
    tp.to = to;
    tp.parNet = &net;
    net.twopin.push_back(tp);
    return net.twopin.back();
}

void expectPath(const std::vector<RPoint>& got, const std::vector<RPoint>& want) {
    ASSERT_EQ(got.size(), want.size());
    for (size_t i = 0; i < got.size(); ++i) {
        EXPECT_EQ(got[i].hori, want[i].hori) << "step " << i;
        EXPECT_EQ(got[i].x, want[i].x) << "step " << i;
        EXPECT_EQ(got[i].y, want[i].y) << "step " << i;
        EXPECT_EQ(got[i].z, 0) << "step " << i;
    }
}

void expectSearchCleared(GlobalRouter& r) {
    EXPECT_EQ(r.heap->min, nullptr);
    EXPECT_EQ(r.heap->count, 0);
    EXPECT_EQ(r.queue->head, nullptr);
    EXPECT_EQ(r.queue->count, 0);
}

GridCell* open(GlobalRouter& r, int x, int y, float key) {
    GridCell* c = &r.graph.cell(x, y, 0);
    c->key = key;
    c->inOpenSet = true;
    r.insertQueues(r.queue, r.heap, c);
    return c;
}

}  // namespace

TEST(MazeOpenSet, SmallestKeyFirstAndHeapWinsTies) {
    auto r = makeRouter(4, 4, 1.0f, 0.0f, 1.0f);
    GridCell* a = open(*r, 0, 0, 2.0f);  // deque front
    GridCell* b = open(*r, 1, 0, 4.0f);  // twice the tail or more: heap
    GridCell* c = open(*r, 2, 0, 3.0f);  // deque back
    EXPECT_TRUE(a->inQueue);
    EXPECT_FALSE(b->inQueue);
    EXPECT_TRUE(c->inQueue);
    EXPECT_EQ(r->popOpenSet(), a);
    EXPECT_FALSE(a->inOpenSet);
    GridCell* e = open(*r, 3, 0, 4.0f);  // deque back, behind c
    EXPECT_TRUE(e->inQueue);
    EXPECT_EQ(r->popOpenSet(), c);
    // Deque head and heap top both hold key 4: the heap's cell comes first.
    EXPECT_EQ(r->popOpenSet(), b);
    EXPECT_EQ(r->popOpenSet(), e);
    EXPECT_EQ(r->popOpenSet(), nullptr);
}

TEST(MazeOpenSet, EqualKeyGoesToTheDequeFront) {
    auto r = makeRouter(4, 4, 1.0f, 0.0f, 1.0f);
    GridCell* a = open(*r, 0, 0, 2.0f);
    GridCell* b = open(*r, 1, 0, 2.0f);
    EXPECT_EQ(r->popOpenSet(), b);
    EXPECT_EQ(r->popOpenSet(), a);
}

TEST(MazeSearch, NeighbourOrderDecidesBetweenEqualPaths) {
    // Both L shapes cost the same; the right neighbour is inserted after the up
    // neighbour with an equal key, lands at the deque front and is expanded first.
    auto r = makeRouter(4, 4, 1.0f, 0.0f, 1.0f);
    Net net;
    net.pin2D = {Point(0, 0, 0), Point(1, 1, 0)};
    TwoPin& tp = addConnection(net, Point(0, 0, 0), Point(1, 1, 0));
    tp.path = {RPoint(0, 0, 0, 0), RPoint(0, 1, 0, 1)};  // up, then right: cost 2
    BoundingBox box = boxOf(0, 0, 3, 3);
    r->MultiMaze(&tp, 100, box, true);
    expectPath(tp.path, {RPoint(1, 0, 0, 0), RPoint(0, 0, 0, 1)});
    EXPECT_EQ(tp.from, Point(1, 1, 0));
    EXPECT_EQ(tp.to, Point(0, 0, 0));
    EXPECT_EQ(tp.pathSize, 2);
    EXPECT_FLOAT_EQ(tp.mazeBound, 2.0f);
    expectSearchCleared(*r);
}

TEST(MazeSearch, ClosedCellIsReopenedByACheaperKey) {
    // The estimate weight 10 overrates the remaining cost of unit edges, so the
    // cell (1,0) is closed from the source over an edge of cost 100 and later
    // reached again through (0,1) and (1,1) with a lower key.
    auto r = makeRouter(5, 4, 10.0f, 0.0f, 1.0f);
    r->mapCostAt(1, 0, 0) = 100.0f;  // (0,0)-(1,0)
    r->mapCostAt(1, 1, 0) = 50.0f;   // (1,0)-(2,0)
    r->mapCostAt(0, 0, 0) = 90.0f;   // (0,0)-(0,1)
    r->mapCostAt(1, 1, 1) = 200.0f;  // (1,1)-(2,1)
    Net net;
    net.pin2D = {Point(0, 0, 0), Point(4, 0, 0)};
    TwoPin& tp = addConnection(net, Point(0, 0, 0), Point(4, 0, 0));
    // The old path runs over row 3, outside the search box, at a high cost.
    for (int y = 0; y < 3; ++y) {
        tp.path.emplace_back(0, y, 0, 0);
        if (y > 0) r->mapCostAt(0, 0, y) = 1000.0f;
        r->mapCostAt(0, 4, y) = 1000.0f;
    }
    for (int x = 0; x < 4; ++x) {
        tp.path.emplace_back(x, 3, 0, 1);
        r->mapCostAt(1, x, 3) = 1000.0f;
    }
    for (int y = 2; y >= 0; --y) tp.path.emplace_back(4, y, 0, 0);
    BoundingBox box = boxOf(0, 0, 4, 1);
    r->MultiMaze(&tp, 100, box, true);
    // Without reopening the path would run straight along row 0 (cost 152).
    expectPath(tp.path, {RPoint(3, 0, 0, 1), RPoint(2, 0, 0, 1), RPoint(1, 0, 0, 1), RPoint(1, 0, 0, 0),
                         RPoint(0, 1, 0, 1), RPoint(0, 0, 0, 0)});
    EXPECT_FLOAT_EQ(tp.mazeBound, 144.0f);
    EXPECT_EQ(tp.from, Point(4, 0, 0));
    EXPECT_EQ(tp.to, Point(0, 0, 0));
}

TEST(MazeSearch, EqualKeyWithFewerChargedStepsTakesTheNewParent) {
    // With no estimate the key is the path cost. The cell (1,1) is reached
    // first over (1,0) with key 2 and two charged steps, and expanded; it is
    // reached again from (0,1) with the same key over a free edge, one charged
    // step: that arrival takes over and is passed on to the target (2,1).
    // Reaching (0,1) back from (1,1) with the same key and a longer length
    // must not change (0,1)'s parent.
    auto r = makeRouter(3, 2, 0.0f, 0.0f, 1000.0f);
    r->mapCostAt(1, 0, 0) = 1.0f;  // (0,0)-(1,0)
    r->mapCostAt(0, 1, 0) = 1.0f;  // (1,0)-(1,1)
    r->mapCostAt(0, 0, 0) = 2.0f;  // (0,0)-(0,1)
    r->mapCostAt(1, 0, 1) = 0.0f;  // (0,1)-(1,1)
    r->mapCostAt(1, 1, 1) = 1.0f;  // (1,1)-(2,1)
    Net net;
    net.pin2D = {Point(0, 0, 0), Point(2, 1, 0)};
    TwoPin& tp = addConnection(net, Point(0, 0, 0), Point(2, 1, 0));
    tp.path = {RPoint(0, 0, 0, 1), RPoint(1, 0, 0, 1), RPoint(2, 0, 0, 0)};  // cost 2001
    BoundingBox box = boxOf(0, 0, 2, 1);
    r->MultiMaze(&tp, 100, box, true);
    expectPath(tp.path, {RPoint(1, 1, 0, 1), RPoint(0, 1, 0, 1), RPoint(0, 0, 0, 0)});
    EXPECT_FLOAT_EQ(tp.mazeBound, 3.0f);
    EXPECT_EQ(r->graph.cell(1, 1, 0).length, 1);
    EXPECT_EQ(r->graph.cell(2, 1, 0).length, 2);
    expectSearchCleared(*r);
}

TEST(MazeSearch, CostBoundCuttingOffEveryTargetKeepsTheOldPath) {
    auto r = makeRouter(6, 6, 1.0f, 0.0f, 5.0f);
    Net net;
    net.pin2D = {Point(1, 1, 0), Point(4, 1, 0)};
    TwoPin& tp = addConnection(net, Point(1, 1, 0), Point(4, 1, 0));
    tp.path = {RPoint(1, 1, 0, 1), RPoint(2, 1, 0, 1), RPoint(3, 1, 0, 1)};
    tp.pathSize = 3;
    // Only the old path is cheap, and it lies outside the search box: nothing
    // inside the box reaches the target within the old path's cost of 3.
    for (const RPoint& s : tp.path) r->mapCostAt(1, s.x, s.y) = 1.0f;
    BoundingBox box = boxOf(0, 2, 5, 5);
    const int stampBefore = r->searchStamp;
    r->MultiMaze(&tp, 100, box, true);
    expectPath(tp.path, {RPoint(1, 1, 0, 1), RPoint(2, 1, 0, 1), RPoint(3, 1, 0, 1)});
    EXPECT_EQ(tp.from, Point(1, 1, 0));
    EXPECT_EQ(tp.to, Point(4, 1, 0));
    EXPECT_EQ(tp.pathSize, 3);
    EXPECT_FLOAT_EQ(tp.mazeBound, 3.0f);
    EXPECT_EQ(r->searchStamp, stampBefore + 1);
    expectSearchCleared(*r);
}

TEST(MazeSearch, LengthBoundCuttingOffEveryTargetKeepsTheOldPath) {
    auto r = makeRouter(6, 6, 1.0f, 0.0f, 1.0f);
    Net net;
    net.pin2D = {Point(0, 0, 0), Point(3, 0, 0)};
    TwoPin& tp = addConnection(net, Point(0, 0, 0), Point(3, 0, 0));
    tp.path = {RPoint(0, 0, 0, 0), RPoint(0, 1, 0, 1), RPoint(1, 1, 0, 1), RPoint(2, 1, 0, 1), RPoint(3, 0, 0, 0)};
    BoundingBox box = boxOf(0, 0, 5, 5);
    // The check adds the estimate to the length of the cell being expanded, so
    // a bound of 1 cuts off the pins 3 apart and a bound of 2 admits them.
    r->MultiMaze(&tp, 1, box, true);
    EXPECT_EQ(tp.path.size(), 5u);
    EXPECT_EQ(tp.path[1].y, 1);
    r->MultiMaze(&tp, 2, box, true);
    expectPath(tp.path, {RPoint(2, 0, 0, 1), RPoint(1, 0, 0, 1), RPoint(0, 0, 0, 1)});
}

TEST(MazeSearch, OtherConnectionsJoiningBothEndsLeaveAnEmptyPath) {
    auto r = makeRouter(6, 6, 1.0f, 1.0f, 1.0f);
    Net net;
    net.twopin.reserve(3);
    net.pin2D = {Point(0, 0, 0), Point(3, 0, 0), Point(3, 3, 0)};
    TwoPin& ab = addConnection(net, Point(0, 0, 0), Point(3, 0, 0));
    ab.path = {RPoint(0, 0, 0, 1), RPoint(1, 0, 0, 1), RPoint(2, 0, 0, 1)};
    TwoPin& bc = addConnection(net, Point(3, 0, 0), Point(3, 3, 0));
    bc.path = {RPoint(3, 0, 0, 0), RPoint(3, 1, 0, 0), RPoint(3, 2, 0, 0)};
    TwoPin& ac = addConnection(net, Point(0, 0, 0), Point(3, 3, 0));
    ac.path = {RPoint(0, 0, 0, 0), RPoint(0, 1, 0, 0), RPoint(0, 2, 0, 0),
               RPoint(0, 3, 0, 1), RPoint(1, 3, 0, 1), RPoint(2, 3, 0, 1)};
    ac.pathSize = 6;
    BoundingBox box = boxOf(0, 0, 5, 5);
    r->MultiMaze(&ac, 100, box, true);
    EXPECT_TRUE(ac.path.empty());
    EXPECT_EQ(ac.pathSize, 0);
    EXPECT_EQ(ac.from, Point(0, 0, 0));
    EXPECT_EQ(ac.to, Point(3, 3, 0));
    expectSearchCleared(*r);
}

// Pins A(0,0) and B(5,0) are joined by another connection along row 0; the
// connection from B to C(1,4) is being rerouted, so A and B are its sources.
struct JoinedPins {
    Net net;
    TwoPin* ab = nullptr;
    TwoPin* bc = nullptr;
    JoinedPins(GlobalRouter& r, float siblingCost) {
        net.twopin.reserve(2);
        net.pin2D = {Point(0, 0, 0), Point(5, 0, 0), Point(1, 4, 0)};
        ab = &addConnection(net, Point(0, 0, 0), Point(5, 0, 0));
        for (int x = 0; x < 5; ++x) {
            ab->path.emplace_back(x, 0, 0, 1);
            r.mapCostAt(1, x, 0) = siblingCost;
        }
        bc = &addConnection(net, Point(5, 0, 0), Point(1, 4, 0));
        bc->path = {RPoint(5, 0, 0, 0), RPoint(5, 1, 0, 0), RPoint(5, 2, 0, 0), RPoint(5, 3, 0, 0),
                    RPoint(4, 4, 0, 1), RPoint(3, 4, 0, 1), RPoint(2, 4, 0, 1), RPoint(1, 4, 0, 1)};
    }
};

TEST(MazeSearch, StartsFromAnyPinJoinedToTheSourceSide) {
    auto r = makeRouter(6, 6, 1.0f, 0.0f, 1.0f);
    JoinedPins j(*r, 1.0f);
    BoundingBox box = boxOf(0, 0, 5, 5);
    r->MultiMaze(j.bc, 100, box, true);
    EXPECT_EQ(r->mazeSources.size(), 2u);
    EXPECT_EQ(r->mazeTargets.size(), 1u);
    EXPECT_EQ(j.bc->from, Point(1, 4, 0));
    EXPECT_EQ(j.bc->to, Point(0, 0, 0));  // started at A, not at its own end B
    EXPECT_EQ(j.bc->pathSize, 5);
    EXPECT_EQ(j.bc->path.size(), 5u);
    EXPECT_FLOAT_EQ(j.bc->mazeBound, 5.0f);
}

TEST(MazeSearch, DiscountedEdgesAddNeitherLengthNorEstimate) {
    BoundingBox box = boxOf(0, 0, 5, 5);
    {
        // Free steps from B along row 0, then four charged steps up column 1:
        // the goal's key and length count only the charged steps.
        auto r = makeRouter(6, 6, 1.0f, 0.0f, 1.0f);
        JoinedPins j(*r, 0.0f);
        r->MultiMaze(j.bc, 100, box, true);
        EXPECT_EQ(j.bc->from, Point(1, 4, 0));
        EXPECT_EQ(j.bc->to, Point(5, 0, 0));
        EXPECT_EQ(j.bc->path.size(), 8u);
        EXPECT_EQ(j.bc->pathSize, 8);
        EXPECT_FLOAT_EQ(j.bc->mazeBound, 4.0f);
        EXPECT_EQ(r->graph.cell(1, 4, 0).length, 4);
    }
    {
        // The length test still adds the estimate of the cell reached: leaving
        // B over row 0 needs 0 + 7, so a bound of 6 leaves only the routes from A.
        auto r = makeRouter(6, 6, 1.0f, 0.0f, 1.0f);
        JoinedPins j(*r, 0.0f);
        r->MultiMaze(j.bc, 6, box, true);
        EXPECT_EQ(j.bc->from, Point(1, 4, 0));
        EXPECT_EQ(j.bc->to, Point(0, 0, 0));
        expectPath(j.bc->path, {RPoint(1, 3, 0, 0), RPoint(1, 2, 0, 0), RPoint(1, 1, 0, 0),
                                RPoint(1, 0, 0, 0), RPoint(0, 0, 0, 1)});
        EXPECT_FLOAT_EQ(j.bc->mazeBound, 4.0f);
    }
}

TEST(MazeSearch, PathScoreCountsBendsInListOrder) {
    auto r = makeRouter(4, 4, 1.0f, 10.0f, 1.0f);
    r->mapCostAt(0, 0, 0) = 2.0f;
    Net net;
    TwoPin& tp = addConnection(net, Point(0, 0, 0), Point(2, 1, 0));
    tp.path = {RPoint(0, 0, 0, 0), RPoint(0, 1, 0, 1), RPoint(1, 1, 0, 1)};
    EXPECT_FLOAT_EQ(r->PathScore(&tp, net), 2.0f + 1.0f + 1.0f + 10.0f);
    tp.path = {RPoint(0, 0, 0, 1), RPoint(1, 0, 0, 0), RPoint(1, 1, 0, 1)};
    EXPECT_FLOAT_EQ(r->PathScore(&tp, net), 3.0f + 20.0f);
    tp.path.clear();
    EXPECT_FLOAT_EQ(r->PathScore(&tp, net), 0.0f);
}

TEST(MazeSearch, StampWrapsToZeroAfterResettingEveryCell) {
    auto r = makeRouter(5, 3, 1.0f, 0.0f, 1.0f);
    Net net;
    net.pin2D = {Point(0, 0, 0), Point(4, 2, 0)};
    TwoPin& tp = addConnection(net, Point(0, 0, 0), Point(4, 2, 0));
    tp.path = {RPoint(0, 0, 0, 1), RPoint(1, 0, 0, 1), RPoint(2, 0, 0, 1), RPoint(3, 0, 0, 1),
               RPoint(4, 0, 0, 0), RPoint(4, 1, 0, 0)};
    BoundingBox box = boxOf(0, 0, 4, 2);
    r->searchStamp = INT_MAX - 1;
    r->MultiMaze(&tp, 100, box, true);
    EXPECT_EQ(r->searchStamp, 0);
    for (const GridCell& c : r->graph.cells) {
        EXPECT_EQ(c.visit, -1);
        EXPECT_EQ(c.target, -1);
    }
    EXPECT_EQ(tp.path.size(), 6u);
    // The next search runs normally on stamp 0.
    r->MultiMaze(&tp, 100, box, true);
    EXPECT_EQ(tp.path.size(), 6u);
    EXPECT_EQ(r->searchStamp, 1);
}

TEST(MazeSearch, BoxBeyondTheGridIsKeptInside) {
    auto r = makeRouter(3, 3, 1.0f, 0.0f, 1.0f);
    Net net;
    net.pin2D = {Point(0, 0, 0), Point(2, 2, 0)};
    TwoPin& tp = addConnection(net, Point(0, 0, 0), Point(2, 2, 0));
    tp.path = {RPoint(0, 0, 0, 1), RPoint(1, 0, 0, 1), RPoint(2, 0, 0, 0), RPoint(2, 1, 0, 0)};
    BoundingBox box = boxOf(-5, -5, 10, 10);
    r->MultiMaze(&tp, 100, box, true);
    EXPECT_EQ(tp.path.size(), 4u);
    for (const RPoint& s : tp.path) {
        EXPECT_GE(s.x, 0);
        EXPECT_GE(s.y, 0);
        EXPECT_LT(s.x + (s.hori == 1), 3);
        EXPECT_LT(s.y + (s.hori == 0), 3);
    }
}

// Pins P(0,0), Q(4,0) and R(2,4) meet at a Steiner point S(2,0): the search for
// S-R starts from P and Q and crosses S, a cell it reaches only as an end of
// the other connections. What an earlier search left in S's open-set state
// must not matter (it would name a record of the current search).
struct SteinerNet {
    Net net;
    TwoPin* sr = nullptr;
    SteinerNet() {
        net.twopin.reserve(3);
        net.pin2D = {Point(0, 0, 0), Point(4, 0, 0), Point(2, 4, 0)};
        addConnection(net, Point(0, 0, 0), Point(2, 0, 0)).path = {RPoint(0, 0, 0, 1), RPoint(1, 0, 0, 1)};
        addConnection(net, Point(2, 0, 0), Point(4, 0, 0)).path = {RPoint(2, 0, 0, 1), RPoint(3, 0, 0, 1)};
        sr = &addConnection(net, Point(2, 0, 0), Point(2, 4, 0));
        // A detour, so that the bound lets the search through S.
        sr->path = {RPoint(2, 0, 0, 0), RPoint(2, 1, 0, 1), RPoint(3, 1, 0, 0),
                    RPoint(3, 2, 0, 0), RPoint(3, 3, 0, 0), RPoint(2, 4, 0, 1)};
    }
};

TEST(MazeSearch, SteinerCellIgnoresTheOpenSetStateOfAnEarlierSearch) {
    BoundingBox box = boxOf(0, 0, 5, 5);
    auto fresh = makeRouter(6, 6, 1.0f, 0.5f, 1.0f);
    SteinerNet a;
    fresh->MultiMaze(a.sr, 100, box, true);
    ASSERT_FALSE(a.sr->path.empty());

    auto stale = makeRouter(6, 6, 1.0f, 0.5f, 1.0f);
    SteinerNet warm;
    stale->MultiMaze(warm.sr, 100, box, true);  // sizes the search state
    for (uint32_t slot : {0u, 1u, kNoCell - 1}) {
        SteinerNet b;
        MazeNode& s = stale->mazeNodes[static_cast<size_t>(stale->graph.cellIdx(2, 0, 0))];
        s.slot = slot;
        s.key = 100.0f;  // left open at a high key by a search of another net
        stale->MultiMaze(b.sr, 100, box, true);
        expectPath(b.sr->path, a.sr->path);
        EXPECT_EQ(b.sr->from, a.sr->from);
        EXPECT_EQ(b.sr->to, a.sr->to);
        EXPECT_EQ(stale->mazeHeap.count, 0);
        EXPECT_EQ(stale->mazeQueue.count, 0);
    }
}
