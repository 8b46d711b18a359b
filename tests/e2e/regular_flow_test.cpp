// End-to-end runs of REGULAR_ISPD on generated benchmarks, checked by our
// independent result checker: every net connected, nothing missing, and the
// overflow and wire length it recomputes equal to what the run reported.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

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

// A result cut short, by a kill (the file size limit's signal) or by a failed
// write (that signal ignored), never stands under the result's name: an
// earlier result stays whole, and a failed write leaves no temporary file.
TEST_F(RegularFlowOutputs, AnInterruptedWriteLeavesNothingUnderTheFinalName) {
    prepare({3, 16, 4, 100}, settingsFor(1));
    const std::string limited = "cd " + dir + " && ulimit -f 2 && exec " + bin + " REGULAR_ISPD d.gr d.set ";
    CommandResult failed = runCommand("trap '' XFSZ && " + limited + "d.result >/dev/null");
    EXPECT_EQ(failed.status, 1);
    EXPECT_NE(failed.err.find("d.result: cannot be written: File too large"), std::string::npos) << failed.err;
    EXPECT_EQ(runCommand("cd " + dir + " && ls").out, "POST9.dat\nPOWV9.dat\nd.gr\nd.set\n");

    CommandResult killed = runCommand(limited + "d.result >/dev/null");
    EXPECT_NE(killed.status, 0);
    EXPECT_EQ(runCommand("test -e " + dir + "/d.result").status, 1);
    writeTextFile(dir + "/d.result", "an earlier result\n");
    killed = runCommand(limited + "d.result >/dev/null");
    EXPECT_NE(killed.status, 0);
    EXPECT_EQ(readWholeFile(dir + "/d.result"), "an earlier result\n");

    // Unlimited, the same run writes the whole result.
    ASSERT_EQ(run("REGULAR_ISPD", "d.result").status, 0);
    expectCheckerAgrees("d.result");
}

// The result and its report appear together or not at all: a report that cannot
// be written leaves the earlier result and report as they were, with no
// temporary file beside them. A name with no room for a longer temporary name,
// and an existing output's permission bits, do not stop a run.
TEST_F(RegularFlowOutputs, ResultAndReportAreCommittedTogether) {
    prepare({3, 16, 4, 100}, settingsFor(1));
    writeTextFile(dir + "/d.result", "an earlier result\n");
    ASSERT_EQ(symlink("/dev/full", (dir + "/d.result.ofinfo").c_str()), 0);
    CommandResult full = run("REGULAR_ISPD", "d.result");
    EXPECT_EQ(full.status, 1);
    EXPECT_NE(full.err.find("d.result.ofinfo: cannot be written: No space left on device"), std::string::npos)
        << full.err;
    EXPECT_EQ(readWholeFile(dir + "/d.result"), "an earlier result\n");
    EXPECT_EQ(runCommand("cd " + dir + " && ls").out, "POST9.dat\nPOWV9.dat\nd.gr\nd.result\nd.result.ofinfo\nd.set\n");

    const std::string longName(255 - std::string(".ofinfo").size(), 'r');
    ASSERT_EQ(run("REGULAR_ISPD", longName).status, 0);
    expectCheckerAgrees(longName);

    ASSERT_EQ(chmod((dir + "/" + longName).c_str(), 0640), 0);
    ASSERT_EQ(run("REGULAR_ISPD", longName).status, 0);
    struct stat kept;
    ASSERT_EQ(stat((dir + "/" + longName).c_str(), &kept), 0);
    EXPECT_EQ(kept.st_mode & 0777, 0640u);

    // A sticky shared folder: another user's writable result cannot be renamed
    // over, so it is written in place (run as "nobody" where root can switch).
    const std::string asNobody = "runuser -u nobody -- ";
    ASSERT_EQ(unlink((dir + "/d.result.ofinfo").c_str()), 0);
    writeTextFile(dir + "/d.result", "an earlier result\n");
    runCommand("chmod 1777 " + dir + " && chmod a+r " + dir + "/* && chmod 666 " + dir + "/d.result");
    if (geteuid() != 0 || runCommand(asNobody + "test -x " + bin + " -a -r " + dir + "/d.gr").status != 0)
        GTEST_SKIP() << "needs root, runuser and a binary that the user nobody can run";
    CommandResult shared = runCommand("cd " + dir + " && " + asNobody + bin + " REGULAR_ISPD d.gr d.set d.result");
    ASSERT_EQ(shared.status, 0) << outputTail(shared);
    expectCheckerAgrees("d.result");
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
