// Dynamic-programming kernels on the layered grid: monotone, snaking (monotone
// in one direction, free in the other) and escape routing. Every G-cell holds
// one value per layer; planar moves keep their layer and, once a G-cell is
// computed, its column of layers is relaxed through vias.
//
// Direction codes: -1 the source; 0 from below, 1 from the left, 2 from above,
// 3 from the right (same layer); 4 from the layer above, 5 from the layer below.

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "database/PathOrder.h"
#include "database/Timer.h"
#include "router/core/GlobalRouter.h"

namespace {

// Cached step costs of one layer edge: horizontal (x,y)-(x+1,y), vertical
// (x,y)-(x,y+1) and the via (x,y,z)-(x,y,z+1).
struct StepCosts {
    const FuncCost* f;
    int X, Y;
    const FuncCost& at(int x, int y, int z) const { return f[(static_cast<size_t>(z) * X + x) * Y + y]; }
    float h(int x, int y, int z) const { return at(x, y, z).horizontal; }
    float v(int x, int y, int z) const { return at(x, y, z).vertical; }
    float via(int x, int y, int z) const { return at(x, y, z).via; }
};

}  // namespace

void GlobalRouter::initialSourceLayer(int x, int y, int z, int* dir, float* cost) {
    const StepCosts sc{graph.func_map.data(), X, Y};
    for (int l = z - 1; l >= 0; --l) {
        cost[w3(x, y, l)] = cost[w3(x, y, l + 1)] + sc.via(x, y, l);
        dir[w3(x, y, l)] = 4;
    }
    for (int l = z + 1; l < L; ++l) {
        cost[w3(x, y, l)] = cost[w3(x, y, l - 1)] + sc.via(x, y, l - 1);
        dir[w3(x, y, l)] = 5;
    }
}

void GlobalRouter::changeLayer(int x, int y, int* dir, float* cost) {
    const StepCosts sc{graph.func_map.data(), X, Y};
    const int base = w3(x, y, 0);
    for (int l = 1; l < L; ++l) {
        const float c = cost[base + l - 1] + sc.via(x, y, l - 1);
        if (c < cost[base + l]) {
            cost[base + l] = c;
            dir[base + l] = 5;
        }
    }
    for (int l = L - 2; l >= 0; --l) {
        const float c = cost[base + l + 1] + sc.via(x, y, l);
        if (c < cost[base + l]) {
            cost[base + l] = c;
            dir[base + l] = 4;
        }
    }
}

void GlobalRouter::monotonic3D(const Point& s, const Point& t, int* dir, float* cost) {
    const StepCosts sc{graph.func_map.data(), X, Y};
    cost[w3(s.x, s.y, s.z)] = 0.0f;
    dir[w3(s.x, s.y, s.z)] = -1;
    // The source column is seeded even when both ends share it, so that a trace
    // back from any of its layers finds the source.
    initialSourceLayer(s.x, s.y, s.z, dir, cost);
    if (s.x == t.x && s.y == t.y) return;

    const int sx = s.x < t.x ? 1 : -1;
    const int xCode = s.x < t.x ? 1 : 3;
    const int sy = s.y < t.y ? 1 : -1;
    const int yCode = s.y < t.y ? 0 : 2;

    for (int x = s.x + sx; x != t.x + sx; x += sx) {
        const int ex = std::min(x, x - sx);
        for (int l = 0; l < L; ++l) {
            cost[w3(x, s.y, l)] = cost[w3(x - sx, s.y, l)] + sc.h(ex, s.y, l);
            dir[w3(x, s.y, l)] = xCode;
        }
        changeLayer(x, s.y, dir, cost);
    }
    for (int y = s.y + sy; y != t.y + sy; y += sy) {
        const int ey = std::min(y, y - sy);
        for (int l = 0; l < L; ++l) {
            cost[w3(s.x, y, l)] = cost[w3(s.x, y - sy, l)] + sc.v(s.x, ey, l);
            dir[w3(s.x, y, l)] = yCode;
        }
        changeLayer(s.x, y, dir, cost);
    }
    for (int x = s.x + sx; x != t.x + sx; x += sx) {
        const int ex = std::min(x, x - sx);
        for (int y = s.y + sy; y != t.y + sy; y += sy) {
            const int ey = std::min(y, y - sy);
            for (int l = 0; l < L; ++l) {
                const float cv = cost[w3(x, y - sy, l)] + sc.v(x, ey, l);
                const float ch = cost[w3(x - sx, y, l)] + sc.h(ex, y, l);
                if (cv >= ch) {
                    cost[w3(x, y, l)] = ch;
                    dir[w3(x, y, l)] = xCode;
                } else {
                    cost[w3(x, y, l)] = cv;
                    dir[w3(x, y, l)] = yCode;
                }
            }
            changeLayer(x, y, dir, cost);
        }
    }
}

namespace {

// The snaking sweep in axis coordinates (u, v): monotone along u from s to t,
// free along v over [vLow, vHigh]. With u = x it is the vertical-sweep form,
// with u = y the horizontal one. The forward sweep along v prefers the move
// along u on a tie; the backward sweep takes a move only for a gain above 0.01.
template <bool UIsY>
void snakingSweep3D(GlobalRouter& r, const Point& s, const Point& t, int vLow, int vHigh, int* dir, float* cost) {
    const StepCosts sc{r.graph.func_map.data(), r.X, r.Y};
    const int L = r.L;
    auto at = [&](int u, int v, int l) { return UIsY ? r.w3(v, u, l) : r.w3(u, v, l); };
    // Step from u to u + 1 at v, and from v to v + 1 at u.
    auto uStep = [&](int u, int v, int l) { return UIsY ? sc.v(v, u, l) : sc.h(u, v, l); };
    auto vStep = [&](int u, int v, int l) { return UIsY ? sc.h(v, u, l) : sc.v(u, v, l); };
    const int su = UIsY ? s.y : s.x, sv = UIsY ? s.x : s.y, tu = UIsY ? t.y : t.x;
    const int vUpCode = UIsY ? 1 : 0, vDownCode = UIsY ? 3 : 2;
    const int du = su < tu ? 1 : -1;
    const int uCode = UIsY ? (su < tu ? 0 : 2) : (su < tu ? 1 : 3);
    auto relax = [&](int u, int v) { UIsY ? r.changeLayer(v, u, dir, cost) : r.changeLayer(u, v, dir, cost); };

    cost[r.w3(s.x, s.y, s.z)] = 0.0f;
    dir[r.w3(s.x, s.y, s.z)] = -1;
    r.initialSourceLayer(s.x, s.y, s.z, dir, cost);
    for (int v = sv + 1; v <= vHigh; ++v) {
        for (int l = 0; l < L; ++l) {
            cost[at(su, v, l)] = cost[at(su, v - 1, l)] + vStep(su, v - 1, l);
            dir[at(su, v, l)] = vUpCode;
        }
        relax(su, v);
    }
    for (int v = sv - 1; v >= vLow; --v) {
        for (int l = 0; l < L; ++l) {
            cost[at(su, v, l)] = cost[at(su, v + 1, l)] + vStep(su, v, l);
            dir[at(su, v, l)] = vDownCode;
        }
        relax(su, v);
    }
    for (int u = su + du; u != tu + du; u += du) {
        const int eu = std::min(u, u - du);
        for (int l = 0; l < L; ++l) {
            cost[at(u, vLow, l)] = cost[at(u - du, vLow, l)] + uStep(eu, vLow, l);
            dir[at(u, vLow, l)] = uCode;
        }
        relax(u, vLow);
        for (int v = vLow + 1; v <= vHigh; ++v) {
            for (int l = 0; l < L; ++l) {
                const float cu = cost[at(u - du, v, l)] + uStep(eu, v, l);
                const float cv = cost[at(u, v - 1, l)] + vStep(u, v - 1, l);
                if (cv >= cu) {
                    cost[at(u, v, l)] = cu;
                    dir[at(u, v, l)] = uCode;
                } else {
                    cost[at(u, v, l)] = cv;
                    dir[at(u, v, l)] = vUpCode;
                }
            }
            relax(u, v);
        }
        for (int v = vHigh - 1; v >= vLow; --v) {
            for (int l = 0; l < L; ++l) {
                const float c = cost[at(u, v + 1, l)] + vStep(u, v, l);
                if (static_cast<double>(cost[at(u, v, l)]) - 0.01 > static_cast<double>(c)) {
                    cost[at(u, v, l)] = c;
                    dir[at(u, v, l)] = vDownCode;
                }
            }
            relax(u, v);
        }
    }
}

}  // namespace

void GlobalRouter::snakingRoutingVer3D(const Point& s, const Point& t, const BoundingBox& box, int* dir,
                                       float* cost) {
    if (s.x == t.x) {
        // No column to sweep: the straight run between the ends, on its best layers.
        monotonic3D(s, t, dir, cost);
        return;
    }
    snakingSweep3D<false>(*this, s, t, box.lower.y, box.upper.y, dir, cost);
}

void GlobalRouter::snakingRoutingHor3D(const Point& s, const Point& t, const BoundingBox& box, int* dir,
                                       float* cost) {
    if (s.y == t.y) {
        monotonic3D(s, t, dir, cost);
        return;
    }
    snakingSweep3D<true>(*this, s, t, box.lower.x, box.upper.x, dir, cost);
}

void GlobalRouter::monTraceBack3D(std::vector<RPoint>& path, int x, int y, int z, int* dir) {
    // A walk longer than the grid has cells would be a loop in the map.
    const long long limit = static_cast<long long>(X) * Y * L;
    for (long long steps = 0;; ++steps) {
        const int code = dir[w3(x, y, z)];
        if (code == -1) return;
        if (code < -1 || code > 5 || steps > limit) {
            fflush(stdout);
            printf("ERROR: %s %d\n", "GlobalRouter", 6079);
            fflush(stdout);
            exit(1);
        }
        switch (code) {
            case 0: path.emplace_back(x, y - 1, z, 0); --y; break;
            case 1: path.emplace_back(x - 1, y, z, 1); --x; break;
            case 2: path.emplace_back(x, y, z, 0); ++y; break;
            case 3: path.emplace_back(x, y, z, 1); ++x; break;
            case 4: path.emplace_back(x, y, z, 2); ++z; break;
            default: path.emplace_back(x, y, z - 1, 2); --z; break;
        }
    }
}

bool GlobalRouter::identifyPath3D(TwoPin* tp, int* dirA, float* costA, int* dirB, float* costB) {
    const int x0 = std::max(tp->box.lower.x, 0), x1 = std::min(tp->box.upper.x, X - 1);
    const int y0 = std::max(tp->box.lower.y, 0), y1 = std::min(tp->box.upper.y, Y - 1);
    float best = 1e13f;
    int bx = -1, by = -1, bz = -1;
    for (int x = x0; x <= x1; ++x)
        for (int y = y0; y <= y1; ++y)
            for (int l = 0; l < L; ++l) {
                const float sum = costA[w3(x, y, l)] + costB[w3(x, y, l)];
                if (sum < best) {
                    best = sum;
                    bx = x;
                    by = y;
                    bz = l;
                }
            }
    if (bx < 0) return false;  // nothing to join: the caller keeps the old path
    std::vector<RPoint>& path = tp->path;
    const size_t start = path.size();
    monTraceBack3D(path, bx, by, bz, dirA);
    std::reverse(path.begin() + static_cast<long>(start), path.end());  // from `from` to the meeting point
    monTraceBack3D(path, bx, by, bz, dirB);
    return true;
}

void GlobalRouter::monoRouting3D(TwoPin* tp) {
    minu_func(false, tp);
    t_monoKernel.start();
    tp->path.clear();
    monotonic3D(tp->from, tp->to, work3DDir1.data(), work3DCost1.data());
    t_monoKernel.stop();
    monTraceBack3D(tp->path, tp->to.x, tp->to.y, tp->to.z, work3DDir1.data());
    std::reverse(tp->path.begin(), tp->path.end());
    add_func(false, tp);
    addPinViaStacks(tp->path, *tp, *tp->parNet);
}

void GlobalRouter::snakingRouting3D(TwoPin* tp, BoundingBox& box, int* dir, float* cost, bool horizontal) {
    minu_func(false, tp);
    t_monoKernel.start();
    if (horizontal)
        snakingRoutingHor3D(tp->from, tp->to, box, dir, cost);
    else
        snakingRoutingVer3D(tp->from, tp->to, box, dir, cost);
    t_monoKernel.stop();
    const size_t start = tp->path.size();
    monTraceBack3D(tp->path, tp->to.x, tp->to.y, tp->to.z, dir);
    std::reverse(tp->path.begin() + static_cast<long>(start), tp->path.end());
    add_func(false, tp);
    addPinViaStacks(tp->path, *tp, *tp->parNet);
}

bool GlobalRouter::escapRouting3D(TwoPin* tp, BoundingBox& box, int* dirA, float* costA, int* dirB,
                                  float* costB) {
    minu_func(false, tp);
    t_monoKernel.start();
    const Point corners[4] = {Point(box.upper.x, box.upper.y, 0), Point(box.lower.x, box.lower.y, 0),
                              Point(box.upper.x, box.lower.y, 0), Point(box.lower.x, box.upper.y, 0)};
    for (const Point& c : corners) monotonic3D(tp->from, c, dirA, costA);
    for (const Point& c : corners) monotonic3D(tp->to, c, dirB, costB);
    const bool found = identifyPath3D(tp, dirA, costA, dirB, costB);
    t_monoKernel.stop();
    add_func(false, tp);
    if (found) addPinViaStacks(tp->path, *tp, *tp->parNet);
    return found;
}

void GlobalRouter::getHorVerOverflow3D(std::vector<RPoint>& path, int& hOF, int& vOF, float& hCost,
                                       float& vCost) {
    hOF = vOF = 0;
    hCost = vCost = 0.0f;
    for (const RPoint& p : path) {
        if (p.hori == 2) continue;
        const int cell = graph.idx3D(p.x, p.y, p.z);
        const Point_i& d = graph.demand3D[cell];
        const Point_i& c = graph.capacity3D[cell];
        if (p.hori == 1) {
            if (d.horizontal > c.horizontal) {
                ++hOF;
                hCost += graph.func(p.x, p.y, p.z).horizontal;
            }
        } else if (p.hori == 0) {
            if (d.vertical > c.vertical) {
                ++vOF;
                vCost += graph.func(p.x, p.y, p.z).vertical;
            }
        }
    }
}
