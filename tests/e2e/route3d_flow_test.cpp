// End-to-end runs of REGULAR_ISPD and FAST_ISPD with 3D refinement on generated
// benchmarks: the result written from the 3D paths passes our independent
// checker (every pin joined on its own layer, so every layer change carries its
// vias), and the checker's overflow and wire length equal the router's report.

#include <gtest/gtest.h>

#include <ostream>
#include <string>

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
