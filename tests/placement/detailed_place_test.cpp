// Local detailed placement on small hand-made rows whose best arrangement is
// known: swaps, window reordering, moves into gaps and the local rows.

#include <algorithm>
#include <vector>

#include <gtest/gtest.h>

#include "placement/Placement.h"
#include "tests/common/HandDesign.h"
#include "tests/common/TwoPinNets.h"

namespace {

// One row of X bins, each 100 wide and 10 high, origin 0. Movable cells are 10
// high; "far" anchors are NI terminals (they cut no row). After seat() the
// sub-row holds the movable cells left to right with their legal spots and
// right limits as legalization leaves them, and the local rows are built.
struct HandRow {
    Placement p;
    std::vector<placeCell> cells;
    std::vector<Net> nets;

    explicit HandRow(int X) : X(X) { nets.reserve(64); }

    int addCell(int x, int width, int type = 0) { return addObject(cells, handCell(x, 0, width, 10, type)); }
    int addAnchor(int x) { return addCell(x, 1, 2); }

    void build() {
        std::vector<Row> rows = stackedRows(1, 10, X * 100, 0);
        std::vector<int> layerCap{10};
        p.initial(cells, rows, layerCap, X, 1, 1, 0, 0, 100, 10, 0.0, 0);
    }

    // A two-pin net between pin offsets (0, 0) of cells a and b.
    void connect(int a, int b) { addTwoPinNet(nets, p.cellTwoPins, a, b); }

    void seat() {
        SubRow* sr = p.rows[0].subRows.front();
        std::vector<int> order;
        for (const placeCell& c : p.cells)
            if (c.type == 0) order.push_back(c.index);
        std::sort(order.begin(), order.end(), [&](int a, int b) { return p.cells[a].xlow < p.cells[b].xlow; });
        sr->cells = order;
        for (size_t k = 0; k < order.size(); ++k) {
            placeCell& c = p.cells[order[k]];
            c.legX = c.xlow;
            c.legY = c.ylow;
            c.rightLimit = k + 1 < order.size() ? p.cells[order[k + 1]].xlow : sr->xhigh;
        }
        p.buildLocalRow();
    }

    placeCell& cell(int i) { return p.cells[i]; }
    int X;
};

TEST(LocalRows, CellAcrossAColumnBoundaryBelongsToNoRowAndShortensBoth) {
    HandRow h(3);
    const int a = h.addCell(10, 10);
    h.addCell(90, 20);  // straddles x = 100
    const int b = h.addCell(150, 10);
    h.build();
    h.seat();
    const LocalRow& r0 = h.p.bin(0, 0).localRows.at(0);
    const LocalRow& r1 = h.p.bin(1, 0).localRows.at(0);
    EXPECT_EQ(r0.xhigh, 90);
    EXPECT_EQ(r0.cells, std::vector<int>{a});
    EXPECT_EQ(r1.xlow, 110);
    EXPECT_EQ(r1.cells, std::vector<int>{b});
    EXPECT_EQ(h.cell(b).rightLimit, 200);  // last cell: the end of its local row
}

TEST(LocalPlacement, SwapsTowardsTheAnchorsAlsoAtZeroGainAndOnlyWithRoom) {
    HandRow h(3);
    const int a = h.addCell(0, 10);
    const int b = h.addCell(50, 10);
    const int right = h.addAnchor(250);  // outside bin 0: pulled to its right end, x = 100
    const int left = h.addAnchor(0);
    h.build();
    h.connect(a, right);
    h.connect(b, left);
    h.seat();
    // Before: a 100 from x = 100, b 50 from x = 0; after the swap 50 and 0.
    float t = 0;
    EXPECT_EQ(h.p.insideBinChange(t), 100);
    EXPECT_EQ(h.cell(a).xlow, 50);
    EXPECT_EQ(h.cell(a).legX, 50);
    EXPECT_EQ(h.cell(b).xlow, 0);
    EXPECT_EQ(h.cell(a).rightLimit, 100);
    EXPECT_EQ(h.cell(b).rightLimit, 50);
    EXPECT_EQ(h.p.bin(0, 0).localRows[0].cells, (std::vector<int>{b, a}));

    HandRow z(1);  // unconnected: a swap of gain 0 is made
    const int c = z.addCell(0, 10);
    const int wide = z.addCell(10, 30);  // c's 10-wide slot cannot take it
    const int d = z.addCell(50, 10);
    z.build();
    z.seat();
    // c swaps with d (the wide cell, first among equals, does not fit), then the
    // wide cell with c in its new place.
    EXPECT_EQ(z.p.insideBinChange(t), 0);
    EXPECT_EQ(z.cell(d).xlow, 0);
    EXPECT_EQ(z.cell(c).xlow, 10);
    EXPECT_EQ(z.cell(wide).xlow, 50);
    z.cell(d).legX = 7;  // first in the walk, out of step with its position: fatal
    EXPECT_EXIT(z.p.insideBinChange(t), ::testing::ExitedWithCode(1), "");
}

TEST(LocalPlacement, WindowTakesTheEarliestBestOrderPackedFromItsFirstCell) {
    HandRow h(1);
    const int a = h.addCell(10, 10);
    const int b = h.addCell(30, 10);
    const int c = h.addCell(60, 10);
    const int right = h.addAnchor(100);
    const int left = h.addAnchor(0);
    h.build();
    h.connect(a, right);
    h.connect(b, left);
    h.connect(c, left);
    h.seat();
    // Now 90 + 30 + 60 = 180; packed from x = 10 the best is 10 + 20 + 70 = 100,
    // reached first by the order b, c, a.
    float t = 0;
    EXPECT_EQ(h.p.slidingWindow(t), 80);
    EXPECT_EQ(h.cell(b).xlow, 10);
    EXPECT_EQ(h.cell(c).xlow, 20);
    EXPECT_EQ(h.cell(a).legX, 30);
    EXPECT_EQ(h.cell(c).rightLimit, 30);
    EXPECT_EQ(h.cell(a).rightLimit, 100);  // the window ends the row
    EXPECT_EQ(h.p.bin(0, 0).localRows[0].cells, (std::vector<int>{b, c, a}));
}

TEST(LocalPlacement, LongRowIsSearchedInWindowsOfFive) {
    // Seven cells, all pulled left but the first: each window of five moves it
    // to the window's end, so after the three windows it ends the row.
    HandRow h(1);
    std::vector<int> ids;
    for (int i = 0; i < 7; ++i) ids.push_back(h.addCell(i * 10, 10));
    const int right = h.addAnchor(100);
    const int left = h.addAnchor(0);
    h.build();
    h.connect(ids[0], right);
    for (int i = 1; i < 7; ++i) h.connect(ids[i], left);
    h.seat();
    float t = 0;
    EXPECT_GT(h.p.slidingWindow(t), 0);
    for (int i = 1; i < 7; ++i) EXPECT_EQ(h.cell(ids[i]).xlow, (i - 1) * 10);
    EXPECT_EQ(h.cell(ids[0]).xlow, 60);
}

TEST(LocalPlacement, MoveIntoGapGoesToTheLaterOfTwoEqualGaps) {
    HandRow h(1);
    const int a = h.addCell(0, 10);
    const int m = h.addCell(40, 20);  // unconnected: never moved into a gap
    const int far = h.addAnchor(45);
    h.build();
    h.connect(a, far);
    h.seat();
    // Gap [0, 40) offers x = 30 and gap [60, 100) x = 60: both 15 from x = 45.
    float t = 0;
    EXPECT_EQ(h.p.replace2WhitePlace(t), 45 - 15);
    EXPECT_EQ(h.cell(a).xlow, 60);
    EXPECT_EQ(h.cell(a).legX, 60);
    EXPECT_EQ(h.cell(m).xlow, 40);
    EXPECT_EQ(h.cell(m).rightLimit, 60);
    EXPECT_EQ(h.cell(a).rightLimit, 100);
    EXPECT_EQ(h.p.bin(0, 0).localRows[0].cells, (std::vector<int>{m, a}));

    // The median of two far points is their integer mean.
    int x = 0, y = 0;
    std::vector<int> xs, ys;
    HandRow two(1);
    const int c = two.addCell(0, 10);
    const int p1 = two.addAnchor(20);
    const int p2 = two.addAnchor(51);
    two.build();
    two.connect(c, p1);
    two.connect(c, p2);
    two.p.getBestPoint(two.cell(c), x, y, xs, ys);
    EXPECT_EQ(x, 35);
}

}  // namespace
