// The Bookshelf readers: a hand-made set with known values, the real contest
// files of ../shared/data, and every malformed case refused with file:line.

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>

#include "database/NetDB.h"
#include "database/Settings.h"
#include "database/bookshelf/Bookshelf.h"
#include "tests/common/RunCommand.h"

namespace {

// A set on an 8 by 5 grid of 10 by 20 G-cells from (100, 200), two layers
// (1 horizontal, 2 vertical, 20 tracks each); o3 is a macro that hangs over
// the die's upper right corner and blocks both layers.
std::map<std::string, std::string> baseSet() {
    return {
        {"d.aux", "RowBasedPlacement :  d.nodes  d.nets  d.wts  d.pl  d.scl  d.shapes  d.route\n"},
        {"d.nodes", "UCLA nodes 1.0\n"       // 1
                    "# a comment\n"          // 2
                    "NumNodes : 6\n"         // 3
                    "NumTerminals : 3\n"     // 4
                    "  o0 4 6\n"             // 5
                    "  o1 2 6\n"             // 6
                    "  o2 2 6\n"             // 7
                    "  o3 100 100 terminal\n"
                    "  p0 1 1 terminal_NI\n"
                    "  p1 1 1 terminal_NI\n"},
        {"d.nets", "UCLA nets 1.0\n"         // 1
                   "NumNets : 2\n"           // 2
                   "NumPins : 5\n"           // 3
                   "\n"                      // 4
                   "NetDegree : 3 n0\n"      // 5
                   "  o0 I : 1.5 -2.0\n"     // 6
                   "  o1 O : -1.7 0.0\n"     // 7
                   "  p1 I : 0.0 0.0\n"      // 8
                   "NetDegree : 2 n1\n"      // 9
                   "  o2 O\n"                // 10
                   "  o3 I : 10 10\n"},      // 11
        {"d.wts", "UCLA wts 1.0\n"},
        {"d.pl", "UCLA pl 1.0\n"
                 "o0 120.9 205.2 : N\n"
                 "o1 130 205 : N\n"
                 "o2 150 250 : N\n"
                 "o3 160 260 : N /FIXED\n"
                 "p0 100 200 : N /FIXED_NI\n"
                 "p1 179 299 : N /FIXED_NI\n"},
        {"d.scl", "UCLA scl 1.0\n"
                  "NumRows : 2\n"
                  "CoreRow Horizontal\n  Coordinate : 200\n  Height : 10\n  Sitewidth : 1\n  Sitespacing : 1\n"
                  "  Siteorient : N\n  Sitesymmetry : Y\n  SubrowOrigin : 100  NumSites : 80\nEnd\n"
                  "CoreRow Horizontal\n  Coordinate : 210\n  Height : 10\n  Sitewidth : 2\n  Sitespacing : 2\n"
                  "  Siteorient : FS\n  Sitesymmetry : Y\n  SubrowOrigin : 104  NumSites : 40\nEnd\n"},
        {"d.shapes", "shapes 1.0\n"
                     "NumNonRectangularNodes : 1\n"
                     "p0 : 1\n"
                     "  Shape_0 1 2 3 4\n"
                     "o2 : 1\n"
                     "  Shape_0 9 9 9 9\n"
                     "o2 : 2\n"
                     "  Shape_0 150 250 2 3\n"
                     "  Shape_1 151 253 1 3\n"},
        {"d.route", "route 1.0\n"                        // 1
                    "Grid : 8 5 2\n"                     // 2
                    "VerticalCapacity : 0 40\n"          // 3
                    "HorizontalCapacity : 41 0\n"        // 4
                    "MinWireWidth : 1 1\n"               // 5
                    "MinWireSpacing : 1 1\n"             // 6
                    "ViaSpacing : 0 0\n"                 // 7
                    "GridOrigin : 100 200\n"             // 8
                    "TileSize : 10 20\n"                 // 9
                    "BlockagePorosity : 0\n"             // 10
                    "NumNiTerminals : 1\n"               // 11
                    "\n"                                 // 12
                    "  p1 2\n"                           // 13
                    "NumBlockageNodes : 1\n"             // 14
                    "\n"                                 // 15
                    "  o3 2 1 2\n"                       // 16
                    "NumEdgeCapacityAdjustments : 2\n"   // 17
                    "  0 0 1 1 0 1 41\n"                 // 18
                    "  3 1 2 3 2 2 10\n"},               // 19
    };
}

std::string writeSet(const std::map<std::string, std::string>& files) {
    std::string dir = scratchDir();
    runCommand("rm -f " + dir + "d.*");
    for (const auto& [name, text] : files) writeTextFile(dir + name, text);
    return dir;
}

struct Loaded {
    NetDB db;
    parameterSet settings;
    std::string out;
};

void load(Loaded& r, const std::map<std::string, std::string>& files) {
    std::string dir = writeSet(files);
    testing::internal::CaptureStdout();
    Input_DAC((dir + "d.aux").c_str(), r.db, r.settings);
    r.out = testing::internal::GetCapturedStdout();
}

// Reading the hand-made set with one file replaced (or left out when `text` is
// empty) must end with status 1 and `message` on standard error or output.
void expectRefused(const std::string& file, const std::string& text, const std::string& message) {
    SCOPED_TRACE(file + ":\n" + text.substr(0, 300));
    auto files = baseSet();
    files[file] = text;
    if (text.empty()) files.erase(file);
    std::string dir = writeSet(files);
    EXPECT_EXIT(
        {
            dup2(2, 1);
            NetDB db;
            parameterSet s;
            Input_DAC((dir + "d.aux").c_str(), db, s);
        },
        ::testing::ExitedWithCode(1), message);
}

std::string replaced(const std::string& file, const std::string& from, const std::string& to) {
    std::string text = baseSet()[file];
    size_t at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    return text.replace(at, from.size(), to);
}

}  // namespace

TEST(BookshelfReader, HandMadeSet) {
    Loaded r;
    load(r, baseSet());
    const NetDB& db = r.db;
    // Objects: o0..o3 are objects 0..3, p0 and p1 follow them.
    ASSERT_EQ(db.cells.size(), 6u);
    EXPECT_EQ(db.cells[3].type, 1);
    EXPECT_EQ(db.cells[4].type, 2);
    // .pl values truncated.
    EXPECT_EQ((std::vector<int>{db.cells[0].xlow, db.cells[0].ylow}), (std::vector<int>{120, 205}));
    // Tracks: 41 / 2 is 20.
    EXPECT_EQ(db.hTracks, (std::vector<int>{20, 0}));
    EXPECT_EQ(db.vTracks, (std::vector<int>{0, 20}));
    // NI terminal p1 on layer 2, blocked layers of o3.
    EXPECT_EQ(db.cells[5].pinLayer, 1);
    EXPECT_EQ(db.cells[3].blockedLayers, (std::vector<int>{0, 1}));
    // Shapes: p objects ignored, a second list replaces the first.
    EXPECT_TRUE(db.cells[4].shapes.empty());
    ASSERT_EQ(db.cells[2].shapes.size(), 2u);
    EXPECT_EQ(db.cells[2].shapes[1].y, 253);
    // Pins: offsets from the lower-left corner, truncated toward zero; a pin
    // line without offsets sits at the centre.
    ASSERT_EQ(db.netInfos.size(), 2u);
    const auto& n0 = db.netInfos[0].pins;
    ASSERT_EQ(n0.size(), 3u);
    const auto& n1 = db.netInfos[1].pins;
    // n0: -1.7 + 0.5 + 1 = -0.2 truncates to 0.
    EXPECT_EQ((std::vector<int>{n0[0].xOffset, n0[0].yOffset, n0[1].xOffset, n0[2].cell}), (std::vector<int>{4, 1, 0, 5}));
    EXPECT_EQ((std::vector<int>{n1[0].xOffset, n1[0].yOffset, n1[1].xOffset}), (std::vector<int>{1, 3, 60}));
    // Rows.
    ASSERT_EQ(db.rows.size(), 2u);
    EXPECT_EQ((std::vector<int>{db.rows[1].y, db.rows[1].siteWidth, db.rows[1].siteSpacing}), (std::vector<int>{210, 2, 2}));
    // Capacity adjustments: the .route entry equal to its default is dropped, the
    // other kept first; then the eight edges that o3 closes (the clipping of a
    // blockage over the die corner is pinned in capacity_adjust_test.cpp).
    ASSERT_EQ(db.adjLocate.size(), 9u);
    const RPoint& a0 = db.adjLocate[0];
    EXPECT_EQ((std::vector<int>{a0.hori, a0.x, a0.y, a0.z, db.adjCapacity[0]}), (std::vector<int>{0, 3, 1, 1, 5}));
    // Console: every file named once; the provisional pin count, taken with
    // every object at (0, 0) left of the origin, prints no "ERROR".
    EXPECT_EQ(r.out.rfind("read ", 0), 0u);
    EXPECT_NE(r.out.find("d.nodes\n"), std::string::npos);
    EXPECT_EQ(r.out.find("ERROR"), std::string::npos);
}

TEST(BookshelfReader, RealContestFiles) {
    // shared/ stands beside the clone; a worktree of the clone sits one level deeper.
    std::string dir;
    for (const char* up : {"/../shared/data/superblue19-partial/", "/../../shared/data/superblue19-partial/"})
        if (dir.empty() && runCommand("test -r " + std::string(TARVEX_SOURCE_DIR) + up + "superblue19.route").status == 0)
            dir = std::string(TARVEX_SOURCE_DIR) + up;
    if (dir.empty())
        GTEST_SKIP() << "the contest files are not in ../shared/data/superblue19-partial beside " << TARVEX_SOURCE_DIR;
    // The .nodes file is not shipped: the blockage and NI names reach o506382
    // and p16391.
    NetDB db;
    db.objectCount = 506383;
    db.cells.assign(506383 + 16392, placeCell());
    testing::internal::CaptureStdout();
    read_shape_file((dir + "superblue19.shapes").c_str(), db.cells);
    read_route_file((dir + "superblue19.route").c_str(), db.cells, db);
    read_scl_file((dir + "superblue19.scl").c_str(), db);
    std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(out.find("fail in route"), std::string::npos);

    EXPECT_EQ((std::vector<int>{db.gridX, db.gridY, db.layerNum, db.tileW, db.tileH, db.originX}),
              (std::vector<int>{321, 518, 9, 32, 40, 0}));
    EXPECT_EQ(db.vCap, (std::vector<int>{0, 40, 0, 40, 0, 48, 0, 48, 0}));
    EXPECT_EQ(db.hCap, (std::vector<int>{0, 0, 40, 0, 48, 0, 48, 0, 48}));
    EXPECT_EQ(db.pitch, (std::vector<int>{2, 2, 2, 2, 4, 4, 4, 8, 8}));
    EXPECT_EQ(db.vTracks, (std::vector<int>{0, 20, 0, 20, 0, 12, 0, 6, 0}));
    EXPECT_EQ(db.totalVerticalTracks, 58);
    EXPECT_EQ(db.totalHorizontalTracks, 20 + 12 + 12 + 6);
    EXPECT_TRUE(db.adjLocate.empty());
    // Every NI terminal's pins on layer 5.
    for (int p = 0; p < 16392; ++p) ASSERT_EQ(db.cells[static_cast<size_t>(506383 + p)].pinLayer, 4) << p;
    EXPECT_EQ(db.cells[506097].blockedLayers, (std::vector<int>{0, 1, 2, 3}));
    EXPECT_EQ(db.cells[506382].blockedLayers.size(), 4u);
    ASSERT_EQ(db.cells[506097].shapes.size(), 666u);
    const auto& sh = db.cells[506097].shapes[0];
    EXPECT_EQ((std::vector<int>{sh.x, sh.y, sh.w, sh.h}), (std::vector<int>{3798, 81, 413, 9}));
    int shaped = 0;
    for (const placeCell& c : db.cells) shaped += !c.shapes.empty();
    EXPECT_EQ(shaped, 22);
    ASSERT_EQ(db.rows.size(), 2294u);
    EXPECT_EQ((std::vector<int>{db.rows[0].y, db.rows[0].height, db.rows[0].x, db.rows[0].numSites, db.rows[1].y}),
              (std::vector<int>{18, 9, 18, 10208, 27}));

    // The shaped macros are absolute, so they reduce capacities without a placement.
    adjust_capacity(db.cells, db);
    ASSERT_FALSE(db.adjLocate.empty());
    for (size_t i = 0; i < db.adjLocate.size(); ++i) {
        const RPoint& a = db.adjLocate[i];
        ASSERT_LT(a.z, 4);
        const int tracks = a.hori ? db.hTracks[static_cast<size_t>(a.z)] : db.vTracks[static_cast<size_t>(a.z)];
        ASSERT_LT(db.adjCapacity[i], tracks);
        ASSERT_GE(db.adjCapacity[i], 0);
    }
}

TEST(BookshelfReader, RefusesMalformedFilesWithFileAndLine) {
    const std::string nodes = baseSet()["d.nodes"];
    expectRefused("d.nodes", "UCLA nodes 1.0\n  o0 4 6\nNumNodes : 1\nNumTerminals : 0\n", "d\\.nodes:2: .*before the NumNodes");
    expectRefused("d.nodes", nodes + "  p2 1 1\n", "d\\.nodes:11: more object lines than the 6 of NumNodes");
    expectRefused("d.nodes", replaced("d.nodes", "  p1 1 1 terminal_NI\n", ""),
                  "d\\.nodes:9: the file has 5 object lines, NumNodes says 6");
    expectRefused("d.nodes", replaced("d.nodes", "o2 2 6", "o7 2 6"), "d\\.nodes:7: object \"o7\" stands where o2 belongs");
    expectRefused("d.nodes", replaced("d.nodes", "o1 2 6", "o1 2.5 6"), "d\\.nodes:6: the width of an object is not an integer");
    expectRefused("d.nodes", replaced("d.nodes", "NumNodes : 6", "NumNodes : 999999999"),
                  "d\\.nodes:3: the node count 999999999 is larger than the file can hold");
    expectRefused("d.nets", "NetDegree : 1 a\n  o0 I : 0 0\nNumNets : 1\nNumPins : 1\n",
                  "d\\.nets:1: a net block before the NumNets");
    expectRefused("d.nets", replaced("d.nets", "NumNets : 2\n", "NumNets : 1\n"), "d\\.nets:9: more net blocks than the 1");
    expectRefused("d.nets", replaced("d.nets", "NumNets : 2\n", "NumNets : 3\n"), "d\\.nets:11: the file ends after 2 of the 3 nets");
    expectRefused("d.nets", replaced("d.nets", "NetDegree : 3 n0", "NetDegree : 2 n0"),
                  "d\\.nets:8: net \"n0\" has more pin lines than its NetDegree 2");
    expectRefused("d.nets", replaced("d.nets", "NetDegree : 2 n1", "NetDegree : 1 n1"),
                  "d\\.nets:11: net \"n1\" has more pin lines than its NetDegree 1");
    expectRefused("d.nets", replaced("d.nets", "NetDegree : 3 n0", "NetDegree : 4 n0"),
                  "d\\.nets:9: net \"n0\" has 3 pin lines, fewer than its NetDegree 4");
    expectRefused("d.nets", replaced("d.nets", "  o1 O", "  x1 O"), "d\\.nets:7: object name \"x1\" does not begin with o, p or A");
    expectRefused("d.nets", replaced("d.nets", "  o1 O", "  o4 O"), "d\\.nets:7: object \"o4\" is beyond the 4 o objects");
    expectRefused("d.nets", replaced("d.nets", "  p1 I", "  p2 I"), "d\\.nets:8: object \"p2\" is beyond the 2 p objects");
    expectRefused("d.nets", replaced("d.nets", "1.5 -2.0", "1.5 -2.0x"), "d\\.nets:6: the y offset of the pin is missing or not");
    expectRefused("d.nets", replaced("d.nets", "NetDegree : 2 n1", "NetDegree : two n1"), "d\\.nets:9: the NetDegree line needs");
    // The direction keeps its own "ERROR" line on standard output and ends the run.
    expectRefused("d.nets", replaced("d.nets", "o1 O", "o1 B"), "d\\.nets:7: the pin direction must be I or O");
    expectRefused("d.nets", replaced("d.nets", "o1 O", "o1 B"), "ERROR: Parser 641 tmpChar=B\n");
    expectRefused("d.pl", replaced("d.pl", "o2 150 250", "o2 150 abc"), "d\\.pl:4: the y of an object is not a finite number");
    expectRefused("d.pl", replaced("d.pl", "o2 150 250", "o9 150 250"), "d\\.pl:4: object \"o9\" is beyond");
    expectRefused("d.pl", replaced("d.pl", "o2 150 250", "o2 1e12 250"), "d\\.pl:4: the position of the object does not fit");
    expectRefused("d.scl", replaced("d.scl", "NumRows : 2", "NumRows : 1"), "d\\.scl:13: more Coordinate entries than the 1 rows");
    expectRefused("d.scl", replaced("d.scl", "NumRows : 2", "NumRows : 3"), "d\\.scl:2[0-9]: the file has 2 Coordinate entries, NumRows says 3");
    expectRefused("d.scl", "UCLA scl 1.0\nCoordinate : 1\n", "d\\.scl:2: a Coordinate entry before the NumRows");
    expectRefused("d.scl", replaced("d.scl", "Height : 10\n  Sitewidth : 2", "Height : 10\n  Sitewidth : x"),
                  "d\\.scl:15: the site width is not an integer");
    expectRefused("d.route", replaced("d.route", "  o3 2 1 2", "  o3 2 1 3"), "d\\.route:16: the blocked layer 3 is outside 1..2");
    expectRefused("d.route", replaced("d.route", "  o3 2 1 2", "  o3 2 0 2"), "d\\.route:16: the blocked layer 0 is outside 1..2");
    expectRefused("d.route", replaced("d.route", "  p1 2", "  p2 2"), "d\\.route:13: object \"p2\" is beyond the 2 p objects");
    expectRefused("d.route", replaced("d.route", "  p1 2", "  p1 3"), "d\\.route:13: the NI terminal's layer 3 is outside 1..2");
    std::string zeroPitch = replaced("d.route", "MinWireWidth : 1 1", "MinWireWidth : 1 0");
    zeroPitch.replace(zeroPitch.find("MinWireSpacing : 1 1"), 20, "MinWireSpacing : 1 0");
    expectRefused("d.route", zeroPitch, "d\\.route:19: layer 2 has no positive pitch");
    expectRefused("d.route", zeroPitch.substr(0, zeroPitch.find("NumEdge")), "d\\.route:6: layer 2 has pitch 0");
    expectRefused("d.route", replaced("d.route", "3 1 2 3 2 2 10", "3 1 3 3 2 3 10"),
                  "d\\.route:19: the first layer of an adjustment 3 is outside 1..2");
    expectRefused("d.route", replaced("d.route", "3 1 2 3 2 2 10", "3 1 2 4 2 2 10"), "d\\.route:19: the adjustment joins G-cells that are not");
    expectRefused("d.route", replaced("d.route", "3 1 2 3 2 2 10", "3 4 2 3 5 2 10"), "d\\.route:19: the adjustment names G-cell \\(3, 5\\)");
    expectRefused("d.route", replaced("d.route", "TileSize : 10 20", "TileSize : 10 0"), "d\\.route:9: the G-cell width and height must be positive");
    expectRefused("d.route", replaced("d.route", "Grid : 8 5 2\n", "") + "Grid : 8 5 2\n", "d\\.route:2: VerticalCapacity comes before the Grid");
    expectRefused("d.route", replaced("d.route", "HorizontalCapacity : 41 0", "HorizontalCapacity : 41 zero"),
                  "d\\.route:4: a per-layer value is not an integer");
    expectRefused("d.shapes", replaced("d.shapes", "Shape_1 151 253 1 3", "Shape_1 151 253 1"), "d\\.shapes:9: the file ends before the height of a shape");
    expectRefused("d.shapes", replaced("d.shapes", "o2 : 2", "o8 : 2"), "d\\.shapes:7: object \"o8\" is beyond");
    expectRefused("d.aux", "RowBasedPlacement : d.nodes d.nets\n", "d\\.aux:1: the \\.aux file names 2 files");
    expectRefused("d.scl", "", "File .*d\\.scl not exists!");
    // Values beyond the accepted coordinate range, and kinds that disagree with the names.
    expectRefused("d.nodes", replaced("d.nodes", "o3 100 100 terminal", "o3 100 100 terminal_NI"), "d\\.nodes:8: an object named o or A cannot be terminal_NI");
    expectRefused("d.nodes", replaced("d.nodes", "p0 1 1 terminal_NI", "p0 1 1 terminal"), "d\\.nodes:9: a p object cannot be terminal");
    expectRefused("d.nodes", replaced("d.nodes", "p0 1 1 terminal_NI", "p0 1 1"), "d\\.nodes:9: a p object must be marked terminal_NI");
    expectRefused("d.nodes", replaced("d.nodes", "p1 1 1 terminal_NI", "p1 1 1"), "d\\.nodes:10: a p object must be marked terminal_NI");
    expectRefused("d.nodes", replaced("d.nodes", "o1 2 6", "o1 1000000001 6"), "d\\.nodes:6: the width and height of an object must be at most 1000000000");
    expectRefused("d.nets", replaced("d.nets", "o0 I : 1.5", "o0 I : 1100000000"), "d\\.nets:6: the pin's offset from the object's lower-left corner \\(1100000002, 1\\) is outside -1000000000\\.\\.1000000000");
    expectRefused("d.pl", replaced("d.pl", "o2 150 250", "o2 999999999 250"), "d\\.pl:4: the object's upper-right corner or one of its pins lies outside");
    expectRefused("d.shapes", replaced("d.shapes", "Shape_1 151 253 1 3", "Shape_1 151 253 2 3"), "d\\.pl:4: shape 2 of object o2 \\(x 151, y 253, width 2, height 3 in the \\.shapes file\\) reaches outside the object's box \\(150, 250\\)-\\(152, 256\\) at this position");
    expectRefused("d.pl", replaced("d.pl", "o2 150 250 : N\n", ""), "d\\.pl:6: shape 1 of object o2 .* box \\(0, 0\\)-\\(2, 6\\), where it stands unplaced by this file");
    expectRefused("d.shapes", replaced("d.shapes", "Shape_0 150 250", "Shape_0 -2147483648 250"), "d\\.shapes:8: the x of a shape -2147483648 is outside -1000000000\\.\\.1000000000");
    expectRefused("d.scl", replaced("d.scl", "SubrowOrigin : 100", "SubrowOrigin : 2147483000"), "d\\.scl:10: the row's SubrowOrigin 2147483000 is outside");
    expectRefused("d.scl", replaced("d.scl", "NumSites : 40", "NumSites : 999999999"), "d\\.scl:19: the row's end \\(SubrowOrigin \\+ NumSites\\) 1000000103 is outside");
    expectRefused("d.route", replaced("d.route", "TileSize : 10 20", "TileSize : 10 1100000000"), "d\\.route:9: the G-cell width and height must be at most 100000000 \\(got 10 and 1100000000\\)");
    expectRefused("d.route", replaced("d.route", "GridOrigin : 100 200", "GridOrigin : -2147483648 200"), "d\\.route:8: the origin x -2147483648 is outside");
    expectRefused("d.route", replaced("d.route", "GridOrigin : 100 200", "GridOrigin : 100 999999950"), "d\\.route:9: the die's top edge \\(origin y \\+ grid height x G-cell height\\) 1000000050 is outside");
}

TEST(BookshelfReader, LongNamesAndLinesAreReadWhole) {
    // A net name of 300,000 characters and a comment line of 3,000,000: longer
    // than the reading buffer, read whole.
    const std::string longName(300000, 'n');
    auto files = baseSet();
    files["d.nets"] = "# " + std::string(3000000, 'c') + "\n" + replaced("d.nets", "NetDegree : 2 n1", "NetDegree : 2 " + longName);
    Loaded r;
    load(r, files);
    ASSERT_EQ(r.db.netInfos.size(), 2u);
    EXPECT_EQ(r.db.netInfos[1].name, longName);
    // A long object name is refused, shown cut short.
    expectRefused("d.nets", replaced("d.nets", "  o1 O", "  o" + std::string(200000, '1') + " O"),
                  "d\\.nets:7: object name \"o1111.*\\.\\.\\.\" is not \"o\" or \"p\" followed by a number");
}

TEST(BookshelfReader, CrAndCrLfLineEndsReadAsLf) {
    auto ends = [](const std::string& text, const std::string& end) {
        std::string out;
        for (char c : text) out += c == '\n' ? end : std::string(1, c);
        return out;
    };
    Loaded lf;
    load(lf, baseSet());
    for (const std::string end : {"\r", "\r\n"}) {
        SCOPED_TRACE(end == "\r" ? "CR" : "CR LF");
        auto files = baseSet();
        for (auto& [name, text] : files) text = ends(text, end);
        Loaded r;
        load(r, files);
        EXPECT_EQ(r.out, lf.out);
        EXPECT_EQ((std::vector<size_t>{r.db.netInfos.size(), r.db.rows.size(), r.db.adjLocate.size()}),
                  (std::vector<size_t>{2, 2, lf.db.adjLocate.size()}));
        EXPECT_EQ((std::vector<int>{r.db.cells[2].xlow, r.db.cells[2].ylow}), (std::vector<int>{150, 250}));
        // Refusals name the same line as in the LF file.
        expectRefused("d.nets", ends(replaced("d.nets", "  o1 O", "  x1 O"), end), "d\\.nets:7: object name \"x1\"");
    }
}
