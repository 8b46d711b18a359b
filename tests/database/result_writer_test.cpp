// The routing result writer for 3D paths: one line per unit edge and via,
// each once per net, corners in database units with 1-based layers; a file
// that cannot be opened ends the run with its name.

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

#include "database/NetDB.h"
#include "database/Parser.h"

namespace {

NetDB grid() {
    NetDB db;
    db.gridX = 4;
    db.gridY = 3;
    db.layerNum = 3;
    db.originX = 100;
    db.originY = 200;
    db.tileW = 10;
    db.tileH = 20;
    return db;
}

std::string written(NetDB& db) {
    const std::string name = ::testing::TempDir() + "result_writer_" +
                             ::testing::UnitTest::GetInstance()->current_test_info()->name();
    outputFile(name.c_str(), db);
    std::ifstream in(name);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

}  // namespace

TEST(ResultWriter, EachStepOncePerNetInFirstUseOrder) {
    NetDB db = grid();
    db.nets.resize(2);
    Net& a = db.nets[0];
    a.id = 5;
    a.twopin.resize(2);
    a.twopin[0].path = {RPoint(1, 1, 0, 2), RPoint(1, 1, 1, 2), RPoint(1, 1, 2, 1)};
    a.twopin[1].path = {RPoint(1, 1, 2, 1), RPoint(2, 0, 1, 0)};
    db.nets[1].id = 9;  // no connections
    EXPECT_EQ(written(db),
              "n5 5 0\n"
              "(110,220,1)-(110,220,2)\n"
              "(110,220,2)-(110,220,3)\n"
              "(110,220,3)-(120,220,3)\n"
              "(120,200,2)-(120,220,2)\n"
              "!\n"
              "n9 9 0\n"
              "!\n");
}

TEST(ResultWriterDeathTest, AFileThatCannotBeOpenedEndsTheRun) {
    NetDB db = grid();
    EXPECT_EXIT(outputFile("/nonexistent_dir/out.result", db), ::testing::ExitedWithCode(1),
                "/nonexistent_dir/out.result");
}
