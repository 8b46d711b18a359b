#pragma once
// The routing engine: grid state, edge costs, commit and rip-up, and the
// routing kernels and schedules that work on them.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "database/Geometry.h"
#include "database/NetDB.h"
#include "placement/Placement.h"
#include "router/core/ControlGR.h"
#include "router/core/GridIndex.h"
#include "router/heap/GridCell.h"
#include "router/heap/fib.h"
#include "router/heap/MazeOpenSet.h"

struct Best3D;  // the 3D stage's best state (router/schedules/Best3D.h)

// Cached 3D step costs of one G-cell and layer.
struct FuncCost {
    float horizontal = 0.0f;
    float vertical = 0.0f;
    float via = 0.0f;
};

class GridGraph {
public:
    GridGraph() = default;
    GridGraph(const GridGraph&) = delete;
    GridGraph& operator=(const GridGraph&) = delete;

    // 2D usage in tracks (permanent blockage included): horizontal edges
    // [X-1][Y], vertical edges [X][Y-1], flat, index x * Y + y (resp. x * (Y-1) + y).
    std::vector<int> usageH;
    std::vector<int> usageV;
    int hCap2D = 0;
    int vCap2D = 0;
    int xNum = 0;
    int yNum = 0;
    int layerNum = 0;
    std::vector<FuncCost> func_map;  // indexed by edge key (z * X + x) * Y + y; sized by initial3Dmalloc
    // 3D tables, flat [z][y][x]: index (z * Y + y) * X + x; sized by initial3Dmalloc.
    std::vector<Point_i> demand3D;
    std::vector<Point_i> capacity3D;
    std::vector<Point_i> history3D;
    // Maze cells, flat [z][x][y]: index (z * X + x) * Y + y, the edge key and the
    // index order of every 2D array. Layer 0 only until initial3Dmalloc adds
    // the others (the 2D flow searches layer 0 alone).
    std::vector<GridCell> cells;
    int cellLayers = 0;  // layers held in cells

    int hIdx(int x, int y) const { return flatIndex("horizontal edges", x, y, xNum - 1, yNum); }
    int vIdx(int x, int y) const { return flatIndex("vertical edges", x, y, xNum, yNum - 1); }
    int& uH(int x, int y) { return usageH[hIdx(x, y)]; }
    int& uV(int x, int y) { return usageV[vIdx(x, y)]; }
    int cellIdx(int x, int y, int z) const {
        return flatIndex("grid cells", z * xNum + x, y, cellLayers * xNum, yNum);
    }
    GridCell& cell(int x, int y, int z) { return cells[cellIdx(x, y, z)]; }
    // Index of the [z][y][x] 3D tables.
    int idx3D(int x, int y, int z) const { return flatIndex("3D table", z * yNum + y, x, layerNum * yNum, xNum); }
    // Edge key (z * X + x) * Y + y of a step, checked against func_map.
    int keyIdx(int x, int y, int z) const {
        return flatIndex("step cost map", z * xNum + x, y, layerNum * xNum, yNum);
    }
    FuncCost& func(int x, int y, int z) { return func_map[keyIdx(x, y, z)]; }
    // 3D tables, checked against their own (possibly not yet allocated) extent.
    int table3DIdx(const std::vector<Point_i>& t, int x, int y, int z) const {
        return flatIndex("3D table", z * yNum + y, x, xNum > 0 ? static_cast<int>(t.size()) / xNum : 0, xNum);
    }
    Point_i& dem3D(int x, int y, int z) { return demand3D[table3DIdx(demand3D, x, y, z)]; }
    Point_i& cap3D(int x, int y, int z) { return capacity3D[table3DIdx(capacity3D, x, y, z)]; }
    Point_i& hist3D(int x, int y, int z) { return history3D[table3DIdx(history3D, x, y, z)]; }

    // Plain 2D usage of the horizontal (flag true) or vertical edge at (x, y).
    int getCost(int x, int y, bool horizontal);
    void resetCellInformation();
};

class GlobalRouter {
public:
    GlobalRouter(int X, int Y, int L, int hCap2D, int vCap2D, std::vector<int> hCapPerLayer,
                 std::vector<int> vCapPerLayer, std::vector<int>& pitchPerLayer);
    ~GlobalRouter();
    GlobalRouter(const GlobalRouter&) = delete;
    GlobalRouter& operator=(const GlobalRouter&) = delete;

    // ---- state ----------------------------------------------------------------
    fibheap* heap = nullptr;
    fibque* queue = nullptr;
    int searchStamp = 0;
    int X = 0, Y = 0, L = 0;
    double sigmoidSlope = 0.3;
    GridGraph graph;
    Placement placement;
    bool historyMode = false;
    bool hardOverflowMode = false;
    double historyExponent = 1.0;
    int hCap2D = 0;
    int vCap2D = 0;
    // Total overflow: in tracks in 2D, pitch-weighted in 3D, where it passes the int range.
    long long totalOF = 0;
    float bendCost = 1.0f;
    float costScale = 1.0f;
    float costOffset = 0.0f;
    float sigmoidHeight = 150.0f;
    float historyDivisor = 350.0f;
    float monotonicBendCost = 10.0f;
    std::vector<int> historyH;  // [X-1][Y], same index as usageH
    std::vector<int> historyV;  // [X][Y-1], same index as usageV
    float costTable[1000] = {};
    int tableOffset = 0;
    int costMode2D = 0;
    int Wlen2D = 0;
    int viaCount = 0;
    int reachMapKernel = 0;
    std::vector<int> pitchPerLayer;
    std::vector<int> hCapPerLayer;
    std::vector<int> vCapPerLayer;
    // Cached 2D edge cost, flat [kind][x][y] (kind 0 vertical, 1 horizontal), both planes X by Y.
    std::vector<float> mapCost;
    // Scratch maps of the 2D dynamic-programming kernels, each X by Y, index x * Y + y.
    std::vector<float> workCost1, workCost2, workCost3;
    std::vector<int> workDir1, workDir2, workDir3;
    int costMode3D = -1;
    int viaCost = 0;
    int history3DMode = 0;
    // Scratch arrays of the 3D kernels, X * Y * L each; empty until initial3Dmalloc.
    std::vector<float> work3DCost1, work3DCost2;
    std::vector<int> work3DDir1, work3DDir2;

    // ---- index helpers ---------------------------------------------------------
    int mapIdx(int kind, int x, int y) const { return flatIndex("cost map", kind * X + x, y, 2 * X, Y); }
    float& mapCostAt(int kind, int x, int y) { return mapCost[mapIdx(kind, x, y)]; }
    int xyIdx(int x, int y) const { return flatIndex("work map", x, y, X, Y); }
    int& histH(int x, int y) { return historyH[graph.hIdx(x, y)]; }
    int& histV(int x, int y) { return historyV[graph.vIdx(x, y)]; }
    // Per-kind views of one 2D edge (kind 0 vertical, 1 horizontal).
    int& usage2D(int kind, int x, int y) { return kind == 1 ? graph.uH(x, y) : graph.uV(x, y); }
    int& history2D(int kind, int x, int y) { return kind == 1 ? histH(x, y) : histV(x, y); }
    int cap2D(int kind) const { return kind == 1 ? hCap2D : vCap2D; }
    // Virtual demand of a 2D edge, checked against the table's own extent.
    int virtualDemand(int kind, int x, int y) const {
        const std::vector<int>& t = kind == 1 ? placement.virtualDemandH : placement.virtualDemandV;
        return t[flatIndex("virtual demand", x, y, placement.vdX, placement.vdY)];
    }
    // Sigmoid table entry of an edge with demand d against capacity cap, index
    // clamped to the table.
    float sigmoidEntry(int d, int cap) const;

    // ---- grid set-up -------------------------------------------------------------
    void initial2DGraph(std::vector<RPoint>& adjLocate, std::vector<int>& adjCapacity);
    void initblockAwareModle(double p);
    void initial3Dmalloc();
    // Holds the maze cells of the given number of layers (layer 0 first).
    void setCellLayers(int layers);
    // Frees the maze cells, the cached 2D costs and the 2D work maps once no
    // 2D search follows.
    void releaseSearchState();
    void initial3DRouting(std::vector<int>& hCapPerLayer, std::vector<int>& vCapPerLayer,
                          std::vector<RPoint>& adjLocate, std::vector<int>& adjCapacity,
                          std::vector<std::vector<int>>& pinsPerGcell, double pinBlockageFactor);
    void getMaxHistory(int& x, int& y, int& maxOF);

    // ---- edge costs ----------------------------------------------------------------
    void initialCostArray();
    float DPCost(int x, int y, int kind);
    // pow(h, historyExponent) for a history count h, from a table for small h.
    double historyPow(int h);
    static constexpr int kHistoryPowSize = 4096;
    std::vector<double> historyPowTable;
    double historyPowExponent = 0.0;
    float NewCost(int x, int y, int kind);
    float cost3D(int x, int y, int z, int kind);
    void initialFunc_2Dmap(int mode);
    void initialFunc_3Dmap();

    // ---- pin-density virtual demand ------------------------------------------------
    void initialVirtualDem(std::vector<std::vector<int>>& pinsPerGcell, double factor);

    // ---- placement database hooks --------------------------------------------------
    // Builds the router's placement database from the design's cells and rows.
    void initialPlacement(std::vector<placeCell>& cells, std::vector<Row>& rows, int originX, int originY,
                          int tileWidth, int tileHeight, double virtualDemandScale, int macroMargin);
    // Legalizes every movable cell and moves it in the bins to its legal spot.
    void legalize();
    // Empties every cell's connection list, resets the bin histories, stops counting history.
    void clearCellInfo();
    // Refreshes the virtual demand and cached edge costs around a cell.
    void updateVirtualCost(placeCell& cell);
    // Moves the ends of the cell's connections that lie on the cell to its pins' G-cells.
    void updateNetInfo(int cell);
    // A pin's position in DBU (its cell's current corner plus offsets) and its cell's pin layer.
    void getPinLocation(pinLocate& pin, int& x, int& y, int& layer) const {
        const placeCell& c = placement.cells[pin.cell];
        x = c.xlow + pin.xOffset;
        y = c.ylow + pin.yOffset;
        layer = c.pinLayer;
    }
    // The G-cell of that position (integer division from the grid origin, clipped
    // to the grid) and the pin layer.
    void getPinGcell(pinLocate& pin, int& x, int& y, int& layer) const {
        getPinLocation(pin, x, y, layer);
        x = placement.binCol(x);
        y = placement.binRow(y);
    }

    // ---- commit and rip-up ---------------------------------------------------------
    int RoutePath(std::vector<RPoint>& path, Net& net);
    int RoutePath(Point const& from, Point const& to, std::vector<RPoint>& path, Net& net);
    void RipUp(std::vector<RPoint>& path, Net& net);
    void RipUp(Point& from, Point& to, std::vector<RPoint>& path, Net& net);
    void minu_func(bool planar, TwoPin* tp);
    void add_func(bool planar, TwoPin* tp);
    void specializeRoutingCostMap(BoundingBox& box, Net& net, int kind);
    void normalizeRoutingCostMap(BoundingBox& box, Net& net, int kind);
    // Recomputes the cached cost of one 2D edge by costMode2D (0 leaves it).
    void refreshEdgeCost(int kind, int x, int y);

    // ---- congestion metrics and report ---------------------------------------------
    int getVirtualOF(int& maxOF);
    void getHorVerOverflow(std::vector<RPoint>& path, int& hOF, int& vOF, float& hCost, float& vCost);
    void getScore(int& maxUsage, int& overflow, int& vias, int& edges, TwoPin*& tp);
    void outputOverflowInfo(char const* fileName);

    // ---- pattern routing, routing order, dynamic-programming pattern ----------------
    // Cheaper L shape between a and b (ties to the L along the lower row), committed;
    // returns the overflow count, maxDemand the largest usage on it before the commit.
    int Pattern(Point& a, Point& b, TwoPin* twoPin, int& maxDemand);
    // Straight run between a and b (one column, else a's row), committed.
    int Flat(Point& a, Point& b, std::vector<RPoint>& path, Net& net);
    // Records the unit edges of one straight Steiner-tree segment in net.treeEdges.
    void FluteFlat(const Point& a, const Point& b, Net& net);
    // Cheapest monotone route inside the pins' box with a cost per bend, committed.
    // On return a is the end with the larger x, b the other; the path runs from a to b.
    int DDPattern(Point& a, Point& b, TwoPin* twoPin, int& maxDemand);

    // ---- maze search -----------------------------------------------------------------
    void insertQueues(fibque* q, fibheap* h, void* cell);
    // Open set of the maze search over the layer-0 cells, linked by pool slot.
    MazeHeap mazeHeap;
    MazeQueue mazeQueue;
    OpenPool mazePool;
    // Search state of the layer-0 cells, index x * Y + y; sized by the first search.
    std::vector<MazeNode> mazeNodes;
    // Source and target pins of the current search; cleared at its start.
    std::vector<Point> mazeSources;
    std::vector<Point> mazeTargets;
    // Reroutes one connection by a multi-source, multi-target best-first search
    // inside box, bounded in cost by its old path and in length by maxLength.
    // Leaves the old path in place when nothing within the bounds is found.
    void MultiMaze(TwoPin* twoPin, int maxLength, BoundingBox& box, bool flag);
    // Marks the targets, seeds the sources and grows targetBox.
    void initialTargetSource(TwoPin* twoPin, Net& net, bool single, std::vector<Point>& sources,
                             std::vector<Point>& targets, std::vector<GridCell>& cells,
                             BoundingBox& targetBox);
    // Writes the path from goal back to the seed it came from (2D form).
    void traceBack(TwoPin* twoPin, bool flag, GridCell* goal, bool planar);
    // The same over the search nodes, from the goal's index.
    void traceBackNodes(TwoPin* twoPin, uint32_t goal);
    // Cached cost of the connection's current path plus its bends in list order.
    float PathScore(TwoPin* twoPin, Net& net);
    // Advances the search stamp; on reaching the largest int it restarts at 0
    // after resetting every cell's stamps.
    void advanceSearchStamp();
    // Removes the open cell with the smallest key (heap first on equal keys);
    // null when the open set is empty.
    GridCell* popOpenSet();

    // ---- monotonic, snaking and escape routing; initial and fast schedules ---------
    // The dynamic programs write a direction map (codes: -1 source, 0 from below,
    // 1 from the left, 2 from above, 3 from the right) and a cost map, both flat
    // X by Y arrays indexed by xyIdx(x, y) (the work maps), only over their region.
    // Monotone staircase from s over the rectangle of s and t, bend cost per turn.
    void pseudoMonotonic(Point& s, Point& t, int* dir, float* cost);
    // Monotone in y from s.y to t.y, free in x over the box's columns.
    void snakingRoutingHor(Point& s, Point& t, BoundingBox& box, int* dir, float* cost);
    // Monotone in x from s.x to t.x, free in y over the box's rows.
    void snakingRoutingVer(Point& s, Point& t, BoundingBox& box, int* dir, float* cost);
    // Appends the steps from (x, y) back to the source, in trace order. A walk that
    // leaves `region` or takes more steps than it has G-cells is an internal error.
    void monTraceBack(std::vector<RPoint>& path, int x, int y, int* dir);
    void monTraceBack(std::vector<RPoint>& path, int x, int y, int* dir, const BoundingBox& region);
    // Joins map A (grown from `from`) and map B (from `to`) at the cheapest G-cell of
    // the connection's box, sets its growth flags and appends both halves to its path.
    // False, with nothing appended, when no G-cell costs less than 1e11.
    bool identifyPath(TwoPin* tp, int* dirA, float* costA, int* dirB, float* costB);
    float minCostLeftRight(int x, int yLow, int yHigh, float* costA, float* costB);
    float minCostTopBottom(int xLow, int xHigh, int y, float* costA, float* costB);
    // Reroutes tp into its emptied path (not committed). Both ends on the snaking
    // DP's monotone line give the straight path between them.
    void snakingRouting(TwoPin* tp, BoundingBox& box, int* dir, float* cost, bool horizontal);
    // Escape reroutes by monotone / snaking DPs from both ends; false when
    // identifyPath finds no meeting G-cell (the path is then left empty).
    bool escapRouting(TwoPin* tp, BoundingBox& box, int* dirA, float* costA, int* dirB, float* costB);
    bool escapSnakeRouting(TwoPin* tp, BoundingBox& box, int* dirA, float* costA, int* dirB, float* costB);
    // First paths: pattern rounds, then monotonic rounds over the overflowed.
    void initialRouting(std::vector<Net>& nets, std::vector<Order>& orders, int patternRounds,
                        int monotonicRounds, controlGR& control);
    // Rip-up and reroute rounds under history cost, bounded by control's round and
    // wall-clock limits; appends one entry per round to control's traces.
    void fastRouting(std::vector<Net>& nets, std::vector<Order>& orders, controlGR& control);

    // ---- 3D refinement: commit, kernels and negotiation ----------------------------
    // The 3D work arrays are X * Y * L, index (x * Y + y) * L + z.
    int w3(int x, int y, int z) const { return (x * Y + y) * L + z; }
    long long Route3DPath(std::vector<RPoint>& path, Net& net);
    void RipUp3D(std::vector<RPoint>& path, Net& net);
    void initialSourceLayer(int x, int y, int z, int* dir, float* cost);
    void changeLayer(int x, int y, int* dir, float* cost);
    // On a shared column (s and t on one G-cell) only the source column is written.
    void monotonic3D(const Point& s, const Point& t, int* dir, float* cost);
    // Ends on one column (Ver) or one row (Hor) get the best straight path.
    void snakingRoutingVer3D(const Point& s, const Point& t, const BoundingBox& box, int* dir, float* cost);
    void snakingRoutingHor3D(const Point& s, const Point& t, const BoundingBox& box, int* dir, float* cost);
    // Appends the steps from (x, y, z) back to the source of the map.
    void monTraceBack3D(std::vector<RPoint>& path, int x, int y, int z, int* dir);
    // Joins the two maps at their cheapest common G-cell and layer of the box and
    // writes the path from `from` to `to`; false (path untouched) when there is none.
    bool identifyPath3D(TwoPin* tp, int* dirA, float* costA, int* dirB, float* costB);
    // The rerouting kernels leave the path ordered from `from` to `to`, with the
    // via stacks that reach every pin layer of both end G-cells.
    void monoRouting3D(TwoPin* tp);
    void snakingRouting3D(TwoPin* tp, BoundingBox& box, int* dir, float* cost, bool horizontal);
    bool escapRouting3D(TwoPin* tp, BoundingBox& box, int* dirA, float* costA, int* dirB, float* costB);
    void getHorVerOverflow3D(std::vector<RPoint>& path, int& hOF, int& vOF, float& hCost, float& vCost);
    // With `best`, the path of a connection is kept there before its first rip-up
    // since the best state, and every round's state is weighed against the best.
    void fastRouting3D(std::vector<Net>& nets, std::vector<Order>& orders, controlGR& control,
                       Best3D* best = nullptr);

    // ---- routing-driven re-placement and local detailed placement -------------------
    // Moves movable cells to cheaper tiles and reroutes their connections, for
    // `rounds` rounds while routing overflows.
    void place_and_route(std::vector<Net>& nets, std::vector<Order>& orders, controlGR& control, int rounds,
                         int iteration);
    // Adds the monotone reach costs from p of one connection to accMap over box.
    void buildCostMap(placeCell& cell, pinLocate& pin, TwoPin* twoPin, Point& p, BoundingBox& box, int* dirMap,
                      float* accMap, int* dirMap2, float* costMap, int* dirMap3, float* costMap3);
    // Cheapest tile of box for cell (its accumulated cost plus weighted density),
    // first strict minimum in column-then-row order; false when no tile fits it.
    bool chooseTile(placeCell& c, const BoundingBox& box, float baseCost, float* accMap, int& bestCol,
                    int& bestRow);
    // Runs the detailed-placement rounds with their console lines.
    void localDetailedPlace(int rounds);
};
