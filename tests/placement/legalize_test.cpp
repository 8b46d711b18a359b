// Row legalization on small hand-made rows.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

#include "tests/placement/placement_test_util.h"

namespace {

using namespace placetest;

// Legalizes, then moves every movable cell in the bins to its legal spot.
void legalizeAndMove(Placement& p) {
    testing::internal::CaptureStdout();
    p.legalizeAllCell();
    testing::internal::GetCapturedStdout();
    for (size_t i = 0; i < p.cells.size(); ++i) {
        if (p.cells[i].type != 0) continue;
        p.ripupBin(static_cast<int>(i));
        p.insertBin(static_cast<int>(i), p.cells[i].legX, p.cells[i].legY);
    }
}

// Builds the placement of `d`, legalizes it and checks the result is legal.
void legalizeChecked(Design& d, Placement& p) {
    d.build(p);
    legalizeAndMove(p);
    expectLegal(p);
}

TEST(Legalize, CellsSnapToRowsWithoutOverlapAndClustersShiftLeftFromTheRowEnd) {
    Design d;
    d.add(makeCell(4, 10, 3, 2));
    d.add(makeCell(4, 10, 5, 4));   // overlaps the first: goes right of it
    d.add(makeCell(6, 10, 21, 27));
    Placement p;
    legalizeChecked(d, p);
    EXPECT_EQ(p.cells[0].legX, 3);
    EXPECT_EQ(p.cells[0].legY, 0);
    EXPECT_EQ(p.cells[1].legX, 7);
    EXPECT_EQ(p.cells[2].legX, 21);
    EXPECT_EQ(p.cells[2].legY, 20);
    EXPECT_EQ(p.cells[2].xlow, 21);  // moved in the bins too
    EXPECT_EQ(p.cells[1].rightLimit, 40);
    EXPECT_EQ(p.cells[0].rightLimit, 7);

    Design e(2, 1);  // one row [0, 20)
    for (int i = 0; i < 4; ++i) e.add(makeCell(4, 10, 18, 0));
    Placement q;
    legalizeChecked(e, q);
    std::vector<int> xs;
    for (const placeCell& c : q.cells) xs.push_back(c.legX);
    std::sort(xs.begin(), xs.end());
    EXPECT_EQ(xs, (std::vector<int>{4, 8, 12, 16}));
}

TEST(Legalize, FullRowSendsTheRestFarAway) {
    // Row 0 of the left bin column is exactly filled by the first five cells; the
    // sixth fits only in the far corner (all other rows are blocked).
    Design d(4, 4);
    d.add(makeCell(30, 10, 10, 10, 1));  // block row 1 from x 10
    d.add(makeCell(30, 10, 0, 20, 1));   // block row 2 up to x 30
    d.add(makeCell(40, 10, 0, 30, 1));   // block row 3
    d.add(makeCell(10, 10, 30, 0, 1));   // row 0 ends at 30
    for (int i = 0; i < 5; ++i) d.add(makeCell(6, 10, 0, 0));
    d.add(makeCell(6, 10, 0, 0));
    d.add(makeCell(5, 10, 0, 0));
    Placement p;
    legalizeChecked(d, p);
    int inRow0 = 0, inRow1 = 0, inRow2 = 0;
    for (const placeCell& c : p.cells) {
        if (c.type != 0) continue;
        inRow0 += c.legY == 0;
        inRow1 += c.legY == 10;
        inRow2 += c.legY == 20;
    }
    EXPECT_EQ(inRow0 + inRow1 + inRow2, 7);
    EXPECT_LE(inRow0, 5);
    // The free space: row 0 [0,30), row 1 [0,10), row 2 [30,40): 50 sites for 41 units.
    for (const placeCell& c : p.cells) {
        if (c.type == 0 && c.legY == 20) {
            EXPECT_GE(c.legX, 30);
        }
    }
}

// A free stretch exactly as long as the cell takes it; one unit longer, or a cell
// longer than every row, and no sub-row can take it: the run ends with status 1.
TEST(Legalize, SubRowExactlyAsLongAsTheCellIsTheLastCandidate) {
    Design d(2, 1);
    d.add(makeCell(7, 10, 0, 0, 1));
    d.add(makeCell(7, 10, 13, 0, 1));  // free stretch [7, 13): 6 sites
    d.add(makeCell(6, 10, 2, 0));
    Placement p;
    legalizeChecked(d, p);
    EXPECT_EQ(p.cells[2].legX, 7);

    Design wider = d;
    wider.cells[2].width = 7;
    wider.cells[2].line = 9;
    Design longest(3, 3);
    longest.add(makeCell(31, 10, 0, 0));
    // Standard error names the cell, with its .nodes line when it is known.
    const std::pair<Design*, const char*> failing[] = {
        {&wider, "o2 \\(line 9 of the .nodes file\\): no row has room left"}, {&longest, "o0: no row has room left"}};
    for (const auto& [e, named] : failing) {
        Placement q;
        e->build(q);
        EXPECT_EXIT(q.legalizeAllCell(), testing::ExitedWithCode(1), named);
    }
}

TEST(Legalize, LongClustersStayFinite) {
    // 600 cells all wishing the same spot: one cluster grows by 600 joins, its
    // weights by 5^600, far beyond double range without renormalisation.
    Design d(200, 1);  // one row [0, 2000)
    for (int i = 0; i < 600; ++i) d.add(makeCell(2, 10, 1000, 0));
    Placement p;
    legalizeChecked(d, p);
    const SubRow& s = *p.rows[0].subRows[0];
    ASSERT_EQ(s.clusters.size(), 1u);
    EXPECT_TRUE(std::isfinite(s.clusters[0].e));
    EXPECT_TRUE(std::isfinite(s.clusters[0].q));
    // Earlier cells weigh more: the block stays near the first cell's wish, starting
    // well left of 1000 only by a bounded amount.
    EXPECT_EQ(s.clusters[0].end - s.clusters[0].x, 1200);
    EXPECT_GE(s.clusters[0].x, 0);
    EXPECT_LE(s.clusters[0].x + 1200, 2000);
}

TEST(Legalize, EqualXOrderedByKeyAndTouchingClustersMerge) {
    placeCell a = makeCell(4, 10, 5, 0), b = makeCell(4, 10, 5, 0);
    a.legalKey = 1.0f;
    b.legalKey = 2.0f;
    EXPECT_TRUE(cellCompare(&b, &a));
    EXPECT_FALSE(cellCompare(&a, &b));
    a.xlow = 4;
    EXPECT_TRUE(cellCompare(&a, &b));

    // A cell at x equal to the cluster end joins it; one unit right starts a new one.
    Design d(4, 1);
    d.add(makeCell(4, 10, 0, 0));
    d.add(makeCell(4, 10, 4, 0));
    d.add(makeCell(4, 10, 9, 0));
    Placement p;
    d.build(p);
    legalizeAndMove(p);
    const SubRow& s = *p.rows[0].subRows[0];
    ASSERT_EQ(s.clusters.size(), 2u);
    EXPECT_EQ(s.clusters[0].x, 0);
    EXPECT_EQ(s.clusters[0].end, 8);
    EXPECT_EQ(s.clusters[1].x, 9);
}

TEST(Legalize, RingSearchOffersEachSubRowOnce) {
    Design d(3, 3);
    Placement p;
    d.build(p);
    for (SubRow& s : p.subRowPool) s.stamp = -1;
    std::vector<SubRow*> out;
    for (int r = 0; r < 5; ++r) p.getSubRowSet(1, 1, out, r, 7);
    EXPECT_EQ(out.size(), 3u);  // three rows, each spanning three bins
    out.clear();
    p.getSubRowSet(1, 1, out, 1, 7);
    EXPECT_TRUE(out.empty());
}

TEST(Legalize, AveragesOverNoMovableCellPrintZero) {
    Design d;
    d.add(makeCell(4, 10, 0, 0, 1));
    Placement p;
    d.build(p);
    testing::internal::CaptureStdout();
    p.legalizeAllCell();
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_NE(out.find("moveCellNum=0  unPlaceNum=0  maxMove=0  avgMove=0.0000  maxBinMove=0  avgBinMove=0.0000"),
              std::string::npos)
        << out;
}

}  // namespace
