// The .pl writer and the two-pin dump.

#include <gtest/gtest.h>

#include "database/NetDB.h"
#include "database/PlacementWriters.h"
#include "tests/common/RunCommand.h"

namespace {

placeCell object(int type, int x, int y) {
    placeCell c;
    c.type = type;
    c.xlow = x;
    c.ylow = y;
    c.width = 4;
    c.height = 4;
    return c;
}

NetDB smallDesign() {
    NetDB db;
    db.cells = {object(0, 3, 4), object(1, 10, 20), object(0, 7, 8), object(2, 1, 2), object(2, 5, 6)};
    db.objectCount = 3;
    return db;
}

TEST(PlacementWriters, PlacementFileFormat) {
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

TEST(PlacementWriters, MisplacedTypeAndUnwritableFileEndTheRun) {
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
}

TEST(PlacementWriters, TwoPinDumpFormat) {
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

}  // namespace
