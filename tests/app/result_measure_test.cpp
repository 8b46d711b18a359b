// The measure that weighs a 3D result counts what the result writer writes
// exactly as the independent checker counts the file: odd capacities and
// adjustments in capacity units, wide nets, a net whose id is -1, steps shared
// by two connections, a step off the grid and a one-G-cell via stack.

#include <gtest/gtest.h>

#include <string>

#include "app/ResultMeasure.h"
#include "database/NetDB.h"
#include "database/Parser.h"
#include "database/Settings.h"
#include "tests/common/RunCommand.h"

namespace {

// 8 x 6 G-cells of 10 x 10, three layers of pitch 2, 3 and 3; every layer
// carries both directions. Net i joins two pins on layer 1; every third net
// is 5 wide, more than any layer's minimum.
std::string benchmark(int nets) {
    std::string gr = "grid 8 6 3\nvertical capacity 7 10 5\nhorizontal capacity 7 11 5\nminimum width 1 2 1\n"
                     "minimum spacing 1 1 2\nvia spacing 1 1 1\n0 0 10 10\n\nnum net " + std::to_string(nets + 1) + "\n";
    for (int i = 0; i < nets; ++i) {
        const int xa = i % 3, ya = i % 5, xb = 4 + i % 4, yb = (i * 3 + 1) % 6;
        gr += "net" + std::to_string(i) + " " + std::to_string(i == 0 ? -1 : i) + " 2 " + (i % 3 == 1 ? "5" : "1") +
              "\n" + std::to_string(xa * 10 + 5) + " " + std::to_string(ya * 10 + 5) + " 1\n" +
              std::to_string(xb * 10 + 5) + " " + std::to_string(yb * 10 + 5) + " 1\n";
    }
    // A net whose pins share G-cell (7, 5) on layers 1 and 3: the reader drops it.
    gr += "stack " + std::to_string(nets) + " 2 1\n75 55 1\n76 56 3\n\n";
    // Odd adjusted capacities; the second line for an edge replaces the first.
    gr += "4\n4 2 2 5 2 2 5\n5 0 2 5 1 2 3\n5 0 2 5 1 2 9\n1 3 3 1 4 3 1\n";
    return gr;
}

}  // namespace

TEST(ResultMeasure, CountsWhatTheWriterWritesAsTheCheckerCounts) {
    const int nets = 24;
    const std::string gr = scratchPath("measure.gr"), result = scratchPath("measure.result");
    writeTextFile(gr, benchmark(nets));
    NetDB db;
    parameterSet settings;
    settings.Optimization_3D_Iteration = 1;
    readIspdText(gr.c_str(), benchmark(nets), db, settings);
    ASSERT_EQ(db.nets.size(), static_cast<size_t>(nets));

    // Each net: up from layer 1, along x on layer 2, a via to layer 3, along y,
    // down to layer 1. Two connections share the corner's via; one step lies
    // off the grid, which the writer reports and leaves out.
    for (Net& net : db.nets) {
        const Point a = net.pin2D[0], b = net.pin2D[1];
        net.twopin.resize(2);
        std::vector<RPoint>& first = net.twopin[0].path;
        std::vector<RPoint>& second = net.twopin[1].path;
        first = {RPoint(a.x, a.y, 0, 2)};
        for (int x = a.x; x < b.x; ++x) first.emplace_back(x, a.y, 1, 1);
        first.emplace_back(b.x, a.y, 1, 2);
        second = {RPoint(b.x, a.y, 1, 2)};
        for (int y = std::min(a.y, b.y); y < std::max(a.y, b.y); ++y) second.emplace_back(b.x, y, 2, 0);
        second.emplace_back(b.x, b.y, 1, 2);
        second.emplace_back(b.x, b.y, 0, 2);
        if (net.id == 3) second.emplace_back(db.gridX, 0, 0, 1);
    }
    Net stack;
    stack.id = nets;
    stack.name = "stack";
    stack.pin2D = {Point(7, 5, 0)};
    stack.pin3D = {Point(7, 5, 0), Point(7, 5, 2)};
    db.nets.push_back(stack);

    const ResultMeasure m = measureRoutedPaths(db);
    outputFile(result.c_str(), db);
    const std::string written = readWholeFile(result);
    EXPECT_EQ(written.rfind("net0 -1 0\n(0,0,1)-(0,0,2)\n", 0), 0u) << written.substr(0, 200);

    CommandResult check = runCommand(std::string(TARVEX_TOOLS_DIR) + "/check_ispd " + gr + " " + result);
    EXPECT_EQ(check.status, 0) << check.err;
    const auto c = parseLabelValues(check.out);
    EXPECT_EQ(c.at("nets in result"), nets + 1);
    EXPECT_GT(c.at("total overflow"), 0);
    EXPECT_EQ(m.totalOverflow, c.at("total overflow"));
    EXPECT_EQ(m.length, c.at("wire edges") + c.at("vias"));
    std::remove(gr.c_str());
    std::remove(result.c_str());
}
