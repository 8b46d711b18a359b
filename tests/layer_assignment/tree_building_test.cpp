#include <gtest/gtest.h>

#include "la_test_util.h"

using namespace latest;

namespace {

// Node index of the G-cell (x, y) in the tree, -1 when absent.
int nodeAt(const Graph::net& n, int x, int y) {
    for (size_t i = 0; i < n.nodes.size(); ++i)
        if (n.nodes[i].x == x && n.nodes[i].y == y) return static_cast<int>(i);
    return -1;
}

// Every edge i joins node i+1 to its parent, and children list back.
void expectTreeInvariant(const Graph::net& n) {
    ASSERT_EQ(n.edges.size() + 1, n.nodes.size());
    EXPECT_EQ(n.nodes[0].parent, -1);
    for (size_t i = 0; i < n.edges.size(); ++i) {
        const Graph::node& child = n.nodes[i + 1];
        ASSERT_GE(child.parent, 0);
        ASSERT_LT(child.parent, static_cast<int>(i + 1));
        const Graph::node& parent = n.nodes[child.parent];
        bool listed = false;
        for (int k = 0; k < parent.childCount; ++k) listed = listed || parent.children[k] == static_cast<int>(i + 1);
        EXPECT_TRUE(listed);
        const Graph::edge& e = n.edges[i];
        EXPECT_EQ(e.x, std::min(child.x, parent.x));
        EXPECT_EQ(e.y, std::min(child.y, parent.y));
        EXPECT_EQ(e.dir, child.y == parent.y ? 1 : 0);
        EXPECT_EQ(std::abs(child.x - parent.x) + std::abs(child.y - parent.y), 1);
    }
}

}  // namespace

TEST(TreeBuilding, SharedEdgesAreCountedOnce) {
    NetDB db = makeDB(5, 5, {4, 4}, {4, 4});
    addNet(db, 0, {{0, 0, 0}, {3, 0, 0}, {3, 2, 1}},
           {pathThrough({{0, 0}, {1, 0}, {2, 0}, {3, 0}}),
            pathThrough({{0, 0}, {1, 0}, {2, 0}, {3, 0}, {3, 1}, {3, 2}})});
    Graph g;
    testing::internal::CaptureStdout();
    g.initialLA(db, 1, 0.0);
    g.convertGRtoLA(db);
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(out, "convertGRtoLA  input total overflow=0  Wlen2D=5  maxLen=5  assignNet=1\n");
    const Graph::net& n = g.nets[0];
    expectTreeInvariant(n);
    EXPECT_EQ(n.edges.size(), 5u);
    for (int x = 0; x < 3; ++x) EXPECT_EQ(g.demand2DH[g.idx2D(x, 0)], 1);
    EXPECT_EQ(g.demand2DV[g.idx2D(3, 0)], 1);
    EXPECT_EQ(g.demand2DV[g.idx2D(3, 1)], 1);
    // The far pin is a non-root node with its own layer.
    const int far = nodeAt(n, 3, 2);
    ASSERT_GT(far, 0);
    EXPECT_TRUE(n.nodes[far].hasPin);
    EXPECT_EQ(n.nodes[far].minPinLayer, 1);
    EXPECT_FALSE(n.nodes[nodeAt(n, 1, 0)].hasPin);
}

TEST(TreeBuilding, CycleIsDroppedAtTheClosingEdgeAndLowerIndexParentWins) {
    NetDB db = makeDB(3, 3, {4}, {4});
    addNet(db, 0, {{0, 0, 0}, {1, 1, 0}},
           {pathThrough({{0, 0}, {1, 0}, {1, 1}}), pathThrough({{0, 0}, {0, 1}, {1, 1}})});
    Graph g;
    prepare(g, db);
    const Graph::net& n = g.nets[0];
    expectTreeInvariant(n);
    ASSERT_EQ(n.nodes.size(), 4u);
    // Breadth-first, north before east: (0,1) is node 1, (1,0) node 2.
    EXPECT_EQ(nodeAt(n, 0, 1), 1);
    EXPECT_EQ(nodeAt(n, 1, 0), 2);
    // (1,1) is reached from node 1 (lower index) over the horizontal edge; the
    // vertical edge (1,0)-(1,1) closes the cycle and is dropped.
    EXPECT_EQ(n.nodes[nodeAt(n, 1, 1)].parent, 1);
    EXPECT_EQ(g.Wlen2D, 3);
    EXPECT_EQ(g.demand2DV[g.idx2D(1, 0)], 0);
    EXPECT_EQ(g.demand2DH[g.idx2D(0, 1)], 1);
    EXPECT_EQ(n.nodes[0].childCount, 2);
}

TEST(TreeBuilding, NetWithoutPlanarStepsIsTheRootAlone) {
    NetDB db = makeDB(3, 3, {4, 4}, {4, 4});
    std::vector<RPoint> viaOnly{RPoint(1, 1, 0, 2)};
    addNet(db, 0, {{1, 1, 0}, {1, 1, 1}, {2, 2, 0}}, {viaOnly});
    addNet(db, 1, {{0, 0, 0}}, {});  // one G-cell pin: not converted
    Graph g;
    testing::internal::CaptureStdout();
    g.initialLA(db, 1, 0.0);
    g.convertGRtoLA(db);
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(out, "convertGRtoLA  input total overflow=0  Wlen2D=0  maxLen=0  assignNet=2\n");
    ASSERT_EQ(g.nets.size(), 1u);
    const Graph::net& n = g.nets[0];
    EXPECT_EQ(n.nodes.size(), 1u);
    EXPECT_TRUE(n.edges.empty());
    EXPECT_EQ(n.nodes[0].minPinLayer, 0);
    EXPECT_EQ(n.nodes[0].maxPinLayer, 1);
}

TEST(TreeBuilding, EdgeLayerIsThatOfTheLastMarkingStep) {
    NetDB db = makeDB(3, 3, {4, 4, 4}, {4, 4, 4});
    addNet(db, 0, {{0, 0, 0}, {2, 0, 0}},
           {pathThrough({{0, 0}, {1, 0}}, 1), pathThrough({{0, 0}, {1, 0}, {2, 0}}, 2)});
    Graph g;
    prepare(g, db);
    ASSERT_EQ(g.nets[0].edges.size(), 2u);
    EXPECT_EQ(g.nets[0].edges[0].layer, 2);
    EXPECT_EQ(g.nets[0].edges[1].layer, 2);
}

TEST(TreeBuilding, PathsOfOneNetDoNotLeakIntoTheNext) {
    NetDB db = makeDB(4, 4, {4}, {4});
    addNet(db, 5, {{0, 0, 0}, {3, 0, 0}}, {pathThrough({{0, 0}, {1, 0}, {2, 0}, {3, 0}})});
    // Same G-cells, but this net's own path only covers half of them.
    addNet(db, 9, {{0, 0, 0}, {1, 0, 0}}, {pathThrough({{0, 0}, {1, 0}})});
    Graph g;
    prepare(g, db);
    EXPECT_EQ(g.nets[0].edges.size(), 3u);
    EXPECT_EQ(g.nets[1].edges.size(), 1u);
    EXPECT_EQ(g.demand2DH[g.idx2D(0, 0)], 2);
    EXPECT_EQ(g.demand2DH[g.idx2D(2, 0)], 1);
}

TEST(TreeBuilding, AllowancesAndInputOverflow) {
    // Four layers, two horizontal tracks in total; five nets over one edge.
    NetDB db = makeDB(3, 3, {1, 1, 1, 1}, {1, 0, 1, 0});
    db.minWidth[0] = 3;  // pitch of layer 0 is 3
    for (int i = 0; i < 5; ++i) addNet(db, i, {{0, 0, 0}, {1, 0, 0}}, {pathThrough({{0, 0}, {1, 0}})});
    // Four nets over a vertical edge whose total is exactly four: no overflow there.
    for (int i = 5; i < 9; ++i) addNet(db, i, {{2, 0, 0}, {2, 1, 0}}, {pathThrough({{2, 0}, {2, 1}})});
    Graph g;
    prepare(g, db);
    EXPECT_EQ(g.demand2DH[g.idx2D(0, 0)], 5);
    EXPECT_EQ(g.ceilAllowH[g.idx2D(0, 0)], 2);   // ceil(2*3/4)
    EXPECT_EQ(g.floorAllowH[g.idx2D(0, 0)], 1);  // floor(2*3/4)
    EXPECT_EQ(g.ceilAllowV[g.idx2D(2, 0)], 0);
    EXPECT_EQ(g.floorAllowV[g.idx2D(2, 0)], 0);
    EXPECT_EQ(g.inputOverflow, 9);  // 3 tracks times pitch 3
    EXPECT_EQ(g.maxLen, 1);
    EXPECT_EQ(g.totalHTracks, 2);
    EXPECT_EQ(g.totalVTracks, 4);
}

TEST(TreeBuilding, AdjustmentBlockageEntersTheTwoDimensionalDemand) {
    NetDB db = makeDB(3, 3, {2, 2}, {2, 2});
    db.adjLocate.push_back(RPoint(0, 0, 1, 1));  // horizontal edge (0,0), layer 1
    db.adjCapacity.push_back(0);
    addNet(db, 0, {{0, 0, 0}, {1, 0, 0}}, {pathThrough({{0, 0}, {1, 0}})});
    Graph g;
    prepare(g, db);
    EXPECT_EQ(g.demand2DH[g.idx2D(0, 0)], 3);
    EXPECT_EQ(g.inputOverflow, 0);
    EXPECT_EQ(g.at3D(1, 0, 0, 1).demand, 2);
}

TEST(TreeBuildingDeathTest, NetOrderMismatchEndsTheRun) {
    NetDB db = makeDB(3, 3, {2}, {2});
    addNet(db, 0, {{0, 0, 0}, {1, 0, 0}}, {pathThrough({{0, 0}, {1, 0}})});
    Graph g;
    testing::internal::CaptureStdout();
    g.initialLA(db, 1, 0.0);
    testing::internal::GetCapturedStdout();
    db.nets[0].id = 4;
    EXPECT_EXIT(g.convertGRtoLA(db), testing::ExitedWithCode(1), "");
}

TEST(TreeBuildingDeathTest, PathStepOutsideTheGridIsRefused) {
    NetDB db = makeDB(3, 3, {2}, {2});
    addNet(db, 0, {{0, 0, 0}, {2, 0, 0}}, {{RPoint(2, 0, 0, 1)}});  // horizontal edge off the right border
    Graph g;
    testing::internal::CaptureStdout();
    g.initialLA(db, 1, 0.0);
    testing::internal::GetCapturedStdout();
    EXPECT_EXIT(g.convertGRtoLA(db), testing::ExitedWithCode(1), "n0 has a path step");
}

TEST(TreeBuilding, ResetKeepsNetsAndRebuildsTheSameTrees) {
    NetDB db = makeDB(4, 4, {2, 2}, {2, 2});
    db.adjLocate.push_back(RPoint(1, 1, 0, 0));
    db.adjCapacity.push_back(1);
    addNet(db, 0, {{0, 0, 0}, {2, 2, 1}}, {pathThrough({{0, 0}, {1, 0}, {1, 1}, {1, 2}, {2, 2}})});
    Graph g;
    prepare(g, db, 1, 1.0);
    const size_t edges = g.nets[0].edges.size();
    testing::internal::CaptureStdout();
    g.COLA(0, 0, 0, false);
    g.reset(db);
    EXPECT_TRUE(g.nets[0].edges.empty());
    EXPECT_FALSE(g.firstPass);
    g.convertGRtoLA(db);
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(g.nets[0].edges.size(), edges);
    EXPECT_EQ(g.at3D(0, 1, 1, 0).demand, 1);  // adjustment again, no pin blockage
    EXPECT_EQ(g.at3D(1, 0, 0, 0).demand, 0);
    EXPECT_EQ(g.at3D(1, 0, 0, 0).history, 0);
}
