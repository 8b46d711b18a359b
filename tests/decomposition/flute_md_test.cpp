// Trees of more than 9 pins: corner splits, scored cuts and the three merges.
#include <gtest/gtest.h>

#include <vector>

#include "decomposition/flute.h"
#include "tools/flute_gen/flute_check.h"

namespace {

class FluteHighDegree : public testing::Test {
protected:
    static void SetUpTestSuite() { readLUT(); }
};

// Pin coordinates of a net in rank form.
void pinsOf(int d, const int* xs, const int* ys, const int* s, std::vector<int>& x, std::vector<int>& y) {
    x.assign(d, 0);
    y.assign(d, 0);
    for (int i = 0; i < d; ++i) x[i] = xs[s[i]], y[i] = ys[i];
}

}  // namespace

TEST_F(FluteHighDegree, LowestPinsThatAreAlsoLeftmostSplitAtTheirCorner) {
    int xs[10], ys[10];
    for (int i = 0; i < 10; ++i) xs[i] = 3 * i, ys[i] = 5 * i;
    for (auto order : {std::vector<int>{4, 3, 2, 1, 0, 5, 6, 7, 8, 9}, std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9},
                       std::vector<int>{9, 8, 7, 6, 5, 4, 3, 2, 1, 0}, std::vector<int>{5, 6, 7, 8, 9, 0, 1, 2, 3, 4}}) {
        Tree t = flutes_MD(10, xs, ys, order.data(), 3);
        std::vector<int> x, y;
        pinsOf(10, xs, ys, order.data(), x, y);
        EXPECT_EQ(t.degree, 10);
        EXPECT_EQ(flutecheck::validateTree(t, 10, x.data(), y.data()), "");
        hanan::SteinerSolver solver;
        EXPECT_GE(t.length, solver.rsmt(10, x.data(), y.data()));
        delete[] t.nodes;
    }
}

TEST_F(FluteHighDegree, MergesOfTwoPiecesShareTheRunOnTheCutLine) {
    // Cut at an x rank: left piece (0,0), (2,4) and the shared pin (5,10); right
    // piece the shared pin, (8,2), (10,6). Both sides leave the shared pin
    // downwards, to y 4 and 6.
    int xs1[] = {0, 2, 5}, ys1[] = {0, 4, 10}, s1[] = {0, 1, 2};
    int xs2[] = {5, 8, 10}, ys2[] = {2, 6, 10}, s2[] = {1, 2, 0};
    int s[] = {0, 3, 1, 4, 2};  // whole net: x ranks of the pins in y order
    // Cut at a y rank, the same net transposed: lower piece (0,0), (4,2), shared
    // (10,5); upper piece shared, (2,8), (6,10). Joins on the cut row.
    int vxs1[] = {0, 4, 10}, vys1[] = {0, 2, 5}, vs1[] = {0, 1, 2};
    int vxs2[] = {2, 6, 10}, vys2[] = {5, 8, 10}, vs2[] = {2, 0, 1};
    for (bool vertical : {false, true}) {
        Tree t1 = vertical ? flutes_LD(3, vxs1, vys1, vs1) : flutes_LD(3, xs1, ys1, s1);
        Tree t2 = vertical ? flutes_LD(3, vxs2, vys2, vs2) : flutes_LD(3, xs2, ys2, s2);
        Tree t = vertical ? vmergetree(t1, t2) : hmergetree(t1, t2, s);
        EXPECT_EQ(t.degree, 5);
        EXPECT_EQ(t.length, 15 + 13 - 4);
        EXPECT_EQ(t.nodes[7].x, vertical ? 6 : 5);
        EXPECT_EQ(t.nodes[7].y, vertical ? 5 : 6);
        std::vector<int> x = {0, 8, 2, 10, 5}, y = {0, 2, 4, 6, 10};
        if (vertical) x = {0, 4, 10, 2, 6}, y = {0, 2, 5, 8, 10};
        EXPECT_EQ(flutecheck::validateTree(t, 5, x.data(), y.data()), "") << vertical;
        delete[] t.nodes;
        delete[] t1.nodes;
        delete[] t2.nodes;
    }
}

TEST_F(FluteHighDegree, RandomNetsGiveValidTreesNoShorterThanTheMinimum) {
    hanan::SteinerSolver solver;
    flutecheck::Rng rng(11);
    for (int d = 10; d <= 12; ++d) {
        for (int i = 0; i < 30; ++i) {
            std::vector<int> x(d), y(d);
            const int range = i % 3 == 0 ? 10 : 100000;
            for (int j = 0; j < d; ++j) x[j] = rng.below(range), y[j] = rng.below(range);
            flutecheck::NetResult r = flutecheck::checkNet(solver, d, x, y);
            EXPECT_EQ(r.error, "") << d;
            EXPECT_GE(r.length, r.exact) << d;
            EXPECT_LE(r.length, r.exact * 1.15) << d;
        }
    }
}

TEST_F(FluteHighDegree, LargeNetsGiveValidTrees) {
    hanan::SteinerSolver unused;
    flutecheck::Rng rng(12);
    for (int d : {13, 40, 150, 1000}) {
        for (int range : {30, 100000}) {
            std::vector<int> x(d), y(d);
            for (int j = 0; j < d; ++j) x[j] = rng.below(range), y[j] = rng.below(range);
            flutecheck::NetResult r = flutecheck::checkNet(unused, d, x, y, false);
            EXPECT_EQ(r.error, "") << d;
        }
        // Pins on a diagonal: corner splits all the way down.
        std::vector<int> x(d), y(d);
        for (int j = 0; j < d; ++j) x[j] = j, y[j] = 2 * j;
        flutecheck::NetResult r = flutecheck::checkNet(unused, d, x, y, false);
        EXPECT_EQ(r.error, "") << d;
        EXPECT_EQ(r.length, 3 * (d - 1)) << d;
    }
}
