#pragma once
// Layer assignment: turns each net's 2D route into a tree of G-cells and unit
// edges, gives every edge a layer (greedy or tree dynamic programming with
// negotiation), and writes the 3D result and its overflow report.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "database/NetDB.h"
#include "database/Timer.h"

class Graph {
public:
    // Costs are 64-bit: an overflowed layer costs millions times the pitch per
    // edge, and a tree sums many of them.
    using Cost = long long;

    // One layer of one unit edge.
    struct GridEdge3D {
        int demand = 0;   // tracks in use, blockage included
        int history = 0;  // negotiation rounds that ended above capacity
    };

    struct pin {
        int x = 0;
        int y = 0;
        int layer = 0;
    };

    // One solution of the tree DP: the edge to the parent on `layer`, the
    // children's edges on childLayer[k].
    struct sol {
        int layer = 0;
        int maxLayer = 0;
        int minLayer = 0;
        Cost cost = 0;
        int childLayer[4] = {0, 0, 0, 0};
        int childSolIndex[4] = {0, 0, 0, 0};
    };

    // A G-cell of a net tree. The solution chosen for it lives in the DP scratch
    // space (chosenSpace), not here, to keep millions of nodes small.
    struct node {
        int x = 0;
        int y = 0;
        int parent = -1;
        int children[4] = {0, 0, 0, 0};
        int maxPinLayer = 0;
        int minPinLayer = 0;
        unsigned char childCount = 0;
        bool hasPin = false;
    };

    // A unit edge of a net tree; edge i joins node i+1 to its parent.
    struct edge {
        int x = 0;  // lower or left G-cell
        int y = 0;
        int layer = -1;
        unsigned char dir = 0;  // 0 vertical, 1 horizontal
    };

    struct net {
        int id = 0;
        std::string name;
        int width = 0;  // the net's minimum wire width
        int viaCount = 0;
        double score = 0.0;
        std::vector<node> nodes;
        std::vector<edge> edges;
        std::vector<pin> pins;
    };

    // One straight run of a net's edges in the result file.
    struct line {
        int x = 0;
        int y = 0;
        int layer = 0;
        int dir = 0;
        int length = 0;
    };

    // Work maps of one conversion, X by Y each, indexed like the 2D arrays.
    // They hold the position of the net being converted (a stamp), so nothing
    // needs clearing between nets.
    struct ConvertMaps {
        std::vector<int> cell;     // stamp of the net touching the G-cell; -1 once in its tree
        std::vector<int> pinNet;   // stamp of the net with a pin here
        std::vector<int> maxPin;   // highest pin layer of that net here
        std::vector<int> minPin;   // lowest pin layer of that net here
        std::vector<int> vEdge;    // stamp of the net using the vertical edge (x,y)-(x,y+1)
        std::vector<int> vLayer;   // layer of the last path step on it
        std::vector<int> hEdge;    // stamp of the net using the horizontal edge (x,y)-(x+1,y)
        std::vector<int> hLayer;
    };

    int totalOF = 0;
    int maxOF = 0;
    int totalVia = 0;
    int Wlen2D = 0;
    int X = 0;
    int Y = 0;
    int L = 0;
    double slope = 0.0;
    bool firstPass = false;
    int maxLen = 0;
    int viaCost = 0;
    double overflowExponent = 2.0;
    std::vector<int> minSpacing;
    std::vector<int> minWidth;
    std::vector<int> pitch;
    int totalVTracks = 0;
    int totalHTracks = 0;

    // Per 2D edge, flat X*Y arrays indexed by idx2D(x, y) of the lower or left
    // G-cell (the last row or column of each direction is unused).
    std::vector<int> demand2DH, demand2DV;
    std::vector<int> overflowCountH, overflowCountV;
    std::vector<int> ceilAllowH, ceilAllowV, floorAllowH, floorAllowV;

    int llx = 0;
    int lly = 0;
    int tileWidth = 0;
    int tileHeight = 0;
    int inputOverflow = 0;

    Timer t_initialLeaf;
    Timer t_propagate;
    Timer t_mergeSubTree;
    Timer t_pruneSol;
    Timer t_topDown;
    Timer t_kernelLA;
    Timer t_utility;

    std::vector<int> tracks[2];  // [0] vertical, [1] horizontal tracks per layer
    // Flat [direction][x][y][layer] grid, indexed by idx3D.
    std::vector<GridEdge3D> grid3D;
    std::vector<net> nets;
    // A net whose pins share one G-cell on several layers has no tree; the
    // result joins its pins by the via stack from lo to hi. `before` is the
    // index in nets of the next net with a tree, which keeps the file in net order.
    struct pinStack {
        size_t before = 0;
        int id = 0;
        std::string name;
        int x = 0;
        int y = 0;
        int lo = 0;
        int hi = 0;
    };
    std::vector<pinStack> pinStacks;
    long long stackVias = 0;  // vias of all pinStacks, counted in the overflow report
    std::vector<net*> sortedNets;

    // DP scratch, sized once per conversion for the largest tree: one solution
    // per node and parent-edge layer (solSpace[node * L + layer]), the solution
    // chosen per node, and the partial lists of the merge step.
    std::vector<sol> solSpace;
    std::vector<sol> chosenSpace;
    std::vector<sol> partialA, partialB;
    std::vector<Cost> edgeCostScratch;

    Graph() = default;
    // sortedNets points into nets: a copy would share them.
    Graph(const Graph&) = delete;
    Graph& operator=(const Graph&) = delete;

    size_t idx2D(int x, int y) const { return static_cast<size_t>(x) * Y + y; }
    size_t idx3D(int d, int x, int y, int l) const {
        return ((static_cast<size_t>(d) * X + x) * Y + y) * L + l;
    }
    GridEdge3D& at3D(int d, int x, int y, int l) { return grid3D[idx3D(d, x, y, l)]; }
    const GridEdge3D& at3D(int d, int x, int y, int l) const { return grid3D[idx3D(d, x, y, l)]; }
    std::vector<int>& demand2D(int d) { return d == 1 ? demand2DH : demand2DV; }
    std::vector<int>& overflowCount(int d) { return d == 1 ? overflowCountH : overflowCountV; }

    // Set-up (LAGrid.cpp).
    void initialLA(NetDB& db, int Via_Cost, double Pin_Blockage_Factor);
    void initialGraph();
    void reset(NetDB& db);
    void ripUp(net& n);
    void updateHistoryCost();
    int getTotalOverflow(int& maxOF, double& weightOF);
    bool hasOverflow(net& n);
    int getSingleNetlVia(net& n);
    void reportCPUTime();

    // Conversion of the 2D routes (LAConvert.cpp).
    // With releasePaths each net's 2D paths are freed once its tree is built
    // (for a flow that reads the routes only from here on).
    void convertGRtoLA(NetDB& db, bool releasePaths = false);
    void BFS_net(ConvertMaps& maps, net& n, int stamp);
    // Hand-back of the assigned layers into the connections' paths (LAHandBack.cpp).
    void convertLAtoGR(NetDB& db);

    // Tree DP of one net (LADynamicProgram.cpp).
    // Congestion term plus the per-layer preference of one edge on layer l;
    // the layer must have tracks in the edge's direction.
    Cost edgeCost(int d, int x, int y, int l) const;
    void singleNetLA(net& n);
    void initialLeaf(net& n, int v, std::vector<sol>& space);
    void propagate(net& n, int v, std::vector<sol>& space);
    void mergeSubTree(net& n, int v, std::vector<sol>& space);
    void topDownAssignment(net& n, std::vector<sol>& space);

    // Schedules (LASchedules.cpp).
    void sort_net();
    void greedy_singleNetLA(net& n, bool useCost);
    void fastLA(int, int, int, bool);
    void COLA(int, int, int, bool);
    void NVM(int, int, int, bool);

    // Writers (LAOutput.cpp).
    void output3Dresult(const char* fileName);
    // The layers that the via run at node i of n spans (over its pins and its
    // edges); lo > hi or lo == hi when there is no via.
    static void nodeViaSpan(const net& n, int i, int& lo, int& hi);
    void outputOverflowInfo(const char* fileName);

private:
    void applyAdjustments(const NetDB& db, int errorLine);
    void charge(const edge& e);
    // Scratch of the result writer: edge index per 2D edge, stamped per net.
    std::vector<int> runStamp[2];
    std::vector<int> runEdge[2];
    std::vector<line> runLines;
};

// Descending score.
bool order_cp(const Graph::net* a, const Graph::net* b);
