// The monotone staircase dynamic program and the trace back that turns any of
// the 2D direction maps into a path.
//
// Direction codes of a G-cell: -1 the source; 0 reached from below (vertical
// edge at (x, y - 1)); 1 from the left (horizontal edge at (x - 1, y)); 2 from
// above (vertical edge at (x, y)); 3 from the right (horizontal edge at (x, y)).

#include <cstdio>
#include <cstdlib>

#include "router/core/GlobalRouter.h"

namespace {

[[noreturn]] void traceFailure(const char* why, int x, int y) {
    fflush(stdout);
    fprintf(stderr, "ERROR: internal: trace back %s at G-cell (%d, %d)\n", why, x, y);
    exit(1);
}

}  // namespace

void GlobalRouter::pseudoMonotonic(Point& s, Point& t, int* dir, float* cost) {
    const int si = xyIdx(s.x, s.y);
    cost[si] = 0.0f;
    dir[si] = -1;
    if (s.x == t.x && s.y == t.y) return;

    const int sx = s.x < t.x ? 1 : -1;
    const int xCode = s.x < t.x ? 1 : 3;
    const int sy = s.y < t.y ? 1 : -1;
    const int yCode = s.y < t.y ? 0 : 2;
    const int nx = std::abs(t.x - s.x);
    const int ny = std::abs(t.y - s.y);
    // Edge between (x - sx, y) and (x, y), and between (x, y - sy) and (x, y).
    auto hEdge = [&](int x, int y) { return mapCostAt(1, sx > 0 ? x - 1 : x, y); };
    auto vEdge = [&](int x, int y) { return mapCostAt(0, x, sy > 0 ? y - 1 : y); };

    for (int i = 1; i <= nx; ++i) {
        const int x = s.x + sx * i;
        const int c = xyIdx(x, s.y);
        cost[c] = cost[xyIdx(x - sx, s.y)] + hEdge(x, s.y);
        dir[c] = xCode;
    }
    for (int j = 1; j <= ny; ++j) {
        const int y = s.y + sy * j;
        const int c = xyIdx(s.x, y);
        cost[c] = cost[xyIdx(s.x, y - sy)] + vEdge(s.x, y);
        dir[c] = yCode;
    }
    for (int i = 1; i <= nx; ++i) {
        const int x = s.x + sx * i;
        for (int j = 1; j <= ny; ++j) {
            const int y = s.y + sy * j;
            const int left = xyIdx(x - sx, y);
            const int below = xyIdx(x, y - sy);
            float cx = cost[left] + hEdge(x, y);
            if (dir[left] == yCode) cx += monotonicBendCost;
            float cy = cost[below] + vEdge(x, y);
            if (dir[below] == xCode) cy += monotonicBendCost;
            const int c = xyIdx(x, y);
            if (cy >= cx) {
                cost[c] = cx;
                dir[c] = xCode;
            } else {
                cost[c] = cy;
                dir[c] = yCode;
            }
        }
    }
}

void GlobalRouter::monTraceBack(std::vector<RPoint>& path, int x, int y, int* dir) {
    BoundingBox grid;
    grid.lower = Point(0, 0, 0);
    grid.upper = Point(X - 1, Y - 1, 0);
    monTraceBack(path, x, y, dir, grid);
}

void GlobalRouter::monTraceBack(std::vector<RPoint>& path, int x, int y, int* dir, const BoundingBox& region) {
    // A trace that has walked more steps than the region has G-cells has met a
    // cycle in the map; one that leaves the region reads codes it did not write.
    const long limit = static_cast<long>(region.upper.x - region.lower.x + 1) * (region.upper.y - region.lower.y + 1);
    long steps = 0;
    for (;;) {
        if (!region.inside(x, y) || x < 0 || x >= X || y < 0 || y >= Y)
            traceFailure("left the region it traced", x, y);
        const int code = dir[xyIdx(x, y)];
        if (code == -1) return;
        if (code < -1 || code > 3) {
            printf("ERROR: %s %d\n", "GlobalRouter", 2896);
            fflush(stdout);
            exit(1);
        }
        if (++steps >= limit) traceFailure("walked more steps than its region has G-cells", x, y);
        switch (code) {
            case 0:
                path.emplace_back(x, y - 1, 0);
                --y;
                break;
            case 1:
                path.emplace_back(x - 1, y, 1);
                --x;
                break;
            case 2:
                path.emplace_back(x, y, 0);
                ++y;
                break;
            default:  // 3
                path.emplace_back(x, y, 1);
                ++x;
                break;
        }
    }
}
