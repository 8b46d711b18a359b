#pragma once
// The open set of the maze search: a Fibonacci heap and a sorted deque over the
// layer-0 G-cells, linked by 32-bit cell index. The links and the key live in
// the first cache line of each GridCell (hLeft .. hMark and key); the rules
// are those of the public heap (FibCore.h).

#include <cstddef>
#include <cstdint>
#include <vector>


constexpr uint32_t kNoCell = 0xFFFFFFFFu;

// The heap's root list is kept in two arrays rather than linked through the
// cells: `roots` in list order from the root (as the last consolidation left
// it) and `fresh`, the nodes added since, each linked immediately right of the
// root, so that the list reads roots[0], fresh in reverse, roots[1], ...
// A consolidation then reads its roots from contiguous memory instead of
// chasing one cell to find the next. Child lists stay linked in the cells.
struct MazeHeap {
    int count = 0;
    int D = -1;
    std::vector<uint32_t> degreeTable;  // sized once for the largest count
    uint32_t min = kNoCell;
    std::vector<uint32_t> roots;
    std::vector<uint32_t> fresh;
    std::vector<uint32_t> walk;  // scratch of a consolidation
};

struct MazeQueue {
    int count = 0;
    uint32_t head = kNoCell;
    uint32_t tail = kNoCell;
};

// Degree table of at least slots entries (grown when needed).
inline uint32_t* fibTable(MazeHeap& h, int slots) {
    if (h.degreeTable.size() < static_cast<size_t>(slots)) h.degreeTable.resize(slots, kNoCell);
    return h.degreeTable.data();
}

// Empties both; the cells are not touched.
inline void resetMazeOpenSet(MazeHeap& h, MazeQueue& q) {
    h.count = 0;
    h.D = -1;
    h.min = kNoCell;
    h.roots.clear();
    h.fresh.clear();
    q.count = 0;
    q.head = q.tail = kNoCell;
}

// The search state of one layer-0 G-cell, 48 bytes: the open-set links and
// key, the stamps, the path cost, estimate and length and the parent's index.
// The maze search keeps these in their own dense array, so that the cells it
// touches share cache lines and the whole array stays in cache on large grids.
struct MazeNode {
    float key = 2147483648.0f;
    uint32_t hLeft = kNoCell;  // (in the deque: previous)
    uint32_t hRight = kNoCell;  // (in the deque: next)
    uint32_t hParent = kNoCell;
    uint32_t hChild = kNoCell;
    uint8_t hDegree = 0;
    uint8_t hMark = 0;
    bool inOpenSet = false;
    bool inQueue = false;
    int visit = -1;
    int target = -1;
    float g = 0.0f;
    int h = 0;
    int length = 0;
    uint32_t parent = kNoCell;
};
static_assert(sizeof(MazeNode) == 48, "a search node is 48 bytes");

// Records linked by 32-bit index for the open set (the policy of FibCore.h):
// the layer-0 GridCells of the public form and the search's own MazeNodes.
template <class Cell>
struct IndexLinks {
    using Ref = uint32_t;
    static constexpr uint32_t nil = kNoCell;
    Cell* c;
    float key(Ref r) const { return c[r].key; }
    void setKey(Ref r, float k) { c[r].key = k; }
    Ref& left(Ref r) { return c[r].hLeft; }
    Ref& right(Ref r) { return c[r].hRight; }
    Ref& parent(Ref r) { return c[r].hParent; }
    Ref& child(Ref r) { return c[r].hChild; }
    uint8_t& degree(Ref r) { return c[r].hDegree; }
    uint8_t& mark(Ref r) { return c[r].hMark; }
};
struct GridCell;
using CellLinks = IndexLinks<GridCell>;
using SearchLinks = IndexLinks<MazeNode>;

// The heap operations of FibCore.h on a MazeHeap over the layer-0 cells, with
// the same results: the same node comes out of every extraction and the trees
// are linked the same way. Found by argument lookup from FibCore's open-set
// rules, where they take precedence over the generic forms.
void insert(CellLinks& p, MazeHeap& h, uint32_t e);
uint32_t extractMin(CellLinks& p, MazeHeap& h);
// Lowers a node's key (never above its key: the maze search has checked).
void decreaseKey(CellLinks& p, MazeHeap& h, uint32_t node, float key);
void insert(SearchLinks& p, MazeHeap& h, uint32_t e);
uint32_t extractMin(SearchLinks& p, MazeHeap& h);
void decreaseKey(SearchLinks& p, MazeHeap& h, uint32_t node, float key);
