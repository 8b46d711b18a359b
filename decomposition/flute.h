#pragma once
// FLUTE rectilinear Steiner trees from lookup tables.
//
// Nets of up to 9 pins are solved optimally from the tables "POWV9.dat" (the
// potentially optimal wirelength vectors of every pin-order group) and
// "POST9.dat" (the Steiner positions and tree links of each stored solution).
// Larger nets are split until the pieces fit the tables, then merged.

#include <cstdio>

#include "database/Refusal.h"

// Largest degree solved straight from the tables, and largest net degree.
constexpr int FLUTE_D = 9;
constexpr int FLUTE_MAXD = 1000;
// Number of groups stored per degree (d!/4); the biggest is that of degree 9.
constexpr int FLUTE_MGROUP = 90720;

struct TreeNode {
    int x;
    int y;
    int neighbour;  // index of the node this one is joined to; the root names itself
};

// A Steiner tree: nodes 0 .. degree-1 are the pins, degree .. 2*degree-3 the
// Steiner points. The node array is allocated with new[] by flute and belongs
// to the caller, who releases it with delete[] tree.nodes.
struct Tree {
    int degree;
    int length;
    TreeNode* nodes;
};

// One stored solution of a group.
struct FluteSolution {
    unsigned char parent;               // earlier solution the length starts from (0: base)
    unsigned char seg[11];              // add list from 0 upward, subtract list from 10 downward
    unsigned char steiner[FLUTE_D - 2]; // low 4 bits x rank, high 4 bits y rank
    unsigned char neighbour[2 * FLUTE_D - 2];
};

extern int numgrp[FLUTE_D + 1];
extern int numsoln[FLUTE_D + 1][FLUTE_MGROUP];
extern FluteSolution* LUT[FLUTE_D + 1][FLUTE_MGROUP];

// Loads "POWV9.dat" and "POST9.dat" from the working directory (again on every call).
void readLUT();

// Loads the tables of degrees 4 .. topDegree from two open files, which must
// end there. A table that fails a check is refused through fluteTableRefusal.
void loadLUT(FILE* powv, FILE* post, int topDegree = FLUTE_D);

// Refusal hook of the table reader (see database/Refusal.h).
extern RefusalHandler fluteTableRefusal;

// Steiner tree of the d pins (x[i], y[i]), 2 <= d <= FLUTE_MAXD. The tables must be loaded for d > 3.
Tree flute(int d, int* x, int* y, int acc);

// Rank form: xs ascending x values, ys ascending y values, s[i] the x rank of the pin of y rank i.
Tree flutes_LD(int d, int* xs, int* ys, int* s);
Tree flutes_MD(int d, int* xs, int* ys, int* s, int acc);

// Merges of two pieces of a split net (see flute_merge.cpp).
Tree dmergetree(Tree t1, Tree t2);
Tree hmergetree(Tree t1, Tree t2, int* s);
Tree vmergetree(Tree t1, Tree t2);
