// End-to-end runs of FAST_ISPD on generated benchmarks: the result passes our
// independent checker and agrees with the run's report for every layer
// assignment algorithm, the console follows the flow, the iteration operand
// bounds the fast rounds, and a run repeats itself byte for byte.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/common/ConsoleLines.h"
#include "tests/common/IspdFlowRun.h"

namespace {

class FastFlow : public IspdFlowRun<::testing::TestWithParam<int>> {};
class FastFlowRuns : public IspdFlowRun<> {};

// Every line occurs in `out`, each after the one before.
void expectInOrder(const std::string& out, const std::vector<std::string>& lines) {
    size_t at = 0;
    for (const std::string& l : lines) {
        const size_t p = out.find(l, at);
        ASSERT_NE(p, std::string::npos) << "missing or out of order: " << l;
        at = p + l.size();
    }
}

}  // namespace

TEST_P(FastFlow, EveryAssignmentAlgorithmPassesTheChecker) {
    routeDesignsAndCheck("FAST_ISPD", GetParam(), "12", [](const CommandResult& r) {
        expectInOrder(r.out, {"Input File costs ", "===================Start Pattern Routing===================\n",
                              "Pattern Routing costs ", "===================Start Monotonic Routing===================\n",
                              "Monotonic Routing costs ", "===================Start Fast Routing===================\n",
                              "CPU: ripupPath cost time : ", "CPU: humKernel cost time : ", "CPU  Total Time: ",
                              "Layer Assignment costs ", "CPU  Total Time: ", "output routing result = d.result\n",
                              "output overflow infomation file = d.result.ofinfo\n", "CPU  Total Time: "});
        EXPECT_EQ(r.out.find("Net Decomposition"), std::string::npos);
        EXPECT_EQ(r.out.find("Start 2D GlobalRouting"), std::string::npos);
        EXPECT_EQ(r.out.find("Output File costs "), std::string::npos);
        const auto rounds = linesBetween(r.out, "===================Start Fast Routing", "CPU: ripupPath");
        EXPECT_LE(rounds.size(), 12u);
        for (size_t i = 0; i < rounds.size(); ++i) {
            const std::string& l = rounds[i];
            EXPECT_EQ(l.rfind("Round=" + std::to_string(i + 1) + "  time=", 0), 0u) << l;
            for (const char* f : {"  totalOF=", "  vtof=", "  vmof=", "  Wlen2D=", "  num_route_net=", "  num_trace_net="})
                EXPECT_NE(l.find(f), std::string::npos) << l;
        }
    });
}

INSTANTIATE_TEST_SUITE_P(Algorithms, FastFlow, ::testing::Values(1, 2, 3));

TEST_F(FastFlowRuns, SameInputTwiceGivesTheSameFiles) {
    prepare({21, 40, 6, 1500}, settingsFor(3));
    CommandResult a = run("FAST_ISPD", "a.result", "25");
    CommandResult b = run("FAST_ISPD", "b.result", "25");
    ASSERT_EQ(a.status, 0) << outputTail(a);
    ASSERT_EQ(b.status, 0) << outputTail(b);
    // The run reroutes beyond the first rounds, where the maze lottery draws.
    EXPECT_GE(linesBetween(a.out, "===================Start Fast Routing", "CPU: ripupPath").size(), 3u);
    EXPECT_EQ(runCommand("cmp " + dir + "/a.result " + dir + "/b.result").status, 0);
    EXPECT_EQ(runCommand("cmp " + dir + "/a.result.ofinfo " + dir + "/b.result.ofinfo").status, 0);
    expectCheckerAgrees("a.result");
}

TEST_F(FastFlowRuns, IterationOperandZeroRunsNoFastRound) {
    prepare({12, 32, 6, 700}, settingsFor(1));
    CommandResult r = run("FAST_ISPD", "d.result", "0");
    ASSERT_EQ(r.status, 0) << outputTail(r);
    EXPECT_TRUE(linesBetween(r.out, "===================Start Fast Routing", "CPU: ripupPath").empty());
    expectCheckerAgrees("d.result");
}

TEST_F(FastFlowRuns, NothingWrittenWhenNotAsked) {
    CommandResult r = runWithoutOutputFiles("FAST_ISPD");
    EXPECT_EQ(r.out.find("output "), std::string::npos);
}
