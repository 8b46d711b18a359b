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

TEST(CapacityAdjust, CoveredCrossSectionInWholeTracksWithinTheDie) {
    struct Case {
        const char* what;
        NetDB db;
        std::vector<placeCell> cells;
        Edges want;
    };
    const std::vector<Case> cases = {
        {"half of column 0 across the row boundaries at 100 and 200: 40 units, pitch 2 -> 20 units, 10 tracks",
         grid(100, 40, 40, 2), {blocker(10, 50, 50, 200)}, {{{0, 0, 0, 0}, 10}, {{0, 0, 1, 0}, 10}}},
        {"14 units half covered leave 7, rounded down to 6 units, 3 tracks",
         grid(100, 14, 14, 2), {blocker(10, 150, 50, 100)}, {{{0, 0, 1, 0}, 3}}},
        {"the whole column: nothing left", grid(100, 40, 40, 2), {blocker(0, 150, 100, 100)}, {{{0, 0, 1, 0}, 0}}},
        {"even 1 DBU of 100 costs a track: 38 units, 19 tracks",
         grid(100, 40, 40, 2), {blocker(10, 150, 1, 100)}, {{{0, 0, 1, 0}, 19}}},
        {"the share is taken in double: 22 * (15.0 / 22) falls just below 15 and truncates to 14",
         grid(22, 22, 22, 1), {blocker(1, 30, 7, 22)}, {{{0, 0, 1, 0}, 14}}},
        {"lower side exactly on the boundary between rows 2 and 3: that edge only",
         grid(100, 40, 40, 2), {blocker(10, 300, 50, 50)}, {{{0, 0, 2, 0}, 10}}},
        {"within one row on a vertical layer: no vertical edge is crossed",
         grid(100, 40, 40, 2), {blocker(10, 310, 50, 80)}, {}},
        {"a horizontal layer: the y-extent across the column boundaries crossed",
         grid(100, 40, 40, 2), {blocker(50, 210, 100, 50, {1})}, {{{1, 0, 2, 1}, 10}}},
        {"a blocked layer without tracks changes nothing", grid(100, 0, 40, 2), {blocker(10, 50, 50, 200, {0})}, {}},
        {"wholly left of, below, right of and above the die, or empty",
         grid(100, 40, 40, 2),
         {blocker(-500, 150, 100, 100), blocker(10, -900, 50, 500), blocker(400, 150, 100, 100),
          blocker(10, 600, 50, 300), blocker(10, 150, 0, 100)},
         {}},
        {"partly outside: clipped to the die, [0, 50] of column 0",
         grid(100, 40, 40, 2), {blocker(-50, 150, 100, 100)}, {{{0, 0, 1, 0}, 10}}},
        {"over the top right corner: [350, 400] of the last column, across the last row boundary",
         grid(100, 40, 40, 2), {blocker(350, 450, 500, 500)}, {{{0, 3, 4, 0}, 10}}},
        {"above the last row boundary: the die's own edges carry no edge",
         grid(100, 40, 40, 2), {blocker(350, 550, 500, 500)}, {}},
    };
    for (Case c : cases) EXPECT_EQ(adjusted(c.db, c.cells), c.want) << c.what;
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

TEST(CapacityAdjust, OneEntryWithTheSmallerCapacityWhereAnAdjustmentAlreadyIs) {
    NetDB db = grid(100, 40, 40, 2);
    db.adjLocate = {RPoint(0, 0, 0, 0), RPoint(0, 1, 0, 0)};
    db.adjCapacity = {15, 4};
    // The blockage leaves 10 tracks on both edges.
    EXPECT_EQ(adjusted(db, {blocker(10, 50, 50, 200)}), (Edges{{{0, 0, 0, 0}, 10}, {{0, 0, 1, 0}, 4}}));
    EXPECT_EQ(db.adjLocate.size(), 2u);
}
