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
    routeDesignsAndCheck("REGULAR_ISPD", GetParam(), "", [](const CommandResult& r) {
        EXPECT_NE(r.out.find("output routing result = d.result"), std::string::npos);
        EXPECT_NE(r.out.find("output overflow infomation file = d.result.ofinfo"), std::string::npos);
        EXPECT_NE(r.out.find("Output File costs "), std::string::npos);
    });
}

INSTANTIATE_TEST_SUITE_P(Algorithms, RegularFlow, ::testing::Values(1, 2, 3));

TEST_F(RegularFlowOutputs, NothingWrittenWhenNotAsked) {
    CommandResult r = runWithoutOutputFiles("REGULAR_ISPD");
    EXPECT_NE(r.out.find("Output File costs "), std::string::npos);
}
