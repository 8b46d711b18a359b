#pragma once
// Pin-order permutations of the FLUTE tables: group indices and symmetry classes.
//
// A net of d pins in rank form is the permutation s: s[i] is the x rank of the
// pin of y rank i. The table reader folds permutations into groups (the order
// of the two lowest pins is ignored, x-mirrored groups are served flipped).
// The potentially optimal wirelength vectors of a permutation carry over to
// another one under x-mirror, y-mirror, transpose and the exchange of the two
// extreme pins on any side, with the gap weights permuted accordingly; this
// file computes those classes so that each needs sampling only once.

#include <algorithm>
#include <array>
#include <cstdint>
#include <vector>

namespace flutegen {

constexpr int kMaxD = 9;
using Perm = std::array<int, kMaxD>;
// Gap permutation: weight j of a frame = weight map[j] of the class representative.
// Gaps 0 .. d-2 are the y gaps (between y ranks j and j+1), d-1 .. 2d-3 the x gaps.
using GapMap = std::array<uint8_t, 2 * (kMaxD - 1)>;

inline int factorial(int n) {
    int f = 1;
    for (int i = 2; i <= n; ++i) f *= i;
    return f;
}

// Number of stored groups of degree d (d!/4 for d >= 4).
inline int groupCount(int d) { return d < 4 ? 0 : factorial(d) / 4; }

// Group index exactly as the table reader computes it, before the flip fold.
inline int groupIndex(int d, const int* s) {
    int k = (s[0] < s[2] ? 1 : 0) + (s[1] < s[2] ? 1 : 0);
    for (int i = 3; i < d; ++i) {
        int p = s[i];
        for (int j = i + 1; j < d; ++j)
            if (s[j] < s[i]) --p;
        k = k * (i + 1) + p;
    }
    return k;
}

// Lehmer rank of a permutation, 0 .. d!-1.
inline int permRank(int d, const int* s) {
    int r = 0;
    for (int i = 0; i < d; ++i) {
        int c = 0;
        for (int j = i + 1; j < d; ++j)
            if (s[j] < s[i]) ++c;
        r = r * (d - i) + c;
    }
    return r;
}

inline Perm permUnrank(int d, int r) {
    int digits[kMaxD];
    for (int i = d - 1; i >= 0; --i) {
        digits[i] = r % (d - i);
        r /= (d - i);
    }
    std::vector<int> left;
    for (int i = 0; i < d; ++i) left.push_back(i);
    Perm s{};
    for (int i = 0; i < d; ++i) {
        s[i] = left[digits[i]];
        left.erase(left.begin() + digits[i]);
    }
    return s;
}

// The stored frame of a permutation: the two lowest pins ordered with the
// higher x rank first, and the two highest pins likewise. The reader exchanges
// the links of those pins when the net has them the other way round.
inline Perm canonicalFrame(int d, Perm s) {
    if (s[0] < s[1]) std::swap(s[0], s[1]);
    if (s[d - 2] < s[d - 1]) std::swap(s[d - 2], s[d - 1]);
    return s;
}

struct SymmetryClasses {
    int d = 0;
    std::vector<int> classOf;   // per permutation rank: class number
    std::vector<int> repRank;   // per class: rank of its representative
    std::vector<GapMap> gapMap; // per permutation rank: weights from the representative's frame
};

// Applies one generator to s; writes the gap permutation of the step into q
// (new weight j = old weight q[j]).
inline Perm applyGenerator(int d, int g, const Perm& s, GapMap& q) {
    if (d < 2 || d > kMaxD) return s;
    const int ny = d - 1;  // y gaps first, then x gaps
    for (int j = 0; j < 2 * ny; ++j) q[j] = static_cast<uint8_t>(j);
    Perm t = s;
    switch (g) {
    case 0:  // x mirror
        for (int i = 0; i < d; ++i) t[i] = d - 1 - s[i];
        for (int j = 0; j < ny; ++j) q[ny + j] = static_cast<uint8_t>(ny + (ny - 1 - j));
        break;
    case 1:  // y mirror
        for (int i = 0; i < d; ++i) t[i] = s[d - 1 - i];
        for (int j = 0; j < ny; ++j) q[j] = static_cast<uint8_t>(ny - 1 - j);
        break;
    case 2:  // transpose
        for (int i = 0; i < d; ++i) t[s[i]] = i;
        for (int j = 0; j < ny; ++j) q[j] = static_cast<uint8_t>(ny + j), q[ny + j] = static_cast<uint8_t>(j);
        break;
    case 3:  // exchange the two lowest pins
        std::swap(t[0], t[1]);
        break;
    case 4:  // exchange the two highest pins
        if (d >= 2) std::swap(t[d - 2], t[d - 1]);
        break;
    case 5:  // exchange the two leftmost pins
    case 6:  // exchange the two rightmost pins
        for (int i = 0; i < d; ++i) {
            const int a = g == 5 ? 0 : d - 2;
            if (s[i] == a) t[i] = a + 1;
            else if (s[i] == a + 1) t[i] = a;
        }
        break;
    }
    return t;
}

inline SymmetryClasses buildSymmetryClasses(int d) {
    SymmetryClasses sc;
    sc.d = d;
    const int n = factorial(d);
    sc.classOf.assign(n, -1);
    sc.gapMap.resize(n);
    std::vector<int> queue;
    for (int r0 = 0; r0 < n; ++r0) {
        if (sc.classOf[r0] >= 0) continue;
        const int cls = static_cast<int>(sc.repRank.size());
        sc.repRank.push_back(r0);
        sc.classOf[r0] = cls;
        for (int j = 0; j < 2 * (d - 1); ++j) sc.gapMap[r0][j] = static_cast<uint8_t>(j);
        queue.assign(1, r0);
        for (size_t qi = 0; qi < queue.size(); ++qi) {
            const int r = queue[qi];
            const Perm s = permUnrank(d, r);
            for (int g = 0; g < 7; ++g) {
                GapMap q{};
                const Perm t = applyGenerator(d, g, s, q);
                const int rt = permRank(d, t.data());
                if (sc.classOf[rt] >= 0) continue;
                sc.classOf[rt] = cls;
                for (int j = 0; j < 2 * (d - 1); ++j) sc.gapMap[rt][j] = sc.gapMap[r][q[j]];
                queue.push_back(rt);
            }
        }
    }
    return sc;
}

}  // namespace flutegen
