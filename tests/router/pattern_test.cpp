// L-shape and straight routing of two-pin connections, and the recording of
// Steiner-tree segments.

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <vector>

#include "router/core/GlobalRouter.h"
#include "tests/common/RouterFixture.h"

namespace {

constexpr int kX = 8;
constexpr int kY = 8;
constexpr int kCap = 4;

std::unique_ptr<GlobalRouter> makeRouter() { return makeSingleLayerRouter(kX, kY, kCap, 0); }

// A net with `count` connections, the first from a to b.
void makeNet(Net& net, Point a, Point b, int count) {
    net.twopin.resize(count);
    for (TwoPin& tp : net.twopin) tp.parNet = &net;
    net.twopin[0].from = a;
    net.twopin[0].to = b;
}

std::vector<RPoint> steps(std::initializer_list<RPoint> l) { return std::vector<RPoint>(l); }

bool samePath(const std::vector<RPoint>& a, const std::vector<RPoint>& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (a[i].hori != b[i].hori || a[i].x != b[i].x || a[i].y != b[i].y || a[i].z != b[i].z) return false;
    return true;
}

// The lower L from (1,1) to (3,3): along row 1, then up column 3.
const std::vector<RPoint> kLowerRising =
    steps({RPoint(1, 1, 1), RPoint(2, 1, 1), RPoint(3, 1, 0), RPoint(3, 2, 0)});
// The upper L: up column 1, then along row 3.
const std::vector<RPoint> kUpperRising =
    steps({RPoint(1, 1, 0), RPoint(1, 2, 0), RPoint(1, 3, 1), RPoint(2, 3, 1)});

// One L-shape choice: set-up on a fresh router and net, the ends given to
// Pattern, and what it must return; `check` holds a case's own extra checks.
struct LCase {
    const char* what;
    Point from, to;
    int count;  // connections of the net
    std::function<void(GlobalRouter&, Net&)> setUp;
    std::vector<RPoint> want;
    int overflow, maxDemand;  // -1: not checked
    std::function<void(GlobalRouter&)> check;
};

TEST(PatternRoute, ChoosesBetweenTheTwoLShapes) {
    auto none = [](GlobalRouter&, Net&) {};
    auto lowerCommitted = [](GlobalRouter& r) {
        EXPECT_EQ(r.graph.uH(1, 1), 1);
        EXPECT_EQ(r.graph.uV(3, 2), 1);
        EXPECT_EQ(r.Wlen2D, 4);
    };
    const std::vector<RPoint> falling = steps({RPoint(1, 2, 0), RPoint(1, 1, 0), RPoint(1, 1, 1), RPoint(2, 1, 1)});
    const LCase cases[] = {
        // Equal cost: the lower L, whichever end comes first.
        {"tie", Point(1, 1, 0), Point(3, 3, 0), 1, none, kLowerRising, 0, 0, lowerCommitted},
        {"tie, ends swapped", Point(3, 3, 0), Point(1, 1, 0), 1, none, kLowerRising, 0, 0, lowerCommitted},
        // A falling pair goes down column 1 first (edges named by their lower cell).
        {"falling", Point(1, 3, 0), Point(3, 1, 0), 1, none, falling, -1, -1, nullptr},
        {"falling, ends swapped", Point(3, 1, 0), Point(1, 3, 0), 1, none, falling, -1, -1, nullptr},
        // A strictly cheaper upper L wins; usage is reported from before the commit.
        {"upper cheaper", Point(1, 1, 0), Point(3, 3, 0), 1, [](GlobalRouter& r, Net&) { r.graph.uH(2, 1) = 1; },
         kUpperRising, -1, 0, nullptr},
        {"upper 2 dearer, lower 3 dearer", Point(3, 3, 0), Point(1, 1, 0), 1,
         [](GlobalRouter& r, Net&) {
             r.graph.uH(2, 1) = 3;
             r.graph.uV(1, 2) = 2;
         },
         kUpperRising, -1, 2, [](GlobalRouter& r) { EXPECT_EQ(r.graph.uV(1, 2), 3); }},
        // Steiner edges are cheaper only for nets of several connections: the
        // upper L on the tree wins (u + k against u + 3k)...
        {"Steiner, two connections", Point(1, 1, 0), Point(3, 3, 0), 2,
         [](GlobalRouter& r, Net& net) { r.FluteFlat(Point(1, 1, 0), Point(1, 3, 0), net); }, kUpperRising, -1, -1,
         nullptr},
        // ...while a single connection ignores the tree and the tie goes low.
        {"Steiner, one connection", Point(1, 1, 0), Point(3, 3, 0), 1,
         [](GlobalRouter& r, Net& net) {
             r.FluteFlat(Point(1, 1, 0), Point(1, 3, 0), net);
             r.FluteFlat(Point(1, 3, 0), Point(3, 3, 0), net);
         },
         kLowerRising, -1, -1, nullptr},
        // A sibling along row 3 is heavily used, but free for this net, which pays once.
        {"sibling", Point(1, 1, 0), Point(3, 3, 0), 2,
         [](GlobalRouter& r, Net& net) {
             TwoPin& sib = net.twopin[1];
             sib.from = Point(1, 3, 0);
             sib.to = Point(3, 3, 0);
             r.graph.uH(1, 3) = 3;
             r.graph.uH(2, 3) = 3;
             r.Flat(sib.from, sib.to, sib.path, net);
         },
         kUpperRising, -1, 4, [](GlobalRouter& r) { EXPECT_EQ(r.graph.uH(1, 3), 4); }},
        // Virtual demand, history and the cost mode do not steer the choice.
        {"virtual demand and history", Point(1, 1, 0), Point(3, 3, 0), 1,
         [](GlobalRouter& r, Net&) {
             r.placement.virtualDemandH[static_cast<size_t>(1) * kY + 1] = 50;
             r.histH(2, 1) = 40;
             r.historyMode = true;
             r.costMode2D = 1;
             r.initialFunc_2Dmap(1);
         },
         kLowerRising, -1, 0, nullptr},
        // Both Ls cross a full edge: tie, lower L, and the commit's overflow is returned.
        {"overflow", Point(1, 1, 0), Point(3, 3, 0), 1,
         [](GlobalRouter& r, Net&) {
             r.graph.uH(1, 1) = kCap;
             r.graph.uH(1, 3) = kCap;
         },
         kLowerRising, 1, kCap, [](GlobalRouter& r) { EXPECT_EQ(r.totalOF, 1); }},
    };
    for (const LCase& c : cases) {
        SCOPED_TRACE(c.what);
        auto r = makeRouter();
        Net net;
        makeNet(net, c.from, c.to, c.count);
        c.setUp(*r, net);
        int maxDemand = -1;
        const int of = r->Pattern(net.twopin[0].from, net.twopin[0].to, &net.twopin[0], maxDemand);
        EXPECT_TRUE(samePath(net.twopin[0].path, c.want));
        if (c.overflow >= 0) {
            EXPECT_EQ(of, c.overflow);
        }
        if (c.maxDemand >= 0) {
            EXPECT_EQ(maxDemand, c.maxDemand);
        }
        if (c.check) c.check(*r);
    }
}

TEST(PatternRoute, FlatListsStepsUpwardAndRightwardAndCountsOverflow) {
    auto r = makeRouter();
    Net net;
    makeNet(net, Point(2, 5, 0), Point(2, 1, 0), 1);
    EXPECT_EQ(r->Flat(net.twopin[0].from, net.twopin[0].to, net.twopin[0].path, net), 0);
    EXPECT_TRUE(samePath(net.twopin[0].path,
                         steps({RPoint(2, 1, 0), RPoint(2, 2, 0), RPoint(2, 3, 0), RPoint(2, 4, 0)})));
    EXPECT_EQ(r->graph.uV(2, 4), 1);

    Net row;
    makeNet(row, Point(6, 3, 0), Point(3, 3, 0), 1);
    r->Flat(row.twopin[0].from, row.twopin[0].to, row.twopin[0].path, row);
    EXPECT_TRUE(samePath(row.twopin[0].path, steps({RPoint(3, 3, 1), RPoint(4, 3, 1), RPoint(5, 3, 1)})));

    // Ends in one G-cell: nothing to route.
    Net dot;
    makeNet(dot, Point(4, 4, 0), Point(4, 4, 0), 1);
    EXPECT_EQ(r->Flat(dot.twopin[0].from, dot.twopin[0].to, dot.twopin[0].path, dot), 0);
    EXPECT_TRUE(dot.twopin[0].path.empty());

    // A full edge on the way counts as overflow.
    r->graph.uV(0, 0) = kCap;
    r->graph.uV(0, 1) = kCap - 1;
    Net full;
    makeNet(full, Point(0, 0, 0), Point(0, 3, 0), 1);
    EXPECT_EQ(r->Flat(full.twopin[0].from, full.twopin[0].to, full.twopin[0].path, full), 1);
    EXPECT_EQ(r->totalOF, 1);
}

TEST(PatternRoute, FluteFlatRecordsEachUnitEdgeOnce) {
    auto r = makeRouter();
    Net net;
    r->FluteFlat(Point(3, 3, 0), Point(3, 3, 0), net);
    EXPECT_TRUE(net.treeEdges.empty());
    r->FluteFlat(Point(5, 2, 0), Point(2, 2, 0), net);
    EXPECT_EQ(net.treeEdges.size(), 3u);
    for (int x = 2; x < 5; ++x) EXPECT_EQ(net.treeEdges.count(RPoint(x, 2, 0, 1)), 1u);
    r->FluteFlat(Point(2, 2, 0), Point(5, 2, 0), net);
    EXPECT_EQ(net.treeEdges.size(), 3u);
    r->FluteFlat(Point(1, 6, 0), Point(1, 4, 0), net);
    EXPECT_EQ(net.treeEdges.size(), 5u);
    EXPECT_EQ(net.treeEdges.count(RPoint(1, 4, 0, 0)), 1u);
    EXPECT_EQ(net.treeEdges.count(RPoint(1, 5, 0, 0)), 1u);
}

}  // namespace
