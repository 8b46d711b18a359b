// The 2D negotiation schedule on congested ISPD'08 benchmarks, run as the
// regular flow runs it: read, decompose, refine, route in 2D.

#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <queue>
#include <random>
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
#include "router/core/ControlGR.h"
#include "app/Flows.h"
#include "router/core/GlobalRouter.h"

namespace {

int fieldOf(const std::string& line, const std::string& name) {
    const size_t at = line.find("  " + name + "=");
    if (at == std::string::npos) return -1;
    return std::atoi(line.c_str() + at + name.size() + 3);
}

// A small, tight benchmark: `nets` random nets of two or three pins on distinct
// G-cells of an X by Y grid whose edges hold `cap` tracks in each direction
// (layer 1 horizontal, layer 2 vertical), without adjustments.
void writeRandomNets(const std::string& path, int X, int Y, int cap, int nets, unsigned seed) {
    std::ofstream out(path);
    out << "grid " << X << " " << Y << " 2\nvertical capacity 0 " << 2 * cap << "\nhorizontal capacity "
        << 2 * cap << " 0\nminimum width 1 1\nminimum spacing 1 1\nvia spacing 1 1\n0 0 10 10\n\nnum net "
        << nets << "\n";
    std::mt19937 rng(seed);
    std::uniform_int_distribution<int> px(0, X - 1), py(0, Y - 1), pins(2, 3);
    for (int i = 0; i < nets; ++i) {
        std::vector<std::pair<int, int>> cells;
        const size_t n = static_cast<size_t>(pins(rng));
        while (cells.size() < n) {
            const int x = px(rng), y = py(rng);
            if (std::find(cells.begin(), cells.end(), std::make_pair(x, y)) == cells.end()) cells.emplace_back(x, y);
        }
        out << "n" << i << " " << i << " " << n << " 1\n";
        for (const auto& c : cells) out << c.first * 10 + 5 << " " << c.second * 10 + 5 << " 1\n";
    }
    out << "\n0\n";
}

}  // namespace

TEST(Route2DEndToEnd, MazeStageLowersOverflowAndEveryPathJoinsItsEnds) {
    // Decomposition refines the trees with FLUTE, whose tables the build
    // unpacks into the tests' work folder.
    ASSERT_TRUE(std::ifstream("POWV9.dat").good() && std::ifstream("POST9.dat").good())
        << "the FLUTE tables are missing from the work folder";
    // A design from gen_ispd, or (cap > 0) random nets on a grid of cap tracks.
    // On 16 x 16 at capacity 3 the wires need about 1.4 times the tracks: after
    // a few maze rounds the detours raise the overflow again, so that row stops
    // at five. The pin demand of the last row stays below every capacity, so
    // the running overflow must count all of it.
    struct Design {
        int grid, nets, seed, cap, mazeRounds;
        const char* extraSettings;
    };
    const Design designs[] = {
        {32, 1200, 5, 0, 12, ""},
        {16, 150, 102, 3, 5, ""},
        {16, 150, 11, 7, 12, "Pin_Blockage_Factor = 0.2\n"},
    };
    for (const Design& d : designs) {
        SCOPED_TRACE(std::to_string(d.grid) + " x " + std::to_string(d.grid) + ", " + std::to_string(d.nets) +
                     " nets, seed " + std::to_string(d.seed) + " " + d.extraSettings);
        const TempFolder folder("tarvex_route2d_e2e_");
        const std::string dir = folder.path();
        ASSERT_FALSE(dir.empty());
        const std::string bench = dir + "/congested.gr";
        const std::string settings = dir + "/run.set";
        if (d.cap > 0) {
            writeRandomNets(bench, d.grid, d.grid, d.cap, d.nets, static_cast<unsigned>(d.seed));
        } else {
            const std::string size = std::to_string(d.grid);
            const CommandResult gen =
                runCommand(std::string(TARVEX_TOOLS_DIR) + "/gen_ispd --grid " + size + " " + size +
                           " --layers 2 --nets " + std::to_string(d.nets) + " --seed " + std::to_string(d.seed) +
                           " --out " + bench);
            ASSERT_EQ(gen.status, 0) << gen.err;
        }
        {
            std::ofstream set(settings);
            set << "Via_Cost = 1\nMaze_Routing_Iteration = " << d.mazeRounds << "\nMaze_Routing_Timeout = 100000\n"
                << d.extraSettings;
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

        const auto mono = linesBetween(out, "===================Start Monotonic Routing===================",
                                       "Monotonic Routing costs ");
        const auto maze =
            linesBetween(out, "===================Start Maze Routing===================", "Maze Routing costs ");
        const auto post =
            linesBetween(out, "===================Start Post Routing===================", "Post Routing costs ");
        ASSERT_EQ(mono.size(), 3u) << out;
        ASSERT_FALSE(maze.empty()) << out;
        ASSERT_LE(maze.size(), static_cast<size_t>(d.mazeRounds));
        ASSERT_EQ(post.size(), 2u);
        const int afterMono = fieldOf(mono.back(), "totalOF");
        const int afterMaze = fieldOf(maze.back(), "totalOF");
        EXPECT_GT(afterMono, 0) << "the benchmark should be congested";
        EXPECT_LT(afterMaze, afterMono);
        EXPECT_NE(out.find("CPU: mazeKernel "), std::string::npos);

        // Every edge carries the pin demand of its two G-cells, and the running
        // totals, kept since before the first path, count it.
        const double factor = set.Pin_Blockage_Factor;
        auto demand = [&](int x, int y) { return static_cast<int>(std::ceil(db.pinCount[x][y] * factor)); };
        int demandTotal = 0;
        for (int x = 0; x < db.gridX; ++x)
            for (int y = 0; y < db.gridY; ++y) {
                const int h = x + 1 < db.gridX ? demand(x, y) + demand(x + 1, y) : 0;
                const int v = y + 1 < db.gridY ? demand(x, y) + demand(x, y + 1) : 0;
                ASSERT_EQ(router.virtualDemand(1, x, y), h) << x << "," << y;
                ASSERT_EQ(router.virtualDemand(0, x, y), v) << x << "," << y;
                demandTotal += h + v;
            }
        EXPECT_EQ(demandTotal > 0, factor > 0);
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
}
