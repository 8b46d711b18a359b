#pragma once
// The unit steps that the result writer of the 3D paths writes for each net,
// in the order it writes them. The writer and the measure that weighs its
// result both walk them here, so that they count the same steps.

#include <cstddef>
#include <vector>

#include "database/NetDB.h"
#include "database/PathOrder.h"

class WrittenSteps {
public:
    explicit WrittenSteps(const NetDB& db)
        : db_(db), marks_(static_cast<size_t>(db.gridX) * db.gridY * db.layerNum, Point_i{-1, -1, -1}) {}

    // Whether the net is written at all: a net whose pins share one G-cell on
    // one layer, with no connection, is not.
    static bool written(const Net& net) {
        int lo = 0, hi = 0;
        return !(net.twopin.empty() && net.pin2D.size() == 1) || singleCellPinStack(net, lo, hi);
    }

    // Walks the net at position `index` of the net list: the via stack of a
    // net whose pins share one G-cell on several layers, then every step of
    // its connections' paths the first time the net uses it, as
    // step(kind, x, y, z) with kind 0 (to (x, y+1)), 1 (to (x+1, y)) or 2 (via
    // to layer z+1). A step off the grid or of another kind goes to offGrid().
    template <class Step, class OffGrid>
    void walk(size_t index, Step&& step, OffGrid&& offGrid) {
        const Net& net = db_.nets[index];
        const int X = db_.gridX, Y = db_.gridY, L = db_.layerNum;
        int lo = 0, hi = 0;
        if (singleCellPinStack(net, lo, hi))
            for (int z = lo; z < hi; ++z) step(2, net.pin2D[0].x, net.pin2D[0].y, z);
        // Marked with the net's position, which no other net shares.
        const int mark = static_cast<int>(index);
        for (const TwoPin& tp : net.twopin) {
            for (const RPoint& s : tp.path) {
                const bool planarInGrid = s.x >= 0 && s.y >= 0 && s.z >= 0 && s.z < L &&
                                          s.x + (s.hori == 1) < X && s.y + (s.hori == 0) < Y;
                const bool viaInGrid = s.x >= 0 && s.y >= 0 && s.x < X && s.y < Y && s.z >= 0 && s.z + 1 < L;
                if ((s.hori == 0 || s.hori == 1) ? !planarInGrid : (s.hori != 2 || !viaInGrid)) {
                    offGrid();
                    continue;
                }
                Point_i& m = marks_[(static_cast<size_t>(s.z) * Y + s.y) * X + s.x];
                int& owner = s.hori == 1 ? m.horizontal : s.hori == 0 ? m.vertical : m.via;
                if (owner == mark) continue;
                owner = mark;
                step(s.hori, s.x, s.y, s.z);
            }
        }
    }

private:
    const NetDB& db_;
    std::vector<Point_i> marks_;  // [layer][y][x]: position of the net that last wrote each step, -1 for none
};
