// Routing nets from a placement: pins to G-cells and layers, duplicates, the
// pin count per G-cell, and pins on or beyond the die edges.

#include <gtest/gtest.h>

#include <tuple>
#include <utility>
#include <vector>

#include "database/NetDB.h"
#include "database/Settings.h"
#include "database/bookshelf/Bookshelf.h"
#include "tests/common/HandDesign.h"

namespace {

// 8 by 5 G-cells of 10 by 20 from (100, 200): the die is [100, 180] x [200, 300].
NetDB design() {
    NetDB db;
    db.gridX = 8;
    db.gridY = 5;
    db.layerNum = 3;
    db.originX = 100;
    db.originY = 200;
    db.tileW = 10;
    db.tileH = 20;
    return db;
}

int addCell(NetDB& db, int x, int y, int pinLayer = 0) {
    placeCell c = handCell(x, y, 4, 4);
    c.pinLayer = pinLayer;
    return addObject(db.cells, c);
}

void addNet(NetDB& db, std::vector<std::tuple<int, int, int>> pins) {
    netInfo n;
    n.id = static_cast<int>(db.netInfos.size());
    n.name = "n" + std::to_string(n.id);
    for (auto [cell, dx, dy] : pins) {
        pinLocate p;
        p.cell = cell;
        p.net = n.id;
        p.xOffset = dx;
        p.yOffset = dy;
        n.pins.push_back(p);
    }
    db.netInfos.push_back(n);
}

std::string build(NetDB& db) {
    parameterSet s;
    testing::internal::CaptureStdout();
    build_netlist_set(db, s, db.cells);
    return testing::internal::GetCapturedStdout();
}

}  // namespace

TEST(NetlistBuild, PinsLayersAndDuplicates) {
    NetDB db = design();
    int a = addCell(db, 120, 205), b = addCell(db, 150, 250), ni = addCell(db, 121, 206, 2);
    addNet(db, {{a, 0, 0}, {a, 3, 3}});                     // one G-cell, one layer
    addNet(db, {{a, 1, 1}, {ni, 0, 0}, {b, 0, 0}, {a, 2, 2}});  // (2, 0) on layers 0 and 2
    addNet(db, {});
    EXPECT_EQ(build(db), "");
    ASSERT_EQ(db.nets.size(), 3u);
    EXPECT_EQ(db.nets[0].pin2D.size(), 1u);
    EXPECT_EQ(db.nets[0].pin3D.size(), 1u);
    EXPECT_EQ(db.nets[0].pins.size(), 2u);
    const Net& n = db.nets[1];
    EXPECT_EQ(n.id, 1);
    EXPECT_EQ(n.name, "n1");
    ASSERT_EQ(n.pin3D.size(), 3u);
    EXPECT_EQ(n.pin3D[1].z, 2);  // the NI terminal's layer
    ASSERT_EQ(n.pin2D.size(), 2u);
    EXPECT_EQ(n.pin2D[0].z, 0);  // the layer of the first pin seen there
    EXPECT_EQ(n.pin2D[1].x, 5);
    EXPECT_EQ(n.pin2D[1].y, 2);
    EXPECT_TRUE(db.nets[2].pin2D.empty());
    // Every pin counts, duplicates and nets alike.
    EXPECT_EQ(db.pinCount[2][0], 5);
    EXPECT_EQ(db.pinCount[5][2], 1);
}

TEST(NetlistBuild, PinsOnOrBeyondTheDieEdgesGoToTheNearestGcell) {
    NetDB db = design();
    int right = addCell(db, 180, 250), top = addCell(db, 150, 300), corner = addCell(db, 500, 900);
    int left = addCell(db, 50, 150), nearOrigin = addCell(db, 95, 195);
    addNet(db, {{right, 0, 0}, {top, 0, 0}, {corner, 0, 0}, {left, 0, 0}, {nearOrigin, 0, 0}});
    std::string out = build(db);
    const Net& n = db.nets[0];
    ASSERT_EQ(n.pin3D.size(), 4u);
    // On the right edge (G-cell X would not exist), on the top edge, beyond the
    // corner, and left of and below: G-cell (0, 0), which the pin a little below
    // the origin shares.
    std::vector<std::pair<int, int>> at;
    for (const Point& p : n.pin3D) at.emplace_back(p.x, p.y);
    EXPECT_EQ(at, (std::vector<std::pair<int, int>>{{7, 2}, {5, 4}, {7, 4}, {0, 0}}));
    EXPECT_EQ(db.pinCount[7][4], 1);
    EXPECT_EQ(db.pinCount[0][0], 2);
    EXPECT_EQ(out, "4 pins lie outside the routing grid; each counts in the nearest G-cell\n");
}

TEST(NetlistBuild, RebuildFollowsThePlacement) {
    NetDB db = design();
    int a = addCell(db, 100, 200), b = addCell(db, 170, 280), c = addCell(db, 130, 230);
    addNet(db, {{a, 0, 0}, {b, 0, 0}});
    addNet(db, {{c, 0, 0}, {b, 1, 1}});
    build(db);
    auto first = db.pinCount;
    auto net0 = db.nets[0].pin3D;
    build(db);
    EXPECT_EQ(db.pinCount, first);
    EXPECT_EQ(db.nets.size(), 2u);
    db.cells[c].xlow = 150;
    build(db);
    EXPECT_EQ(db.nets[0].pin3D.size(), net0.size());
    EXPECT_EQ(db.nets[0].pin3D[1].x, net0[1].x);
    EXPECT_EQ(db.nets[1].pin3D[0].x, 5);
    EXPECT_EQ(db.pinCount[3][1], 0);
    EXPECT_EQ(db.pinCount[5][1], 1);
}
