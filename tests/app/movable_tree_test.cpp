// Decomposition over real pin positions and the router's placement hooks, on a
// hand-made design inside a real router.

#include <gtest/gtest.h>

#include <numeric>

#include "decomposition/MovableTree.h"
#include "tests/common/HandDesign.h"
#include "tests/common/RouterFixture.h"

namespace {

// 4 x 4 G-cells of 10 x 10 DBU, one full row per G-cell row.
struct Fixture {
    NetDB db;
    std::unique_ptr<GlobalRouter> router = makeSingleLayerRouter(4, 4, 10, 2);
    Fixture() { db.rows = stackedRows(4, 10, 40, 0); }
    int cell(int x, int y) { return addObject(db.cells, handCell(x, y, 2, 10)); }
    void pin(int net, int cell, int dx, int dy) {
        if (static_cast<int>(db.nets.size()) <= net) db.nets.resize(net + 1);
        db.nets[net].id = net;
        pinLocate p{cell, net, 1, dx, dy};
        db.nets[net].pins.push_back(p);
        db.cells[cell].pins.push_back(p);
    }
    // One net joining a cell in G-cell (0,0) and one in (2,2), decomposed; returns the first cell.
    int twoCellNet() {
        const int a = cell(1, 1), b = cell(25, 21);
        pin(0, a, 1, 1);
        pin(0, b, 1, 1);
        decompose();
        return a;
    }
    void decompose() {
        testing::internal::CaptureStdout();
        router->initialPlacement(db.cells, db.rows, 0, 0, 10, 10, 0.5, 0);
        BuildMovableTree(db, *router);
        testing::internal::GetCapturedStdout();
    }
};

// The connections of a net join all of its pins without a cycle.
void expectSpanningTree(const Net& net) {
    const int k = static_cast<int>(net.pins.size());
    ASSERT_EQ(static_cast<int>(net.twopin.size()), k < 2 ? 0 : k - 1);
    std::vector<int> parent(k);
    std::iota(parent.begin(), parent.end(), 0);
    auto root = [&](int a) {
        while (parent[a] != a) a = parent[a];
        return a;
    };
    for (const TwoPin& t : net.twopin) {
        const int a = root(t.fromPin), b = root(t.toPin);
        EXPECT_NE(a, b) << "cycle in net " << net.id;
        parent[a] = b;
    }
}

TEST(MovableTree, EveryPinJoinedEvenWhenPinsCoincide) {
    Fixture f;
    // Net 0: twelve pins on six cells, two pins at each position (overlapping cells).
    for (int i = 0; i < 6; ++i) {
        const int a = f.cell(5 * i, 3 * i);
        const int b = f.cell(5 * i, 3 * i);
        f.pin(0, a, 1, 1);
        f.pin(0, b, 1, 1);
    }
    // Net 1: two pins on one cell; net 2: no pins; net 3: a small net with a repeated point.
    const int c = f.cell(33, 30);
    f.pin(1, c, 0, 0);
    f.pin(1, c, 1, 5);
    f.db.nets.resize(4);
    f.db.nets[2].id = 2;
    f.pin(3, 0, 1, 1);
    f.pin(3, 1, 1, 1);
    f.pin(3, c, 0, 0);
    f.decompose();

    for (const Net& n : f.db.nets) expectSpanningTree(n);
    EXPECT_TRUE(f.db.nets[2].twopin.empty());

    // Per-cell lists: a connection on one cell is listed once, one across two cells twice.
    const std::vector<TwoPin*>& onC = f.router->placement.cellTwoPins[c];
    EXPECT_EQ(std::count(onC.begin(), onC.end(), &f.db.nets[1].twopin[0]), 1);
    size_t listed = 0;
    for (const auto& l : f.router->placement.cellTwoPins) listed += l.size();
    size_t expected = 0;
    for (const Net& n : f.db.nets)
        for (const TwoPin& t : n.twopin) expected += n.pins[t.fromPin].cell == n.pins[t.toPin].cell ? 1 : 2;
    EXPECT_EQ(listed, expected);
}

TEST(MovableTree, MovingACellMovesItsConnectionEndsAndVirtualDemand) {
    Fixture f;
    const int a = f.twoCellNet();
    Placement& p = f.router->placement;
    p.initVirtualDem();
    EXPECT_EQ(p.vdH(0, 0), 1);  // ceil(1 pin * 0.5)

    p.ripupBin(a);
    f.router->updateVirtualCost(p.cells[a]);
    EXPECT_EQ(p.vdH(0, 0), 0);
    p.insertBin(a, 31, 11);
    f.router->updateNetInfo(a);
    f.router->updateVirtualCost(p.cells[a]);
    const TwoPin& t = f.db.nets[0].twopin[0];
    const Point& moved = t.fromPin == 0 ? t.from : t.to;
    EXPECT_EQ(moved.x, 3);
    EXPECT_EQ(moved.y, 1);
    EXPECT_EQ(p.vdH(2, 1), 1);
    EXPECT_EQ(p.vdV(3, 1), 1);
    EXPECT_EQ(p.bin(3, 1).pinCount, 1);
    EXPECT_EQ(p.bin(0, 0).pinCount, 0);
}

// Pins at opposite corners of the accepted coordinate range: each net's tree is
// 4 x 10^9 long, beyond an int, through the complete graph (2 pins) and the
// spanning graph (11 pins).
TEST(MovableTree, TreeLengthsBeyondIntAtTheCoordinateLimits) {
    Fixture f;
    for (int net = 0; net < 2; ++net) {
        for (int i = 0; net == 1 && i < 10; ++i) f.pin(net, f.cell(-1000000000 + i * 200000000, -1000000000 + i * 200000000), 0, 0);
        f.pin(net, f.cell(-1000000000, -1000000000), 0, 0);
        f.pin(net, f.cell(999999998, 999999990), 2, 10);
    }
    testing::internal::CaptureStdout();
    f.router->initialPlacement(f.db.cells, f.db.rows, 0, 0, 10, 10, 0.5, 0);
    BuildMovableTree(f.db, *f.router);
    EXPECT_NE(testing::internal::GetCapturedStdout().find("totalMST=8000000000\n"), std::string::npos);
    for (const Net& n : f.db.nets) expectSpanningTree(n);
}

}  // namespace
