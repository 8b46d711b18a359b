// The command line: modes and operands as parsed, and the real binary refusing
// the command lines that name no mode with the usage text and status 1.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/CommandLine.h"
#include "tests/common/RunCommand.h"

namespace {

CommandLine parse(std::vector<const char*> words) {
    words.insert(words.begin(), "Tarvex");
    return parseCommandLine(static_cast<int>(words.size()), words.data());
}

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

TEST(CommandLine, ModesByKeywordAndWordCount) {
    EXPECT_EQ(parse({"REGULAR_ISPD", "a", "b", "c"}).mode, RunMode::RegularIspd);
    EXPECT_EQ(parse({"FAST_ISPD", "a", "b", "c", "7"}).mode, RunMode::FastIspd);
    EXPECT_EQ(parse({"REGULAR", "a", "b", "c", "d"}).mode, RunMode::Regular);
    EXPECT_EQ(parse({"TWOPIN", "a", "b", "c", "d", "1"}).mode, RunMode::TwoPinDump);
    EXPECT_EQ(parse({"HPWL", "a", "b"}).mode, RunMode::Hpwl);
    EXPECT_EQ(parse({"LOOK", "a", "b", "log"}).logFile, "log");
    CommandLine five = parse({"CONVERT", "d.aux", "d.pl", "out"});
    EXPECT_EQ(five.mode, RunMode::Convert);
    EXPECT_EQ(five.resultName, "out");
    EXPECT_TRUE(five.ruleFile.empty());
    CommandLine six = parse({"CONVERT", "d.aux", "d.pl", "r.rule", "out"});
    EXPECT_EQ(six.ruleFile, "r.rule");
    EXPECT_EQ(six.resultName, "out");
}

TEST(CommandLine, IterationOperandFollowsStrtol) {
    const std::pair<const char*, int> cases[] = {{"-1", -1}, {"25xy", 25}, {"abc", 0}, {"-5", -5}, {"  +12", 12}};
    EXPECT_EQ(parse({"REGULAR_ISPD", "a", "b", "c"}).mazeIterations, -1);
    for (const auto& [word, iterations] : cases)
        EXPECT_EQ(parse({"REGULAR_ISPD", "a", "b", "c", word}).mazeIterations, iterations) << word;
}

TEST(CommandLine, BinaryPrintsUsageAndFailsOnBadCommandLines) {
    const char* bad[] = {"",        "regular_ispd a b c", "NOPE a b c",  "REGULAR_ISPD a b", "REGULAR_ISPD a b c d e",
                         "REGULAR a b c", "REGULAR a b c d e f g", "HPWL a b c", "LOOK a b",     "LOOK a b c d"};
    for (const char* args : bad) {
        CommandResult r = runCommand(std::string(TARVEX_BIN) + " " + args);
        EXPECT_EQ(r.status, 1) << args;
        EXPECT_EQ(r.out, kUsage) << args;
    }
}
