#include <gtest/gtest.h>

#include "la_test_util.h"

using namespace latest;

namespace {

// Alternating 4-layer design with 10 x 10 DBU G-cells at origin (100, 200).
NetDB design(int X, int Y) {
    NetDB db = makeDB(X, Y, {0, 4, 0, 4}, {4, 0, 4, 0});
    db.originX = 100;
    db.originY = 200;
    return db;
}

std::string writeResult(Graph& g) {
    const std::string name = tempName("result");
    g.output3Dresult(name.c_str());
    return readFile(name);
}

}  // namespace

TEST(LAOutput, StackedEdgesOnOneLayerMergeAndALayerChangeSplitsTheRun) {
    NetDB db = design(4, 5);
    addNet(db, 3, {{1, 0, 2}, {1, 3, 2}}, {pathThrough({{1, 0}, {1, 1}, {1, 2}, {1, 3}})});
    Graph g;
    prepare(g, db);
    auto& edges = g.nets[0].edges;
    for (auto& e : edges) e.layer = 2;
    EXPECT_EQ(writeResult(g), "n3 3\n(110,200,3)-(110,230,3)\n!\n");
    // A layer change splits the run and adds vias.
    edges[0].layer = 2;
    edges[1].layer = 0;
    edges[2].layer = 2;
    EXPECT_EQ(writeResult(g),
              "n3 3\n"
              "(110,200,3)-(110,210,3)\n"
              "(110,210,1)-(110,220,1)\n"
              "(110,220,3)-(110,230,3)\n"
              "(110,210,1)-(110,210,3)\n"
              "(110,220,1)-(110,220,3)\n"
              "!\n");
}

TEST(LAOutput, NodeSpanningSeveralLayersWritesOneVia) {
    // The root (1,1) has its pin on layer 0; its edges lie on layers 3 and 1.
    NetDB db = design(3, 3);
    addNet(db, 0, {{1, 1, 0}, {1, 2, 3}, {1, 0, 1}}, {pathThrough({{1, 0}, {1, 1}, {1, 2}})});
    Graph g;
    prepare(g, db);
    // Node 1 is (1,2) (north first), node 2 is (1,0).
    auto& edges = g.nets[0].edges;
    edges[0].layer = 3;
    edges[1].layer = 1;
    EXPECT_EQ(writeResult(g),
              "n0 0\n"
              "(110,210,4)-(110,220,4)\n"
              "(110,200,2)-(110,210,2)\n"
              "(110,210,1)-(110,210,4)\n"
              "!\n");
}

TEST(LAOutput, VerticalRunsComeFirstAndRowsMergeToo) {
    NetDB db = design(5, 3);
    addNet(db, 1, {{0, 0, 0}, {3, 1, 0}}, {pathThrough({{0, 0}, {1, 0}, {2, 0}, {3, 0}, {3, 1}})});
    Graph g;
    prepare(g, db);
    for (auto& e : g.nets[0].edges) e.layer = e.dir == 1 ? 0 : 1;
    EXPECT_EQ(writeResult(g),
              "n1 1\n"
              "(130,200,2)-(130,210,2)\n"
              "(100,200,1)-(130,200,1)\n"
              "(130,200,1)-(130,200,2)\n"
              "(130,210,1)-(130,210,2)\n"
              "!\n");
}

TEST(LAOutput, RootAloneWritesItsPinVia) {
    NetDB db = design(3, 3);
    addNet(db, 2, {{1, 1, 0}, {1, 1, 2}, {2, 2, 0}}, {});
    Graph g;
    prepare(g, db);
    EXPECT_EQ(writeResult(g), "n2 2\n(110,210,1)-(110,210,3)\n!\n");
}

TEST(LAOutput, OverflowReportWithoutOverflow) {
    NetDB db = design(3, 3);
    addNet(db, 0, {{0, 0, 0}, {2, 0, 0}}, {pathThrough({{0, 0}, {1, 0}, {2, 0}})});
    Graph g;
    prepare(g, db, 0);
    testing::internal::CaptureStdout();
    g.COLA(0, 0, 0, false);
    testing::internal::GetCapturedStdout();
    const std::string name = tempName("ofinfo");
    g.outputOverflowInfo(name.c_str());
    EXPECT_EQ(readFile(name),
              "Total overflow = 0\n"
              "Max overflow = 0\n"
              "Wirelength = 2\n"
              "Via count = 0\n"
              "Total wirelength (wirelength+0*vias) = 2\n"
              "\nOverflowed grid edges: dem cap \n"
              "end\n");
}

TEST(LAOutput, OverflowReportListsHorizontalThenVerticalEdges) {
    NetDB db = design(3, 3);
    db.minWidth = {2, 2, 2, 2};
    db.minSpacing = {1, 1, 1, 1};  // pitch 3
    Graph g;
    prepare(g, db, 5);
    g.Wlen2D = 10;
    g.totalVia = 4;
    g.at3D(0, 1, 0, 3).demand = 6;  // vertical, 2 over
    g.at3D(1, 0, 2, 0).demand = 5;  // horizontal, 1 over
    g.at3D(1, 1, 2, 2).demand = 4;  // at capacity: not listed
    const std::string name = tempName("ofinfo");
    g.outputOverflowInfo(name.c_str());
    EXPECT_EQ(readFile(name),
              "Total overflow = 9\n"
              "Max overflow = 6\n"
              "Wirelength = 10\n"
              "Via count = 4\n"
              "Total wirelength (wirelength+5*vias) = 30\n"
              "\nOverflowed grid edges: dem cap \n"
              "(0, 2, 0) - (1, 2, 0)  5  4 \n"
              "(1, 0, 3) - (1, 1, 3)  6  4 \n"
              "end\n");
}

TEST(LAOutputDeathTest, UnopenableResultFileIsReported) {
    NetDB db = design(3, 3);
    Graph g;
    prepare(g, db);
    EXPECT_EXIT(g.output3Dresult("/nonexistent-dir/result"), testing::ExitedWithCode(1),
                "/nonexistent-dir/result: cannot be written: No such file or directory");
    EXPECT_EXIT(g.outputOverflowInfo("/nonexistent-dir/result.ofinfo"), testing::ExitedWithCode(1),
                "/nonexistent-dir/result.ofinfo: cannot be written: No such file or directory");
}
