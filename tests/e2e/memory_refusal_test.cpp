// Grids beyond the machine's memory are refused while the design is read, and
// an allocation that fails later ends the run with a message and status 1.

#include <gtest/gtest.h>

#include <string>

#include "database/MemoryBudget.h"
#include "tests/common/RunCommand.h"

namespace {

const std::string kBin = TARVEX_BIN;
const std::string kTables = std::string(TARVEX_BINARY_DIR) + "/run";

// A benchmark of an X by Y grid of L alternating layers with two small nets.
std::string design(int X, int Y, int L) {
    auto perLayer = [L](const char* label, int even, int odd) {
        std::string s = label;
        for (int l = 0; l < L; ++l) s += " " + std::to_string(l % 2 == 0 ? even : odd);
        return s + "\n";
    };
    return "grid " + std::to_string(X) + " " + std::to_string(Y) + " " + std::to_string(L) + "\n" +
           perLayer("vertical capacity", 0, 20) + perLayer("horizontal capacity", 20, 0) +
           perLayer("minimum width", 1, 1) + perLayer("minimum spacing", 1, 1) + perLayer("via spacing", 1, 1) +
           "0 0 10 10\n\nnum net 2\nn0 0 2 1\n5 5 1\n95 35 1\nn1 1 2 1\n15 25 1\n25 95 1\n\n0\n";
}

class MemoryLimits : public ::testing::Test {
protected:
    std::string dir;
    void SetUp() override {
        dir = scratchDir();
        ASSERT_EQ(runCommand("cp " + kTables + "/POWV9.dat " + kTables + "/POST9.dat " + dir).status, 0);
        writeTextFile(dir + "run.set", "Via_Cost = 1\nMaze_Routing_Timeout = 3600\nOutput_Routing_Result = Yes\n");
    }
    CommandResult route(const std::string& gr, const std::string& prefix = "") {
        return runCommand(prefix + "cd " + dir + " && " + kBin + " REGULAR_ISPD " + gr + " run.set out.result");
    }
};

TEST_F(MemoryLimits, GridBeyondTheMachineIsRefusedWhileReading) {
    // 16000 x 16000 x 8 passes the index-range check but needs about 97 GB.
    writeTextFile(dir + "huge.gr", design(16000, 16000, 8));
    CommandResult r = route("huge.gr");
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("huge.gr:1: the grid of 16000 x 16000 G-cells on 8 layers needs about 97.3 GB"),
              std::string::npos)
        << r.err;
    EXPECT_EQ(r.err.find('\n'), r.err.size() - 1) << "one line: " << r.err;
    EXPECT_EQ(r.out.find("Input File costs"), std::string::npos);  // nothing built
}

TEST_F(MemoryLimits, FailedAllocationEndsWithStatusOne) {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the address sanitizer needs more address space than the limit leaves";
#else
    // The grid fits the machine, but not the 400 MB of address space allowed here.
    writeTextFile(dir + "big.gr", design(3000, 3000, 2));
    CommandResult r = route("big.gr", "ulimit -v 400000 && ");
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("ERROR: out of memory"), std::string::npos) << r.err;
#endif
}


TEST_F(MemoryLimits, BookshelfGridBeyondTheMachineIsRefusedWhileReading) {
    ASSERT_EQ(runCommand(std::string(TARVEX_TOOLS_DIR) + "/gen_bookshelf --cells 20 --seed 2 --layers 8 --name d --out " +
                         dir)
                  .status,
              0);
    // The same set with a routing grid of 16000 x 16000 G-cells.
    ASSERT_EQ(runCommand("cd " + dir + " && sed -i 's/^Grid .*/Grid : 16000 16000 8/' d.route").status, 0);
    CommandResult r =
        runCommand("cd " + dir + " && " + kBin + " REGULAR d.aux d.pl run.set out.result");
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("the grid of 16000 x 16000 G-cells on 8 layers needs about"), std::string::npos) << r.err;
    EXPECT_EQ(r.out.find("Input File costs"), std::string::npos);
}

TEST_F(MemoryLimits, PlacementModesDoNotCountThe3DStage) {
    // 1000 x 1500 G-cells on 100 layers: about 3 GB without the 3D stage, 33 GB with it.
    const long long have = machineMemoryBytes();
    if (have == 0 || estimateGridBytes(1000, 1500, 100, true) <= have)
        GTEST_SKIP() << "the grid fits this machine even with the 3D stage";
    ASSERT_EQ(runCommand(std::string(TARVEX_TOOLS_DIR) + "/gen_bookshelf --cells 20 --seed 2 --layers 8 --name d --out " +
                         dir)
                  .status,
              0);
    // The grid line set to 1000 x 1500 x 100, each per-layer list of d.route repeated to 100 layers.
    ASSERT_EQ(runCommand("cd " + dir + " && awk '/^Grid /{$0 = \"Grid : 1000 1500 100\"} /^(Vertical|Horizontal)Capacity|^Min|^ViaSp/{"
                         "s = $1 \" :\"; for (i = 0; i < 100; ++i) s = s \" \" $(3 + i % 8); $0 = s} 1' d.route >r && "
                         "mv r d.route")
                  .status,
              0);
    writeTextFile(dir + "run.set", readWholeFile(dir + "run.set") + "3D_Optimization_Iteration = 1\n");
    CommandResult r = runCommand("cd " + dir + " && " + kBin + " LEGAL d.aux d.pl run.set out.pl");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err.find("needs about"), std::string::npos) << r.err;
}

}  // namespace
