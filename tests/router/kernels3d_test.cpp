// The 3D routing kernels on small layered grids: their paths cost what a
// shortest-path search over the same moves finds, they respect via costs and
// layer directions, they run from `from` to `to` in one walk, and the
// degenerate cases (ends on one column or row, no meeting point) route soundly.

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <queue>
#include <random>
#include <tuple>
#include <vector>

#include "router/core/GlobalRouter.h"
#include "tests/common/PathCheck.h"
#include "tests/common/RouterFixture.h"

namespace {

// Whole-number planar costs, so that no 0.01 margin decides anything, and one
// via cost for the whole grid, so that no route gains by doubling back in a
// column to change layers at a cheaper via (the snaking sweeps do not).
void randomCosts(GlobalRouter& r, unsigned seed) {
    std::mt19937 rng(seed);
    const float via = static_cast<float>(1 + rng() % 8);
    for (FuncCost& f : r.graph.func_map) {
        f.horizontal = static_cast<float>(1 + rng() % 20);
        f.vertical = static_cast<float>(1 + rng() % 20);
        f.via = via;
    }
}

float pathCost(GlobalRouter& r, const std::vector<RPoint>& path) {
    float c = 0.0f;
    for (const RPoint& s : path) {
        const FuncCost& f = r.graph.func(s.x, s.y, s.z);
        c += s.hori == 1 ? f.horizontal : s.hori == 0 ? f.vertical : f.via;
    }
    return c;
}

// Cheapest cost from a to b over the moves that `allowed` accepts
// (dx, dy, dz of one unit move from (x, y, z)).
float dijkstra(GlobalRouter& r, const Point& a, const Point& b,
               const std::function<bool(int, int, int, int, int, int)>& allowed) {
    const int X = r.X, Y = r.Y, L = r.L;
    std::vector<float> dist(static_cast<size_t>(X) * Y * L, 1e30f);
    auto id = [&](int x, int y, int z) { return (static_cast<size_t>(z) * Y + y) * X + x; };
    using Item = std::tuple<float, int, int, int>;
    std::priority_queue<Item, std::vector<Item>, std::greater<Item>> open;
    dist[id(a.x, a.y, a.z)] = 0.0f;
    open.emplace(0.0f, a.x, a.y, a.z);
    const int moves[6][3] = {{1, 0, 0}, {-1, 0, 0}, {0, 1, 0}, {0, -1, 0}, {0, 0, 1}, {0, 0, -1}};
    while (!open.empty()) {
        auto [d, x, y, z] = open.top();
        open.pop();
        if (d > dist[id(x, y, z)]) continue;
        for (const auto& m : moves) {
            const int nx = x + m[0], ny = y + m[1], nz = z + m[2];
            if (nx < 0 || ny < 0 || nz < 0 || nx >= X || ny >= Y || nz >= L) continue;
            if (!allowed(x, y, z, m[0], m[1], m[2])) continue;
            const FuncCost& f = r.graph.func(std::min(x, nx), std::min(y, ny), std::min(z, nz));
            const float nd = d + (m[0] ? f.horizontal : m[1] ? f.vertical : f.via);
            if (nd < dist[id(nx, ny, nz)]) {
                dist[id(nx, ny, nz)] = nd;
                open.emplace(nd, nx, ny, nz);
            }
        }
    }
    return dist[id(b.x, b.y, b.z)];
}

bool towards(int from, int to, int step) { return step == 0 || (to - from) * step > 0; }

TwoPin connection(Net& net, Point from, Point to) {
    TwoPin tp;
    tp.from = from;
    tp.to = to;
    tp.parNet = &net;
    tp.box.lower = Point(std::min(from.x, to.x), std::min(from.y, to.y), 0);
    tp.box.upper = Point(std::max(from.x, to.x), std::max(from.y, to.y), 0);
    return tp;
}

}  // namespace

TEST(Kernels3D, MonotoneAndSnakingPathsCostTheShortestPathOverTheirMoves) {
    auto r = make3DRouter(7, 6, {3, 3, 3}, {3, 3, 3});
    Net net;
    net.twopin.resize(1);
    for (unsigned seed = 1; seed <= 30; ++seed) {
        SCOPED_TRACE(seed);
        randomCosts(*r, seed);
        std::mt19937 rng(seed * 7);
        Point a(static_cast<int>(rng() % 7), static_cast<int>(rng() % 6), static_cast<int>(rng() % 3));
        Point b(static_cast<int>(rng() % 7), static_cast<int>(rng() % 6), static_cast<int>(rng() % 3));
        TwoPin tp = connection(net, a, b);
        net.twopin[0] = tp;

        r->monoRouting3D(&tp);
        EXPECT_TRUE(isWalk3D(tp.path, a, b));
        EXPECT_FLOAT_EQ(pathCost(*r, tp.path), dijkstra(*r, a, b, [&](int x, int y, int, int dx, int dy, int) {
                            return towards(x, b.x, dx) && towards(y, b.y, dy) && tp.box.inside(x + dx, y + dy);
                        }));

        // Snaking over a box two G-cells wider than the ends on every side.
        BoundingBox box = tp.box;
        box.lower = Point(std::max(box.lower.x - 2, 0), std::max(box.lower.y - 2, 0), 0);
        box.upper = Point(std::min(box.upper.x + 2, 6), std::min(box.upper.y + 2, 5), 0);
        for (bool horizontal : {false, true}) {
            tp.path.clear();
            r->snakingRouting3D(&tp, box, r->work3DDir1.data(), r->work3DCost1.data(), horizontal);
            EXPECT_TRUE(isWalk3D(tp.path, a, b)) << horizontal;
            const bool straight = horizontal ? a.y == b.y : a.x == b.x;
            const float best = dijkstra(*r, a, b, [&](int x, int y, int, int dx, int dy, int) {
                if (straight) return towards(x, b.x, dx) && towards(y, b.y, dy) && tp.box.inside(x + dx, y + dy);
                const bool monotone = horizontal ? towards(y, b.y, dy) : towards(x, b.x, dx);
                return monotone && box.inside(x + dx, y + dy);
            });
            EXPECT_FLOAT_EQ(pathCost(*r, tp.path), best) << horizontal;
        }

        // Escape: never worse than the monotone route, never better than any route in the box.
        tp.box = box;
        tp.path.clear();
        ASSERT_TRUE(r->escapRouting3D(&tp, box, r->work3DDir1.data(), r->work3DCost1.data(), r->work3DDir2.data(),
                                      r->work3DCost2.data()));
        EXPECT_TRUE(isWalk3D(tp.path, a, b));
        const float escape = pathCost(*r, tp.path);
        EXPECT_GE(escape, dijkstra(*r, a, b, [&](int x, int y, int, int dx, int dy, int) {
                      return box.inside(x + dx, y + dy);
                  }));
        EXPECT_LE(escape, dijkstra(*r, a, b, [&](int x, int y, int, int dx, int dy, int) {
                      return towards(x, b.x, dx) && towards(y, b.y, dy) && box.inside(x + dx, y + dy);
                  }));
    }
}

TEST(Kernels3D, MonotoneTiesGoToTheXMove) {
    // Equal planar costs on two layers with tracks both ways: every G-cell off
    // the source's row and column is reached as cheaply in x as in y, so the path
    // climbs the source's column first and ends along the target's row.
    auto r = make3DRouter(3, 3, {3, 3}, {3, 3});
    for (FuncCost& f : r->graph.func_map) f.horizontal = f.vertical = 1.0f, f.via = 5.0f;
    Net net;
    net.twopin.resize(1);
    TwoPin tp = connection(net, Point(0, 0, 0), Point(2, 2, 0));
    net.twopin[0] = tp;
    r->monoRouting3D(&tp);
    EXPECT_EQ(steps(tp.path), (Steps{{0, 0, 0}, {0, 0, 1}, {1, 0, 2}, {1, 1, 2}}));
    for (const RPoint& s : tp.path) EXPECT_EQ(s.z, 0);
    for (int z = 0; z < 2; ++z) EXPECT_EQ(r->work3DDir1[r->w3(1, 1, z)], 1) << z;
}

TEST(Kernels3D, PlanarStepsGoToALayerWithTracksInTheirDirection) {
    // Layer 0 has no horizontal tracks: a run along a row climbs to layer 1 and back.
    auto r = make3DRouter(6, 3, {0, 4, 0}, {4, 0, 4});
    Net net;
    net.twopin.resize(1);
    TwoPin tp = connection(net, Point(0, 1, 0), Point(4, 1, 0));
    net.twopin[0] = tp;
    r->monoRouting3D(&tp);
    std::vector<RPoint> expected{RPoint(0, 1, 0, 2)};
    for (int x = 0; x < 4; ++x) expected.emplace_back(x, 1, 1, 1);
    expected.emplace_back(4, 1, 0, 2);
    ASSERT_EQ(tp.path.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(tp.path[i].hori, expected[i].hori) << i;
        EXPECT_EQ(tp.path[i].x, expected[i].x) << i;
        EXPECT_EQ(tp.path[i].z, expected[i].z) << i;
    }
}

TEST(Kernels3D, NegotiationCostsKeepStepsOffALayerWithoutTracksInTheirDirection) {
    // Layer 0 has no vertical tracks. One step up the column there would cost less
    // than the two vias to layer 1 at the negotiation prices, but it is no way to go.
    auto r = make3DRouter(3, 4, {4, 0, 4}, {0, 4, 0});
    r->costMode3D = 2;
    r->history3DMode = 1;
    r->initialFunc_3Dmap();
    Net net;
    net.twopin.resize(1);
    TwoPin tp = connection(net, Point(1, 1, 0), Point(1, 2, 0));
    net.twopin[0] = tp;
    r->monoRouting3D(&tp);
    ASSERT_EQ(steps(tp.path), (Steps{{2, 1, 1}, {0, 1, 1}, {2, 1, 2}}));
    EXPECT_EQ(tp.path[1].z, 1);
}

TEST(Kernels3D, EscapeDetoursAroundAnExpensiveRow) {
    auto r = make3DRouter(6, 4, {3, 3}, {3, 3});
    for (FuncCost& f : r->graph.func_map) f = FuncCost{1.0f, 1.0f, 50.0f};
    for (int x = 0; x < 6; ++x)
        for (int z = 0; z < 2; ++z) r->graph.func(x, 1, z).horizontal = 100.0f;
    Net net;
    net.twopin.resize(1);
    TwoPin tp = connection(net, Point(1, 1, 0), Point(4, 1, 0));
    net.twopin[0] = tp;
    tp.box.lower = Point(0, 0, 0);
    tp.box.upper = Point(5, 3, 0);
    ASSERT_TRUE(r->escapRouting3D(&tp, tp.box, r->work3DDir1.data(), r->work3DCost1.data(), r->work3DDir2.data(),
                                  r->work3DCost2.data()));
    EXPECT_TRUE(isWalk3D(tp.path, tp.from, tp.to));
    EXPECT_FLOAT_EQ(pathCost(*r, tp.path), 5.0f);  // one row off the expensive one and back
}

TEST(Kernels3D, NoMeetingPointKeepsThePath) {
    auto r = make3DRouter(5, 5, {3, 3}, {3, 3});
    Net net;
    net.twopin.resize(1);
    TwoPin tp = connection(net, Point(0, 0, 0), Point(3, 2, 1));
    net.twopin[0] = tp;
    for (FuncCost& f : r->graph.func_map) f = FuncCost{1e13f, 1e13f, 1e13f};
    const std::vector<RPoint> old{RPoint(7, 7, 7, 1)};
    tp.path = old;
    EXPECT_FALSE(r->escapRouting3D(&tp, tp.box, r->work3DDir1.data(), r->work3DCost1.data(),
                                   r->work3DDir2.data(), r->work3DCost2.data()));
    ASSERT_EQ(tp.path.size(), 1u);
    EXPECT_EQ(tp.path[0].x, 7);

    // An empty box has no meeting point either.
    tp.box = BoundingBox();
    EXPECT_FALSE(r->identifyPath3D(&tp, r->work3DDir1.data(), r->work3DCost1.data(), r->work3DDir2.data(),
                                   r->work3DCost2.data()));
    EXPECT_EQ(tp.path.size(), 1u);
}

TEST(Kernels3D, EndsInOneColumnOrRowGetTheStraightPath) {
    auto r = make3DRouter(6, 6, {2, 2}, {2, 2});
    Net net;
    net.twopin.resize(1);
    BoundingBox wide;
    wide.lower = Point(0, 0, 0);
    wide.upper = Point(5, 5, 0);
    const int stale[] = {7, -9, 3};
    for (int code : stale) {
        std::fill(r->work3DDir1.begin(), r->work3DDir1.end(), code);  // left over from other kernels
        TwoPin tp = connection(net, Point(2, 4, 1), Point(2, 1, 0));
        net.twopin[0] = tp;
        r->snakingRouting3D(&tp, wide, r->work3DDir1.data(), r->work3DCost1.data(), false);
        EXPECT_TRUE(isWalk3D(tp.path, tp.from, tp.to));
        for (const RPoint& s : tp.path) EXPECT_EQ(s.x, 2);

        tp = connection(net, Point(5, 3, 0), Point(1, 3, 1));
        r->snakingRouting3D(&tp, wide, r->work3DDir1.data(), r->work3DCost1.data(), true);
        EXPECT_TRUE(isWalk3D(tp.path, tp.from, tp.to));
        for (const RPoint& s : tp.path) EXPECT_EQ(s.y, 3);
    }
}

TEST(Kernels3DDeathTest, TraceBackStopsOnAnUnknownCode) {
    auto r = make3DRouter(3, 3, {1, 1}, {1, 1});
    std::fill(r->work3DDir1.begin(), r->work3DDir1.end(), 9);
    std::vector<RPoint> path;
    EXPECT_EXIT(r->monTraceBack3D(path, 1, 1, 0, r->work3DDir1.data()), ::testing::ExitedWithCode(1),
                "");
}
