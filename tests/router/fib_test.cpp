// Heap and deque of the maze search: ordering, ties, decrease-key and a
// randomised comparison against a reference multiset.

#include <gtest/gtest.h>

#include <random>
#include <set>
#include <vector>

#include "router/core/GlobalRouter.h"
#include "router/heap/fib.h"

namespace {

struct HeapFixture {
    std::vector<GridCell> cells;
    fibheap* heap;
    fibque queue;
    explicit HeapFixture(int n) : cells(n), heap(fh_makekeyheap(1, n)) {
        for (GridCell& c : cells) c.node.data = &c;
    }
    ~HeapFixture() { fh_deleteheap(heap); }
    void insert(int i, float key) {
        cells[i].key = key;
        fh_insert(heap, &cells[i]);
    }
    GridCell* extract() { return static_cast<GridCell*>(fh_extractmin(heap)); }
};

// Counts the nodes reachable from the root list and checks heap order and
// parent links on the way.
int countNodes(fibheap_el* first, fibheap_el* parent) {
    if (first == nullptr) return 0;
    int n = 0;
    fibheap_el* e = first;
    do {
        EXPECT_EQ(e->parent, parent);
        if (parent != nullptr) {
            EXPECT_LE(static_cast<GridCell*>(parent->data)->key, static_cast<GridCell*>(e->data)->key);
        }
        EXPECT_EQ(e->right->left, e);
        n += 1 + countNodes(e->child, e);
        e = e->right;
    } while (e != first);
    return n;
}

}  // namespace

TEST(FibHeap, EqualKeyKeepsOlderMinimumOnInsert) {
    HeapFixture f(2);
    f.insert(0, 2.0f);
    f.insert(1, 2.0f);
    EXPECT_EQ(f.heap->min, &f.cells[0].node);
}

TEST(FibHeap, ReplaceKeySameKeyChangesNothingLargerKeyIsRefused) {
    HeapFixture f(3);
    f.insert(0, 4.0f);
    f.insert(1, 6.0f);
    EXPECT_EQ(fh_replacekey(f.heap, &f.cells[1].node, 6.0f), 6.0f);
    EXPECT_EQ(f.heap->min, &f.cells[0].node);
    testing::internal::CaptureStdout();
    EXPECT_EQ(fh_replacekey(f.heap, &f.cells[1].node, 9.0f), 6.0f);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "cant increase key\n");
    EXPECT_EQ(f.cells[1].key, 6.0f);
    EXPECT_EQ(fh_replacekey(f.heap, &f.cells[1].node, 1.0f), 6.0f);
    EXPECT_EQ(f.extract(), &f.cells[1]);
    EXPECT_EQ(f.extract(), &f.cells[0]);
}

TEST(FibHeap, ResetEmptiesWithoutTouchingNodes) {
    HeapFixture f(4);
    for (int i = 0; i < 4; ++i) f.insert(i, 1.0f * i);
    f.extract();
    fh_resetheap(f.heap);
    EXPECT_EQ(f.heap->count, 0);
    EXPECT_EQ(f.heap->min, nullptr);
    EXPECT_EQ(f.extract(), nullptr);
    // Nodes may be inserted again afterwards.
    f.insert(2, 9.0f);
    f.insert(3, 8.0f);
    EXPECT_EQ(f.extract(), &f.cells[3]);
}

// Randomised insert / decrease-key / extract against a multiset of keys, with
// many equal keys; the structure is checked now and then.
TEST(FibHeap, RandomisedAgainstReference) {
    for (unsigned seed = 1; seed <= 6; ++seed) {
        const int n = 1500;
        HeapFixture f(n);
        std::mt19937 rng(seed);
        std::multiset<float> ref;
        std::vector<int> inHeap;      // cell indices currently in the heap
        std::vector<int> pos(n, -1);  // position in inHeap
        auto removeFromList = [&](int c) {
            int p = pos[c];
            inHeap[p] = inHeap.back();
            pos[inHeap[p]] = p;
            inHeap.pop_back();
            pos[c] = -1;
        };
        const int keyRange = seed % 2 ? 50 : 100000;
        for (int op = 0; op < 12000; ++op) {
            int r = rng() % 10;
            if (r < 4 && static_cast<int>(inHeap.size()) < n) {
                int c;
                do c = rng() % n;
                while (pos[c] != -1);
                float k = static_cast<float>(rng() % keyRange);
                f.insert(c, k);
                ref.insert(k);
                pos[c] = static_cast<int>(inHeap.size());
                inHeap.push_back(c);
            } else if (r < 8 && !inHeap.empty()) {
                int c = inHeap[rng() % inHeap.size()];
                float old = f.cells[c].key;
                float k = old - static_cast<float>(rng() % 20);
                ref.erase(ref.find(old));
                ref.insert(k);
                EXPECT_EQ(fh_replacekey(f.heap, &f.cells[c].node, k), old);
            } else {
                GridCell* got = f.extract();
                if (ref.empty()) {
                    ASSERT_EQ(got, nullptr);
                    continue;
                }
                ASSERT_NE(got, nullptr);
                ASSERT_EQ(got->key, *ref.begin()) << "seed " << seed << " op " << op;
                ref.erase(ref.begin());
                removeFromList(static_cast<int>(got - f.cells.data()));
            }
            ASSERT_EQ(f.heap->count, static_cast<int>(ref.size()));
            if (op % 997 == 0) {
                ASSERT_EQ(countNodes(f.heap->root, nullptr), f.heap->count);
            }
        }
        while (!ref.empty()) {
            GridCell* got = f.extract();
            ASSERT_NE(got, nullptr);
            ASSERT_EQ(got->key, *ref.begin());
            ref.erase(ref.begin());
        }
        EXPECT_EQ(f.extract(), nullptr);
    }
}

// Build deep, sparse trees with many cuts: extract once from a large heap,
// then lower keys so that trees lose children; every node must come back.
TEST(FibHeap, NoRootLostAfterManyCascadingCuts) {
    const int n = 4096;
    HeapFixture f(n);
    for (int i = 0; i < n; ++i) f.insert(i, static_cast<float>(n + i));
    std::vector<bool> gone(n, false);
    std::mt19937 rng(7);
    float next = static_cast<float>(n);
    for (int round = 0; round < 200; ++round) {
        GridCell* c = f.extract();
        ASSERT_NE(c, nullptr);
        gone[c - f.cells.data()] = true;
        for (int j = 0; j < 8; ++j) {
            int i = rng() % n;
            if (!gone[i] && f.cells[i].key > next) fh_replacekey(f.heap, &f.cells[i].node, next -= 0.5f);
        }
    }
    ASSERT_EQ(countNodes(f.heap->root, nullptr), f.heap->count);
    float last = -1e30f;
    int left = 0;
    while (GridCell* c = f.extract()) {
        EXPECT_LE(last, c->key);
        last = c->key;
        ++left;
    }
    EXPECT_EQ(left, n - 200);
}

// The degree table must cover the largest degree a Fibonacci heap of the
// current size can reach: a node of degree k roots at least F(k+2) nodes.
TEST(FibHeap, DegreeBoundCoversFibonacciTrees) {
    for (int n : {1, 2, 7, 8, 13, 16, 33, 144, 1000, 4181, 100000}) {
        HeapFixture f(n + 1);
        for (int i = 0; i <= n; ++i) f.insert(i, static_cast<float>(i));
        f.extract();
        int k = 0;
        long long a = 1, b = 2;  // F(k+2), F(k+3)
        while (b <= n) {
            long long c = a + b;
            a = b;
            b = c;
            ++k;
        }
        EXPECT_GE(f.heap->D, k) << n;
        EXPECT_GT(f.heap->degreeTableSize, f.heap->D) << n;
    }
}

TEST(FibQueue, PushPopAndSingleNode) {
    std::vector<GridCell> cells(3);
    fibque q;
    cells[0].key = 1.0f;
    fh_push_back(&q, &cells[0]);
    EXPECT_TRUE(fh_replace_que(&q, &cells[0].node, 0.5f));
    EXPECT_EQ(fh_pop(&q), &cells[0]);
    EXPECT_EQ(q.head, nullptr);
    EXPECT_EQ(q.tail, nullptr);
    EXPECT_EQ(q.count, 0);

    cells[1].key = 2.0f;
    cells[2].key = 3.0f;
    fh_push_back(&q, &cells[1]);
    fh_push_back(&q, &cells[2]);
    fh_push_front(&q, &cells[0]);
    EXPECT_EQ(q.count, 3);
    // Out of order: the middle node is unlinked for re-insertion.
    EXPECT_FALSE(fh_replace_que(&q, &cells[1].node, 0.25f));
    EXPECT_EQ(q.count, 2);
    EXPECT_EQ(fh_pop(&q), &cells[0]);
    EXPECT_EQ(fh_pop(&q), &cells[2]);
    EXPECT_EQ(q.count, 0);
    fh_que_reset(&q);
    EXPECT_EQ(q.head, nullptr);
}

TEST(FibQueue, ReplaceAtTailKeepsOrUnlinks) {
    std::vector<GridCell> cells(2);
    fibque q;
    cells[0].key = 1.0f;
    cells[1].key = 5.0f;
    fh_push_back(&q, &cells[0]);
    fh_push_back(&q, &cells[1]);
    EXPECT_TRUE(fh_replace_que(&q, &cells[1].node, 1.0f));  // equal to previous: stays
    EXPECT_FALSE(fh_replace_que(&q, &cells[1].node, 0.5f));
    EXPECT_EQ(q.tail, &cells[0].node);
    EXPECT_EQ(q.head, &cells[0].node);
}

TEST(InsertQueues, ExampleWithTailSix) {
    std::vector<int> pitch{1};
    GlobalRouter r(2, 2, 1, 1, 1, {1}, {1}, pitch);
    std::vector<GridCell> cells(2);
    const float keys[5] = {4.0f, 6.0f, 11.9f, 12.0f, 5.0f};
    const bool toQueue[5] = {true, true, true, false, false};
    for (int i = 0; i < 5; ++i) {
        fibque q;
        fibheap* h = fh_makekeyheap(1, 4);
        cells[0].key = 4.0f;
        cells[1].key = 6.0f;
        fh_push_back(&q, &cells[0]);
        fh_push_back(&q, &cells[1]);
        GridCell c;
        c.key = keys[i];
        r.insertQueues(&q, h, &c);
        EXPECT_EQ(c.inQueue, toQueue[i]) << keys[i];
        EXPECT_EQ(h->count, toQueue[i] ? 0 : 1);
        if (toQueue[i]) {
            EXPECT_TRUE(q.head == &c.node || q.tail == &c.node);
        }
        if (i == 0) {
            EXPECT_EQ(q.head, &c.node);
        }
        fh_deleteheap(h);
    }
}
