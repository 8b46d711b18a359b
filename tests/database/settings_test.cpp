#include <gtest/gtest.h>

#include "tests/common/RunCommand.h"

#include <unistd.h>

#include <climits>
#include <cstdio>
#include <fstream>
#include <string>

#include "database/NetDB.h"
#include "database/Settings.h"

namespace {

std::string writeSet(const std::string& name, const std::string& text) {
    std::string path = scratchPath(name);
    std::ofstream(path) << text;
    return path;
}

parameterSet readSet(const std::string& text) {
    NetDB db;
    parameterSet s;
    setDefaultParameter(db, s, false);
    std::string path = writeSet("settings_ok.set", text);
    Input_Setting(path.c_str(), db, s);
    return s;
}

// Reading must end the process with status 1 and print `message` (regex). The
// reader's messages go to standard output, so the child sends it to stderr,
// where the death test looks.
void expectRejected(const std::string& text, const std::string& message) {
    std::string path = writeSet("settings_bad.set", text);
    EXPECT_EXIT(
        {
            dup2(2, 1);
            NetDB db;
            parameterSet s;
            setDefaultParameter(db, s, false);
            Input_Setting(path.c_str(), db, s);
        },
        ::testing::ExitedWithCode(1), message);
}

}  // namespace

TEST(Settings, DefaultsAndEmptyFile) {
    parameterSet s = readSet("# only a comment\n\n");
    EXPECT_EQ(s.maxPinsPerNet, INT_MAX);
    EXPECT_EQ(s.Layer_Assignment_Algorithm, 1);
    EXPECT_TRUE(s.Output_Routing_Result);
    EXPECT_FALSE(s.Output_Overflow_Information);
    EXPECT_EQ(s.Pattern_Routing_Iteration, 2);
    EXPECT_EQ(s.Monotonic_Routing_Iteration, 3);
    EXPECT_EQ(s.Maze_Routing_Iteration, INT_MAX);
    EXPECT_EQ(s.Post_Routing_Iteration, 2);
    EXPECT_EQ(s.Wirelength_Optimization_Level, 200);
    EXPECT_EQ(s.boxGrowthOffset, 9);
    EXPECT_DOUBLE_EQ(s.boxGrowthScale, 2.0);
    EXPECT_DOUBLE_EQ(s.Avoiding_Blockage_Factor, 1.0);
    EXPECT_FALSE(s.viaCostGiven);
    EXPECT_FALSE(s.mazeTimeoutGiven);
}

TEST(Settings, ValuesStoredAsTheReaderDefinesAndEchoed) {
    testing::internal::CaptureStdout();
    parameterSet s = readSet(
        "#" + std::string(5000, 'x') + " Via_Cost = 0\n"  // a long comment line is skipped whole
        "Via_Cost = 3 # trailing comment Via_Cost = 99\n"
        "Maze_Routing_Iteration = -1\n"
        "Maze_Routing_Timeout : -7\n"
        "Wirelength_Optimization_Level = 2000\n"
        "Monotonic_Routing_Iteration = 0\nPost_Routing_Iteration = 0\n"
        "3D_Optimization_Iteration = 0\nPlacement_Iteration = 0\nRounds_Per_Iteration = 0\n"
        "Pin_Blockage_Factor = 0.5\nAvoiding_Blockage_Factor = 1.0\n"
        "Output_Routing_Result = Yes\nOutput_Routing_Result = no Output_Overflow_Information = Yes\n"
        "Layer_Assignment_Algorithm = 2\nLayer_Assignment_Algorithm = 3\n");
    std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(s.Via_Cost, 3);
    EXPECT_TRUE(s.viaCostGiven);
    EXPECT_EQ(s.Maze_Routing_Iteration, INT_MAX);
    EXPECT_EQ(s.Maze_Routing_Timeout, INT_MAX);
    EXPECT_TRUE(s.mazeTimeoutGiven);
    EXPECT_EQ(s.Wirelength_Optimization_Level, 20000);
    EXPECT_EQ(s.Monotonic_Routing_Iteration, 0);
    EXPECT_FALSE(s.Output_Routing_Result);  // last value wins
    EXPECT_TRUE(s.Output_Overflow_Information);
    EXPECT_EQ(s.Layer_Assignment_Algorithm, 3);  // last value wins
    EXPECT_EQ(out.find("read "), 0u);
    EXPECT_NE(out.find("set Maze_Routing_Iteration = -1\n"), std::string::npos);
    EXPECT_NE(out.find("set Pin_Blockage_Factor = 0.500\n"), std::string::npos);
    EXPECT_NE(out.find("set Output_Routing_Result = Yes\n"), std::string::npos);
}

TEST(SettingsDeathTest, OutOfRangeValuesEndTheRun) {
    expectRejected("Via_Cost = 0\n", "Via_Cost is out of a reasonable range");
    expectRejected("Pattern_Routing_Iteration = 0\n", "Pattern_Routing_Iteration is out of a reasonable range");
    expectRejected("Wirelength_Optimization_Level = 2001\n",
                   "set Wirelength_Optimization_Level = 2001\nWirelength_Optimization_Level is out of a reasonable range \\[1, 2000\\]");
    expectRejected("Wirelength_Optimization_Level = 0\n", "out of a reasonable range");
    expectRejected("Layer_Assignment_Algorithm = 4\n", "^read [^\n]*\nLayer_Assignment_Algorithm is out of a reasonable range");
    expectRejected("Avoiding_Blockage_Factor = 0.99\n",
                   "set Avoiding_Blockage_Factor = 0.990\n \"Avoiding_Blockage_Factor\" should be larger than 1");
    expectRejected("Output_Routing_Result = YES\n", " \"Output_Routing_Result\" should be set to Yes or No");
    expectRejected("Output_Overflow_Information = maybe\n", " \"Output_Overflow_Infomation\" should be set to Yes or No");
    expectRejected("Pin_Blockage_Factor = -0.1\n", " \"Pin_Blockage_Factor\" should be larger than 0");
    expectRejected("Blockage_Expanding = -1\n", " \"Blockage_Expanding\" should be >= 0");
    expectRejected("Blockage_Expanding = 100000001\n", "Blockage_Expanding = 100000001 is outside the accepted range \\[0, 100000000\\]");
    expectRejected("Local_Detailed_Placement = -1\n", "should be larger than or equal to 0");
    expectRejected("Via_cost = 3\n", "The format of .set file is wrong");
    // An unreadable value names the keyword and the file.
    expectRejected("Via_Cost = three\n", "settings_bad.set.*Via_Cost");
    expectRejected("Pin_Blockage_Factor =\n", "Pin_Blockage_Factor");
}

TEST(SettingsDeathTest, MissingFileAndMissingRequiredSettings) {
    EXPECT_EXIT(
        {
            NetDB db;
            parameterSet s;
            Input_Setting("/nonexistent/x.set", db, s);
        },
        ::testing::ExitedWithCode(1), "File /nonexistent/x.set not exists!");
    parameterSet s;
    s.viaCostGiven = true;
    EXPECT_EXIT(requireRoutingSettings("p.set", s), ::testing::ExitedWithCode(1), "Maze_Routing_Timeout");
    s.viaCostGiven = false;
    s.mazeTimeoutGiven = true;
    EXPECT_EXIT(requireRoutingSettings("p.set", s), ::testing::ExitedWithCode(1), "Via_Cost");
}
