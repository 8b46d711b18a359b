#pragma once
// Union-find over elements 0..n-1 with path compression and union by rank.

#include <vector>

struct DisjointSet {
    std::vector<int> parent;  // -1 for a root
    std::vector<int> rank;    // upper bound of the height under a root

    // Grows to n elements; new ones are singleton sets, existing ones stay.
    void AddSet(int n);
    void clear();
    // Root of i's set; every element on the way ends up pointing at the root.
    int Find(int i);
    // Joins the sets of a and b, which must have different roots. On equal
    // ranks the root of a wins.
    void Union(int a, int b);
};
