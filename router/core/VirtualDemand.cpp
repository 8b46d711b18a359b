// Pin-density virtual demand: every 2D edge is charged extra demand from the
// pins of the two G-cells it joins, before any net is routed.

#include <cmath>

#include "router/core/GlobalRouter.h"

namespace {
// Largest demand one G-cell adds to an edge: far above any capacity the
// readers accept, so the edge is blocked all the same, and small enough that
// the sums with usage stay inside int.
constexpr int kMaxCellDemand = 1 << 24;
}  // namespace

void GlobalRouter::initialVirtualDem(std::vector<std::vector<int>>& pinsPerGcell, double factor) {
    if (placement.vdX != X || placement.vdY != Y) placement.resizeVirtualDemand(X, Y);
    placement.virtualDemandScale = factor;
    if (!(factor > 0)) return;
    std::vector<int>& vdH = placement.virtualDemandH;
    std::vector<int>& vdV = placement.virtualDemandV;
    for (int x = 0; x < X; ++x) {
        // Rows or entries missing from the pin table count as G-cells without pins.
        const int rowLen = x < static_cast<int>(pinsPerGcell.size()) ? static_cast<int>(pinsPerGcell[x].size()) : 0;
        for (int y = 0; y < Y && y < rowLen; ++y) {
            const double want = std::ceil(pinsPerGcell[x][y] * factor);
            const int v = want < kMaxCellDemand ? static_cast<int>(want) : kMaxCellDemand;
            if (v == 0) continue;
            if (y < Y - 1) vdV[xyIdx(x, y)] += v;
            if (y > 0) vdV[xyIdx(x, y - 1)] += v;
            if (x > 0) vdH[xyIdx(x - 1, y)] += v;
            if (x < X - 1) vdH[xyIdx(x, y)] += v;
        }
    }
}
