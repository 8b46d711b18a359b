#include <gtest/gtest.h>

#include "tests/common/RunCommand.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "database/NetDB.h"
#include "database/Parser.h"
#include "database/Settings.h"

namespace {

std::string writeFile(const std::string& name, const std::string& text) {
    std::string path = scratchPath(name);
    std::ofstream(path, std::ios::binary) << text;
    return path;
}

// Header of a 8 by 5 grid on 2 layers, origin (100, 200), G-cells 10 by 20;
// the caller appends "num net" and the rest from line 9 on.
const char* kHeader =
    "grid 8 5 2\n"                  // 1
    "vertical capacity 0 30\n"      // 2
    "horizontal capacity 40 0\n"    // 3
    "minimum width 1 2\n"           // 4
    "minimum spacing 1 1\n"         // 5
    "via spacing 1 1\n"             // 6
    "100 200 10 20\n"               // 7
    "\n";                           // 8

struct Read {
    NetDB db;
    parameterSet settings;
    std::string out;
};

void readInto(Read& r, const std::string& text, int maxPins = 2147483647) {
    std::string path = writeFile("ispd_ok.gr", text);
    setDefaultParameter(r.db, r.settings, false);
    r.settings.maxPinsPerNet = maxPins;
    testing::internal::CaptureStdout();
    Input_ISPD(path.c_str(), r.db, r.settings);
    r.out = testing::internal::GetCapturedStdout();
}

// Reading must end with status 1 and one line on standard error matching `message`.
void expectRejected(const std::string& text, const std::string& message) {
    std::string path = writeFile("bad.gr", text);
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
    return std::string(kHeader) + nets + "\n" + adjustments;
}

const std::string kTwoNets =
    "num net 2\n"      // 9
    "a 10 2 1\n"       // 10
    "105 205 1\n"      // 11
    "125 245 2\n"      // 12
    "b 11 2 1\n"       // 13
    "100 200 1\n"      // 14
    "179 299 1\n";     // 15

}  // namespace

TEST(IspdReader, GridRulesTracksAndOrigin) {
    Read r;
    readInto(r, withNets(kTwoNets));
    const NetDB& db = r.db;
    EXPECT_EQ(db.gridX, 8);
    EXPECT_EQ(db.gridY, 5);
    EXPECT_EQ(db.layerNum, 2);
    EXPECT_EQ(db.vCap, (std::vector<int>{0, 30}));
    EXPECT_EQ(db.hCap, (std::vector<int>{40, 0}));
    EXPECT_EQ(db.pitch, (std::vector<int>{2, 3}));
    EXPECT_EQ(db.vTracks, (std::vector<int>{0, 10}));
    EXPECT_EQ(db.hTracks, (std::vector<int>{20, 0}));
    EXPECT_EQ(db.totalVerticalTracks, 10);
    EXPECT_EQ(db.totalHorizontalTracks, 20);
    EXPECT_EQ(db.originX, 100);
    EXPECT_EQ(db.originY, 200);
    EXPECT_EQ(db.tileW, 10);
    EXPECT_EQ(db.tileH, 20);
    ASSERT_EQ(db.nets.size(), 2u);
    const Net& a = db.nets[0];
    EXPECT_EQ(a.id, 10);
    EXPECT_EQ(a.name, "a");
    ASSERT_EQ(a.pin3D.size(), 2u);
    EXPECT_EQ(a.pin3D[1].x, 2);
    EXPECT_EQ(a.pin3D[1].y, 2);
    EXPECT_EQ(a.pin3D[1].z, 1);
    EXPECT_EQ(db.nets[1].pin2D[1].x, 7);
    EXPECT_EQ(db.nets[1].pin2D[1].y, 4);
    EXPECT_TRUE(db.cells.empty());
    EXPECT_TRUE(db.rows.empty());
    EXPECT_TRUE(a.pins.empty());
    EXPECT_EQ(r.out.find("read "), 0u);
    EXPECT_NE(r.out.find("\nNumber of nets: 2\n"), std::string::npos);
    EXPECT_NE(r.out.find("========ISPD========================  netdb.adjLocate.size()=0  totalAdj=0\n"),
              std::string::npos);
}

TEST(IspdReader, NetInOneGcellIsDroppedButCounted) {
    Read r;
    readInto(r, withNets("num net 3\n"
                         "solo 4 2 1\n"
                         "101 201 1\n"
                         "109 219 2\n"
                         "keep 9 2 1\n"
                         "150 200 1\n"
                         "160 200 1\n"
                         "last 12 1 1\n"
                         "150 200 1\n"));
    ASSERT_EQ(r.db.nets.size(), 1u);
    EXPECT_EQ(r.db.nets[0].id, 9);
    EXPECT_EQ(r.db.nets[0].name, "keep");
    EXPECT_EQ(r.db.nets[0].pin2D.size(), 2u);
    EXPECT_EQ(r.db.pinCount[0][0], 2);
    EXPECT_EQ(r.db.pinCount[5][0], 2);
    EXPECT_EQ(r.db.pinCount[6][0], 1);
    EXPECT_NE(r.out.find("Number of nets: 3\n"), std::string::npos);
}

TEST(IspdReader, NetAboveThePinLimitIsDropped) {
    Read r;
    readInto(r,
             withNets("num net 2\n"
                      "big 1 3 1\n100 200 1\n110 200 1\n120 200 1\n"
                      "small 2 2 1\n100 200 1\n110 200 2\n"),
             2);
    ASSERT_EQ(r.db.nets.size(), 1u);
    EXPECT_EQ(r.db.nets[0].name, "small");
    EXPECT_EQ(r.db.pinCount[0][0], 2);
}

TEST(IspdReader, DuplicatePins) {
    Read r;
    readInto(r, withNets("num net 1\n"
                         "d 0 5 1\n"
                         "100 200 1\n"
                         "105 210 1\n"  // same G-cell and layer
                         "101 201 2\n"  // same G-cell, other layer
                         "130 200 2\n"
                         "131 201 1\n"));
    const Net& n = r.db.nets[0];
    EXPECT_EQ(r.db.pinCount[0][0], 3);
    EXPECT_EQ(r.db.pinCount[3][0], 2);
    ASSERT_EQ(n.pin3D.size(), 4u);
    ASSERT_EQ(n.pin2D.size(), 2u);
    EXPECT_EQ(n.pin2D[0].z, 0);
    EXPECT_EQ(n.pin2D[1].z, 1);  // the layer of the first pin seen there
    EXPECT_EQ(n.pin3D[1].z, 1);
    EXPECT_EQ(n.pin3D[2].x, 3);
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

TEST(IspdReader, PinsJustBelowTheOriginMapToGcellZero) {
    Read r;
    readInto(r, withNets("num net 1\n"
                         "edge 0 2 1\n"
                         "91 181 1\n"  // 9 left of and 19 below the origin
                         "150 200 1\n"));
    const Net& n = r.db.nets[0];
    EXPECT_EQ(n.pin2D[0].x, 0);
    EXPECT_EQ(n.pin2D[0].y, 0);
    EXPECT_EQ(r.db.pinCount[0][0], 1);
}

TEST(IspdReader, LayerRangeOnTheNetLineChangesNothing) {
    Read plain, ranged, longTail;
    readInto(plain, withNets(kTwoNets));
    std::string withRange = kTwoNets;
    withRange.replace(withRange.find("a 10 2 1\n"), 9, "a 10 2 1 [ 2 : 4 ] @ 1.5\n");
    readInto(ranged, withNets(withRange));
    std::string tail = kTwoNets;
    tail.replace(tail.find("b 11 2 1\n"), 9, "b 11 2 1 [1:2]" + std::string(300, ' ') + "x\n");
    readInto(longTail, withNets(tail));
    for (const Read* r : {&ranged, &longTail}) {
        ASSERT_EQ(r->db.nets.size(), plain.db.nets.size());
        for (size_t i = 0; i < plain.db.nets.size(); ++i) {
            EXPECT_EQ(r->db.nets[i].id, plain.db.nets[i].id);
            EXPECT_EQ(r->db.nets[i].name, plain.db.nets[i].name);
            ASSERT_EQ(r->db.nets[i].pin3D.size(), plain.db.nets[i].pin3D.size());
            for (size_t j = 0; j < plain.db.nets[i].pin3D.size(); ++j) {
                EXPECT_EQ(r->db.nets[i].pin3D[j], plain.db.nets[i].pin3D[j]);
                EXPECT_EQ(r->db.nets[i].pin3D[j].z, plain.db.nets[i].pin3D[j].z);
            }
        }
    }
}

TEST(IspdReader, LongNamesAndLines) {
    std::string name(5000, 'n');
    Read r;
    readInto(r, withNets("num net 1\n" + name + " 1 2 1\n100 200 1\n110 200 1\n"));
    ASSERT_EQ(r.db.nets.size(), 1u);
    EXPECT_EQ(r.db.nets[0].name, name);
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
    EXPECT_EQ(db.adjLocate[0].hori, 0);
    EXPECT_EQ(db.adjLocate[0].x, 5);
    EXPECT_EQ(db.adjLocate[0].y, 2);
    EXPECT_EQ(db.adjLocate[0].z, 1);
    EXPECT_EQ(db.adjLocate[1].hori, 1);
    EXPECT_EQ(db.adjLocate[1].x, 5);
    EXPECT_EQ(db.adjLocate[1].y, 3);
    EXPECT_EQ(db.adjLocate[1].z, 0);
    EXPECT_EQ(db.adjLocate[2].z, 1);
    EXPECT_EQ(db.adjCapacity, (std::vector<int>{4, 3, 0}));
    EXPECT_NE(r.out.find("netdb.adjLocate.size()=3  totalAdj=19\n"), std::string::npos);
}

// A second line for one edge replaces the first instead of charging the edge
// twice; back at the layer default it restores the default.
TEST(IspdReader, LaterAdjustmentOfAnEdgeWins) {
    Read r;
    readInto(r, withNets(kTwoNets,
                         "4\n"
                         "5 3 2 5 2 2 12\n"   // vertical edge (5, 2), layer 2: 4 tracks
                         "5 2 2 5 3 2 6\n"    // the same edge: 2 tracks
                         "6 3 1 5 3 1 7\n"    // horizontal edge (5, 3), layer 1: 3 tracks
                         "5 3 1 6 3 1 40\n"));  // the same edge back at its default of 20 tracks
    ASSERT_EQ(r.db.adjLocate.size(), 2u);
    EXPECT_EQ(r.db.adjCapacity, (std::vector<int>{2, 20}));
}

TEST(IspdReader, AdjustmentsAfterNoPinLine) {
    // No net at all, and a last net without pin lines: the blank line after the
    // net section is the only line before the adjustment count.
    const std::string adjustments = "2\n5 3 2 5 2 2 12\n6 3 1 5 3 1 7\n";
    std::string zeroPinLast = kTwoNets + "c 12 0 1\n";
    zeroPinLast.replace(0, 9, "num net 3");
    const std::string bodies[] = {"num net 0\n", zeroPinLast};
    for (const std::string& nets : bodies) {
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

TEST(IspdReaderRejects, PinsOutsideTheGrid) {
    expectRejected(withNets("num net 1\nn 0 2 1\n100 200 1\n180 200 1\n"), "12: pin \\(180, 200\\) of net \"n\".*outside");
    expectRejected(withNets("num net 1\nn 0 2 1\n100 200 1\n100 300 1\n"), "12: pin .*G-cell \\(0, 5\\)");
    expectRejected(withNets("num net 1\nn 0 2 1\n90 200 1\n100 200 1\n"), "11: pin .*G-cell \\(-1, 0\\)");
    expectRejected(withNets("num net 1\nn 0 2 1\n100 180 1\n100 200 1\n"), "11: pin .*outside");
}

TEST(IspdReaderRejects, PinLayersOutsideTheRange) {
    expectRejected(withNets("num net 1\nn 0 2 1\n100 200 0\n110 200 1\n"), "11: .*layer 0, outside 1\\.\\.2");
    expectRejected(withNets("num net 1\nn 0 2 1\n100 200 1\n110 200 3\n"), "12: .*layer 3, outside 1\\.\\.2");
}

TEST(IspdReaderRejects, BadAdjustments) {
    expectRejected(withNets(kTwoNets, "1\n0 0 3 0 1 3 5\n"), "18: adjustment 1 names layer 3");
    expectRejected(withNets(kTwoNets, "1\n0 0 1 0 1 0 5\n"), "18: adjustment 1 names layer 0");
    expectRejected(withNets(kTwoNets, "1\n7 4 1 8 4 1 5\n"), "18: adjustment 1 names G-cell \\(8, 4\\), outside");
    expectRejected(withNets(kTwoNets, "1\n0 -1 1 0 0 1 5\n"), "18: adjustment 1 names G-cell \\(0, -1\\)");
    expectRejected(withNets(kTwoNets, "2\n0 0 1 0 1 1 5\n1 1 1 2 2 1 5\n"), "19: adjustment 2 .*not neighbours");
    expectRejected(withNets(kTwoNets, "1\n3 3 1 3 3 1 5\n"), "18: .*not neighbours");
    expectRejected(withNets(kTwoNets, "1\n0 0 1 0 2 1 5\n"), "18: .*not neighbours");
}

TEST(IspdReaderRejects, NonPositivePitchOrGcellSize) {
    std::string h = kHeader;
    std::string zeroPitch = h;
    zeroPitch.replace(zeroPitch.find("minimum width 1 2"), 17, "minimum width 1 0");
    zeroPitch.replace(zeroPitch.find("minimum spacing 1 1"), 19, "minimum spacing 1 0");
    expectRejected(zeroPitch + kTwoNets + "\n0\n", "5: layer 2 has pitch 0");
    std::string negPitch = h;
    negPitch.replace(negPitch.find("minimum spacing 1 1"), 19, "minimum spacing -3 1");
    expectRejected(negPitch + kTwoNets + "\n0\n", "5: the minimum spacing of layer 1 is -3; it must be 0 or more");
    std::string zeroTile = h;
    zeroTile.replace(zeroTile.find("100 200 10 20"), 13, "100 200 0 20");
    expectRejected(zeroTile + kTwoNets + "\n0\n", "7: the G-cell width and height must be positive");
    std::string negTile = h;
    negTile.replace(negTile.find("100 200 10 20"), 13, "100 200 10 -20");
    expectRejected(negTile + kTwoNets + "\n0\n", "7: the G-cell width");
}

TEST(IspdReaderRejects, UnreadableNumbersAndLines) {
    expectRejected(withNets("num net 1\nn x 2 1\n100 200 1\n110 200 1\n"), "10: the id of net \"n\" cannot be read");
    expectRejected(withNets("num net 1\nn 0 two 1\n100 200 1\n110 200 1\n"), "10: the pin count of net \"n\"");
    expectRejected(withNets("num net 1\nn 0 -2 1\n"), "10: net \"n\" has a negative pin count");
    expectRejected(withNets("num net 1\nn 0 2 1\n100 200 1\n110 2o0 1\n"), "12: the layer of pin 2 of net \"n\"");
    expectRejected(withNets("num net 1\nn 0 2 1\n100 200 1\n99999999999 200 1\n"), "12: the x of pin 2");
    expectRejected(withNets("num nets 1\n"), "9: the net count line cannot be read");
    expectRejected(withNets("num net -1\n"), "9: the net count -1 is negative");
    expectRejected(withNets(kTwoNets, "x\n"), "17: the adjustment count cannot be read");
    expectRejected(withNets(kTwoNets, "1\n0 0 1 0 1 1 big\n"), "18: the capacity of adjustment 1");
    std::string h = kHeader;
    expectRejected("grid 8 5\n" + h.substr(h.find('\n') + 1), "1: the grid line cannot be read");
    expectRejected("grid 0 5 2\n" + h.substr(h.find('\n') + 1), "1: the grid needs at least one G-cell");
    std::string cap = h;
    cap.replace(cap.find("capacity 40 0"), 13, "capacity 40 zero");
    expectRejected(cap + kTwoNets + "\n0\n", "3: the horizontal capacity of layer 2 cannot be read");
    std::string origin = h;
    origin.replace(origin.find("100 200 10 20"), 13, "100 200 10");
    expectRejected(origin + kTwoNets + "\n0\n", "7: the origin line cannot be read");
}

TEST(IspdReaderRejects, FilesThatEndEarly) {
    expectRejected("", "1: the file ends before the grid line");
    expectRejected("grid 8 5 2\nvertical capacity 0\n", "2: the file ends before the vertical capacity of layer 2");
    expectRejected(std::string(kHeader), "8: the file ends before the net count line");
    expectRejected(std::string(kHeader) + "num net 3\na 1 2 1\n100 200 1\n110 200 1\n",
                   "12: the file ends before net 2 of 3");
    expectRejected(std::string(kHeader) + "num net 1\na 1 3 1\n100 200 1\n110 200 1\n",
                   "12: the file ends before the x of pin 3 of net \"a\"");
    expectRejected(std::string(kHeader) + kTwoNets, "15: the file ends before the adjustment count");
    expectRejected(std::string(kHeader) + kTwoNets + "\n", "16: the file ends before the adjustment count");
    expectRejected(withNets(kTwoNets, "2\n0 0 1 0 1 1 5\n"), "18: the file ends before the first x of adjustment 2");
}
