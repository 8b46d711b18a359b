// L-shape and straight routing of two-pin connections, and the recording of
// Steiner-tree segments.

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "router/GlobalRouter.h"
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

TEST(PatternRoute, EqualCostTakesLowerLWhicheverEndComesFirst) {
    for (int order = 0; order < 2; ++order) {
        auto r = makeRouter();
        Net net;
        Point a(1, 1, 0), b(3, 3, 0);
        if (order) std::swap(a, b);
        makeNet(net, a, b, 1);
        int maxDemand = -1;
        int of = r->Pattern(net.twopin[0].from, net.twopin[0].to, &net.twopin[0], maxDemand);
        EXPECT_EQ(of, 0);
        EXPECT_EQ(maxDemand, 0);
        EXPECT_TRUE(samePath(net.twopin[0].path, kLowerRising)) << "order " << order;
        EXPECT_EQ(r->graph.uH(1, 1), 1);
        EXPECT_EQ(r->graph.uV(3, 2), 1);
        EXPECT_EQ(r->Wlen2D, 4);
    }
}

TEST(PatternRoute, FallingPairGoesDownFirstOnTheLowerL) {
    for (int order = 0; order < 2; ++order) {
        auto r = makeRouter();
        Net net;
        Point a(1, 3, 0), b(3, 1, 0);
        if (order) std::swap(a, b);
        makeNet(net, a, b, 1);
        int maxDemand = -1;
        r->Pattern(net.twopin[0].from, net.twopin[0].to, &net.twopin[0], maxDemand);
        // From (1,3): down column 1 (edges named by their lower cell), then along row 1.
        EXPECT_TRUE(samePath(net.twopin[0].path,
                             steps({RPoint(1, 2, 0), RPoint(1, 1, 0), RPoint(1, 1, 1), RPoint(2, 1, 1)})))
            << "order " << order;
    }
}

TEST(PatternRoute, StrictlyCheaperUpperLWinsAndReportsUsageBeforeCommit) {
    auto r = makeRouter();
    r->graph.uH(2, 1) = 1;  // one track more on the lower L
    Net net;
    makeNet(net, Point(1, 1, 0), Point(3, 3, 0), 1);
    int maxDemand = -1;
    r->Pattern(net.twopin[0].from, net.twopin[0].to, &net.twopin[0], maxDemand);
    EXPECT_TRUE(samePath(net.twopin[0].path, kUpperRising));
    EXPECT_EQ(maxDemand, 0);

    auto r2 = makeRouter();
    r2->graph.uH(2, 1) = 3;  // lower L costs 3 more
    r2->graph.uV(1, 2) = 2;  // upper L costs 2 more: upper wins, usage 2 seen before commit
    Net net2;
    makeNet(net2, Point(3, 3, 0), Point(1, 1, 0), 1);
    r2->Pattern(net2.twopin[0].from, net2.twopin[0].to, &net2.twopin[0], maxDemand);
    EXPECT_TRUE(samePath(net2.twopin[0].path, kUpperRising));
    EXPECT_EQ(maxDemand, 2);
    EXPECT_EQ(r2->graph.uV(1, 2), 3);
}

TEST(PatternRoute, SteinerEdgesAreCheaperOnlyForNetsOfSeveralConnections) {
    // Multi-connection net: the upper L lies on the tree and wins (u + k against u + 3k).
    {
        auto r = makeRouter();
        Net net;
        makeNet(net, Point(1, 1, 0), Point(3, 3, 0), 2);
        r->FluteFlat(Point(1, 1, 0), Point(1, 3, 0), net);
        int maxDemand = 0;
        r->Pattern(net.twopin[0].from, net.twopin[0].to, &net.twopin[0], maxDemand);
        EXPECT_TRUE(samePath(net.twopin[0].path, kUpperRising));
    }
    // Single-connection net: the tree is ignored and the tie goes to the lower L.
    {
        auto r = makeRouter();
        Net net;
        makeNet(net, Point(1, 1, 0), Point(3, 3, 0), 1);
        r->FluteFlat(Point(1, 1, 0), Point(1, 3, 0), net);
        r->FluteFlat(Point(1, 3, 0), Point(3, 3, 0), net);
        int maxDemand = 0;
        r->Pattern(net.twopin[0].from, net.twopin[0].to, &net.twopin[0], maxDemand);
        EXPECT_TRUE(samePath(net.twopin[0].path, kLowerRising));
    }
}

TEST(PatternRoute, EdgesOfSiblingConnectionsAreFree) {
    auto r = makeRouter();
    Net net;
    makeNet(net, Point(1, 1, 0), Point(3, 3, 0), 2);
    // The sibling runs along row 3 (heavily used, but free for this net).
    TwoPin& sib = net.twopin[1];
    sib.from = Point(1, 3, 0);
    sib.to = Point(3, 3, 0);
    r->graph.uH(1, 3) = 3;
    r->graph.uH(2, 3) = 3;
    r->Flat(sib.from, sib.to, sib.path, net);
    int maxDemand = 0;
    r->Pattern(net.twopin[0].from, net.twopin[0].to, &net.twopin[0], maxDemand);
    EXPECT_TRUE(samePath(net.twopin[0].path, kUpperRising));
    EXPECT_EQ(maxDemand, 4);
    EXPECT_EQ(r->graph.uH(1, 3), 4);  // charged once for the net
}

TEST(PatternRoute, VirtualDemandHistoryAndCostModeDoNotSteerTheChoice) {
    auto r = makeRouter();
    r->placement.virtualDemandH[static_cast<size_t>(1) * kY + 1] = 50;
    r->histH(2, 1) = 40;
    r->historyMode = true;
    r->costMode2D = 1;
    r->initialFunc_2Dmap(1);
    Net net;
    makeNet(net, Point(1, 1, 0), Point(3, 3, 0), 1);
    int maxDemand = -1;
    r->Pattern(net.twopin[0].from, net.twopin[0].to, &net.twopin[0], maxDemand);
    EXPECT_TRUE(samePath(net.twopin[0].path, kLowerRising));
    EXPECT_EQ(maxDemand, 0);
}

TEST(PatternRoute, ReturnsTheOverflowOfTheCommit) {
    auto r = makeRouter();
    r->graph.uH(1, 1) = kCap;  // the lower L goes over a full edge...
    r->graph.uH(1, 3) = kCap;  // ...and so does the upper L: tie, lower L
    Net net;
    makeNet(net, Point(1, 1, 0), Point(3, 3, 0), 1);
    int maxDemand = 0;
    int of = r->Pattern(net.twopin[0].from, net.twopin[0].to, &net.twopin[0], maxDemand);
    EXPECT_TRUE(samePath(net.twopin[0].path, kLowerRising));
    EXPECT_EQ(of, 1);
    EXPECT_EQ(maxDemand, kCap);
    EXPECT_EQ(r->totalOF, 1);
}

TEST(PatternRoute, FlatListsStepsUpwardAndRightwardWhateverTheOrder) {
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
}

TEST(PatternRoute, FlatCountsOverflowOfFullEdges) {
    auto r = makeRouter();
    r->graph.uV(0, 0) = kCap;
    r->graph.uV(0, 1) = kCap - 1;
    Net net;
    makeNet(net, Point(0, 0, 0), Point(0, 3, 0), 1);
    EXPECT_EQ(r->Flat(net.twopin[0].from, net.twopin[0].to, net.twopin[0].path, net), 1);
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
