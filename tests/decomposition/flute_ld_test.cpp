// Trees of up to 9 pins from the delivered tables: the small degrees, pins at
// equal places, the group folding, and the guards of flute's contract.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "decomposition/flute.h"
#include "tools/flute_gen/flute_check.h"

namespace {

class FluteLowDegree : public testing::Test {
protected:
    static void SetUpTestSuite() { readLUT(); }
};

}  // namespace

TEST_F(FluteLowDegree, TwoPinsJoinAtTheSecondPinThreeAtTheMedianPoint) {
    int x2[] = {7, 2}, y2[] = {1, 5};
    Tree t = flute(2, x2, y2, 3);
    EXPECT_EQ(t.degree, 2);
    EXPECT_EQ(t.length, 9);
    EXPECT_EQ(t.nodes[0].x, 7);
    EXPECT_EQ(t.nodes[1].y, 5);
    EXPECT_EQ(t.nodes[0].neighbour, 1);
    EXPECT_EQ(t.nodes[1].neighbour, 1);
    delete[] t.nodes;
    int x[] = {10, 0, 4}, y[] = {3, 8, 0};
    t = flute(3, x, y, 3);
    EXPECT_EQ(t.length, 10 + 8);
    EXPECT_EQ(t.nodes[3].x, 4);
    EXPECT_EQ(t.nodes[3].y, 3);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(t.nodes[i].neighbour, 3);
    EXPECT_EQ(flutecheck::validateTree(t, 3, x, y), "");
    delete[] t.nodes;
}

TEST_F(FluteLowDegree, PinsAtOnePlaceStaySeparateNodes) {
    for (int d = 2; d <= 9; ++d) {
        std::vector<int> x(d, 42), y(d, 17);
        std::vector<int> xin = x, yin = y;
        Tree t = flute(d, x.data(), y.data(), 3);
        EXPECT_EQ(t.length, 0) << d;
        EXPECT_EQ(flutecheck::validateTree(t, d, xin.data(), yin.data()), "") << d;
        delete[] t.nodes;
    }
    // Two clusters of coincident pins.
    int x[] = {0, 0, 0, 5, 5, 5, 0, 5}, y[] = {0, 0, 0, 3, 3, 3, 0, 3};
    int xin[8], yin[8];
    memcpy(xin, x, sizeof x);
    memcpy(yin, y, sizeof y);
    Tree t = flute(8, x, y, 3);
    EXPECT_EQ(t.length, 8);
    EXPECT_EQ(flutecheck::validateTree(t, 8, xin, yin), "");
    delete[] t.nodes;
}

TEST_F(FluteLowDegree, OfTwoSolutionsOfEqualLengthTheFirstIsTaken) {
    // Pins in x rank order 2, 3, 1, 0 from the lowest up fall in group 0 of
    // degree 4, unflipped. Two stored solutions, both of the half-perimeter
    // length, differ only in where their Steiner points sit.
    FluteSolution sols[2] = {};
    sols[0].steiner[0] = 0x11, sols[0].steiner[1] = 0x22;
    sols[1].steiner[0] = 0x12, sols[1].steiner[1] = 0x21;
    for (FluteSolution& sol : sols)
        for (int i = 0; i < 6; ++i) sol.neighbour[i] = 4;
    FluteSolution* const saved = LUT[4][0];
    const int savedCount = numsoln[4][0];
    LUT[4][0] = sols;
    numsoln[4][0] = 2;
    int xs[] = {0, 10, 20, 30}, ys[] = {0, 5, 15, 25}, s[] = {2, 3, 1, 0};
    Tree t = flutes_LD(4, xs, ys, s);
    LUT[4][0] = saved;
    numsoln[4][0] = savedCount;
    EXPECT_EQ(t.length, 30 + 25);
    EXPECT_EQ(t.nodes[4].x, 10);
    EXPECT_EQ(t.nodes[4].y, 5);
    EXPECT_EQ(t.nodes[5].x, 20);
    EXPECT_EQ(t.nodes[5].y, 15);
    delete[] t.nodes;
}

TEST_F(FluteLowDegree, NetTooLargeIsRefused) {
    std::vector<int> x(1001, 1), y(1001, 2);
    EXPECT_EXIT(flute(1001, x.data(), y.data(), 3), testing::ExitedWithCode(1), "outside the supported range 2..1000");
}

TEST_F(FluteLowDegree, MissingTablesAreReportedNotDereferenced) {
    int x[] = {0, 1, 2, 3}, y[] = {3, 1, 2, 0};
    EXPECT_EXIT(
        {
            memset(LUT, 0, sizeof LUT);
            memset(numsoln, 0, sizeof numsoln);
            flute(4, x, y, 3);
        },
        testing::ExitedWithCode(1), "lookup tables for 4 pins are not loaded");
}
