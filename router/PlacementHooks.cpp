// The router's side of the placement database: building it, legalizing into
// it, and keeping the virtual demand and connection ends current as cells move.

#include <algorithm>
#include <cstdio>

#include "router/GlobalRouter.h"

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
    const int x1 = std::min(std::max((cell.xlow + cell.width - p.originX) / p.binW, 0), X - 1);
    const int y1 = std::min(std::max((cell.ylow + cell.height - p.originY) / p.binH, 0), Y - 1);
    auto refresh = [&](int kind, int x, int y) {
        if (costMode2D == 0)
            printf("ERROR %s %d\n", "GlobalRouter", 6527);
        else
            refreshEdgeCost(kind, x, y);
    };
    for (int x = std::max(x0 - 1, 0); x <= std::min(x1, X - 2); ++x)
        for (int y = y0; y <= std::min(y1, Y - 1); ++y) {
            p.updateVirtualDemandHor(x, y);
            refresh(1, x, y);
        }
    for (int x = x0; x <= std::min(x1, X - 1); ++x)
        for (int y = std::max(y0 - 1, 0); y <= std::min(y1, Y - 2); ++y) {
            p.updateVirtualDemandVer(x, y);
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
            tp->from.x = placement.binCol(c.xlow + a.xOffset);
            tp->from.y = placement.binRow(c.ylow + a.yOffset);
            tp->from.z = c.pinLayer;
        }
        if (b.cell == cell) {
            tp->to.x = placement.binCol(c.xlow + b.xOffset);
            tp->to.y = placement.binRow(c.ylow + b.yOffset);
            tp->to.z = c.pinLayer;
        }
    }
}
