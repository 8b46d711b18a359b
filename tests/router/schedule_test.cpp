// The 2D negotiation schedule on small hand-made designs.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <memory>
#include <queue>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "router/schedules/GlobalRoute2D.h"
#include "tests/common/ConsoleLines.h"
#include "tests/common/PathCheck.h"

namespace {

struct Design {
    NetDB db;
    std::unique_ptr<GlobalRouter> router;
    std::vector<Order> orders;
    parameterSet set;
    controlGR control;
};

// nets random nets of two or three pins on an X by Y grid whose edges hold cap
// tracks in each direction.
std::unique_ptr<Design> makeDesign(int X, int Y, int cap, int nets, unsigned seed) {
    auto d = std::make_unique<Design>();
    d->db.gridX = X;
    d->db.gridY = Y;
    d->db.layerNum = 1;
    std::mt19937 rng(seed);
    std::uniform_int_distribution<int> px(0, X - 1), py(0, Y - 1), pins(2, 3);
    d->db.nets.reserve(nets);
    for (int i = 0; i < nets; ++i) {
        Net net;
        net.id = i;
        const int n = pins(rng);
        while (static_cast<int>(net.pin2D.size()) < n) {
            Point p(px(rng), py(rng), 0);
            bool dup = false;
            for (const Point& q : net.pin2D) dup = dup || q == p;
            if (!dup) net.pin2D.push_back(p);
        }
        d->db.nets.push_back(net);
    }
    for (Net& net : d->db.nets) {
        net.twopin.reserve(net.pin2D.size() - 1);
        for (size_t k = 1; k < net.pin2D.size(); ++k) {
            TwoPin tp;
            tp.from = net.pin2D[k - 1];
            tp.to = net.pin2D[k];
            tp.parNet = &net;
            net.twopin.push_back(tp);
            net.wirelength += tp.from.distance(tp.to);
        }
        net.referenceLength = net.wirelength;
    }
    std::vector<int> pitch{1};
    d->router = std::make_unique<GlobalRouter>(X, Y, 1, cap, cap, std::vector<int>{cap}, std::vector<int>{cap},
                                               pitch);
    std::vector<RPoint> adj;
    std::vector<int> adjCap;
    d->router->initial2DGraph(adj, adjCap);
    d->router->viaCost = 1;
    d->control.maxIter = d->set.Maze_Routing_Iteration;
    d->control.timeLimit = 1000.0f;
    return d;
}

std::string run(Design& d) {
    testing::internal::CaptureStdout();
    GlobalRoute2D(*d.router, d.db, d.orders, d.set, d.control);
    return testing::internal::GetCapturedStdout();
}

int fieldOf(const std::string& line, const std::string& name) {
    const size_t at = line.find(name + "=");
    if (at == std::string::npos) return -1;
    return std::atoi(line.c_str() + at + name.size() + 1);
}


// Every connection's path joins its ends, or the net's other paths do.
void expectConnected(Design& d) {
    for (Net& net : d.db.nets) {
        std::vector<RPoint> all;
        for (TwoPin& tp : net.twopin) all.insert(all.end(), tp.path.begin(), tp.path.end());
        for (TwoPin& tp : net.twopin) {
            if (!tp.path.empty()) {
                EXPECT_TRUE(joins(tp.path, tp.from, tp.to)) << "net " << net.id;
            }
            EXPECT_TRUE(joins(all, tp.from, tp.to)) << "net " << net.id;
        }
        for (const Point& p : net.pin2D) EXPECT_TRUE(joins(all, net.pin2D[0], p)) << "net " << net.id;
    }
}

}  // namespace

TEST(MazeLength, GrowthFactorFollowsTheRerouteCount) {
    EXPECT_NEAR(mazeLengthFactor(1, 9, 2.0), 1.14879, 1e-5);
    EXPECT_NEAR(mazeLengthFactor(9, 9, 2.0), 4.0417, 1e-4);
    EXPECT_NEAR(mazeLengthFactor(20, 9, 2.0), 7.0019, 1e-4);
    const double cap = (M_PI / 2 + std::atan(20.0)) * 2.0 + 1.0;
    EXPECT_NEAR(cap, 7.1833, 1e-4);
    EXPECT_LT(mazeLengthFactor(1000000, 9, 2.0), cap);
    EXPECT_GT(mazeLengthFactor(1000000, 9, 2.0), 7.1832);
    EXPECT_EQ(mazeMaxLength(10, 1, 9, 2.0), 13);  // (int)11.4879 + 2
    EXPECT_EQ(mazeMaxLength(0, 50, 9, 2.0), 2);
}

TEST(GlobalRoute2D, ZeroMazeIterationsStillRunPostRouting) {
    for (int limit : {0, -5}) {
        auto d = makeDesign(12, 12, 2, 60, 7);
        d->control.maxIter = limit;
        const std::string out = run(*d);
        EXPECT_NE(out.find("===================Start Pattern Routing==================="), std::string::npos);
        EXPECT_NE(out.find("===================Start Monotonic Routing==================="), std::string::npos);
        const auto maze = linesBetween(out, "===================Start Maze Routing===================",
                                       "Maze Routing costs ");
        EXPECT_TRUE(maze.empty()) << limit;
        const auto post = linesBetween(out, "===================Start Post Routing===================",
                                       "Post Routing costs ");
        ASSERT_EQ(post.size(), 2u);
        EXPECT_EQ(post[0].rfind("Round=1  time=", 0), 0u);
        EXPECT_NE(out.find("CPU: mazeKernel "), std::string::npos);
        size_t connections = 0;
        for (Net& net : d->db.nets) connections += net.twopin.size();
        EXPECT_EQ(d->orders.size(), connections);
        for (Order& o : d->orders) EXPECT_EQ(o.twopin->pathSize, static_cast<int>(o.twopin->path.size()));
        expectConnected(*d);
        EXPECT_TRUE(d->router->hardOverflowMode);
        EXPECT_EQ(d->router->costMode2D, 3);
    }
}

TEST(GlobalRoute2D, NoOverflowRunsOneMazeRoundAndReroutesNothing) {
    auto d = makeDesign(12, 12, 40, 30, 3);
    const std::string out = run(*d);
    const auto maze =
        linesBetween(out, "===================Start Maze Routing===================", "Maze Routing costs ");
    ASSERT_EQ(maze.size(), 1u);
    EXPECT_EQ(maze[0].rfind("Round=1  time=", 0), 0u);
    EXPECT_EQ(fieldOf(maze[0], "totalOF"), 0);
    EXPECT_EQ(fieldOf(maze[0], "num_route_net"), 0);
    EXPECT_FALSE(d->router->historyMode);  // history starts at iteration 1
    expectConnected(*d);
}
