// End-to-end runs of REGULAR_ISPD on generated benchmarks, checked by our
// independent result checker: every net connected, nothing missing, and the
// overflow and wire length it recomputes equal to what the run reported.

#include <gtest/gtest.h>

#include <map>
#include <regex>
#include <string>

#include "tests/common/RunCommand.h"

namespace {

const std::string kBin = TARVEX_BIN;
const std::string kTools = TARVEX_TOOLS_DIR;
const std::string kTables = std::string(TARVEX_BINARY_DIR) + "/run";

struct Design {
    int seed;
    int grid;
    int layers;
    int nets;
};

long long reportValue(const std::string& report, const std::string& label) {
    std::smatch m;
    std::regex re(label + " = (-?[0-9]+)");
    if (!std::regex_search(report, m, re)) return -1;
    return std::stoll(m[1]);
}

class RegularFlow : public ::testing::TestWithParam<int> {
protected:
    std::string dir;
    void SetUp() override {
        char tmpl[] = "/tmp/tarvex_e2e_XXXXXX";
        ASSERT_NE(mkdtemp(tmpl), nullptr);
        dir = tmpl;
        ASSERT_EQ(runCommand("cp " + kTables + "/POWV9.dat " + kTables + "/POST9.dat " + dir).status, 0)
            << "the FLUTE tables are missing from " << kTables;
    }
    void TearDown() override {
        if (!HasFailure()) runCommand("rm -rf " + dir);
    }

    void routeAndCheck(const Design& d, int algorithm, const std::string& extraSettings = "") {
        SCOPED_TRACE("seed " + std::to_string(d.seed) + " algorithm " + std::to_string(algorithm));
        std::string gr = dir + "/d.gr", set = dir + "/d.set", result = dir + "/d.result";
        CommandResult gen = runCommand(kTools + "/gen_ispd --seed " + std::to_string(d.seed) + " --grid " +
                                       std::to_string(d.grid) + " " + std::to_string(d.grid) + " --layers " +
                                       std::to_string(d.layers) + " --nets " + std::to_string(d.nets) +
                                       " --out " + gr);
        ASSERT_EQ(gen.status, 0) << gen.err;
        writeTextFile(set, "Via_Cost = 1\nMaze_Routing_Timeout = 600\nMaze_Routing_Iteration = 10\n"
                           "Layer_Assignment_Algorithm = " + std::to_string(algorithm) +
                           "\nOutput_Routing_Result = Yes\nOutput_Overflow_Information = Yes\n" + extraSettings);
        CommandResult run = runCommand("cd " + dir + " && " + kBin + " REGULAR_ISPD d.gr d.set d.result");
        ASSERT_EQ(run.status, 0) << run.out.substr(run.out.size() > 3000 ? run.out.size() - 3000 : 0) << run.err;
        EXPECT_NE(run.out.find("output routing result = d.result"), std::string::npos);
        EXPECT_NE(run.out.find("output overflow infomation file = d.result.ofinfo"), std::string::npos);
        EXPECT_NE(run.out.find("Output File costs "), std::string::npos);

        CommandResult check = runCommand(kTools + "/check_ispd " + gr + " " + result);
        ASSERT_EQ(check.status, 0) << check.out << check.err;
        auto c = parseLabelValues(check.out);
        std::string report = readWholeFile(result + ".ofinfo");
        EXPECT_EQ(c["total overflow"], reportValue(report, "Total overflow")) << report.substr(0, 300);
        EXPECT_EQ(c["max overflow"], reportValue(report, "Max overflow"));
        EXPECT_EQ(c["wire edges"], reportValue(report, "Wirelength"));
        EXPECT_EQ(c["vias"], reportValue(report, "Via count"));
    }
};

}  // namespace

TEST_P(RegularFlow, EveryAssignmentAlgorithmPassesTheChecker) {
    const Design designs[] = {{11, 24, 4, 300}, {12, 32, 6, 700}, {13, 40, 8, 1200}};
    for (const Design& d : designs) routeAndCheck(d, GetParam());
}

INSTANTIATE_TEST_SUITE_P(Algorithms, RegularFlow, ::testing::Values(1, 2, 3));

TEST(RegularFlowOutputs, NothingWrittenWhenNotAsked) {
    char tmpl[] = "/tmp/tarvex_e2e_XXXXXX";
    ASSERT_NE(mkdtemp(tmpl), nullptr);
    std::string dir = tmpl;
    runCommand("cp " + kTables + "/POWV9.dat " + kTables + "/POST9.dat " + dir);
    ASSERT_EQ(runCommand(kTools + "/gen_ispd --seed 3 --grid 16 16 --layers 4 --nets 100 --out " + dir + "/d.gr")
                  .status,
              0);
    writeTextFile(dir + "/d.set", "Via_Cost = 1\nMaze_Routing_Timeout = 60\n"
                                  "Output_Routing_Result = No\nOutput_Overflow_Information = No\n");
    CommandResult run = runCommand("cd " + dir + " && " + kBin + " REGULAR_ISPD d.gr d.set out.txt");
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(runCommand("test -e " + dir + "/out.txt || test -e " + dir + "/out.txt.ofinfo").status, 1);
    EXPECT_NE(run.out.find("Output File costs "), std::string::npos);
    // Twice from the flow and once from main.
    size_t count = 0;
    for (size_t p = run.out.find("CPU  Total Time: "); p != std::string::npos; p = run.out.find("CPU  Total Time: ", p + 1))
        ++count;
    EXPECT_EQ(count, 3u);
    runCommand("rm -rf " + dir);
}
