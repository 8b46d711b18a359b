#pragma once
// Placement database held by the router: a working copy of the design's cells
// and rows, the rows cut into free stretches (sub-rows) around fixed objects,
// and a grid of bins that coincides with the router's G-cells. It also carries
// the virtual-demand tables that every 2D overflow test and cost adds to usage.

#include <cstddef>
#include <deque>
#include <set>
#include <string>
#include <vector>

#include "database/NetDB.h"

// A sum of areas over cells or rows. One area fits 64 bits (sides of at most
// 10^9 DBU); a sum of many may not, and the bins' comparisons must stay exact.
using AreaSum = __int128;
// v in decimal digits, as the console lines print an area.
std::string areaText(AreaSum v);

// A run of abutting cells of one sub-row, placed as one block at the weighted
// mean of its members' wished left ends (q / e). The true sums are e * 2^scale
// and q * 2^scale: the pair is renormalised together so long clusters stay finite.
struct Cluster {
    int first = 0;  // position of its first cell in the sub-row's cell list
    int last = 0;   // position of its last cell
    // Left and right end; wide because a trial cluster may reach past the sub-row
    // (and the int range) until it is collapsed back inside.
    long long x = 0;
    long long end = 0;
    double e = 0.0; // weight sum
    double q = 0.0; // weighted target sum
    int scale = 0;  // binary exponent shared by e and q
};

// The part of one sub-row that lies in one bin column (local detailed placement).
struct LocalRow {
    int xlow = 0;
    int xhigh = 0;
    int usedWidth = 0;
    int y = 0;
    std::vector<int> cells;
};

// A free stretch of one row between blockages, [xlow, xhigh) x [ylow, yhigh).
struct SubRow {
    int stamp = -1;   // index of the last cell that collected it as a candidate
    int xlow = 0;
    int ylow = 0;
    int xhigh = 0;
    int yhigh = 0;
    int demandX = 0;  // summed width of the cells placed in it
    std::vector<int> cells;  // committed cells, left to right
    std::vector<Cluster> clusters;       // committed clusters
    // Trial clusters: the committed clusters with the positions from trialBase
    // on replaced by trialClusters (only the tail that a trial changes is held).
    std::vector<Cluster> trialClusters;
    int trialBase = 0;
};

// One placement bin; bin (x, y) is G-cell (x, y).
struct Bin {
    AreaSum placeableArea = 0;  // area of the sub-rows inside the bin
    AreaSum placedArea = 0;     // area of movable cells inside the bin
    int history = 0;
    int macroBlockage = 0;
    double blockedCapacity = 0.0;  // routing tracks blocked by fixed cells, all layers
    double freeRatio = 1.0;        // 1 - blocked / total tracks, never below 0.0001
    int pinCount = 0;
    int viaCount = 0;
    std::vector<LocalRow> localRows;
    std::set<int> cells;           // movable cells whose lower-left corner lies here
    std::vector<SubRow*> subRows;  // sub-rows overlapping the bin
};

class Placement {
public:
    Placement() = default;
    Placement(const Placement&) = delete;
    Placement& operator=(const Placement&) = delete;

    // ---- database ---------------------------------------------------------------
    std::vector<Row> rows;          // copy of the design's rows; subRows point into subRowPool
    std::deque<SubRow> subRowPool;  // owns every sub-row (stable addresses)
    int movableCount = 0;
    AreaSum totalBinCap = 0;        // sum of all bins' placeable area
    AreaSum rowCap = 0;             // sum over rows of sites x height
    std::vector<placeCell> cells;   // working copy; a cell is named by its index here
    // Per cell: the connections of the current decomposition that end on it.
    std::vector<std::vector<TwoPin*>> cellTwoPins;
    std::vector<int> layerCap;      // per routing layer, tracks
    long long xTop = 0;  // right and top ends of the bin grid
    long long yTop = 0;
    int binH = 0;
    int binW = 0;
    int originX = 0;
    int originY = 0;
    bool countHistory = false;      // every over-capacity update adds history

    // Bin grid, flat [x][y] with index x * binY + y; empty until placement is set up.
    int binX = 0;
    int binY = 0;
    std::vector<Bin> bins;
    Bin& bin(int x, int y) { return bins[static_cast<size_t>(x) * binY + y]; }
    const Bin& bin(int x, int y) const { return bins[static_cast<size_t>(x) * binY + y]; }

    // Extra demand per edge, flat [x][y] with index x * Y + y over an X by Y grid:
    // horizontal edge (x,y)-(x+1,y) and vertical edge (x,y)-(x,y+1).
    int vdX = 0;
    int vdY = 0;
    std::vector<int> virtualDemandH;
    std::vector<int> virtualDemandV;
    double virtualDemandScale = 0.0;
    // The router's 2D usage before any net was routed (capacity adjustments and
    // the block-aware model), flat like its usage; empty when not taken. When
    // the virtual demand of an edge changes, the re-placement loop counts the
    // edge's overflow again above it, as commit and rip-up count it.
    std::vector<int> baseUsageH;
    std::vector<int> baseUsageV;

    void resizeVirtualDemand(int X, int Y) {
        vdX = X;
        vdY = Y;
        virtualDemandH.assign(static_cast<std::size_t>(X) * Y, 0);
        virtualDemandV.assign(static_cast<std::size_t>(X) * Y, 0);
    }
    int vdH(int x, int y) const { return virtualDemandH[static_cast<std::size_t>(x) * vdY + y]; }
    int vdV(int x, int y) const { return virtualDemandV[static_cast<std::size_t>(x) * vdY + y]; }

    // Bin column / row of a point, clipped to the grid.
    int binCol(long long px) const {
        const long long c = (px - originX) / binW;
        return c < 0 ? 0 : (c >= binX ? binX - 1 : static_cast<int>(c));
    }
    int binRow(long long py) const {
        const long long r = (py - originY) / binH;
        return r < 0 ? 0 : (r >= binY ? binY - 1 : static_cast<int>(r));
    }
    // Bin range of [x1, x2) x [y1, y2), clipped to the grid; empty when lo > hi.
    void binRange(long long x1, long long y1, long long x2, long long y2, int& c1, int& r1, int& c2, int& r2) const;
    // Overlap area of [x1, x2) x [y1, y2) with bin (bx, by), 0 when apart.
    long long binOverlap(int bx, int by, long long x1, long long y1, long long x2, long long y2) const;

    // ---- set-up -------------------------------------------------------------------
    void initial(std::vector<placeCell>& cells, std::vector<Row>& rows, std::vector<int>& layerCap, int X, int Y,
                 int layerCount, int originX, int originY, int binWidth, int binHeight, double scale, int margin);
    void initialSubRow(int margin);
    void cutRow(long long x1, long long y1, long long x2, long long y2, Row& row);
    void initialSubRowinBin();
    void initialRowCap();
    void insertMacro(int cell, int type);

    // ---- bin updates --------------------------------------------------------------
    void insertBin(int cell, int x, int y);
    void ripupBin(int cell);
    void placeRec(long long x1, long long y1, long long x2, long long y2, int sign);
    int updateHistory();
    void resetHistory();
    int showPlaceInfo();

    // ---- density cost and virtual demand -------------------------------------------
    float binDesCost(int x, int y, long long area);
    void updateVirtualDemandHor(int x, int y);
    void updateVirtualDemandVer(int x, int y);
    void initVirtualDem();

    // ---- row legalization -----------------------------------------------------------
    // Ends the run with status 1 when some cell found no sub-row (after its report line).
    void legalizeAllCell();
    void getSubRowSet(int bx, int by, std::vector<SubRow*>& out, int r, int stamp);
    void legalizeCell(placeCell& cell, std::vector<SubRow*>& candidates, float& bestCost, SubRow*& best, int& bestX);
    float tryPlaceCell(placeCell& cell, SubRow& subRow);
    float collapse(placeCell& cell, SubRow& subRow);
    void resetSubRow();
    void checkCellinRow();

    // ---- local detailed placement ----------------------------------------------------
    // Rebuilds every bin's local rows from the sub-rows and their cells.
    void buildLocalRow();
    // The three passes; each returns its summed improvement and its wall-clock seconds.
    long long insideBinChange(float& seconds);
    long long slidingWindow(float& seconds);
    long long replace2WhitePlace(float& seconds);
    // Local wire length of c with its corner at (x, y); far ends clamped into c's bin.
    long long calcLocalLength(placeCell& c, int x, int y, int exclude);
    long long gainOfChangeTwoCell(placeCell& a, placeCell& b);
    long long getChangeGain(placeCell& a, placeCell& b);
    long long changeOrder(LocalRow& row, int start, int n, std::vector<int>& order, std::vector<int>& bestOrder);
    void emunerateCost(LocalRow& row, int start, std::vector<int>& order, int left, std::vector<int>& bestOrder,
                       long long& bestCost, int depth);
    // Median target of c's corner over its connections' far ends.
    void getBestPoint(placeCell& c, int& x, int& y, std::vector<int>& xs, std::vector<int>& ys);
    // The bin of c's corner, widened to hold c: where c's far ends are clamped.
    struct LocalBox {
        int left = 0, bottom = 0, right = 0, top = 0;
    };
    LocalBox localBox(const placeCell& c) const;
    bool ownAndFar(int c, const TwoPin* tp, int exclude, const pinLocate*& own, const pinLocate*& far) const;
    bool insideOwnBin(const placeCell& c) const;
    std::vector<int> localRowSlot;  // scratch of buildLocalRow

private:
    long long rowOverlapY(long long y1, long long y2, const Row& row) const;
    float cellCost(const placeCell& c, int x, int y, int demand, const SubRow& s) const;
    std::vector<SubRow*> candidateScratch_;
    std::vector<int> workList_;
    std::vector<unsigned char> placed_;  // per cell: the last legalization found it a spot
};

// Legalization order: smaller x first, on equal x the larger key first.
bool cellCompare(placeCell* a, placeCell* b);
