// Hostile, malformed and out-of-range inputs through the real binary: each is
// refused with one line naming file, line and reason and status 1 before any
// routing, or, where the value is legitimate, runs with sound figures. Most
// inputs are the regression corpus of the fuzz harnesses (tests/fuzz/regress/).

#include <gtest/gtest.h>

#include <regex>
#include <string>

#include "tests/common/RunCommand.h"

namespace {

const std::string kBin = TARVEX_BIN;
const std::string kRegress = std::string(TARVEX_SOURCE_DIR) + "/tests/fuzz/regress/";
const std::string kTables = std::string(TARVEX_BINARY_DIR) + "/run/";

const char* kSmallBench =
    "grid 6 6 2\nvertical capacity 0 20\nhorizontal capacity 20 0\nminimum width 1 1\nminimum spacing 1 1\n"
    "via spacing 1 1\n0 0 10 10\n\nnum net 3\na 0 2 1\n5 5 1\n45 35 1\nb 1 2 1\n15 45 2\n35 5 2\n"
    "c 2 3 1\n5 55 1\n55 5 1\n25 25 2\n\n0\n";

// Writes `text` into the scratch folder as `name`; returns its path.
std::string scratchFile(const std::string& name, const std::string& text) {
    const std::string path = scratchDir() + name;
    writeTextFile(path, text);
    return path;
}

std::string goodSet() {
    return scratchFile("good.set", "Via_Cost = 1\nMaze_Routing_Timeout = 10\nOutput_Overflow_Information = Yes\n");
}

std::string goodBench() { return scratchFile("good.gr", kSmallBench); }

CommandResult route(const std::string& bench, const std::string& set, const std::string& result = scratchDir() + "out",
                    const std::string& folder = "", const std::string& mode = "REGULAR_ISPD") {
    std::string cmd = kBin + " " + mode + " " + bench + " " + set + " " + result;
    if (!folder.empty()) cmd = "cd " + folder + " && " + cmd;
    return runCommand(cmd, scratchDir());
}

// A 4 x 4 benchmark of two nets whose second net's pins and the adjustments are given.
std::string smallIspd(const std::string& pins, const std::string& adjustments = "0\n") {
    return "grid 4 4 2\nvertical capacity 0 20\nhorizontal capacity 20 0\nminimum width 1 1\nminimum spacing 1 1\n"
           "via spacing 1 1\n0 0 10 10\n\nnum net 2\nn1 1 2 1\n5 5 1\n35 5 1\nn2 2 2 1\n" +
           pins + "\n" + adjustments;
}

bool contains(const std::string& text, const std::string& pattern) { return std::regex_search(text, std::regex(pattern)); }

}  // namespace

// The reading sequence of both ISPD modes on a small benchmark with an adjustment.
TEST(Refusals, IspdModesReadTheBenchmarkInSequence) {
    const std::string bench = scratchFile("ispd_input.gr", smallIspd("5 5 1\n5 35 2\n", "1\n0 0 1 1 0 1 8\n"));
    const std::string set = scratchFile("ispd_input.set", "Via_Cost : 1\nMaze_Routing_Timeout : 100\n");
    for (const char* mode : {"REGULAR_ISPD", "FAST_ISPD"}) {
        CommandResult r = route(bench, set, scratchDir() + "ispd_input_out", "", mode);
        EXPECT_NE(r.out.find("read " + bench + "\nNumber of nets: 2\n"
                             "========ISPD========================  netdb.adjLocate.size()=1  totalAdj=8\n"
                             "Input File costs "),
                  std::string::npos)
            << mode << "\n" << r.out;
    }
}

TEST(Refusals, MalformedBenchmarksAndValuesThatWouldOverflowOrExhaustMemory) {
    const struct {
        std::string file;     // in the corpus, or written from `text`
        std::string text;
        std::string message;  // after "<file>:"
    } cases[] = {
        {"grid_product_overflow.gr", "", "1: the grid of 2147483647 by 2147483647 G-cells on 3 layers is too large"},
        {"grid_layers_int_max.gr", "", "1: the grid has 2147483647 layers; at most 1000 are accepted"},
        {"grid_layers_121221212.gr", "", "1: the grid has 121221212 layers; at most 1000 are accepted"},
        {"capacity_int_max.gr", "", "2: the vertical capacities come to more than 1000000 tracks over layers 1..2"},
        {"capacity_negative.gr", "", "3: the horizontal capacity of layer 1 is -4; it must be 0 or more"},
        {"capacity_int_min.gr", "", "2: the vertical capacity of layer 2 is -2147483648; it must be 0 or more"},
        {"adjustment_negative.gr", "", "18: adjustment 1 has capacity -1; it must be 0 or more"},
        {"adjustment_int_min.gr", "", "18: adjustment 1 has capacity -2147483648; it must be 0 or more"},
        {"adjustment_int_max.gr", "", "18: adjustment 1 has capacity 2147483647, more than 1000000 tracks of layer 2"},
        {"pitch_too_large.gr", "", "5: layer 2 has pitch 200001 (minimum width 1 + minimum spacing 200000); it must be 1 to 100000"},
        {"origin_int_min_gcell_1e9.gr", "", "7: the G-cell width and height must be at most 100000000 (got 1000000000 and 1000000000)"},
        {"net_id_repeated.gr", "", "13: net \"b\" repeats the id 0 of an earlier net"},
        {"in.gr", smallIspd("5 5 1\n45 5 1\n"), "15: pin (45, 5) of net \"n2\" maps to G-cell (4, 0), outside the 4 by 4 grid"},
        {"in.gr", smallIspd("5 5 1\n5 5 3\n"), "15: pin (5, 5) of net \"n2\" is on layer 3, outside 1..2"},
        {"in.gr", smallIspd("5 5 1\n5 5 1\n", "1\n0 0 1 1 1 1 8\n"),
         "18: adjustment 1 joins G-cells (0, 0) and (1, 1), which are not neighbours"},
        // The adjustment count is taken as the next x, so the file ends at the y.
        {"in.gr", smallIspd("5 5 1\n"), "16: the file ends before the y of pin 2 of net \"n2\""},
    };
    const std::string set = goodSet();
    for (const auto& c : cases) {
        const std::string file = c.text.empty() ? kRegress + "ispd/" + c.file : scratchFile(c.file, c.text);
        CommandResult r = route(file, set);
        EXPECT_EQ(r.status, 1) << c.message;
        EXPECT_EQ(r.err, file + ":" + c.message + "\n");
        EXPECT_EQ(r.out.find("Input File costs"), std::string::npos) << c.message;
    }
}

TEST(Refusals, SettingsOutOfRangeKeepTheirMessageAndNameFileLineAndRange) {
    const struct {
        const char* file;
        const char* stdoutLine;
        const char* stderrLine;  // after "<file>:"
    } cases[] = {
        {"via_cost_int_max.set", "Via_Cost is out of a reasonable range", "1: Via_Cost = 2147483647 is outside the accepted range [1, 1000000]"},
        {"via_cost_10_8_million.set", "Via_Cost is out of a reasonable range", "1: Via_Cost = 10800000 is outside the accepted range [1, 1000000]"},
        {"pin_blockage_1e30.set", " \"Pin_Blockage_Factor\" should be larger than 0", "3: Pin_Blockage_Factor = 1e+30 is outside the accepted range [0, 100]"},
        {"pattern_int_max.set", "Pattern_Routing_Iteration is out of a reasonable range", "3: Pattern_Routing_Iteration = 2147483647 is outside the accepted range [1, 1000]"},
        {"monotonic_int_max.set", "Monotonic_Routing_Iteration is out of a reasonable range", "3: Monotonic_Routing_Iteration = 2147483647 is outside the accepted range [0, 1000]"},
        {"post_int_max.set", "Post_Routing_Iteration is out of a reasonable range", "4: Post_Routing_Iteration = 2147483647 is outside the accepted range [0, 1000]"},
        {"via_cost_fraction.set", "The format of .set file is wrong", "1: Via_Cost = 1.5 is not a whole number"},
        {"via_cost_11_digits.set", "Via_Cost is out of a reasonable range", "1: Via_Cost = 99999999999 is outside the accepted range [1, 1000000]"},
    };
    const std::string bench = goodBench();
    for (const auto& c : cases) {
        const std::string file = kRegress + "settings/" + c.file;
        CommandResult r = route(bench, file);
        EXPECT_EQ(r.status, 1) << c.file;
        EXPECT_NE(r.out.find(std::string("\n") + c.stdoutLine + "\n"), std::string::npos) << r.out;
        EXPECT_EQ(r.err, file + ":" + c.stderrLine + "\n");
    }
    // The other refusals of the reader say where too.
    std::string set = scratchFile("odd.set", "Via_Cost = 1\n\nVia_Costs = 2\n");
    CommandResult r = route(bench, set);
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.out.find("The format of .set file is wrong\n"), std::string::npos);
    EXPECT_EQ(r.err, set + ":3: unknown keyword \"Via_Costs\"\n");
    scratchFile("odd.set", "Via_Cost = 1\nOutput_Routing_Result = YES\n");
    r = route(bench, set);
    EXPECT_NE(r.out.find(" \"Output_Routing_Result\" should be set to Yes or No\n"), std::string::npos);
    EXPECT_EQ(r.err, set + ":2: Output_Routing_Result = YES: the value must be Yes, yes, No or no\n");

    // Settings errors end the run before the benchmark is opened.
    const std::string missing = scratchDir() + "missing.gr";
    scratchFile("odd.set", "Via_Cost = 1\nMaze_Routing_Timeout = 10\nPost_Routing_Iteration = -2\n");
    r = route(missing, set);
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.out.find("set Post_Routing_Iteration = -2\nPost_Routing_Iteration is out of a reasonable range"),
              std::string::npos)
        << r.out;
    r = route(missing, scratchDir() + "no_such.set", scratchDir() + "out", "", "FAST_ISPD");
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("File " + scratchDir() + "no_such.set not exists!"), std::string::npos) << r.err;
    scratchFile("odd.set", "Via_Cost = 1\n");
    r = route(missing, set);
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("Maze_Routing_Timeout"), std::string::npos) << r.err;
}

// Values at the top of their ranges are legitimate: the run ends normally,
// every figure it prints is non-negative, and the result passes the checker.
TEST(Refusals, LargestAcceptedValuesRunWithSoundFigures) {
    std::string text = kSmallBench;
    text.replace(text.find("vertical capacity 0 20"), 22, "vertical capacity 0 2000000");
    text.replace(text.find("\n\n0\n"), 4, "\n\n1\n2 2 2 2 3 2 0\n");
    const std::string bench = scratchFile("wide.gr", text);
    const std::string set = scratchFile(
        "wide.set", "Via_Cost = 200000\nWirelength_Optimization_Level = 2000\nMaze_Routing_Timeout = 10\n"
                    "Maze_Routing_Iteration = 3\nPin_Blockage_Factor = 100\nPattern_Routing_Iteration = 1000\n"
                    "Output_Overflow_Information = Yes\n");
    const std::string out = scratchDir() + "wide.out";
    CommandResult r = route(bench, set, out);
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_FALSE(contains(r.out, "=\\s*-[0-9]")) << r.out;
    EXPECT_FALSE(contains(readWholeFile(out + ".ofinfo"), "= -[0-9]"));
    CommandResult check = runCommand(std::string(TARVEX_TOOLS_DIR) + "/check_ispd " + bench + " " + out, scratchDir());
    EXPECT_EQ(check.status, 0) << check.err;
}

TEST(Refusals, OutputsAreCheckedBeforeAnyWork) {
    const std::string bench = goodBench(), set = goodSet();
    const std::string original = readWholeFile(bench);
    CommandResult r = route(bench, set, bench);
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, bench + ": this output would overwrite the input file " + bench + "\n");
    EXPECT_EQ(readWholeFile(bench), original);

    // The same file by another path, and the report over the .set file.
    r = route(bench, set, scratchDir() + "./good.gr");
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("would overwrite the input file"), std::string::npos);
    const std::string reportSet =
        scratchFile("stem.ofinfo", "Via_Cost = 1\nMaze_Routing_Timeout = 10\nOutput_Overflow_Information = Yes\n");
    r = route(bench, reportSet, scratchDir() + "stem");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, reportSet + ": this output would overwrite the input file " + reportSet + "\n");

    // A result in a folder that does not exist is refused before routing.
    r = route(bench, set, scratchDir() + "no/such/folder/out");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, scratchDir() + "no/such/folder/out: cannot be created: No such file or directory\n");
    EXPECT_EQ(r.out.find("Net Decomposition"), std::string::npos);
    EXPECT_EQ(r.out.find("read " + bench), std::string::npos);

    // A check leaves nothing behind, and an output that is not asked for is not checked.
    r = route(bench, scratchFile("quiet.set", "Via_Cost = 1\nMaze_Routing_Timeout = 10\nOutput_Routing_Result = No\n"),
              scratchDir() + "no/such/folder/out");
    EXPECT_EQ(r.status, 0) << r.err;
    r = route(bench, set, scratchDir() + "fresh.out");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_FALSE(readWholeFile(scratchDir() + "fresh.out").empty());
}

TEST(Refusals, BrokenTableFilesAreRefusedWithTheirPosition) {
    const std::string powv = readWholeFile(kTables + "POWV9.dat"), post = readWholeFile(kTables + "POST9.dat");
    ASSERT_FALSE(post.empty());
    const std::string bench = goodBench(), set = goodSet();
    const std::string folder = scratchDir() + "tables";
    runCommand("mkdir -p " + folder);
    writeTextFile(folder + "/POWV9.dat", powv);
    // The first solution of degree 9 starts after its degree line: 7 Steiner
    // bytes, then the link bytes of nodes (0, 1), (2, 3), ... (14, 15).
    const size_t links = post.find("d=9\n") + 4 + 7;

    // Nodes 9 and 10 name each other: every byte stays in range, the links no
    // longer form a tree. One byte inserted: the rest is read out of step.
    std::string cycle = post, inserted = post;
    cycle[links + 4] = static_cast<char>((static_cast<unsigned char>(cycle[links + 4]) & 0xF0) | 10);
    cycle[links + 5] = static_cast<char>((static_cast<unsigned char>(cycle[links + 5]) & 0x0F) | (9 << 4));
    inserted.insert(links + 3, 1, '\x23');
    const std::pair<std::string, std::string> broken[] = {
        {cycle, "^POST9.dat byte [0-9]+: .*degree-9 solution"},
        {inserted, "^POST9.dat byte [0-9]+: "},
        {post + "x", "^POST9.dat byte [0-9]+: unexpected bytes after the last degree section"},
    };
    CommandResult r;
    for (const auto& [bytes, message] : broken) {
        writeTextFile(folder + "/POST9.dat", bytes);
        r = route(bench, set, folder + "/out", folder);
        EXPECT_EQ(r.status, 1);
        EXPECT_TRUE(contains(r.err, message)) << r.err;
        EXPECT_EQ(r.out.find("Net Decomposition"), std::string::npos);
    }

    // A missing file keeps its own line and says where it was looked for.
    runCommand("rm -f " + folder + "/POST9.dat");
    r = route(bench, set, folder + "/out", folder);
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "Error in opening POST9.dat\n");
    EXPECT_TRUE(contains(r.err, "^POST9.dat: not found in the working folder .*tables; the build unpacks the tables into " +
                                    std::string(TARVEX_BINARY_DIR) + "/run\n$"))
        << r.err;
}

TEST(Refusals, CheckerRefusesASegmentLeavingTheGrid) {
    const std::string both = readWholeFile(kRegress + "check/segment_leaves_grid");
    const size_t cut = both.find("@@@@\n");
    ASSERT_NE(cut, std::string::npos);
    const std::string bench = scratchFile("check.gr", both.substr(0, cut));
    const std::string result = scratchFile("check.out", both.substr(cut + 5));
    CommandResult r = runCommand(std::string(TARVEX_TOOLS_DIR) + "/check_ispd " + bench + " " + result, scratchDir());
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "check_ispd: " + result + ":2: segment point outside the grid\n");
}

TEST(Refusals, PlacementOutputOverAFileOfTheSetIsRefused) {
    const std::string dir = scratchDir() + "set/";
    ASSERT_EQ(runCommand("mkdir -p " + dir + " && " + std::string(TARVEX_TOOLS_DIR) +
                         "/gen_bookshelf --cells 40 --seed 3 --name d --out " + dir).status, 0);
    const std::string nodes = dir + "d.nodes", original = readWholeFile(nodes);
    for (const char* mode : {"LEGAL", "PLACE", "TWOPIN"}) {
        CommandResult r = route(dir + "d.aux " + dir + "d.pl", goodSet(), nodes, "", mode);
        EXPECT_EQ(r.status, 1) << mode;
        EXPECT_EQ(r.err, nodes + ": this output would overwrite the input file " + nodes + "\n") << mode;
    }
    EXPECT_EQ(readWholeFile(nodes), original);
}

TEST(Refusals, ConvertOutputOverAnInputIsRefused) {
    const std::string dir = scratchDir() + "conv/";
    ASSERT_EQ(runCommand("mkdir -p " + dir + " && " + std::string(TARVEX_TOOLS_DIR) +
                         "/gen_bookshelf --cells 40 --seed 3 --name d --out " + dir).status, 0);
    runCommand("cd " + dir + " && cp d.pl p.def && cp d.route t.lef");
    writeTextFile(dir + "r.lef", "WIRE_WIDTH = 0.5\n");
    writeTextFile(dir + "g.aux", "RowBasedPlacement : d.nodes d.nets d.wts d.pl d.scl d.shapes t.lef\n");
    // Operands after CONVERT, and the input that an output would overwrite.
    const std::pair<std::string, std::string> cases[] = {
        {"d.aux d.pl d", "d.aux"},          // the .aux itself
        {"d.aux p.def p", "p.def"},         // the .pl
        {"d.aux d.pl r.lef r", "r.lef"},    // the .rule
        {"g.aux d.pl t", "t.lef"},          // a file the .aux lists
    };
    for (const auto& [operands, input] : cases) {
        const std::string before = readWholeFile(dir + input);
        CommandResult r = runCommand("cd " + dir + " && " + kBin + " CONVERT " + operands, scratchDir());
        EXPECT_EQ(r.status, 1) << operands;
        EXPECT_EQ(r.err, input + ": this output would overwrite the input file " + input + "\n") << operands;
        EXPECT_EQ(readWholeFile(dir + input), before);
        EXPECT_EQ(r.out, "") << operands;
    }
}

// A folder where a file is read is refused by name, whichever reader meets it.
TEST(Refusals, AFolderWhereAFileIsReadIsRefused) {
    const std::string dir = scratchDir() + "folders/", f = dir + "listed";
    ASSERT_EQ(runCommand("mkdir -p " + f + " && " + std::string(TARVEX_TOOLS_DIR) +
                         "/gen_bookshelf --cells 40 --seed 3 --name d --out " + dir).status, 0);
    writeTextFile(dir + "f.aux", "RowBasedPlacement : d.nodes d.nets d.wts d.pl listed d.shapes d.route\n");
    const std::string set = goodSet(), aux = dir + "d.aux", pl = dir + "d.pl", out = scratchDir() + "folder_out";
    const std::string operands[] = {
        "REGULAR_ISPD " + goodBench() + " " + f + " " + out,   // .set
        "FAST_ISPD " + f + " " + set + " " + out,              // .gr
        "REGULAR " + f + " " + pl + " " + set + " " + out,     // .aux
        "LEGAL " + dir + "f.aux " + pl + " " + set + " " + out, // a file the .aux lists
        "HPWL " + aux + " " + f,                                // .pl
        "CONVERT " + aux + " " + pl + " " + f + " " + out,     // .rule
        "LOOK " + aux + " " + pl + " " + f,                     // routing log
    };
    for (const std::string& o : operands) {
        CommandResult r = runCommand("cd " + kTables + " && " + kBin + " " + o, scratchDir());
        EXPECT_EQ(r.status, 1) << o;
        EXPECT_EQ(r.err, f + ": is a folder\n") << o;
    }
}
