// Hand-back of the assigned layers to the router: every converted connection's
// 2D path becomes a 3D path, ordered from `from` to `to`, with its planar steps
// on the layers of their tree edges and via stacks wherever the layer changes,
// at both ends and up to every pin layer of the end G-cells. A connection with
// a step that its net's tree lost is flagged for rerouting in 3D.

#include <cstdio>
#include <cstdlib>

#include "database/PathOrder.h"
#include "layer_assignment/LA.h"

namespace {

// Vias at (x, y) from layer `from` to layer `to`, in walking order.
void appendVias(std::vector<RPoint>& path, int x, int y, int from, int to) {
    for (int z = from; z < to; ++z) path.emplace_back(x, y, z, 2);
    for (int z = from - 1; z >= to; --z) path.emplace_back(x, y, z, 2);
}

// A pin layer outside the grid is reported and brought to the nearest layer.
int clampLayer(int z, int L) { return z < 0 ? 0 : (z >= L ? L - 1 : z); }

}  // namespace

void Graph::convertLAtoGR(NetDB& db) {
    const size_t cells = static_cast<size_t>(X) * Y;
    std::vector<int> layerMap[2] = {std::vector<int>(cells, 0), std::vector<int>(cells, 0)};
    std::vector<int> mark(cells, 0);
    int markCounter = 0;  // one mark per connection, never reused
    PathOrderScratch scratch;
    std::vector<RPoint> built;

    size_t k = 0;
    for (Net& src : db.nets) {
        if (src.pin2D.size() < 2) continue;
        if (k >= nets.size() || nets[k].id != src.id) {
            fflush(stdout);
            fprintf(stderr, "ERROR: layer hand-back: net %s was not converted for layer assignment\n",
                    src.name.c_str());
            exit(1);
        }
        net& n = nets[k++];

        for (TwoPin& tp : src.twopin)
            for (const RPoint& s : tp.path) {
                if (s.hori != 0 && s.hori != 1) continue;
                if (s.x < 0 || s.y < 0 || s.x + (s.hori == 1) >= X || s.y + (s.hori == 0) >= Y) {
                    fflush(stdout);
                    fprintf(stderr, "ERROR: layer hand-back: net %s has a path step outside the %d x %d grid\n",
                            src.name.c_str(), X, Y);
                    exit(1);
                }
                layerMap[s.hori][idx2D(s.x, s.y)] = -1;
            }
        for (const edge& e : n.edges) {
            int layer = e.layer;
            if (layer < 0 || layer >= L) {
                printf("ERROR: %s %d\n", "LA", 2933);
                layer = -1;  // counts as unassigned
            }
            layerMap[e.dir][idx2D(e.x, e.y)] = layer;
        }
        for (auto& use : src.edgeUse) use.clear();

        for (TwoPin& tp : src.twopin) {
            const int m = ++markCounter;
            tp.needRouting = false;
            if (tp.from.z < 0 || tp.from.z >= L || tp.to.z < 0 || tp.to.z >= L) {
                printf("two.from.z=%d  two.to.z=%d\n", tp.from.z, tp.to.z);
                tp.from.z = clampLayer(tp.from.z, L);
                tp.to.z = clampLayer(tp.to.z, L);
            }
            // An end that a reroute moved to another pin of the net takes that pin's layer.
            for (Point* end : {&tp.from, &tp.to}) {
                int lo = 0, hi = 0;
                if (pinLayerSpan(src, end->x, end->y, lo, hi) && (end->z < lo || end->z > hi)) end->z = lo;
            }
            mark[idx2D(tp.from.x, tp.from.y)] = m;
            built.clear();
            int cur = tp.from.z;
            if (!orderPlanarPath(tp.path, tp.from, tp.to, Y, scratch)) {
                // The steps do not join the ends: the 3D stage routes it afresh.
                tp.needRouting = true;
                cur = -1;
            } else {
                RPoint prev(tp.from.x, tp.from.y, tp.from.z, -1);
                for (const RPoint& s : tp.path) {
                    const int layer = layerMap[s.hori][idx2D(s.x, s.y)];
                    if (layer == -1) {
                        tp.needRouting = true;
                        cur = -1;
                        prev = s;
                        continue;
                    }
                    const int ax = s.x, ay = s.y;
                    const int bx = s.x + (s.hori == 1), by = s.y + (s.hori == 0);
                    if (cur != -1 && cur != layer) {
                        if (mark[idx2D(ax, ay)] == m) {
                            appendVias(built, ax, ay, cur, layer);
                        } else if (mark[idx2D(bx, by)] == m) {
                            appendVias(built, bx, by, cur, layer);
                        } else {
                            printf("ERROR %s %d x=%d y=%d x2=%d y2=%d hori=%d\n", "LA", s.hori == 1 ? 2986 : 2995,
                                   s.x, s.y, prev.x, prev.y, prev.hori);
                            appendVias(built, ax, ay, cur, layer);
                            tp.needRouting = true;
                        }
                    }
                    built.emplace_back(s.x, s.y, layer, s.hori);
                    mark[idx2D(ax, ay)] = m;
                    mark[idx2D(bx, by)] = m;
                    cur = layer;
                    prev = s;
                }
            }
            if (cur != -1) appendVias(built, tp.to.x, tp.to.y, cur, tp.to.z);
            addPinViaStacks(built, tp, src);
            tp.path.assign(built.begin(), built.end());
        }
    }
}
