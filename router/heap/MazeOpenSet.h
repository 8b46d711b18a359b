#pragma once
// The open set of the maze search: a Fibonacci heap and a sorted deque whose
// records sit in a pool of their own, one record per insertion, linked by
// 32-bit pool slot. A search inserts a few hundred to a few thousand cells, so
// the records it links are contiguous and stay in the nearest caches, however
// far apart the cells are on the grid. The rules are those of the public heap
// (FibCore.h): slots replace the cells one for one, so the same cell comes out
// of every extraction, ties included.

#include <cstddef>
#include <cstdint>
#include <vector>


constexpr uint32_t kNoCell = 0xFFFFFFFFu;

// The heap's root list is kept in two arrays rather than linked through the
// records: `roots` in list order from the root (as the last consolidation left
// it) and `fresh`, the nodes added since, each linked immediately right of the
// root, so that the list reads roots[0], fresh in reverse, roots[1], ...
// A consolidation then reads its roots from contiguous memory instead of
// chasing one record to find the next. Child lists stay linked in the records,
// circular through the right link only: a child is cut from its list by
// walking round to its predecessor, which the search rarely needs, and a link
// writes two records instead of four.
struct MazeHeap {
    int count = 0;
    int D = -1;
    std::vector<uint32_t> degreeTable;  // sized once for the largest count
    uint32_t min = kNoCell;
    std::vector<uint32_t> roots;  // the first rootCount entries are in use
    size_t rootCount = 0;
    std::vector<uint32_t> fresh;
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


// One insertion into the open set, 24 bytes: the key beside the heap or deque
// links, and the cell it stands for (index x * Y + y). A record is in the heap
// or in the deque, never both, so the deque's previous link reuses hChild.
struct OpenRecord {
    float key;
    uint32_t hRight;  // (in the deque: next)
    uint32_t hParent;
    uint32_t hChild;  // (in the deque: previous)
    uint32_t cell;
    uint8_t hDegree;
    uint8_t hMark;
    bool inQueue;  // in the deque rather than the heap
};
static_assert(sizeof(OpenRecord) == 24, "an open-set record is 24 bytes");

// The search state of one layer-0 G-cell, 32 bytes: the key, the slot of its
// open-set record while it is open (kNoCell otherwise), the stamps, the path
// cost, estimate and length and the parent's index. The maze search keeps
// these in their own dense array.
struct MazeNode {
    float key = 2147483648.0f;
    uint32_t slot = kNoCell;
    int visit = -1;
    int target = -1;
    float g = 0.0f;
    int h = 0;
    int length = 0;
    uint32_t parent = kNoCell;
};
static_assert(sizeof(MazeNode) == 32, "a search node is 32 bytes");

// The pool of open-set records of one search, linked by slot (the policy of
// FibCore.h). It only grows; a search starts again from slot 0.
struct OpenPool {
    using Ref = uint32_t;
    static constexpr uint32_t nil = kNoCell;
    OpenRecord* c = nullptr;
    uint32_t used = 0;
    std::vector<OpenRecord> records;
    float key(Ref r) const { return c[r].key; }
    void setKey(Ref r, float k) { c[r].key = k; }
    Ref& left(Ref r) { return c[r].hChild; }
    Ref& right(Ref r) { return c[r].hRight; }
    Ref& parent(Ref r) { return c[r].hParent; }
    Ref& child(Ref r) { return c[r].hChild; }
    uint8_t& degree(Ref r) { return c[r].hDegree; }
    uint8_t& mark(Ref r) { return c[r].hMark; }
    // A new record for cell with key k; its links are set when it is linked.
    uint32_t take(uint32_t cell, float k) {
        if (used == records.size()) {
            records.resize(records.empty() ? 4096 : 2 * records.size());
            c = records.data();
        }
        OpenRecord& r = c[used];
        r.key = k;
        r.cell = cell;
        return used++;
    }
};

// Empties the open set and its pool; the cells are not touched.
inline void resetMazeOpenSet(MazeHeap& h, MazeQueue& q, OpenPool& p) {
    h.count = 0;
    h.D = -1;
    h.min = kNoCell;
    h.rootCount = 0;
    h.fresh.clear();
    q.count = 0;
    q.head = q.tail = kNoCell;
    p.used = 0;
}

// The heap operations of FibCore.h on a MazeHeap over the pool, with the same
// results: the same record comes out of every extraction and the trees are
// linked the same way. Found by argument lookup from FibCore's open-set rules,
// where they take precedence over the generic forms.
void insert(OpenPool& p, MazeHeap& h, uint32_t e);
uint32_t extractMin(OpenPool& p, MazeHeap& h);
// Lowers a record's key (never above its key: the maze search has checked).
void decreaseKey(OpenPool& p, MazeHeap& h, uint32_t node, float key);
