// The HPWL report's 64-bit total and the routing-log analysis on designs filled
// by hand: counts, Steiner lengths, and the log faults (numbers outside the net lists,
// nets without pins, very long lines).

#include <gtest/gtest.h>

#include <unistd.h>

#include <sstream>
#include <string>
#include <vector>

#include "app/AnalysisFlows.h"
#include "database/NetDB.h"
#include "decomposition/flute.h"
#include "router/core/GlobalRouter.h"
#include "tests/common/HandDesign.h"
#include "tests/common/RunCommand.h"

namespace {

// A 4 x 4 grid of 10 x 10 G-cells, two layers, four rows; one cell per pin.
struct SmallDesign {
    NetDB db;

    SmallDesign() {
        db.gridX = db.gridY = 4;
        db.layerNum = 2;
        db.tileW = db.tileH = 10;
        db.hCap = {20, 0};
        db.vCap = {0, 20};
        db.minWidth = db.minSpacing = {1, 1};
        db.pitch = {2, 2};
        db.hTracks = {10, 0};
        db.vTracks = {0, 10};
        db.totalHorizontalTracks = db.totalVerticalTracks = 10;
        db.rows = stackedRows(4, 10, 40);
    }
    // A net with one pin per point: a 1 x 1 cell at the point (type as given), offset 0.
    void addNet(const std::vector<std::pair<int, int>>& points, int type = 0) { addHandNet(db, points, type); }
};

std::string hpwlReport(NetDB& db) {
    testing::internal::CaptureStdout();
    report_HPWL(db);
    return testing::internal::GetCapturedStdout();
}

// Runs look_LOG on `log` and returns standard output; standard error goes to *err.
std::string lookReport(NetDB& db, const std::string& log, std::string* err = nullptr) {
    const std::string path = scratchPath("routing.log");
    writeTextFile(path, log);
    GlobalRouter router(db.gridX, db.gridY, db.layerNum, db.totalHorizontalTracks, db.totalVerticalTracks, db.hTracks,
                        db.vTracks, db.pitch);
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    look_LOG(path.c_str(), db, router);
    const std::string e = testing::internal::GetCapturedStderr();
    if (err) *err = e;
    return testing::internal::GetCapturedStdout();
}

std::string tail(const std::string& out, const std::string& from) {
    const size_t at = out.find(from);
    return at == std::string::npos ? out : out.substr(at);
}

const std::string kWarn = "*WARNING* Cannot reroute connection for net net";

}  // namespace

TEST(HpwlReport, TotalBeyond32Bits) {
    SmallDesign d;
    d.db.gridX = d.db.gridY = 1;
    d.db.tileW = d.db.tileH = 2000000000;
    for (int i = 0; i < 3; ++i) d.addNet({{0, 0}, {1000000000, 1000000000}});
    d.addNet({});  // no pins: adds nothing
    EXPECT_EQ(hpwlReport(d.db), "totalHPWL = 6000000000  movePinRatio=1.00  localNetNum=0\n");

    SmallDesign empty;  // no pins at all: the ratio is printed as 0
    EXPECT_EQ(hpwlReport(empty.db), "totalHPWL = 0  movePinRatio=0.00  localNetNum=0\n");
}

TEST(LookLog, CountsNamedNetsSkipsFaultsAndNeedsTheLog) {
    SmallDesign d;
    d.addNet({{1, 1}, {31, 21}});  // net 0: two G-cells, Steiner length 50
    d.addNet({});                  // net 1: no pins
    std::vector<std::pair<int, int>> twelve;
    for (int i = 0; i < 12; ++i) twelve.push_back({(i % 4) * 10 + 1, (i / 4) * 10 + 1});
    d.addNet(twelve);              // net 2: twelve G-cells on a 4 x 3 lattice, Steiner length 110
    d.addNet({{2, 2}, {5, 9}});    // net 3: one G-cell, length 10

    // Named: net 0 twice (2 x 50), net 2 (110), net 3 (10).
    const std::string longJunk(5000, 'x');
    const std::string log = "routing starts\n" + kWarn + "0\n" + kWarn + "7\n" + kWarn + "-3\n" + kWarn + "1\n" +
                            longJunk + "\n" + kWarn + "2 " + std::string(3000, '.') + "\n" + kWarn + "abc\n" +
                            kWarn + "3\n" + kWarn + "0\n" + "*WARNING* Cannot reroute connection for net 0\n";
    std::string err;
    const std::string out = lookReport(d.db, log, &err);
    EXPECT_EQ(tail(out, "binNum[0]"),
              "binNum[0] = 0\nbinNum[1] = 1\nbinNum[2] = 2\nbinNum[3] = 0\nbinNum[4] = 0\nbinNum[5] = 0\n"
              "binNum[6] = 0\nbinNum[7] = 0\nbinNum[8] = 0\nbinNum[9] = 1\n"
              "unRouteNet=4  localNet=1  removed flute length 220\n");
    EXPECT_NE(err.find("routing.log:3: net number 7 is outside the 4 nets, line skipped\n"), std::string::npos) << err;
    EXPECT_NE(err.find("routing.log:4: net number -3 is outside the 4 nets, line skipped\n"), std::string::npos);
    EXPECT_NE(err.find("routing.log:5: net 1 has no pins, line skipped\n"), std::string::npos);
    EXPECT_NE(err.find("routing.log:8: no net number"), std::string::npos);
    EXPECT_NE(out.find("start initial placement x=4  y=4\n"), std::string::npos);

    EXPECT_EQ(tail(lookReport(d.db, "nothing to see\n"), "binNum[9]"),
              "binNum[9] = 0\nunRouteNet=0  localNet=0  removed flute length 0\n");
    EXPECT_EXIT(
        {
            GlobalRouter router(4, 4, 2, 10, 10, d.db.hTracks, d.db.vTracks, d.db.pitch);
            look_LOG("/nonexistent/routing.log", d.db, router);
        },
        ::testing::ExitedWithCode(1), "File /nonexistent/routing.log not exists!");
}

TEST(LookLog, NetOfMoreThan999PinsEndsTheRun) {
    SmallDesign d;
    std::vector<std::pair<int, int>> many;
    for (int i = 0; i < 1000; ++i) many.push_back({i % 40, (i / 40) % 40});
    d.addNet({{1, 1}, {2, 2}});
    d.addNet(many);
    const std::string path = scratchPath("big.log");
    writeTextFile(path, kWarn + "0\n" + kWarn + "1\n");
    EXPECT_EXIT(
        {
            dup2(2, 1);
            GlobalRouter router(4, 4, 2, 10, 10, d.db.hTracks, d.db.vTracks, d.db.pitch);
            look_LOG(path.c_str(), d.db, router);
        },
        ::testing::ExitedWithCode(1), "ERROR: interface 2008\n.*big.log:2: net 1 has 1000 pins; at most 999 are measured");
}

TEST(LookLog, PinsBeyondIntAreMeasuredAndNetsTooWideEndTheRun) {
    // Counted without the router's placement, which keeps int positions.
    SmallDesign d;
    addHandNet(d.db, {{2147483000, 5}, {2147483040, 5}}, 0, 1000);  // corners plus offsets pass 2^31 - 1
    d.addNet({{-2147483000, 0}, {2147483000, 0}});
    readLUT();
    std::istringstream one(kWarn + "0\n");
    const RoutingLogCounts counts = countUnroutableNets("one.log", one, d.db);
    EXPECT_EQ(counts.unroutable, 1);
    EXPECT_EQ(counts.removedLength, 40);
    EXPECT_EXIT(
        {
            std::istringstream two(kWarn + "0\n" + kWarn + "1\n");
            countUnroutableNets("wide.log", two, d.db);
        },
        ::testing::ExitedWithCode(1), "wide.log:2: net 1 of 2 pins is too wide to measure");
}
