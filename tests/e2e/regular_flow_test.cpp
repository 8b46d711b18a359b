// End-to-end runs of REGULAR_ISPD on generated benchmarks, checked by our
// independent result checker: every net connected, nothing missing, and the
// overflow and wire length it recomputes equal to what the run reported.

#include <gtest/gtest.h>

#include <string>

#include "tests/common/IspdFlowRun.h"

namespace {

class RegularFlow : public IspdFlowRun<::testing::TestWithParam<int>> {};
class RegularFlowOutputs : public IspdFlowRun<> {};

}  // namespace

TEST_P(RegularFlow, EveryAssignmentAlgorithmPassesTheChecker) {
    const GeneratedDesign designs[] = {{11, 24, 4, 300}, {12, 32, 6, 700}, {13, 40, 8, 1200}};
    for (const GeneratedDesign& d : designs) {
        SCOPED_TRACE("seed " + std::to_string(d.seed) + " algorithm " + std::to_string(GetParam()));
        prepare(d, settingsFor(GetParam()));
        CommandResult r = run("REGULAR_ISPD", "d.result");
        ASSERT_EQ(r.status, 0) << outputTail(r);
        EXPECT_NE(r.out.find("output routing result = d.result"), std::string::npos);
        EXPECT_NE(r.out.find("output overflow infomation file = d.result.ofinfo"), std::string::npos);
        EXPECT_NE(r.out.find("Output File costs "), std::string::npos);
        expectCheckerAgrees("d.result");
    }
}

INSTANTIATE_TEST_SUITE_P(Algorithms, RegularFlow, ::testing::Values(1, 2, 3));

TEST_F(RegularFlowOutputs, NothingWrittenWhenNotAsked) {
    prepare({3, 16, 4, 100}, "Via_Cost = 1\nMaze_Routing_Timeout = 60\n"
                             "Output_Routing_Result = No\nOutput_Overflow_Information = No\n");
    CommandResult r = run("REGULAR_ISPD", "out.txt");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(runCommand("test -e " + dir + "/out.txt || test -e " + dir + "/out.txt.ofinfo").status, 1);
    EXPECT_NE(r.out.find("Output File costs "), std::string::npos);
    // Twice from the flow and once from main.
    EXPECT_EQ(countOf(r.out, "CPU  Total Time: "), 3u);
}
