// Rerouting of one connection by the cheapest monotone path inside the box of
// its two ends, where every change of direction costs bendCost.
//
// Each G-cell of the box has two states: H (arrived horizontally, or turned to
// horizontal) and V (vertical). The H and V costs and their codes live in the
// router's first two work cost maps and direction maps, indexed by grid
// position; only the box is written and only the box is read, so the maps are
// never cleared between calls.

#include <algorithm>
#include <cstdlib>

#include "router/core/GlobalRouter.h"

namespace {

// Codes of a state: how the cheapest route reached it.
constexpr int kFromLeft = 1;      // H state, horizontal step from the x-predecessor's H
constexpr int kFromBehind = 0;    // V state, vertical step from the y-predecessor's V
constexpr int kTurnToH = 3;       // H state taken over from this G-cell's V
constexpr int kTurnToV = 2;       // V state taken over from this G-cell's H

}  // namespace

int GlobalRouter::DDPattern(Point& a, Point& b, TwoPin* twoPin, int& maxDemand) {
    Net& net = *twoPin->parNet;
    minu_func(true, twoPin);

    const Point s = a.x < b.x ? a : b;
    const Point t = a.x < b.x ? b : a;
    a = t;
    b = s;
    maxDemand = 0;

    // A negative (or undefined) bend cost would let a G-cell turn from H to V and
    // back for ever during the trace; such a cost counts as no cost.
    const float bend = bendCost > 0.0f ? bendCost : 0.0f;
    const int dx = t.x - s.x;
    const int dy = std::abs(t.y - s.y);
    const bool up = s.y < t.y;
    const int sy = up ? 1 : -1;

    float* costH = workCost1.data();
    float* costV = workCost2.data();
    int* codeH = workDir1.data();
    int* codeV = workDir2.data();
    // The vertical edge between (x, y) and its y-predecessor, named by its lower G-cell.
    auto stepCostV = [&](int x, int y) { return mapCostAt(0, x, up ? y - 1 : y); };

    const int si = xyIdx(s.x, s.y);
    costH[si] = 0.0f;
    costV[si] = bend;
    codeH[si] = -1;
    codeV[si] = -1;

    // The start's row.
    for (int i = 1; i <= dx; ++i) {
        const int x = s.x + i;
        const int c = xyIdx(x, s.y);
        costH[c] = costH[xyIdx(x - 1, s.y)] + mapCostAt(1, x - 1, s.y);
        codeH[c] = kFromLeft;
        costV[c] = costH[c] + bend;
        codeV[c] = kTurnToV;
    }
    // The start's column.
    for (int j = 1; j <= dy; ++j) {
        const int y = s.y + sy * j;
        const int c = xyIdx(s.x, y);
        costV[c] = costV[xyIdx(s.x, y - sy)] + stepCostV(s.x, y);
        codeV[c] = kFromBehind;
        costH[c] = costV[c] + bend;
        codeH[c] = kTurnToH;
    }
    // The rest, column by column, each column walked away from the start's row.
    // A turn is taken only when strictly cheaper than going straight on.
    for (int i = 1; i <= dx; ++i) {
        const int x = s.x + i;
        for (int j = 1; j <= dy; ++j) {
            const int y = s.y + sy * j;
            const int c = xyIdx(x, y);
            const float hArr = costH[xyIdx(x - 1, y)] + mapCostAt(1, x - 1, y);
            const float vArr = costV[xyIdx(x, y - sy)] + stepCostV(x, y);
            if (vArr + bend < hArr) {
                costH[c] = vArr + bend;
                codeH[c] = kTurnToH;
            } else {
                costH[c] = hArr;
                codeH[c] = kFromLeft;
            }
            if (hArr + bend < vArr) {
                costV[c] = hArr + bend;
                codeV[c] = kTurnToV;
            } else {
                costV[c] = vArr;
                codeV[c] = kFromBehind;
            }
        }
    }

    // The route ends in the H state at t; trace it back to s.
    const int ti = xyIdx(t.x, t.y);
    twoPin->mazeBound = costH[ti];
    std::vector<RPoint>& path = twoPin->path;
    path.reserve(path.size() + static_cast<size_t>(dx + dy));
    int x = t.x;
    int y = t.y;
    bool inH = true;
    while (x != s.x || y != s.y) {
        const int c = xyIdx(x, y);
        const int code = inH ? codeH[c] : codeV[c];
        int usage = 0;
        if (code == kFromLeft) {
            path.emplace_back(x - 1, y, 1);
            usage = graph.getCost(x - 1, y, true);
            --x;
        } else if (code == kFromBehind) {
            const int ey = up ? y - 1 : y;
            path.emplace_back(x, ey, 0);
            usage = graph.getCost(x, ey, false);
            y -= sy;
        } else if (code == kTurnToH) {
            inH = false;  // this H state came from the V state of the same G-cell
            continue;
        } else if (code == kTurnToV) {
            inH = true;
            continue;
        } else {
            break;  // only the start holds another code
        }
        maxDemand = std::max(maxDemand, usage);
    }

    add_func(true, twoPin);
    return RoutePath(path, net);
}
