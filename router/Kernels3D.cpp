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
#include "router/GlobalRouter.h"

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

void GlobalRouter::snakingRoutingVer3D(const Point& s, const Point& t, const BoundingBox& box, int* dir,
                                       float* cost) {
    if (s.x == t.x) {
        // No column to sweep: the straight run between the ends, on its best layers.
        monotonic3D(s, t, dir, cost);
        return;
    }
    const StepCosts sc{graph.func_map.data(), X, Y};
    const int lowY = box.lower.y, highY = box.upper.y;
    cost[w3(s.x, s.y, s.z)] = 0.0f;
    dir[w3(s.x, s.y, s.z)] = -1;
    initialSourceLayer(s.x, s.y, s.z, dir, cost);
    for (int y = s.y + 1; y <= highY; ++y) {
        for (int l = 0; l < L; ++l) {
            cost[w3(s.x, y, l)] = cost[w3(s.x, y - 1, l)] + sc.v(s.x, y - 1, l);
            dir[w3(s.x, y, l)] = 0;
        }
        changeLayer(s.x, y, dir, cost);
    }
    for (int y = s.y - 1; y >= lowY; --y) {
        for (int l = 0; l < L; ++l) {
            cost[w3(s.x, y, l)] = cost[w3(s.x, y + 1, l)] + sc.v(s.x, y, l);
            dir[w3(s.x, y, l)] = 2;
        }
        changeLayer(s.x, y, dir, cost);
    }

    const int sx = s.x < t.x ? 1 : -1;
    const int hCode = s.x < t.x ? 1 : 3;
    for (int x = s.x + sx; x != t.x + sx; x += sx) {
        const int ex = std::min(x, x - sx);
        for (int l = 0; l < L; ++l) {
            cost[w3(x, lowY, l)] = cost[w3(x - sx, lowY, l)] + sc.h(ex, lowY, l);
            dir[w3(x, lowY, l)] = hCode;
        }
        changeLayer(x, lowY, dir, cost);
        for (int y = lowY + 1; y <= highY; ++y) {
            for (int l = 0; l < L; ++l) {
                const float ch = cost[w3(x - sx, y, l)] + sc.h(ex, y, l);
                const float cv = cost[w3(x, y - 1, l)] + sc.v(x, y - 1, l);
                if (cv >= ch) {
                    cost[w3(x, y, l)] = ch;
                    dir[w3(x, y, l)] = hCode;
                } else {
                    cost[w3(x, y, l)] = cv;
                    dir[w3(x, y, l)] = 0;
                }
            }
            changeLayer(x, y, dir, cost);
        }
        for (int y = highY - 1; y >= lowY; --y) {
            for (int l = 0; l < L; ++l) {
                const float c = cost[w3(x, y + 1, l)] + sc.v(x, y, l);
                if (static_cast<double>(cost[w3(x, y, l)]) - 0.01 > static_cast<double>(c)) {
                    cost[w3(x, y, l)] = c;
                    dir[w3(x, y, l)] = 2;
                }
            }
            changeLayer(x, y, dir, cost);
        }
    }
}

void GlobalRouter::snakingRoutingHor3D(const Point& s, const Point& t, const BoundingBox& box, int* dir,
                                       float* cost) {
    if (s.y == t.y) {
        monotonic3D(s, t, dir, cost);
        return;
    }
    const StepCosts sc{graph.func_map.data(), X, Y};
    const int lowX = box.lower.x, highX = box.upper.x;
    cost[w3(s.x, s.y, s.z)] = 0.0f;
    dir[w3(s.x, s.y, s.z)] = -1;
    initialSourceLayer(s.x, s.y, s.z, dir, cost);
    for (int x = s.x + 1; x <= highX; ++x) {
        for (int l = 0; l < L; ++l) {
            cost[w3(x, s.y, l)] = cost[w3(x - 1, s.y, l)] + sc.h(x - 1, s.y, l);
            dir[w3(x, s.y, l)] = 1;
        }
        changeLayer(x, s.y, dir, cost);
    }
    for (int x = s.x - 1; x >= lowX; --x) {
        for (int l = 0; l < L; ++l) {
            cost[w3(x, s.y, l)] = cost[w3(x + 1, s.y, l)] + sc.h(x, s.y, l);
            dir[w3(x, s.y, l)] = 3;
        }
        changeLayer(x, s.y, dir, cost);
    }

    const int sy = s.y < t.y ? 1 : -1;
    const int vCode = s.y < t.y ? 0 : 2;
    for (int y = s.y + sy; y != t.y + sy; y += sy) {
        const int ey = std::min(y, y - sy);
        for (int l = 0; l < L; ++l) {
            cost[w3(lowX, y, l)] = cost[w3(lowX, y - sy, l)] + sc.v(lowX, ey, l);
            dir[w3(lowX, y, l)] = vCode;
        }
        changeLayer(lowX, y, dir, cost);
        for (int x = lowX + 1; x <= highX; ++x) {
            for (int l = 0; l < L; ++l) {
                const float cv = cost[w3(x, y - sy, l)] + sc.v(x, ey, l);
                const float ch = cost[w3(x - 1, y, l)] + sc.h(x - 1, y, l);
                if (ch >= cv) {
                    cost[w3(x, y, l)] = cv;
                    dir[w3(x, y, l)] = vCode;
                } else {
                    cost[w3(x, y, l)] = ch;
                    dir[w3(x, y, l)] = 1;
                }
            }
            changeLayer(x, y, dir, cost);
        }
        for (int x = highX - 1; x >= lowX; --x) {
            for (int l = 0; l < L; ++l) {
                const float c = cost[w3(x + 1, y, l)] + sc.h(x, y, l);
                if (static_cast<double>(cost[w3(x, y, l)]) - 0.01 > static_cast<double>(c)) {
                    cost[w3(x, y, l)] = c;
                    dir[w3(x, y, l)] = 3;
                }
            }
            changeLayer(x, y, dir, cost);
        }
    }
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
