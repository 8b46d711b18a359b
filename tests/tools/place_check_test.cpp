// The independent placement checker on a small hand-made Bookshelf set.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/tools/tool_runner.h"

namespace {

// Two rows of 40 sites (height 10); a terminal o3 on [20,30) x [0,20); an NI terminal p0.
class PlaceCheck : public tooltest::ScratchTest {
protected:
    // place_check on the files named, each in the folder.
    CommandResult check(const std::vector<std::string>& files) {
        std::string args;
        for (const std::string& f : files) args += "'" + dir + "/" + f + "' ";
        return run("place_check", args);
    }
    void SetUp() override {
        ScratchTest::SetUp();
        writeTextFile(dir + "/d.aux", "RowBasedPlacement : d.nodes d.nets d.wts d.pl d.scl d.shapes d.route\n");
        writeTextFile(dir + "/d.nodes",
                      "UCLA nodes 1.0\n# comment\nNumNodes : 5\nNumTerminals : 2\n"
                      "o0 4 10\no1 6 10\no2 3 10\no3 10 20 terminal\np0 2 2 terminal_NI\n");
        writeTextFile(dir + "/d.nets",
                      "UCLA nets 1.0\nNumNets : 2\nNumPins : 5\n"
                      "NetDegree : 3 n0\n\to0 I : 0.5 1.0\n\to1 O : -1.0 0.0\n\tp0 I : 0 0\n"
                      "NetDegree : 2 n1\n\to2 I : 0 0\n\to3 O : 0 0\n");
        writeTextFile(dir + "/d.pl",
                      "UCLA pl 1.0\no0 0 0 : N\no1 5 0 : N\no2 13 10 : N\no3 20 0 : N /FIXED\np0 1 1 : N /FIXED_NI\n");
        std::string scl = "UCLA scl 1.0\nNumRows : 2\n";
        for (int y : {0, 10})
            scl += "CoreRow Horizontal\n  Coordinate : " + std::to_string(y) +
                   "\n  Height : 10\n  Sitewidth : 1\n  Sitespacing : 1\n  Siteorient : N\n  Sitesymmetry : Y\n"
                   "  SubrowOrigin : 0 NumSites : 40\nEnd\n";
        writeTextFile(dir + "/d.scl", scl);
        writeTextFile(dir + "/d.shapes", "shapes 1.0\nNumNonRectangularNodes : 0\n");
    }
};

TEST_F(PlaceCheck, LegalPlacementPassesAndReportsHpwl) {
    CommandResult r = check({"d.aux", "d.pl"});
    EXPECT_EQ(r.status, 0) << r.out << r.err;
    // n0: pins (3,6) (7,5) (2,2) -> 9; n1: (15,15) (25,10) -> 15.
    tooltest::expectFigures(r.out, {{"violations", 0}, {"movable cells", 3}, {"hpwl", 24}});
    EXPECT_NE(r.out.find("place_check: PASS violations=0 "), std::string::npos);
}

TEST_F(PlaceCheck, ReportsEachKindOfViolation) {
    // o0/o1 overlap by 1 x 10; o2 sits on the terminal; the terminal moved by 1 (and so
    // overlaps nothing new); p0 (NI) under o0 blocks nothing.
    writeTextFile(dir + "/bad.pl", "o0 0 0 : N\no1 3 0 : N\no2 28 10 : N\no3 21 0 : N /FIXED\np0 1 1 : N /FIXED_NI\n");
    CommandResult r = check({"d.aux", "bad.pl"});
    EXPECT_EQ(r.status, 1);
    tooltest::expectFigures(r.out, {{"overlaps", 1}, {"overlap area", 10 + 3 * 10}, {"fixed overlaps", 1},
                                    {"fixed moved", 1}, {"displacement", 2 + 15}});
    // Off the rows (y 5), past the row end, and off the site grid (x 2.5).
    writeTextFile(dir + "/rows.pl", "o0 0 5 : N\no1 36 0 : N\no2 2.5 10 : N\n");
    r = check({"d.aux", "rows.pl"});
    EXPECT_EQ(r.status, 1);
    tooltest::expectFigures(r.out, {{"outside rows", 2}, {"off site", 1}, {"fixed moved", 0}});
    // A reference .pl of its own measures displacement from there.
    tooltest::expectFigures(check({"d.aux", "d.pl", "rows.pl"}).out, {{"displacement", 5 + 31 + 11}});
}

TEST_F(PlaceCheck, RefusesMalformedInput) {
    writeTextFile(dir + "/bad.pl", "o0 0 zero : N\n");
    CommandResult r = check({"d.aux", "bad.pl"});
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("bad.pl:1:"), std::string::npos) << r.err;
    writeTextFile(dir + "/unknown.pl", "q9 0 0 : N\n");
    r = check({"d.aux", "unknown.pl"});
    EXPECT_EQ(r.status, 2);
    r = check({"missing.aux", "d.pl"});
    EXPECT_EQ(r.status, 2);
}

}  // namespace
