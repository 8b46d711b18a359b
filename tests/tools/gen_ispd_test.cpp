// gen_ispd: determinism, the shape of what it writes, argument errors, and a round trip
// through check_ispd with a simple chain router written here.

#include <algorithm>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "tests/tools/tool_runner.h"

namespace {

struct Pin {
    long long x, y, layer;
};
struct GenNet {
    std::string name;
    long long id, pins, width;
    std::vector<Pin> pinList;
};
struct GenBench {
    long long X = 0, Y = 0, L = 0;
    std::vector<long long> lists[5];  // vertical cap, horizontal cap, width, spacing, via spacing
    long long ox = 0, oy = 0, tw = 0, th = 0;
    std::vector<GenNet> nets;
    struct Adj {
        long long x1, y1, l1, x2, y2, l2, cap;
    };
    std::vector<Adj> adjustments;
};

// Reads the generator's output line by line, failing the test on any deviation from the
// layout the router's reader expects (including the blank lines it skips by position).
GenBench parseGenerated(const std::string& text) {
    GenBench b;
    std::istringstream in(text);
    std::string line, w1, w2;
    auto next = [&] {
        EXPECT_TRUE(static_cast<bool>(std::getline(in, line)));
        EXPECT_LE(line.size(), 79u);
        return std::istringstream(line);
    };
    auto blank = [&] {
        next();
        EXPECT_EQ(line, "");
    };
    next() >> w1 >> b.X >> b.Y >> b.L;
    EXPECT_EQ(w1, "grid");
    const char* words[5] = {"vertical capacity", "horizontal capacity", "minimum width", "minimum spacing", "via spacing"};
    for (int k = 0; k < 5; ++k) {
        auto s = next();
        s >> w1 >> w2;
        EXPECT_EQ(w1 + " " + w2, words[k]);
        for (long long v; s >> v;) b.lists[k].push_back(v);
        EXPECT_EQ(static_cast<long long>(b.lists[k].size()), b.L);
    }
    next() >> b.ox >> b.oy >> b.tw >> b.th;
    blank();
    long long n = 0, a = 0;
    next() >> w1 >> w2 >> n;
    EXPECT_EQ(w1 + " " + w2, "num net");
    for (long long i = 0; i < n; ++i) {
        GenNet net;
        next() >> net.name >> net.id >> net.pins >> net.width;
        for (long long p = 0; p < net.pins; ++p) {
            Pin pin{};
            next() >> pin.x >> pin.y >> pin.layer;
            net.pinList.push_back(pin);
        }
        b.nets.push_back(net);
    }
    blank();
    next() >> a;
    for (long long i = 0; i < a; ++i) {
        GenBench::Adj j{};
        next() >> j.x1 >> j.y1 >> j.l1 >> j.x2 >> j.y2 >> j.l2 >> j.cap;
        b.adjustments.push_back(j);
    }
    EXPECT_FALSE(std::getline(in, line)) << "text after the adjustments: " << line;
    return b;
}

class GenIspd : public tooltest::ScratchTest {
protected:
    std::string gen(const std::string& args, const std::string& file) {
        auto r = run("gen_ispd", args + " --out '" + dir + "/" + file + "'");
        EXPECT_EQ(r.status, 0) << r.err;
        return readWholeFile(dir + "/" + file);
    }
};

// examples/example.gr is "gen_ispd --seed 2008 --grid 64 64 --layers 6 --nets 4000 --tracks 11": the
// generator gives the same bytes again, on standard output too; another seed differs.
TEST_F(GenIspd, SameSeedSameBytesAsTheExampleOtherSeedDiffers) {
    const std::string args = "--grid 64 64 --layers 6 --nets 4000 --tracks 11";
    const std::string a = gen("--seed 2008 " + args, "a.gr");
    EXPECT_TRUE(a == readWholeFile(std::string(TARVEX_SOURCE_DIR) + "/examples/example.gr"));
    auto r = run("gen_ispd", "--seed 2008 " + args);
    EXPECT_EQ(r.status, 0);
    EXPECT_TRUE(r.out == a);
    EXPECT_TRUE(gen("--seed 8 " + args, "c.gr") != a);
}

// Routes every net as a chain of its G-cells in sorted order: a horizontal wire on layer 1,
// a via up, a vertical wire on layer 2 and a via down, plus a via stack from each pin's layer
// down to layer 1. Returns the result text and adds the expected wire length.
std::string chainRoute(const GenBench& b, long long& wireLength, long long& netsWritten) {
    std::string out;
    auto X = [&](long long g) { return std::to_string(b.ox + g * b.tw); };
    auto Y = [&](long long g) { return std::to_string(b.oy + g * b.th); };
    auto pt = [&](long long gx, long long gy, long long l) { return "(" + X(gx) + "," + Y(gy) + "," + std::to_string(l) + ")"; };
    for (const GenNet& n : b.nets) {
        std::set<std::pair<long long, long long>> cells;
        std::set<std::vector<long long>> pins;
        for (const Pin& p : n.pinList) {
            long long gx = (p.x - b.ox) / b.tw, gy = (p.y - b.oy) / b.th;
            cells.insert({gx, gy});
            pins.insert({gx, gy, p.layer});
        }
        if (cells.size() < 2) continue;
        ++netsWritten;
        out += n.name + " " + std::to_string(n.id) + "\n";
        for (const auto& p : pins)
            if (p[2] > 1) {
                out += pt(p[0], p[1], p[2]) + "-" + pt(p[0], p[1], 1) + "\n";
                wireLength += p[2] - 1;
            }
        auto prev = cells.begin();
        for (auto it = std::next(cells.begin()); it != cells.end(); prev = it++) {
            long long ax = prev->first, ay = prev->second, bx = it->first, by = it->second;
            if (ax != bx) out += pt(ax, ay, 1) + "-" + pt(bx, ay, 1) + "\n";
            if (ay != by) {
                out += pt(bx, ay, 1) + "-" + pt(bx, ay, 2) + "\n";
                out += pt(bx, ay, 2) + "-" + pt(bx, by, 2) + "\n";
                out += pt(bx, by, 2) + "-" + pt(bx, by, 1) + "\n";
                wireLength += 2;
            }
            wireLength += std::abs(bx - ax) + std::abs(by - ay);
        }
        out += "!\n";
    }
    return out;
}

TEST_F(GenIspd, FileFollowsTheBenchmarkLayoutAndChainRoutedPassesTheChecker) {
    GenBench b = parseGenerated(gen("--seed 3 --grid 50 40 --layers 6 --nets 5000 --origin 1000 -200 --tile 30 20", "g.gr"));
    ASSERT_EQ((std::vector<long long>{b.X, b.Y, b.L}), (std::vector<long long>{50, 40, 6}));
    EXPECT_EQ((std::vector<long long>{b.ox, b.oy, b.tw, b.th}), (std::vector<long long>{1000, -200, 30, 20}));
    for (long long l = 0; l < b.L; ++l) {
        // Layer 1 horizontal, layer 2 vertical, and so on; capacities are whole tracks.
        const bool horizontal = l % 2 == 0;
        EXPECT_EQ(b.lists[0][l] == 0, horizontal) << "vertical capacity of layer " << l + 1;
        EXPECT_EQ(b.lists[1][l] == 0, !horizontal) << "horizontal capacity of layer " << l + 1;
        long long pitch = b.lists[2][l] + b.lists[3][l];
        ASSERT_GT(pitch, 0);
        EXPECT_EQ((b.lists[0][l] + b.lists[1][l]) % pitch, 0);
    }
    ASSERT_EQ(b.nets.size(), 5000u);
    std::vector<long long> byDegree(500, 0), byLayer(7, 0);
    long long maxDegree = 0;
    for (size_t i = 0; i < b.nets.size(); ++i) {
        const GenNet& n = b.nets[i];
        EXPECT_EQ(n.id, static_cast<long long>(i));
        EXPECT_EQ(n.name, "n" + std::to_string(i));
        EXPECT_EQ(static_cast<long long>(n.pinList.size()), n.pins);
        EXPECT_GE(n.pins, 2);
        maxDegree = std::max(maxDegree, n.pins);
        ++byDegree[static_cast<size_t>(std::min<long long>(n.pins, 499))];
        for (const Pin& p : n.pinList) {
            EXPECT_TRUE(p.x >= b.ox && p.x < b.ox + b.X * b.tw && p.y >= b.oy && p.y < b.oy + b.Y * b.th);
            ASSERT_GE(p.layer, 1);
            ASSERT_LE(p.layer, b.L);
            ++byLayer[static_cast<size_t>(p.layer)];
        }
    }
    EXPECT_GT(byDegree[2], 2500);            // mostly two-pin nets
    EXPECT_GT(byDegree[3], 500);
    EXPECT_GT(maxDegree, 50);                // and a tail of large nets
    EXPECT_GT(byLayer[1], byLayer[2] * 3);   // pins mostly on layer 1
    EXPECT_GT(byLayer[2], 0);

    ASSERT_FALSE(b.adjustments.empty());
    std::set<std::vector<long long>> edges;
    long long blocked = 0;
    for (const auto& a : b.adjustments) {
        ASSERT_EQ(a.l1, a.l2);
        ASSERT_GE(a.l1, 1);
        ASSERT_LE(a.l1, b.L);
        const bool horizontal = (a.l1 - 1) % 2 == 0;
        // Only edges along the layer's direction, between neighbouring G-cells inside the grid.
        EXPECT_EQ(a.x2 - a.x1, horizontal ? 1 : 0);
        EXPECT_EQ(a.y2 - a.y1, horizontal ? 0 : 1);
        EXPECT_TRUE(a.x1 >= 0 && a.x2 < b.X && a.y1 >= 0 && a.y2 < b.Y);
        const long long def = horizontal ? b.lists[1][a.l1 - 1] : b.lists[0][a.l1 - 1];
        EXPECT_LT(a.cap, def);
        EXPECT_GE(a.cap, 0);
        if (a.cap == 0) ++blocked;
        EXPECT_TRUE(edges.insert({a.x1, a.y1, a.l1}).second) << "edge adjusted twice";
    }
    EXPECT_GT(blocked, 0);
    EXPECT_LT(blocked, static_cast<long long>(b.adjustments.size()));

    // Routed as chains on layers 1 and 2: every net present, the wire length as
    // written, and overflow somewhere.
    long long wireLength = 0, nets = 0;
    writeTextFile(dir + "/g.result", chainRoute(b, wireLength, nets));
    auto r = run("check_ispd", "'" + dir + "/g.gr' '" + dir + "/g.result'");
    ASSERT_EQ(r.status, 0) << r.err;
    tooltest::expectFigures(r.out, {{"nets in result", nets}, {"wire length", wireLength}, {"errors", 0}});
    EXPECT_GT(parseLabelValues(r.out)["total overflow"], 0);
}

TEST_F(GenIspd, TracksOptionAndZeroNets) {
    GenBench b = parseGenerated(gen("--grid 10 10 --layers 4 --nets 10 --tracks 20", "t.gr"));
    EXPECT_EQ(b.lists[1][2], 40);  // layer 3: 20 tracks of pitch 2
    EXPECT_EQ(b.lists[0][1], 40);
    EXPECT_EQ(b.lists[1][0], 20);  // layer 1 keeps half its tracks for pins
    EXPECT_TRUE(parseGenerated(gen("--grid 5 5 --layers 2 --nets 0", "z.gr")).nets.empty());
}

TEST_F(GenIspd, BadArgumentsAreRefused) {
    const std::vector<std::string> bad = {
        "",
        "--grid 10 10 --layers 4",
        "--grid 10 --layers 4 --nets 5",
        "--grid 10 10 --layers 1 --nets 5",
        "--grid 10 10 --layers 4 --nets -1",
        "--grid 10 10 --layers 4 --nets 5x",
        "--grid 10 10 --layers 4 --nets 5 --seed -3",
        "--grid 10 10 --layers 4 --nets 5 --tile 0 10",
        "--grid 10 10 --layers 4 --nets 5 --frobnicate",
        "--grid 100000 100000 --layers 4 --nets 5 --tile 1000000 1",
        "--grid 10 10 --layers 4 --nets 5 --out /nonexistent-dir/x.gr",
    };
    for (const std::string& args : bad) {
        auto r = run("gen_ispd", args);
        EXPECT_EQ(r.status, 1) << args;
        EXPECT_NE(r.err.find("gen_ispd: "), std::string::npos) << args;
    }
    auto help = run("gen_ispd", "--help");
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("usage: gen_ispd"), std::string::npos);
}

}  // namespace
