// End-to-end runs on generated Bookshelf sets: the run's result must pass our
// independent checker against the equivalent ISPD'08 benchmark that the
// generator writes (same grid, nets at the routed placement, blockage-reduced
// capacities as adjustments), agree with the run's own overflow report, and
// equal the result of routing that benchmark directly.

#include <gtest/gtest.h>

#include <regex>
#include <string>

#include "tests/common/RunCommand.h"

namespace {

const std::string kBin = TARVEX_BIN;
const std::string kTools = TARVEX_TOOLS_DIR;
const std::string kTables = std::string(TARVEX_BINARY_DIR) + "/run";

long long reportValue(const std::string& report, const std::string& label) {
    std::smatch m;
    if (!std::regex_search(report, m, std::regex(label + " = (-?[0-9]+)"))) return -1;
    return std::stoll(m[1]);
}

class BookshelfFlow : public ::testing::Test {
protected:
    std::string dir;
    void SetUp() override {
        char tmpl[] = "/tmp/tarvex_bookshelf_XXXXXX";
        ASSERT_NE(mkdtemp(tmpl), nullptr);
        dir = tmpl;
        ASSERT_EQ(runCommand("cp " + kTables + "/POWV9.dat " + kTables + "/POST9.dat " + dir).status, 0);
    }
    void TearDown() override {
        if (!HasFailure()) runCommand("rm -rf " + dir);
    }

    // Generates a set, routes it in `mode`, and checks the result.
    void routeAndCheck(const std::string& mode, const std::string& genArgs, int algorithm) {
        SCOPED_TRACE(mode + " " + genArgs);
        CommandResult gen = runCommand(kTools + "/gen_bookshelf --out " + dir + " --name d " + genArgs);
        ASSERT_EQ(gen.status, 0) << gen.err;
        writeTextFile(dir + "/d.set", "Via_Cost = 1\nMaze_Routing_Timeout = 600\nMaze_Routing_Iteration = 8\n"
                                      "Layer_Assignment_Algorithm = " + std::to_string(algorithm) +
                                      "\nOutput_Routing_Result = Yes\nOutput_Overflow_Information = Yes\n");
        CommandResult run = runCommand("cd " + dir + " && " + kBin + " " + mode + " d.aux d.user.pl d.set b.result");
        ASSERT_EQ(run.status, 0) << run.out.substr(run.out.size() > 3000 ? run.out.size() - 3000 : 0) << run.err;
        EXPECT_NE(run.out.find("read d.user.pl\n"), std::string::npos);
        EXPECT_EQ(run.out.find("ERROR"), std::string::npos);

        CommandResult check = runCommand(kTools + "/check_ispd " + dir + "/d.gr " + dir + "/b.result");
        ASSERT_EQ(check.status, 0) << check.out << check.err;
        auto c = parseLabelValues(check.out);
        std::string report = readWholeFile(dir + "/b.result.ofinfo");
        EXPECT_EQ(c["total overflow"], reportValue(report, "Total overflow")) << report.substr(0, 300);
        EXPECT_EQ(c["max overflow"], reportValue(report, "Max overflow"));
        EXPECT_EQ(c["wire edges"], reportValue(report, "Wirelength"));
        EXPECT_EQ(c["vias"], reportValue(report, "Via count"));
        EXPECT_GT(c["wire edges"], 0);

        // The same design read as the benchmark routes to the same result.
        const std::string ispdMode = mode + "_ISPD";
        CommandResult direct = runCommand("cd " + dir + " && " + kBin + " " + ispdMode + " d.gr d.set i.result");
        ASSERT_EQ(direct.status, 0) << direct.err;
        EXPECT_TRUE(readWholeFile(dir + "/i.result") == readWholeFile(dir + "/b.result"))
            << "the Bookshelf run and the run on the equivalent benchmark differ";
    }
};

}  // namespace

TEST_F(BookshelfFlow, RegularRoutesAFewCells) { routeAndCheck("REGULAR", "--seed 21 --cells 5 --layers 6", 1); }

TEST_F(BookshelfFlow, RegularRoutesSmallSets) {
    routeAndCheck("REGULAR", "--seed 22 --cells 900 --layers 7", 3);
    routeAndCheck("REGULAR", "--seed 23 --cells 2500 --layers 9 --origin -96 -48 --tile 40 60", 2);
}

TEST_F(BookshelfFlow, FastRoutesSmallSets) {
    routeAndCheck("FAST", "--seed 31 --cells 5 --layers 8", 1);
    routeAndCheck("FAST", "--seed 32 --cells 1500 --layers 6 --origin -96 -48", 3);
}
