// First routes of two-pin connections without a search: the cheaper of the two
// L shapes, the straight run, and the recording of Steiner-tree segments that
// make the L shapes prefer the net's own tree.

#include <algorithm>
#include <cstdlib>
#include <vector>

#include "router/core/GlobalRouter.h"

namespace {

// Calls f(hori, x, y) for every unit edge of the horizontal run on row y from
// x0 to x1 (x0 <= x1), left to right.
template <class F>
void walkRow(int y, int x0, int x1, F&& f) {
    for (int x = x0; x < x1; ++x) f(1, x, y);
}

// Calls f(hori, x, y) for every unit edge of the vertical run on column x from
// y0 to y1 in walking order; each edge is named by its lower G-cell.
template <class F>
void walkColumn(int x, int y0, int y1, F&& f) {
    if (y0 < y1) {
        for (int y = y0; y < y1; ++y) f(0, x, y);
    } else {
        for (int y = y0 - 1; y >= y1; --y) f(0, x, y);
    }
}

// Walks an L from s to t: either along s's row first and then up or down t's
// column, or along s's column first and then along t's row. f gets the leg
// number (0 or 1) with every edge.
template <class F>
void walkL(const Point& s, const Point& t, bool rowFirst, F&& f) {
    if (rowFirst) {
        walkRow(s.y, s.x, t.x, [&](int h, int x, int y) { f(0, h, x, y); });
        walkColumn(t.x, s.y, t.y, [&](int h, int x, int y) { f(1, h, x, y); });
    } else {
        walkColumn(s.x, s.y, t.y, [&](int h, int x, int y) { f(0, h, x, y); });
        walkRow(t.y, s.x, t.x, [&](int h, int x, int y) { f(1, h, x, y); });
    }
}

}  // namespace

int GlobalRouter::Pattern(Point& a, Point& b, TwoPin* twoPin, int& maxDemand) {
    const Point s = a.x < b.x ? a : b;
    const Point t = a.x < b.x ? b : a;
    maxDemand = 0;
    Net& net = *twoPin->parNet;
    const bool shared = net.twopin.size() > 1;
    const float nearTree = costScale * 1.0f;
    const float offTree = costScale * 3.0f;

    // Plain usage plus a charge that is lower on the net's Steiner tree and
    // zero where a sibling connection already runs.
    auto edgeCost = [&](int hori, int x, int y) -> float {
        const float u = static_cast<float>(hori == 1 ? graph.uH(x, y) : graph.uV(x, y));
        if (shared) {
            if (net.edgeUse[hori].count(x * Y + y) != 0) return 0.0f;
            if (net.treeEdges.count(RPoint(x, y, 0, hori)) != 0) return u + nearTree;
        }
        return u + offTree;
    };
    auto costOf = [&](bool rowFirst) -> float {
        float leg[2] = {0.0f, 0.0f};
        walkL(s, t, rowFirst, [&](int l, int hori, int x, int y) { leg[l] += edgeCost(hori, x, y); });
        return leg[0] + leg[1];
    };

    // The lower L runs its horizontal leg along the lower of the two rows.
    const bool lowerRowFirst = s.y < t.y;
    const float lowerCost = costOf(lowerRowFirst);
    const float upperCost = costOf(!lowerRowFirst);
    const bool rowFirst = upperCost < lowerCost ? !lowerRowFirst : lowerRowFirst;

    std::vector<RPoint>& path = twoPin->path;
    path.reserve(path.size() + static_cast<size_t>(t.x - s.x + std::abs(t.y - s.y)));
    walkL(s, t, rowFirst, [&](int, int hori, int x, int y) {
        path.emplace_back(x, y, hori);
        maxDemand = std::max(maxDemand, graph.getCost(x, y, hori == 1));
    });
    return RoutePath(path, net);
}

int GlobalRouter::Flat(Point& a, Point& b, std::vector<RPoint>& path, Net& net) {
    const Point s = a.x < b.x ? a : b;
    const Point t = a.x < b.x ? b : a;
    if (s.x == t.x) {
        const int y0 = std::min(s.y, t.y);
        const int y1 = std::max(s.y, t.y);
        path.reserve(path.size() + static_cast<size_t>(y1 - y0));
        for (int y = y0; y < y1; ++y) path.emplace_back(s.x, y, 0);
    } else {
        path.reserve(path.size() + static_cast<size_t>(t.x - s.x));
        for (int x = s.x; x < t.x; ++x) path.emplace_back(x, s.y, 1);
    }
    return RoutePath(path, net);
}

void GlobalRouter::FluteFlat(const Point& a, const Point& b, Net& net) {
    if (a.x == b.x && a.y == b.y) return;
    if (a.x != b.x) {
        const int x1 = std::max(a.x, b.x);
        for (int x = std::min(a.x, b.x); x < x1; ++x) net.treeEdges.insert(RPoint(x, a.y, 0, 1));
    } else {
        const int y1 = std::max(a.y, b.y);
        for (int y = std::min(a.y, b.y); y < y1; ++y) net.treeEdges.insert(RPoint(a.x, y, 0, 0));
    }
}
