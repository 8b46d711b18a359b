// Construction, destruction and the initialisers that prepare the router's
// grid before 2D and 3D routing.

#include "router/core/GlobalRouter.h"

#include "database/MemoryBudget.h"
#include "router/heap/FibCore.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

GlobalRouter::GlobalRouter(int X_, int Y_, int L_, int hCap2D_, int vCap2D_, std::vector<int> hCapPerLayer_,
                           std::vector<int> vCapPerLayer_, std::vector<int>& pitchPerLayer_)
    : X(X_), Y(Y_), L(L_), hCap2D(hCap2D_), vCap2D(vCap2D_) {
    if (X < 1 || Y < 1 || L < 1) {
        fprintf(stderr, "ERROR: routing grid of %d x %d x %d G-cells is empty\n", X, Y, L);
        exit(1);
    }
    const size_t xy = static_cast<size_t>(X) * Y;
    const size_t xyl = xy * L;
    (void)xyl;

    graph.xNum = X;
    graph.yNum = Y;
    graph.layerNum = L;
    graph.hCap2D = hCap2D;
    graph.vCap2D = vCap2D;
    hugeAssign(graph.usageH, static_cast<size_t>(X - 1) * Y, 0);
    hugeAssign(graph.usageV, static_cast<size_t>(X) * (Y - 1), 0);

    // The 2D flow searches layer 0 only; initial3Dmalloc adds the other layers.
    setCellLayers(1);

    pitchPerLayer = pitchPerLayer_;
    hCapPerLayer = std::move(hCapPerLayer_);
    vCapPerLayer = std::move(vCapPerLayer_);
    tableOffset = std::max(hCap2D, vCap2D);
    searchStamp = 0;

    heap = fh_makekeyheap(1, static_cast<int>(xyl));
    queue = new fibque();
    fibTable(mazeHeap, fibcore::degreeBound(static_cast<int>(xy)) + 1);

    historyH.assign(graph.usageH.size(), 0);
    historyV.assign(graph.usageV.size(), 0);
    workCost1.assign(xy, 0.0f);
    workCost2.assign(xy, 0.0f);
    workCost3.assign(xy, 0.0f);
    workDir1.assign(xy, 0);
    workDir2.assign(xy, 0);
    workDir3.assign(xy, 0);
    hugeAssign(mapCost, 2 * xy, 0.0f);
    // Every 2D test adds the virtual demand; it is all zero until it is filled.
    placement.resizeVirtualDemand(X, Y);
}

GlobalRouter::~GlobalRouter() {
    fh_deleteheap(heap);
    heap = nullptr;
    delete queue;
    queue = nullptr;
}

void GlobalRouter::initial2DGraph(std::vector<RPoint>& adjLocate, std::vector<int>& adjCapacity) {
    costMode3D = -1;
    reachMapKernel = 0;
    Wlen2D = 0;
    totalOF = 0;
    historyMode = false;
    hardOverflowMode = false;
    historyDivisor = 350.0f;
    sigmoidSlope = 0.3;
    sigmoidHeight = 150.0f;
    bendCost = 1.0f;
    monotonicBendCost = 10.0f;
    initialCostArray();

    std::fill(graph.usageH.begin(), graph.usageH.end(), 0);
    std::fill(graph.usageV.begin(), graph.usageV.end(), 0);
    std::fill(historyH.begin(), historyH.end(), 0);
    std::fill(historyV.begin(), historyV.end(), 0);

    printf("adj_size=%d\n", static_cast<int>(adjLocate.size()));
    if (adjLocate.size() != adjCapacity.size()) printf("ERROR: %s %d\n", "GlobalRouter", 139);
    const size_t n = std::min(adjLocate.size(), adjCapacity.size());
    for (size_t i = 0; i < n; ++i) {
        const RPoint& a = adjLocate[i];
        const bool vertical = a.hori == 0;
        const int xEnd = vertical ? X : X - 1;
        const int yEnd = vertical ? Y - 1 : Y;
        if (a.x < 0 || a.x >= xEnd || a.y < 0 || a.y >= yEnd || a.z < 0 || a.z >= L) {
            fprintf(stderr, "ERROR: capacity adjustment %d at (%d, %d, %d) lies outside the routing grid\n",
                    static_cast<int>(i), a.x, a.y, a.z + 1);
            exit(1);
        }
        if (vertical)
            graph.uV(a.x, a.y) += vCapPerLayer[a.z] - adjCapacity[i];
        else
            graph.uH(a.x, a.y) += hCapPerLayer[a.z] - adjCapacity[i];
    }
}

void GlobalRouter::initblockAwareModle(double p) {
    const bool haveBins = placement.binX == X && placement.binY == Y &&
                          placement.bins.size() == static_cast<size_t>(X) * Y;
    auto adjust = [&](int& usage, int c, int ax, int ay, int bx, int by) {
        if (c <= 0) return;  // no tracks in this direction: nothing to scale
        const double r = static_cast<double>(c - usage) / c;
        if (r >= 0.0) {
            usage = c - static_cast<int>(std::pow(r, p) * c);
            if (usage < 0) usage = 0;
        }
        if (haveBins) {
            usage = std::max(usage, c - static_cast<int>(c * placement.bin(ax, ay).freeRatio));
            usage = std::max(usage, c - static_cast<int>(c * placement.bin(bx, by).freeRatio));
        }
    };
    for (int x = 0; x < X - 1; ++x)
        for (int y = 0; y < Y; ++y) adjust(graph.uH(x, y), hCap2D, x, y, x + 1, y);
    for (int x = 0; x < X; ++x)
        for (int y = 0; y < Y - 1; ++y) adjust(graph.uV(x, y), vCap2D, x, y, x, y + 1);
}

void GlobalRouter::setCellLayers(int layers) {
    if (graph.cellLayers == layers) return;
    // A new allocation: no search may be open, and every node's data pointer
    // is set again.
    hugeAssign(graph.cells, static_cast<size_t>(X) * Y * layers, GridCell{});
    graph.cellLayers = layers;
    for (int z = 0; z < layers; ++z)
        for (int x = 0; x < X; ++x)
            for (int y = 0; y < Y; ++y) {
                GridCell& c = graph.cell(x, y, z);
                c.x = x;
                c.y = y;
                c.z = z;
                c.node.data = &c;
            }
}

void GlobalRouter::releaseSearchState() {
    std::vector<GridCell>().swap(graph.cells);
    std::vector<MazeNode>().swap(mazeNodes);
    mazePool = OpenPool();
    graph.cellLayers = 0;
    for (std::vector<float>* v : {&mapCost, &workCost1, &workCost2, &workCost3}) std::vector<float>().swap(*v);
    for (std::vector<int>* v : {&workDir1, &workDir2, &workDir3}) std::vector<int>().swap(*v);
}

void GlobalRouter::initial3Dmalloc() {
    const size_t xyl = static_cast<size_t>(X) * Y * L;
    setCellLayers(L);
    if (graph.func_map.size() != xyl) graph.func_map.assign(xyl, FuncCost{});
    if (work3DCost1.empty()) {
        work3DCost1.assign(xyl, 0.0f);
        work3DCost2.assign(xyl, 0.0f);
        work3DDir1.assign(xyl, 0);
        work3DDir2.assign(xyl, 0);
    }
    graph.demand3D.resize(xyl, Point_i{});
    graph.capacity3D.resize(xyl, Point_i{});
    graph.history3D.resize(xyl, Point_i{});
}

void GlobalRouter::initial3DRouting(std::vector<int>& hCapLayer, std::vector<int>& vCapLayer,
                                    std::vector<RPoint>& adjLocate, std::vector<int>& adjCapacity,
                                    std::vector<std::vector<int>>& pinsPerGcell, double pinBlockageFactor) {
    history3DMode = 0;
    totalOF = 0;
    Wlen2D = 0;
    viaCount = 0;
    costScale = 10.0f;
    costMode3D = -1;
    if (graph.demand3D.size() != static_cast<size_t>(X) * Y * L) initial3Dmalloc();

    auto layerTracks = [](const std::vector<int>& v, int z) {
        return z < static_cast<int>(v.size()) ? v[z] : 0;
    };
    for (int z = 0; z < L; ++z)
        for (int y = 0; y < Y; ++y)
            for (int x = 0; x < X; ++x)
                graph.cap3D(x, y, z) = Point_i{layerTracks(hCapLayer, z), layerTracks(vCapLayer, z), 1000000000};

    const size_t n = std::min(adjLocate.size(), adjCapacity.size());
    for (size_t i = 0; i < n; ++i) {
        const RPoint& a = adjLocate[i];
        if (a.x < 0 || a.x >= X || a.y < 0 || a.y >= Y || a.z < 0 || a.z >= L) {
            fprintf(stderr, "ERROR: capacity adjustment %d at (%d, %d, %d) lies outside the routing grid\n",
                    static_cast<int>(i), a.x, a.y, a.z + 1);
            exit(1);
        }
        if (a.hori == 1)
            graph.cap3D(a.x, a.y, a.z).horizontal = adjCapacity[i];
        else
            graph.cap3D(a.x, a.y, a.z).vertical = adjCapacity[i];
    }

    int zV = 0, zH = 0;
    for (int z = L - 1; z >= 0; --z) {
        if (layerTracks(vCapLayer, z) != 0) zV = z;
        if (layerTracks(hCapLayer, z) != 0) zH = z;
    }

    if (pinBlockageFactor > 0) {
        auto lower = [](int& cap, int b) { cap = std::max(cap - b, 0); };
        for (int x = 0; x < X && x < static_cast<int>(pinsPerGcell.size()); ++x)
            for (int y = 0; y < Y && y < static_cast<int>(pinsPerGcell[x].size()); ++y) {
                const int b = static_cast<int>(std::ceil(pinsPerGcell[x][y] * pinBlockageFactor));
                if (y < Y - 1) lower(graph.cap3D(x, y, zV).vertical, b);
                if (y > 0) lower(graph.cap3D(x, y - 1, zV).vertical, b);
                if (x > 0) lower(graph.cap3D(x - 1, y, zH).horizontal, b);
                if (x < X - 1) lower(graph.cap3D(x, y, zH).horizontal, b);
            }
    }

    std::fill(graph.demand3D.begin(), graph.demand3D.end(), Point_i{});
    std::fill(graph.history3D.begin(), graph.history3D.end(), Point_i{});
}

void GlobalRouter::getMaxHistory(int& x, int& y, int& maxOF) {
    x = y = -1;
    maxOF = 0;
    int best = 0;
    for (int i = 0; i < X - 1; ++i)
        for (int j = 0; j < Y; ++j) {
            if (histH(i, j) > best) {
                best = histH(i, j);
                x = i;
                y = j;
            }
            maxOF = std::max(maxOF, graph.uH(i, j) - hCap2D);
        }
    for (int i = 0; i < X; ++i)
        for (int j = 0; j < Y - 1; ++j) {
            if (histV(i, j) > best) {
                best = histV(i, j);
                x = i;
                y = j;
            }
            maxOF = std::max(maxOF, graph.uV(i, j) - vCap2D);
        }
}
