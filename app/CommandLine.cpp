#include "app/CommandLine.h"

#include <cstdio>
#include <cstdlib>

int parseIterationOperand(const char* s) { return static_cast<int>(strtol(s, nullptr, 10)); }

CommandLine parseCommandLine(int argc, const char* const* argv) {
    CommandLine c;
    if (argc < 2) return c;
    c.keyword = argv[1];
    const std::string& k = c.keyword;
    if ((k == "REGULAR_ISPD" || k == "FAST_ISPD") && (argc == 5 || argc == 6)) {
        c.mode = k == "REGULAR_ISPD" ? RunMode::RegularIspd : RunMode::FastIspd;
        c.designFile = argv[2];
        c.setFile = argv[3];
        c.resultName = argv[4];
        if (argc == 6) c.mazeIterations = parseIterationOperand(argv[5]);
    } else if ((k == "REGULAR" || k == "LEGAL" || k == "PLACE" || k == "FAST" || k == "TWOPIN") &&
               (argc == 6 || argc == 7)) {
        c.mode = k == "REGULAR" ? RunMode::Regular
               : k == "LEGAL"   ? RunMode::Legal
               : k == "PLACE"   ? RunMode::Place
               : k == "FAST"    ? RunMode::Fast
                                : RunMode::TwoPinDump;
        c.designFile = argv[2];
        c.plFile = argv[3];
        c.setFile = argv[4];
        c.resultName = argv[5];
        if (argc == 7) c.mazeIterations = parseIterationOperand(argv[6]);
    } else if (k == "CONVERT" && (argc == 5 || argc == 6)) {
        c.mode = RunMode::Convert;
        c.designFile = argv[2];
        c.plFile = argv[3];
        if (argc == 5) {
            c.resultName = argv[4];
        } else {
            c.ruleFile = argv[4];
            c.resultName = argv[5];
        }
    } else if (k == "HPWL" && argc == 4) {
        c.mode = RunMode::Hpwl;
        c.designFile = argv[2];
        c.plFile = argv[3];
    } else if (k == "LOOK" && argc == 5) {
        c.mode = RunMode::Look;
        c.designFile = argv[2];
        c.plFile = argv[3];
        c.logFile = argv[4];
    }
    return c;
}

void printUsage() {
    puts("Command Format Error..");
    puts("\nGlobal Routing in regular mode:");
    puts("\t./Tarvex  REGULAR  <Circuit.aux>  <Placement_solution.pl>  <Parameter.set> [GR result]");
    puts("\t./Tarvex  REGULAR_ISPD  <ISPD'08 format benchmark>  <Parameter.set>  [GR result]");
    puts("\nGlobal Routing in fast mode:");
    puts("\t./Tarvex  FAST  <Circuit.aux>  <Placement_solution.pl>  <Parameter.set> [GR result]");
    puts("\t./Tarvex  FAST_ISPD  <ISPD'08 format benchmark>  <Parametet.set>  [GR result]");
    puts("\nRoutability optimizer:");
    puts("\t./Tarvex  PLACE  <Circuit.aux>  <Placement_solution.pl>  <Parameter.set> [PL result]");
    puts("\nConvert placement results to LEF/DEF files:");
    puts("\tDefault 28nm:./Tarvex  CONVERT  <Circuit.aux>  <Placement_solution.pl>  [LEF/DEF files]");
    puts("\tUser defined:./Tarvex  CONVERT  <Circuit.aux>  <Placement_solution.pl>  <Design.rule> [LEF/DEF files]");
}
