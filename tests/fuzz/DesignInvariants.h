#pragma once
// What the router relies on in a design that a reader accepted: a grid within
// the limits, a positive pitch and non-negative tracks on every layer with
// matching totals, pins and capacity adjustments inside the grid, adjusted
// capacities of 0 or more. Shared by the harnesses of the design readers.

#include <climits>

#include "database/GridLimits.h"
#include "database/NetDB.h"
#include "tests/fuzz/FuzzHarness.h"

namespace fuzz {

inline void expectRoutableDesign(const NetDB& db) {
    const int X = db.gridX, Y = db.gridY, L = db.layerNum;
    FUZZ_EXPECT(gridSizeProblem(X, Y, L).empty());
    FUZZ_EXPECT(static_cast<int>(db.pitch.size()) == L && static_cast<int>(db.hTracks.size()) == L &&
                static_cast<int>(db.vTracks.size()) == L);
    long long h = 0, v = 0;
    for (int l = 0; l < L; ++l) {
        FUZZ_EXPECT(db.pitch[l] >= 1 && db.pitch[l] <= kMaxPitch && db.hTracks[l] >= 0 && db.vTracks[l] >= 0);
        h += db.hTracks[l];
        v += db.vTracks[l];
    }
    FUZZ_EXPECT(h == db.totalHorizontalTracks && v == db.totalVerticalTracks && h <= kMaxTracks && v <= kMaxTracks);
    FUZZ_EXPECT(static_cast<int>(db.pinCount.size()) == X);
    for (const Net& n : db.nets)
        for (const Point& p : n.pin3D) FUZZ_EXPECT(p.x >= 0 && p.x < X && p.y >= 0 && p.y < Y && p.z >= 0 && p.z < L);
    FUZZ_EXPECT(db.adjLocate.size() == db.adjCapacity.size());
    for (size_t i = 0; i < db.adjLocate.size(); ++i) {
        const RPoint& a = db.adjLocate[i];
        FUZZ_EXPECT(a.z >= 0 && a.z < L && a.x >= 0 && a.y >= 0 && db.adjCapacity[i] >= 0 && db.adjCapacity[i] <= kMaxTracks);
        FUZZ_EXPECT(a.hori == 0 ? a.x < X && a.y < Y - 1 : a.hori == 1 && a.x < X - 1 && a.y < Y);
    }
}

}  // namespace fuzz
