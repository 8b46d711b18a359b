#pragma once
// Checks of FLUTE trees against the exact solver, shared by the quality tool
// and the unit tests.

#include <algorithm>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "decomposition/flute.h"
#include "tools/flute_gen/hanan_steiner.h"
#include "tools/flute_gen/perm_groups.h"

namespace flutecheck {

// Returns an empty string when t is a valid tree of the d pins (x[i], y[i]):
// 2d-2 nodes, pins first at the input coordinates, one root, no cycle, and
// edge lengths summing to t.length. Otherwise says what is wrong.
inline std::string validateTree(const Tree& t, int d, const int* x, const int* y) {
    if (t.degree != d) return "degree " + std::to_string(t.degree) + " instead of " + std::to_string(d);
    if (!t.nodes) return "no nodes";
    const int n = 2 * d - 2;
    std::vector<std::pair<int, int>> want, got;
    for (int i = 0; i < d; ++i) want.emplace_back(x[i], y[i]), got.emplace_back(t.nodes[i].x, t.nodes[i].y);
    std::sort(want.begin(), want.end());
    std::sort(got.begin(), got.end());
    if (want != got) return "pins are not at their input coordinates";
    int roots = 0;
    long sum = 0;
    for (int i = 0; i < n; ++i) {
        const int nb = t.nodes[i].neighbour;
        if (nb < 0 || nb >= n) return "neighbour index out of range";
        if (nb == i) {
            ++roots;
            continue;
        }
        sum += std::abs(t.nodes[i].x - t.nodes[nb].x) + std::abs(t.nodes[i].y - t.nodes[nb].y);
    }
    if (roots != 1) return std::to_string(roots) + " roots";
    for (int i = 0; i < n; ++i) {
        int c = i, steps = 0;
        while (t.nodes[c].neighbour != c) {
            c = t.nodes[c].neighbour;
            if (++steps > n) return "cycle";
        }
    }
    if (sum != t.length) return "edge lengths sum to " + std::to_string(sum) + ", length says " + std::to_string(t.length);
    return "";
}

// A permutation (s[i] = x rank of the pin of y rank i) whose group index, as
// the table reader computes it before the flip fold, is k (0 <= k < d!/2).
// lowFirst chooses the order of the two lowest pins, which the index ignores.
inline std::vector<int> permForGroup(int d, int k, bool lowFirst) {
    std::vector<int> p(d, 0);
    for (int i = d - 1; i >= 3; --i) {
        p[i] = k % (i + 1);
        k /= i + 1;
    }
    std::vector<int> r(3);
    if (k == 0) r = {2, 1, 0};
    else if (k == 1) r = {2, 0, 1};
    else r = {1, 0, 2};
    for (int i = 3; i < d; ++i) {
        for (int& v : r)
            if (v >= p[i]) ++v;
        r.push_back(p[i]);
    }
    if (lowFirst) std::swap(r[0], r[1]);
    return r;
}

// Group index before the fold, as the table reader computes it.
inline int groupIndexOf(int d, const int* s) { return flutegen::groupIndex(d, s); }

class Rng {
public:
    explicit Rng(uint64_t seed) : s_(seed) {}
    uint64_t next() {
        uint64_t z = (s_ += 0x9e3779b97f4a7c15ULL);
        z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
        z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
        return z ^ (z >> 31);
    }
    int below(int n) { return static_cast<int>(next() % static_cast<uint64_t>(n)); }

private:
    uint64_t s_;
};

// Pins of a net with pin order s: distinct random x and y values, listed in random order.
inline void netForPerm(const std::vector<int>& s, Rng& rng, int range, std::vector<int>& x, std::vector<int>& y) {
    const int d = static_cast<int>(s.size());
    auto distinctSorted = [&]() {
        std::vector<int> v;
        while (static_cast<int>(v.size()) < d) {
            const int c = rng.below(range);
            if (std::find(v.begin(), v.end(), c) == v.end()) v.push_back(c);
        }
        std::sort(v.begin(), v.end());
        return v;
    };
    const std::vector<int> xs = distinctSorted(), ys = distinctSorted();
    std::vector<int> order(d);
    for (int i = 0; i < d; ++i) order[i] = i;
    for (int i = d - 1; i > 0; --i) std::swap(order[i], order[rng.below(i + 1)]);
    x.assign(d, 0);
    y.assign(d, 0);
    for (int i = 0; i < d; ++i) x[order[i]] = xs[s[i]], y[order[i]] = ys[i];
}

// Result of one net: tree valid, and its length against the exact minimum.
struct NetResult {
    std::string error;  // empty when the tree is valid
    int length = 0;
    int exact = 0;
};

inline NetResult checkNet(hanan::SteinerSolver& solver, int d, std::vector<int> x, std::vector<int> y,
                          bool exact = true) {
    NetResult r;
    std::vector<int> xin = x, yin = y;  // flute may not change them, but check against copies
    Tree t = flute(d, x.data(), y.data(), 3);
    r.error = validateTree(t, d, xin.data(), yin.data());
    r.length = t.length;
    delete[] t.nodes;
    if (exact) r.exact = solver.rsmt(d, xin.data(), yin.data());
    return r;
}

}  // namespace flutecheck
