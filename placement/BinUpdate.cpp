// Moving cells in and out of the bins, overflow history, density cost and the
// pin-density virtual demand of the placement flows.

#include <cmath>
#include <cstdio>

#include "placement/Placement.h"

void Placement::insertBin(int cell, int x, int y) {
    placeCell& c = cells[cell];
    c.xlow = x;
    c.ylow = y;
    placeRec(x, y, static_cast<long long>(x) + c.width, static_cast<long long>(y) + c.height, 1);
    for (const pinLocate& p : c.pins)
        bin(binCol(static_cast<long long>(x) + p.xOffset), binRow(static_cast<long long>(y) + p.yOffset)).pinCount += 1;
    bin(binCol(x), binRow(y)).cells.insert(cell);
}

void Placement::ripupBin(int cell) {
    placeCell& c = cells[cell];
    const int x = c.xlow, y = c.ylow;
    placeRec(x, y, static_cast<long long>(x) + c.width, static_cast<long long>(y) + c.height, -1);
    for (const pinLocate& p : c.pins)
        bin(binCol(static_cast<long long>(x) + p.xOffset), binRow(static_cast<long long>(y) + p.yOffset)).pinCount -= 1;
    bin(binCol(x), binRow(y)).cells.erase(cell);
}

void Placement::placeRec(long long x1, long long y1, long long x2, long long y2, int sign) {
    int c1, r1, c2, r2;
    binRange(x1, y1, x2, y2, c1, r1, c2, r2);
    long long total = 0;
    for (int x = c1; x <= c2; ++x)
        for (int y = r1; y <= r2; ++y) {
            const long long a = binOverlap(x, y, x1, y1, x2, y2);
            Bin& b = bin(x, y);
            b.placedArea += sign * a;
            total += a;
            if (countHistory && b.placedArea > b.placeableArea) b.history += 1;
        }
    const long long area = (x2 - x1) * (y2 - y1);
    if (total != area) {
        printf("totalArea=%lld, realArea=%lld\n", total, area);
        printf("blX=%d blY=%d trX=%d trY=%d\n", c1, r1, c2, r2);
    }
}

int Placement::updateHistory() {
    int n = 0;
    for (Bin& b : bins)
        if (b.placedArea > b.placeableArea) {
            b.history += 1;
            ++n;
        }
    return n;
}

void Placement::resetHistory() {
    for (Bin& b : bins) b.history = 0;
}

int Placement::showPlaceInfo() {
    int n = 0;
    for (const Bin& b : bins)
        if (b.placedArea > b.placeableArea) ++n;
    return n;
}

float Placement::binDesCost(int x, int y, long long area) {
    const Bin& b = bin(x, y);
    if (b.placeableArea == 0) return 10000.0f;
    const float r = static_cast<float>(b.placedArea + area + 1) / static_cast<float>(b.placeableArea + 1);
    const double h = b.history;
    const double rd = r;
    double cost;
    if (rd > 0.95)
        cost = (h * 0.5 + 1.0) * (rd - 0.95);
    else
        cost = (h + 1.0) * (rd - 0.95) * 0.01;
    return static_cast<float>(cost);
}

namespace {
double pinDensity(const Bin& b) { return b.pinCount / b.freeRatio; }
}  // namespace

void Placement::updateVirtualDemandHor(int x, int y) {
    const double d = pinDensity(bin(x, y)) + pinDensity(bin(x + 1, y));
    virtualDemandH[static_cast<size_t>(x) * vdY + y] = static_cast<int>(std::ceil(d * virtualDemandScale));
}

void Placement::updateVirtualDemandVer(int x, int y) {
    const double d = pinDensity(bin(x, y)) + pinDensity(bin(x, y + 1));
    virtualDemandV[static_cast<size_t>(x) * vdY + y] = static_cast<int>(std::ceil(d * virtualDemandScale));
}

void Placement::initVirtualDem() {
    // One entry per G-cell in both tables, the last column and row included;
    // entries without an edge stay 0.
    resizeVirtualDemand(binX, binY);
    for (int x = 0; x + 1 < binX; ++x)
        for (int y = 0; y < binY; ++y) updateVirtualDemandHor(x, y);
    for (int x = 0; x < binX; ++x)
        for (int y = 0; y + 1 < binY; ++y) updateVirtualDemandVer(x, y);
}
