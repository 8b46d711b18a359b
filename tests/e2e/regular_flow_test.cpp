// End-to-end runs of REGULAR_ISPD on generated benchmarks, checked by our
// independent result checker: every net connected, nothing missing, and the
// overflow and wire length it recomputes equal to what the run reported.

#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "tests/common/ConsoleLines.h"
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

TEST_F(RegularFlowOutputs, MazeIterationSettingOfZeroRunsNoMazeRoundAndANegativeOneSetsNoLimit) {
    // Tracks enough for every net: without a limit the maze stage runs the one
    // round that finds no overflow.
    CommandResult gen = runCommand(tools + "/gen_ispd --seed 3 --grid 16 16 --layers 4 --nets 100 --tracks 50 --out " +
                                   dir + "/d.gr");
    ASSERT_EQ(gen.status, 0) << gen.err;
    for (const auto& [value, rounds] : {std::pair<int, size_t>{0, 0}, {-2, 1}}) {
        writeTextFile(dir + "/d.set", "Via_Cost = 1\nMaze_Routing_Timeout = 60\nOutput_Routing_Result = No\n"
                                      "Maze_Routing_Iteration = " + std::to_string(value) + "\n");
        CommandResult r = run("REGULAR_ISPD", "d.result");
        ASSERT_EQ(r.status, 0) << outputTail(r);
        const auto maze =
            linesBetween(r.out, "===================Start Maze Routing===================", "Maze Routing costs ");
        EXPECT_EQ(maze.size(), rounds) << value << "\n" << r.out;
        EXPECT_NE(r.out.find("===================Start Post Routing==================="), std::string::npos);
    }
}
