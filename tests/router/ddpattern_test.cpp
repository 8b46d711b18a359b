// Monotone rerouting with a bend cost inside a connection's pin box.

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

std::unique_ptr<GlobalRouter> makeRouter(float bend) {
    auto r = makeSingleLayerRouter(kX, kY, kCap, 1);
    r->initialFunc_2Dmap(1);
    r->bendCost = bend;
    return r;
}

// Sets every cached 2D edge cost to c.
void flatCosts(GlobalRouter& r, float c) {
    for (int x = 0; x < kX; ++x)
        for (int y = 0; y < kY; ++y) {
            r.mapCostAt(0, x, y) = c;
            r.mapCostAt(1, x, y) = c;
        }
}

void makeNet(Net& net, Point from, Point to, int count) {
    net.twopin.resize(count);
    for (TwoPin& tp : net.twopin) tp.parNet = &net;
    net.twopin[0].from = from;
    net.twopin[0].to = to;
    net.twopin[0].box.Bondary(from.x, from.y);
    net.twopin[0].box.Bondary(to.x, to.y);
}

int route(GlobalRouter& r, TwoPin& tp, int& maxDemand) { return r.DDPattern(tp.from, tp.to, &tp, maxDemand); }

std::vector<RPoint> steps(std::initializer_list<RPoint> l) { return std::vector<RPoint>(l); }

bool samePath(const std::vector<RPoint>& a, const std::vector<RPoint>& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (a[i].hori != b[i].hori || a[i].x != b[i].x || a[i].y != b[i].y || a[i].z != b[i].z) return false;
    return true;
}

TEST(DDPattern, RowRouteHasNoBendAndSwapsTheEnds) {
    auto r = makeRouter(7.0f);
    r->mapCostAt(1, 2, 3) = 5.0f;  // costs along the row differ; the row is still the only route
    Net net;
    makeNet(net, Point(1, 3, 0), Point(5, 3, 0), 1);
    float expected = 0.0f;
    for (int x = 1; x < 5; ++x) expected += r->mapCostAt(1, x, 3);
    int maxDemand = -1;
    EXPECT_EQ(route(*r, net.twopin[0], maxDemand), 0);
    TwoPin& tp = net.twopin[0];
    EXPECT_EQ(tp.from.x, 5);  // from now holds the end with the larger x
    EXPECT_EQ(tp.to.x, 1);
    EXPECT_EQ(tp.mazeBound, expected);
    EXPECT_TRUE(samePath(tp.path, steps({RPoint(4, 3, 1), RPoint(3, 3, 1), RPoint(2, 3, 1), RPoint(1, 3, 1)})));
    EXPECT_EQ(maxDemand, 0);
    EXPECT_EQ(r->graph.uH(2, 3), 1);
}

TEST(DDPattern, ColumnRoutePaysTwoBendsAndKeepsTheEnds) {
    const float bend = 7.0f;
    // Downward: with equal x the start is `to`, so the route runs down from (2,6) to (2,1).
    {
        auto r = makeRouter(bend);
        Net net;
        makeNet(net, Point(2, 1, 0), Point(2, 6, 0), 1);
        float expected = bend;
        for (int y = 5; y >= 1; --y) expected += r->mapCostAt(0, 2, y);
        expected += bend;
        int maxDemand = -1;
        route(*r, net.twopin[0], maxDemand);
        TwoPin& tp = net.twopin[0];
        EXPECT_EQ(tp.from.y, 1);
        EXPECT_EQ(tp.to.y, 6);
        EXPECT_EQ(tp.mazeBound, expected);
        EXPECT_TRUE(samePath(tp.path, steps({RPoint(2, 1, 0), RPoint(2, 2, 0), RPoint(2, 3, 0), RPoint(2, 4, 0),
                                             RPoint(2, 5, 0)})));
    }
    // Upward.
    {
        auto r = makeRouter(bend);
        Net net;
        makeNet(net, Point(2, 6, 0), Point(2, 4, 0), 1);
        const float expected = ((bend + r->mapCostAt(0, 2, 4)) + r->mapCostAt(0, 2, 5)) + bend;
        int maxDemand = -1;
        route(*r, net.twopin[0], maxDemand);
        TwoPin& tp = net.twopin[0];
        EXPECT_EQ(tp.from.y, 6);
        EXPECT_EQ(tp.to.y, 4);
        EXPECT_EQ(tp.mazeBound, expected);
        EXPECT_TRUE(samePath(tp.path, steps({RPoint(2, 5, 0), RPoint(2, 4, 0)})));
    }
}

// Routes on unit edge costs changed by `setUp`: the path and its cost.
struct FlatCase {
    const char* what;
    float bend;
    std::function<void(GlobalRouter&)> setUp;
    Point from, to;
    std::vector<RPoint> want;
    float bound;
    std::function<void(const TwoPin&, int maxDemand)> check;
};

TEST(DDPattern, TiesGoStraightAndBendsArePaidOnlyWhenCheaper) {
    auto none = [](GlobalRouter&) {};
    // Every monotone route with one turn costs the same: the trace keeps going
    // straight, along t's row back to s's column, then down.
    const std::vector<RPoint> rowThenDown =
        steps({RPoint(2, 2, 1), RPoint(1, 2, 1), RPoint(0, 2, 1), RPoint(0, 1, 0), RPoint(0, 0, 0)});
    const FlatCase cases[] = {
        {"horizontal state ties, bend 0", 0.0f, none, Point(3, 2, 0), Point(0, 0, 0), rowThenDown, 5.0f, nullptr},
        {"horizontal state ties, bend 3", 3.0f, none, Point(3, 2, 0), Point(0, 0, 0), rowThenDown, 5.0f + 2.0f * 3.0f,
         nullptr},
        // The last horizontal step into t is dear, so t is reached vertically; at
        // (2,1) arriving from below and turning from the row cost the same:
        // straight down wins.
        {"vertical state ties", 0.0f, [](GlobalRouter& r) { r.mapCostAt(1, 1, 2) = 10.0f; }, Point(0, 0, 0),
         Point(2, 2, 0), steps({RPoint(2, 1, 0), RPoint(2, 0, 0), RPoint(1, 0, 1), RPoint(0, 0, 1)}), 4.0f, nullptr},
        // Leaving s to the right is dear, so the route leaves upward (one bend)
        // and turns once along row 2; going right first would pay two bends.
        {"bends avoided", 100.0f, [](GlobalRouter& r) { r.mapCostAt(1, 0, 0) = 20.0f; }, Point(0, 0, 0),
         Point(2, 2, 0), steps({RPoint(1, 2, 1), RPoint(0, 2, 1), RPoint(0, 1, 0), RPoint(0, 0, 0)}), 204.0f, nullptr},
        // s = (0,3), t = (2,0): the search runs down. Columns 0 and 2 are dear, so
        // the route goes right one step, down column 1 (steps named by their
        // lower cell) and right again: five unit edges and two turns.
        {"downward", 2.0f,
         [](GlobalRouter& r) {
             for (int y = 0; y < 3; ++y) {
                 r.mapCostAt(0, 0, y) = 10.0f;
                 r.mapCostAt(0, 2, y) = 10.0f;
             }
             r.graph.uV(1, 1) = 2;
         },
         Point(0, 3, 0), Point(2, 0, 0),
         steps({RPoint(1, 0, 1), RPoint(1, 0, 0), RPoint(1, 1, 0), RPoint(1, 2, 0), RPoint(0, 3, 1)}),
         5.0f + 2.0f * 2.0f,
         [](const TwoPin& tp, int maxDemand) {
             EXPECT_EQ(tp.from.x, 2);
             EXPECT_EQ(tp.from.y, 0);
             EXPECT_EQ(tp.to.x, 0);
             EXPECT_EQ(tp.to.y, 3);
             EXPECT_EQ(maxDemand, 2);
         }},
    };
    for (const FlatCase& c : cases) {
        SCOPED_TRACE(c.what);
        auto r = makeRouter(c.bend);
        flatCosts(*r, 1.0f);
        c.setUp(*r);
        Net net;
        makeNet(net, c.from, c.to, 1);
        int maxDemand = -1;
        route(*r, net.twopin[0], maxDemand);
        EXPECT_TRUE(samePath(net.twopin[0].path, c.want));
        EXPECT_EQ(net.twopin[0].mazeBound, c.bound);
        if (c.check) c.check(net.twopin[0], maxDemand);
    }
}

TEST(DDPattern, EdgesOfSiblingConnectionsAreFreeDuringTheSearchOnly) {
    auto r = makeRouter(1.0f);
    Net net;
    makeNet(net, Point(0, 0, 0), Point(4, 3, 0), 2);
    TwoPin& sib = net.twopin[1];
    sib.from = Point(0, 3, 0);
    sib.to = Point(4, 3, 0);
    sib.box.Bondary(0, 3);
    sib.box.Bondary(4, 3);
    r->Flat(sib.from, sib.to, sib.path, net);
    int maxDemand = -1;
    route(*r, net.twopin[0], maxDemand);
    TwoPin& tp = net.twopin[0];
    EXPECT_TRUE(samePath(tp.path, steps({RPoint(3, 3, 1), RPoint(2, 3, 1), RPoint(1, 3, 1), RPoint(0, 3, 1),
                                         RPoint(0, 2, 0), RPoint(0, 1, 0), RPoint(0, 0, 0)})));
    EXPECT_EQ(maxDemand, 1);               // the sibling's usage, read before the commit
    EXPECT_EQ(r->graph.uH(1, 3), 1);       // the net pays once per edge
    EXPECT_EQ(r->mapCostAt(1, 1, 3), r->DPCost(1, 3, 1));  // discount undone
}

TEST(DDPattern, MaxDemandReadsUsageWithoutVirtualDemand) {
    auto r = makeRouter(1.0f);
    for (int x = 0; x < kX; ++x)
        for (int y = 0; y < kY; ++y) {
            r->placement.virtualDemandH[static_cast<size_t>(x) * kY + y] = kCap;
            r->placement.virtualDemandV[static_cast<size_t>(x) * kY + y] = kCap;
        }
    r->initialFunc_2Dmap(1);
    Net net;
    makeNet(net, Point(1, 1, 0), Point(4, 1, 0), 1);
    int maxDemand = -1;
    EXPECT_EQ(route(*r, net.twopin[0], maxDemand), 3);  // 1 + 4 > 4 on each of the three edges
    EXPECT_EQ(maxDemand, 0);

    Net other;
    makeNet(other, Point(4, 1, 0), Point(1, 1, 0), 1);
    route(*r, other.twopin[0], maxDemand);
    EXPECT_EQ(maxDemand, 1);
}

TEST(DDPattern, EndsInOneGCellGiveAnEmptyRoute) {
    auto r = makeRouter(5.0f);
    Net net;
    makeNet(net, Point(3, 3, 0), Point(3, 3, 0), 1);
    int maxDemand = -1;
    EXPECT_EQ(route(*r, net.twopin[0], maxDemand), 0);
    EXPECT_TRUE(net.twopin[0].path.empty());
    EXPECT_EQ(net.twopin[0].mazeBound, 0.0f);
}

TEST(DDPattern, NegativeBendCostStillEnds) {
    auto r = makeRouter(-5.0f);
    flatCosts(*r, 1.0f);
    Net net;
    makeNet(net, Point(0, 0, 0), Point(3, 3, 0), 1);
    int maxDemand = -1;
    route(*r, net.twopin[0], maxDemand);
    EXPECT_EQ(net.twopin[0].path.size(), 6u);
    EXPECT_EQ(net.twopin[0].mazeBound, 6.0f);
}

}  // namespace
