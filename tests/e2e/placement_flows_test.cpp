// End-to-end LEGAL and TWOPIN runs on generated Bookshelf sets (macros, some
// L-shaped, fixed cells, NI terminals), checked by our independent checkers:
// every legalized .pl passes place_check with no violation, and every two-pin
// dump passes twopin_check. Hand-written sets: what the placing modes refuse,
// and rows and areas at the edges of the number range.

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <regex>
#include <string>
#include <utility>

#include "tests/common/RunFolder.h"
#include "tests/common/SmallBookshelfSet.h"

namespace {

struct Case {
    int seed;
    int cells;
    int tileW;          // narrower tiles make a denser die
    const char* placement;  // which generated .pl to legalize
    double minDensity;  // the run's own "DesignDen" must reach this
};

class PlacementFlows : public RunFolder<::testing::TestWithParam<Case>> {
protected:
    void SetUp() override {
        RunFolder::SetUp();
        writeTextFile(dir + "/p.set",
                      "Via_Cost = 1\nMaze_Routing_Timeout = 60\nPin_Blockage_Factor = 0.5\nBlockage_Expanding = 1\n");
    }
    void generate(const Case& c) {
        CommandResult g = runCommand(tools + "/gen_bookshelf --cells " + std::to_string(c.cells) + " --seed " +
                                     std::to_string(c.seed) + " --tile " + std::to_string(c.tileW) + " 48 --out " + dir);
        ASSERT_EQ(g.status, 0) << g.err;
    }
};

TEST_P(PlacementFlows, LegalOutputPassesThePlacementChecker) {
    const Case c = GetParam();
    ASSERT_NO_FATAL_FAILURE(generate(c));
    CommandResult run = runHere("LEGAL design.aux " + std::string(c.placement) + " p.set out.pl");
    ASSERT_EQ(run.status, 0) << run.out << run.err;
    EXPECT_NE(run.out.find("block_expanding=1\n"), std::string::npos);
    EXPECT_NE(run.out.find("output placment result = out.pl"), std::string::npos);
    std::smatch m;
    ASSERT_TRUE(std::regex_search(run.out, m, std::regex("DesignDen=([0-9.]+)")));
    EXPECT_GE(std::stod(m[1]), c.minDensity);
    ASSERT_TRUE(std::regex_search(run.out, m, std::regex("moveCellNum=([0-9]+)  unPlaceNum=0  maxMove=([0-9]+)")));
    EXPECT_EQ(std::stoi(m[1]), c.cells);
    const long long maxMove = std::stoll(m[2]);

    const std::string out = dir + "/out.pl";
    const std::string text = readWholeFile(out);
    EXPECT_EQ(text.rfind("UCLA pl 1.0\n#Tool : Velmor\no0 ", 0), 0u);
    EXPECT_NE(text.find(" : N /FIXED_NI\n"), std::string::npos);

    CommandResult chk = runCommand(tools + "/place_check " + dir + "/design.aux " + out + " " + dir + "/" + c.placement);
    EXPECT_EQ(chk.status, 0) << chk.out << chk.err;
    EXPECT_EQ(labelValue(chk.out, "violations"), 0);
    EXPECT_EQ(labelValue(chk.out, "movable cells"), c.cells);
    EXPECT_EQ(labelValue(chk.out, "max displacement"), maxMove);
}

TEST_P(PlacementFlows, TwoPinDumpJoinsEveryPin) {
    const Case c = GetParam();
    ASSERT_NO_FATAL_FAILURE(generate(c));
    CommandResult run = runHere("TWOPIN design.aux " + std::string(c.placement) + " p.set dump");
    ASSERT_EQ(run.status, 0) << run.out << run.err;
    EXPECT_NE(run.out.find("start to decompose nets\n"), std::string::npos);
    std::smatch m;
    ASSERT_TRUE(std::regex_search(run.out, m, std::regex("totalMST=([0-9]+)")));
    CommandResult chk = runCommand(tools + "/twopin_check " + dir + "/dump");
    EXPECT_EQ(chk.status, 0) << chk.out << chk.err;
    EXPECT_EQ(labelValue(chk.out, "bad nets"), 0);
    EXPECT_GT(labelValue(chk.out, "nets"), 0);
    // The spanning trees are the ones whose length the run reported.
    EXPECT_EQ(labelValue(chk.out, "tree length"), std::stoll(m[1]));
}

// The small hand-written set with one line of one of its files replaced.
class PlacingModes : public RunFolder<> {
protected:
    void edit(const std::string& file, const std::string& from, const std::string& to) {
        std::string text = readWholeFile(dir + "/" + file);
        const size_t at = text.find(from);
        ASSERT_NE(at, std::string::npos) << from;
        writeTextFile(dir + "/" + file, text.replace(at, from.size(), to));
    }
};

TEST_F(PlacingModes, DesignsThatCannotBePlacedAreRefusedBeforeAnyWork) {
    // LEGAL and PLACE refuse every case; TWOPIN places nothing and runs them all.
    enum Refused {
        kPlacing,     // PLACE refuses it without an iteration too
        kLegalizing,  // only a run that moves and legalizes cells: PLACE without an iteration runs
        kRows,        // as kPlacing, and CONVERT refuses it before it writes
    };
    const struct {
        const char* file;
        const char* from;  // its first occurrence is replaced
        const char* to;
        Refused refused;
        std::string message;  // the line on standard error
    } cases[] = {
        {"s.scl", "Sitewidth : 1", "Sitewidth : 2", kPlacing,
         "s.scl:8: the row's Sitewidth is 2; placement takes a site as one database unit and needs Sitewidth 1 and "
         "Sitespacing 1\n"},
        {"s.scl", "Sitespacing : 1", "Sitespacing : 0", kPlacing, "s.scl:9: the row's Sitespacing is 0; "},
        {"s.nodes", "o5 4 12", "o5 4 24", kPlacing,
         "s.nodes:10: movable object o5 is 24 high and the rows are 12 high; placement keeps each cell within one row\n"},
        {"s.nodes", "o2 6 12", "o2 81 12", kLegalizing,
         "s.nodes:7: movable object o2 is 81 wide and cannot be legalized: the widest free row segment is 80\n"},
        {"s.nodes", "4 12\n  o1 4 12\n  o2 6 12\n  o3 10 24 terminal\n  o4 10 12 terminal\n  o5 4",
         "80 12\n  o1 80 12\n  o2 80 12\n  o3 10 24 terminal\n  o4 10 12 terminal\n  o5 80", kLegalizing,
         "ERROR: the movable cells cannot be legalized: their area of 3840 exceeds the 3540 of free row area\n"},
        {"s.scl", "Coordinate : 12", "Coordinate : 6", kRows,
         "s.scl:17: the row (x 0 to 80, y 6 to 18) overlaps the row of line 8 (x 0 to 80, y 0 to 12); placement needs "
         "rows that do not overlap\n"},
        {"s.scl", "SubrowOrigin : 0 ", "SubrowOrigin : -10 ", kRows,
         "s.scl:8: the row (x -10 to 70, y 0 to 12) reaches outside the die (x 0 to 80, y 0 to 48); placement keeps "
         "every row inside the die\n"},
        // Rows of unequal heights: the lowest one, the last, decides.
        {"s.scl", "Coordinate : 36\n  Height : 12", "Coordinate : 36\n  Height : 11", kPlacing,
         "s.nodes:5: movable object o0 is 12 high and the lowest row is 11 high; placement keeps each cell within one "
         "row\n"},
        // At the right end of the rows (LEGAL) or of the die (PLACE) o5's pin would pass the readers' bound.
        {"s.nets", "o5 I : 0.0 0.0", "o5 I : 999999968.0 0.0", kLegalizing,
         "s.nodes:10: movable object o5 has a pin 999999970 from its lower-left corner in x; with its corner at x 76, a "
         "spot in the "},
    };
    writeTextFile(dir + "/p.set", "Via_Cost = 1\nMaze_Routing_Timeout = 60\nPin_Blockage_Factor = 0.5\nBlockage_Expanding = 0\n");
    writeTextFile(dir + "/p0.set", readWholeFile(dir + "/p.set") + "Placement_Iteration = 0\n");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.to);
        writeSmallBookshelfSet(dir + "/");
        ASSERT_NO_FATAL_FAILURE(edit(c.file, c.from, c.to));
        for (const std::string mode : {"LEGAL", "PLACE", "TWOPIN", "PLACE0", "CONVERT"}) {
            if ((mode == "CONVERT" && c.refused != kRows) || (mode == "PLACE0" && c.refused != kLegalizing)) continue;
            for (const char* ext : {"", ".aux", ".lef", ".def"}) std::remove((dir + "/out" + ext).c_str());
            const CommandResult r = runHere(mode == "CONVERT" ? "CONVERT s.aux s.pl out"
                                            : mode == "PLACE0" ? "PLACE s.aux s.pl p0.set out"
                                                               : mode + " s.aux s.pl p.set out");
            if (mode == "TWOPIN" || mode == "PLACE0") {
                EXPECT_EQ(r.status, 0) << mode << "\n" << r.err;
                continue;
            }
            EXPECT_EQ(r.status, 1) << mode;
            EXPECT_EQ(r.err.rfind(c.message, 0), 0u) << mode << "\n" << r.err;
            for (const char* work : {"block_expanding=", "BuildMovableTree", "totalMST", "Legalization:", "output LEF"})
                EXPECT_EQ(r.out.find(work), std::string::npos) << mode << " " << work;
            for (const char* ext : {"", ".aux", ".lef", ".def"})
                EXPECT_FALSE(std::ifstream(dir + "/out" + ext).good()) << mode << ext;
        }
        // The routing modes do not place cells and read the same set.
        if (std::string(c.file) == "s.scl") {
            EXPECT_EQ(runHere("REGULAR s.aux s.pl p.set out 2").status, 0);
        }
    }
}

// Sets at the edges of the number range, through LEGAL and PLACE into place_check:
// - the small set moved 40 units left, rows and die at negative x; o5, already
//   legal at x = -2, stays there (its cluster wishes -1.5, rounded to -2, which
//   must not read as "not placed");
// - two cells of 100000 x 100000 on G-cells of that size, their net on a layer
//   without horizontal tracks: areas beyond int in the bins, in the density cost
//   of the re-placement loop and in the legalizer;
// - rows of unequal heights, the taller one covered by a terminal, and cells as
//   tall as the lower row whose area is exactly its free area;
// - a cell of 25 connections to a terminal far off on G-cells of 10^8: local wire
//   lengths beyond int in the detailed placement;
// - cells of 100000 x 100000 and 50000 x 100000 without connections, on two
//   tiles with 5e9 of free row area in the first and a 5e9 cell in the second:
//   the true areas send the first cell to the second tile (a 32-bit product
//   would keep it); one site more of cell width is refused by its true area.
TEST_F(PlacingModes, RowsAtNegativeXAndAreasBeyondIntArePlaced) {
    writeSmallBookshelfSet(dir + "/");
    ASSERT_NO_FATAL_FAILURE(edit("s.route", "GridOrigin : 0 0", "GridOrigin : -40 0"));
    std::string scl = readWholeFile(dir + "/s.scl");
    for (size_t at; (at = scl.find("SubrowOrigin : 0 ")) != std::string::npos;) scl.replace(at, 17, "SubrowOrigin : -40 ");
    std::string big = "UCLA scl 1.0\nNumRows : 2\n";
    for (const char* y : {"0", "100000"})
        big += std::string("CoreRow Horizontal\n Coordinate : ") + y + "\n Height : 100000\n Sitewidth : 1\n"
               " Sitespacing : 1\n Siteorient : N\n Sitesymmetry : Y\n SubrowOrigin : 0 NumSites : 500000\nEnd\n";
    std::string wideNets = "NumNets : 25\nNumPins : 50\n\n";
    for (int n = 0; n < 25; ++n) wideNets += "NetDegree : 2 n" + std::to_string(n) + "\n o0 O : 0.0 0.0\n o1 I : 0.0 0.0\n";
    const std::string row = "CoreRow Horizontal\n Coordinate : %\n Sitewidth : 1\n Sitespacing : 1\n Siteorient : N\n"
                            " Sitesymmetry : Y\n SubrowOrigin : 0 NumSites : ";
    auto rowAt = [&](const std::string& y, const std::string& height, const std::string& sites) {
        std::string r = row;
        return r.replace(r.find('%'), 1, y + "\n Height : " + height) + sites + "\nEnd\n";
    };
    const std::pair<std::string, std::string> files[] = {
        {"s.scl", scl},
        {"s.shapes", "shapes 1.0\n\nNumNonRectangularNodes : 1\n\no3 : 2\n  Shape_0 0 0 10 12\n  Shape_1 0 12 5 12\n"},
        {"s.pl", "UCLA pl 1.0\n\no0 -40 0 : N\no1 -33 0 : N\no2 -21 12 : N\no3 0 0 : N /FIXED\n"
                 "o4 20 24 : N /FIXED\no5 -2 36 : N\np0 30 40 : N /FIXED\np1 30 40 : N /FIXED\n"},
        {"b.aux", "RowBasedPlacement : b.nodes b.nets s.wts b.pl b.scl b.shapes b.route\n"},
        {"b.nodes", "NumNodes : 3\nNumTerminals : 1\no0 100000 100000\no1 100000 100000\no2 100000 100000 terminal\n"},
        {"b.nets", "NumNets : 1\nNumPins : 2\n\nNetDegree : 2 n0\n o0 O : 0.0 0.0\n o1 I : 0.0 0.0\n"},
        {"b.pl", "UCLA pl 1.0\no0 0 0 : N\no1 200000 0 : N\no2 400000 100000 : N /FIXED\n"},
        {"b.scl", big},
        {"b.shapes", "NumNonRectangularNodes : 0\n"},
        {"b.route", "Grid : 5 2 2\nVerticalCapacity : 0 20\nHorizontalCapacity : 1 0\nMinWireWidth : 1 1\n"
                    "MinWireSpacing : 1 1\nViaSpacing : 0 0\nGridOrigin : 0 0\nTileSize : 100000 100000\n"
                    "BlockagePorosity : 0\nNumNiTerminals : 0\nNumBlockageNodes : 0\n"},
        {"e.aux", "RowBasedPlacement : e.nodes e.nets s.wts e.pl e.scl b.shapes e.route\n"},
        {"e.nodes", "NumNodes : 3\nNumTerminals : 1\no0 5 10\no1 5 10\no2 10 12 terminal\n"},
        {"e.nets", "NumNets : 1\nNumPins : 2\n\nNetDegree : 2 n0\n o0 O : 0.0 0.0\n o1 I : 0.0 0.0\n"},
        {"e.pl", "UCLA pl 1.0\no0 0 12 : N\no1 4 12 : N\no2 0 0 : N /FIXED\n"},
        {"e.scl", "NumRows : 2\n" + rowAt("0", "12", "10") + rowAt("12", "10", "10")},
        {"e.route", "Grid : 2 2 2\nVerticalCapacity : 0 20\nHorizontalCapacity : 20 0\nMinWireWidth : 1 1\n"
                    "MinWireSpacing : 1 1\nViaSpacing : 0 0\nGridOrigin : 0 0\nTileSize : 5 11\n"
                    "BlockagePorosity : 0\nNumNiTerminals : 0\nNumBlockageNodes : 0\n"},
        {"w.aux", "RowBasedPlacement : w.nodes w.nets s.wts w.pl w.scl b.shapes w.route\n"},
        {"w.nodes", "NumNodes : 2\nNumTerminals : 1\no0 10 10\no1 1 1 terminal\n"},
        {"w.nets", wideNets},
        {"w.pl", "UCLA pl 1.0\no0 0 0 : N\no1 150000000 50000000 : N /FIXED\n"},
        {"w.scl", "NumRows : 1\n" + rowAt("0", "10", "200000000")},
        {"w.route", "Grid : 2 1 2\nVerticalCapacity : 0 20\nHorizontalCapacity : 20 0\nMinWireWidth : 1 1\n"
                    "MinWireSpacing : 1 1\nViaSpacing : 0 0\nGridOrigin : 0 0\nTileSize : 100000000 100000000\n"
                    "BlockagePorosity : 0\nNumNiTerminals : 0\nNumBlockageNodes : 0\n"},
        {"t.aux", "RowBasedPlacement : t.nodes t.nets s.wts t.pl t.scl b.shapes t.route\n"},
        {"t.nodes", "NumNodes : 4\nNumTerminals : 2\no0 100000 100000\no1 50000 100000\no2 50000 100000 terminal\n"
                    "p0 1 1 terminal_NI\n"},
        {"t.nets", "NumNets : 1\nNumPins : 2\n\nNetDegree : 2 n0\n o2 O : 0.0 0.0\n p0 I : 0.0 0.0\n"},
        {"t.pl", "UCLA pl 1.0\no0 0 0 : N\no1 150000 0 : N\no2 0 0 : N /FIXED\np0 150000 50000 : N /FIXED\n"},
        {"t.scl", "NumRows : 1\n" + rowAt("0", "100000", "200000")},
        {"t.route", "Grid : 2 1 2\nVerticalCapacity : 0 20\nHorizontalCapacity : 1 0\nMinWireWidth : 1 1\n"
                    "MinWireSpacing : 1 1\nViaSpacing : 0 0\nGridOrigin : 0 0\nTileSize : 100000 100000\n"
                    "BlockagePorosity : 0\nNumNiTerminals : 1\np0 1\nNumBlockageNodes : 0\n"},
        {"p.set", "Via_Cost = 1\nMaze_Routing_Timeout = 60\nPin_Blockage_Factor = 0.5\nRounds_Per_Iteration = 2\n"},
    };
    for (const auto& f : files) writeTextFile(dir + "/" + f.first, f.second);
    for (const char* set : {"s", "b", "e", "w", "t"})
        for (const char* mode : {"LEGAL", "PLACE"}) {
            const std::string aux = std::string(set) + ".aux", pl = std::string(set) + ".pl";
            const CommandResult r = runHere(std::string(mode) + " " + aux + " " + pl + " p.set out.pl");
            ASSERT_EQ(r.status, 0) << mode << " " << set << "\n" << r.out << r.err;
            EXPECT_EQ(r.out.find("ERROR"), std::string::npos) << r.out;
            const CommandResult chk = runCommand(tools + "/place_check " + dir + "/" + aux + " " + dir + "/out.pl");
            EXPECT_EQ(chk.status, 0) << mode << " " << set << "\n" << chk.out << chk.err;
            const std::string placed = readWholeFile(dir + "/out.pl");
            if (std::string(set) == "s" && std::string(mode) == "LEGAL") {
                EXPECT_NE(placed.find("\no5 -2 36 : N\n"), std::string::npos) << placed;
            }
            if (std::string(set) == "b") {
                EXPECT_NE(r.out.find("cellArea=20000000000  totalBinDem=20000000000\n"), std::string::npos);
            }
            if (std::string(set) == "e") {
                EXPECT_NE(r.out.find("subRowCap=100  totalBinCap=100\ncellArea=100 "), std::string::npos) << r.out;
            }
            if (std::string(set) == "w" && std::string(mode) == "PLACE") {
                EXPECT_NE(r.out.find("move2White(impr=1249999872, "), std::string::npos) << r.out;
            }
            if (std::string(set) == "t" && std::string(mode) == "PLACE") {
                EXPECT_NE(r.out.find("  numMoveCell=2  "), std::string::npos) << r.out;
                EXPECT_NE(placed.find("\no0 100000 0 : N\no1 50000 0 : N\n"), std::string::npos) << placed;
            }
        }
    writeTextFile(dir + "/t.nodes", "NumNodes : 4\nNumTerminals : 2\no0 100000 100000\no1 50001 100000\n"
                                    "o2 50000 100000 terminal\np0 1 1 terminal_NI\n");
    const CommandResult wider = runHere("LEGAL t.aux t.pl p.set out.pl");
    EXPECT_EQ(wider.status, 1);
    EXPECT_EQ(wider.err, "ERROR: the movable cells cannot be legalized: their area of 15000100000 exceeds the "
                         "15000000000 of free row area\n");
}

// Rows that touch without overlapping are accepted by every mode that checks the
// rows, on the small set's 80 x 48 die:
// - end to end: each of the four row lines split at x = 37 into two rows, the
//   right one listed first, both reaching the die's edges;
// - side by side: rows of height 12 over x 0 to 40 (tops 12 to 48) beside rows
//   of height 16 over x 40 to 80 (tops 16 to 48), touching at x = 40.
// The start places o1 across the join at y = 2 and o5 across it at y = 34 (no
// row bottom there in either layout), so LEGAL and PLACE must move them; their
// .pl passes place_check, and CONVERT writes one DEF row per .scl row.
TEST_F(PlacingModes, RowsTouchingEndToEndOrOfUnequalHeightsSideBySideArePlaced) {
    auto row = [](int y, int height, int x, int sites) {
        return "CoreRow Horizontal\n  Coordinate : " + std::to_string(y) + "\n  Height : " + std::to_string(height) +
               "\n  Sitewidth : 1\n  Sitespacing : 1\n  Siteorient : N\n  Sitesymmetry : Y\n  SubrowOrigin : " +
               std::to_string(x) + " NumSites : " + std::to_string(sites) + "\nEnd\n";
    };
    std::string endToEnd = "UCLA scl 1.0\n\nNumRows : 8\n\n", sideBySide = "UCLA scl 1.0\n\nNumRows : 7\n\n";
    for (int y : {0, 12, 24, 36}) endToEnd += row(y, 12, 37, 43) + row(y, 12, 0, 37);
    for (int y : {0, 12, 24, 36}) sideBySide += row(y, 12, 0, 40);
    for (int y : {0, 16, 32}) sideBySide += row(y, 16, 40, 40);
    const struct {
        const char* name;
        std::string scl;
        int rows;
        const char* defRow;  // a DEF row line the conversion must write
    } layouts[] = {
        {"end to end", endToEnd, 8, "ROW row0 core 37000 0  N  DO 43000 "},
        {"side by side", sideBySide, 7, "ROW row6 core 40000 32000  N  DO 40000 "},
    };
    writeTextFile(dir + "/p.set", "Via_Cost = 1\nMaze_Routing_Timeout = 60\nPin_Blockage_Factor = 0.5\n");
    for (const auto& layout : layouts) {
        SCOPED_TRACE(layout.name);
        writeSmallBookshelfSet(dir + "/");
        writeTextFile(dir + "/s.scl", layout.scl);
        ASSERT_NO_FATAL_FAILURE(edit("s.pl", "o1 8 0 ", "o1 36 2 "));
        ASSERT_NO_FATAL_FAILURE(edit("s.pl", "o5 30 36 ", "o5 38 34 "));
        const CommandResult start = runCommand(tools + "/place_check " + dir + "/s.aux " + dir + "/s.pl");
        EXPECT_EQ(labelValue(start.out, "outside rows"), 2) << start.out << start.err;
        for (const std::string mode : {"LEGAL", "PLACE"}) {
            std::remove((dir + "/out.pl").c_str());
            const CommandResult r = runHere(mode + " s.aux s.pl p.set out.pl");
            ASSERT_EQ(r.status, 0) << mode << "\n" << r.err;
            EXPECT_EQ(r.out.find("ERROR"), std::string::npos) << mode;
            EXPECT_NE(r.out.find("Legalization: moveCellNum=4  unPlaceNum=0 "), std::string::npos) << mode;
            const CommandResult chk =
                runCommand(tools + "/place_check " + dir + "/s.aux " + dir + "/out.pl " + dir + "/s.pl");
            EXPECT_EQ(chk.status, 0) << mode << "\n" << chk.out << chk.err;
            EXPECT_EQ(labelValue(chk.out, "violations"), 0) << mode;
            EXPECT_EQ(labelValue(chk.out, "movable cells"), 4) << mode;
            EXPECT_EQ(labelValue(chk.out, "rows"), layout.rows) << mode;
            EXPECT_GT(labelValue(chk.out, "displacement"), 0) << mode;
        }
        const CommandResult conv = runHere("CONVERT s.aux s.pl out");
        ASSERT_EQ(conv.status, 0) << conv.out << conv.err;
        EXPECT_EQ(conv.out.find("ERROR"), std::string::npos);
        const std::string def = readWholeFile(dir + "/out.def");
        EXPECT_EQ(countOf(def, "\nROW row"), static_cast<size_t>(layout.rows)) << def;
        EXPECT_NE(def.find(layout.defRow), std::string::npos) << def;
    }
}

INSTANTIATE_TEST_SUITE_P(Generated, PlacementFlows,
                         ::testing::Values(Case{11, 3000, 48, "design.user.pl", 0.5},
                                           Case{12, 6000, 42, "design.pl", 0.8},
                                           Case{13, 8000, 39, "design.user.pl", 0.9}),
                         [](const ::testing::TestParamInfo<Case>& i) {
                             return "seed" + std::to_string(i.param.seed);
                         });

}  // namespace
