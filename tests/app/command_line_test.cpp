#include <gtest/gtest.h>

#include "app/CommandLine.h"

namespace {
CommandLine parse(std::vector<const char*> words) {
    words.insert(words.begin(), "Tarvex");
    return parseCommandLine(static_cast<int>(words.size()), words.data());
}
}  // namespace

TEST(CommandLine, ModesByKeywordAndWordCount) {
    EXPECT_EQ(parse({}).mode, RunMode::Invalid);
    EXPECT_EQ(parse({"regular_ispd", "a", "b", "c"}).mode, RunMode::Invalid);
    EXPECT_EQ(parse({"REGULAR_ISPD", "a", "b", "c"}).mode, RunMode::RegularIspd);
    EXPECT_EQ(parse({"REGULAR_ISPD", "a", "b"}).mode, RunMode::Invalid);
    EXPECT_EQ(parse({"REGULAR_ISPD", "a", "b", "c", "d", "e"}).mode, RunMode::Invalid);
    EXPECT_EQ(parse({"FAST_ISPD", "a", "b", "c", "7"}).mode, RunMode::FastIspd);
    EXPECT_EQ(parse({"REGULAR", "a", "b", "c"}).mode, RunMode::Invalid);
    EXPECT_EQ(parse({"REGULAR", "a", "b", "c", "d"}).mode, RunMode::Regular);
    EXPECT_EQ(parse({"REGULAR", "a", "b", "c", "d", "e", "f"}).mode, RunMode::Invalid);
    EXPECT_EQ(parse({"TWOPIN", "a", "b", "c", "d", "1"}).mode, RunMode::TwoPinDump);
    EXPECT_EQ(parse({"HPWL", "a", "b"}).mode, RunMode::Hpwl);
    EXPECT_EQ(parse({"HPWL", "a", "b", "c"}).mode, RunMode::Invalid);
    EXPECT_EQ(parse({"LOOK", "a", "b"}).mode, RunMode::Invalid);
    EXPECT_EQ(parse({"LOOK", "a", "b", "c", "d"}).mode, RunMode::Invalid);
    EXPECT_EQ(parse({"LOOK", "a", "b", "log"}).logFile, "log");
}

TEST(CommandLine, ConvertOperandsDependOnWordCount) {
    CommandLine five = parse({"CONVERT", "d.aux", "d.pl", "out"});
    EXPECT_EQ(five.mode, RunMode::Convert);
    EXPECT_EQ(five.resultName, "out");
    EXPECT_TRUE(five.ruleFile.empty());
    CommandLine six = parse({"CONVERT", "d.aux", "d.pl", "r.rule", "out"});
    EXPECT_EQ(six.ruleFile, "r.rule");
    EXPECT_EQ(six.resultName, "out");
}

TEST(CommandLine, IterationOperandFollowsStrtol) {
    EXPECT_EQ(parse({"REGULAR_ISPD", "a", "b", "c"}).mazeIterations, -1);
    EXPECT_EQ(parse({"REGULAR_ISPD", "a", "b", "c", "-1"}).mazeIterations, -1);
    EXPECT_EQ(parse({"REGULAR_ISPD", "a", "b", "c", "25xy"}).mazeIterations, 25);
    EXPECT_EQ(parse({"REGULAR_ISPD", "a", "b", "c", "abc"}).mazeIterations, 0);
    EXPECT_EQ(parse({"REGULAR_ISPD", "a", "b", "c", "-5"}).mazeIterations, -5);
    EXPECT_EQ(parse({"REGULAR_ISPD", "a", "b", "c", "  +12"}).mazeIterations, 12);
}
