#include "database/PathOrder.h"

#include <algorithm>

namespace {

long long cellKey(int x, int y, int gridY) { return static_cast<long long>(x) * gridY + y; }

// The far end of a planar step seen from the cell with key `key`.
long long otherEnd(const RPoint& s, long long key, int gridY) {
    const long long a = cellKey(s.x, s.y, gridY);
    const long long b = s.hori == 1 ? cellKey(s.x + 1, s.y, gridY) : cellKey(s.x, s.y + 1, gridY);
    return key == a ? b : a;
}

}  // namespace

bool orderPlanarPath(std::vector<RPoint>& path, const Point& from, const Point& to, int gridY,
                     PathOrderScratch& sc) {
    if (from.x == to.x && from.y == to.y) {
        path.clear();
        return true;
    }
    // Every planar step listed under both of its end cells, sorted by cell.
    sc.ends.clear();
    for (size_t i = 0; i < path.size(); ++i) {
        const RPoint& s = path[i];
        if (s.hori != 0 && s.hori != 1) continue;
        const long long a = cellKey(s.x, s.y, gridY);
        const long long b = otherEnd(s, a, gridY);
        sc.ends.push_back(a << 32 | static_cast<long long>(i));
        sc.ends.push_back(b << 32 | static_cast<long long>(i));
    }
    std::sort(sc.ends.begin(), sc.ends.end());
    const size_t n = sc.ends.size();
    // Distinct cells: cellOf[pos] for every sorted position, start of each cell's run.
    sc.cellOf.assign(n, 0);
    sc.runStart.clear();
    for (size_t p = 0; p < n; ++p) {
        if (p == 0 || (sc.ends[p] >> 32) != (sc.ends[p - 1] >> 32)) sc.runStart.push_back(static_cast<int>(p));
        sc.cellOf[p] = static_cast<int>(sc.runStart.size()) - 1;
    }
    const size_t cells = sc.runStart.size();
    sc.runStart.push_back(static_cast<int>(n));
    auto findCell = [&](long long key) -> int {
        auto it = std::lower_bound(sc.ends.begin(), sc.ends.end(), key << 32);
        if (it == sc.ends.end() || (*it >> 32) != key) return -1;
        return sc.cellOf[static_cast<size_t>(it - sc.ends.begin())];
    };
    const int start = findCell(cellKey(from.x, from.y, gridY));
    const int goal = findCell(cellKey(to.x, to.y, gridY));
    if (start < 0 || goal < 0) return false;

    // Breadth-first search from `from` over the steps; prevStep names the step
    // each cell was first reached by (-1 not reached, -2 the start).
    sc.prevStep.assign(cells, -1);
    sc.prevStep[static_cast<size_t>(start)] = -2;
    sc.queue.assign(1, start);
    for (size_t head = 0; head < sc.queue.size() && sc.prevStep[static_cast<size_t>(goal)] == -1; ++head) {
        const size_t c = static_cast<size_t>(sc.queue[head]);
        const long long key = sc.ends[static_cast<size_t>(sc.runStart[c])] >> 32;
        for (int p = sc.runStart[c]; p < sc.runStart[c + 1]; ++p) {
            const int step = static_cast<int>(sc.ends[static_cast<size_t>(p)] & 0xffffffffLL);
            const int next = findCell(otherEnd(path[static_cast<size_t>(step)], key, gridY));
            if (sc.prevStep[static_cast<size_t>(next)] != -1) continue;
            sc.prevStep[static_cast<size_t>(next)] = step;
            sc.queue.push_back(next);
        }
    }
    const bool joined = sc.prevStep[static_cast<size_t>(goal)] != -1;
    if (joined) {
        // Walk back from `to`, then reverse into from-to order.
        sc.out.clear();
        long long key = cellKey(to.x, to.y, gridY);
        for (int c = goal; sc.prevStep[static_cast<size_t>(c)] != -2;) {
            const RPoint& s = path[static_cast<size_t>(sc.prevStep[static_cast<size_t>(c)])];
            sc.out.push_back(s);
            key = otherEnd(s, key, gridY);
            c = findCell(key);
        }
        std::reverse(sc.out.begin(), sc.out.end());
        path.assign(sc.out.begin(), sc.out.end());
    }
    return joined;
}

bool pinLayerSpan(const Net& net, int x, int y, int& lo, int& hi) {
    bool found = false;
    const std::vector<Point>& pins = net.pin3D.empty() ? net.pin2D : net.pin3D;
    for (const Point& p : pins) {
        if (p.x != x || p.y != y) continue;
        lo = found ? std::min(lo, p.z) : p.z;
        hi = found ? std::max(hi, p.z) : p.z;
        found = true;
    }
    return found;
}

bool singleCellPinStack(const Net& net, int& lo, int& hi) {
    if (net.pin2D.size() != 1 || !net.twopin.empty()) return false;
    return pinLayerSpan(net, net.pin2D[0].x, net.pin2D[0].y, lo, hi) && lo < hi;
}

namespace {

bool hasVia(const std::vector<RPoint>& path, int x, int y, int z) {
    for (const RPoint& s : path)
        if (s.hori == 2 && s.x == x && s.y == y && s.z == z) return true;
    return false;
}

void addStack(std::vector<RPoint>& path, const Net& net, const Point& end) {
    int lo = end.z, hi = end.z;
    if (pinLayerSpan(net, end.x, end.y, lo, hi)) {
        lo = std::min(lo, end.z);
        hi = std::max(hi, end.z);
    }
    for (int z = lo; z < hi; ++z)
        if (!hasVia(path, end.x, end.y, z)) path.emplace_back(end.x, end.y, z, 2);
}

}  // namespace

void addPinViaStacks(std::vector<RPoint>& path, const TwoPin& tp, const Net& net) {
    addStack(path, net, tp.from);
    addStack(path, net, tp.to);
}
