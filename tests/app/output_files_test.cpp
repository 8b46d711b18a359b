// The check of a run's output files before any work: outputs that reach one
// file are refused, and the check creates nothing in the outputs' folders.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include "app/OutputFiles.h"
#include "tests/common/RunFolder.h"
#include "tests/common/SmallBookshelfSet.h"

namespace {

class OutputLinks : public RunFolder<> {};

}  // namespace

// A link from one output to another, to a file there or not yet made.
TEST_F(OutputLinks, OutputsThatReachOneFileAreRefusedBeforeAnyWork) {
    writeSmallBookshelfSet(dir + "/");
    writeTextFile(dir + "/d.gr", "not read\n");
    writeTextFile(dir + "/d.set", "Via_Cost = 1\nMaze_Routing_Timeout = 60\nOutput_Routing_Result = Yes\n"
                                  "Output_Overflow_Information = Yes\n");
    ASSERT_EQ(symlink("res.ofinfo", (dir + "/res").c_str()), 0);
    ASSERT_EQ(symlink("cv.def", (dir + "/cv.lef").c_str()), 0);
    for (int made = 0; made < 2; ++made) {
        const std::string listing = runCommand("ls " + dir).out;
        const CommandResult r = runHere("REGULAR_ISPD d.gr d.set res");
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(r.err, "res: this output would overwrite the output file res.ofinfo\n");
        EXPECT_EQ(runCommand("ls " + dir).out, listing);
        writeTextFile(dir + "/res.ofinfo", "old\n");
    }
    EXPECT_EQ(readWholeFile(dir + "/res.ofinfo"), "old\n");
    const CommandResult r = runHere("CONVERT s.aux s.pl cv");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "cv.lef: this output would overwrite the output file cv.def\n");
    EXPECT_EQ(runCommand("cd " + dir + " && ls cv.*").out, "cv.lef\n");
}

// The folder is left as it was, whether the check passes or refuses an output
// (with the reasons a creation would give).
TEST(OutputCheck, CreatesNothingInTheOutputsFolder) {
    TempFolder folder("tarvex_check_");
    const std::string dir = folder.path() + "/";
    ASSERT_EQ(symlink("missing/file", (dir + "dangling").c_str()), 0);
    const struct timespec old[2] = {{1000, 0}, {1000, 0}};
    ASSERT_EQ(utimensat(AT_FDCWD, folder.path().c_str(), old, 0), 0);
    checkOutputFiles({dir + "new.result", dir + "new.result.ofinfo"}, {});
    EXPECT_EXIT(checkOutputFiles({dir + "new", dir + "no/new"}, {}), testing::ExitedWithCode(1),
                "^" + dir + "no/new: cannot be created: No such file or directory\n$");
    EXPECT_EXIT(checkOutputFiles({dir + "new", dir + "dangling"}, {}), testing::ExitedWithCode(1),
                "dangling: cannot be created: File exists");
    EXPECT_EXIT(checkOutputFiles({dir + "new", dir + std::string(256, 'n')}, {}), testing::ExitedWithCode(1),
                "n: cannot be created: File name too long");
    struct stat st;
    ASSERT_EQ(stat(folder.path().c_str(), &st), 0);
    EXPECT_EQ(st.st_mtime, 1000);
}
