#pragma once
// Shape of a connection's path: ordering its steps into one walk from `from`
// to `to`, and the via stacks that join a net's pins on several layers of one
// G-cell to the wire that ends there.

#include <vector>

#include "database/NetDB.h"

// Scratch of orderPlanarPath, reused from call to call.
struct PathOrderScratch {
    std::vector<long long> ends;  // (cell << 32 | step index), two per planar step, sorted
    std::vector<int> cellOf;      // per sorted end: index of its cell among the distinct cells
    std::vector<int> runStart;    // per distinct cell: its first sorted end (one extra at the end)
    std::vector<int> prevStep;    // per distinct cell: the step it was reached by
    std::vector<int> queue;
    std::vector<RPoint> out;
};

// Puts the planar steps of `path` in order along one walk from `from` to `to`
// (x and y only; vias are dropped). Steps that lie off the shortest walk inside
// the path (dead ends, detours of a cycle) are dropped too. Returns false and
// leaves the path as it was when its steps do not join the two ends.
bool orderPlanarPath(std::vector<RPoint>& path, const Point& from, const Point& to, int gridY,
                     PathOrderScratch& scratch);

// Lowest and highest layer of the net's pins in G-cell (x, y); false when the
// net has no pin there.
bool pinLayerSpan(const Net& net, int x, int y, int& lo, int& hi);

// True for a net without connections whose pins share one G-cell on several
// layers: the via stack from layer lo to layer hi there joins them.
bool singleCellPinStack(const Net& net, int& lo, int& hi);

// Appends to `path` the vias at the G-cells of both ends of tp that are missing
// for a via stack from the lowest to the highest of: the end's layer (tp.from.z
// or tp.to.z) and the layers of the net's pins in that G-cell.
void addPinViaStacks(std::vector<RPoint>& path, const TwoPin& tp, const Net& net);
