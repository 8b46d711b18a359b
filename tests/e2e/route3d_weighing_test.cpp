// The 3D stage's result weighed as the checker counts it, on designs where
// whole tracks and the pitch are not what the checker counts: odd adjusted
// capacities, wide nets, pin blockage. The console's two figures are the
// checker's for the file written and for the run without the stage, and the
// stage's file is written only when the checker counts it strictly better.

#include <gtest/gtest.h>

#include <cstdio>
#include <ostream>
#include <string>
#include <utility>

#include "tests/common/IspdFlowRun.h"

namespace {

// gen_ispd's benchmarks with wide nets, or with every edge of layer 2 and up
// one capacity unit below its default.
struct Reshaped {
    const char* name;
    const char* generator;  // gen_ispd's arguments
    const char* extra;      // more settings
    bool stageKept;
    bool farCorners;        // nets named "wire_<id>", origin -10^8
};

void PrintTo(const Reshaped& r, std::ostream* os) { *os << r.generator; }

class Route3DCountsAsTheChecker : public IspdFlowRun<::testing::TestWithParam<Reshaped>> {};

}  // namespace

INSTANTIATE_TEST_SUITE_P(
    Designs, Route3DCountsAsTheChecker,
    ::testing::Values(Reshaped{"WideNetsPinBlockage", "--seed 2 --grid 20 20 --layers 4 --nets 300 --wide-nets 6 7 "
                               "--adjustments none", "Pin_Blockage_Factor = 0.5\n", false, false},
                      Reshaped{"WideNetsFarCorners", "--seed 1 --grid 20 20 --layers 4 --nets 300 --wide-nets 6 7 "
                               "--adjustments none --net-prefix wire_ --origin -100000000 -100000000 --tile 1000000 "
                               "1000000", "", true, true},
                      Reshaped{"OddAdjusted", "--seed 2 --grid 20 20 --layers 6 --nets 600 --tracks 6 "
                               "--adjustments minus-one", "", true, false}),
    [](const ::testing::TestParamInfo<Reshaped>& info) { return std::string(info.param.name); });

TEST_P(Route3DCountsAsTheChecker, FiguresAreTheCheckersAndOnlyABetterStageIsWritten) {
    const Reshaped r = GetParam();
    ASSERT_EQ(runCommand(tools + "/gen_ispd " + r.generator + " --out " + dir + "/d.gr").status, 0);
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
