// Paths made by every 2D kernel (pattern, monotone, maze, escape) keep their
// kernel's own step order; after layer assignment the hand-back turns each into
// one walk from `from` to `to` on its layers, with a via wherever it changes
// layer, without flagging any for rerouting.

#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "database/NetDB.h"
#include "layer_assignment/LA.h"
#include "router/core/GlobalRouter.h"
#include "tests/common/PathCheck.h"

namespace {

const int kX = 10, kY = 8, kL = 3;

NetDB makeDesign() {
    NetDB db;
    db.gridX = kX;
    db.gridY = kY;
    db.layerNum = kL;
    db.vTracks = {4, 0, 4};
    db.hTracks = {0, 4, 4};
    db.totalVerticalTracks = 8;
    db.totalHorizontalTracks = 8;
    db.minWidth.assign(kL, 1);
    db.minSpacing.assign(kL, 0);
    db.pitch.assign(kL, 1);
    db.pinCount.assign(kX, std::vector<int>(kY, 0));
    db.tileW = db.tileH = 10;
    return db;
}

}  // namespace

TEST(HandBackOfKernelPaths, EveryKernelsPathBecomesOneWalkOnItsLayers) {
    NetDB db = makeDesign();
    std::mt19937 rng(5);
    const int kNets = 40;
    db.nets.resize(kNets);
    for (int i = 0; i < kNets; ++i) {
        Net& n = db.nets[static_cast<size_t>(i)];
        n.id = i;
        n.name = "n" + std::to_string(i);
        Point a, b;
        do {
            a = Point(static_cast<int>(rng() % kX), static_cast<int>(rng() % kY), static_cast<int>(rng() % kL));
            b = Point(static_cast<int>(rng() % kX), static_cast<int>(rng() % kY), static_cast<int>(rng() % kL));
        } while (a.x == b.x || a.y == b.y);  // a bend, so that step order matters
        n.pin2D = n.pin3D = {a, b};
        n.twopin.resize(1);
        TwoPin& tp = n.twopin[0];
        tp.from = a;
        tp.to = b;
        tp.parNet = &n;
        tp.box.lower = Point(0, 0, 0);
        tp.box.upper = Point(kX - 1, kY - 1, 0);
    }

    std::vector<int> pitch(kL, 1);
    GlobalRouter r(kX, kY, kL, 8, 8, db.hTracks, db.vTracks, pitch);
    testing::internal::CaptureStdout();
    r.initial2DGraph(db.adjLocate, db.adjCapacity);
    testing::internal::GetCapturedStdout();
    r.costScale = 10.0f;
    r.costMode2D = 2;
    r.initialFunc_2Dmap(2);
    int outOfOrder = 0;
    for (int i = 0; i < kNets; ++i) {
        TwoPin& tp = db.nets[static_cast<size_t>(i)].twopin[0];
        Net& n = *tp.parNet;
        Point a = tp.from, b = tp.to;
        int maxDemand = 0;
        switch (i % 4) {
            case 0: r.Pattern(a, b, &tp, maxDemand); break;
            case 1:
                r.pseudoMonotonic(a, b, r.workDir1.data(), r.workCost1.data());
                r.monTraceBack(tp.path, b.x, b.y, r.workDir1.data());
                r.RoutePath(tp.path, n);
                break;
            case 2:
                r.Pattern(a, b, &tp, maxDemand);
                r.RipUp(tp.path, n);
                r.MultiMaze(&tp, 100, tp.box, true);
                r.RoutePath(tp.path, n);
                break;
            default:
                ASSERT_TRUE(r.escapRouting(&tp, tp.box, r.workDir1.data(), r.workCost1.data(), r.workDir2.data(),
                                           r.workCost2.data()));
                r.RoutePath(tp.path, n);
                break;
        }
        ASSERT_FALSE(tp.path.empty()) << i;
        if (!isWalk3D(tp.path, Point(tp.from.x, tp.from.y, 0), Point(tp.to.x, tp.to.y, 0))) ++outOfOrder;
    }
    EXPECT_GT(outOfOrder, kNets / 4);  // pattern, monotone and escape paths run otherwise

    Graph g;
    testing::internal::CaptureStdout();
    g.initialLA(db, 1, 0.0);
    g.convertGRtoLA(db);
    g.fastLA(0, 0, 0, false);
    g.convertLAtoGR(db);
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(out.find("ERROR"), std::string::npos);
    for (const Net& n : db.nets) {
        const TwoPin& tp = n.twopin[0];
        SCOPED_TRACE(n.name);
        EXPECT_FALSE(tp.needRouting);
        EXPECT_TRUE(isWalk3D(tp.path, tp.from, tp.to));
        for (const RPoint& s : tp.path) {
            if (s.hori != 2) {
                EXPECT_GT((s.hori == 1 ? db.hTracks : db.vTracks)[static_cast<size_t>(s.z)], 0);
            }
        }
    }
}
