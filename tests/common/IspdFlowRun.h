#pragma once
// End-to-end runs of the ISPD routing modes: a generated benchmark in a folder of
// its own (with the FLUTE tables), the Tarvex binary run on it, and the result
// checked by our independent checker against the run's own overflow report.

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "tests/common/RunFolder.h"

struct GeneratedDesign {
    int seed;
    int grid;
    int layers;
    int nets;
};

template <class Base = ::testing::Test>
class IspdFlowRun : public RunFolder<Base> {
protected:
    using RunFolder<Base>::bin;
    using RunFolder<Base>::tools;
    using RunFolder<Base>::dir;

    // Writes the benchmark d.gr and the settings d.set into the folder.
    void prepare(const GeneratedDesign& d, const std::string& settings) {
        CommandResult gen = runCommand(tools + "/gen_ispd --seed " + std::to_string(d.seed) + " --grid " +
                                       std::to_string(d.grid) + " " + std::to_string(d.grid) + " --layers " +
                                       std::to_string(d.layers) + " --nets " + std::to_string(d.nets) +
                                       " --out " + dir + "/d.gr");
        ASSERT_EQ(gen.status, 0) << gen.err;
        writeTextFile(dir + "/d.set", settings);
    }

    static std::string settingsFor(int algorithm, const std::string& extra = "") {
        return "Via_Cost = 1\nMaze_Routing_Timeout = 600\nMaze_Routing_Iteration = 10\n"
               "Layer_Assignment_Algorithm = " + std::to_string(algorithm) +
               "\nOutput_Routing_Result = Yes\nOutput_Overflow_Information = Yes\n" + extra;
    }

    // Runs `mode` on d.gr and d.set in the folder, with an optional iteration operand.
    CommandResult run(const std::string& mode, const std::string& result, const std::string& iterations = "") {
        return runCommand("cd " + dir + " && " + bin + " " + mode + " d.gr d.set " + result +
                          (iterations.empty() ? "" : " " + iterations));
    }

    // Routes three generated designs of growing size with `mode` and the
    // assignment algorithm under test, checks each console with `consoleChecks`
    // and each result with the checker.
    void routeDesignsAndCheck(const std::string& mode, int algorithm, const std::string& iterations,
                              const std::function<void(const CommandResult&)>& consoleChecks) {
        const GeneratedDesign designs[] = {{11, 24, 4, 300}, {12, 32, 6, 700}, {13, 40, 8, 1200}};
        for (const GeneratedDesign& d : designs) {
            SCOPED_TRACE(mode + " seed " + std::to_string(d.seed) + " algorithm " + std::to_string(algorithm));
            prepare(d, settingsFor(algorithm));
            CommandResult r = run(mode, "d.result", iterations);
            ASSERT_EQ(r.status, 0) << outputTail(r);
            consoleChecks(r);
            expectCheckerAgrees("d.result");
        }
    }

    // A small run that asks for neither file: none is written, and the CPU
    // total time line comes twice from the flow and once from main.
    CommandResult runWithoutOutputFiles(const std::string& mode) {
        prepare({3, 16, 4, 100}, "Via_Cost = 1\nMaze_Routing_Timeout = 60\n"
                                 "Output_Routing_Result = No\nOutput_Overflow_Information = No\n");
        CommandResult r = run(mode, "out.txt");
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(runCommand("test -e " + dir + "/out.txt || test -e " + dir + "/out.txt.ofinfo").status, 1);
        EXPECT_EQ(countOf(r.out, "CPU  Total Time: "), 3u);
        return r;
    }

    // The checker passes the result, and its overflow, wire edges and vias equal
    // those of the result's ".ofinfo" report.
    void expectCheckerAgrees(const std::string& result) {
        CommandResult check = runCommand(tools + "/check_ispd " + dir + "/d.gr " + dir + "/" + result);
        ASSERT_EQ(check.status, 0) << check.out << check.err;
        auto c = parseLabelValues(check.out);
        std::string report = readWholeFile(dir + "/" + result + ".ofinfo");
        EXPECT_EQ(c["total overflow"], reportValue(report, "Total overflow")) << report.substr(0, 300);
        EXPECT_EQ(c["max overflow"], reportValue(report, "Max overflow"));
        EXPECT_EQ(c["wire edges"], reportValue(report, "Wirelength"));
        EXPECT_EQ(c["vias"], reportValue(report, "Via count"));
    }
};

