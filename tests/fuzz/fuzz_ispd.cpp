// ISPD'08 benchmark reader: every input is read or refused, and an accepted
// benchmark holds what the router relies on.
#include "tests/fuzz/FuzzHarness.h"

#include <climits>

#include "database/NetDB.h"
#include "database/Parser.h"
#include "database/Settings.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string in = fuzz::text(data, size);
    // Grids whose tables would not fit in memory are the grid-memory
    // estimate's refusal; the fuzzer is kept to grids it can allocate.
    if (fuzz::acceptedGridAbove(in, 4000000)) return 0;
    ispdRefusal = fuzz::unwind;
    NetDB db;
    parameterSet set;
    setDefaultParameter(db, set, false);
    try {
        readIspdText("fuzz.gr", in, db, set);
    } catch (const fuzz::Refused&) {
        return 0;
    }
    const int X = db.gridX, Y = db.gridY, L = db.layerNum;
    FUZZ_EXPECT(X >= 1 && Y >= 1 && L >= 1 && static_cast<long long>(X) * Y * L <= INT_MAX);
    FUZZ_EXPECT(static_cast<int>(db.pitch.size()) == L && static_cast<int>(db.hTracks.size()) == L);
    long long h = 0, v = 0;
    for (int l = 0; l < L; ++l) {
        FUZZ_EXPECT(db.pitch[l] >= 1 && db.hCap[l] >= 0 && db.vCap[l] >= 0);
        h += db.hTracks[l];
        v += db.vTracks[l];
    }
    FUZZ_EXPECT(h == db.totalHorizontalTracks && v == db.totalVerticalTracks);
    FUZZ_EXPECT(static_cast<int>(db.pinCount.size()) == X);
    for (const Net& n : db.nets) {
        FUZZ_EXPECT(n.pin2D.size() >= 2 && n.pin3D.size() >= n.pin2D.size());
        for (const Point& p : n.pin3D) FUZZ_EXPECT(p.x >= 0 && p.x < X && p.y >= 0 && p.y < Y && p.z >= 0 && p.z < L);
    }
    FUZZ_EXPECT(db.adjLocate.size() == db.adjCapacity.size());
    for (size_t i = 0; i < db.adjLocate.size(); ++i) {
        const RPoint& a = db.adjLocate[i];
        FUZZ_EXPECT(a.z >= 0 && a.z < L && a.x >= 0 && a.y >= 0 && db.adjCapacity[i] >= 0);
        FUZZ_EXPECT(a.hori == 0 ? a.x < X && a.y < Y - 1 : a.hori == 1 && a.x < X - 1 && a.y < Y);
    }
    return 0;
}
