// The initial routing order: keys, tie-breaks and the search boxes it sets up.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "router/schedules/RoutingOrder.h"

namespace {

TwoPin connection(Point a, Point b) {
    TwoPin tp;
    tp.from = a;
    tp.to = b;
    return tp;
}

void setOwners(std::vector<Net>& nets) {
    for (Net& n : nets)
        for (TwoPin& tp : n.twopin) tp.parNet = &n;
}

TEST(RoutingOrder, KeyFavoursStraightConnectionsAndStretchedNets) {
    Net net;
    net.wirelength = 12;
    net.referenceLength = 12;
    EXPECT_DOUBLE_EQ(initialOrderKey(connection(Point(3, 1, 0), Point(3, 9, 0)), net), 110.0);
    EXPECT_DOUBLE_EQ(initialOrderKey(connection(Point(1, 4, 0), Point(9, 4, 0)), net), 110.0);
    // min(|dx|, |dy|) = 3 gives 100 / 4.
    EXPECT_DOUBLE_EQ(initialOrderKey(connection(Point(9, 1, 0), Point(1, 4, 0)), net), 35.0);
    net.wirelength = 15;
    net.referenceLength = 10;
    EXPECT_DOUBLE_EQ(initialOrderKey(connection(Point(0, 0, 0), Point(2, 7, 0)), net), 100.0 / 3.0 + 15.0);
}

TEST(RoutingOrder, ZeroReferenceLengthGivesAFiniteKey) {
    Net net;  // all pins in one G-cell: both lengths 0
    const double k = initialOrderKey(connection(Point(2, 2, 0), Point(2, 2, 0)), net);
    EXPECT_TRUE(std::isfinite(k));
    EXPECT_DOUBLE_EQ(k, 110.0);
    net.wirelength = 4;
    EXPECT_DOUBLE_EQ(initialOrderKey(connection(Point(2, 2, 0), Point(2, 2, 0)), net), 110.0);
}

TEST(RoutingOrder, SortsByKeyThenLongerSpanAndGrowsBoxes) {
    std::vector<Net> nets(3);
    nets[0].wirelength = nets[0].referenceLength = 10;
    nets[0].twopin.push_back(connection(Point(0, 0, 0), Point(4, 4, 0)));  // 100/5 + 10 = 30
    nets[0].twopin.push_back(connection(Point(5, 5, 0), Point(5, 7, 0)));  // 110, span 2
    nets[1].wirelength = nets[1].referenceLength = 7;
    nets[1].twopin.push_back(connection(Point(1, 6, 0), Point(8, 6, 0)));  // 110, span 7
    nets[1].twopin.push_back(connection(Point(6, 2, 0), Point(2, 3, 0)));  // 50 + 10 = 60
    nets[2].wirelength = 20;
    nets[2].referenceLength = 10;
    nets[2].twopin.push_back(connection(Point(3, 0, 0), Point(0, 4, 0)));  // 25 + 20 = 45
    nets[1].twopin[1].box.growLeft = false;
    setOwners(nets);

    std::vector<Order> orders;
    initialSort(orders, nets);
    ASSERT_EQ(orders.size(), 5u);
    EXPECT_EQ(orders[0].twopin, &nets[1].twopin[0]);
    EXPECT_EQ(orders[1].twopin, &nets[0].twopin[1]);
    EXPECT_EQ(orders[2].twopin, &nets[1].twopin[1]);
    EXPECT_EQ(orders[3].twopin, &nets[2].twopin[0]);
    EXPECT_EQ(orders[4].twopin, &nets[0].twopin[0]);
    EXPECT_DOUBLE_EQ(orders[0].key, 110.0);
    EXPECT_DOUBLE_EQ(orders[4].key, 30.0);

    const BoundingBox& box = nets[1].twopin[1].box;
    EXPECT_EQ(box.lower.x, 2);
    EXPECT_EQ(box.lower.y, 2);
    EXPECT_EQ(box.upper.x, 6);
    EXPECT_EQ(box.upper.y, 3);
    EXPECT_FALSE(box.growLeft);
    EXPECT_TRUE(box.growRight);
}

TEST(RoutingOrder, EqualKeysPutTheLongerSpanFirstWhateverTheListPosition) {
    std::vector<Net> nets(1);
    nets[0].wirelength = nets[0].referenceLength = 30;
    for (int len = 1; len <= 8; ++len) nets[0].twopin.push_back(connection(Point(0, len, 0), Point(len, len, 0)));
    setOwners(nets);
    std::vector<Order> orders;
    initialSort(orders, nets);
    ASSERT_EQ(orders.size(), 8u);
    for (int i = 0; i < 8; ++i) EXPECT_EQ(orders[i].twopin, &nets[0].twopin[7 - i]);
}

TEST(RoutingOrder, EmptyNetListGivesEmptyOrder) {
    std::vector<Net> nets;
    std::vector<Order> orders;
    initialSort(orders, nets);
    EXPECT_TRUE(orders.empty());
    nets.resize(2);  // nets without connections add nothing either
    initialSort(orders, nets);
    EXPECT_TRUE(orders.empty());
}

TEST(RoutingOrder, ManyDegenerateNetsSortWithAConsistentOrder) {
    // Nets whose pins share one G-cell mixed with ordinary ones: every key is a
    // number, so the sort sees a strict weak ordering.
    std::vector<Net> nets(400);
    for (int i = 0; i < 400; ++i) {
        Net& n = nets[i];
        const int d = i % 7;
        if (i % 3 == 0) {
            n.twopin.push_back(connection(Point(i % 9, 1, 0), Point(i % 9, 1, 0)));
        } else {
            n.twopin.push_back(connection(Point(0, 0, 0), Point(d, (i * 5) % 11, 0)));
            n.wirelength = d + (i * 5) % 11 + i % 4;
            n.referenceLength = d + (i * 5) % 11;
        }
    }
    setOwners(nets);
    std::vector<Order> orders;
    initialSort(orders, nets);
    ASSERT_EQ(orders.size(), 400u);
    EXPECT_TRUE(std::is_sorted(orders.begin(), orders.end()));
    for (const Order& o : orders) EXPECT_TRUE(std::isfinite(o.key));
}

}  // namespace
