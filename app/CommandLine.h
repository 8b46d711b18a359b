#pragma once
// Mode selection from the command line.

#include <string>

enum class RunMode { Invalid, RegularIspd, FastIspd, Regular, Legal, Place, Fast, TwoPinDump, Convert, Hpwl, Look };

struct CommandLine {
    RunMode mode = RunMode::Invalid;
    std::string keyword;
    std::string designFile;  // benchmark or .aux
    std::string plFile;
    std::string setFile;
    std::string ruleFile;    // CONVERT with a user rule file
    std::string resultName;
    std::string logFile;
    int mazeIterations = -1;  // -1: no limit given
};

// Selects the mode from the words of the command line (argv[0] included).
CommandLine parseCommandLine(int argc, const char* const* argv);

// The optional maze-iteration operand: base-10 strtol, truncated to int.
int parseIterationOperand(const char* s);

// Prints "Command Format Error.." and the usage text.
void printUsage();
