// Placement database set-up: rows cut into sub-rows around fixed objects, the
// bin grid with its placeable areas, blocked routing capacity and pin counts.

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstdlib>

#include "placement/Placement.h"

std::string areaText(AreaSum v) {
    if (v >= LLONG_MIN && v <= LLONG_MAX) return std::to_string(static_cast<long long>(v));
    unsigned __int128 u = v < 0 ? -static_cast<unsigned __int128>(v) : static_cast<unsigned __int128>(v);
    std::string digits;
    for (; u > 0; u /= 10) digits.insert(digits.begin(), static_cast<char>('0' + static_cast<int>(u % 10)));
    return v < 0 ? "-" + digits : digits;
}

void Placement::binRange(long long x1, long long y1, long long x2, long long y2, int& c1, int& r1, int& c2,
                         int& r2) const {
    // A rectangle ending exactly on a bin boundary does not touch the next bin.
    const long long dx2 = x2 - originX;
    const long long dy2 = y2 - originY;
    long long hc = dx2 / binW;
    if (dx2 % binW == 0) --hc;
    long long hr = dy2 / binH;
    if (dy2 % binH == 0) --hr;
    c1 = binCol(x1);
    r1 = binRow(y1);
    c2 = static_cast<int>(std::min<long long>(hc, binX - 1));
    r2 = static_cast<int>(std::min<long long>(hr, binY - 1));
    if (x2 <= x1) c2 = c1 - 1;
    if (y2 <= y1) r2 = r1 - 1;
}

long long Placement::binOverlap(int bx, int by, long long x1, long long y1, long long x2, long long y2) const {
    const long long left = static_cast<long long>(originX) + static_cast<long long>(bx) * binW;
    const long long bottom = static_cast<long long>(originY) + static_cast<long long>(by) * binH;
    const long long w = std::min<long long>(left + binW, x2) - std::max<long long>(left, x1);
    const long long h = std::min<long long>(bottom + binH, y2) - std::max<long long>(bottom, y1);
    if (w <= 0 || h <= 0) return 0;
    return w * h;
}

void Placement::initial(std::vector<placeCell>& cellsIn, std::vector<Row>& rowsIn, std::vector<int>& layerCapIn,
                        int X, int Y, int /*layerCount*/, int ox, int oy, int binWidth, int binHeight, double scale,
                        int margin) {
    printf("start initial placement x=%d  y=%d\n", X, Y);
    if (X < 1 || Y < 1 || binWidth < 1 || binHeight < 1) {
        fprintf(stderr, "ERROR: placement grid of %d x %d bins of %d x %d DBU is empty\n", X, Y, binWidth, binHeight);
        exit(1);
    }
    originX = ox;
    originY = oy;
    binW = binWidth;
    binH = binHeight;
    virtualDemandScale = scale;
    binX = X;
    binY = Y;
    xTop = originX + static_cast<long long>(binW) * X;
    yTop = originY + static_cast<long long>(binH) * Y;
    countHistory = false;
    movableCount = 0;
    cells = cellsIn;
    // A cell is named by its position in this vector everywhere in placement.
    for (size_t i = 0; i < cells.size(); ++i) cells[i].index = static_cast<int>(i);
    rows = rowsIn;
    for (Row& r : rows) r.subRows.clear();
    subRowPool.clear();
    layerCap = layerCapIn;

    bins.clear();
    bins.resize(static_cast<size_t>(X) * Y);
    cellTwoPins.assign(cells.size(), {});

    puts("initial row capacity");
    fflush(stdout);
    initialSubRow(margin);
    initialSubRowinBin();
    initialRowCap();

    AreaSum cellArea = 0;
    long long cellPins = 0;
    for (size_t i = 0; i < cells.size(); ++i) {
        placeCell& c = cells[i];
        const int idx = static_cast<int>(i);
        if (c.type == 0) {
            ++movableCount;
            insertBin(idx, c.xlow, c.ylow);
            cellArea += static_cast<long long>(c.width) * c.height;
            if (!c.shapes.empty()) printf("ERROR %s  %d\n", "Placement", 61);
        } else {
            insertMacro(idx, c.type);
        }
        cellPins += static_cast<long long>(c.pins.size());
    }

    double S = 0;
    for (int v : layerCap) S += v;
    if (!(S > 0)) {
        fprintf(stderr, "ERROR: the routing layers have no capacity; placement needs routing tracks\n");
        exit(1);
    }
    AreaSum binDem = 0;
    long long binPins = 0;
    for (Bin& b : bins) {
        if (b.blockedCapacity > S) b.blockedCapacity = S;
        b.freeRatio = 1.0 - b.blockedCapacity / S;
        if (b.freeRatio <= 0.0001) b.freeRatio = 0.0001;
        binDem += b.placedArea;
        binPins += b.pinCount;
    }
    printf("cellArea=%s  totalBinDem=%s\n", areaText(cellArea).c_str(), areaText(binDem).c_str());
    printf("cellpin=%lld  totalBinPin=%lld\n", cellPins, binPins);
    const float util = rowCap > 0 ? static_cast<float>(cellArea + rowCap - totalBinCap) / static_cast<float>(rowCap) : 0.0f;
    const float den = totalBinCap > 0 ? static_cast<float>(cellArea) / static_cast<float>(totalBinCap) : 0.0f;
    printf("DesignUtil=%.2lf  DesignDen=%.2lf\n", static_cast<double>(util), static_cast<double>(den));
}

long long Placement::rowOverlapY(long long y1, long long y2, const Row& row) const {
    return std::min<long long>(y2, static_cast<long long>(row.y) + row.height) - std::max<long long>(y1, row.y);
}

void Placement::initialSubRow(int m) {
    for (Row& row : rows) {
        subRowPool.emplace_back();
        SubRow& s = subRowPool.back();
        s.xlow = row.x;
        s.xhigh = row.x + row.numSites;
        s.ylow = row.y;
        s.yhigh = row.y + row.height;
        row.subRows.assign(1, &s);
    }
    // Rows sorted by bottom, so each terminal meets only the rows of its y span.
    std::vector<int> byY(rows.size());
    for (size_t i = 0; i < rows.size(); ++i) byY[i] = static_cast<int>(i);
    std::stable_sort(byY.begin(), byY.end(), [&](int a, int b) { return rows[a].y < rows[b].y; });
    int maxRowH = 0;
    for (const Row& r : rows) maxRowH = std::max(maxRowH, r.height);
    std::vector<int> hit;

    for (size_t ci = 0; ci < cells.size(); ++ci) {
        const placeCell& c = cells[ci];
        if (c.type != 1) continue;
        const long long ex1 = static_cast<long long>(c.xlow) - m, ex2 = static_cast<long long>(c.xlow) + c.width + m;
        const long long ey1 = static_cast<long long>(c.ylow) - m, ey2 = static_cast<long long>(c.ylow) + c.height + m;
        // Candidate rows: bottom in (ey1 - maxRowH, ey2), in original row order.
        auto lo = std::lower_bound(byY.begin(), byY.end(), ey1 - maxRowH,
                                   [&](int r, long long v) { return rows[r].y <= v; });
        hit.clear();
        for (auto it = lo; it != byY.end() && rows[*it].y < ey2; ++it) hit.push_back(*it);
        std::sort(hit.begin(), hit.end());
        for (int ri : hit) {
            Row& row = rows[ri];
            if (rowOverlapY(ey1, ey2, row) < 1) continue;
            if (!(ex1 < static_cast<long long>(row.x) + row.numSites && ex2 > row.x)) continue;
            if (c.shapes.empty()) {
                cutRow(ex1, ey1, ex2, ey2, row);
            } else {
                for (const shape& sh : c.shapes)
                    cutRow(static_cast<long long>(sh.x) - m, static_cast<long long>(sh.y) - m,
                           static_cast<long long>(sh.x) + sh.w + m, static_cast<long long>(sh.y) + sh.h + m, row);
            }
        }
    }
}

void Placement::cutRow(long long x1, long long y1, long long x2, long long y2, Row& row) {
    // The new ends below lie strictly inside the sub-row, so they fit its int fields.
    std::vector<SubRow*>& list = row.subRows;
    for (size_t i = 0; i < list.size();) {
        SubRow& s = *list[i];
        if (std::min<long long>(y2, s.yhigh) - std::max<long long>(y1, s.ylow) < 1) {
            ++i;
            continue;
        }
        if (s.xhigh <= x2 && s.xlow >= x1) {  // covered
            list.erase(list.begin() + static_cast<long>(i));
            continue;
        }
        if (s.xlow < x2 && s.xlow >= x1) {  // left end inside
            s.xlow = static_cast<int>(x2);
            return;
        }
        if (s.xhigh <= x2 && s.xhigh > x1) {  // right end inside
            s.xhigh = static_cast<int>(x1);
            ++i;
            continue;
        }
        if (s.xhigh > x2 && s.xlow < x1) {  // blockage inside
            subRowPool.push_back(s);
            SubRow& left = subRowPool.back();
            left.xhigh = static_cast<int>(x1);
            s.xlow = static_cast<int>(x2);
            list.insert(list.begin() + static_cast<long>(i), &left);
            return;
        }
        ++i;
    }
}

void Placement::initialSubRowinBin() {
    for (Row& row : rows) {
        for (SubRow* s : row.subRows) {
            int c1, r1, c2, r2;
            binRange(s->xlow, s->ylow, s->xhigh, s->yhigh, c1, r1, c2, r2);
            for (int x = c1; x <= c2; ++x)
                for (int y = r1; y <= r2; ++y) bin(x, y).subRows.push_back(s);
        }
    }
}

void Placement::initialRowCap() {
    rowCap = 0;
    AreaSum subRowCap = 0;
    for (Row& row : rows) {
        rowCap += static_cast<long long>(row.numSites) * row.height;
        for (SubRow* s : row.subRows) {
            int c1, r1, c2, r2;
            binRange(s->xlow, s->ylow, s->xhigh, s->yhigh, c1, r1, c2, r2);
            for (int x = c1; x <= c2; ++x)
                for (int y = r1; y <= r2; ++y)
                    bin(x, y).placeableArea += binOverlap(x, y, s->xlow, s->ylow, s->xhigh, s->yhigh);
            subRowCap += (static_cast<long long>(s->xhigh) - s->xlow) * (static_cast<long long>(s->yhigh) - s->ylow);
        }
    }
    totalBinCap = 0;
    for (const Bin& b : bins) totalBinCap += b.placeableArea;
    printf("rowCap=%s  subRowCap=%s  totalBinCap=%s\n", areaText(rowCap).c_str(), areaText(subRowCap).c_str(),
           areaText(totalBinCap).c_str());
}

void Placement::insertMacro(int cell, int type) {
    placeCell& c = cells[cell];
    if (type == 1 && !c.blockedLayers.empty()) {
        const double binArea = static_cast<double>(binW) * binH;
        auto block = [&](long long x1, long long y1, long long x2, long long y2) {
            int c1, r1, c2, r2;
            binRange(x1, y1, x2, y2, c1, r1, c2, r2);
            for (int x = c1; x <= c2; ++x)
                for (int y = r1; y <= r2; ++y) {
                    const long long A = binOverlap(x, y, x1, y1, x2, y2);
                    Bin& b = bin(x, y);
                    b.macroBlockage = static_cast<int>(static_cast<long long>(c.blockedLayers.size()) * A);
                    for (int l : c.blockedLayers) {
                        if (l < 0 || l >= static_cast<int>(layerCap.size())) continue;
                        b.blockedCapacity += static_cast<double>(layerCap[l]) * static_cast<double>(A) / binArea;
                    }
                }
        };
        if (c.shapes.empty()) {
            block(c.xlow, c.ylow, static_cast<long long>(c.xlow) + c.width, static_cast<long long>(c.ylow) + c.height);
        } else {
            for (const shape& s : c.shapes)
                block(s.x, s.y, static_cast<long long>(s.x) + s.w, static_cast<long long>(s.y) + s.h);
        }
    }
    for (const pinLocate& p : c.pins)
        bin(binCol(static_cast<long long>(c.xlow) + p.xOffset), binRow(static_cast<long long>(c.ylow) + p.yOffset))
            .pinCount += 1;
}
