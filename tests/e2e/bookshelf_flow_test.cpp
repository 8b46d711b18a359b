// End-to-end runs on generated Bookshelf sets: the run's result must pass our
// independent checker against the equivalent ISPD'08 benchmark that the
// generator writes (same grid, nets at the routed placement, blockage-reduced
// capacities as adjustments), agree with the run's own overflow report, and
// equal the result of routing that benchmark directly.

#include <gtest/gtest.h>

#include <cstdio>
#include <sstream>
#include <string>

#include "tests/common/IspdFlowRun.h"

namespace {

// The result without the nets written as one via stack alone (pins in one
// G-cell on several layers): the benchmark reader keeps no such net.
std::string withoutViaStackNets(const std::string& result) {
    std::istringstream in(result);
    std::string kept, header, line;
    while (std::getline(in, header)) {
        std::string net = header + "\n";
        int lines = 0;
        long long x1 = 0, y1 = 0, x2 = 0, y2 = 0;
        int z1 = 0, z2 = 0;
        bool via = false;
        while (std::getline(in, line) && line != "!") {
            net += line + "\n";
            via = ++lines == 1 && sscanf(line.c_str(), "(%lld,%lld,%d)-(%lld,%lld,%d)", &x1, &y1, &z1, &x2, &y2, &z2) == 6 &&
                  x1 == x2 && y1 == y2;
        }
        if (!(lines == 1 && via)) kept += net + "!\n";
    }
    return kept;
}

class BookshelfFlow : public IspdFlowRun<> {
protected:
    // Generates a set, routes it in `mode`, and checks the result.
    void routeAndCheck(const std::string& mode, const std::string& genArgs, int algorithm) {
        SCOPED_TRACE(mode + " " + genArgs);
        CommandResult gen = runCommand(tools + "/gen_bookshelf --out " + dir + " --name d " + genArgs);
        ASSERT_EQ(gen.status, 0) << gen.err;
        writeTextFile(dir + "/d.set", "Via_Cost = 1\nMaze_Routing_Timeout = 600\nMaze_Routing_Iteration = 8\n"
                                      "Layer_Assignment_Algorithm = " + std::to_string(algorithm) +
                                      "\nOutput_Routing_Result = Yes\nOutput_Overflow_Information = Yes\n");
        CommandResult run = runHere(mode + " d.aux d.user.pl d.set b.result");
        ASSERT_EQ(run.status, 0) << outputTail(run);
        EXPECT_NE(run.out.find("read d.user.pl\n"), std::string::npos);
        EXPECT_EQ(run.out.find("ERROR"), std::string::npos);

        expectCheckerAgrees("b.result");
        EXPECT_GT(reportValue(readWholeFile(dir + "/b.result.ofinfo"), "Wirelength"), 0);

        // The same design read as the benchmark routes to the same result.
        const std::string ispdMode = mode + "_ISPD";
        CommandResult direct = runHere(ispdMode + " d.gr d.set i.result");
        ASSERT_EQ(direct.status, 0) << direct.err;
        EXPECT_TRUE(readWholeFile(dir + "/i.result") == withoutViaStackNets(readWholeFile(dir + "/b.result")))
            << "the Bookshelf run and the run on the equivalent benchmark differ";
    }
};

}  // namespace

TEST_F(BookshelfFlow, RegularRoutesAFewCells) { routeAndCheck("REGULAR", "--seed 21 --cells 5 --layers 6", 1); }

TEST_F(BookshelfFlow, RegularRoutesSmallSets) {
    routeAndCheck("REGULAR", "--seed 22 --cells 900 --layers 7", 3);
    routeAndCheck("REGULAR", "--seed 23 --cells 2500 --layers 9 --origin -96 -48 --tile 40 60", 2);
}

TEST_F(BookshelfFlow, FastRoutesSmallSets) {
    routeAndCheck("FAST", "--seed 31 --cells 5 --layers 8", 1);
    routeAndCheck("FAST", "--seed 32 --cells 1500 --layers 6 --origin -96 -48", 3);
}
