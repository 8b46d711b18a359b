// Committing 3D paths (planar steps on their layers and vias) to the 3D grid
// and ripping them up. As in 2D, a net with two or more connections is charged
// once per step through its edge-use maps (one per step kind). Overflow is
// weighted by the pitch of the step's layer.

#include "database/Timer.h"
#include "router/core/GlobalRouter.h"

namespace {

int& demandOf(Point_i& d, int kind) { return kind == 1 ? d.horizontal : kind == 0 ? d.vertical : d.via; }
int capacityOf(const Point_i& c, int kind) { return kind == 1 ? c.horizontal : kind == 0 ? c.vertical : c.via; }

}  // namespace

long long GlobalRouter::Route3DPath(std::vector<RPoint>& path, Net& net) {
    t_addPath.start();
    const bool shared = net.twopin.size() >= 2;
    long long weighted = 0;
    for (const RPoint& p : path) {
        const int kind = p.hori;
        if (kind < 0 || kind > 2) continue;
        bool charge = true;
        if (shared) {
            auto ins = net.edgeUse[kind].emplace(edgeKey(p.x, p.y, p.z, X, Y), 1);
            if (!ins.second) {
                ++ins.first->second;
                charge = false;
            }
        }
        const int cell = graph.idx3D(p.x, p.y, p.z);
        Point_i& dem = graph.demand3D[cell];
        int& d = demandOf(dem, kind);
        const bool overAfter = charge ? d + 1 > capacityOf(graph.capacity3D[cell], kind)
                                      : d > capacityOf(graph.capacity3D[cell], kind);
        if (charge) {
            ++d;
            ++net.wirelength;
            if (kind == 2)
                ++viaCount;
            else
                ++Wlen2D;
            if (overAfter) weighted += pitchPerLayer[p.z];
        }
        if (history3DMode && overAfter) ++demandOf(graph.history3D[cell], kind);
        FuncCost& f = graph.func(p.x, p.y, p.z);
        if (kind == 1)
            f.horizontal = cost3D(p.x, p.y, p.z, 1);
        else if (kind == 0)
            f.vertical = cost3D(p.x, p.y, p.z, 0);
        else
            f.via = cost3D(p.x, p.y, p.z, 2);
    }
    totalOF += weighted;
    t_addPath.stop();
    return weighted;
}

void GlobalRouter::RipUp3D(std::vector<RPoint>& path, Net& net) {
    t_ripupPath.start();
    const bool shared = net.twopin.size() >= 2;
    for (const RPoint& p : path) {
        const int kind = p.hori;
        if (kind < 0 || kind > 2) continue;
        if (shared) {
            auto it = net.edgeUse[kind].find(edgeKey(p.x, p.y, p.z, X, Y));
            if (it == net.edgeUse[kind].end()) continue;  // not charged by this net: nothing to remove
            if (--it->second > 0) continue;
            net.edgeUse[kind].erase(it);
        }
        const int cell = graph.idx3D(p.x, p.y, p.z);
        int& d = demandOf(graph.demand3D[cell], kind);
        --d;
        --net.wirelength;
        if (kind == 2) {
            --viaCount;
            graph.func(p.x, p.y, p.z).via = cost3D(p.x, p.y, p.z, 2);
            continue;
        }
        --Wlen2D;
        if (d >= capacityOf(graph.capacity3D[cell], kind)) totalOF -= pitchPerLayer[p.z];
        FuncCost& f = graph.func(p.x, p.y, p.z);
        if (kind == 1)
            f.horizontal = cost3D(p.x, p.y, p.z, 1);
        else
            f.vertical = cost3D(p.x, p.y, p.z, 0);
    }
    t_ripupPath.stop();
}
