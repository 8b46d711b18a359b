// Short version of the table quality check (bench/flute_quality.sh runs the
// long one): trees of 4 to 9 pins through readLUT and flute are valid and as
// short as the exact Hanan-grid minimum.
#include <gtest/gtest.h>

#include <vector>

#include "decomposition/flute.h"
#include "tools/flute_gen/flute_check.h"

namespace {

class FluteQuality : public testing::Test {
protected:
    static void SetUpTestSuite() { readLUT(); }

    // Checks nets random in [0, range) and returns how many are not optimal.
    static int nonOptimal(int d, int range, int nets, uint64_t seed) {
        hanan::SteinerSolver solver;
        flutecheck::Rng rng(seed);
        int worse = 0;
        for (int i = 0; i < nets; ++i) {
            std::vector<int> x(d), y(d);
            for (int j = 0; j < d; ++j) x[j] = rng.below(range), y[j] = rng.below(range);
            flutecheck::NetResult r = flutecheck::checkNet(solver, d, x, y);
            EXPECT_EQ(r.error, "") << "d=" << d << " net " << i;
            EXPECT_GE(r.length, r.exact) << "d=" << d << " net " << i;
            if (r.length != r.exact) ++worse;
        }
        return worse;
    }
};

}  // namespace

TEST_F(FluteQuality, RandomNetsUpToNinePinsAreOptimal) {
    // At most one miss in 10000 is allowed at 9 pins; in 1000 nets, none expected.
    for (int d = 4; d <= 9; ++d) {
        const int nets = d == 9 ? 500 : 400;
        EXPECT_EQ(nonOptimal(d, 100000, nets, (d == 9 ? 300 : 100) + d), 0) << d;
        EXPECT_EQ(nonOptimal(d, 10, nets, (d == 9 ? 400 : 200) + d), 0) << d;
    }
}

TEST_F(FluteQuality, EveryGroupUpToSevenPinsOnBothSidesOfTheFlip) {
    hanan::SteinerSolver solver;
    flutecheck::Rng rng(5);
    for (int d = 4; d <= 7; ++d) {
        for (int k = 0; k < 2 * numgrp[d]; ++k) {
            std::vector<int> s = flutecheck::permForGroup(d, k, rng.below(2) == 0);
            ASSERT_EQ(flutecheck::groupIndexOf(d, s.data()), k);
            std::vector<int> x, y;
            flutecheck::netForPerm(s, rng, 1000, x, y);
            flutecheck::NetResult r = flutecheck::checkNet(solver, d, x, y);
            EXPECT_EQ(r.error, "") << "d=" << d << " group " << k;
            EXPECT_EQ(r.length, r.exact) << "d=" << d << " group " << k;
        }
    }
}
