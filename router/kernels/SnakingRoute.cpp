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
#include "router/core/GlobalRouter.h"

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

// The snaking DP monotone along one axis (m: x when alongY is false, y when it
// is true) from s to t, free along the other (f) over the box.
void snakingDP(GlobalRouter& r, const Point& s, const Point& t, const BoundingBox& box, int* dir, float* cost,
               bool alongY) {
    auto at = [&](int m, int f) { return alongY ? r.xyIdx(f, m) : r.xyIdx(m, f); };
    // The edge from (m, f) to (m + 1, f), and the one from (m, f) to (m, f + 1).
    auto mEdge = [&](int m, int f) { return alongY ? r.mapCostAt(0, f, m) : r.mapCostAt(1, m, f); };
    auto fEdge = [&](int m, int f) { return alongY ? r.mapCostAt(1, f, m) : r.mapCostAt(0, m, f); };
    const int sm = alongY ? s.y : s.x;
    const int sf = alongY ? s.x : s.y;
    const int tm = alongY ? t.y : t.x;
    const int lo = alongY ? box.lower.x : box.lower.y;
    const int hi = alongY ? box.upper.x : box.upper.y;
    const int fromLowerF = alongY ? 1 : 0;   // from the left / from below
    const int fromHigherF = alongY ? 3 : 2;  // from the right / from above

    cost[at(sm, sf)] = 0.0f;
    dir[at(sm, sf)] = -1;
    if (sm == tm) return;
    for (int f = sf + 1; f <= hi; ++f) {
        cost[at(sm, f)] = cost[at(sm, f - 1)] + fEdge(sm, f - 1);
        dir[at(sm, f)] = fromLowerF;
    }
    for (int f = sf - 1; f >= lo; --f) {
        cost[at(sm, f)] = cost[at(sm, f + 1)] + fEdge(sm, f);
        dir[at(sm, f)] = fromHigherF;
    }

    const int step = sm < tm ? 1 : -1;
    const int mCode = step > 0 ? (alongY ? 0 : 1) : (alongY ? 2 : 3);
    const int n = std::abs(tm - sm);
    for (int i = 1; i <= n; ++i) {
        const int m = sm + step * i;
        const int pm = m - step;
        const int em = std::min(m, pm);
        cost[at(m, lo)] = cost[at(pm, lo)] + mEdge(em, lo);
        dir[at(m, lo)] = mCode;
        for (int f = lo + 1; f <= hi; ++f) {
            const float cm = cost[at(pm, f)] + mEdge(em, f);
            const float cf = cost[at(m, f - 1)] + fEdge(m, f - 1);
            // The horizontal move wins ties: the monotone one across columns,
            // the free one along rows.
            const bool takeFree = alongY ? cf <= cm : cf < cm;
            const int c = at(m, f);
            cost[c] = takeFree ? cf : cm;
            dir[c] = takeFree ? fromLowerF : mCode;
        }
        for (int f = hi - 1; f >= lo; --f) {
            const float cf = cost[at(m, f + 1)] + fEdge(m, f);
            const int c = at(m, f);
            if (gainsMoreThanAHundredth(cost[c], cf)) {
                cost[c] = cf;
                dir[c] = fromHigherF;
            }
        }
    }
}

}  // namespace

void GlobalRouter::snakingRoutingVer(Point& s, Point& t, BoundingBox& box, int* dir, float* cost) {
    snakingDP(*this, s, t, box, dir, cost, false);
}

void GlobalRouter::snakingRoutingHor(Point& s, Point& t, BoundingBox& box, int* dir, float* cost) {
    snakingDP(*this, s, t, box, dir, cost, true);
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
