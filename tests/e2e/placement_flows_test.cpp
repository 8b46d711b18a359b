// End-to-end LEGAL and TWOPIN runs on generated Bookshelf sets (macros, some
// L-shaped, fixed cells, NI terminals), checked by our independent checkers:
// every legalized .pl passes place_check with no violation, and every two-pin
// dump passes twopin_check.

#include <gtest/gtest.h>

#include <regex>
#include <string>

#include "tests/common/RunFolder.h"

namespace {

struct Case {
    int seed;
    int cells;
    int tileW;          // narrower tiles make a denser die
    const char* placement;  // which generated .pl to legalize
    double minDensity;  // the run's own "DesignDen" must reach this
};

class PlacementFlows : public RunFolder<::testing::TestWithParam<Case>> {
protected:
    void SetUp() override {
        RunFolder::SetUp();
        writeTextFile(dir + "/p.set",
                      "Via_Cost = 1\nMaze_Routing_Timeout = 60\nPin_Blockage_Factor = 0.5\nBlockage_Expanding = 1\n");
    }
    void generate(const Case& c) {
        CommandResult g = runCommand(tools + "/gen_bookshelf --cells " + std::to_string(c.cells) + " --seed " +
                                     std::to_string(c.seed) + " --tile " + std::to_string(c.tileW) + " 48 --out " + dir);
        ASSERT_EQ(g.status, 0) << g.err;
    }
};

TEST_P(PlacementFlows, LegalOutputPassesThePlacementChecker) {
    const Case c = GetParam();
    ASSERT_NO_FATAL_FAILURE(generate(c));
    CommandResult run = runHere("LEGAL design.aux " + std::string(c.placement) + " p.set out.pl");
    ASSERT_EQ(run.status, 0) << run.out << run.err;
    EXPECT_NE(run.out.find("block_expanding=1\n"), std::string::npos);
    EXPECT_NE(run.out.find("output placment result = out.pl"), std::string::npos);
    std::smatch m;
    ASSERT_TRUE(std::regex_search(run.out, m, std::regex("DesignDen=([0-9.]+)")));
    EXPECT_GE(std::stod(m[1]), c.minDensity);
    ASSERT_TRUE(std::regex_search(run.out, m, std::regex("moveCellNum=([0-9]+)  unPlaceNum=0  maxMove=([0-9]+)")));
    EXPECT_EQ(std::stoi(m[1]), c.cells);
    const long long maxMove = std::stoll(m[2]);

    const std::string out = dir + "/out.pl";
    const std::string text = readWholeFile(out);
    EXPECT_EQ(text.rfind("UCLA pl 1.0\n#Tool : Velmor\no0 ", 0), 0u);
    EXPECT_NE(text.find(" : N /FIXED_NI\n"), std::string::npos);

    CommandResult chk = runCommand(tools + "/place_check " + dir + "/design.aux " + out + " " + dir + "/" + c.placement);
    EXPECT_EQ(chk.status, 0) << chk.out << chk.err;
    EXPECT_EQ(labelValue(chk.out, "violations"), 0);
    EXPECT_EQ(labelValue(chk.out, "movable cells"), c.cells);
    EXPECT_EQ(labelValue(chk.out, "max displacement"), maxMove);
}

TEST_P(PlacementFlows, TwoPinDumpJoinsEveryPin) {
    const Case c = GetParam();
    ASSERT_NO_FATAL_FAILURE(generate(c));
    CommandResult run = runHere("TWOPIN design.aux " + std::string(c.placement) + " p.set dump");
    ASSERT_EQ(run.status, 0) << run.out << run.err;
    EXPECT_NE(run.out.find("start to decompose nets\n"), std::string::npos);
    std::smatch m;
    ASSERT_TRUE(std::regex_search(run.out, m, std::regex("totalMST=([0-9]+)")));
    CommandResult chk = runCommand(tools + "/twopin_check " + dir + "/dump");
    EXPECT_EQ(chk.status, 0) << chk.out << chk.err;
    EXPECT_EQ(labelValue(chk.out, "bad nets"), 0);
    EXPECT_GT(labelValue(chk.out, "nets"), 0);
    // The spanning trees are the ones whose length the run reported.
    EXPECT_EQ(labelValue(chk.out, "tree length"), std::stoll(m[1]));
}

INSTANTIATE_TEST_SUITE_P(Generated, PlacementFlows,
                         ::testing::Values(Case{11, 3000, 48, "design.user.pl", 0.5},
                                           Case{12, 6000, 42, "design.pl", 0.8},
                                           Case{13, 8000, 39, "design.user.pl", 0.9}),
                         [](const ::testing::TestParamInfo<Case>& i) {
                             return "seed" + std::to_string(i.param.seed);
                         });

}  // namespace
