#include "decomposition/MST.h"

#include <algorithm>
#include <cstdlib>

namespace {

// In 64 bits: pins of the placement flows lie anywhere in +-10^9, so one
// coordinate difference fits an int and the sum of two may not.
long long manhattan(const Point& a, const Point& b) {
    return std::llabs(static_cast<long long>(a.x) - b.x) + std::llabs(static_cast<long long>(a.y) - b.y);
}

}  // namespace

void tarvexMST::clear() {
    edges.clear();
    activeX.clear();
    activeY.clear();
    sweepOrder.clear();
}

void tarvexMST::buildCompleteGraph(std::vector<Point>& points) {
    const int n = static_cast<int>(points.size());
    for (int i = 0; i + 1 < n; ++i)
        for (int j = i + 1; j < n; ++j) edges.emplace_back(i, j, static_cast<float>(manhattan(points[i], points[j])));
}

// Walks the active set from `start` while `cont(q)` holds, retires every point
// it passes and joins p to the nearest of them (the last one walked among
// equally near points).
template <class Continue>
void tarvexMST::takeRegion(int p, ActiveSet& active, ActiveSet::iterator start, std::vector<Point>& points,
                           Continue cont) {
    const Point& pp = points[p];
    float best = 1e11f;
    int partner = -1;
    auto it = start;
    for (; it != active.end(); ++it) {
        const Point& q = points[it->second];
        if (!cont(q)) break;
        float d = static_cast<float>(manhattan(pp, q));
        if (d <= best) {
            best = d;
            partner = it->second;
        }
    }
    if (partner < 0) return;
    active.erase(start, it);
    edges.emplace_back(p, partner, best);
}

// q with dx >= 0 and dy > dx.
void tarvexMST::connectNodeInR1(int p, ActiveSet& active, std::vector<Point>& points) {
    const Point& pp = points[p];
    const int diff = pp.x - pp.y;
    takeRegion(p, active, active.lower_bound(pp.x), points, [diff](const Point& q) { return q.x - q.y < diff; });
}

// q with dy > 0 and dx >= dy.
void tarvexMST::connectNodeInR2(int p, ActiveSet& active, std::vector<Point>& points) {
    const Point& pp = points[p];
    const int diff = pp.x - pp.y;
    takeRegion(p, active, active.upper_bound(pp.y), points, [diff](const Point& q) { return q.x - q.y >= diff; });
}

// q with dy <= 0 and dx > -dy.
void tarvexMST::connectNodeInR3(int p, ActiveSet& active, std::vector<Point>& points) {
    const Point& pp = points[p];
    const int sum = pp.x + pp.y;
    takeRegion(p, active, active.lower_bound(-pp.y), points, [sum](const Point& q) { return q.x + q.y > sum; });
}

// q with dx > 0 and -dy >= dx.
void tarvexMST::connectNodeInR4(int p, ActiveSet& active, std::vector<Point>& points) {
    const Point& pp = points[p];
    const int sum = pp.x + pp.y;
    takeRegion(p, active, active.upper_bound(pp.x), points, [sum](const Point& q) { return q.x + q.y <= sum; });
}

void tarvexMST::buildSpaningGraph(std::vector<Point>& points) {
    const int n = static_cast<int>(points.size());
    if (n < 2) return;

    // First sweep, by x + y descending: regions R1 and R2.
    sweepOrder.clear();
    for (int i = 0; i < n; ++i) sweepOrder.emplace_back(i, points[i].x + points[i].y);
    std::sort(sweepOrder.begin(), sweepOrder.end(), direction1());
    activeX.clear();
    activeY.clear();
    {
        int first = sweepOrder[0].first;
        activeX.emplace(points[first].x, first);
        activeY.emplace(points[first].y, first);
    }
    for (int k = 1; k < n; ++k) {
        int p = sweepOrder[k].first;
        connectNodeInR1(p, activeX, points);
        activeX.emplace(points[p].x, p);
        connectNodeInR2(p, activeY, points);
        activeY.emplace(points[p].y, p);
    }

    // Second sweep, by x - y descending: regions R3 and R4.
    sweepOrder.clear();
    for (int i = 0; i < n; ++i) sweepOrder.emplace_back(i, points[i].x - points[i].y);
    std::sort(sweepOrder.begin(), sweepOrder.end(), direction1());
    activeX.clear();
    activeY.clear();
    {
        int first = sweepOrder[0].first;
        activeX.emplace(points[first].x, first);
        activeY.emplace(-points[first].y, first);
    }
    for (int k = 1; k < n; ++k) {
        int p = sweepOrder[k].first;
        connectNodeInR3(p, activeY, points);
        activeY.emplace(-points[p].y, p);
        connectNodeInR4(p, activeX, points);
        activeX.emplace(points[p].x, p);
    }
}

long long NEW_MST(std::vector<Point>& points, std::vector<Link>& links, DisjointSet& sets, tarvexMST& graph) {
    const int n = static_cast<int>(points.size());
    if (n > 9)
        graph.buildSpaningGraph(points);
    else
        graph.buildCompleteGraph(points);
    std::sort(graph.edges.begin(), graph.edges.end(),
              [](const MSTedge& x, const MSTedge& y) { return x.weight < y.weight; });
    sets.AddSet(n);
    if (graph.edges.empty() || n - 1 < 1) return 0;

    long long total = 0;
    int accepted = 0;
    for (const MSTedge& e : graph.edges) {
        if (sets.Find(e.a) == sets.Find(e.b)) continue;
        Link link;
        link.a = e.a;
        link.b = e.b;
        links.push_back(link);
        sets.Union(e.a, e.b);
        total += manhattan(points[e.a], points[e.b]);
        if (++accepted == n - 1) break;
    }
    return total;
}
