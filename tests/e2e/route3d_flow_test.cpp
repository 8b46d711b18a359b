// End-to-end runs of REGULAR_ISPD with 3D refinement on generated benchmarks:
// the result written from the 3D paths passes our independent checker (every
// pin joined on its own layer, so every layer change carries its vias), and the
// checker's overflow and wire length equal the router's report.

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

size_t countOf(const std::string& text, const std::string& what) {
    size_t n = 0;
    for (size_t p = text.find(what); p != std::string::npos; p = text.find(what, p + 1)) ++n;
    return n;
}

struct Design {
    int seed, grid, layers, nets, algorithm;
};

class Route3DFlow : public ::testing::Test {
protected:
    std::string dir;
    void SetUp() override {
        char tmpl[] = "/tmp/tarvex_e2e3d_XXXXXX";
        ASSERT_NE(mkdtemp(tmpl), nullptr);
        dir = tmpl;
        ASSERT_EQ(runCommand("cp " + kTables + "/POWV9.dat " + kTables + "/POST9.dat " + dir).status, 0);
    }
    void TearDown() override {
        if (!HasFailure()) runCommand("rm -rf " + dir);
    }

    void generate(int seed, int grid, int layers, int nets) {
        CommandResult gen = runCommand(kTools + "/gen_ispd --seed " + std::to_string(seed) + " --grid " +
                                       std::to_string(grid) + " " + std::to_string(grid) + " --layers " +
                                       std::to_string(layers) + " --nets " + std::to_string(nets) + " --out " +
                                       dir + "/d.gr");
        ASSERT_EQ(gen.status, 0) << gen.err;
    }

    CommandResult route(int algorithm, const std::string& resultName, const std::string& extra = "") {
        writeTextFile(dir + "/d.set", "Via_Cost = 1\nMaze_Routing_Timeout = 600\nMaze_Routing_Iteration = 5\n"
                                      "Layer_Assignment_Algorithm = " + std::to_string(algorithm) +
                                      "\n3D_Optimization_Iteration = 1\nOutput_Routing_Result = Yes\n"
                                      "Output_Overflow_Information = Yes\n" + extra);
        return runCommand("cd " + dir + " && " + kBin + " REGULAR_ISPD d.gr d.set " + resultName);
    }

    void expectCheckerAgrees() {
        CommandResult check = runCommand(kTools + "/check_ispd " + dir + "/d.gr " + dir + "/d.result");
        ASSERT_EQ(check.status, 0) << check.out << check.err;
        auto c = parseLabelValues(check.out);
        std::string report = readWholeFile(dir + "/d.result.ofinfo");
        EXPECT_EQ(c["errors"], 0);
        EXPECT_EQ(c["total overflow"], reportValue(report, "Total overflow")) << report.substr(0, 300);
        EXPECT_EQ(c["max overflow"], reportValue(report, "Max overflow"));
        EXPECT_EQ(c["wire edges"], reportValue(report, "Wirelength"));
        EXPECT_EQ(c["vias"], reportValue(report, "Via count"));
        EXPECT_GT(c["vias"], 0);
    }
};

}  // namespace

class Route3DDesigns : public Route3DFlow, public ::testing::WithParamInterface<Design> {};

// Designs that layer assignment leaves with overflow, so that the 3D rounds run.
INSTANTIATE_TEST_SUITE_P(Congested, Route3DDesigns,
                         ::testing::Values(Design{21, 20, 4, 250, 1}, Design{25, 20, 6, 600, 3},
                                           Design{26, 24, 8, 900, 2}),
                         [](const ::testing::TestParamInfo<Design>& info) {
                             return "seed" + std::to_string(info.param.seed);
                         });

TEST_P(Route3DDesigns, ResultPassesTheCheckerAndMatchesTheReport) {
    {
        const Design d = GetParam();
        generate(d.seed, d.grid, d.layers, d.nets);
        CommandResult run = route(d.algorithm, "d.result");
        ASSERT_EQ(run.status, 0) << run.out.substr(run.out.size() > 3000 ? run.out.size() - 3000 : 0) << run.err;
        EXPECT_EQ(run.out.find("ERROR"), std::string::npos);
        expectCheckerAgrees();

        // The stage's console lines, in order; the second "Layer Assignment costs "
        // line closes the whole 3D stage.
        const size_t start = run.out.find("Start 3D GlobalRouting....");
        const size_t fast = run.out.find("===================Start 3D Fast Routing===================");
        const size_t cola =
            run.out.rfind("===================Start DP-based Layer Assignment with Negotiation Scheme===================");
        const size_t laCost = run.out.rfind("Layer Assignment costs ");
        const size_t result = run.out.find("output routing result = d.result");
        const size_t report = run.out.find("output overflow infomation file = d.result.ofinfo");
        const size_t output = run.out.find("Output File costs ");
        ASSERT_NE(start, std::string::npos);
        EXPECT_LT(start, fast);
        EXPECT_LT(fast, cola);
        EXPECT_LT(cola, laCost);
        EXPECT_LT(laCost, result);
        EXPECT_LT(result, report);
        EXPECT_LT(report, output);
        EXPECT_NE(output, std::string::npos);
        EXPECT_EQ(countOf(run.out, "Layer Assignment costs "), 2u);
        EXPECT_NE(run.out.find("totalOF="), std::string::npos);
        // At most 500 negotiation rounds, each with its line.
        const std::string rounds = run.out.substr(fast, cola - fast);
        EXPECT_LE(countOf(rounds, "Round="), 500u);
    }
}

TEST_F(Route3DFlow, AResultFileThatCannotBeOpenedEndsTheRunWithItsName) {
    generate(24, 12, 4, 60);
    CommandResult run = route(1, "no_such_dir/d.result");
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("no_such_dir/d.result"), std::string::npos) << run.err;
}
