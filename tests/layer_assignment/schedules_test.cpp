#include <gtest/gtest.h>

#include <random>
#include <regex>

#include "la_test_util.h"

using namespace latest;

namespace {

// A random congested design: alternating layers with few tracks, nets routed
// as L shapes from their first pin.
NetDB randomDesign(unsigned seed, int netCount, int tracksPerLayer) {
    std::mt19937 rng(seed);
    const int X = 10, Y = 10, L = 4;
    std::vector<int> v(L, 0), h(L, 0);
    for (int l = 0; l < L; ++l) (l % 2 ? v : h)[l] = tracksPerLayer;
    NetDB db = makeDB(X, Y, v, h);
    db.minWidth = {1, 1, 2, 2};
    db.originX = 5;
    db.originY = 7;
    for (int id = 0; id < netCount; ++id) {
        const int pinCount = 2 + static_cast<int>(rng() % 4);
        std::vector<Point> pins;
        for (int p = 0; p < pinCount; ++p)
            pins.emplace_back(static_cast<int>(rng() % X), static_cast<int>(rng() % Y), static_cast<int>(rng() % L));
        std::vector<std::vector<RPoint>> paths;
        for (int p = 1; p < pinCount; ++p) {
            std::vector<std::pair<int, int>> cells{{pins[p - 1].x, pins[p - 1].y}};
            int x = pins[p - 1].x, y = pins[p - 1].y;
            const bool xFirst = rng() % 2;
            for (int phase = 0; phase < 2; ++phase) {
                if ((phase == 0) == xFirst)
                    while (x != pins[p].x) cells.emplace_back(x += (pins[p].x > x ? 1 : -1), y);
                else
                    while (y != pins[p].y) cells.emplace_back(x, y += (pins[p].y > y ? 1 : -1));
            }
            paths.push_back(pathThrough(cells));
        }
        addNet(db, id, pins, paths);
    }
    return db;
}

// The grid's demand equals the adjustment blockage plus one per assigned edge.
void expectGridMatchesNets(Graph& g) {
    long long demand = 0;
    for (const auto& e : g.grid3D) demand += e.demand;
    long long edges = 0;
    int vias = 0;
    for (auto& n : g.nets) {
        for (const auto& e : n.edges) {
            ASSERT_GE(e.layer, 0);
            ASSERT_GT(g.tracks[e.dir][e.layer], 0) << "edge on a layer without tracks";
        }
        edges += static_cast<long long>(n.edges.size());
        EXPECT_EQ(n.viaCount, g.getSingleNetlVia(n));
        vias += n.viaCount;
    }
    EXPECT_EQ(demand, edges);
    EXPECT_EQ(edges, g.Wlen2D);
    EXPECT_EQ(vias, g.totalVia);
    std::vector<int> countH(g.overflowCountH.size(), 0), countV(g.overflowCountV.size(), 0);
    for (int x = 0; x < g.X; ++x)
        for (int y = 0; y < g.Y; ++y)
            for (int l = 0; l < g.L; ++l) {
                countH[g.idx2D(x, y)] += std::max(0, g.at3D(1, x, y, l).demand - g.tracks[1][l]);
                countV[g.idx2D(x, y)] += std::max(0, g.at3D(0, x, y, l).demand - g.tracks[0][l]);
            }
    EXPECT_EQ(countH, g.overflowCountH);
    EXPECT_EQ(countV, g.overflowCountV);
}

std::string run(Graph& g, int algorithm) {
    testing::internal::CaptureStdout();
    if (algorithm == 1) g.fastLA(0, 0, 0, false);
    if (algorithm == 2) g.COLA(0, 0, 0, false);
    if (algorithm == 3) g.NVM(0, 0, 0, false);
    return testing::internal::GetCapturedStdout();
}

}  // namespace

TEST(LASchedules, ScoreOrderPutsFewEdgesPerPinFirst) {
    NetDB db = makeDB(12, 12, {0, 50}, {50, 0});
    std::vector<Point> tenPins;
    std::vector<std::pair<int, int>> snake;
    for (int x = 0; x <= 11; ++x) snake.emplace_back(x, 0);
    for (int y = 1; y <= 11; ++y) snake.emplace_back(11, y);
    for (int x = 10; x >= 0; --x) snake.emplace_back(x, 11);
    for (int y = 10; y >= 4; --y) snake.emplace_back(0, y);  // 40 edges in all
    for (int i = 0; i < 10; ++i) tenPins.emplace_back(snake[i * 4].first, snake[i * 4].second, 0);
    addNet(db, 0, tenPins, {pathThrough(snake)});
    addNet(db, 1, {{5, 5, 0}, {6, 5, 0}}, {pathThrough({{5, 5}, {6, 5}})});
    Graph g;
    prepare(g, db);
    ASSERT_EQ(g.nets[0].edges.size(), 40u);
    testing::internal::CaptureStdout();
    g.sort_net();
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "LA scoring..,LA sort\n");
    EXPECT_DOUBLE_EQ(g.nets[0].score, 0.25);
    EXPECT_DOUBLE_EQ(g.nets[1].score, 2.0);
    EXPECT_EQ(g.sortedNets[0], &g.nets[1]);
    EXPECT_EQ(g.sortedNets[1], &g.nets[0]);
}

TEST(LASchedules, EverySchedulePrintsItsLinesAndLeavesAConsistentGrid) {
    const std::regex fast(
        R"(LA scoring\.\.,LA sort\nFastLA totalOF=\d+  maxOF=\d+  weightOF=\d+   Wlen2D=\d+  Via=\d+  totalWL\(Wlen2D\+Via\*3\)=\d+ \n)");
    const std::regex cola(
        R"(LA scoring\.\.,LA sort\nLA assign net by net\n)"
        R"(IntialLA  time=\d+\.\d\d  totalOF=\d+  maxOF=\d+  weightOF=\d+  totalVia=\d+\n)"
        R"(PostLA  time=\d+\.\d\d  totalOF=\d+  maxOF=\d+  weightOF=\d+  totalVia=\d+\n)"
        R"(totalOF=\d+  maxOF=\d+  weightOF=\d+   Wlen2D=\d+  Via=\d+  totalWL\(Wlen2D\+Via\*3\)=\d+ \n)"
        R"(CPU: kernelLA cost time : \d+\.\d\d seconds\n(CPU: \w+ cost time : \d+\.\d\d seconds\n){6}\n)");
    const std::regex nvm(
        R"(InitialLA  time=\d+\.\d\d  totalOF=\d+  maxOF=\d+  weightOF=\d+  totalVia=\d+\n)"
        R"((Round=\d+  time=\d+\.\d\d  totalOF=\d+  maxOF=\d+  weightOF=\d+  totalVia=\d+\n)*)"
        R"(PostLA  time=\d+\.\d\d  totalOF=\d+  maxOF=\d+  weightOF=\d+  totalVia=\d+\n)"
        R"(totalOF=\d+  maxOF=\d+  weightOF=\d+  Wlen2D=\d+  Via=\d+  totalWL\(Wlen2D\+Via\*3\)=\d+ \n)"
        R"((CPU: \w+ cost time : \d+\.\d\d seconds\n){7}\n)");
    for (unsigned seed = 1; seed <= 4; ++seed) {
        for (int algorithm = 1; algorithm <= 3; ++algorithm) {
            SCOPED_TRACE("seed " + std::to_string(seed) + " algorithm " + std::to_string(algorithm));
            NetDB db = randomDesign(seed, 40, 2);
            Graph g;
            prepare(g, db, 3);
            const std::string out = run(g, algorithm);
            EXPECT_TRUE(std::regex_match(out, algorithm == 1 ? fast : algorithm == 2 ? cola : nvm)) << out;
            EXPECT_TRUE(g.firstPass);
            expectGridMatchesNets(g);
            int maxOF = 0;
            double w = 0;
            EXPECT_EQ(g.totalOF, g.getTotalOverflow(maxOF, w));
            EXPECT_EQ(g.maxOF, maxOF);
        }
    }
}

TEST(LASchedules, NegotiationReducesOverflowBelowTheGreedyStart) {
    NetDB db = randomDesign(7, 60, 2);
    Graph g;
    prepare(g, db, 1);
    const std::string out = run(g, 3);
    std::smatch m;
    ASSERT_TRUE(std::regex_search(out, m, std::regex(R"(InitialLA  time=\S+  totalOF=(\d+))")));
    const int start = std::stoi(m[1]);
    EXPECT_GT(start, 0);
    EXPECT_NE(out.find("Round=0 "), std::string::npos);
    EXPECT_LT(g.totalOF, start);
}

TEST(LASchedules, NegotiationWithoutOverflowSkipsTheRounds) {
    NetDB db = randomDesign(3, 10, 50);
    Graph g;
    prepare(g, db, 1);
    const std::string out = run(g, 3);
    EXPECT_EQ(out.find("Round="), std::string::npos);
    EXPECT_EQ(g.totalOF, 0);
    expectGridMatchesNets(g);
}

TEST(LASchedules, NegotiationStopsAfterOneRoundWhenTheInputOverflowIsReached) {
    // One horizontal track over one edge and three nets: the 2D result already
    // overflows by 2, so the rounds end after round 0.
    NetDB db = makeDB(3, 3, {0, 1}, {1, 0});
    for (int i = 0; i < 3; ++i) addNet(db, i, {{0, 0, 0}, {1, 0, 0}}, {pathThrough({{0, 0}, {1, 0}})});
    Graph g;
    prepare(g, db, 1);
    EXPECT_EQ(g.inputOverflow, 2);
    const std::string out = run(g, 3);
    EXPECT_NE(out.find("Round=0 "), std::string::npos);
    EXPECT_EQ(out.find("Round=1 "), std::string::npos);
    EXPECT_EQ(g.totalOF, 2);
    EXPECT_NEAR(g.slope, 0.35, 1e-12);
    EXPECT_EQ(g.at3D(1, 0, 0, 0).history, 1);
}

TEST(LASchedules, ZeroViaCostPrintsTheTwoDimensionalLengthAsTotal) {
    NetDB db = makeDB(4, 4, {0, 3}, {3, 0});
    addNet(db, 0, {{0, 0, 0}, {2, 2, 0}}, {pathThrough({{0, 0}, {1, 0}, {2, 0}, {2, 1}, {2, 2}})});
    Graph g;
    prepare(g, db, 0);
    const std::string out = run(g, 2);
    EXPECT_NE(out.find("Wlen2D=4  Via=2  totalWL(Wlen2D+Via*0)=4 \n"), std::string::npos) << out;
}
