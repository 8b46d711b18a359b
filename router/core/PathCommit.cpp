// Committing 2D paths to the grid, ripping them up, and the sibling discount
// that makes a net's other connections free while one of them is rerouted.
//
// A net with two or more connections is charged once per edge: its edge-use
// maps count the connections that use each edge, and usage changes only when a
// count goes from 0 to 1 or back.

#include <algorithm>

#include "database/Timer.h"
#include "router/core/GlobalRouter.h"

namespace {

// Scoped start/stop of one of the kernel timers.
struct TimerScope {
    Timer& t;
    explicit TimerScope(Timer& timer) : t(timer) { t.start(); }
    ~TimerScope() { t.stop(); }
};

}  // namespace

int GlobalRouter::RoutePath(std::vector<RPoint>& path, Net& net) {
    TimerScope scope(t_addPath);
    const bool shared = net.twopin.size() >= 2;
    int overflowed = 0;
    for (const RPoint& p : path) {
        const int kind = p.hori;
        if (kind != 0 && kind != 1) continue;  // a via carries no 2D usage
        if (shared) {
            auto ins = net.edgeUse[kind].emplace(edgeKey(p.x, p.y, 0, X, Y), 1);
            if (!ins.second) {
                ++ins.first->second;
                continue;
            }
        }
        ++net.wirelength;
        ++Wlen2D;
        int& u = usage2D(kind, p.x, p.y);
        ++u;
        if (cap2D(kind) < u + virtualDemand(kind, p.x, p.y)) {
            ++overflowed;
            if (historyMode) ++history2D(kind, p.x, p.y);
        }
        refreshEdgeCost(kind, p.x, p.y);
    }
    totalOF += overflowed;
    return overflowed;
}

int GlobalRouter::RoutePath(Point const&, Point const&, std::vector<RPoint>& path, Net& net) {
    return RoutePath(path, net);
}

void GlobalRouter::RipUp(std::vector<RPoint>& path, Net& net) {
    TimerScope scope(t_ripupPath);
    const bool shared = net.twopin.size() >= 2;
    for (const RPoint& p : path) {
        const int kind = p.hori;
        if (kind != 0 && kind != 1) continue;
        if (shared) {
            auto it = net.edgeUse[kind].find(edgeKey(p.x, p.y, 0, X, Y));
            if (it == net.edgeUse[kind].end()) continue;  // not charged by this net: nothing to remove
            if (--it->second > 0) continue;
            net.edgeUse[kind].erase(it);
        }
        --net.wirelength;
        --Wlen2D;
        int& u = usage2D(kind, p.x, p.y);
        --u;
        if (cap2D(kind) <= u + virtualDemand(kind, p.x, p.y)) --totalOF;
        refreshEdgeCost(kind, p.x, p.y);
    }
}

void GlobalRouter::RipUp(Point& from, Point& to, std::vector<RPoint>& path, Net& net) {
    if (from.x != to.x || from.y != to.y) RipUp(path, net);
}

namespace {

// Calls f on every step of the paths of the net's other connections.
template <class F>
void forEachSiblingStep(Net& net, const TwoPin* tp, F f) {
    for (TwoPin& other : net.twopin) {
        if (&other == tp) continue;
        for (const RPoint& p : other.path) f(p);
    }
}

// Does the box-limited form of the discount pay off for this connection?
bool useBoxForm(const GlobalRouter& r, const TwoPin* tp, const Net& net) {
    return r.costMode2D > 0 && tp->rerouteMethod != 3 &&
           net.edgeUse[0].size() + net.edgeUse[1].size() > static_cast<size_t>(std::max(tp->box.numEdge(), 0));
}

}  // namespace

void GlobalRouter::minu_func(bool planar, TwoPin* tp) {
    TimerScope scope(t_modifyCost);
    Net& net = *tp->parNet;
    if (net.twopin.size() == 1) return;
    if (planar) {
        // Without a cost mode the cache is never recomputed, so it is not discounted either.
        if (costMode2D == 0) return;
        if (useBoxForm(*this, tp, net)) {
            specializeRoutingCostMap(tp->box, net, 1);
            specializeRoutingCostMap(tp->box, net, 0);
            return;
        }
        forEachSiblingStep(net, tp, [this](const RPoint& p) {
            if (p.hori == 0 || p.hori == 1) mapCostAt(p.hori, p.x, p.y) = 0.0f;
        });
        return;
    }
    forEachSiblingStep(net, tp, [this](const RPoint& p) {
        FuncCost& f = graph.func(p.x, p.y, p.z);
        if (p.hori == 1) {
            const bool over = graph.dem3D(p.x, p.y, p.z).horizontal > graph.cap3D(p.x, p.y, p.z).horizontal;
            f.horizontal = over ? f.horizontal / 2 : 1.0f;
        } else if (p.hori == 0) {
            const bool over = graph.dem3D(p.x, p.y, p.z).vertical > graph.cap3D(p.x, p.y, p.z).vertical;
            f.vertical = over ? f.vertical / 2 : 1.0f;
        } else {
            f.via = 1.0f;
        }
    });
}

void GlobalRouter::add_func(bool planar, TwoPin* tp) {
    TimerScope scope(t_modifyCost);
    Net& net = *tp->parNet;
    if (net.twopin.size() == 1) return;
    if (planar) {
        if (costMode2D == 0) return;
        if (useBoxForm(*this, tp, net)) {
            normalizeRoutingCostMap(tp->box, net, 1);
            normalizeRoutingCostMap(tp->box, net, 0);
            return;
        }
        // minu_func left every sibling edge at 0, and only a refresh writes a
        // cost in between: a sibling edge that is not 0 any more was already
        // refreshed (by this walk through another sibling over the same edge)
        // and would only get the same value again.
        forEachSiblingStep(net, tp, [this](const RPoint& p) {
            if ((p.hori == 0 || p.hori == 1) && mapCostAt(p.hori, p.x, p.y) == 0.0f)
                refreshEdgeCost(p.hori, p.x, p.y);
        });
        return;
    }
    forEachSiblingStep(net, tp, [this](const RPoint& p) {
        FuncCost& f = graph.func(p.x, p.y, p.z);
        if (p.hori == 1)
            f.horizontal = cost3D(p.x, p.y, p.z, 1);
        else if (p.hori == 0)
            f.vertical = cost3D(p.x, p.y, p.z, 0);
        else
            f.via = cost3D(p.x, p.y, p.z, 2);
    });
}

namespace {

// Edge range of one kind inside a box, clipped to the grid's edges of that kind.
struct EdgeRange {
    int x0, x1, y0, y1;  // inclusive
};

EdgeRange boxEdges(const BoundingBox& box, int kind, int X, int Y) {
    EdgeRange r{box.lower.x, box.upper.x, box.lower.y, box.upper.y};
    if (kind == 1)
        r.x1 -= 1;
    else
        r.y1 -= 1;
    r.x0 = std::max(r.x0, 0);
    r.y0 = std::max(r.y0, 0);
    r.x1 = std::min(r.x1, kind == 1 ? X - 2 : X - 1);
    r.y1 = std::min(r.y1, kind == 1 ? Y - 1 : Y - 2);
    return r;
}

// Calls f(x, y) on every edge of one kind inside the box that the net uses.
template <class F>
void forEachUsedEdgeInBox(const BoundingBox& box, const Net& net, int kind, int X, int Y, F f) {
    const EdgeRange r = boxEdges(box, kind, X, Y);
    const auto& used = net.edgeUse[kind];
    for (int x = r.x0; x <= r.x1; ++x)
        for (int y = r.y0; y <= r.y1; ++y)
            if (used.count(edgeKey(x, y, 0, X, Y))) f(x, y);
}

}  // namespace

void GlobalRouter::specializeRoutingCostMap(BoundingBox& box, Net& net, int kind) {
    forEachUsedEdgeInBox(box, net, kind, X, Y, [&](int x, int y) { mapCostAt(kind, x, y) = 0.0f; });
}

void GlobalRouter::normalizeRoutingCostMap(BoundingBox& box, Net& net, int kind) {
    forEachUsedEdgeInBox(box, net, kind, X, Y, [&](int x, int y) {
        mapCostAt(kind, x, y) = costMode2D == 1 ? DPCost(x, y, kind) : NewCost(x, y, kind);
    });
}
