// The check of a run's output files before any work: outputs that reach one
// file are refused, and the check creates nothing in the outputs' folder.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "app/OutputFiles.h"
#include "tests/common/RunFolder.h"
#include "tests/common/SmallBookshelfSet.h"

class OutputLinks : public RunFolder<> {};

// A link from one output to another, to a file there or not yet made.
TEST_F(OutputLinks, OutputsThatReachOneFileAreRefusedBeforeAnyWork) {
    writeSmallBookshelfSet(dir + "/");
    writeTextFile(dir + "/d.set", "Via_Cost = 1\nMaze_Routing_Timeout = 60\nOutput_Overflow_Information = Yes\n");
    ASSERT_EQ(symlink("res.ofinfo", (dir + "/res").c_str()) | symlink("cv.def", (dir + "/cv.lef").c_str()), 0);
    const std::pair<std::string, std::string> runs[] = {
        {"REGULAR_ISPD s.aux d.set res", "res: this output would overwrite the output file res.ofinfo\n"},
        {"CONVERT s.aux s.pl cv", "cv.lef: this output would overwrite the output file cv.def\n"},
        {"REGULAR_ISPD s.aux d.set res", "res: this output would overwrite the output file res.ofinfo\n"}};
    for (const auto& [operands, message] : runs) {
        const std::string listing = runCommand("ls " + dir + "; cat " + dir + "/res").out;
        const CommandResult r = runHere(operands);
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(r.err, message);
        EXPECT_EQ(runCommand("ls " + dir + "; cat " + dir + "/res").out, listing);
        writeTextFile(dir + "/res.ofinfo", "old\n");
    }
}

// Whether the check passes or refuses an output (with the reasons a creation
// would give), the folder is left as it was.
TEST(OutputCheck, CreatesNothingInTheOutputsFolder) {
    TempFolder folder("tarvex_check_");
    const std::string dir = folder.path() + "/";
    const struct timespec old[2] = {{1000, 0}, {1000, 0}};
    ASSERT_EQ(symlink("missing/file", (dir + "dangling").c_str()) | utimensat(AT_FDCWD, dir.c_str(), old, 0), 0);
    checkOutputFiles({dir + "new.result", dir + "new.result.ofinfo"}, {});
    EXPECT_EXIT(checkOutputFiles({dir + "new", dir + "dangling"}, {}), testing::ExitedWithCode(1),
                "^" + dir + "dangling: cannot be created: File exists\n$");
    EXPECT_EXIT(checkOutputFiles({dir + "new", dir + std::string(256, 'n')}, {}), testing::ExitedWithCode(1),
                "n: cannot be created: File name too long");
    struct stat st;
    ASSERT_EQ(stat(dir.c_str(), &st), 0);
    EXPECT_EQ(st.st_mtime, 1000);
}
