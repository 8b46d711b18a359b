// check_ispd on a hand-made 4 x 3 grid with two layers, origin (100, 200) and 10 x 10 G-cells.
// Usage, overflow and wire length of the reference result are worked out by hand below.

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "tests/tools/tool_runner.h"

namespace {

// Line numbers matter: messages are checked against them.
const char* kBench =
    "grid 4 3 2\n"                   // 1
    "vertical capacity 0 4\n"        // 2
    "horizontal capacity 4 0\n"      // 3
    "minimum width 1 1\n"            // 4
    "minimum spacing 1 1\n"          // 5
    "via spacing 1 1\n"              // 6
    "100 200 10 10\n"                // 7
    "\n"                             // 8
    "num net 5\n"                    // 9
    "n0 0 2 1\n"                     // 10  G-cells (0,0,1) (3,0,1)
    "105 205 1\n"
    "135 205 1\n"
    "n1 1 2 1\n"                     // 13  (0,0,1) (3,2,2)
    "101 201 1\n"
    "131 221 2\n"
    "n2 2 3 1\n"                     // 16  (0,1,1) (1,1,1) (1,2,1)
    "100 210 1\n"
    "110 215 1\n"
    "110 225 1\n"
    "n3 3 2 1\n"                     // 20  both pins in G-cell (0,0)
    "103 203 1\n"
    "108 207 2\n"
    "n4 4 2 2 [ 1 : 2 ]\n"           // 23  width 2, with a layer range; (0,1,1) (2,1,1)
    "100 210 1\n"
    "120 210 1\n"
    "\n"
    "3\n"
    "1 0 1 2 0 1 2\n"                // horizontal edge (1,0) on layer 1: 1 track left
    "3 2 2 3 1 2 0\n"                // vertical edge (3,1) on layer 2: blocked
    "3 2 1 2 2 1 4\n";               // same as the default: no change

// Reference result. Charges per edge (width + spacing): 2, and 3 for the wide net n4.
//   layer 1 horizontal: (0,0) 2+2=4/4, (1,0) 4/2 -> 2 over, (2,0) 4/4, (0,1) 3+2=5/4 -> 1 over, (1,1) 3/4
//   layer 2 vertical:   (3,0) 2/4, (3,1) 2/0 -> 2 over, (1,1) 2/4
// Total 5 units, max 2; tracks 1+1+1 = 3, max 1. 2D: (1,0)h 2 > 1, (0,1)h 3 > 2, (3,1)v 1 > 0 -> 3.
// Wire edges 3 + 5 + 2 + 2 = 12, vias 1 + 2 = 3, wire length 15.
std::vector<std::string> referenceResult() {
    return {
        "n0 0 3", "(100,200,1)-(130,200,1)", "!",                                         // lines 1-3
        "n1 1", "(100,200,1)-(130,200,1)", "(130,200,1)-(130,200,2)",                     // 4-6
        "(130,200,2)-(130,220,2)", "!",                                                   // 7-8
        "n2 2 0", "(100,210,1)-(110,210,1)", "(110,210,1)-(110,210,2)",                   // 9-11
        "(110,210,2)-(110,220,2)", "(110,220,2)-(110,220,1)", "!",                        // 12-14
        "n4 4", "(100,210,1)-(120,210,1)", "!",                                           // 15-17
    };
}

std::string join(const std::vector<std::string>& lines) {
    std::string s;
    for (const std::string& l : lines) s += l + "\n";
    return s;
}

class CheckIspd : public tooltest::ScratchTest {
protected:
    void SetUp() override {
        ScratchTest::SetUp();
        writeTextFile(dir + "/b.gr", kBench);
    }
    CommandResult checkText(const std::string& text, const std::string& bench = "b.gr") {
        writeTextFile(dir + "/r.txt", text);
        return run("check_ispd", "'" + dir + "/" + bench + "' '" + dir + "/r.txt'");
    }
};

// The reference result and edits of it: the figures of those that pass, and the
// message (file:line) of each fault found.
TEST_F(CheckIspd, ReferenceResultAndEditsOfIt) {
    using Lines = std::vector<std::string>;
    struct Case {
        const char* what;
        std::function<void(Lines&)> edit;
        int status;
        std::string message;
        std::map<std::string, long long> figures;
    };
    const std::vector<Case> cases = {
        {"reference", [](Lines&) {}, 0, "",
         {{"nets in result", 4}, {"total overflow", 5}, {"max overflow", 2}, {"total overflow in tracks", 3},
          {"max overflow in tracks", 1}, {"2D total overflow in tracks", 3}, {"wire edges", 12}, {"vias", 3},
          {"wire length", 15}, {"errors", 0}}},
        {"unit segments, reversed points and blanks give the same figures",
         [](Lines& l) {
             l[1] = "(110,200,1)-(100,200,1)\n(110,200,1) - (120,200,1)\r\n\n(130,200,1)-(120,200,1)";
             l[6] = "(130,220,2)-(130,200,2)";
         },
         0, "", {{"total overflow", 5}, {"2D total overflow in tracks", 3}, {"wire length", 15}}},
        // Layer 1 row 0 now carries 6 units per edge: (0,0) 2 over, (1,0) 4 over, (2,0) 2 over.
        {"a segment written twice is charged twice", [](Lines& l) { l[1] += "\n(100,200,1)-(130,200,1)"; }, 0, "",
         {{"total overflow", 2 + 4 + 2 + 1 + 2}, {"max overflow", 4}, {"total overflow in tracks", 1 + 2 + 1 + 1 + 1},
          {"max overflow in tracks", 2}, {"wire length", 18}}},
        {"a single-cell net may be present without wires",
         [](Lines& l) { l.insert(l.end(), {"n3 3", "!"}); }, 0, "", {{"nets in result", 5}}},
        {"a pin not reached", [](Lines& l) { l[6] = "(130,200,2)-(130,210,2)"; }, 1,
         "r.txt:4: net n1 (id 1) does not connect its pin at G-cell (3, 2) layer 2", {{"errors", 1}}},
        {"no via to the pin's layer", [](Lines& l) { l[12] = "(110,210,2)-(110,210,1)"; }, 1,
         "net n2 (id 2) does not connect its pin", {}},
        {"a net without wires", [](Lines& l) { l.erase(l.begin() + 1); }, 1, "r.txt:1: net n0 (id 0) has no wires", {}},
        {"a dangling piece", [](Lines& l) { l[15] += "\n(120,220,1)-(130,220,1)"; }, 1,
         "r.txt:17: net n4 (id 4) has a wire piece not connected to its pins", {}},
        {"a missing net", [](Lines& l) { l.resize(14); }, 1, "b.gr:23: net n4 (id 4) is missing from the result", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Lines lines = referenceResult();
        c.edit(lines);
        auto r = checkText(join(lines));
        EXPECT_EQ(r.status, c.status) << r.err;
        if (!c.message.empty()) {
            EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
        }
        tooltest::expectFigures(r.out, c.figures);
    }
}

TEST_F(CheckIspd, SyntaxErrorsNameLineAndReason) {
    struct Case {
        std::string text, message;
    };
    const std::vector<Case> cases = {
        {"n0 0\n(100,200,1)-(130,200\n!\n", "r.txt:2: bad segment"},
        {"n0 0\n(100,200,1)-(130,210,1)\n!\n", "r.txt:2: segment changes more than one of x, y and layer"},
        {"n0 0\n(100,200,1)-(100,200,1)\n!\n", "r.txt:2: segment has no length"},
        {"n0 0\n(100,200,1)-(140,200,1)\n!\n", "r.txt:2: segment point outside the grid"},
        {"n0 0\n(100,200,1)-(100,200,3)\n!\n", "r.txt:2: segment layer outside 1..2"},
        {"(100,200,1)-(130,200,1)\n", "r.txt:1: segment outside a net"},
        {"n0 0\n(100,200,1)-(130,200,1)\nn1 1\n", "r.txt:3: net header inside net n0"},
        {"n0 0\n(100,200,1)-(130,200,1)\n", "r.txt:1: net n0 is not closed by '!'"},
        {"n9 9\n!\n", "r.txt:1: net id 9 is not in the benchmark"},
        {"n0 0\n(100,200,1)-(130,200,1)\n!\nn0 0\n!\n", "r.txt:4: net n0 (id 0) appears twice"},
        {"n0 zero\n!\n", "r.txt:1: bad net header"},
        {"!\n", "r.txt:1: '!' outside a net"},
    };
    for (const Case& c : cases) {
        auto r = checkText(c.text);
        EXPECT_EQ(r.status, 1) << c.text;
        EXPECT_NE(r.err.find(c.message), std::string::npos) << c.text << " -> " << r.err;
        EXPECT_EQ(r.out, "") << c.text;
    }
}

TEST_F(CheckIspd, MalformedBenchmarkIsRefused) {
    struct Case {
        std::string from, to, message;
    };
    const std::vector<Case> cases = {
        {"135 205 1\n", "135 205 3\n", "bad.gr:12: bad pin layer"},
        {"135 205 1\n", "145 205 1\n", "bad.gr:12: pin outside the grid"},
        {"minimum width 1 1\nminimum spacing 1 1\n", "minimum width 0 1\nminimum spacing 0 1\n", "layer 1 has minimum width plus spacing 0"},
        {"num net 5\n", "num net 6\n", "bad.gr:27: expected 'name id pinCount minWidth'"},
        {"\n3\n1 0 1", "\n4\n1 0 1", "unexpected end of file"},
        {"n3 3 2 1\n", "n3 1 2 1\n", "bad.gr:20: net id 1 used twice"},
        {"1 0 1 2 0 1 2\n", "1 0 1 3 0 1 2\n", "bad.gr:28: adjustment is not a grid edge"},
        {"100 200 10 10\n", "100 200 0 10\n", "bad.gr:7: bad tile width"},
        {"grid 4 3 2\n", "grid 4 3\n", "bad.gr:1: expected 'grid X Y L'"},
    };
    for (const Case& c : cases) {
        std::string bench = kBench;
        bench.replace(bench.find(c.from), c.from.size(), c.to);
        writeTextFile(dir + "/bad.gr", bench);
        auto r = checkText(join(referenceResult()), "bad.gr");
        EXPECT_EQ(r.status, 1) << c.to;
        EXPECT_NE(r.err.find(c.message), std::string::npos) << c.to << " -> " << r.err;
    }
    auto r = checkText("", "none.gr");
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("cannot open"), std::string::npos);
    EXPECT_EQ(run("check_ispd", "'" + dir + "/b.gr'").status, 1);
}

TEST_F(CheckIspd, NetsAboveAThousandPinsAreNotChecked) {
    std::string bench = "grid 4 3 2\nvertical capacity 0 4\nhorizontal capacity 4 0\nminimum width 1 1\n"
                        "minimum spacing 1 1\nvia spacing 1 1\n0 0 10 10\n\nnum net 1\nbig 7 1001 1\n";
    for (int i = 0; i < 1001; ++i) bench += std::to_string(i % 40) + " 5 1\n";
    writeTextFile(dir + "/b.gr", bench + "\n0\n");
    auto absent = checkText("");
    EXPECT_EQ(absent.status, 0) << absent.err;
    // Present but reaching only part of its pins: its wires still count.
    auto partial = checkText("big 7\n(0,0,1)-(10,0,1)\n!\n");
    EXPECT_EQ(partial.status, 0) << partial.err;
    EXPECT_EQ(parseLabelValues(partial.out)["wire length"], 1);
}

}  // namespace
