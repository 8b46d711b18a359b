// The writers: .pl, the two-pin dump and the routing result (one line per unit
// edge and via, each once per net, corners in database units, 1-based layers);
// each refuses a file it cannot open, naming it, with status 1.

#include <gtest/gtest.h>

#include "database/NetDB.h"
#include "database/Parser.h"
#include "database/PlacementWriters.h"
#include "tests/common/HandDesign.h"
#include "tests/common/RunCommand.h"

namespace {

placeCell object(int type, int x, int y) { return handCell(x, y, 4, 4, type); }

NetDB smallDesign() {
    NetDB db;
    db.cells = {object(0, 3, 4), object(1, 10, 20), object(0, 7, 8), object(2, 1, 2), object(2, 5, 6)};
    db.objectCount = 3;
    return db;
}

TEST(Writers, PlacementFileFormat) {
    NetDB db = smallDesign();
    const std::string path = scratchPath("out.pl");
    outputCell(path.c_str(), db);
    EXPECT_EQ(readWholeFile(path),
              "UCLA pl 1.0\n#Tool : Velmor\n"
              "o0 3 4 : N\no1 10 20 : N /FIXED\no2 7 8 : N\n"
              "p0 1 2 : N /FIXED_NI\np1 5 6 : N /FIXED_NI\n");
    // Without "p" objects only "o" lines follow the header.
    db.cells.resize(3);
    outputCell(path.c_str(), db);
    EXPECT_EQ(readWholeFile(path), "UCLA pl 1.0\n#Tool : Velmor\no0 3 4 : N\no1 10 20 : N /FIXED\no2 7 8 : N\n");
}

TEST(Writers, MisplacedTypeAndUnwritableFileEndTheRun) {
    NetDB db = smallDesign();
    db.cells[1].type = 2;  // an NI terminal among the "o" objects
    const std::string path = scratchPath("bad.pl");
    EXPECT_EXIT(outputCell(path.c_str(), db), testing::ExitedWithCode(1), "");
    db = smallDesign();
    db.cells[4].type = 0;  // a movable cell among the "p" objects
    EXPECT_EXIT(outputCell(path.c_str(), db), testing::ExitedWithCode(1), "");
    db = smallDesign();
    EXPECT_EXIT(outputCell("/nonexistent-dir/out.pl", db), testing::ExitedWithCode(1), "/nonexistent-dir/out.pl");
    EXPECT_EXIT(outputTwoPin("/nonexistent-dir/dump", db), testing::ExitedWithCode(1), "/nonexistent-dir/dump");
    EXPECT_EXIT(outputFile("/nonexistent-dir/out.result", db), testing::ExitedWithCode(1), "/nonexistent-dir/out.result");
}

TEST(Writers, TwoPinDumpFormat) {
    NetDB db = smallDesign();
    db.cells[3].pinLayer = 2;
    db.nets.resize(2);
    Net& n = db.nets[0];
    n.id = 7;
    n.pins = {{0, 7, 1, 1, 2}, {3, 7, 0, 0, 0}, {2, 7, 1, 3, 3}};
    TwoPin a, b;
    a.fromPin = 0;
    a.toPin = 1;
    b.fromPin = 0;
    b.toPin = 2;
    n.twopin = {a, b};
    db.nets[1].id = 8;  // no pins, no connections
    const std::string path = scratchPath("dump");
    testing::internal::CaptureStdout();
    outputTwoPin(path.c_str(), db);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "output two pin file: " + path + "\n");
    EXPECT_EQ(readWholeFile(path),
              "num net 2\n"
              "net 7 2 3\n0 - 1\n0 - 2\npin0 4 6 0\npin1 1 2 2\npin2 10 11 0\n!\n"
              "net 8 0 0\n!\n");
}

TEST(Writers, ResultEachStepOncePerNetInFirstUseOrder) {
    NetDB db;
    db.gridX = 4;
    db.gridY = 3;
    db.layerNum = 3;
    db.originX = 100;
    db.originY = 200;
    db.tileW = 10;
    db.tileH = 20;
    db.nets.resize(2);
    Net& a = db.nets[0];
    a.id = 5;
    a.twopin.resize(2);
    a.twopin[0].path = {RPoint(1, 1, 0, 2), RPoint(1, 1, 1, 2), RPoint(1, 1, 2, 1)};
    a.twopin[1].path = {RPoint(1, 1, 2, 1), RPoint(2, 0, 1, 0)};
    db.nets[1].id = 9;  // no connections
    const std::string path = scratchPath("out.result");
    outputFile(path.c_str(), db);
    EXPECT_EQ(readWholeFile(path),
              "n5 5 0\n"
              "(110,220,1)-(110,220,2)\n"
              "(110,220,2)-(110,220,3)\n"
              "(110,220,3)-(120,220,3)\n"
              "(120,200,2)-(120,220,2)\n"
              "!\n"
              "n9 9 0\n"
              "!\n");
}

}  // namespace
