#pragma once
// The grid cell record of the router's searches.

#include <cstddef>

#include "router/heap/fib.h"

// One G-cell on one layer: the node record of the searches over the whole
// grid (the 3D kernels, the public heap of fib.h) and the union-find of the 2D
// maze search, 128 bytes: the search state and coordinates in the first 64
// bytes, the public heap's links in the second line. (The 2D maze
// search keeps its own search state in MazeNode, see MazeOpenSet.h.)
struct alignas(64) GridCell {
    float key = 2147483648.0f;
    bool inOpenSet = false;
    bool inQueue = false;  // in the deque rather than the heap
    int visit = -1;        // search stamp of the search that reached it
    int target = -1;       // search stamp when it is a target
    float g = 0.0f;        // path cost
    int h = 0;             // estimate
    int length = 0;
    int rank = 0;          // union-find rank
    GridCell* parent = nullptr;
    GridCell* ufParent = nullptr;  // union-find parent
    int x = 0;
    int y = 0;
    int z = 0;
    int treeStamp = -1;
    fibheap_el node;               // data points at this cell
};
static_assert(sizeof(GridCell) == 128, "a maze cell is two cache lines");
static_assert(offsetof(GridCell, ufParent) < 64, "the search state fits the first line");
