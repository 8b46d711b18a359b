// FLUTE trees of more than 9 pins: split the net into two pieces sharing one
// point, solve both, merge. A block of pins that is both leftmost and lowest
// (or leftmost and highest) is split off at its corner at once; otherwise the
// cuts along middle x and y ranks are scored and the best few are solved.
//
// Work arrays are sized by the piece being solved (and zero-initialised)
// rather than fixed at 1000 pins on the stack, so deep splits of large nets
// cannot exhaust the stack.
#include <algorithm>
#include <vector>

#include "decomposition/flute.h"

namespace {

Tree solvePiece(int n, int* xs, int* ys, int* s, int acc) {
    return n <= FLUTE_D ? flutes_LD(n, xs, ys, s) : flutes_MD(n, xs, ys, s, acc);
}

void release(Tree& t) {
    delete[] t.nodes;
    t.nodes = nullptr;
}

// Splits off the corner block, when there is one; returns false otherwise.
bool cornerSplit(int d, int* xs, int* ys, int* s, int acc, Tree& out) {
    std::vector<int> x1(d + 1, 0), y1(d + 1, 0), s1(d + 1, 0), x2(d + 1, 0), y2(d + 1, 0), s2(d + 1, 0);
    int n1 = 0, n2 = 0;
    if (s[0] < s[d - 1]) {
        // The ms+1 lowest pins are exactly the ms+1 leftmost ones.
        int ms = std::max(s[0], s[1]);
        for (int i = 2; i <= ms; ++i) ms = std::max(ms, s[i]);
        if (ms > d - 3) return false;
        for (int i = 0; i <= ms; ++i) x1[i] = xs[i], y1[i] = ys[i], s1[i] = s[i];
        x1[ms + 1] = xs[ms], y1[ms + 1] = ys[ms], s1[ms + 1] = ms + 1;
        n1 = ms + 2;
        for (int i = 0; i <= d - 1 - ms; ++i) x2[i] = xs[ms + i], y2[i] = ys[ms + i];
        s2[0] = 0;
        for (int i = 1; i <= d - 1 - ms; ++i) s2[i] = s[ms + i] - ms;
        n2 = d - ms;
    } else {
        // The ms leftmost pins are exactly the ms highest ones.
        int ms = std::min(s[0], s[1]);
        for (int i = 2; i <= d - 1 - ms; ++i) ms = std::min(ms, s[i]);
        if (ms < 2) return false;
        x1[0] = xs[ms];
        for (int i = 1; i <= d - 1 - ms; ++i) x1[i] = xs[i + ms - 1];
        x1[d - ms] = xs[d - 1];
        for (int i = 0; i <= d - 1 - ms; ++i) y1[i] = ys[i], s1[i] = s[i] - ms + 1;
        y1[d - ms] = ys[d - 1 - ms], s1[d - ms] = 0;
        n1 = d + 1 - ms;
        for (int i = 0; i <= ms; ++i) x2[i] = xs[i], y2[i] = ys[d - 1 - ms + i];
        s2[0] = ms;
        for (int i = 1; i <= ms; ++i) s2[i] = s[i + d - 1 - ms];
        n2 = ms + 1;
    }
    Tree t1 = solvePiece(n1, x1.data(), y1.data(), s1.data(), acc);
    Tree t2 = solvePiece(n2, x2.data(), y2.data(), s2.data(), acc);
    out = dmergetree(t1, t2);
    release(t1);
    release(t2);
    return true;
}

}  // namespace

Tree flutes_MD(int d, int* xs, int* ys, int* s, int acc) {
    Tree corner;
    if (cornerSplit(d, xs, ys, s, acc, corner)) return corner;
    if (acc < 1) acc = 1;

    std::vector<int> si(d, 0), distx(d, 0), disty(d, 0);
    std::vector<float> penalty(d, 0.0f);
    for (int i = 0; i < d; ++i) si[s[i]] = i;

    const int lb = std::max((d - 2 * acc + 2) / 4, 2);
    const int ub = d - 1 - lb;

    // Penalties per x rank: cuts near the middle of the net cost less.
    const float CC = static_cast<float>(7.4 / ((d + 10) * (d - 3)));
    const float DD = static_cast<float>(4.8 / (d - 1));
    const float dx = CC * (xs[d - 2] - xs[1]);
    const float dy = CC * (ys[d - 2] - ys[1]);
    float p = 0;
    for (int r = d / 2; r >= 2; --r) {
        penalty[r] = penalty[d - 1 - r] = p;
        p += dx;
    }
    penalty[1] = penalty[d - 2] = penalty[0] = penalty[d - 1] = p;
    p = dy;
    for (int r = d / 2 - 1; r >= 2; --r) {
        penalty[s[r]] += p;
        penalty[s[d - 1 - r]] += p;
        p += dy;
    }
    penalty[s[1]] += p;
    penalty[s[d - 2]] += p;
    penalty[s[0]] += p;
    penalty[s[d - 1]] += p;

    // Extents of the pins below and above each rank.
    int mins = std::min(s[0], s[1]), maxs = std::max(s[0], s[1]);
    int minsi = std::min(si[0], si[1]), maxsi = std::max(si[0], si[1]);
    for (int r = 2; r <= ub; ++r) {
        if (s[r] < mins) mins = s[r];
        else if (s[r] > maxs) maxs = s[r];
        distx[r] = xs[maxs] - xs[mins];
        if (si[r] < minsi) minsi = si[r];
        else if (si[r] > maxsi) maxsi = si[r];
        disty[r] = ys[maxsi] - ys[minsi] + (xs[d - 1] - xs[0]) - (ys[d - 1] - ys[0]);
    }
    mins = std::min(s[d - 2], s[d - 1]), maxs = std::max(s[d - 2], s[d - 1]);
    minsi = std::min(si[d - 2], si[d - 1]), maxsi = std::max(si[d - 2], si[d - 1]);
    for (int r = d - 3; r >= lb; --r) {
        if (s[r] < mins) mins = s[r];
        else if (s[r] > maxs) maxs = s[r];
        distx[r] += xs[maxs] - xs[mins];
        if (si[r] < minsi) minsi = si[r];
        else if (si[r] > maxsi) maxsi = si[r];
        disty[r] += ys[maxsi] - ys[minsi];
    }

    // Two candidates per rank: the cut at x rank r, then the cut at y rank r.
    const int nbp = 2 * (ub - lb + 1);
    std::vector<float> score(nbp, 0.0f);
    for (int r = lb; r <= ub; ++r) {
        const int i = si[r];
        double a;
        if (i < 2) a = 0.6 * (ys[2] - ys[1]);
        else if (i < d - 2) a = 0.3 * (ys[i + 1] - ys[i - 1]);
        else a = 0.6 * (ys[d - 2] - ys[d - 3]);
        score[2 * (r - lb)] = (xs[r + 1] - xs[r - 1]) - penalty[r] - a - DD * disty[r];
        const int j = s[r];
        double b;
        if (j < 2) b = 0.6 * (xs[2] - xs[1]);
        else if (j < d - 2) b = 0.3 * (xs[j + 1] - xs[j - 1]);
        else b = 0.6 * (xs[d - 2] - xs[d - 3]);
        score[2 * (r - lb) + 1] = (ys[r + 1] - ys[r - 1]) - penalty[j] - b - DD * distx[r];
    }

    int pieceAcc;
    if (acc < 4) {
        pieceAcc = 1;
    } else {
        pieceAcc = acc / 2;
    }
    if (nbp <= acc) acc = nbp - 1;
    if (acc < 1) acc = 1;

    std::vector<int> x1(d, 0), y1(d, 0), s1(d, 0), x2(d, 0), y2(d, 0), s2(d, 0);
    int bestLength = 2147483647, bestCand = -1;
    Tree best1{0, 0, nullptr}, best2{0, 0, nullptr};
    for (int tries = 0; tries < acc; ++tries) {
        int cand = 0;
        for (int c = 1; c < nbp; ++c)
            if (score[c] > score[cand]) cand = c;
        score[cand] = -9e9f;
        const int r = lb + cand / 2;
        int n1 = 0, n2 = 0, shared1 = 0, shared2 = 0, q0 = 0;
        if (cand % 2 == 0) {
            // Cut at x rank r, pins in y order.
            for (int i = 0; i < d; ++i) {
                if (s[i] < r) {
                    y1[n1] = ys[i], s1[n1] = s[i], ++n1;
                } else if (s[i] == r) {
                    shared1 = n1, shared2 = n2;
                    y1[n1] = ys[i], s1[n1] = r, ++n1;
                    y2[n2] = ys[i], s2[n2] = 0, ++n2;
                    q0 = ys[i];
                } else {
                    y2[n2] = ys[i], s2[n2] = s[i] - r, ++n2;
                }
            }
            for (int i = 0; i <= r; ++i) x1[i] = xs[i];
            for (int i = r; i < d; ++i) x2[i - r] = xs[i];
        } else {
            // Cut at y rank r, pins in x order.
            for (int p2 = 0; p2 < d; ++p2) {
                const int q = si[p2];
                if (q < r) {
                    x1[n1] = xs[p2], s1[q] = n1, ++n1;
                } else if (q == r) {
                    x1[n1] = xs[p2], s1[r] = n1, ++n1;
                    x2[n2] = xs[p2], s2[0] = n2, ++n2;
                    q0 = xs[p2];
                } else {
                    x2[n2] = xs[p2], s2[q - r] = n2, ++n2;
                }
            }
            for (int i = 0; i <= r; ++i) y1[i] = ys[i];
            for (int i = r; i < d; ++i) y2[i - r] = ys[i];
            shared1 = r, shared2 = 0;
        }
        Tree t1 = solvePiece(n1, x1.data(), y1.data(), s1.data(), pieceAcc);
        Tree t2 = solvePiece(n2, x2.data(), y2.data(), s2.data(), pieceAcc);
        // The two sides may run along the cut from the shared pin the same way.
        const TreeNode& m1 = t1.nodes[t1.nodes[shared1].neighbour];
        const TreeNode& m2 = t2.nodes[t2.nodes[shared2].neighbour];
        const int q1 = cand % 2 == 0 ? m1.y : m1.x;
        const int q2 = cand % 2 == 0 ? m2.y : m2.x;
        int length = t1.length + t2.length;
        if (q1 < q0 && q2 < q0) length -= q0 - std::max(q1, q2);
        else if (q1 > q0 && q2 > q0) length -= std::min(q1, q2) - q0;
        if (length < bestLength) {
            if (best1.nodes) release(best1), release(best2);
            best1 = t1, best2 = t2;
            bestLength = length;
            bestCand = cand;
        } else {
            release(t1);
            release(t2);
        }
    }
    Tree t = bestCand % 2 == 0 ? hmergetree(best1, best2, s) : vmergetree(best1, best2);
    release(best1);
    release(best2);
    return t;
}
