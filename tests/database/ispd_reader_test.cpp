#include <gtest/gtest.h>

#include "tests/common/RunCommand.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "database/MemoryBudget.h"
#include "database/NetDB.h"
#include "database/Parser.h"
#include "database/Settings.h"

namespace {

// Header of a 8 by 5 grid on 2 layers, origin (100, 200), G-cells 10 by 20;
// the caller appends "num net" and the rest from line 9 on.
const std::string kHeader =
    "grid 8 5 2\n"                  // 1
    "vertical capacity 0 30\n"      // 2
    "horizontal capacity 40 0\n"    // 3
    "minimum width 1 2\n"           // 4
    "minimum spacing 1 1\n"         // 5
    "via spacing 1 1\n"             // 6
    "100 200 10 20\n"               // 7
    "\n";                           // 8

const std::string kTwoNets =
    "num net 2\n"      // 9
    "a 10 2 1\n"       // 10
    "105 205 1\n"      // 11
    "125 245 2\n"      // 12
    "b 11 2 1\n"       // 13
    "100 200 1\n"      // 14
    "179 299 1\n";     // 15

struct Read {
    NetDB db;
    parameterSet settings;
    std::string out;
};

void readInto(Read& r, const std::string& text, int maxPins = 2147483647) {
    std::string path = scratchPath("ispd_ok.gr");
    writeTextFile(path, text);
    setDefaultParameter(r.db, r.settings, false);
    r.settings.maxPinsPerNet = maxPins;
    testing::internal::CaptureStdout();
    Input_ISPD(path.c_str(), r.db, r.settings);
    r.out = testing::internal::GetCapturedStdout();
}

// Reading must end with status 1 and one line on standard error matching `message`.
void expectRejected(const std::string& text, const std::string& message) {
    std::string path = scratchPath("bad.gr");
    writeTextFile(path, text);
    EXPECT_EXIT(
        {
            if (!std::freopen("/dev/null", "w", stdout)) std::exit(2);
            NetDB db;
            parameterSet s;
            setDefaultParameter(db, s, false);
            Input_ISPD(path.c_str(), db, s);
        },
        ::testing::ExitedWithCode(1), "bad\\.gr:" + message);
}

std::string withNets(const std::string& nets, const std::string& adjustments = "0\n") {
    return kHeader + nets + "\n" + adjustments;
}

// The whole file with `from` in the header replaced by `to`.
std::string headerWith(const std::string& from, const std::string& to) {
    std::string h = kHeader;
    h.replace(h.find(from), from.size(), to);
    return h + kTwoNets + "\n0\n";
}

std::vector<int> xyz(const Point& p) { return {p.x, p.y, p.z}; }

}  // namespace

TEST(IspdReader, GridRulesTracksAndOrigin) {
    Read r;
    readInto(r, withNets(kTwoNets));
    const NetDB& db = r.db;
    EXPECT_EQ((std::vector<int>{db.gridX, db.gridY, db.layerNum, db.originX, db.originY, db.tileW, db.tileH}),
              (std::vector<int>{8, 5, 2, 100, 200, 10, 20}));
    EXPECT_EQ(db.vCap, (std::vector<int>{0, 30}));
    EXPECT_EQ(db.hCap, (std::vector<int>{40, 0}));
    EXPECT_EQ(db.pitch, (std::vector<int>{2, 3}));
    EXPECT_EQ(db.vTracks, (std::vector<int>{0, 10}));
    EXPECT_EQ(db.hTracks, (std::vector<int>{20, 0}));
    EXPECT_EQ(db.totalVerticalTracks, 10);
    EXPECT_EQ(db.totalHorizontalTracks, 20);
    ASSERT_EQ(db.nets.size(), 2u);
    const Net& a = db.nets[0];
    EXPECT_EQ(a.id, 10);
    EXPECT_EQ(a.name, "a");
    ASSERT_EQ(a.pin3D.size(), 2u);
    EXPECT_EQ(xyz(a.pin3D[1]), (std::vector<int>{2, 2, 1}));
    EXPECT_EQ(db.nets[1].pin2D[1].x, 7);
    EXPECT_EQ(db.nets[1].pin2D[1].y, 4);
    EXPECT_TRUE(db.cells.empty() && db.rows.empty() && a.pins.empty());
    EXPECT_EQ(r.out.find("read "), 0u);
    EXPECT_NE(r.out.find("\nNumber of nets: 2\n"), std::string::npos);
    EXPECT_NE(r.out.find("========ISPD========================  netdb.adjLocate.size()=0  totalAdj=0\n"),
              std::string::npos);
}

TEST(IspdReader, NetsInOneGcellOrAboveThePinLimitAreDroppedButCounted) {
    Read r;
    readInto(r, withNets("num net 3\n"
                         "solo 4 2 1\n101 201 1\n109 219 2\n"
                         "keep 9 2 1\n150 200 1\n160 200 1\n"
                         "last 12 1 1\n150 200 1\n"));
    ASSERT_EQ(r.db.nets.size(), 1u);
    EXPECT_EQ(r.db.nets[0].id, 9);
    EXPECT_EQ(r.db.nets[0].name, "keep");
    EXPECT_EQ(r.db.nets[0].pin2D.size(), 2u);
    EXPECT_EQ(r.db.pinCount[0][0], 2);
    EXPECT_EQ(r.db.pinCount[5][0], 2);
    EXPECT_EQ(r.db.pinCount[6][0], 1);
    EXPECT_NE(r.out.find("Number of nets: 3\n"), std::string::npos);

    Read limited;
    readInto(limited,
             withNets("num net 2\nbig 1 3 1\n100 200 1\n110 200 1\n120 200 1\nsmall 2 2 1\n100 200 1\n110 200 2\n"),
             2);
    ASSERT_EQ(limited.db.nets.size(), 1u);
    EXPECT_EQ(limited.db.nets[0].name, "small");
    EXPECT_EQ(limited.db.pinCount[0][0], 2);
}

TEST(IspdReader, DuplicatePinsAndPinsOnTheDiesCorner) {
    Read r;
    readInto(r, withNets("num net 2\n"
                         "d 0 5 1\n"
                         "100 200 1\n"
                         "105 210 1\n"  // same G-cell and layer
                         "101 201 2\n"  // same G-cell, other layer
                         "130 200 2\n"
                         "131 201 1\n"
                         "edge 1 2 1\n"
                         "100 200 1\n"  // the die's lower-left corner
                         "150 200 1\n"));
    const Net& n = r.db.nets[0];
    EXPECT_EQ(r.db.pinCount[0][0], 4);  // three of net d, one of net edge
    EXPECT_EQ(r.db.pinCount[3][0], 2);
    ASSERT_EQ(n.pin3D.size(), 4u);
    ASSERT_EQ(n.pin2D.size(), 2u);
    EXPECT_EQ(n.pin2D[0].z, 0);
    EXPECT_EQ(n.pin2D[1].z, 1);  // the layer of the first pin seen there
    EXPECT_EQ(n.pin3D[1].z, 1);
    EXPECT_EQ(n.pin3D[2].x, 3);
    EXPECT_EQ(r.db.nets[1].pin2D[0].x, 0);
    EXPECT_EQ(r.db.nets[1].pin2D[0].y, 0);
}

TEST(IspdReader, LongNetsDeduplicateLikeShortOnes) {
    // 40 pin lines over 10 G-cells and 2 layers, in a scrambled order.
    std::string nets = "num net 1\nlong 3 40 1\n";
    for (int i = 0; i < 40; ++i) {
        int cell = (i * 7) % 10, layer = 1 + (i / 3) % 2;
        nets += std::to_string(100 + 10 * (cell % 8)) + " " + std::to_string(200 + 20 * (cell / 8)) + " " +
                std::to_string(layer) + "\n";
    }
    Read r;
    readInto(r, withNets(nets));
    const Net& n = r.db.nets[0];
    EXPECT_EQ(n.pin2D.size(), 10u);
    EXPECT_EQ(n.pin3D.size(), 20u);
    // First appearances: pin line 0 is cell 0 layer 1, line 1 is cell 7 layer 1.
    EXPECT_EQ(n.pin2D[0].x, 0);
    EXPECT_EQ(n.pin2D[1].x, 7);
    for (size_t i = 0; i < n.pin2D.size(); ++i)
        for (size_t j = i + 1; j < n.pin2D.size(); ++j) EXPECT_NE(n.pin2D[i], n.pin2D[j]);
    int total = 0;
    for (const auto& col : r.db.pinCount)
        for (int c : col) total += c;
    EXPECT_EQ(total, 40);
}

TEST(IspdReader, LayerRangeLongTailsAndLongNamesChangeNothing) {
    Read plain;
    readInto(plain, withNets(kTwoNets));
    const std::string name(5000, 'n');
    std::string ranged = kTwoNets;
    ranged.replace(ranged.find("a 10 2 1\n"), 9, name + " 10 2 1 [ 2 : 4 ] @ 1.5\n");
    ranged.replace(ranged.find("b 11 2 1\n"), 9, "b 11 2 1 [1:2]" + std::string(300, ' ') + "x\n");
    Read r;
    readInto(r, withNets(ranged));
    ASSERT_EQ(r.db.nets.size(), plain.db.nets.size());
    EXPECT_EQ(r.db.nets[0].name, name);
    EXPECT_EQ(r.db.nets[1].name, "b");
    for (size_t i = 0; i < plain.db.nets.size(); ++i) {
        EXPECT_EQ(r.db.nets[i].id, plain.db.nets[i].id);
        ASSERT_EQ(r.db.nets[i].pin3D.size(), plain.db.nets[i].pin3D.size());
        for (size_t j = 0; j < plain.db.nets[i].pin3D.size(); ++j)
            EXPECT_EQ(xyz(r.db.nets[i].pin3D[j]), xyz(plain.db.nets[i].pin3D[j]));
    }
}

TEST(IspdReader, CapacityAdjustments) {
    Read r;
    readInto(r, withNets(kTwoNets,
                         "4\n"
                         "5 3 2 5 2 2 12\n"   // vertical edge (5, 2), layer 2: 12 / 3 = 4 tracks
                         "6 3 1 5 3 1 7\n"    // horizontal edge (5, 3), layer 1: 7 / 2 = 3 tracks
                         "1 1 1 2 1 1 40\n"   // equals the layer default: not recorded
                         "0 0 2 0 1 1 0\n")); // only the first end's layer counts
    const NetDB& db = r.db;
    ASSERT_EQ(db.adjLocate.size(), 3u);
    EXPECT_EQ((std::vector<int>{db.adjLocate[0].hori, db.adjLocate[0].x, db.adjLocate[0].y, db.adjLocate[0].z}),
              (std::vector<int>{0, 5, 2, 1}));
    EXPECT_EQ((std::vector<int>{db.adjLocate[1].hori, db.adjLocate[1].x, db.adjLocate[1].y, db.adjLocate[1].z}),
              (std::vector<int>{1, 5, 3, 0}));
    EXPECT_EQ(db.adjLocate[2].z, 1);
    EXPECT_EQ(db.adjCapacity, (std::vector<int>{4, 3, 0}));
    EXPECT_NE(r.out.find("netdb.adjLocate.size()=3  totalAdj=19\n"), std::string::npos);

    // A second line for one edge replaces the first instead of charging the edge
    // twice; back at the layer default it restores the default.
    Read later;
    readInto(later, withNets(kTwoNets, "4\n5 3 2 5 2 2 12\n5 2 2 5 3 2 6\n6 3 1 5 3 1 7\n5 3 1 6 3 1 40\n"));
    ASSERT_EQ(later.db.adjLocate.size(), 2u);
    EXPECT_EQ(later.db.adjCapacity, (std::vector<int>{2, 20}));
}

TEST(IspdReader, AdjustmentsAfterNoPinLine) {
    // No net at all, and a last net without pin lines: the blank line after the
    // net section is the only line before the adjustment count.
    const std::string adjustments = "2\n5 3 2 5 2 2 12\n6 3 1 5 3 1 7\n";
    std::string zeroPinLast = kTwoNets + "c 12 0 1\n";
    zeroPinLast.replace(0, 9, "num net 3");
    for (const std::string& nets : {std::string("num net 0\n"), zeroPinLast}) {
        Read r;
        readInto(r, withNets(nets, adjustments));
        EXPECT_EQ(r.db.nets.size(), nets == zeroPinLast ? 2u : 0u);
        ASSERT_EQ(r.db.adjLocate.size(), 2u) << nets;
        EXPECT_EQ(r.db.adjLocate[0].hori, 0);
        EXPECT_EQ(r.db.adjLocate[0].y, 2);
        EXPECT_EQ(r.db.adjLocate[1].hori, 1);
        EXPECT_EQ(r.db.adjCapacity, (std::vector<int>{4, 3}));
        EXPECT_NE(r.out.find("netdb.adjLocate.size()=2  totalAdj=19\n"), std::string::npos) << r.out;
    }
}

TEST(IspdReader, MissingFile) {
    EXPECT_EXIT(
        {
            NetDB db;
            parameterSet s;
            Input_ISPD("/nonexistent/bench.gr", db, s);
        },
        ::testing::ExitedWithCode(1), "File /nonexistent/bench.gr does not exists!");
}

// A 1000 x 1000 x 2 grid grew by 369 MB (FAST_ISPD) and 646 MB (REGULAR_ISPD
// with the 3D stage) over the same run on a 16 x 16 grid; a grid that fits
// only without the 3D stage is refused when the run has one.
TEST(IspdReaderRejects, GridBeyondMemoryWithThe3DStage) {
    EXPECT_GE(estimateGridBytes(1000, 1000, 2), 369000000);
    EXPECT_GE(estimateGridBytes(1000, 1000, 2, true), 646000000);
    const long long have = machineMemoryBytes();
    if (have == 0) GTEST_SKIP() << "the machine's memory is unknown";
    const int side = static_cast<int>(std::sqrt(static_cast<double>(have) / 540.0));
    if (2.0 * side * side > 2147483647.0) GTEST_SKIP() << "the machine holds more than the largest grid";
    ASSERT_LT(estimateGridBytes(side, side, 2), have);
    ASSERT_GT(estimateGridBytes(side, side, 2, true), have);
    const std::string path = scratchPath("deep.gr");
    writeTextFile(path, "grid " + std::to_string(side) + " " + std::to_string(side) + " 2\n" + kHeader.substr(kHeader.find('\n') + 1));
    EXPECT_EXIT(
        {
            NetDB db;
            parameterSet s;
            setDefaultParameter(db, s, false);
            s.Optimization_3D_Iteration = 1;
            Input_ISPD(path.c_str(), db, s);
        },
        ::testing::ExitedWithCode(1), "deep\\.gr:1: the grid of .* GB with the maze search records and the 3D stage; this machine has");
}

TEST(IspdReaderRejects, MalformedFilesNameTheLine) {
    const std::string onePin = "num net 1\nn 0 2 1\n";
    const std::string noGrid = kHeader.substr(kHeader.find('\n') + 1);
    std::string farDie = kHeader;  // G-cells 10^8 wide from x -10^9
    farDie.replace(farDie.find("100 200 10 20"), 13, "-1000000000 200 100000000 20");
    const std::vector<std::pair<std::string, std::string>> cases = {
        // Pins outside the grid or the layer range.
        {withNets(onePin + "100 200 1\n180 200 1\n"), "12: pin \\(180, 200\\) of net \"n\".*outside"},
        // Less than a G-cell left of or below the die (G-cell 0 by a division toward zero).
        {withNets(onePin + "91 200 1\n100 200 1\n"),
         "11: pin \\(91, 200\\) of net \"n\" lies outside the die, x 100 to 179 and y 200 to 299"},
        {withNets(onePin + "100 200 1\n100 181 1\n"), "12: pin \\(100, 181\\) .*outside the die"},
        {farDie + onePin + "-1099999999 200 1\n-1000000000 200 1\n\n0\n", "11: pin \\(-1099999999, 200\\) .*outside the die, x -1000000000 to -200000001"},
        {withNets(onePin + "100 200 1\n100 300 1\n"), "12: pin .*G-cell \\(0, 5\\)"},
        {withNets(onePin + "90 200 1\n100 200 1\n"), "11: pin .*G-cell \\(-1, 0\\)"},
        {withNets(onePin + "100 180 1\n100 200 1\n"), "11: pin .*outside"},
        {withNets(onePin + "100 200 0\n110 200 1\n"), "11: .*layer 0, outside 1\\.\\.2"},
        {withNets(onePin + "100 200 1\n110 200 3\n"), "12: .*layer 3, outside 1\\.\\.2"},
        // Adjustments on layers or G-cells that do not exist, or between non-neighbours.
        {withNets(kTwoNets, "1\n0 0 3 0 1 3 5\n"), "18: adjustment 1 names layer 3"},
        {withNets(kTwoNets, "1\n0 0 1 0 1 0 5\n"), "18: adjustment 1 names layer 0"},
        {withNets(kTwoNets, "1\n7 4 1 8 4 1 5\n"), "18: adjustment 1 names G-cell \\(8, 4\\), outside"},
        {withNets(kTwoNets, "1\n0 -1 1 0 0 1 5\n"), "18: adjustment 1 names G-cell \\(0, -1\\)"},
        {withNets(kTwoNets, "2\n0 0 1 0 1 1 5\n1 1 1 2 2 1 5\n"), "19: adjustment 2 .*not neighbours"},
        {withNets(kTwoNets, "1\n3 3 1 3 3 1 5\n"), "18: .*not neighbours"},
        {withNets(kTwoNets, "1\n0 0 1 0 2 1 5\n"), "18: .*not neighbours"},
        // Pitches and G-cell sizes that are not positive.
        {headerWith("minimum width 1 2\nminimum spacing 1 1", "minimum width 1 0\nminimum spacing 1 0"),
         "5: layer 2 has pitch 0"},
        {headerWith("minimum spacing 1 1", "minimum spacing -3 1"),
         "5: the minimum spacing of layer 1 is -3; it must be 0 or more"},
        {headerWith("100 200 10 20", "100 200 0 20"), "7: the G-cell width and height must be positive"},
        {headerWith("100 200 10 20", "100 200 10 -20"), "7: the G-cell width"},
        // Unreadable numbers and lines.
        {withNets("num net 1\nn x 2 1\n100 200 1\n110 200 1\n"), "10: the id of net \"n\" cannot be read"},
        {withNets("num net 1\nn 0 two 1\n100 200 1\n110 200 1\n"), "10: the pin count of net \"n\""},
        {withNets("num net 1\nn 0 -2 1\n"), "10: net \"n\" has a negative pin count"},
        {withNets(onePin + "100 200 1\n110 2o0 1\n"), "12: the layer of pin 2 of net \"n\""},
        {withNets(onePin + "100 200 1\n99999999999 200 1\n"), "12: the x of pin 2"},
        {withNets("num nets 1\n"), "9: the net count line cannot be read"},
        {withNets("num net -1\n"), "9: the net count -1 is negative"},
        {withNets(kTwoNets, "x\n"), "17: the adjustment count cannot be read"},
        {withNets(kTwoNets, "1\n0 0 1 0 1 1 big\n"), "18: the capacity of adjustment 1"},
        {"grid 8 5\n" + noGrid, "1: the grid line cannot be read"},
        {"grid 0 5 2\n" + noGrid, "1: the grid needs at least one G-cell"},
        {headerWith("capacity 40 0", "capacity 40 zero"), "3: the horizontal capacity of layer 2 cannot be read"},
        {headerWith("100 200 10 20", "100 200 10"), "7: the origin line cannot be read"},
        // Files that end early.
        {"", "1: the file ends before the grid line"},
        {"grid 8 5 2\nvertical capacity 0\n", "2: the file ends before the vertical capacity of layer 2"},
        {kHeader, "8: the file ends before the net count line"},
        {kHeader + "num net 3\na 1 2 1\n100 200 1\n110 200 1\n", "12: the file ends before net 2 of 3"},
        {kHeader + "num net 1\na 1 3 1\n100 200 1\n110 200 1\n", "12: the file ends before the x of pin 3 of net \"a\""},
        {kHeader + kTwoNets, "15: the file ends before the adjustment count"},
        {kHeader + kTwoNets + "\n", "16: the file ends before the adjustment count"},
        {withNets(kTwoNets, "2\n0 0 1 0 1 1 5\n"), "18: the file ends before the first x of adjustment 2"},
        // Origins, G-cells and dies beyond the accepted range; a net id used twice.
        {headerWith("100 200 10 20", "-2147483648 200 1000000000 20"), "7: the G-cell width and height must be at most 100000000"},
        {headerWith("100 200 10 20", "-2147483648 200 10 20"), "7: the grid origin x -2147483648 is outside -1000000000\\.\\.1000000000"},
        {headerWith("100 200 10 20", "999999990 200 10 20"), "7: the die's right edge .* 1000000070 is outside"},
        {withNets("num net 2\na 10 2 1\n105 205 1\n125 245 2\nb 10 2 1\n100 200 1\n179 299 1\n"),
         "13: net \"b\" repeats the id 10 of an earlier net"},
        {withNets("num net 2\na -1 2 1\n105 205 1\n125 245 2\nb -1 2 1\n100 200 1\n179 299 1\n"),
         "13: net \"b\" repeats the id -1 of an earlier net"},
        {withNets("num net 2\na 100000000 2 1\n105 205 1\n125 245 2\nb 100000000 2 1\n100 200 1\n179 299 1\n"),
         "13: net \"b\" repeats the id 100000000 of an earlier net"},
    };
    for (const auto& [text, message] : cases) {
        SCOPED_TRACE(message);
        expectRejected(text, message);
    }
}
