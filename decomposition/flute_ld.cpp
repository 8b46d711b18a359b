// FLUTE entry point and optimal trees of up to 9 pins from the lookup tables.
#include <cstdio>
#include <cstdlib>

#include "decomposition/flute.h"

Tree flute(int d, int* x, int* y, int acc) {
    if (d < 2 || d > FLUTE_MAXD) {
        fprintf(stderr, "flute: a net of %d pins is outside the supported range 2..%d\n", d, FLUTE_MAXD);
        exit(1);
    }
    Tree t;
    if (d == 2) {
        t.degree = 2;
        t.length = abs(x[0] - x[1]) + abs(y[0] - y[1]);
        t.nodes = new TreeNode[2];
        t.nodes[0] = {x[0], y[0], 1};
        t.nodes[1] = {x[1], y[1], 1};
        return t;
    }
    int px[FLUTE_MAXD], py[FLUTE_MAXD], xrank[FLUTE_MAXD];
    int xs[FLUTE_MAXD], ys[FLUTE_MAXD], s[FLUTE_MAXD];
    for (int i = 0; i < d; ++i) px[i] = x[i], py[i] = y[i];
    // Selection sort by x: position i receives the first pin of least x among i..d-1.
    for (int i = 0; i < d - 1; ++i) {
        int m = i;
        for (int j = i + 1; j < d; ++j)
            if (px[j] < px[m]) m = j;
        int tx = px[i], ty = py[i];
        px[i] = px[m], py[i] = py[m];
        px[m] = tx, py[m] = ty;
    }
    for (int i = 0; i < d; ++i) xs[i] = px[i], xrank[i] = i;
    // The same selection sort by y over the x-ordered pins, carrying their x ranks.
    for (int i = 0; i < d - 1; ++i) {
        int m = i;
        for (int j = i + 1; j < d; ++j)
            if (py[j] < py[m]) m = j;
        int ty = py[i], tr = xrank[i];
        py[i] = py[m], xrank[i] = xrank[m];
        py[m] = ty, xrank[m] = tr;
    }
    for (int i = 0; i < d; ++i) ys[i] = py[i], s[i] = xrank[i];
    if (d <= FLUTE_D) return flutes_LD(d, xs, ys, s);
    return flutes_MD(d, xs, ys, s, acc);
}

Tree flutes_LD(int d, int* xs, int* ys, int* s) {
    Tree t;
    t.degree = d;
    t.nodes = new TreeNode[2 * d - 2];
    TreeNode* node = t.nodes;
    if (d == 2) {
        t.length = (xs[1] - xs[0]) + (ys[1] - ys[0]);
        for (int i = 0; i < 2; ++i) node[i] = {xs[s[i]], ys[i], 1};
        return t;
    }
    if (d == 3) {
        t.length = (xs[2] - xs[0]) + (ys[2] - ys[0]);
        for (int i = 0; i < 3; ++i) node[i] = {xs[s[i]], ys[i], 3};
        node[3] = {xs[1], ys[1], 3};
        return t;
    }
    // Group index of the pin order (the order of the two lowest pins does not count).
    int k = (s[0] < s[2] ? 1 : 0) + (s[1] < s[2] ? 1 : 0);
    for (int i = 3; i < d; ++i) {
        int p = s[i];
        for (int j = i + 1; j < d; ++j)
            if (s[j] < s[i]) --p;
        k = k * (i + 1) + p;
    }
    // Interior gaps: dd[1..d-3] along y, dd[d..2d-4] along x (mirrored when flipped).
    int dd[2 * FLUTE_D - 2];
    const bool flip = k >= numgrp[d];
    if (flip) {
        k = 2 * numgrp[d] - 1 - k;
        for (int i = 1; i <= d - 3; ++i) {
            dd[i] = ys[i + 1] - ys[i];
            dd[d - 1 + i] = xs[d - 1 - i] - xs[d - 2 - i];
        }
    } else {
        for (int i = 1; i <= d - 3; ++i) {
            dd[i] = ys[i + 1] - ys[i];
            dd[d - 1 + i] = xs[i + 1] - xs[i];
        }
    }
    const FluteSolution* sols = LUT[d][k];
    const int ns = numsoln[d][k];
    if (!sols || ns < 1) {
        fprintf(stderr, "flute: the lookup tables for %d pins are not loaded\n", d);
        exit(1);
    }
    // Solution lengths, each from its parent's; solution 0 is the half-perimeter base.
    int len[256];
    len[0] = (xs[d - 1] - xs[0]) + (ys[d - 1] - ys[0]);
    int best = 1;
    {
        int l = len[0];
        for (const unsigned char* g = sols[0].seg; *g; ++g) l += dd[*g];
        len[1] = l;
    }
    for (int j = 2; j <= ns; ++j) {
        const FluteSolution& sol = sols[j - 1];
        int l = len[sol.parent];
        for (const unsigned char* g = sol.seg; *g; ++g) l += dd[*g];
        for (const unsigned char* g = sol.seg + 10; *g; --g) l -= dd[*g];
        len[j] = l;
        if (l < len[best]) best = j;
    }
    const FluteSolution& sol = sols[best - 1];
    t.length = len[best];
    for (int i = 0; i < d; ++i) node[i] = {xs[s[i]], ys[i], sol.neighbour[i]};
    // The stored trees have the two lowest (and two highest) pins in one x order;
    // for the other order the two pins trade their links.
    const bool swapLow = flip ? s[1] < s[0] : s[0] < s[1];
    const bool swapHigh = flip ? s[d - 1] < s[d - 2] : s[d - 2] < s[d - 1];
    if (swapLow) {
        node[0].neighbour = sol.neighbour[1];
        node[1].neighbour = sol.neighbour[0];
    }
    if (swapHigh) {
        node[d - 2].neighbour = sol.neighbour[d - 1];
        node[d - 1].neighbour = sol.neighbour[d - 2];
    }
    for (int i = d; i < 2 * d - 2; ++i) {
        const int r = sol.steiner[i - d];
        const int xr = flip ? d - 1 - (r % 16) : r % 16;
        node[i] = {xs[xr], ys[r / 16], sol.neighbour[i]};
    }
    return t;
}
