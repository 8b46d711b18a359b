#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <set>
#include <utility>
#include <vector>

#include "decomposition/DisjointSet.h"
#include "decomposition/MST.h"

namespace {

struct Mst {
    DisjointSet sets;
    tarvexMST graph;
    std::vector<Link> links;
    int length = 0;

    void run(std::vector<Point> pts) {
        sets.clear();
        graph.clear();
        links.clear();
        length = NEW_MST(pts, links, sets, graph);
    }
};

// Exact rectilinear MST length by Prim over all pairs.
int primLength(const std::vector<Point>& pts) {
    const size_t n = pts.size();
    if (n < 2) return 0;
    std::vector<int> dist(n, 1 << 30);
    std::vector<bool> in(n, false);
    dist[0] = 0;
    int total = 0;
    for (size_t it = 0; it < n; ++it) {
        size_t u = n;
        for (size_t i = 0; i < n; ++i)
            if (!in[i] && (u == n || dist[i] < dist[u])) u = i;
        in[u] = true;
        total += dist[u];
        for (size_t i = 0; i < n; ++i)
            if (!in[i]) dist[i] = std::min(dist[i], pts[u].distance(pts[i]));
    }
    return total;
}

// The candidate edges of the spanning graph as unordered index pairs.
std::set<std::pair<int, int>> spanningEdges(std::vector<Point> pts) {
    tarvexMST g;
    g.buildSpaningGraph(pts);
    std::set<std::pair<int, int>> out;
    for (const MSTedge& e : g.edges) out.insert({std::min(e.a, e.b), std::max(e.a, e.b)});
    return out;
}

// Random points at distinct coordinates.
std::vector<Point> randomPoints(std::mt19937& rng, int n, int range) {
    std::set<std::pair<int, int>> used;
    std::vector<Point> pts;
    std::uniform_int_distribution<int> d(0, range - 1);
    while (static_cast<int>(pts.size()) < n) {
        int x = d(rng), y = d(rng);
        if (used.insert({x, y}).second) pts.emplace_back(x, y, 0);
    }
    return pts;
}

}  // namespace

TEST(DisjointSet, FindUnionAndRank) {
    DisjointSet s;
    s.AddSet(5);
    for (int i = 0; i < 5; ++i) EXPECT_EQ(s.Find(i), i);
    s.Union(1, 2);  // equal ranks: the first argument's root wins
    EXPECT_EQ(s.Find(2), 1);
    EXPECT_EQ(s.rank[1], 1);
    s.Union(3, 1);  // lower rank joins the higher
    EXPECT_EQ(s.Find(3), 1);
    EXPECT_EQ(s.rank[1], 1);
    s.Union(4, 0);
    s.Union(0, 2);  // rank 1 against rank 1: root of 0 (4) wins
    EXPECT_EQ(s.Find(2), 4);
    EXPECT_EQ(s.Find(3), 4);
    EXPECT_EQ(s.parent[3], 4);  // path compressed
    s.Union(2, 3);              // same set: no cycle
    EXPECT_EQ(s.Find(3), 4);
    EXPECT_EQ(s.parent[4], -1);
    // Growing to 7 sets keeps the existing ones; clear empties.
    s.AddSet(7);
    EXPECT_EQ(s.Find(3), 4);
    EXPECT_EQ(s.Find(6), 6);
    s.clear();
    EXPECT_TRUE(s.parent.empty());
    EXPECT_TRUE(s.rank.empty());
}

TEST(SpanningGraph, RegionBoundaries) {
    // Each q lies on a boundary of one of p's four regions (straight above,
    // rising diagonal, straight right, falling diagonal) and is swept before p,
    // so p's own region step makes the edge (p first). Mirrored (the last four),
    // p lies in q's region and q's step makes the edge.
    const Point p(10, 10, 0);
    int k = 0;
    for (Point q : {Point(10, 14, 0), Point(13, 13, 0), Point(14, 10, 0), Point(13, 7, 0), Point(10, 6, 0),
                    Point(7, 7, 0), Point(6, 10, 0), Point(7, 13, 0)}) {
        std::vector<Point> pts{p, q};
        tarvexMST g;
        g.buildSpaningGraph(pts);
        ASSERT_EQ(g.edges.size(), 1u) << q.x << "," << q.y;
        EXPECT_EQ(g.edges[0].a, k++ < 4 ? 0 : 1);
        EXPECT_FLOAT_EQ(g.edges[0].weight, static_cast<float>(p.distance(q)));
    }
}

TEST(SpanningGraph, OnlyNearestPointOfARegionIsJoined) {
    // Three points straight above p: p joins only the nearest; the others are
    // joined among themselves.
    auto edges = spanningEdges({Point(0, 0, 0), Point(0, 3, 0), Point(0, 1, 0), Point(0, 2, 0)});
    EXPECT_TRUE(edges.count({0, 2}));
    EXPECT_FALSE(edges.count({0, 1}));
    EXPECT_FALSE(edges.count({0, 3}));
    EXPECT_LE(edges.size(), 12u);
}

TEST(SpanningGraph, LastOfEquallyNearPointsWalkedIsThePartner) {
    // (0, 4) and (1, 3) both lie in the R1 region of (0, 0) at distance 4; the
    // walk over the x-keyed active set meets (0, 4) first, so (1, 3) is taken.
    auto edges = spanningEdges({Point(0, 0, 0), Point(0, 4, 0), Point(1, 3, 0)});
    EXPECT_EQ(edges, (std::set<std::pair<int, int>>{{0, 2}, {1, 2}}));
    // Coincident points are never joined.
    EXPECT_TRUE(spanningEdges({Point(5, 5, 0), Point(5, 5, 3)}).empty());
}

TEST(NewMst, NoneOneAndTwoPoints) {
    Mst m;
    m.run({});
    EXPECT_EQ(m.length, 0);
    EXPECT_TRUE(m.links.empty());
    m.run({Point(3, 4, 0)});
    EXPECT_EQ(m.length, 0);
    EXPECT_TRUE(m.links.empty());
    m.run({Point(3, 4, 0), Point(7, 1, 2)});
    EXPECT_EQ(m.length, 7);
    ASSERT_EQ(m.links.size(), 1u);
    EXPECT_EQ(std::min(m.links[0].a, m.links[0].b), 0);
    EXPECT_EQ(std::max(m.links[0].a, m.links[0].b), 1);
}

TEST(NewMst, NinePointsUseCompleteGraphTenUseSweep) {
    std::vector<Point> nine;
    for (int i = 0; i < 9; ++i) nine.emplace_back(i * 3 % 7, i * 5 % 11, 0);
    Mst m;
    m.run(nine);
    EXPECT_EQ(m.graph.edges.size(), 36u);
    EXPECT_EQ(m.length, primLength(nine));
    EXPECT_EQ(m.links.size(), 8u);

    std::vector<Point> ten = nine;
    ten.emplace_back(20, 20, 0);
    m.run(ten);
    EXPECT_LE(m.graph.edges.size(), 36u);  // at most 4 per processed point, far fewer than 45
    EXPECT_EQ(m.length, primLength(ten));
    EXPECT_EQ(m.links.size(), 9u);
}

TEST(NewMst, SweepMatchesCompleteGraphOnRandomSets) {
    std::mt19937 rng(12345);
    for (int trial = 0; trial < 400; ++trial) {
        int n = 10 + trial % 60;
        std::vector<Point> pts = randomPoints(rng, n, trial % 2 ? 15 : 1000);
        Mst sweep;
        sweep.run(pts);
        ASSERT_EQ(sweep.links.size(), static_cast<size_t>(n - 1)) << "trial " << trial;
        ASSERT_EQ(sweep.length, primLength(pts)) << "trial " << trial;
        // The links form a spanning tree whose lengths add up to the result.
        DisjointSet check;
        check.AddSet(n);
        int sum = 0;
        for (const Link& l : sweep.links) {
            ASSERT_NE(check.Find(l.a), check.Find(l.b));
            check.Union(l.a, l.b);
            sum += pts[l.a].distance(pts[l.b]);
        }
        EXPECT_EQ(sum, sweep.length);
    }
}

TEST(NewMst, LinePointsAndDiagonals) {
    // Rows, columns, diagonals and anti-diagonals of 12 points.
    std::vector<Point> row, col, diag, anti;
    for (int i = 0; i < 12; ++i) {
        row.emplace_back(i * 2, 5, 0);
        col.emplace_back(5, 30 - i, 0);
        diag.emplace_back(i, i, 0);
        anti.emplace_back(i, 40 - i, 0);
    }
    Mst m;
    for (auto [pts, want] : {std::pair{row, 22}, std::pair{col, 11}, std::pair{diag, 22}, std::pair{anti, 22}}) {
        m.run(pts);
        EXPECT_EQ(m.length, want);
    }
}

TEST(NewMst, CoincidentPointsAboveNineMayLeaveAForest) {
    std::vector<Point> pts;
    for (int i = 0; i < 10; ++i) pts.emplace_back(i, 0, 0);
    pts.emplace_back(4, 0, 1);  // same place as point 4
    Mst m;
    m.run(pts);
    EXPECT_LE(m.links.size(), 10u);
    EXPECT_GE(m.links.size(), 9u);
    int sum = 0;
    for (const Link& l : m.links) sum += pts[l.a].distance(pts[l.b]);
    EXPECT_EQ(sum, m.length);
    EXPECT_EQ(m.length, 9);
}

TEST(NewMst, UncleanedDisjointSetKeepsOldEntries) {
    Mst m;
    m.sets.AddSet(3);
    m.sets.Union(0, 1);
    m.graph.clear();
    std::vector<Point> pts{Point(0, 0, 0), Point(1, 0, 0), Point(5, 0, 0)};
    m.length = NEW_MST(pts, m.links, m.sets, m.graph);
    // 0 and 1 already count as joined, so only the edge to point 2 is taken.
    EXPECT_EQ(m.links.size(), 1u);
    EXPECT_EQ(m.length, 4);
}

TEST(Link, LighterLinkComesFirstFromAMaxQueue) {
    Link heavy, light;
    heavy.weight = 5.0f;
    light.weight = 1.0f;
    EXPECT_TRUE(heavy < light);
    EXPECT_FALSE(light < heavy);
}
