#pragma once
// Small routers for the routing-kernel tests.

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "router/core/GlobalRouter.h"

// A one-layer X by Y router with `cap` tracks in both directions, its 2D grid
// initialised without adjustments, cost scale 10 and the given 2D cost mode.
inline std::unique_ptr<GlobalRouter> makeSingleLayerRouter(int X, int Y, int cap, int costMode2D) {
    std::vector<int> pitch{1};
    auto r = std::make_unique<GlobalRouter>(X, Y, 1, cap, cap, std::vector<int>{cap}, std::vector<int>{cap}, pitch);
    std::vector<RPoint> adj;
    std::vector<int> adjCap;
    r->initial2DGraph(adj, adjCap);
    r->costScale = 10.0f;
    r->costMode2D = costMode2D;
    return r;
}

// The box with lower corner (lx, ly) and upper corner (ux, uy) on layer 0.
inline BoundingBox boxOf(int lx, int ly, int ux, int uy) {
    BoundingBox b;
    b.lower = Point(lx, ly, 0);
    b.upper = Point(ux, uy, 0);
    return b;
}

// Sizes and fills the 3D tables with the given per-layer tracks, no adjustments
// and no pin blockage.
inline void init3DPlain(GlobalRouter& r, std::vector<int> hTracks, std::vector<int> vTracks) {
    r.initial3Dmalloc();
    std::vector<RPoint> adj;
    std::vector<int> cap;
    std::vector<std::vector<int>> pins;
    r.initial3DRouting(hTracks, vTracks, adj, cap, pins, 0.0);
}

// An X by Y router with one layer per entry of the per-layer track lists, its
// 2D grid initialised (console swallowed), its 3D tables filled, cost mode 3
// and the 3D cost cache filled. Pitch 1 on every layer unless given.
inline std::unique_ptr<GlobalRouter> make3DRouter(int X, int Y, std::vector<int> hTracks, std::vector<int> vTracks,
                                                  std::vector<int> pitch = {}) {
    if (pitch.empty()) pitch.assign(hTracks.size(), 1);
    int h2 = 0, v2 = 0;
    for (size_t z = 0; z < hTracks.size(); ++z) h2 += hTracks[z], v2 += vTracks[z];
    auto r = std::make_unique<GlobalRouter>(X, Y, static_cast<int>(hTracks.size()), h2, v2, hTracks, vTracks, pitch);
    std::vector<RPoint> adj;
    std::vector<int> cap;
    testing::internal::CaptureStdout();
    r->initial2DGraph(adj, cap);
    testing::internal::GetCapturedStdout();
    r->viaCost = 1;
    init3DPlain(*r, hTracks, vTracks);
    r->costMode3D = 3;
    r->initialFunc_3Dmap();
    return r;
}
