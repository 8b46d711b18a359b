#include <gtest/gtest.h>

#include <random>
#include <set>
#include <utility>
#include <vector>

#include "decomposition/Decompose.h"
#include "decomposition/DisjointSet.h"

namespace {

Net makeNet(int id, std::vector<Point> pins) {
    Net n;
    n.id = id;
    n.pin2D = pins;
    n.pin3D = pins;
    return n;
}

// Every pin of the net is reached from pin 0 through its connections.
bool connectsAllPins(const Net& net) {
    DisjointSet s;
    s.AddSet(static_cast<int>(net.pin2D.size()));
    auto index = [&](const Point& p) {
        for (size_t i = 0; i < net.pin2D.size(); ++i)
            if (net.pin2D[i] == p) return static_cast<int>(i);
        return -1;
    };
    for (const TwoPin& t : net.twopin) {
        int a = index(t.from), b = index(t.to);
        if (a < 0 || b < 0) return false;
        if (s.Find(a) != s.Find(b)) s.Union(a, b);
    }
    for (size_t i = 1; i < net.pin2D.size(); ++i)
        if (s.Find(static_cast<int>(i)) != s.Find(0)) return false;
    return true;
}

}  // namespace

TEST(BuildCongestionDrivenTree, OneTwoAndFourPinNets) {
    std::vector<Net> nets{makeNet(0, {Point(3, 3, 0)}), makeNet(1, {Point(1, 2, 0), Point(4, 0, 2)}),
                          makeNet(7, {Point(1, 0, 0), Point(0, 1, 0), Point(2, 1, 0), Point(1, 2, 0)})};
    testing::internal::CaptureStdout();
    BuildCongestionDrivenTree(nets);
    std::string out = testing::internal::GetCapturedStdout();
    EXPECT_TRUE(out.rfind("BuildTree cost ", 0) == 0) << out;
    EXPECT_EQ(out.substr(out.size() - 3), " s\n");
    EXPECT_TRUE(nets[0].twopin.empty());
    EXPECT_EQ(nets[0].wirelength, 0);
    EXPECT_EQ(nets[0].referenceLength, 0);
    // Two pins: one fresh connection between them.
    ASSERT_EQ(nets[1].twopin.size(), 1u);
    const TwoPin& t = nets[1].twopin[0];
    EXPECT_EQ(t.from.x, 1);
    EXPECT_EQ(t.from.y, 2);
    EXPECT_EQ(t.to.x, 4);
    EXPECT_EQ(t.to.z, 2);
    EXPECT_EQ(t.parNet, &nets[1]);
    EXPECT_TRUE(t.needRouting);
    EXPECT_TRUE(t.path.empty());
    EXPECT_EQ(t.box.upper.x, -1);
    EXPECT_EQ(nets[1].wirelength, 5);
    EXPECT_EQ(nets[1].referenceLength, 5);
    // A diamond: three connections of length 2.
    const Net& n = nets[2];
    ASSERT_EQ(n.twopin.size(), 3u);
    for (const TwoPin& c : n.twopin) EXPECT_EQ(c.from.distance(c.to), 2);
    EXPECT_EQ(n.wirelength, 6);
    EXPECT_EQ(n.referenceLength, 6);
    EXPECT_TRUE(connectsAllPins(n));
}

TEST(BuildCongestionDrivenTree, LargeNetsAreSpannedWithEveryPinConnected) {
    std::mt19937 rng(7);
    std::vector<Net> nets;
    for (int k = 0; k < 30; ++k) {
        std::set<std::pair<int, int>> used;
        std::vector<Point> pins;
        int n = 3 + k * 5;
        while (static_cast<int>(pins.size()) < n) {
            int x = static_cast<int>(rng() % 60), y = static_cast<int>(rng() % 60);
            if (used.insert({x, y}).second) pins.emplace_back(x, y, static_cast<int>(rng() % 4));
        }
        nets.push_back(makeNet(k, pins));
    }
    BuildCongestionDrivenTree(nets);
    for (const Net& n : nets) {
        EXPECT_EQ(n.twopin.size(), n.pin2D.size() - 1);
        EXPECT_TRUE(connectsAllPins(n));
        int sum = 0;
        for (const TwoPin& t : n.twopin) {
            EXPECT_EQ(t.parNet, &n);
            EXPECT_NE(t.from, t.to);
            sum += t.from.distance(t.to);
        }
        EXPECT_EQ(n.wirelength, sum);
        EXPECT_EQ(n.referenceLength, sum);
    }
}
