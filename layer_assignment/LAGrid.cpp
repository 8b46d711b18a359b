// The layer-assignment grid: set-up from the design database, reset between
// 3D refinement rounds, and the bookkeeping shared by all schedules.

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "database/PathOrder.h"
#include "layer_assignment/LA.h"

namespace {

[[noreturn]] void refuse(const char* what) {
    fflush(stdout);
    fprintf(stderr, "ERROR: layer assignment: %s\n", what);
    exit(1);
}

bool planarStepInGrid(const RPoint& s, int X, int Y) {
    if (s.x < 0 || s.y < 0 || s.x >= X || s.y >= Y) return false;
    if (s.hori == 0) return s.y < Y - 1;
    if (s.hori == 1) return s.x < X - 1;
    return false;
}

// Refuses a database that would make the grid read or write outside its
// arrays: per-layer lists shorter than the layer count, pins or capacity
// adjustments outside the grid, and routes in a direction without any track.
void checkDesign(const NetDB& db) {
    char msg[512];
    const int X = db.gridX, Y = db.gridY, L = db.layerNum;
    if (X < 1 || Y < 1 || L < 1) {
        snprintf(msg, sizeof msg, "grid of %d x %d G-cells and %d layers is empty", X, Y, L);
        refuse(msg);
    }
    const size_t need = static_cast<size_t>(L);
    if (db.vTracks.size() < need || db.hTracks.size() < need || db.minWidth.size() < need ||
        db.minSpacing.size() < need) {
        snprintf(msg, sizeof msg, "per-layer track, width or spacing lists are shorter than %d layers", L);
        refuse(msg);
    }
    bool anyV = false, anyH = false;
    for (int l = 0; l < L; ++l) {
        if (db.vTracks[l] != 0) anyV = true;
        if (db.hTracks[l] != 0) anyH = true;
    }
    bool usesV = false, usesH = false;
    for (const Net& n : db.nets) {
        if (n.pin2D.size() < 2) continue;
        const std::vector<Point>& pins = n.pin3D.empty() ? n.pin2D : n.pin3D;
        for (const Point& p : pins) {
            if (p.x < 0 || p.y < 0 || p.x >= X || p.y >= Y || p.z < 0 || p.z >= L) {
                snprintf(msg, sizeof msg, "net %s has a pin at (%d,%d,%d) outside the %d x %d x %d grid",
                         n.name.c_str(), p.x, p.y, p.z, X, Y, L);
                refuse(msg);
            }
        }
        for (const TwoPin& tp : n.twopin) {
            for (const RPoint& s : tp.path) {
                if (s.hori == 0) usesV = true;
                if (s.hori == 1) usesH = true;
            }
        }
    }
    if (usesV && !anyV) refuse("the routes use vertical edges but no layer has vertical tracks");
    if (usesH && !anyH) refuse("the routes use horizontal edges but no layer has horizontal tracks");
    const size_t adj = std::min(db.adjLocate.size(), db.adjCapacity.size());
    for (size_t i = 0; i < adj; ++i) {
        const RPoint& a = db.adjLocate[i];
        if (!planarStepInGrid(a, X, Y) || a.z < 0 || a.z >= L) {
            snprintf(msg, sizeof msg, "capacity adjustment %zu (hori %d at %d,%d layer %d) lies outside the grid",
                     i, a.hori, a.x, a.y, a.z);
            refuse(msg);
        }
    }
}

}  // namespace

void Graph::initialGraph() {
    const size_t cells = static_cast<size_t>(X) * Y;
    for (std::vector<int>* a : {&demand2DH, &demand2DV, &overflowCountH, &overflowCountV, &ceilAllowH,
                                &ceilAllowV, &floorAllowH, &floorAllowV})
        a->assign(cells, 0);
    tracks[0].assign(L, 0);
    tracks[1].assign(L, 0);
    grid3D.assign(2 * cells * L, GridEdge3D());
}

// Capacity adjustments become blockage: demand = tracks - adjusted capacity on
// that layer, also added to the 2D demand. Lists of unequal length are applied
// up to the shorter one.
void Graph::applyAdjustments(const NetDB& db, int errorLine) {
    if (db.adjLocate.size() != db.adjCapacity.size()) printf("ERROR: %s %d\n", "LA", errorLine);
    const size_t count = std::min(db.adjLocate.size(), db.adjCapacity.size());
    for (size_t i = 0; i < count; ++i) {
        const RPoint& a = db.adjLocate[i];
        const int d = a.hori;
        const int blocked = tracks[d][a.z] - db.adjCapacity[i];
        at3D(d, a.x, a.y, a.z).demand = blocked;
        demand2D(d)[idx2D(a.x, a.y)] += blocked;
    }
}

void Graph::initialLA(NetDB& db, int Via_Cost, double Pin_Blockage_Factor) {
    checkDesign(db);
    X = db.gridX;
    Y = db.gridY;
    L = db.layerNum;
    viaCost = Via_Cost;
    overflowExponent = 2.0;
    initialGraph();

    minWidth.assign(db.minWidth.begin(), db.minWidth.begin() + L);
    minSpacing.assign(db.minSpacing.begin(), db.minSpacing.begin() + L);
    pitch.assign(L, 0);
    for (int l = 0; l < L; ++l) {
        tracks[0][l] = db.vTracks[l];
        tracks[1][l] = db.hTracks[l];
        pitch[l] = minWidth[l] + minSpacing[l];
    }
    llx = db.originX;
    lly = db.originY;
    tileWidth = db.tileW;
    tileHeight = db.tileH;

    nets.clear();
    pinStacks.clear();
    stackVias = 0;
    for (const Net& src : db.nets) {
        if (src.pin2D.size() < 2) {
            int lo = 0, hi = 0;
            if (singleCellPinStack(src, lo, hi)) {
                pinStacks.push_back(pinStack{nets.size(), src.id, src.name, src.pin2D[0].x, src.pin2D[0].y, lo, hi});
                stackVias += hi - lo;
            }
            continue;
        }
        nets.emplace_back();
        net& n = nets.back();
        n.id = src.id;
        n.name = src.name;
        n.width = src.width;
        if (src.pin3D.size() < 2) printf("ERROR: %s %d netID=%d\n", "LA", 2218, src.id);
        // Without any 3D pin the G-cell pins (with their layers) stand in, so
        // that the tree still has a root.
        const std::vector<Point>& pins = src.pin3D.empty() ? src.pin2D : src.pin3D;
        n.pins.reserve(pins.size());
        for (const Point& p : pins) n.pins.push_back(pin{p.x, p.y, p.z});
    }

    applyAdjustments(db, 2251);

    // Pin blockage on the lowest layer with tracks of each direction, capped
    // at that layer's tracks.
    int lv = -1, lh = -1;
    for (int l = L - 1; l >= 0; --l) {
        if (tracks[0][l] != 0) lv = l;
        if (tracks[1][l] != 0) lh = l;
    }
    auto block = [&](int d, int layer, int x, int y, long long b) {
        if (layer < 0) return;  // no layer of this direction has tracks
        GridEdge3D& e = at3D(d, x, y, layer);
        e.demand = static_cast<int>(std::min<long long>(e.demand + b, tracks[d][layer]));
    };
    for (int x = 0; x < X; ++x) {
        for (int y = 0; y < Y; ++y) {
            long long count = 0;
            if (static_cast<size_t>(x) < db.pinCount.size() && static_cast<size_t>(y) < db.pinCount[x].size())
                count = db.pinCount[x][y];
            const long long b = static_cast<long long>(std::ceil(count * Pin_Blockage_Factor));
            if (b == 0) continue;
            if (y < Y - 1) block(0, lv, x, y, b);
            if (y > 0) block(0, lv, x, y - 1, b);
            if (x > 0) block(1, lh, x - 1, y, b);
            if (x < X - 1) block(1, lh, x, y, b);
        }
    }
}

void Graph::reset(NetDB& db) {
    for (net& n : nets) {
        n.nodes.clear();
        n.edges.clear();
    }
    for (std::vector<int>* a : {&demand2DH, &demand2DV, &overflowCountH, &overflowCountV, &ceilAllowH,
                                &ceilAllowV, &floorAllowH, &floorAllowV})
        std::fill(a->begin(), a->end(), 0);
    std::fill(grid3D.begin(), grid3D.end(), GridEdge3D());
    firstPass = false;
    applyAdjustments(db, 2119);
}

void Graph::charge(const edge& e) {
    GridEdge3D& g = at3D(e.dir, e.x, e.y, e.layer);
    g.demand += 1;
    if (g.demand > tracks[e.dir][e.layer]) overflowCount(e.dir)[idx2D(e.x, e.y)] += 1;
}

void Graph::ripUp(net& n) {
    for (edge& e : n.edges) {
        if (e.layer < 0 || e.layer >= L) continue;  // not assigned: nothing charged
        GridEdge3D& g = at3D(e.dir, e.x, e.y, e.layer);
        if (g.demand > tracks[e.dir][e.layer]) overflowCount(e.dir)[idx2D(e.x, e.y)] -= 1;
        g.demand -= 1;
        e.layer = -1;
    }
    totalVia -= n.viaCount;
}

void Graph::updateHistoryCost() {
    for (int x = 0; x < X - 1; ++x)
        for (int y = 0; y < Y; ++y)
            for (int l = 0; l < L; ++l) {
                GridEdge3D& g = at3D(1, x, y, l);
                if (g.demand > tracks[1][l]) g.history += 1;
            }
    for (int x = 0; x < X; ++x)
        for (int y = 0; y < Y - 1; ++y)
            for (int l = 0; l < L; ++l) {
                GridEdge3D& g = at3D(0, x, y, l);
                if (g.demand > tracks[0][l]) g.history += 1;
            }
}

int Graph::getTotalOverflow(int& maxOFOut, double& weightOF) {
    maxOFOut = 0;
    weightOF = 0.0;
    long long total = 0, maxOF = 0;  // pitch-weighted: summed wide, reported saturated
    auto visit = [&](int d, int x, int y) {
        for (int l = 0; l < L; ++l) {
            const int ov = at3D(d, x, y, l).demand - tracks[d][l];
            if (ov > 0) {
                const long long w = static_cast<long long>(ov) * pitch[l];
                total += w;
                weightOF += std::pow(static_cast<double>(w), overflowExponent);
                maxOF = std::max(maxOF, w);
            }
        }
    };
    for (int x = 0; x < X - 1; ++x)
        for (int y = 0; y < Y; ++y) visit(1, x, y);
    for (int x = 0; x < X; ++x)
        for (int y = 0; y < Y - 1; ++y) visit(0, x, y);
    maxOFOut = static_cast<int>(std::min<long long>(maxOF, INT_MAX));
    return static_cast<int>(std::min<long long>(total, INT_MAX));
}

bool Graph::hasOverflow(net& n) {
    for (const edge& e : n.edges) {
        if (e.layer < 0 || e.layer >= L) continue;
        const int t = tracks[e.dir][e.layer];
        const int ov = at3D(e.dir, e.x, e.y, e.layer).demand - t;
        const size_t c = idx2D(e.x, e.y);
        const int ceilAllow = e.dir == 1 ? ceilAllowH[c] : ceilAllowV[c];
        const int floorAllow = e.dir == 1 ? floorAllowH[c] : floorAllowV[c];
        if (ov > ceilAllow) return true;
        if (overflowCount(e.dir)[c] > demand2D(e.dir)[c] - t && ov > floorAllow) return true;
    }
    return false;
}

int Graph::getSingleNetlVia(net& n) {
    int vias = 0;
    const int count = static_cast<int>(n.nodes.size());
    for (int i = 0; i < count; ++i) {
        const node& v = n.nodes[i];
        int lo = 2147483647, hi = -1;
        if (v.hasPin) {
            lo = v.minPinLayer;
            hi = std::max(v.maxPinLayer, -1);
        }
        if (i > 0) {
            const int p = n.edges[i - 1].layer;
            lo = std::min(lo, p);
            hi = std::max(hi, p);
        }
        for (int k = 0; k < v.childCount; ++k) {
            const int c = n.edges[v.children[k] - 1].layer;
            lo = std::min(lo, c);
            hi = std::max(hi, c);
        }
        if (hi >= lo) vias += hi - lo;
    }
    return vias;
}

void Graph::reportCPUTime() {
    printf("CPU: kernelLA ");
    t_kernelLA.show();
    printf("CPU: initialLeaf ");
    t_initialLeaf.show();
    printf("CPU: propagate ");
    t_propagate.show();
    printf("CPU: mergeSubTre ");
    t_mergeSubTree.show();
    printf("CPU: pruneSol ");
    t_pruneSol.show();
    printf("CPU: topDown ");
    t_topDown.show();
    printf("CPU: utility ");
    t_utility.show();
    printf("\n");
    fflush(stdout);
}
