// 3D commit and rip-up: demand, pitch-weighted overflow, wire length and via
// counts follow the committed paths exactly, per-net sharing charges a step
// once, and ripping everything up restores the grid as it was.

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <random>
#include <set>
#include <tuple>
#include <vector>

#include "router/core/GlobalRouter.h"
#include "tests/common/RouterFixture.h"

namespace {

const int kX = 7, kY = 5, kL = 3;

// Layer 0 horizontal, 1 vertical, 2 both; pitches 1, 2, 3; 2 tracks a layer.
std::unique_ptr<GlobalRouter> makeRouter() { return make3DRouter(kX, kY, {2, 0, 2}, {0, 2, 2}, {1, 2, 3}); }

// A random walk of n steps over the layered grid, revisits allowed.
std::vector<RPoint> randomPath(std::mt19937& rng, int n) {
    std::vector<RPoint> p;
    int x = static_cast<int>(rng() % kX), y = static_cast<int>(rng() % kY), z = static_cast<int>(rng() % kL);
    while (static_cast<int>(p.size()) < n) {
        switch (rng() % 6) {
            case 0: if (x + 1 < kX) p.emplace_back(x++, y, z, 1); break;
            case 1: if (x > 0) p.emplace_back(--x, y, z, 1); break;
            case 2: if (y + 1 < kY) p.emplace_back(x, y++, z, 0); break;
            case 3: if (y > 0) p.emplace_back(x, --y, z, 0); break;
            case 4: if (z + 1 < kL) p.emplace_back(x, y, z++, 2); break;
            default: if (z > 0) p.emplace_back(x, y, --z, 2); break;
        }
    }
    return p;
}

using StepKey = std::tuple<int, int, int, int>;  // kind, x, y, z

}  // namespace

TEST(Commit3D, RandomPathsChargeExactlyTheirStepsAndRipUpRestoresEverything) {
    for (unsigned seed = 1; seed <= 20; ++seed) {
        SCOPED_TRACE(seed);
        std::mt19937 rng(seed);
        auto r = makeRouter();
        r->costMode3D = seed % 2 ? 3 : 2;
        r->history3DMode = static_cast<int>(seed % 2);
        // One net of four connections (some sharing steps) and three single ones.
        std::vector<Net> nets(4);
        nets[0].twopin.resize(4);
        for (size_t i = 1; i < nets.size(); ++i) nets[i].twopin.resize(1);
        for (Net& n : nets)
            for (TwoPin& tp : n.twopin) {
                tp.parNet = &n;
                tp.path = randomPath(rng, 3 + static_cast<int>(rng() % 12));
            }
        nets[0].twopin[1].path.insert(nets[0].twopin[1].path.end(), nets[0].twopin[0].path.begin(),
                                      nets[0].twopin[0].path.end());
        const std::vector<Point_i> demandBefore = r->graph.demand3D;

        int returned = 0;
        for (Net& n : nets)
            for (TwoPin& tp : n.twopin) returned += r->Route3DPath(tp.path, n);

        // Expected demand: distinct steps per shared net, every step otherwise.
        std::map<StepKey, int> demand;
        int planar = 0, vias = 0;
        for (Net& n : nets) {
            std::set<StepKey> seen;
            int length = 0;
            for (TwoPin& tp : n.twopin)
                for (const RPoint& s : tp.path) {
                    StepKey k{s.hori, s.x, s.y, s.z};
                    if (n.twopin.size() >= 2 && !seen.insert(k).second) continue;
                    ++demand[k];
                    ++length;
                    (s.hori == 2 ? vias : planar) += 1;
                }
            EXPECT_EQ(n.wirelength, length);
        }
        int overflow = 0;
        for (int z = 0; z < kL; ++z)
            for (int y = 0; y < kY; ++y)
                for (int x = 0; x < kX; ++x) {
                    const Point_i& d = r->graph.dem3D(x, y, z);
                    const Point_i& c = r->graph.cap3D(x, y, z);
                    EXPECT_EQ(d.horizontal, (demand[StepKey{1, x, y, z}]));
                    EXPECT_EQ(d.vertical, (demand[StepKey{0, x, y, z}]));
                    EXPECT_EQ(d.via, (demand[StepKey{2, x, y, z}]));
                    overflow += (std::max(d.horizontal - c.horizontal, 0) + std::max(d.vertical - c.vertical, 0)) *
                                r->pitchPerLayer[z];
                    if (r->costMode3D == 3) {
                        EXPECT_EQ(r->graph.func(x, y, z).horizontal, r->cost3D(x, y, z, 1));
                    }
                }
        EXPECT_EQ(r->totalOF, overflow);
        EXPECT_EQ(returned, overflow);
        EXPECT_EQ(r->Wlen2D, planar);
        EXPECT_EQ(r->viaCount, vias);

        // Rip up in another order than the commit.
        for (size_t i = nets.size(); i-- > 0;)
            for (size_t j = nets[i].twopin.size(); j-- > 0;) r->RipUp3D(nets[i].twopin[j].path, nets[i]);
        EXPECT_EQ(r->totalOF, 0);
        EXPECT_EQ(r->Wlen2D, 0);
        EXPECT_EQ(r->viaCount, 0);
        for (const Net& n : nets) {
            EXPECT_EQ(n.wirelength, 0);
            for (const auto& use : n.edgeUse) EXPECT_TRUE(use.empty());
        }
        for (size_t i = 0; i < demandBefore.size(); ++i) {
            EXPECT_EQ(r->graph.demand3D[i].horizontal, demandBefore[i].horizontal);
            EXPECT_EQ(r->graph.demand3D[i].vertical, demandBefore[i].vertical);
            EXPECT_EQ(r->graph.demand3D[i].via, demandBefore[i].via);
        }
    }
}

TEST(Commit3D, OverflowIsWeightedByPitchAndHistoryNeverDrops) {
    auto r = makeRouter();
    r->history3DMode = 1;
    // Layer 2 (pitch 3) holds 2 tracks: the third single-net commit overflows.
    Net single;
    single.twopin.resize(1);
    single.twopin[0].parNet = &single;
    std::vector<RPoint> step{RPoint(1, 1, 2, 1)};
    EXPECT_EQ(r->Route3DPath(step, single), 0);
    EXPECT_EQ(r->Route3DPath(step, single), 0);
    EXPECT_EQ(r->Route3DPath(step, single), 3);
    EXPECT_EQ(r->totalOF, 3);
    EXPECT_EQ(r->graph.hist3D(1, 1, 2).horizontal, 1);
    r->RipUp3D(step, single);
    EXPECT_EQ(r->totalOF, 0);
    EXPECT_EQ(r->graph.hist3D(1, 1, 2).horizontal, 1);
}
