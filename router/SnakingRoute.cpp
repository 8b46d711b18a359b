// Snaking dynamic programs: monotone in one direction, free in the other
// within a box, with two sweeps per column (or row) and no bend cost; and the
// snaking reroute of one connection.
//
// Each sweep across the free direction first takes the better of the monotone
// move and the move from the neighbour already swept (ties to the horizontal
// move), then sweeps back and takes the move from the other neighbour only
// when it gains more than 0.01, so that float noise never flips a G-cell.

#include <algorithm>
#include <cstdlib>

#include "database/Timer.h"
#include "router/GlobalRouter.h"

namespace {

// Appends the straight run from `to` back to `from` (one shared column or row),
// in the order a trace back from `to` would give.
void appendStraight(std::vector<RPoint>& path, const Point& from, const Point& to) {
    if (from.x == to.x) {
        for (int y = to.y; y > from.y; --y) path.emplace_back(to.x, y - 1, 0);
        for (int y = to.y; y < from.y; ++y) path.emplace_back(to.x, y, 0);
    } else {
        for (int x = to.x; x > from.x; --x) path.emplace_back(x - 1, to.y, 1);
        for (int x = to.x; x < from.x; ++x) path.emplace_back(x, to.y, 1);
    }
}

bool gainsMoreThanAHundredth(float current, float candidate) {
    return static_cast<double>(current) - 0.01 > static_cast<double>(candidate);
}

}  // namespace

void GlobalRouter::snakingRoutingVer(Point& s, Point& t, BoundingBox& box, int* dir, float* cost) {
    const int si = xyIdx(s.x, s.y);
    cost[si] = 0.0f;
    dir[si] = -1;
    if (s.x == t.x) return;
    const int lo = box.lower.y;
    const int hi = box.upper.y;

    for (int y = s.y + 1; y <= hi; ++y) {
        const int c = xyIdx(s.x, y);
        cost[c] = cost[xyIdx(s.x, y - 1)] + mapCostAt(0, s.x, y - 1);
        dir[c] = 0;
    }
    for (int y = s.y - 1; y >= lo; --y) {
        const int c = xyIdx(s.x, y);
        cost[c] = cost[xyIdx(s.x, y + 1)] + mapCostAt(0, s.x, y);
        dir[c] = 2;
    }

    const int sx = s.x < t.x ? 1 : -1;
    const int hCode = sx > 0 ? 1 : 3;
    const int n = std::abs(t.x - s.x);
    for (int i = 1; i <= n; ++i) {
        const int x = s.x + sx * i;
        const int px = x - sx;
        const int ex = sx > 0 ? x - 1 : x;  // the horizontal edge between px and x
        const int first = xyIdx(x, lo);
        cost[first] = cost[xyIdx(px, lo)] + mapCostAt(1, ex, lo);
        dir[first] = hCode;
        for (int y = lo + 1; y <= hi; ++y) {
            const float ch = cost[xyIdx(px, y)] + mapCostAt(1, ex, y);
            const float cv = cost[xyIdx(x, y - 1)] + mapCostAt(0, x, y - 1);
            const int c = xyIdx(x, y);
            if (cv >= ch) {
                cost[c] = ch;
                dir[c] = hCode;
            } else {
                cost[c] = cv;
                dir[c] = 0;
            }
        }
        for (int y = hi - 1; y >= lo; --y) {
            const float cv = cost[xyIdx(x, y + 1)] + mapCostAt(0, x, y);
            const int c = xyIdx(x, y);
            if (gainsMoreThanAHundredth(cost[c], cv)) {
                cost[c] = cv;
                dir[c] = 2;
            }
        }
    }
}

void GlobalRouter::snakingRoutingHor(Point& s, Point& t, BoundingBox& box, int* dir, float* cost) {
    const int si = xyIdx(s.x, s.y);
    cost[si] = 0.0f;
    dir[si] = -1;
    if (s.y == t.y) return;
    const int lo = box.lower.x;
    const int hi = box.upper.x;

    for (int x = s.x + 1; x <= hi; ++x) {
        const int c = xyIdx(x, s.y);
        cost[c] = cost[xyIdx(x - 1, s.y)] + mapCostAt(1, x - 1, s.y);
        dir[c] = 1;
    }
    for (int x = s.x - 1; x >= lo; --x) {
        const int c = xyIdx(x, s.y);
        cost[c] = cost[xyIdx(x + 1, s.y)] + mapCostAt(1, x, s.y);
        dir[c] = 3;
    }

    const int sy = s.y < t.y ? 1 : -1;
    const int vCode = sy > 0 ? 0 : 2;
    const int n = std::abs(t.y - s.y);
    for (int j = 1; j <= n; ++j) {
        const int y = s.y + sy * j;
        const int py = y - sy;
        const int ey = sy > 0 ? y - 1 : y;  // the vertical edge between py and y
        const int first = xyIdx(lo, y);
        cost[first] = cost[xyIdx(lo, py)] + mapCostAt(0, lo, ey);
        dir[first] = vCode;
        for (int x = lo + 1; x <= hi; ++x) {
            const float cv = cost[xyIdx(x, py)] + mapCostAt(0, x, ey);
            const float ch = cost[xyIdx(x - 1, y)] + mapCostAt(1, x - 1, y);
            const int c = xyIdx(x, y);
            if (cv >= ch) {
                cost[c] = ch;
                dir[c] = 1;
            } else {
                cost[c] = cv;
                dir[c] = vCode;
            }
        }
        for (int x = hi - 1; x >= lo; --x) {
            const float ch = cost[xyIdx(x + 1, y)] + mapCostAt(1, x, y);
            const int c = xyIdx(x, y);
            if (gainsMoreThanAHundredth(cost[c], ch)) {
                cost[c] = ch;
                dir[c] = 3;
            }
        }
    }
}

void GlobalRouter::snakingRouting(TwoPin* tp, BoundingBox& box, int* dir, float* cost, bool horizontal) {
    minu_func(true, tp);
    t_snakeKernel.start();
    // With both ends on the monotone line the DP writes only the source, and a
    // trace back would read codes left by earlier kernels: the straight run
    // between the ends is the only route in the box along that line.
    const bool straight = horizontal ? tp->from.y == tp->to.y : tp->from.x == tp->to.x;
    if (!straight) {
        if (horizontal)
            snakingRoutingHor(tp->from, tp->to, box, dir, cost);
        else
            snakingRoutingVer(tp->from, tp->to, box, dir, cost);
    }
    t_snakeKernel.stop();
    if (straight) {
        appendStraight(tp->path, tp->from, tp->to);
    } else {
        // The DP's region: the box along the free direction, the ends' span along
        // the monotone one.
        BoundingBox region = box;
        if (horizontal) {
            region.lower.y = std::min(tp->from.y, tp->to.y);
            region.upper.y = std::max(tp->from.y, tp->to.y);
        } else {
            region.lower.x = std::min(tp->from.x, tp->to.x);
            region.upper.x = std::max(tp->from.x, tp->to.x);
        }
        monTraceBack(tp->path, tp->to.x, tp->to.y, dir, region);
    }
    add_func(true, tp);
}
