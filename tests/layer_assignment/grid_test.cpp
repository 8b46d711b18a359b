#include <gtest/gtest.h>

#include "la_test_util.h"

using namespace latest;

namespace {

void init(Graph& g, NetDB& db, double pinFactor) {
    testing::internal::CaptureStdout();
    g.initialLA(db, 1, pinFactor);
    testing::internal::GetCapturedStdout();
}

}  // namespace

TEST(LAGrid, AdjustmentsSetDemandFromTheAdjustedCapacity) {
    NetDB db = makeDB(4, 4, {0, 5, 0}, {5, 0, 5});
    db.adjLocate = {RPoint(1, 1, 0, 1), RPoint(2, 1, 1, 0), RPoint(2, 1, 1, 0)};
    db.adjCapacity = {5, 0, 3};  // unchanged; closed; the same edge again (set, not added)
    Graph g;
    init(g, db, 0.0);
    EXPECT_EQ(g.at3D(1, 1, 1, 0).demand, 0);
    EXPECT_EQ(g.at3D(0, 2, 1, 1).demand, 2);
    EXPECT_EQ(g.demand2DV[g.idx2D(2, 1)], 7);  // 5 + 2: the 2D demand adds each time
    EXPECT_EQ(g.pitch[1], 1);
    EXPECT_EQ(g.tracks[0][1], 5);
    EXPECT_EQ(g.tracks[1][1], 0);
}

TEST(LAGrid, AdjustmentListsOfDifferentLengthReportAndApplyTheShorter) {
    NetDB db = makeDB(3, 3, {4}, {4});
    db.adjLocate = {RPoint(0, 0, 0, 1), RPoint(0, 1, 0, 1)};
    db.adjCapacity = {1};
    Graph g;
    testing::internal::CaptureStdout();
    g.initialLA(db, 1, 0.0);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "ERROR: LA 2251\n");
    EXPECT_EQ(g.at3D(1, 0, 0, 0).demand, 3);
    EXPECT_EQ(g.at3D(1, 0, 1, 0).demand, 0);
}

TEST(LAGrid, PinBlockageGoesOnTheLowestLayerOfEachDirection) {
    // Vertical tracks from layer 1 up, horizontal on layers 0 and 2.
    NetDB db = makeDB(4, 4, {0, 6, 0, 6}, {6, 0, 6, 0});
    db.pinCount[1][1] = 3;
    Graph g;
    init(g, db, 0.5);  // ceil(1.5) = 2
    EXPECT_EQ(g.at3D(0, 1, 1, 1).demand, 2);  // above
    EXPECT_EQ(g.at3D(0, 1, 0, 1).demand, 2);  // below
    EXPECT_EQ(g.at3D(1, 0, 1, 0).demand, 2);  // left
    EXPECT_EQ(g.at3D(1, 1, 1, 0).demand, 2);  // right
    EXPECT_EQ(g.at3D(0, 1, 1, 3).demand, 0);
    EXPECT_EQ(g.at3D(1, 1, 1, 2).demand, 0);
    EXPECT_EQ(g.demand2DV[g.idx2D(1, 1)], 0);  // not in the 2D demand
}

TEST(LAGrid, PinBlockageFromBothEndsAddsAndIsCappedAtTheTracks) {
    NetDB db = makeDB(4, 4, {5}, {5});
    db.pinCount[1][1] = 2;
    db.pinCount[2][1] = 1;
    Graph g;
    init(g, db, 1.0);
    EXPECT_EQ(g.at3D(1, 1, 1, 0).demand, 3);  // 2 from the left end, 1 from the right
    Graph full;
    init(full, db, 10.0);
    EXPECT_EQ(full.at3D(1, 1, 1, 0).demand, 5);  // never above the tracks
    EXPECT_EQ(full.at3D(0, 1, 0, 0).demand, 5);
    Graph none;
    init(none, db, 0.0);
    EXPECT_EQ(none.at3D(1, 1, 1, 0).demand, 0);
}

TEST(LAGrid, DirectionWithoutTracksGetsNoPinBlockageWhenUnused) {
    NetDB db = makeDB(3, 3, {0, 0}, {4, 4});
    db.pinCount[1][1] = 4;
    addNet(db, 0, {{0, 1, 0}, {2, 1, 0}}, {pathThrough({{0, 1}, {1, 1}, {2, 1}})});
    Graph g;
    init(g, db, 1.0);
    EXPECT_EQ(g.at3D(0, 1, 1, 0).demand, 0);
    EXPECT_EQ(g.at3D(1, 1, 1, 0).demand, 4);
}

TEST(LAGridDeathTest, RouteInADirectionWithoutTracksIsRefused) {
    NetDB db = makeDB(3, 3, {0, 0}, {4, 4});
    addNet(db, 0, {{0, 0, 0}, {0, 2, 0}}, {pathThrough({{0, 0}, {0, 1}, {0, 2}})});
    Graph g;
    EXPECT_EXIT(g.initialLA(db, 1, 0.0), testing::ExitedWithCode(1),
                "the routes use vertical edges but no layer has vertical tracks");
}

TEST(LAGridDeathTest, PinOutsideTheGridIsRefused) {
    NetDB db = makeDB(3, 3, {2, 2}, {2, 2});
    addNet(db, 0, {{0, 0, 0}, {1, 0, 2}}, {pathThrough({{0, 0}, {1, 0}})});
    Graph g;
    EXPECT_EXIT(g.initialLA(db, 1, 0.0), testing::ExitedWithCode(1), "n0 has a pin at \\(1,0,2\\)");
}

TEST(LAGrid, NetWithTooFewLayerPinsIsReportedAndKept) {
    NetDB db = makeDB(3, 3, {2, 2}, {2, 2});
    Net& n = addNet(db, 7, {{0, 0, 1}, {2, 0, 0}}, {pathThrough({{0, 0}, {1, 0}, {2, 0}})});
    n.pin3D.clear();
    Graph g;
    testing::internal::CaptureStdout();
    g.initialLA(db, 1, 0.0);
    g.convertGRtoLA(db);
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(out.rfind("ERROR: LA 2218 netID=7\n", 0), 0u);
    ASSERT_EQ(g.nets.size(), 1u);
    EXPECT_EQ(g.nets[0].edges.size(), 2u);  // rooted at the first G-cell pin
    EXPECT_EQ(g.nets[0].nodes[0].minPinLayer, 1);
}

TEST(LAGrid, TotalOverflowIsWeightedByPitch) {
    NetDB db = makeDB(3, 3, {2, 2}, {2, 2});
    db.minWidth[1] = 2;
    db.minSpacing[1] = 1;  // pitch 3
    Graph g;
    init(g, db, 0.0);
    int maxOF = -1;
    double weight = -1;
    EXPECT_EQ(g.getTotalOverflow(maxOF, weight), 0);
    EXPECT_EQ(maxOF, 0);
    EXPECT_EQ(weight, 0.0);
    g.at3D(1, 0, 0, 1).demand = 4;  // 2 over, weight 6
    g.at3D(0, 2, 1, 0).demand = 3;  // 1 over, weight 1
    g.at3D(0, 2, 2, 0).demand = 9;  // the unused last row of vertical edges is not counted
    EXPECT_EQ(g.getTotalOverflow(maxOF, weight), 7);
    EXPECT_EQ(maxOF, 6);
    EXPECT_DOUBLE_EQ(weight, 37.0);
    g.updateHistoryCost();
    EXPECT_EQ(g.at3D(1, 0, 0, 1).history, 1);
    EXPECT_EQ(g.at3D(1, 0, 0, 0).history, 0);
}

TEST(LAGrid, RipUpUndoesTheChargeAndOverflowCounts) {
    NetDB db = makeDB(3, 3, {1}, {1});
    addNet(db, 0, {{0, 0, 0}, {2, 0, 0}}, {pathThrough({{0, 0}, {1, 0}, {2, 0}})});
    addNet(db, 1, {{0, 0, 0}, {1, 0, 0}}, {pathThrough({{0, 0}, {1, 0}})});
    Graph g;
    prepare(g, db);
    testing::internal::CaptureStdout();
    g.COLA(0, 0, 0, false);
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(g.at3D(1, 0, 0, 0).demand, 2);
    EXPECT_EQ(g.overflowCountH[g.idx2D(0, 0)], 1);
    g.ripUp(g.nets[0]);
    EXPECT_EQ(g.at3D(1, 0, 0, 0).demand, 1);
    EXPECT_EQ(g.at3D(1, 1, 0, 0).demand, 0);
    EXPECT_EQ(g.overflowCountH[g.idx2D(0, 0)], 0);
    EXPECT_EQ(g.nets[0].edges[0].layer, -1);
    // Ripping up an unassigned net changes nothing on the grid.
    g.ripUp(g.nets[0]);
    EXPECT_EQ(g.at3D(1, 0, 0, 0).demand, 1);
}

TEST(LAGrid, HasOverflowComparesWithTheAllowances) {
    // One edge, four layers with one horizontal track each: allowances from a
    // 2D overflow of 3 are ceil 2 and floor 1.
    NetDB db = makeDB(2, 2, {1, 1, 1, 1}, {1, 0, 1, 0});
    for (int i = 0; i < 5; ++i) addNet(db, i, {{0, 0, 0}, {1, 0, 0}}, {pathThrough({{0, 0}, {1, 0}})});
    Graph g;
    prepare(g, db);
    Graph::net& n = g.nets[0];
    n.edges[0].layer = 0;
    const size_t c = g.idx2D(0, 0);
    g.at3D(1, 0, 0, 0).demand = 4;  // ov 3 > ceil 2
    EXPECT_TRUE(g.hasOverflow(n));
    g.at3D(1, 0, 0, 0).demand = 3;  // ov 2: not above ceil; count 0 <= 5 - 1
    EXPECT_FALSE(g.hasOverflow(n));
    g.overflowCountH[c] = 5;  // count above 2D demand - tracks, ov 2 > floor 1
    EXPECT_TRUE(g.hasOverflow(n));
    g.at3D(1, 0, 0, 0).demand = 2;  // ov 1 not above floor
    EXPECT_FALSE(g.hasOverflow(n));
}

TEST(LAGrid, ReportCPUTimeListsTheSevenTimers) {
    Graph g;
    testing::internal::CaptureStdout();
    g.reportCPUTime();
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(out,
              "CPU: kernelLA cost time : 0.00 seconds\n"
              "CPU: initialLeaf cost time : 0.00 seconds\n"
              "CPU: propagate cost time : 0.00 seconds\n"
              "CPU: mergeSubTre cost time : 0.00 seconds\n"
              "CPU: pruneSol cost time : 0.00 seconds\n"
              "CPU: topDown cost time : 0.00 seconds\n"
              "CPU: utility cost time : 0.00 seconds\n"
              "\n");
}
