#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "database/Geometry.h"
#include "database/NetDB.h"

TEST(Geometry, PointEqualityDistanceAndHashIgnoreLayer) {
    Point a(3, 4, 0), b(3, 4, 5), c(6, 0, 1);
    EXPECT_TRUE(a == b);
    EXPECT_FALSE(a != b);
    EXPECT_EQ(a.distance(b), 0);
    EXPECT_EQ(a.distance(c), 7);
    EXPECT_TRUE(a != c);
    // The hash of a routing point wraps and ignores the layer too.
    RPointHash h;
    EXPECT_EQ(h(RPoint(2, 3, 0, 1)), h(RPoint(2, 3, 7, 1)));
    EXPECT_EQ(h(RPoint(2, 3, 0, 1)), static_cast<size_t>(1 + 9 + 12000));
}

TEST(Geometry, BoundingBoxGrowthInsideAndDistance) {
    BoundingBox box = emptyBox();
    EXPECT_EQ(box.upper.x, -1);
    EXPECT_EQ(box.lower.y, 2147483647);
    EXPECT_TRUE(box.growLeft && box.growRight && box.growUp && box.growDown);
    box.Bondary(5, 7);
    EXPECT_EQ(box.lower.x, 5);
    EXPECT_EQ(box.upper.y, 7);
    EXPECT_EQ(box.size(), 0);
    EXPECT_EQ(box.numEdge(), 0);
    box.Bondary(6, 7);
    EXPECT_EQ(box.numEdge(), 1);
    box.Bondary(2, 10);
    // Closed box: every border cell is inside.
    EXPECT_TRUE(box.inside(2, 7));
    EXPECT_TRUE(box.inside(6, 10));
    EXPECT_FALSE(box.inside(1, 8));
    EXPECT_EQ(box.distance(4, 8), 0);
    EXPECT_EQ(box.distance(0, 3), 2 + 4);  // diagonally outside a corner
    EXPECT_EQ(box.distance(9, 12), 3 + 2);
    int w = 4, h = 3;
    EXPECT_EQ(box.numEdge(), (h + 1) * w + h * (w + 1));
}

TEST(Records, CopiedTwoPinIsUnrouted) {
    Net net;
    TwoPin t;
    t.from = Point(1, 2, 0);
    t.to = Point(4, 2, 1);
    t.fromPin = 3;
    t.toPin = 5;
    t.overflow = 7;
    t.rerouteMethod = 2;
    t.ripupCount = 9;
    t.needRouting = false;
    t.parNet = &net;
    t.path.push_back(RPoint(1, 2, 1));
    t.box.Bondary(1, 2);

    TwoPin c(t);
    // Everything but the routing state is copied.
    EXPECT_EQ((std::vector<int>{c.from.x, c.to.z, c.fromPin, c.toPin, c.overflow, c.rerouteMethod, c.ripupCount}),
              (std::vector<int>{1, 1, 3, 5, 7, 2, 0}));
    EXPECT_EQ(c.parNet, &net);
    EXPECT_TRUE(c.needRouting);
    EXPECT_TRUE(c.path.empty());
    EXPECT_EQ(c.box.upper.x, -1);

    TwoPin assigned;
    assigned = t;  // assignment copies everything
    EXPECT_EQ(assigned.path.size(), 1u);
    EXPECT_FALSE(assigned.needRouting);
    EXPECT_EQ(assigned.ripupCount, 9);
}

TEST(Records, CopiedNetHasUnroutedConnectionsAndDeepMaps) {
    Net n;
    n.id = 4;
    n.twopin.resize(2);
    n.twopin[0].path.push_back(RPoint(0, 0, 1));
    n.twopin[0].needRouting = false;
    n.edgeUse[1][17] = 2;
    n.treeEdges.insert(RPoint(1, 1, 0, 1));
    Net copy(n);
    EXPECT_TRUE(copy.twopin[0].path.empty());
    EXPECT_TRUE(copy.twopin[0].needRouting);
    copy.edgeUse[1][17] = 5;
    EXPECT_EQ(n.edgeUse[1][17], 2);
    // The Steiner-edge set compares z as well.
    EXPECT_EQ(copy.treeEdges.count(RPoint(1, 1, 0, 1)), 1u);
    EXPECT_EQ(copy.treeEdges.count(RPoint(1, 1, 3, 1)), 0u);
}

TEST(Records, OrderSortsByKeyThenLongerSpan) {
    TwoPin a, b, c;
    a.from = Point(0, 0, 0); a.to = Point(1, 0, 0);
    b.from = Point(0, 0, 0); b.to = Point(5, 5, 0);
    c.from = Point(0, 0, 0); c.to = Point(2, 0, 0);
    std::vector<Order> v{{&a, 1.0}, {&b, 1.0}, {&c, 3.0}};
    std::sort(v.begin(), v.end());
    EXPECT_EQ(v[0].twopin, &c);
    EXPECT_EQ(v[1].twopin, &b);
    EXPECT_EQ(v[2].twopin, &a);
}
