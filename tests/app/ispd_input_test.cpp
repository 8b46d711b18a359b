// Runs the real binary on ISPD'08 benchmarks: the reading sequence of the ISPD
// modes, and refusal of malformed benchmarks.

#include <gtest/gtest.h>

#include <string>

#include "tests/common/RunCommand.h"

namespace {

const std::string kBin = TARVEX_BIN;

std::string dir() { return scratchDir(); }

std::string setFile() {
    std::string path = dir() + "ispd_input.set";
    writeTextFile(path, "Via_Cost : 1\nMaze_Routing_Timeout : 100\n");
    return path;
}

std::string bench(const std::string& pins, const std::string& adjustments = "0\n") {
    return "grid 4 4 2\n"
           "vertical capacity 0 20\n"
           "horizontal capacity 20 0\n"
           "minimum width 1 1\n"
           "minimum spacing 1 1\n"
           "via spacing 1 1\n"
           "0 0 10 10\n"
           "\n"
           "num net 2\n"
           "n1 1 2 1\n"
           "5 5 1\n"
           "35 5 1\n"
           "n2 2 2 1\n" +
           pins + "\n" + adjustments;
}

CommandResult run(const std::string& mode, const std::string& text) {
    std::string path = dir() + "ispd_input.gr";
    writeTextFile(path, text);
    return runCommand(kBin + " " + mode + " " + path + " " + setFile() + " " + dir() + "ispd_input_out", dir());
}

}  // namespace

TEST(IspdInput, ReadingSequenceOfTheIspdModes) {
    for (const char* mode : {"REGULAR_ISPD", "FAST_ISPD"}) {
        CommandResult r = run(mode, bench("5 5 1\n5 35 2\n", "1\n0 0 1 1 0 1 8\n"));
        std::string expected = "read " + dir() + "ispd_input.gr\nNumber of nets: 2\n"
                               "========ISPD========================  netdb.adjLocate.size()=1  totalAdj=8\n"
                               "Input File costs ";
        EXPECT_NE(r.out.find(expected), std::string::npos) << mode << "\n" << r.out;
    }
}

TEST(IspdInput, MalformedBenchmarksEndWithStatusOne) {
    struct Case {
        std::string text;
        std::string message;
    } cases[] = {
        {bench("5 5 1\n45 5 1\n"), ":15: pin (45, 5) of net \"n2\" maps to G-cell (4, 0), outside the 4 by 4 grid\n"},
        {bench("5 5 1\n5 5 3\n"), ":15: pin (5, 5) of net \"n2\" is on layer 3, outside 1..2\n"},
        {bench("5 5 1\n5 5 1\n", "1\n0 0 1 1 1 1 8\n"), ":18: adjustment 1 joins G-cells (0, 0) and (1, 1), which are not neighbours\n"},
        // The adjustment count is taken as the next x, so the file ends at the y.
        {bench("5 5 1\n"), ":16: the file ends before the y of pin 2 of net \"n2\"\n"},
    };
    for (const Case& c : cases) {
        CommandResult r = run("REGULAR_ISPD", c.text);
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(r.err, dir() + "ispd_input.gr" + c.message);
        EXPECT_EQ(r.out.find("Input File costs"), std::string::npos);
    }
}
