// The router's side of the placement database: building it, legalizing into
// it, and keeping the virtual demand and connection ends current as cells move.

#include <algorithm>
#include <cstdio>

#include "router/core/GlobalRouter.h"

void GlobalRouter::initialPlacement(std::vector<placeCell>& cells, std::vector<Row>& rows, int originX, int originY,
                                    int tileWidth, int tileHeight, double virtualDemandScale, int macroMargin) {
    std::vector<int> layerCap(L, 0);
    for (int l = 0; l < L; ++l) {
        const int h = l < static_cast<int>(hCapPerLayer.size()) ? hCapPerLayer[l] : 0;
        const int v = l < static_cast<int>(vCapPerLayer.size()) ? vCapPerLayer[l] : 0;
        layerCap[l] = h != 0 ? h : v;
    }
    placement.initial(cells, rows, layerCap, X, Y, L, originX, originY, tileWidth, tileHeight, virtualDemandScale,
                      macroMargin);
}

void GlobalRouter::legalize() {
    placement.legalizeAllCell();
    for (size_t i = 0; i < placement.cells.size(); ++i) {
        placeCell& c = placement.cells[i];
        if (c.type != 0) continue;
        placement.ripupBin(static_cast<int>(i));
        placement.insertBin(static_cast<int>(i), c.legX, c.legY);
    }
    const int over = placement.showPlaceInfo();
    if (over > 0) printf("ERROR %s %d binOF=%d\n", "GlobalRouter", 3819, over);
}

void GlobalRouter::clearCellInfo() {
    for (std::vector<TwoPin*>& list : placement.cellTwoPins) list.clear();
    placement.resetHistory();
    placement.countHistory = false;
}

void GlobalRouter::updateVirtualCost(placeCell& cell) {
    Placement& p = placement;
    if (p.vdX != X || p.vdY != Y) p.resizeVirtualDemand(X, Y);
    const int x0 = p.binCol(cell.xlow), y0 = p.binRow(cell.ylow);
    // A right or top edge on a bin boundary counts the next column or row.
    const long long right = (static_cast<long long>(cell.xlow) + cell.width - p.originX) / p.binW;
    const long long top = (static_cast<long long>(cell.ylow) + cell.height - p.originY) / p.binH;
    const int x1 = static_cast<int>(std::min<long long>(std::max<long long>(right, 0), X - 1));
    const int y1 = static_cast<int>(std::min<long long>(std::max<long long>(top, 0), Y - 1));
    auto refresh = [&](int kind, int x, int y) {
        if (costMode2D == 0)
            printf("ERROR %s %d\n", "GlobalRouter", 6527);
        else
            refreshEdgeCost(kind, x, y);
    };
    // Commit and rip-up count an edge's routed units above capacity - virtual
    // demand; when the virtual demand changes, the edge is counted again.
    const bool haveBase = p.baseUsageH.size() == graph.usageH.size() && p.baseUsageV.size() == graph.usageV.size();
    auto routedOverflow = [&](int kind, int x, int y) {
        const long long u = usage2D(kind, x, y);
        const long long v = virtualDemand(kind, x, y);
        const long long cap = cap2D(kind);
        long long base = 0;
        if (haveBase) base = kind == 1 ? p.baseUsageH[graph.hIdx(x, y)] : p.baseUsageV[graph.vIdx(x, y)];
        return std::max(u + v - cap, 0LL) - std::max(base + v - cap, 0LL);
    };
    for (int x = std::max(x0 - 1, 0); x <= std::min(x1, X - 2); ++x)
        for (int y = y0; y <= std::min(y1, Y - 1); ++y) {
            const long long before = routedOverflow(1, x, y);
            p.updateVirtualDemandHor(x, y);
            totalOF += static_cast<int>(routedOverflow(1, x, y) - before);
            refresh(1, x, y);
        }
    for (int x = x0; x <= std::min(x1, X - 1); ++x)
        for (int y = std::max(y0 - 1, 0); y <= std::min(y1, Y - 2); ++y) {
            const long long before = routedOverflow(0, x, y);
            p.updateVirtualDemandVer(x, y);
            totalOF += static_cast<int>(routedOverflow(0, x, y) - before);
            refresh(0, x, y);
        }
}

void GlobalRouter::updateNetInfo(int cell) {
    const placeCell& c = placement.cells[cell];
    for (TwoPin* tp : placement.cellTwoPins[cell]) {
        Net& net = *tp->parNet;
        const pinLocate& a = net.pins[tp->fromPin];
        const pinLocate& b = net.pins[tp->toPin];
        if (a.cell == cell) {
            tp->from.x = placement.binCol(static_cast<long long>(c.xlow) + a.xOffset);
            tp->from.y = placement.binRow(static_cast<long long>(c.ylow) + a.yOffset);
            tp->from.z = c.pinLayer;
        }
        if (b.cell == cell) {
            tp->to.x = placement.binCol(static_cast<long long>(c.xlow) + b.xOffset);
            tp->to.y = placement.binRow(static_cast<long long>(c.ylow) + b.yOffset);
            tp->to.z = c.pinLayer;
        }
    }
}
