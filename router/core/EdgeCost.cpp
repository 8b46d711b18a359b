// Edge cost model: the sigmoid table, the 2D formulas DPCost and NewCost, the
// 3D step cost and the bulk fillers of the two cost caches.

#include <cmath>
#include <cstdint>
#include <limits>

#include "router/core/GlobalRouter.h"

namespace {

// Cost of a step that would exceed capacity: (excess + 1) * 1000000 * weight plus
// an extra term, formed in 64 bits so that large excesses cannot wrap.
float hardOverflowCost(int excess, int64_t weight, int64_t extra) {
    return static_cast<float>((static_cast<int64_t>(excess) + 1) * 1000000 * weight + extra);
}

// The 2D cost in hard-overflow mode, shared by both cost formulas: cheap and
// nearly flat below capacity, prohibitive at and above it.
float hardOverflowCost2D(int d, int cap, int h) {
    if (d < cap) return static_cast<float>(d) / static_cast<float>(cap + 1) + 1.0f;
    return hardOverflowCost(d - cap, 1, h);
}

}  // namespace

void GlobalRouter::initialCostArray() {
    for (int i = 0; i < 1000; ++i)
        costTable[i] = static_cast<float>(
            1.0 + static_cast<double>(sigmoidHeight) / (1.0 + std::exp(-sigmoidSlope * (i - tableOffset))));
}

float GlobalRouter::sigmoidEntry(int d, int cap) const {
    // Capacity adjustments can push demand below zero or capacity above the
    // table offset; both ends are clamped.
    int64_t i = static_cast<int64_t>(d) - cap + tableOffset;
    if (i > 999) i = 999;
    if (i < 0) i = 0;
    return costTable[i];
}

double GlobalRouter::historyPow(int h) {
    if (h < 0 || h >= kHistoryPowSize) return std::pow(static_cast<double>(h), historyExponent);
    // The table holds pow(h, e) for the exponent it was filled with; a new
    // exponent refills it (the values are those of the plain call).
    if (!(historyPowExponent == historyExponent) || historyPowTable.empty()) {
        historyPowTable.resize(kHistoryPowSize);
        for (int i = 0; i < kHistoryPowSize; ++i)
            historyPowTable[i] = std::pow(static_cast<double>(i), historyExponent);
        historyPowExponent = historyExponent;
    }
    return historyPowTable[h];
}

float GlobalRouter::DPCost(int x, int y, int kind) {
    const int d = usage2D(kind, x, y) + virtualDemand(kind, x, y);
    const int cap = cap2D(kind);
    const int h = history2D(kind, x, y);
    if (hardOverflowMode) return hardOverflowCost2D(d, cap, h);
    const float t = sigmoidEntry(d, cap);
    return (static_cast<float>(d) / static_cast<float>(cap + 1) + t + static_cast<float>(h)) * costScale;
}

float GlobalRouter::NewCost(int x, int y, int kind) {
    const int d = usage2D(kind, x, y) + virtualDemand(kind, x, y);
    const int cap = cap2D(kind);
    const int h = history2D(kind, x, y);
    if (hardOverflowMode) return hardOverflowCost2D(d, cap, h);
    const float t = sigmoidEntry(d, cap);
    if (historyMode)
        return static_cast<float>((historyPow(h) / historyDivisor + 1.0) * t *
                                      costScale +
                                  costOffset);
    return t * costScale + costOffset;
}

float GlobalRouter::cost3D(int x, int y, int z, int kind) {
    if (kind == 2) return static_cast<float>(viaCost) * costScale * 75.0f;
    // A layer without tracks in the step's direction cannot carry the step at
    // any price; the vias of its column still lead to the layers that can.
    const std::vector<int>& tracks = kind == 1 ? hCapPerLayer : vCapPerLayer;
    if (z >= static_cast<int>(tracks.size()) || tracks[z] == 0) return std::numeric_limits<float>::infinity();
    const Point_i& dem = graph.dem3D(x, y, z);
    const Point_i& cap = graph.cap3D(x, y, z);
    const int u = kind == 1 ? dem.horizontal : dem.vertical;
    const int c = kind == 1 ? cap.horizontal : cap.vertical;
    if (costMode3D == 2) {
        const Point_i& hist = graph.hist3D(x, y, z);
        const int h3 = kind == 1 ? hist.horizontal : hist.vertical;
        const float scaled = sigmoidEntry(u, c) * costScale;
        return static_cast<float>((historyPow(h3) / historyDivisor + 1.0) *
                                      scaled +
                                  25.0 * costScale);
    }
    // Mode 3, also used for any mode the schedules never set.
    if (c > u) {
        const double q = static_cast<float>(u + 1) / static_cast<float>(c + 1);
        return static_cast<float>(q * q * 0.025 * costScale + costScale);
    }
    return hardOverflowCost(u - c, pitchPerLayer[z], 0);
}

void GlobalRouter::initialFunc_2Dmap(int mode) {
    for (int x = 0; x < X - 1; ++x)
        for (int y = 0; y < Y; ++y) mapCostAt(1, x, y) = mode == 1 ? DPCost(x, y, 1) : NewCost(x, y, 1);
    for (int x = 0; x < X; ++x)
        for (int y = 0; y < Y - 1; ++y) mapCostAt(0, x, y) = mode == 1 ? DPCost(x, y, 0) : NewCost(x, y, 0);
}

void GlobalRouter::initialFunc_3Dmap() {
    if (graph.func_map.size() != static_cast<size_t>(X) * Y * L) graph.func_map.assign(static_cast<size_t>(X) * Y * L, FuncCost{});
    for (int x = 0; x < X; ++x)
        for (int y = 0; y < Y; ++y)
            for (int z = 0; z < L; ++z) {
                FuncCost& f = graph.func(x, y, z);
                f.horizontal = cost3D(x, y, z, 1);
                f.vertical = cost3D(x, y, z, 0);
                f.via = cost3D(x, y, z, 2);
            }
}

void GlobalRouter::refreshEdgeCost(int kind, int x, int y) {
    if (costMode2D == 1)
        mapCostAt(kind, x, y) = DPCost(x, y, kind);
    else if (costMode2D == 2 || costMode2D == 3)
        mapCostAt(kind, x, y) = NewCost(x, y, kind);
}
