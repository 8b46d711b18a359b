// End-to-end runs of REGULAR_ISPD and FAST_ISPD with 3D refinement on generated
// benchmarks: the result written from the 3D paths passes our independent
// checker (every pin joined on its own layer, so every layer change carries its
// vias), and the checker's overflow and wire length equal the router's report.

#include <gtest/gtest.h>

#include <climits>
#include <cstdio>
#include <ostream>
#include <string>
#include <utility>

#include "tests/common/IspdFlowRun.h"

namespace {

struct Design3D {
    GeneratedDesign design;
    int algorithm;
    const char* mode;
};

void PrintTo(const Design3D& d, std::ostream* os) {
    *os << d.mode << " seed " << d.design.seed << " algorithm " << d.algorithm;
}

class Route3DFlow : public IspdFlowRun<::testing::TestWithParam<Design3D>> {};
class Route3DRuns : public IspdFlowRun<> {};

const std::string k3D = "3D_Optimization_Iteration = 1\n";

}  // namespace

// Designs that layer assignment leaves with overflow, so that the 3D rounds run.
INSTANTIATE_TEST_SUITE_P(Congested, Route3DFlow,
                         ::testing::Values(Design3D{{21, 20, 4, 250}, 1, "REGULAR_ISPD"},
                                           Design3D{{25, 20, 6, 600}, 3, "REGULAR_ISPD"},
                                           Design3D{{26, 24, 8, 900}, 2, "REGULAR_ISPD"},
                                           Design3D{{27, 20, 6, 500}, 1, "FAST_ISPD"},
                                           Design3D{{28, 24, 4, 500}, 3, "FAST_ISPD"}),
                         [](const ::testing::TestParamInfo<Design3D>& info) {
                             return std::string(info.param.mode) + "_seed" + std::to_string(info.param.design.seed);
                         });

TEST_P(Route3DFlow, ResultPassesTheCheckerAndMatchesTheReport) {
    const Design3D d = GetParam();
    prepare(d.design, settingsFor(d.algorithm, k3D));
    CommandResult r = run(d.mode, "d.result", "5");
    ASSERT_EQ(r.status, 0) << outputTail(r);
    EXPECT_EQ(r.out.find("ERROR"), std::string::npos);
    expectCheckerAgrees("d.result");
    EXPECT_GT(parseLabelValues(runCommand(tools + "/check_ispd " + dir + "/d.gr " + dir + "/d.result").out)["vias"],
              0);

    // The stage's console lines, in order; the second "Layer Assignment costs "
    // line closes the whole 3D stage.
    const size_t start = r.out.find("Start 3D GlobalRouting....");
    const size_t fast = r.out.find("===================Start 3D Fast Routing===================");
    const size_t cola =
        r.out.rfind("===================Start DP-based Layer Assignment with Negotiation Scheme===================");
    const size_t laCost = r.out.rfind("Layer Assignment costs ");
    const size_t result = r.out.find("output routing result = d.result");
    const size_t report = r.out.find("output overflow infomation file = d.result.ofinfo");
    const size_t output = r.out.find("Output File costs ");
    ASSERT_NE(start, std::string::npos);
    EXPECT_LT(start, fast);
    EXPECT_LT(fast, cola);
    EXPECT_LT(cola, laCost);
    EXPECT_LT(laCost, result);
    EXPECT_LT(result, report);
    EXPECT_LT(report, output);
    EXPECT_NE(output, std::string::npos);
    EXPECT_NE(r.out.find("totalOF="), std::string::npos);
    EXPECT_EQ(countOf(r.out, "Layer Assignment costs "), 2u);
    // At most 500 negotiation rounds, each with its line.
    EXPECT_LE(countOf(r.out.substr(fast, cola - fast), "Round="), 500u);
}

TEST_F(Route3DRuns, AResultFileThatCannotBeOpenedEndsTheRunWithItsName) {
    prepare({24, 12, 4, 60}, settingsFor(1, k3D));
    for (const char* mode : {"REGULAR_ISPD", "FAST_ISPD"}) {
        CommandResult r = run(mode, "no_such_dir/d.result");
        EXPECT_EQ(r.status, 1) << mode;
        EXPECT_NE(r.err.find("no_such_dir/d.result"), std::string::npos) << r.err;
    }
}

TEST_F(Route3DRuns, BothWritersPrintFarCornersAndTheNetsOwnNames) {
    // The die at the readers' limits: origin -10^9 and 20 G-cells of 10^8 reaching +10^9.
    writeTextFile(dir + "/d.gr",
                  "grid 20 20 2\nvertical capacity 0 8\nhorizontal capacity 8 0\nminimum width 1 1\n"
                  "minimum spacing 1 1\nvia spacing 1 1\n-1000000000 -1000000000 100000000 100000000\n\n"
                  "num net 2\nwide.net 0 2 1\n-999999990 -999999990 1\n999999990 -850000000 1\n"
                  "n1 1 2 1\n-999999990 999999990 1\n999999990 999999990 1\n\n0\n");
    // The 3D stage cannot better this design, so with it the result of layer
    // assignment stays; the 3D writer's far corners show in Route3DWeighs.
    for (const std::string& extra : {k3D, std::string()}) {
        writeTextFile(dir + "/d.set", settingsFor(1, extra));
        ASSERT_EQ(run("REGULAR_ISPD", "d.result").status, 0);
        expectCheckerAgrees("d.result");
        const std::string result = readWholeFile(dir + "/d.result");
        EXPECT_EQ(result.rfind("wide.net 0\n", 0), 0u) << result;
        EXPECT_NE(result.find("\nn1 1"), std::string::npos) << result;
    }
}

// Designs on which the 3D rounds lower the overflow and then raise it again:
// the stage keeps its best round, and the result is no worse than layer
// assignment's (no flagged connection adds overflow here).
class Route3DKeeps : public Route3DFlow {};

INSTANTIATE_TEST_SUITE_P(WorseLastRound, Route3DKeeps,
                         ::testing::Values(Design3D{{21, 20, 4, 250}, 1, "REGULAR_ISPD"},
                                           Design3D{{28, 24, 4, 500}, 3, "FAST_ISPD"},
                                           Design3D{{21, 0, 6, 900}, 1, "REGULAR"}),
                         [](const ::testing::TestParamInfo<Design3D>& info) {
                             return std::string(info.param.mode) + "_seed" + std::to_string(info.param.design.seed);
                         });

TEST_P(Route3DKeeps, TheBestRoundIsWritten) {
    const Design3D d = GetParam();
    const bool bookshelf = std::string(d.mode) == "REGULAR";
    auto route = [&](const std::string& extra, const std::string& result) {
        writeTextFile(dir + "/d.set", settingsFor(d.algorithm, extra));
        CommandResult r = bookshelf ? runHere("REGULAR d.aux d.user.pl d.set " + result + " 5")
                                    : run(d.mode, result, "5");
        EXPECT_EQ(r.status, 0) << outputTail(r);
        expectCheckerAgrees(result);
        const std::string check = runCommand(tools + "/check_ispd " + dir + "/d.gr " + dir + "/" + result).out;
        return std::make_pair(r.out, labelValue(check, "total overflow"));
    };
    if (bookshelf) {  // NI terminals on upper layers; net n505 has its pins in one G-cell on layers 1 and 4
        ASSERT_EQ(runCommand(tools + "/gen_bookshelf --out " + dir + " --name d --seed 21 --cells 900 --layers 6")
                      .status, 0);
    } else {
        prepare(d.design, "");
    }
    const auto [out, written] = route(k3D, "d.result");
    int kept = -1, keptOF = -1, startOF = -1, lastOF = -1;
    const size_t line = out.find("3D refinement keeps round ");
    ASSERT_NE(line, std::string::npos);
    ASSERT_EQ(sscanf(out.c_str() + line, "3D refinement keeps round %d: total overflow %d (start %d, last round %d)",
                     &kept, &keptOF, &startOF, &lastOF), 4);
    EXPECT_EQ(written, keptOF);
    EXPECT_LE(keptOF, startOF);
    EXPECT_GT(lastOF, keptOF);
    const size_t round = out.find("Round=" + std::to_string(kept) + " ", out.find("Start 3D Fast Routing"));
    ASSERT_NE(round, std::string::npos);
    EXPECT_EQ(std::stoll(out.substr(out.find("totalOF=", round) + 8)), keptOF);
    EXPECT_LE(written, route("", "la.result").second);
    if (bookshelf) {
        EXPECT_NE(readWholeFile(dir + "/d.result").find("\nn505 505 0\n(96,240,1)-(96,240,2)\n"), std::string::npos);
        // Without the 3D stage the layer-assignment writer joins them too, in net order.
        EXPECT_NE(readWholeFile(dir + "/la.result").find("\n!\nn505 505\n(96,240,1)-(96,240,4)\n!\nn506 506\n"),
                  std::string::npos);
    }
}

// The 3D stage's result is written only when it is strictly better than layer
// assignment's (total overflow, then wire length + vias, as the checker counts
// them); otherwise the files are those of the run without the stage.
struct Weighed {
    GeneratedDesign design;
    int algorithm;
    const char* mode;
    bool farCorners;  // origin -10^8, G-cells of 10^6
    bool stageKept;
};

void PrintTo(const Weighed& w, std::ostream* os) { *os << w.mode << " seed " << w.design.seed; }

class Route3DWeighs : public IspdFlowRun<::testing::TestWithParam<Weighed>> {};

INSTANTIATE_TEST_SUITE_P(BothWays, Route3DWeighs,
                         ::testing::Values(Weighed{{27, 20, 6, 500}, 1, "FAST_ISPD", false, false},
                                           Weighed{{21, 20, 4, 250}, 1, "REGULAR_ISPD", true, true}),
                         [](const ::testing::TestParamInfo<Weighed>& info) {
                             return std::string(info.param.mode) + "_seed" + std::to_string(info.param.design.seed);
                         });

TEST_P(Route3DWeighs, TheStageResultIsWrittenOnlyWhenBetter) {
    const Weighed w = GetParam();
    const GeneratedDesign& g = w.design;
    ASSERT_EQ(runCommand(tools + "/gen_ispd --seed " + std::to_string(g.seed) + " --grid " + std::to_string(g.grid) +
                         " " + std::to_string(g.grid) + " --layers " + std::to_string(g.layers) + " --nets " +
                         std::to_string(g.nets) + " --out " + dir + "/d.gr" +
                         (w.farCorners ? " --origin -100000000 -100000000 --tile 1000000 1000000" : ""))
                  .status,
              0);
    auto route = [&](const std::string& extra, const std::string& result) {
        writeTextFile(dir + "/d.set", settingsFor(w.algorithm, extra));
        CommandResult r = run(w.mode, result, "5");
        EXPECT_EQ(r.status, 0) << outputTail(r);
        expectCheckerAgrees(result);
        return r.out;
    };
    auto measured = [&](const std::string& result) {
        auto c = parseLabelValues(runCommand(tools + "/check_ispd " + dir + "/d.gr " + dir + "/" + result).out);
        return std::make_pair(c["total overflow"], c["wire edges"] + c["vias"]);
    };
    route("", "la.result");
    const std::string out = route(k3D, "d.result");
    EXPECT_EQ(countOf(out, "output routing result = d.result\n"), 1u);
    const size_t line = out.find("3D refinement keeps the result ");
    ASSERT_NE(line, std::string::npos) << outputTail({0, out, ""});
    char which[8] = {};
    long long keptOF = -1, keptLength = -1, otherOF = -1, otherLength = -1;
    ASSERT_EQ(sscanf(out.c_str() + line,
                     "3D refinement keeps the result %7s the 3D stage: total overflow %lld, wire length + vias %lld "
                     "(%*[^:]: total overflow %lld, wire length + vias %lld)",
                     which, &keptOF, &keptLength, &otherOF, &otherLength), 5);
    EXPECT_EQ(std::string(which), w.stageKept ? "of" : "without");
    // The figures are those the checker gives for the files.
    const auto written = measured("d.result"), withoutStage = measured("la.result");
    EXPECT_EQ(written, std::make_pair(keptOF, keptLength));
    EXPECT_EQ(withoutStage, w.stageKept ? std::make_pair(otherOF, otherLength) : written);
    const bool same = runCommand("cmp " + dir + "/d.result " + dir + "/la.result").status == 0 &&
                      runCommand("cmp " + dir + "/d.result.ofinfo " + dir + "/la.result.ofinfo").status == 0;
    EXPECT_EQ(same, !w.stageKept);
    if (w.stageKept) {
        EXPECT_LT(written, withoutStage);
        // Written by the 3D writer: "name id 0" headers, corners from the far origin.
        const std::string result = readWholeFile(dir + "/d.result");
        EXPECT_EQ(result.rfind("n0 0 0\n(-9", 0), 0u) << result.substr(0, 300);
    } else {
        EXPECT_GE(otherOF, keptOF);
    }
}

TEST_F(Route3DRuns, PitchOfOneHundredThousandStillRunsTheRounds) {
    // 4000 two-pin nets on 10 x 10 G-cells with one track per layer edge: the
    // wires alone overflow by more than 21,474 tracks, past the int range once
    // weighted by the pitch. The time limit 0 ends each stage after its first
    // reroute; the start of the 3D rounds does not depend on it.
    std::string gr = "grid 10 10 2\nvertical capacity 0 100000\nhorizontal capacity 100000 0\n"
                     "minimum width 50000 50000\nminimum spacing 50000 50000\nvia spacing 1 1\n0 0 10 10\n\n"
                     "num net 4000\n";
    for (int i = 0; i < 4000; ++i) {
        const int a = i * 7 % 10, b = i * 3 % 10, d = (i * 11 + 5) % 10;
        const int c = (i * 5 + 3) % 10 == a && d == b ? (a + 1) % 10 : (i * 5 + 3) % 10;
        gr += "n" + std::to_string(i) + " " + std::to_string(i) + " 2 1\n" + std::to_string(a * 10 + 5) + " " +
              std::to_string(b * 10 + 5) + " 1\n" + std::to_string(c * 10 + 5) + " " + std::to_string(d * 10 + 5) +
              " 1\n";
    }
    writeTextFile(dir + "/d.gr", gr + "\n0\n");
    writeTextFile(dir + "/d.set", "Via_Cost = 1\nMaze_Routing_Timeout = 0\nOutput_Routing_Result = Yes\n"
                                  "Output_Overflow_Information = Yes\n" + k3D);
    CommandResult r = run("FAST_ISPD", "d.result", "1");
    ASSERT_EQ(r.status, 0) << outputTail(r);
    const size_t round = r.out.find("Round=1 ", r.out.find("Start 3D Fast Routing"));
    ASSERT_NE(round, std::string::npos) << outputTail(r);
    EXPECT_GT(std::stoll(r.out.substr(r.out.find("totalOF=", round) + 8)), INT_MAX);
    long long kept = -1;
    ASSERT_EQ(sscanf(r.out.c_str() + r.out.find("3D refinement keeps round "),
                     "3D refinement keeps round %*d: total overflow %lld", &kept), 1);
    EXPECT_GT(kept, INT_MAX);
    // The written result's total overflow as the checker counts it, in 64 bits.
    long long written = -1;
    ASSERT_EQ(sscanf(r.out.c_str() + r.out.find("3D refinement keeps the result "),
                     "3D refinement keeps the result %*s the 3D stage: total overflow %lld", &written), 1);
    EXPECT_GT(written, INT_MAX);
    EXPECT_EQ(labelValue(runCommand(tools + "/check_ispd " + dir + "/d.gr " + dir + "/d.result").out, "total overflow"),
              written);
}
