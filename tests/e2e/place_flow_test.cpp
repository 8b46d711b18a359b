// End-to-end PLACE runs on generated Bookshelf sets (macros, fixed cells, NI
// terminals). A generated placement is first legalized by LEGAL; PLACE then
// runs on it with several iteration and detailed-placement counts, and every
// .pl it writes must pass our independent placement checker. Detailed
// placement is checked against the same run without it: it keeps every cell
// in its bin, keeps the placement legal and shortens the wires.

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>
#include <string>

#include "app/PlacementFlows.h"
#include "database/bookshelf/Bookshelf.h"
#include "router/core/GlobalRouter.h"
#include "tests/common/RunFolder.h"

namespace {

constexpr int kTile = 48;

// Movable cells ("... : N" lines without /FIXED) of a .pl file: name -> (x, y).
std::map<std::string, std::pair<long long, long long>> movableCells(const std::string& path) {
    std::map<std::string, std::pair<long long, long long>> cells;
    std::ifstream in(path);
    std::string line;
    while (std::getline(in, line)) {
        if (line.find(" : N") == std::string::npos || line.find("/FIXED") != std::string::npos) continue;
        std::istringstream ls(line);
        std::string name;
        long long x = 0, y = 0;
        ls >> name >> x >> y;
        cells[name] = {x, y};
    }
    return cells;
}

class PlaceFlow : public RunFolder<> {
protected:
    // A generated set and its user placement legalized into legal.pl.
    void prepare(int seed, int cells) {
        CommandResult g = runCommand(tools + "/gen_bookshelf --cells " + std::to_string(cells) + " --seed " +
                                     std::to_string(seed) + " --tile 48 48 --out " + dir);
        ASSERT_EQ(g.status, 0) << g.err;
        writeSettings("legal.set", 0, 0);
        CommandResult l = runHere("LEGAL design.aux design.user.pl legal.set legal.pl");
        ASSERT_EQ(l.status, 0) << l.out << l.err;
    }
    void writeSettings(const std::string& name, int iterations, int detailed) {
        // Three iterations also route with the block-aware capacities.
        const std::string blockAware = iterations == 3 ? "Avoiding_Blockage_Factor = 2.0\n" : "";
        writeTextFile(dir + "/" + name, blockAware + "Via_Cost = 1\nMaze_Routing_Timeout = 60\nPin_Blockage_Factor = 0.5\n"
                                        "Blockage_Expanding = 1\nRounds_Per_Iteration = 2\nPlacement_Iteration = " +
                                            std::to_string(iterations) +
                                            "\nLocal_Detailed_Placement = " + std::to_string(detailed) + "\n");
    }
    // Runs PLACE from legal.pl into `out`; returns the console.
    std::string place(int iterations, int detailed, const std::string& out) {
        const std::string set = out + ".set";
        writeSettings(set, iterations, detailed);
        CommandResult r = runHere("PLACE design.aux legal.pl " + set + " " + out);
        EXPECT_EQ(r.status, 0) << r.out << r.err;
        return r.out;
    }
    // place_check of `out` against `reference`; returns its report.
    std::string check(const std::string& out, const std::string& reference) {
        CommandResult c = runCommand(tools + "/place_check " + dir + "/design.aux " + dir + "/" + out + " " + dir +
                                     "/" + reference);
        EXPECT_EQ(c.status, 0) << c.out << c.err;
        EXPECT_EQ(labelValue(c.out, "violations"), 0) << c.out;
        EXPECT_EQ(labelValue(c.out, "fixed moved"), 0) << c.out;
        return c.out;
    }
};

TEST_F(PlaceFlow, EveryIterationAndDetailedCountWritesALegalPlacement) {
    ASSERT_NO_FATAL_FAILURE(prepare(21, 2500));
    const struct {
        size_t iterations, detailed;
    } runs[] = {{0, 0}, {0, 2}, {1, 0}, {1, 2}, {3, 0}, {3, 1}};
    for (const auto& run : runs) {
        SCOPED_TRACE("iterations " + std::to_string(run.iterations) + " detailed " + std::to_string(run.detailed));
        const std::string out = "out_" + std::to_string(run.iterations) + "_" + std::to_string(run.detailed) + ".pl";
        const std::string console = place(static_cast<int>(run.iterations), static_cast<int>(run.detailed), out);
        EXPECT_EQ(countOf(console, "!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!! Iteration "), run.iterations);
        if (run.iterations > 0) {
            EXPECT_NE(console.find("!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!! Iteration 0  !!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!\n"),
                      std::string::npos);
        }
        EXPECT_EQ(countOf(console, "\nmoveAbleCellNum=2500 "), run.iterations);
        EXPECT_EQ(countOf(console, "===================Start Global Re-Placement===================\n"),
                  run.iterations);
        EXPECT_EQ(countOf(console, "\nLegalization: moveCellNum=2500  unPlaceNum=0 "), run.iterations);
        // Detailed rounds in every iteration and once more at the end.
        const size_t detailedRuns = run.detailed > 0 ? run.iterations + 1 : 0;
        EXPECT_EQ(countOf(console, "==============Start Local Detailed Placement==============\n"), detailedRuns);
        EXPECT_EQ(countOf(console, "  swapCell(impr="), detailedRuns * run.detailed);
        EXPECT_EQ(countOf(console, "Local Detailed Placement costs "), detailedRuns);
        EXPECT_NE(console.find("CPU: monoKernel cost time : "), std::string::npos);
        EXPECT_NE(console.find("output placment result = " + out + "\n"), std::string::npos);
        EXPECT_EQ(console.find("ERROR"), std::string::npos);

        const std::string report = check(out, "legal.pl");
        EXPECT_EQ(labelValue(report, "movable cells"), 2500);
        if (run.iterations == 0) {
            EXPECT_EQ(labelValue(report, "displacement"), 0);  // the input, untouched
        } else {
            EXPECT_GT(labelValue(report, "displacement"), 0);
        }
    }
}

TEST_F(PlaceFlow, DetailedPlacementKeepsCellsInTheirBinsAndShortensWires) {
    ASSERT_NO_FATAL_FAILURE(prepare(22, 3000));
    // With one iteration, the run without detailed placement writes exactly the
    // legalized placement that detailed placement starts from.
    place(1, 0, "plain.pl");
    const std::string console = place(1, 3, "detailed.pl");
    const std::string plain = check("plain.pl", "legal.pl");
    const std::string detailed = check("detailed.pl", "plain.pl");
    EXPECT_GT(labelValue(detailed, "displacement"), 0);
    EXPECT_LT(labelValue(detailed, "hpwl"), labelValue(plain, "hpwl"));

    const auto before = movableCells(dir + "/plain.pl");
    const auto after = movableCells(dir + "/detailed.pl");
    ASSERT_EQ(before.size(), 3000u);
    ASSERT_EQ(after.size(), before.size());
    int leftBin = 0;
    for (const auto& [name, pos] : before) {
        const auto& q = after.at(name);
        if (pos.first / kTile != q.first / kTile || pos.second / kTile != q.second / kTile) ++leftBin;
    }
    EXPECT_EQ(leftBin, 0);
    // Every pass of every round reports a non-negative improvement.
    EXPECT_EQ(console.find("impr=-"), std::string::npos);
}

// The loop's overflow count, recounted after the run: every routed unit of
// usage above capacity - virtual demand, over the usage the grid starts with
// (the capacity adjustments). Cells moving change the virtual demand on the way.
TEST_F(PlaceFlow, ReplacementLoopCountsOverflowUnderTheVirtualDemandOfTheMovedCells) {
    ASSERT_NO_FATAL_FAILURE(prepare(23, 2500));
    NetDB db;
    parameterSet set;
    testing::internal::CaptureStdout();
    setDefaultParameter(db, set, true);
    set.Via_Cost = 1;
    set.Pin_Blockage_Factor = 0.5;
    set.Rounds_Per_Iteration = 2;
    set.Local_Detailed_Placement = 0;
    Input_DAC((dir + "/design.aux").c_str(), db, set);
    read_place_file((dir + "/legal.pl").c_str(), db);
    build_netlist_set(db, set, db.cells);
    auto makeRouter = [&] {
        return std::make_unique<GlobalRouter>(db.gridX, db.gridY, db.layerNum, db.totalHorizontalTracks,
                                              db.totalVerticalTracks, db.hTracks, db.vTracks, db.pitch);
    };
    std::unique_ptr<GlobalRouter> router = makeRouter(), start = makeRouter();
    controlGR control;
    control.verbose = true;
    main_movable_router(db, set, (dir + "/out.pl").c_str(), *router, control, false, false);
    start->initial2DGraph(db.adjLocate, db.adjCapacity);
    const std::string console = testing::internal::GetCapturedStdout();
    ASSERT_NE(console.find("Round=1  time="), std::string::npos);

    long long overflow = 0;
    for (int kind = 0; kind < 2; ++kind)
        for (int x = 0; x < router->X - (kind == 1); ++x)
            for (int y = 0; y < router->Y - (kind == 0); ++y) {
                const long long v = router->virtualDemand(kind, x, y), cap = router->cap2D(kind);
                overflow += std::max(router->usage2D(kind, x, y) + v - cap, 0LL) -
                            std::max(start->usage2D(kind, x, y) + v - cap, 0LL);
            }
    EXPECT_GT(overflow, 0);
    EXPECT_EQ(router->totalOF, overflow);
}

}  // namespace
