// Hand-back of layers into the connections' paths: whatever order a kernel
// left the 2D steps in, the 3D path runs from `from` to `to` in one walk with
// its vias where the layer changes; pins on several layers of one G-cell are
// joined; unassigned or disconnected steps flag the connection; the marks of
// large nets do not collide; a bad pin layer is reported without a pause.

#include <algorithm>

#include "la_test_util.h"
#include "tests/common/PathCheck.h"

using namespace latest;

namespace {

// Three layers: 0 holds only vertical tracks, 1 only horizontal ones, 2 both.
NetDB design(int X, int Y) { return makeDB(X, Y, {4, 0, 4}, {0, 4, 4}); }

// Every vertical edge on layer 0 (or 2), every horizontal one on layer 1.
void assignByDirection(Graph& g, int vertical = 0) {
    for (auto& n : g.nets)
        for (auto& e : n.edges) e.layer = e.dir == 1 ? 1 : vertical;
}

TwoPin& ends(Net& n, size_t i, Point from, Point to) {
    TwoPin& tp = n.twopin[i];
    tp.from = from;
    tp.to = to;
    tp.parNet = &n;
    return tp;
}

int viaCount(const std::vector<RPoint>& path) {
    return static_cast<int>(std::count_if(path.begin(), path.end(), [](const RPoint& s) { return s.hori == 2; }));
}

}  // namespace

TEST(HandBack, PathsInAnyKernelOrderBecomeOneWalkFromFromToTo) {
    // One staircase from (0,0) to (3,2): right, up, right, up, right.
    const std::vector<std::pair<int, int>> cells{{0, 0}, {1, 0}, {1, 1}, {2, 1}, {2, 2}, {3, 2}};
    std::vector<RPoint> ordered = pathThrough(cells);
    std::vector<RPoint> reversed(ordered.rbegin(), ordered.rend());  // trace back from `to`
    // Two halves from the meeting cell (2,1): towards `from`, then towards `to`.
    std::vector<RPoint> halves{ordered[2], ordered[1], ordered[0], ordered[3], ordered[4]};
    // Pattern routing lists the steps from the end with the smaller x; here that is `to`.
    const std::vector<std::vector<RPoint>> orders{ordered, reversed, halves};
    for (bool swapEnds : {false, true}) {
        for (size_t k = 0; k < orders.size(); ++k) {
            SCOPED_TRACE(k + 10 * swapEnds);
            NetDB db = design(4, 3);
            Net& n = addNet(db, 1, {{0, 0, 0}, {3, 2, 2}}, {orders[k]});
            Point a(0, 0, 0), b(3, 2, 2);
            if (swapEnds) std::swap(a, b);
            TwoPin& tp = ends(n, 0, a, b);
            Graph g;
            prepare(g, db);
            assignByDirection(g);
            g.convertLAtoGR(db);
            EXPECT_FALSE(tp.needRouting);
            EXPECT_TRUE(isWalk3D(tp.path, tp.from, tp.to));
            // Up from 0 at the start, then 1 <-> 0 at each of four bends, then 1 -> 2 at (3,2).
            EXPECT_EQ(viaCount(tp.path), 1 + 4 + 1);
            EXPECT_EQ(static_cast<int>(tp.path.size()) - viaCount(tp.path), 5);
        }
    }
}

TEST(HandBack, PinsOnSeveralLayersOfOneGCellAreJoined) {
    // The net has pins on layers 0 and 2 at (0,0), and a reroute moved `from`
    // there with layer 0 while `to` says layer 0 at a G-cell whose pin is on 2.
    NetDB db = design(3, 2);
    Net& n = addNet(db, 4, {{0, 0, 0}, {0, 0, 2}, {2, 0, 2}}, {pathThrough({{2, 0}, {1, 0}, {0, 0}})});
    TwoPin& tp = ends(n, 0, Point(0, 0, 0), Point(2, 0, 0));
    Graph g;
    prepare(g, db);
    assignByDirection(g);
    g.convertLAtoGR(db);
    EXPECT_EQ(tp.to.z, 2);
    // Vias at (0,0): 0-1 to reach the wire and 1-2 for the upper pin; at (2,0): 1-2.
    std::vector<std::tuple<int, int, int>> vias;
    for (const RPoint& s : tp.path)
        if (s.hori == 2) vias.emplace_back(s.x, s.y, s.z);
    std::sort(vias.begin(), vias.end());
    EXPECT_EQ(vias, (std::vector<std::tuple<int, int, int>>{{0, 0, 0}, {0, 0, 1}, {2, 0, 1}}));
    for (const RPoint& s : tp.path) EXPECT_TRUE(s.hori != 1 || s.z == 1);
}

TEST(HandBack, UnassignedOrBrokenPathsAreFlaggedForRerouting) {
    NetDB db = design(4, 4);
    Net& n = addNet(db, 2, {{0, 0, 0}, {3, 0, 0}, {0, 3, 0}},
                    {pathThrough({{0, 0}, {1, 0}, {2, 0}, {3, 0}}), pathThrough({{0, 0}, {0, 1}})});
    ends(n, 0, Point(0, 0, 0), Point(3, 0, 0));
    TwoPin& broken = ends(n, 1, Point(0, 0, 0), Point(0, 3, 0));  // its steps stop at (0,1)
    Graph g;
    prepare(g, db);
    assignByDirection(g);
    g.nets[0].edges[1].layer = -1;
    testing::internal::CaptureStdout();
    g.convertLAtoGR(db);
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_NE(out.find("ERROR: LA 2933"), std::string::npos);
    EXPECT_TRUE(broken.needRouting);
    EXPECT_TRUE(n.twopin[0].needRouting);
    int planar = 0;
    for (const TwoPin& tp : n.twopin)
        for (const RPoint& s : tp.path) planar += s.hori != 2;
    EXPECT_EQ(planar, 2);  // of four tree edges one is unassigned, and the broken path brings none
}

TEST(HandBack, MarksOfNetsWithAThousandConnectionsDoNotCollide) {
    // Net A's connection 1000 touches (2,0). Net B's first connection starts at
    // (3,0) and leaves left on layer 1 from a pin on layer 0: the vias belong at
    // (3,0), not at the left end (2,0) of its first step.
    NetDB db = design(5, 2);
    std::vector<std::vector<RPoint>> paths(1001);
    paths[1000] = pathThrough({{2, 1}, {2, 0}});
    Net& a = addNet(db, 1, {{2, 0, 0}, {2, 1, 0}}, paths);
    for (size_t i = 0; i < 1000; ++i) ends(a, i, Point(2, 1, 0), Point(2, 1, 0));
    ends(a, 1000, Point(2, 1, 0), Point(2, 0, 0));
    Net& b = addNet(db, 2, {{3, 0, 0}, {1, 0, 0}}, {pathThrough({{3, 0}, {2, 0}, {1, 0}})});
    Net& a2 = db.nets[0];  // addNet may have moved net A
    for (TwoPin& tp : a2.twopin) tp.parNet = &a2;
    TwoPin& tb = ends(b, 0, Point(3, 0, 0), Point(1, 0, 0));
    Graph g;
    prepare(g, db);
    assignByDirection(g);
    g.convertLAtoGR(db);
    EXPECT_FALSE(tb.needRouting);
    EXPECT_TRUE(isWalk3D(tb.path, tb.from, tb.to));
    ASSERT_FALSE(tb.path.empty());
    EXPECT_EQ(tb.path[0].hori, 2);
    EXPECT_EQ(tb.path[0].x, 3);
}

TEST(HandBack, APinLayerOutsideTheGridIsReportedAndTheRunGoesOn) {
    NetDB db = design(3, 2);
    Net& n = addNet(db, 3, {{0, 1, 0}, {2, 1, 0}}, {pathThrough({{0, 1}, {1, 1}, {2, 1}})});
    TwoPin& tp = ends(n, 0, Point(0, 1, 7), Point(2, 1, -2));
    Graph g;
    prepare(g, db);
    assignByDirection(g);
    testing::internal::CaptureStdout();
    g.convertLAtoGR(db);
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_NE(out.find("two.from.z=7  two.to.z=-2"), std::string::npos);
    EXPECT_TRUE(isWalk3D(tp.path, Point(0, 1, 0), Point(2, 1, 0)));
}
