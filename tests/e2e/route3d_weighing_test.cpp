// The 3D stage's result weighed as the checker counts it, on designs where
// whole tracks and the pitch are not what the checker counts: odd adjusted
// capacities, wide nets, pin blockage. The console's two figures are the
// checker's for the file written and for the run without the stage, and the
// stage's file is written only when the checker counts it strictly better.

#include <gtest/gtest.h>

#include <cstdio>
#include <ostream>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "tests/common/IspdFlowRun.h"

namespace {

struct Reshaped {
    GeneratedDesign design;
    int tracks;         // gen_ispd --tracks
    bool oddAdjusted;   // every edge of layers 2 and up adjusted to its default minus 1
    bool wideNets;      // every sixth net 7 wide
    bool farCorners;    // origin -10^8, G-cells of 10^6, nets renamed "wire_<id>"
    const char* extra;  // more settings
    bool stageKept;
};

void PrintTo(const Reshaped& r, std::ostream* os) { *os << "seed " << r.design.seed; }

// gen_ispd's benchmark without its adjustments, reshaped as `r` asks.
std::string reshape(const std::string& gr, const Reshaped& r) {
    std::istringstream in(gr);
    std::string line, out;
    std::vector<std::string> head;
    while (std::getline(in, line)) {
        head.push_back(line);
        out += line + "\n";
        if (line.rfind("num net ", 0) == 0) break;
    }
    int X = 0, Y = 0, L = 0;
    std::sscanf(head[0].c_str(), "grid %d %d %d", &X, &Y, &L);
    std::vector<int> cap[2];  // vertical, horizontal
    for (int d = 0; d < 2; ++d) {
        std::istringstream caps(head[1 + d].substr(head[1 + d].find("capacity") + 8));
        for (int v; caps >> v;) cap[d].push_back(v);
    }
    const int nets = std::stoi(head.back().substr(8));
    for (int i = 0; i < nets; ++i) {
        std::getline(in, line);
        std::istringstream fields(line);
        std::string name;
        int id = 0, pins = 0, width = 0;
        fields >> name >> id >> pins >> width;
        if (r.farCorners) name = "wire_" + std::to_string(id);
        if (r.wideNets && id % 6 == 0) width = 7;
        out += name + " " + std::to_string(id) + " " + std::to_string(pins) + " " + std::to_string(width) + "\n";
        for (int p = 0; p < pins && std::getline(in, line); ++p) out += line + "\n";
    }
    std::string adjustments;
    int count = 0;
    for (int l = 1; r.oddAdjusted && l < L; ++l)
        for (int x = 0; x < X; ++x)
            for (int y = 0; y < Y; ++y) {
                const std::string at = std::to_string(x) + " " + std::to_string(y) + " " + std::to_string(l + 1) + " ";
                if (cap[1][l] != 0 && x + 1 < X) {
                    adjustments += at + std::to_string(x + 1) + " " + std::to_string(y) + " " + std::to_string(l + 1) +
                                   " " + std::to_string(cap[1][l] - 1) + "\n";
                    ++count;
                }
                if (cap[0][l] != 0 && y + 1 < Y) {
                    adjustments += at + std::to_string(x) + " " + std::to_string(y + 1) + " " + std::to_string(l + 1) +
                                   " " + std::to_string(cap[0][l] - 1) + "\n";
                    ++count;
                }
            }
    return out + "\n" + std::to_string(count) + "\n" + adjustments;
}

class Route3DCountsAsTheChecker : public IspdFlowRun<::testing::TestWithParam<Reshaped>> {};

}  // namespace

INSTANTIATE_TEST_SUITE_P(
    Designs, Route3DCountsAsTheChecker,
    ::testing::Values(Reshaped{{2, 20, 4, 300}, 0, false, true, false, "Pin_Blockage_Factor = 0.5\n", false},
                      Reshaped{{1, 20, 4, 300}, 0, false, true, true, "", true},
                      Reshaped{{2, 20, 6, 600}, 6, true, false, false, "", true}),
    [](const ::testing::TestParamInfo<Reshaped>& info) {
        const Reshaped& r = info.param;
        return std::string(r.oddAdjusted ? "OddAdjusted" : "WideNets") + "_seed" + std::to_string(r.design.seed);
    });

TEST_P(Route3DCountsAsTheChecker, FiguresAreTheCheckersAndOnlyABetterStageIsWritten) {
    const Reshaped r = GetParam();
    const GeneratedDesign& g = r.design;
    ASSERT_EQ(runCommand(tools + "/gen_ispd --seed " + std::to_string(g.seed) + " --grid " + std::to_string(g.grid) +
                         " " + std::to_string(g.grid) + " --layers " + std::to_string(g.layers) + " --nets " +
                         std::to_string(g.nets) + (r.tracks ? " --tracks " + std::to_string(r.tracks) : "") +
                         (r.farCorners ? " --origin -100000000 -100000000 --tile 1000000 1000000" : "") + " --out " +
                         dir + "/b.gr")
                  .status,
              0);
    writeTextFile(dir + "/d.gr", reshape(readWholeFile(dir + "/b.gr"), r));
    auto route = [&](const std::string& extra, const std::string& result) {
        writeTextFile(dir + "/d.set", settingsFor(1, r.extra + extra));
        CommandResult run3D = run("REGULAR_ISPD", result, "5");
        EXPECT_EQ(run3D.status, 0) << outputTail(run3D);
        return run3D.out;
    };
    auto checked = [&](const std::string& result) {
        CommandResult c = runCommand(tools + "/check_ispd " + dir + "/d.gr " + dir + "/" + result);
        EXPECT_EQ(c.status, 0) << c.err;
        auto v = parseLabelValues(c.out);
        return std::make_pair(v["total overflow"], v["wire edges"] + v["vias"]);
    };
    route("", "la.result");
    const std::string out = route("3D_Optimization_Iteration = 1\n", "d.result");
    const size_t line = out.find("3D refinement keeps the result ");
    ASSERT_NE(line, std::string::npos) << outputTail({0, out, ""});
    char which[8] = {};
    long long keptOF = -1, keptLength = -1, otherOF = -1, otherLength = -1;
    ASSERT_EQ(sscanf(out.c_str() + line,
                     "3D refinement keeps the result %7s the 3D stage: total overflow %lld, wire length + vias %lld "
                     "(%*[^:]: total overflow %lld, wire length + vias %lld)",
                     which, &keptOF, &keptLength, &otherOF, &otherLength), 5);
    const auto written = checked("d.result"), withoutStage = checked("la.result");
    EXPECT_EQ(written, std::make_pair(keptOF, keptLength));
    EXPECT_EQ(std::string(which), r.stageKept ? "of" : "without");
    const bool same = runCommand("cmp " + dir + "/d.result " + dir + "/la.result").status == 0 &&
                      runCommand("cmp " + dir + "/d.result.ofinfo " + dir + "/la.result.ofinfo").status == 0;
    EXPECT_EQ(same, !r.stageKept);
    if (!r.stageKept) return;
    EXPECT_EQ(withoutStage, std::make_pair(otherOF, otherLength));
    EXPECT_LT(written, withoutStage);
    if (r.farCorners) {
        // The 3D writer: the nets' own names in "name id 0" headers, corners
        // from the far origin.
        const std::string result = readWholeFile(dir + "/d.result");
        EXPECT_EQ(result.rfind("wire_0 0 0\n(-", 0), 0u) << result.substr(0, 300);
        auto c = parseLabelValues(runCommand(tools + "/check_ispd " + dir + "/d.gr " + dir + "/d.result").out);
        EXPECT_EQ(static_cast<long long>(countOf(result, "\nwire_")) + 1, c["nets in result"]);
    }
}
