// Blockage-driven capacity adjustment on hand-made blockages with known results.

#include <gtest/gtest.h>

#include <map>
#include <tuple>

#include "database/NetDB.h"
#include "database/bookshelf/Bookshelf.h"
#include "tests/common/HandDesign.h"

namespace {

// A 4 by 6 grid of `tile` by `tile` G-cells from the origin (0, 0): layer 1
// vertical with capacity vCap, layer 2 horizontal with capacity hCap.
NetDB grid(int tile, int vCap, int hCap, int pitch) {
    NetDB db;
    db.gridX = 4;
    db.gridY = 6;
    db.layerNum = 2;
    db.tileW = db.tileH = tile;
    db.vCap = {vCap, 0};
    db.hCap = {0, hCap};
    db.pitch = {pitch, pitch};
    db.vTracks = {vCap / pitch, 0};
    db.hTracks = {0, hCap / pitch};
    return db;
}

placeCell blocker(int x, int y, int w, int h, std::vector<int> layers = {0}) {
    placeCell c = handCell(x, y, w, h);
    c.blockedLayers = layers;
    return c;
}

// (hori, x, y, layer) -> tracks.
std::map<std::tuple<int, int, int, int>, int> adjusted(NetDB& db, std::vector<placeCell> cells) {
    adjust_capacity(cells, db);
    EXPECT_EQ(db.adjLocate.size(), db.adjCapacity.size());
    std::map<std::tuple<int, int, int, int>, int> m;
    for (size_t i = 0; i < db.adjLocate.size(); ++i) {
        const RPoint& a = db.adjLocate[i];
        auto key = std::make_tuple(a.hori, a.x, a.y, a.z);
        EXPECT_EQ(m.count(key), 0u) << "edge listed twice";
        m[key] = db.adjCapacity[i];
    }
    return m;
}

using Edges = std::map<std::tuple<int, int, int, int>, int>;

}  // namespace

TEST(CapacityAdjust, ProportionalToTheCoveredCrossSectionInWholeTracks) {
    // Half of column 0 across the row boundaries at 100 and 200: 40 units,
    // pitch 2 -> 20 units, 10 tracks, on the two vertical edges crossed.
    NetDB db = grid(100, 40, 40, 2);
    EXPECT_EQ(adjusted(db, {blocker(10, 50, 50, 200)}), (Edges{{{0, 0, 0, 0}, 10}, {{0, 0, 1, 0}, 10}}));
    // 14 units half covered leave 7, rounded down to 6 units, 3 tracks.
    db = grid(100, 14, 14, 2);
    EXPECT_EQ(adjusted(db, {blocker(10, 150, 50, 100)}), (Edges{{{0, 0, 1, 0}, 3}}));
    // The whole column: nothing left.
    db = grid(100, 40, 40, 2);
    EXPECT_EQ(adjusted(db, {blocker(0, 150, 100, 100)}), (Edges{{{0, 0, 1, 0}, 0}}));
    // Even 1 DBU of 100 costs a track: 38 units, 19 tracks.
    db = grid(100, 40, 40, 2);
    EXPECT_EQ(adjusted(db, {blocker(10, 150, 1, 100)}), (Edges{{{0, 0, 1, 0}, 19}}));
    // The share is taken in double: 22 * (15.0 / 22) falls just below 15 and
    // truncates to 14.
    db = grid(22, 22, 22, 1);
    EXPECT_EQ(adjusted(db, {blocker(1, 30, 7, 22)}), (Edges{{{0, 0, 1, 0}, 14}}));
}

TEST(CapacityAdjust, StretchesOfOneEdgeAreMerged) {
    auto covered = [](std::vector<placeCell> cells) {
        NetDB db = grid(100, 100, 100, 1);
        Edges e = adjusted(db, cells);
        EXPECT_EQ(e.size(), 1u);
        return e.empty() ? -1 : 100 - e.begin()->second;
    };
    EXPECT_EQ(covered({blocker(0, 150, 6, 100), blocker(4, 150, 6, 100)}), 10);   // overlapping
    EXPECT_EQ(covered({blocker(0, 150, 5, 100), blocker(5, 150, 5, 100)}), 10);   // touching
    EXPECT_EQ(covered({blocker(0, 150, 10, 100), blocker(2, 150, 2, 100)}), 10);  // nested
    EXPECT_EQ(covered({blocker(0, 150, 10, 100), blocker(50, 150, 10, 100)}), 20);  // apart
    // Shapes take the object's place: two shapes of one object.
    placeCell shaped = blocker(0, 0, 400, 600);
    shaped.shapes = {{20, 150, 10, 100}, {25, 150, 10, 100}};
    EXPECT_EQ(covered({shaped}), 15);
}

TEST(CapacityAdjust, BoundariesRowsAndDirections) {
    NetDB db = grid(100, 40, 40, 2);
    // Lower side exactly on the boundary between rows 2 and 3: the edge between
    // them is crossed, and only that one.
    EXPECT_EQ(adjusted(db, {blocker(10, 300, 50, 50)}), (Edges{{{0, 0, 2, 0}, 10}}));
    // Within one row on a vertical layer: no vertical edge is crossed.
    db = grid(100, 40, 40, 2);
    EXPECT_TRUE(adjusted(db, {blocker(10, 310, 50, 80)}).empty());
    // A horizontal layer: the y-extent across the column boundaries crossed.
    db = grid(100, 40, 40, 2);
    EXPECT_EQ(adjusted(db, {blocker(50, 210, 100, 50, {1})}), (Edges{{{1, 0, 2, 1}, 10}}));
    // A blocked layer without tracks changes nothing.
    db = grid(100, 0, 40, 2);
    EXPECT_TRUE(adjusted(db, {blocker(10, 50, 50, 200, {0})}).empty());
}

TEST(CapacityAdjust, OutsideTheDieNeverRaisesACapacity) {
    NetDB db = grid(100, 40, 40, 2);
    // Wholly left of, below, right of and above the die.
    EXPECT_TRUE(adjusted(db, {blocker(-500, 150, 100, 100), blocker(10, -900, 50, 500), blocker(400, 150, 100, 100),
                              blocker(10, 600, 50, 300), blocker(10, 150, 0, 100)})
                    .empty());
    // Partly outside: clipped to the die, [0, 50] of column 0.
    db = grid(100, 40, 40, 2);
    EXPECT_EQ(adjusted(db, {blocker(-50, 150, 100, 100)}), (Edges{{{0, 0, 1, 0}, 10}}));
    // Over the top right corner: [350, 400] of the last column, across the
    // last row boundary; the die's own edges carry no edge.
    db = grid(100, 40, 40, 2);
    EXPECT_EQ(adjusted(db, {blocker(350, 450, 500, 500)}), (Edges{{{0, 3, 4, 0}, 10}}));
    db = grid(100, 40, 40, 2);
    EXPECT_TRUE(adjusted(db, {blocker(350, 550, 500, 500)}).empty());
}

TEST(CapacityAdjust, OneEntryWithTheSmallerCapacityWhereAnAdjustmentAlreadyIs) {
    NetDB db = grid(100, 40, 40, 2);
    db.adjLocate = {RPoint(0, 0, 0, 0), RPoint(0, 1, 0, 0)};
    db.adjCapacity = {15, 4};
    // The blockage leaves 10 tracks on both edges.
    EXPECT_EQ(adjusted(db, {blocker(10, 50, 50, 200)}), (Edges{{{0, 0, 0, 0}, 10}, {{0, 0, 1, 0}, 4}}));
    EXPECT_EQ(db.adjLocate.size(), 2u);
}
