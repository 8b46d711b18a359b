// The modes HPWL, LOOK and CONVERT run by the real binary on Bookshelf sets:
// HPWL against the independent placement checker, LOOK on a routing log, and the
// console lines and files of CONVERT with and without a .rule file.

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "tests/common/RunCommand.h"
#include "tests/common/SmallBookshelfSet.h"

namespace {

const std::string kBin = TARVEX_BIN;
const std::string kPlaceCheck = std::string(TARVEX_TOOLS_DIR) + "/place_check";

long long hpwlOfReport(const std::string& out) {
    const std::string label = "totalHPWL = ";
    const size_t at = out.find(label);
    return at == std::string::npos ? -1 : std::stoll(out.substr(at + label.size()));
}

}  // namespace

// The hand-written set (its console line pinned too) and generated sets, with
// their legal and their overlapping placements.
TEST(AnalysisModes, HpwlEqualsThePlacementChecker) {
    const std::string small = scratchDir();
    std::vector<std::pair<std::string, std::string>> runs{{writeSmallBookshelfSet(small), small + "s.pl"}};
    int k = 0;
    for (const std::string opt : {"--cells 3000 --seed 21", "--cells 800 --seed 4 --origin 96 48 --tile 32 40"}) {
        const std::string dir = scratchDir() + "hpwl" + std::to_string(k++) + "/";
        ASSERT_EQ(runCommand("mkdir -p '" + dir + "'").status, 0);
        const CommandResult gen =
            runCommand("'" + std::string(TARVEX_TOOLS_DIR) + "/gen_bookshelf' " + opt + " --out '" + dir + "'");
        ASSERT_EQ(gen.status, 0) << gen.err;
        for (const std::string pl : {"design.pl", "design.user.pl"}) runs.push_back({dir + "design.aux", dir + pl});
    }
    for (const auto& [aux, pl] : runs) {
        const CommandResult run = runCommand("'" + kBin + "' HPWL " + aux + " " + pl);
        if (pl == runs[0].second) {
            EXPECT_NE(run.out.find("totalHPWL = 243  movePinRatio=0.64  localNetNum=0\n"), std::string::npos) << run.out;
        }
        ASSERT_EQ(run.status, 0) << run.err;
        const CommandResult check = runCommand("'" + kPlaceCheck + "' " + aux + " " + pl);
        const auto figures = parseLabelValues(check.out);
        ASSERT_TRUE(figures.count("hpwl")) << check.out << check.err;
        EXPECT_EQ(hpwlOfReport(run.out), figures.at("hpwl")) << pl;
        EXPECT_EQ(run.out.find("Input File costs"), std::string::npos);
    }
}

TEST(AnalysisModes, LookCountsTheLoggedNets) {
    const std::string dir = scratchDir();
    const std::string aux = writeSmallBookshelfSet(dir);
    const std::string warn = "*WARNING* Cannot reroute connection for net net";
    // net 1 (named twice): pins (9,4), (24,19), (47,15), Steiner length 38 + 15; net 3: (22,19), (3,3), 19 + 16.
    writeTextFile(dir + "r.log", "Round=1\n" + warn + "1\n" + warn + "3 extra\n" + warn + "12\n" + warn + "1\n");
    const CommandResult run = runCommand("'" + kBin + "' LOOK " + aux + " " + dir + "s.pl " + dir + "r.log");
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("binNum[2] = 1\nbinNum[3] = 2\n"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("unRouteNet=3  localNet=0  removed flute length 141\n"), std::string::npos) << run.out;
    EXPECT_NE(run.err.find("r.log:4: net number 12 is outside the 4 nets, line skipped"), std::string::npos)
        << run.err;
}

// A log naming every net of a generated set: every net is counted once, and the
// Steiner lengths add up to at least the checker's half-perimeter total (a
// rectilinear Steiner tree is never shorter than its net's half perimeter) and to
// well under twice it for these mostly small nets.
TEST(AnalysisModes, LookOverEveryNetOfAGeneratedSet) {
    const std::string dir = scratchDir() + "look/";
    ASSERT_EQ(runCommand("mkdir -p '" + dir + "'").status, 0);
    ASSERT_EQ(runCommand("'" + std::string(TARVEX_TOOLS_DIR) + "/gen_bookshelf' --cells 1200 --seed 8 --out '" + dir + "'").status, 0);
    const auto figures = parseLabelValues(runCommand("'" + kPlaceCheck + "' " + dir + "design.aux " + dir + "design.user.pl").out);
    ASSERT_TRUE(figures.count("nets") && figures.count("hpwl"));
    std::string log;
    for (long long n = 0; n < figures.at("nets"); ++n)
        log += "*WARNING* Cannot reroute connection for net net" + std::to_string(n) + "\n";
    writeTextFile(dir + "all.log", log);
    const CommandResult run =
        runCommand("'" + kBin + "' LOOK " + dir + "design.aux " + dir + "design.user.pl " + dir + "all.log");
    ASSERT_EQ(run.status, 0) << run.err;
    long long binned = 0;
    for (int b = 0; b < 10; ++b) {
        const std::string label = "binNum[" + std::to_string(b) + "] = ";
        const size_t at = run.out.find(label);
        ASSERT_NE(at, std::string::npos);
        binned += std::stoll(run.out.substr(at + label.size()));
    }
    EXPECT_EQ(binned, figures.at("nets"));
    const size_t summary = run.out.find("unRouteNet=");
    ASSERT_NE(summary, std::string::npos);
    EXPECT_EQ(std::stoll(run.out.substr(summary + 11)), figures.at("nets"));
    const long long length = std::stoll(run.out.substr(run.out.find("removed flute length ") + 21));
    EXPECT_GE(length, figures.at("hpwl"));
    EXPECT_LT(length, 2 * figures.at("hpwl"));
}

TEST(AnalysisModes, ConvertWritesTheSetWithOrWithoutRules) {
    const std::string dir = scratchDir();
    const std::string aux = writeSmallBookshelfSet(dir);
    const CommandResult run = runCommand("'" + kBin + "' CONVERT " + aux + " " + dir + "s.pl " + dir + "out");
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("maxCount=2  maxX=70  maxY=40\nsame[1]=0  same[2]=1  same[3]=0  same[4]=0\n"
                           "output LEF file\nbuild macro set\nMacro type 7\noutput LEF time = "),
              std::string::npos)
        << run.out;
    EXPECT_NE(run.out.find("output DEF file\noutput cell location\ntileW=10  tileH=12\noutput net list\n"
                           "totalPin=11  removePin=1  ratio=9.09091\noutput DEF time = "),
              std::string::npos);
    EXPECT_EQ(run.out.substr(run.out.size() - 23), "File Convertion finish\n");
    EXPECT_EQ(readWholeFile(dir + "out.aux"), "LEFDEF :  out.lef out.def");
    const std::string lef = readWholeFile(dir + "out.lef");
    const std::string def = readWholeFile(dir + "out.def");
    // o4 blocks all four layers: its pin is held to metal4; o3 has its shapes as obstructions.
    EXPECT_NE(lef.find("LAYER metal1\n   TYPE MASTERSLICE ;"), std::string::npos);
    EXPECT_NE(def.find("DESIGN out ;"), std::string::npos);
    EXPECT_NE(def.find("  -    p1   MAS6  +    FIXED ( 70000 40000 )  N  ;"), std::string::npos) << def;

    writeTextFile(dir + "r.rule", "# tighter wires\nWIRE_WIDTH = 0.3\nUSE_BOTTOM_LAYER = YES\n");
    const CommandResult ruled =
        runCommand("'" + kBin + "' CONVERT " + aux + " " + dir + "s.pl " + dir + "r.rule " + dir + "ruled");
    ASSERT_EQ(ruled.status, 0) << ruled.err;
    EXPECT_NE(ruled.out.find("read " + dir + "r.rule\nset WIRE_WIDTH = 0.300\nset USE_BOTTOM_LAYER = YES\n"),
              std::string::npos);
    EXPECT_NE(readWholeFile(dir + "ruled.lef").find("LAYER metal1\n   TYPE ROUTING ;\n   PITCH 0.920 ;\n   WIDTH 0.300 ;"),
              std::string::npos);

    writeTextFile(dir + "bad.rule", "WIRE_WIDTH = 0.3\nWIRE_PITCH = fine\n");
    const CommandResult bad =
        runCommand("'" + kBin + "' CONVERT " + aux + " " + dir + "s.pl " + dir + "bad.rule " + dir + "bad");
    EXPECT_EQ(bad.status, 1);
    EXPECT_NE(bad.err.find("bad.rule:2: the value \"fine\" of WIRE_PITCH is not a number"), std::string::npos)
        << bad.err;
    // A refused conversion, by its rules or by its design (no rows, found after
    // the .lef is written), leaves none of its files, temporary ones included.
    writeTextFile(dir + "s.scl", "UCLA scl 1.0\n\nNumRows : 0\n");
    const CommandResult noRows = runCommand("'" + kBin + "' CONVERT " + aux + " " + dir + "s.pl " + dir + "norows");
    EXPECT_EQ(noRows.status, 1);
    EXPECT_EQ(runCommand("ls " + dir + " | grep -E '^(bad|norows)'").out, "bad.rule\n");
}
