#include <gtest/gtest.h>

#include <limits>
#include <random>

#include "la_test_util.h"

using namespace latest;

namespace {

// Vertical tracks on odd layers, horizontal on even ones.
NetDB alternating(int X, int Y, int L, int tracksPerLayer) {
    std::vector<int> v(L, 0), h(L, 0);
    for (int l = 0; l < L; ++l) (l % 2 ? v : h)[l] = tracksPerLayer;
    return makeDB(X, Y, v, h);
}

void assignAll(Graph& g, bool firstPass = true) {
    g.firstPass = firstPass;
    g.slope = 0.3;
    for (Graph::net& n : g.nets) g.singleNetLA(n);
}

// Cost of a full assignment: edge costs plus 100 per layer spanned at each node.
long long assignmentCost(const Graph& g, const Graph::net& n, const std::vector<int>& layers,
                         const std::vector<long long>& costTable) {
    long long total = 0;
    for (size_t i = 0; i < layers.size(); ++i) total += costTable[i * g.L + layers[i]];
    for (size_t i = 0; i < n.nodes.size(); ++i) {
        const Graph::node& v = n.nodes[i];
        int lo = std::numeric_limits<int>::max(), hi = std::numeric_limits<int>::min();
        if (v.hasPin) {
            lo = v.minPinLayer;
            hi = v.maxPinLayer;
        }
        if (i > 0) {
            lo = std::min(lo, layers[i - 1]);
            hi = std::max(hi, layers[i - 1]);
        }
        for (int k = 0; k < v.childCount; ++k) {
            lo = std::min(lo, layers[v.children[k] - 1]);
            hi = std::max(hi, layers[v.children[k] - 1]);
        }
        if (hi > lo) total += 100LL * (hi - lo);
    }
    return total;
}

}  // namespace

TEST(TreeDP, NetWithoutEdgesPaysItsPinSpan) {
    NetDB db = alternating(3, 3, 4, 3);
    addNet(db, 0, {{1, 1, 0}, {1, 1, 2}, {1, 1, 1}, {2, 2, 3}}, {});  // no path reaches (2,2)
    Graph g;
    prepare(g, db);
    assignAll(g);
    EXPECT_EQ(g.chosenSpace[0].cost, 200);
    EXPECT_EQ(g.nets[0].viaCount, 2);
    EXPECT_EQ(g.getSingleNetlVia(g.nets[0]), 2);
    EXPECT_EQ(g.totalVia, 2);
}

TEST(TreeDP, EmptyGridPutsEdgesOnTheLowestLayerOfTheirDirection) {
    NetDB db = alternating(5, 5, 4, 3);
    addNet(db, 0, {{0, 0, 0}, {3, 0, 0}}, {pathThrough({{0, 0}, {1, 0}, {2, 0}, {3, 0}})});
    addNet(db, 1, {{4, 0, 0}, {4, 3, 0}}, {pathThrough({{4, 0}, {4, 1}, {4, 2}, {4, 3}})});
    addNet(db, 2, {{0, 2, 0}, {2, 4, 0}}, {pathThrough({{0, 2}, {1, 2}, {2, 2}, {2, 3}, {2, 4}})});
    Graph g;
    prepare(g, db);
    assignAll(g);
    for (const auto& e : g.nets[0].edges) EXPECT_EQ(e.layer, 0);
    EXPECT_EQ(g.nets[0].viaCount, 0);
    for (const auto& e : g.nets[1].edges) EXPECT_EQ(e.layer, 1);
    EXPECT_EQ(g.nets[1].viaCount, 2);
    for (const auto& e : g.nets[2].edges) EXPECT_EQ(e.layer, e.dir == 1 ? 0 : 1);
    EXPECT_EQ(g.nets[2].viaCount, 2);  // the bend and the far pin
    EXPECT_EQ(g.totalVia, 4);
    EXPECT_EQ(g.at3D(1, 0, 0, 0).demand, 1);
    EXPECT_EQ(g.at3D(0, 4, 1, 1).demand, 1);
}

TEST(TreeDP, FullLayerIsAvoidedUnderTheFirstPassCost) {
    NetDB db = alternating(5, 3, 4, 2);
    db.adjLocate = {RPoint(1, 0, 0, 1)};
    db.adjCapacity = {0};  // layer 0 of horizontal edge (1,0) is fully blocked
    addNet(db, 0, {{0, 0, 0}, {3, 0, 0}}, {pathThrough({{0, 0}, {1, 0}, {2, 0}, {3, 0}})});
    Graph g;
    prepare(g, db);
    assignAll(g);
    // Staying on layer 0 would overflow; two vias up and down cost far less.
    EXPECT_EQ(g.nets[0].edges[1].layer, 2);
    int maxOF = 0;
    double w = 0;
    EXPECT_EQ(g.getTotalOverflow(maxOF, w), 0);
}

TEST(TreeDP, OverflowCostsDoNotWrapAround) {
    // An excess of 3000 tracks costs 3e9 on one edge; an excess of 2000 costs
    // 2e9 per edge, which fits 32 bits, but three such edges up a tree do not.
    for (int edges : {1, 3}) {
        NetDB db = alternating(5, 3, 4, 10);
        std::vector<std::pair<int, int>> cells;
        for (int x = 0; x <= edges; ++x) cells.emplace_back(x, 0);
        addNet(db, 0, {{0, 0, 0}, {edges, 0, 0}}, {pathThrough(cells)});
        Graph g;
        prepare(g, db);
        for (int x = 0; x < edges; ++x) g.at3D(1, x, 0, 0).demand = edges == 1 ? 3009 : 2009;
        assignAll(g);
        for (const auto& e : g.nets[0].edges) EXPECT_EQ(e.layer, 2) << edges;
    }
}

TEST(TreeDP, OneChildEdgeAvoidsALayerWithoutTracks) {
    // Horizontal tracks only on layer 2; pins on layer 0.
    NetDB db = makeDB(4, 3, {3, 3, 3}, {0, 0, 3});
    addNet(db, 0, {{0, 0, 0}, {2, 0, 0}}, {pathThrough({{0, 0}, {1, 0}, {2, 0}})});
    Graph g;
    prepare(g, db);
    assignAll(g);
    for (const auto& e : g.nets[0].edges) EXPECT_EQ(e.layer, 2);
    EXPECT_EQ(g.nets[0].viaCount, 4);
}

TEST(TreeDP, MergeNodeJoinsFourBranches) {
    NetDB db = alternating(3, 3, 4, 3);
    addNet(db, 0, {{1, 1, 0}, {1, 2, 0}, {2, 1, 0}, {1, 0, 0}, {0, 1, 0}},
           {pathThrough({{1, 1}, {1, 2}}), pathThrough({{1, 1}, {2, 1}}), pathThrough({{1, 1}, {1, 0}}),
            pathThrough({{1, 1}, {0, 1}})});
    Graph g;
    prepare(g, db);
    ASSERT_EQ(g.nets[0].nodes[0].childCount, 4);
    assignAll(g);
    for (const auto& e : g.nets[0].edges) EXPECT_EQ(e.layer, e.dir == 1 ? 0 : 1);
    EXPECT_EQ(g.nets[0].viaCount, 3);  // the centre 0..1 and the two vertical leaves
    EXPECT_EQ(g.chosenSpace[0].cost, 300 + 2 * 3 + 2 * 2);  // vias; edge preferences 3 (layer 0) and 2 (layer 1)
}

TEST(TreeDP, ScratchListsAreReusedAcrossNets) {
    NetDB db = alternating(6, 6, 4, 3);
    addNet(db, 0, {{0, 0, 0}, {5, 5, 0}},
           {pathThrough({{0, 0}, {1, 0}, {2, 0}, {3, 0}, {4, 0}, {5, 0}, {5, 1}, {5, 2}, {5, 3}, {5, 4}, {5, 5}})});
    addNet(db, 1, {{0, 5, 0}, {1, 5, 0}}, {pathThrough({{0, 5}, {1, 5}})});
    Graph g;
    prepare(g, db);
    const size_t before = g.solSpace.size();
    const Graph::sol* data = g.solSpace.data();
    assignAll(g);
    EXPECT_EQ(g.solSpace.size(), before);
    EXPECT_EQ(g.solSpace.data(), data);
    EXPECT_EQ(before, static_cast<size_t>((g.maxLen + 1) * g.L));
}

// On uncongested grids every layer stays a candidate at merge nodes, so the
// dynamic program must find the exact optimum; compare with exhaustive search.
TEST(TreeDP, MatchesExhaustiveSearchOnSmallTrees) {
    std::mt19937 rng(12345);
    int checked = 0;
    for (int trial = 0; trial < 300 && checked < 120; ++trial) {
        const int L = 3;
        NetDB db = makeDB(4, 4, {2, 4, 3}, {4, 3, 0});  // layer 2 carries no horizontal track
        const int pinCount = 2 + static_cast<int>(rng() % 3);
        std::vector<Point> pins;
        for (int p = 0; p < pinCount; ++p)
            pins.emplace_back(static_cast<int>(rng() % 4), static_cast<int>(rng() % 4), static_cast<int>(rng() % L));
        std::vector<std::vector<RPoint>> paths;
        for (int p = 1; p < pinCount; ++p) {
            std::vector<std::pair<int, int>> cells{{pins[0].x, pins[0].y}};
            int x = pins[0].x, y = pins[0].y;
            const bool xFirst = rng() % 2;
            for (int phase = 0; phase < 2; ++phase) {
                if ((phase == 0) == xFirst)
                    while (x != pins[p].x) cells.emplace_back(x += (pins[p].x > x ? 1 : -1), y);
                else
                    while (y != pins[p].y) cells.emplace_back(x, y += (pins[p].y > y ? 1 : -1));
            }
            paths.push_back(pathThrough(cells));
        }
        addNet(db, 0, pins, paths);
        Graph g;
        prepare(g, db);
        if (g.nets.empty()) continue;  // every pin in one G-cell
        const bool firstPass = trial % 2 == 0;
        g.firstPass = firstPass;
        g.slope = 0.3;
        // Random load below capacity, some history.
        for (auto& e : g.grid3D) {
            e.demand = static_cast<int>(rng() % 2);
            e.history = static_cast<int>(rng() % 2);
        }
        Graph::net& n = g.nets[0];
        const int E = static_cast<int>(n.edges.size());
        if (E > 9) continue;
        std::vector<long long> costTable(static_cast<size_t>(E) * L, -1);
        for (int i = 0; i < E; ++i)
            for (int l = 0; l < L; ++l)
                if (g.tracks[n.edges[i].dir][l] > 0)
                    costTable[i * L + l] = g.edgeCost(n.edges[i].dir, n.edges[i].x, n.edges[i].y, l);
        long long best = std::numeric_limits<long long>::max();
        std::vector<int> layers(E, 0);
        for (long long code = 0, combos = static_cast<long long>(std::pow(L, E)); code < combos; ++code) {
            long long c = code;
            bool legal = true;
            for (int i = 0; i < E; ++i) {
                layers[i] = static_cast<int>(c % L);
                c /= L;
                legal = legal && costTable[i * L + layers[i]] >= 0;
            }
            if (legal) best = std::min(best, assignmentCost(g, n, layers, costTable));
        }
        g.singleNetLA(n);
        std::vector<int> got(E);
        for (int i = 0; i < E; ++i) {
            got[i] = n.edges[i].layer;
            ASSERT_GE(costTable[i * L + got[i]], 0) << "edge on a layer without tracks";
        }
        EXPECT_EQ(g.chosenSpace[0].cost, best) << "trial " << trial;
        EXPECT_EQ(assignmentCost(g, n, got, costTable), best) << "trial " << trial;
        EXPECT_EQ(n.viaCount, g.getSingleNetlVia(n));
        ++checked;
    }
    EXPECT_GE(checked, 100);
}
