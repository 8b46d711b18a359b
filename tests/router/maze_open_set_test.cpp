// The maze search's index-linked heap must hand out exactly the cells that the
// public pointer-linked heap hands out, ties included: the route found depends
// on which of several equal keys comes first.

#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "router/core/GlobalRouter.h"
#include "router/heap/MazeOpenSet.h"
#include "router/heap/fib.h"

namespace {

struct TwoHeaps {
    std::vector<GridCell> a;  // the public heap's cells
    fibheap* pub;
    MazeHeap maze;
    OpenPool links;  // cell i takes slot i: the cells are inserted in order
    std::vector<bool> inHeap;
    explicit TwoHeaps(int n) : a(n), pub(fh_makekeyheap(1, n)), inHeap(n, false) {
        for (GridCell& c : a) c.node.data = &c;
        fibTable(maze, 64);
    }
    ~TwoHeaps() { fh_deleteheap(pub); }
    void insertBoth(int i, float k) {
        a[i].key = k;
        fh_insert(pub, &a[i]);
        insert(links, maze, links.take(static_cast<uint32_t>(i), k));
        inHeap[i] = true;
    }
    // Extracts from both; returns the index, -1 when both are empty.
    int extractBoth() {
        auto* ca = static_cast<GridCell*>(fh_extractmin(pub));
        const uint32_t ib = extractMin(links, maze);
        if (ca == nullptr) {
            EXPECT_EQ(ib, kNoCell);
            return -1;
        }
        const int ia = static_cast<int>(ca - a.data());
        EXPECT_EQ(static_cast<int>(links.c[ib].cell), ia);
        inHeap[ia] = false;
        return ia;
    }
};

TEST(MazeOpenSet, IndexHeapMatchesThePublicHeapStepForStep) {
    std::mt19937 rng(11);
    for (int round = 0; round < 40; ++round) {
        const int n = 50 + round * 20;
        TwoHeaps t(n);
        // Few distinct keys: most extractions choose among equal keys.
        std::uniform_int_distribution<int> keyOf(0, 6 + round % 5);
        std::uniform_int_distribution<int> pick(0, n - 1);
        std::uniform_int_distribution<int> op(0, 9);
        int next = 0;
        for (int step = 0; step < 6 * n; ++step) {
            const int o = op(rng);
            if (o < 4 && next < n) {
                t.insertBoth(next, static_cast<float>(keyOf(rng)));
                ++next;
            } else if (o < 7) {
                const int i = pick(rng);
                if (!t.inHeap[i] || t.a[i].key <= 0.0f) continue;
                const float k = t.a[i].key - static_cast<float>(1 + pick(rng) % 3);
                fh_replacekey(t.pub, &t.a[i].node, k);
                decreaseKey(t.links, t.maze, static_cast<uint32_t>(i), k);
            } else {
                t.extractBoth();
            }
            if (::testing::Test::HasFailure()) return;
        }
        while (t.extractBoth() >= 0) {
            if (::testing::Test::HasFailure()) return;
        }
        EXPECT_EQ(t.maze.count, 0);
    }
}

}  // namespace
