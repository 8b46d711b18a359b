// Runs the real Tarvex binary on command lines that must be refused.

#include <gtest/gtest.h>

#include <string>

#include "tests/common/RunCommand.h"

namespace {

const std::string kBin = TARVEX_BIN;

const char* kUsage =
    "Command Format Error..\n"
    "\nGlobal Routing in regular mode:\n"
    "\t./Tarvex  REGULAR  <Circuit.aux>  <Placement_solution.pl>  <Parameter.set> [GR result]\n"
    "\t./Tarvex  REGULAR_ISPD  <ISPD'08 format benchmark>  <Parameter.set>  [GR result]\n"
    "\nGlobal Routing in fast mode:\n"
    "\t./Tarvex  FAST  <Circuit.aux>  <Placement_solution.pl>  <Parameter.set> [GR result]\n"
    "\t./Tarvex  FAST_ISPD  <ISPD'08 format benchmark>  <Parametet.set>  [GR result]\n"
    "\nRoutability optimizer:\n"
    "\t./Tarvex  PLACE  <Circuit.aux>  <Placement_solution.pl>  <Parameter.set> [PL result]\n"
    "\nConvert placement results to LEF/DEF files:\n"
    "\tDefault 28nm:./Tarvex  CONVERT  <Circuit.aux>  <Placement_solution.pl>  [LEF/DEF files]\n"
    "\tUser defined:./Tarvex  CONVERT  <Circuit.aux>  <Placement_solution.pl>  <Design.rule> [LEF/DEF files]\n";

}  // namespace

TEST(BinaryCommandLine, BadCommandLinesPrintUsageAndFail) {
    const char* bad[] = {"",
                         "regular_ispd a b c",
                         "NOPE a b c",
                         "REGULAR_ISPD a b",
                         "REGULAR_ISPD a b c d e",
                         "REGULAR a b c",
                         "REGULAR a b c d e f g",
                         "HPWL a b c",
                         "LOOK a b",
                         "LOOK a b c d"};
    for (const char* args : bad) {
        CommandResult r = runCommand(kBin + " " + args);
        EXPECT_EQ(r.status, 1) << args;
        EXPECT_EQ(r.out, kUsage) << args;
    }
}

TEST(BinaryCommandLine, SettingsErrorsEndTheRunBeforeTheDesign) {
    std::string dir = scratchDir();
    std::string set = dir + "cli_bad.set";
    writeTextFile(set, "Via_Cost = 1\nMaze_Routing_Timeout = 10\nPost_Routing_Iteration = -2\n");
    CommandResult r = runCommand(kBin + " REGULAR_ISPD missing.gr " + set + " out");
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.out.find("set Post_Routing_Iteration = -2\nPost_Routing_Iteration is out of a reasonable range"),
              std::string::npos)
        << r.out;

    r = runCommand(kBin + " FAST_ISPD missing.gr " + dir + "no_such.set out");
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("File " + dir + "no_such.set not exists!"), std::string::npos) << r.err;

    writeTextFile(set, "Via_Cost = 1\n");
    r = runCommand(kBin + " REGULAR_ISPD missing.gr " + set + " out");
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("Maze_Routing_Timeout"), std::string::npos) << r.err;
}
