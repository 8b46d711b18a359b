#pragma once
// Hand-made placement databases for the placement tests: a grid of bins over
// rows of unit sites, and an independent check of a legal result.

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "placement/Placement.h"
#include "tests/common/HandDesign.h"

namespace placetest {

inline placeCell makeCell(int w, int h, int x, int y, int type = 0) { return handCell(x, y, w, h, type); }

// X by Y bins of size bw by bh from the origin, one full-width row per bin row
// (height bh), two routing layers of 10 tracks each.
struct Design {
    std::vector<placeCell> cells;
    std::vector<Row> rows;
    std::vector<int> layerCap{10, 10};
    int X = 4, Y = 4, bw = 10, bh = 10;
    explicit Design(int x = 4, int y = 4) : X(x), Y(y) { fullRows(); }
    void fullRows() { rows = stackedRows(Y, bh, X * bw); }
    int add(placeCell c) { return addObject(cells, c); }
    void build(Placement& p, int margin = 0) {
        for (size_t i = 0; i < cells.size(); ++i) cells[i].index = cells[i].id = static_cast<int>(i);
        p.initial(cells, rows, layerCap, X, Y, 2, 0, 0, bw, bh, 1.0, margin);
    }
};

// The x spans of a row's sub-rows, left to right.
inline std::vector<std::pair<int, int>> spans(const Row& r) {
    std::vector<std::pair<int, int>> out;
    for (const SubRow* s : r.subRows) out.emplace_back(s->xlow, s->xhigh);
    return out;
}

// Every movable cell inside one sub-row at its legal spot, no two overlapping,
// and every bin's placed area equal to the clipped areas of the cells' current
// rectangles.
inline void expectLegal(Placement& p) {
    for (const placeCell& c : p.cells) {
        if (c.type != 0) continue;
        bool inside = false;
        for (const Row& r : p.rows)
            for (const SubRow* s : r.subRows)
                if (c.legY == s->ylow && c.legX >= s->xlow && c.legX + c.width <= s->xhigh) inside = true;
        EXPECT_TRUE(inside) << "cell " << c.index << " at " << c.legX << "," << c.legY;
    }
    for (size_t i = 0; i < p.cells.size(); ++i)
        for (size_t j = i + 1; j < p.cells.size(); ++j) {
            const placeCell& a = p.cells[i];
            const placeCell& b = p.cells[j];
            if (a.type != 0 || b.type != 0 || a.legY != b.legY) continue;
            EXPECT_TRUE(a.legX + a.width <= b.legX || b.legX + b.width <= a.legX)
                << "cells " << i << " and " << j << " overlap";
        }
    for (int x = 0; x < p.binX; ++x)
        for (int y = 0; y < p.binY; ++y) {
            long long area = 0;
            for (const placeCell& c : p.cells)
                if (c.type == 0) area += p.binOverlap(x, y, c.xlow, c.ylow, c.xlow + c.width, c.ylow + c.height);
            EXPECT_EQ(p.bin(x, y).placedArea, area) << "bin " << x << "," << y;
        }
}

}  // namespace placetest
