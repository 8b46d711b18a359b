// The 2D negotiation schedule on a generated congested ISPD'08 benchmark, run
// as the regular flow runs it: read, decompose, refine, route in 2D.

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <queue>
#include <set>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "tests/common/ConsoleLines.h"
#include "tests/common/PathCheck.h"
#include "tests/common/RunCommand.h"
#include "database/NetDB.h"
#include "database/Parser.h"
#include "database/Settings.h"
#include "router/ControlGR.h"
#include "app/Flows.h"
#include "router/GlobalRouter.h"

namespace {

int fieldOf(const std::string& line, const std::string& name) {
    const size_t at = line.find("  " + name + "=");
    if (at == std::string::npos) return -1;
    return std::atoi(line.c_str() + at + name.size() + 3);
}


}  // namespace

TEST(Route2DEndToEnd, MazeStageLowersOverflowAndEveryPathJoinsItsEnds) {
    // Decomposition refines the trees with FLUTE, whose tables the build
    // unpacks into the tests' work folder.
    ASSERT_TRUE(std::ifstream("POWV9.dat").good() && std::ifstream("POST9.dat").good())
        << "the FLUTE tables are missing from the work folder";
    const std::string dir = "/tmp/tarvex_route2d_e2e_" + std::to_string(getpid());
    ASSERT_EQ(runCommand("mkdir -p " + dir).status, 0);
    const std::string bench = dir + "/congested.gr";
    const std::string settings = dir + "/run.set";
    const CommandResult gen = runCommand(std::string(TARVEX_TOOLS_DIR) +
                                         "/gen_ispd --grid 32 32 --layers 2 --nets 1200 --seed 5 --out " + bench);
    ASSERT_EQ(gen.status, 0) << gen.err;
    {
        std::ofstream set(settings);
        set << "Via_Cost = 1\nMaze_Routing_Iteration = 12\nMaze_Routing_Timeout = 100000\n";
    }

    NetDB db;
    parameterSet set;
    testing::internal::CaptureStdout();
    setDefaultParameter(db, set, true);
    Input_Setting(settings.c_str(), db, set);
    Input_ISPD(bench.c_str(), db, set);
    GlobalRouter router(db.gridX, db.gridY, db.layerNum, db.totalHorizontalTracks, db.totalVerticalTracks,
                        db.hTracks, db.vTracks, db.pitch);
    controlGR control;
    control.maxIter = set.Maze_Routing_Iteration;
    control.timeLimit = static_cast<float>(set.Maze_Routing_Timeout);
    std::vector<Order> orders;
    routeRegular2D(db, set, router, control, orders);
    const std::string out = testing::internal::GetCapturedStdout();
    runCommand("rm -rf " + dir);

    const auto mono = linesBetween(out, "===================Start Monotonic Routing===================",
                                   "Monotonic Routing costs ");
    const auto maze =
        linesBetween(out, "===================Start Maze Routing===================", "Maze Routing costs ");
    const auto post =
        linesBetween(out, "===================Start Post Routing===================", "Post Routing costs ");
    ASSERT_EQ(mono.size(), 3u) << out;
    ASSERT_FALSE(maze.empty()) << out;
    ASSERT_LE(maze.size(), 12u);
    ASSERT_EQ(post.size(), 2u);
    const int afterMono = fieldOf(mono.back(), "totalOF");
    const int afterMaze = fieldOf(maze.back(), "totalOF");
    EXPECT_GT(afterMono, 0) << "the benchmark should be congested";
    EXPECT_LT(afterMaze, afterMono);
    EXPECT_NE(out.find("CPU: mazeKernel "), std::string::npos);

    // The running totals agree with the grid.
    int maxOF = 0;
    EXPECT_EQ(router.totalOF, router.getVirtualOF(maxOF));
    EXPECT_EQ(router.Wlen2D, fieldOf(post.back(), "Wlen2D"));

    size_t connections = 0;
    for (Net& net : db.nets) {
        connections += net.twopin.size();
        std::vector<RPoint> all;
        for (TwoPin& tp : net.twopin) all.insert(all.end(), tp.path.begin(), tp.path.end());
        for (TwoPin& tp : net.twopin) {
            if (!tp.path.empty()) {
                EXPECT_TRUE(joins(tp.path, tp.from, tp.to)) << net.name;
            }
            EXPECT_TRUE(joins(all, tp.from, tp.to)) << net.name;
        }
        for (const Point& p : net.pin2D) EXPECT_TRUE(joins(all, net.pin2D[0], p)) << net.name;
    }
    EXPECT_EQ(orders.size(), connections);
}
