// Blockage-driven capacity adjustment: blocking objects lower the capacity of
// the grid edges whose cross-section they cover, in whole tracks.

#include <algorithm>
#include <unordered_map>

#include "database/bookshelf/Bookshelf.h"

bool block_cp(const block& a, const block& b) { return a.lo < b.lo; }

namespace {

long long edgeOf(int x, int y, int layer, int hori, const NetDB& db) {
    return ((static_cast<long long>(x) * db.gridY + y) * db.layerNum + layer) * 2 + hori;
}

// The G-cell range that [lo, hi) touches along one axis of `count` cells of
// `size` from `origin`. A low end exactly on a boundary also takes the cell
// before it, so that a rectangle whose side lies on a boundary crosses the
// edges that end there.
void cellRange(long long lo, long long hi, int origin, int size, int count, int& first, int& last) {
    long long f = (lo - origin) / size;
    if (lo == origin + f * size) --f;
    long long l = (hi - origin) / size;
    first = static_cast<int>(std::clamp<long long>(f, 0, count - 1));
    last = static_cast<int>(std::clamp<long long>(l, 0, count - 1));
}

// The stretch of [lo, hi] inside cell g of the range [first, last], relative
// to the cell's start.
block stretchIn(int g, int first, int last, long long lo, long long hi, int origin, int size) {
    const long long start = origin + static_cast<long long>(g) * size;
    long long a = start, b = start + size;
    if (g == first) a = lo;
    if (g == last) b = hi;
    if (first == last) {
        a = lo;
        b = hi;
    }
    block s;
    s.lo = static_cast<int>(std::clamp<long long>(a - start, 0, size));
    s.hi = static_cast<int>(std::clamp<long long>(b - start, 0, size));
    return s;
}

}  // namespace

void get_blockage_overlap(int x, int y, int w, int h, int layer, BlockageGrid& grid, const NetDB& db) {
    const int X = db.gridX, Y = db.gridY;
    if (X < 1 || Y < 1 || db.tileW < 1 || db.tileH < 1) return;
    const long long left = db.originX, bottom = db.originY;
    const long long right = left + static_cast<long long>(X) * db.tileW;
    const long long top = bottom + static_cast<long long>(Y) * db.tileH;
    const long long x0 = std::max<long long>(x, left), x1 = std::min<long long>(static_cast<long long>(x) + w, right);
    const long long y0 = std::max<long long>(y, bottom), y1 = std::min<long long>(static_cast<long long>(y) + h, top);
    // Wholly outside the die, or of no area: nothing to charge.
    if (x1 <= x0 || y1 <= y0) return;

    int gxLo, gxHi, gyLo, gyHi;
    cellRange(x0, x1, db.originX, db.tileW, X, gxLo, gxHi);
    cellRange(y0, y1, db.originY, db.tileH, Y, gyLo, gyHi);
    const size_t l = static_cast<size_t>(layer);

    // Vertical edges (x, y)-(x, y + 1): crossed in rows gyLo .. gyHi - 1; the
    // stretch is the rectangle's x-extent in each column.
    if (db.vTracks[l] >= 1 && gyHi > gyLo) {
        for (int gx = gxLo; gx <= gxHi; ++gx) {
            block b = stretchIn(gx, gxLo, gxHi, x0, x1, db.originX, db.tileW);
            for (int gy = gyLo; gy < gyHi; ++gy) grid.entries.push_back({edgeOf(gx, gy, layer, 0, db), b});
        }
    }
    // Horizontal edges (x, y)-(x + 1, y): crossed in columns gxLo .. gxHi - 1.
    if (db.hTracks[l] >= 1 && gxHi > gxLo) {
        for (int gy = gyLo; gy <= gyHi; ++gy) {
            block b = stretchIn(gy, gyLo, gyHi, y0, y1, db.originY, db.tileH);
            for (int gx = gxLo; gx < gxHi; ++gx) grid.entries.push_back({edgeOf(gx, gy, layer, 1, db), b});
        }
    }
}

void adjust_capacity(std::vector<placeCell>& cells, NetDB& db) {
    const int Y = db.gridY, L = db.layerNum;
    BlockageGrid grid;
    for (const placeCell& c : cells) {
        for (int l : c.blockedLayers) {
            if (l < 0 || l >= L) continue;
            if (db.hTracks[static_cast<size_t>(l)] == 0 && db.vTracks[static_cast<size_t>(l)] == 0) continue;
            if (c.shapes.empty()) {
                get_blockage_overlap(c.xlow, c.ylow, c.width, c.height, l, grid, db);
            } else {
                for (const shape& s : c.shapes) get_blockage_overlap(s.x, s.y, s.w, s.h, l, grid, db);
            }
        }
    }
    if (grid.entries.empty()) return;
    std::sort(grid.entries.begin(), grid.entries.end(), [](const BlockageGrid::Entry& a, const BlockageGrid::Entry& b) {
        return a.edge != b.edge ? a.edge < b.edge : block_cp(a.b, b.b);
    });

    // Adjustments given only in tracks take whole tracks as their capacity.
    for (size_t i = db.adjCapacityUnits.size(); i < db.adjCapacity.size(); ++i)
        db.adjCapacityUnits.push_back(db.adjCapacity[i] * db.pitch[static_cast<size_t>(db.adjLocate[i].z)]);

    // Edges that already carry an adjustment keep one entry.
    std::unordered_map<long long, size_t> existing;
    existing.reserve(db.adjLocate.size());
    for (size_t i = 0; i < db.adjLocate.size(); ++i) {
        const RPoint& a = db.adjLocate[i];
        existing.emplace(edgeOf(a.x, a.y, a.z, a.hori, db), i);
    }

    const size_t n = grid.entries.size();
    for (size_t i = 0; i < n;) {
        const long long edge = grid.entries[i].edge;
        // Length of the union of the edge's stretches.
        long long overlap = 0;
        int lo = grid.entries[i].b.lo, hi = grid.entries[i].b.hi;
        size_t j = i + 1;
        for (; j < n && grid.entries[j].edge == edge; ++j) {
            const block& b = grid.entries[j].b;
            if (b.lo < hi) {
                hi = std::max(hi, b.hi);
            } else {
                overlap += hi - lo;
                lo = b.lo;
                hi = b.hi;
            }
        }
        overlap += hi - lo;
        i = j;

        const int hori = static_cast<int>(edge & 1);
        long long rest = edge >> 1;
        const int l = static_cast<int>(rest % L);
        rest /= L;
        const int y = static_cast<int>(rest % Y);
        const int x = static_cast<int>(rest / Y);
        const size_t k = static_cast<size_t>(l);
        const long long len = hori ? db.tileH : db.tileW;
        overlap = std::clamp<long long>(overlap, 0, len);
        if (overlap == 0) continue;
        const int c = hori ? db.hCap[k] : db.vCap[k];
        const int pitch = db.pitch[k];
        // The uncovered share of the capacity, taken in double and truncated,
        // then rounded down to whole tracks.
        const double share = static_cast<double>(len - overlap) / static_cast<double>(len);
        long long reduced = static_cast<long long>(c * share);
        if (reduced < 0) reduced = 0;
        reduced = reduced / pitch * pitch;
        if (reduced == c) continue;
        const int tracks = static_cast<int>(reduced / pitch);
        auto found = existing.find(edge);
        if (found != existing.end()) {
            int& cap = db.adjCapacity[found->second];
            cap = std::min(cap, tracks);
            int& units = db.adjCapacityUnits[found->second];
            units = static_cast<int>(std::min<long long>(units, reduced));
        } else {
            db.adjLocate.push_back(RPoint(x, y, l, hori));
            db.adjCapacity.push_back(tracks);
            db.adjCapacityUnits.push_back(static_cast<int>(reduced));
        }
    }
}
