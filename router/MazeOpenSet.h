#pragma once
// The open set of the maze search: a Fibonacci heap and a sorted deque over the
// layer-0 G-cells, linked by 32-bit cell index. The links and the key live in
// the first cache line of each GridCell (hLeft .. hMark and key); the rules
// are those of the public heap (FibCore.h).

#include <cstdint>
#include <vector>

constexpr uint32_t kNoCell = 0xFFFFFFFFu;

struct MazeHeap {
    int count = 0;
    int D = -1;
    std::vector<uint32_t> degreeTable;  // sized once for the largest count
    uint32_t min = kNoCell;
    uint32_t root = kNoCell;
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

// Empties both in constant time; the cells are not touched.
inline void resetMazeOpenSet(MazeHeap& h, MazeQueue& q) {
    h.count = 0;
    h.D = -1;
    h.min = h.root = kNoCell;
    q.count = 0;
    q.head = q.tail = kNoCell;
}
