// Refinement of spanning trees with FLUTE Steiner trees. Tests that build
// Steiner trees need the FLUTE table files in the working directory.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <random>
#include <set>
#include <utility>
#include <vector>

#include "decomposition/DisjointSet.h"
#include "decomposition/MST.h"
#include "decomposition/flute.h"
#include "router/kernels/FluteRefine.h"

namespace {

constexpr int kGrid = 32;

bool fileExists(const char* name) {
    FILE* f = std::fopen(name, "rb");
    if (!f) return false;
    std::fclose(f);
    return true;
}

// Loads the tables once; false when they are not in the working directory.
bool tablesLoaded() {
    static const bool loaded = [] {
        if (!fileExists("POWV9.dat") || !fileExists("POST9.dat")) return false;
        readLUT();
        return true;
    }();
    return loaded;
}

#define REQUIRE_TABLES()                                                            \
    do {                                                                            \
        if (!tablesLoaded()) GTEST_SKIP() << "FLUTE tables not in working directory"; \
    } while (0)

std::unique_ptr<GlobalRouter> makeRouter() {
    std::vector<int> pitch{1};
    return std::make_unique<GlobalRouter>(kGrid, kGrid, 1, 4, 4, std::vector<int>{4}, std::vector<int>{4}, pitch);
}

// Gives the net its minimum spanning tree over its G-cell pins as connections,
// as decomposition leaves it.
void decompose(Net& net) {
    DisjointSet sets;
    tarvexMST graph;
    std::vector<Link> links;
    const int len = NEW_MST(net.pin2D, links, sets, graph);
    net.twopin.clear();
    for (const Link& l : links) {
        TwoPin tp;
        tp.from = net.pin2D[l.a];
        tp.to = net.pin2D[l.b];
        net.twopin.push_back(tp);
    }
    for (TwoPin& tp : net.twopin) tp.parNet = &net;
    net.wirelength = len;
    net.referenceLength = len;
}

Net netOf(std::vector<std::pair<int, int>> pins) {
    Net net;
    for (auto [x, y] : pins) net.pin2D.emplace_back(x, y, 0);
    return net;
}

int treeLength(const Net& net) {
    int sum = 0;
    for (const TwoPin& tp : net.twopin) sum += tp.from.distance(tp.to);
    return sum;
}

// True when the connections join all pins of the net into one tree.
bool spansPins(const Net& net) {
    const int n = static_cast<int>(net.pin2D.size());
    if (static_cast<int>(net.twopin.size()) != n - 1) return false;
    auto indexOf = [&](const Point& p) {
        for (int i = 0; i < n; ++i)
            if (net.pin2D[i] == p) return i;
        return -1;
    };
    DisjointSet sets;
    sets.AddSet(n);
    for (const TwoPin& tp : net.twopin) {
        const int a = indexOf(tp.from), b = indexOf(tp.to);
        if (a < 0 || b < 0) return false;
        if (sets.Find(a) == sets.Find(b)) return false;
        sets.Union(a, b);
    }
    return true;
}

TEST(FluteRefine, TwoPinAndHugeNetsAreLeftAlone) {
    auto r = makeRouter();
    std::vector<Net> nets(2);
    nets[0] = netOf({{1, 1}, {5, 9}});
    decompose(nets[0]);
    std::vector<std::pair<int, int>> many;
    for (int i = 0; i < 150; ++i) many.emplace_back(i % 15, i / 15);
    std::set<std::pair<int, int>> distinct(many.begin(), many.end());
    ASSERT_EQ(distinct.size(), 150u);
    nets[1] = netOf(many);
    decompose(nets[1]);
    nets[1].referenceLength = 12345;  // must survive untouched
    const int wl = nets[1].wirelength;
    const TwoPin* first = &nets[1].twopin[0];

    initialRoute(*r, nets);
    EXPECT_EQ(nets[0].twopin.size(), 1u);
    EXPECT_EQ(nets[0].referenceLength, 12);
    EXPECT_EQ(nets[1].twopin.size(), 149u);
    EXPECT_EQ(&nets[1].twopin[0], first);
    EXPECT_EQ(nets[1].wirelength, wl);
    EXPECT_EQ(nets[1].referenceLength, 12345);
    EXPECT_TRUE(nets[1].treeEdges.empty());
}

// Three pins need no tables: their Steiner tree joins them at the median point.
TEST(FluteRefine, CornerNetKeepsItsTree) {
    auto r = makeRouter();
    std::vector<Net> nets(1);
    nets[0] = netOf({{0, 0}, {0, 3}, {4, 3}});
    decompose(nets[0]);
    nets[0].referenceLength = 99;
    const TwoPin* first = &nets[0].twopin[0];
    initialRoute(*r, nets);
    EXPECT_EQ(nets[0].referenceLength, 7);  // the Steiner length, even when nothing is replaced
    EXPECT_EQ(nets[0].wirelength, 7);
    EXPECT_EQ(&nets[0].twopin[0], first);
    EXPECT_EQ(nets[0].twopin.size(), 2u);
    EXPECT_TRUE(nets[0].treeEdges.empty());
}

TEST(FluteRefine, SpreadThreePinNetIsRebuilt) {
    auto r = makeRouter();
    std::vector<Net> nets(2);
    // Spanning tree 4 + 6 = 10; Steiner tree through (2,2) of length 8.
    nets[0] = netOf({{0, 0}, {4, 2}, {2, 4}});
    decompose(nets[0]);
    ASSERT_EQ(nets[0].wirelength, 10);
    // A second net over the same G-cells, with a straight tree: only its length changes.
    nets[1] = netOf({{2, 2}, {2, 4}, {2, 7}});
    decompose(nets[1]);
    initialRoute(*r, nets);

    Net& net = nets[0];
    ASSERT_EQ(net.twopin.size(), 2u);
    EXPECT_TRUE(spansPins(net));
    EXPECT_EQ(treeLength(net), 10);
    EXPECT_EQ(net.referenceLength, 8 + 10);
    EXPECT_EQ(net.wirelength, 10 + 10);
    // The two straight Steiner segments; the diagonal one from (0,0) is not recorded.
    EXPECT_EQ(net.treeEdges.size(), 4u);
    EXPECT_EQ(net.treeEdges.count(RPoint(2, 2, 0, 1)), 1u);
    EXPECT_EQ(net.treeEdges.count(RPoint(3, 2, 0, 1)), 1u);
    EXPECT_EQ(net.treeEdges.count(RPoint(2, 2, 0, 0)), 1u);
    EXPECT_EQ(net.treeEdges.count(RPoint(2, 3, 0, 0)), 1u);
    // The lightest link joins the two pins nearest to each other.
    EXPECT_EQ(net.twopin[0].from.distance(net.twopin[0].to), 4);

    EXPECT_EQ(nets[1].twopin.size(), 2u);
    EXPECT_EQ(nets[1].referenceLength, 5);
    EXPECT_TRUE(nets[1].treeEdges.empty());
}

TEST(FluteRefine, CrossNetIsRebuiltAroundItsSteinerPoint) {
    REQUIRE_TABLES();
    auto r = makeRouter();
    std::vector<Net> nets(1);
    nets[0] = netOf({{1, 0}, {0, 1}, {2, 1}, {1, 2}});
    decompose(nets[0]);
    ASSERT_EQ(nets[0].wirelength, 6);
    initialRoute(*r, nets);
    Net& net = nets[0];
    EXPECT_EQ(net.referenceLength, 10);
    EXPECT_EQ(net.wirelength, 12);
    ASSERT_EQ(net.twopin.size(), 3u);
    for (const TwoPin& tp : net.twopin) {
        EXPECT_EQ(tp.from.distance(tp.to), 2);
        EXPECT_EQ(tp.parNet, &net);
        EXPECT_TRUE(tp.needRouting);
        EXPECT_TRUE(tp.path.empty());
    }
    EXPECT_TRUE(spansPins(net));
    EXPECT_EQ(net.treeEdges.size(), 4u);
    EXPECT_EQ(net.treeEdges.count(RPoint(0, 1, 0, 1)), 1u);
    EXPECT_EQ(net.treeEdges.count(RPoint(1, 1, 0, 1)), 1u);
    EXPECT_EQ(net.treeEdges.count(RPoint(1, 0, 0, 0)), 1u);
    EXPECT_EQ(net.treeEdges.count(RPoint(1, 1, 0, 0)), 1u);
}

TEST(FluteRefine, RefinedTreesSpanThePinsAndKeepTheLengthsInStep) {
    REQUIRE_TABLES();
    auto r = makeRouter();
    std::mt19937 rng(7);
    std::vector<Net> nets(60);
    for (size_t k = 0; k < nets.size(); ++k) {
        const int n = 3 + static_cast<int>(rng() % 28);
        std::set<std::pair<int, int>> pins;
        while (static_cast<int>(pins.size()) < n) pins.emplace(rng() % 20, rng() % 20);
        std::vector<std::pair<int, int>> v(pins.begin(), pins.end());
        std::shuffle(v.begin(), v.end(), rng);
        nets[k] = netOf(v);
        decompose(nets[k]);
    }
    std::vector<int> mst, steiner;
    for (Net& net : nets) {
        mst.push_back(net.wirelength);
        std::vector<int> xs, ys;
        for (const Point& p : net.pin2D) {
            xs.push_back(p.x);
            ys.push_back(p.y);
        }
        Tree t = flute(static_cast<int>(xs.size()), xs.data(), ys.data(), 3);
        steiner.push_back(t.length);
        delete[] t.nodes;
    }

    initialRoute(*r, nets);
    int refined = 0;
    for (size_t k = 0; k < nets.size(); ++k) {
        const Net& net = nets[k];
        EXPECT_TRUE(spansPins(net)) << "net " << k;
        if (steiner[k] >= mst[k]) {
            EXPECT_EQ(net.referenceLength, steiner[k]);
            EXPECT_EQ(net.wirelength, mst[k]);
            EXPECT_TRUE(net.treeEdges.empty());
            continue;
        }
        ++refined;
        const int len = treeLength(net);
        // The new tree joins the pins directly, so it is a spanning tree: never
        // shorter than the minimum one, whatever the Steiner-node bias chose.
        EXPECT_GE(len, mst[k]) << "net " << k;
        // Links are discounted to at least 0.7 of their length, which bounds how
        // far the biased tree can stray from the minimum one.
        EXPECT_LE(0.7 * len, mst[k] + 0.5 * static_cast<double>(net.pin2D.size())) << "net " << k;
        EXPECT_EQ(net.referenceLength, steiner[k] + len);
        EXPECT_EQ(net.wirelength, mst[k] + len);
        EXPECT_FALSE(net.treeEdges.empty());
        for (const RPoint& e : net.treeEdges) {
            EXPECT_EQ(e.z, 0);
            EXPECT_TRUE(e.hori == 0 || e.hori == 1);
        }
    }
    EXPECT_GT(refined, 30);
}

}  // namespace
