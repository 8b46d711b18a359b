// Intrusive Fibonacci heap and sorted deque of the maze search over pointer-
// linked nodes, and the rule that decides which of the two takes a cell. The
// algorithms themselves live in FibCore.h, shared with the maze search's
// index-linked open set.

#include "router/maze/fib.h"

#include <cstdio>

#include "router/maze/FibCore.h"
#include "router/core/GlobalRouter.h"

namespace {

// Nodes linked by pointer; the key is read from the owning GridCell.
struct NodeLinks {
    using Ref = fibheap_el*;
    static constexpr fibheap_el* nil = nullptr;
    static float key(const fibheap_el* e) { return static_cast<const GridCell*>(e->data)->key; }
    static void setKey(fibheap_el* e, float k) { static_cast<GridCell*>(e->data)->key = k; }
    static Ref& left(fibheap_el* e) { return e->left; }
    static Ref& right(fibheap_el* e) { return e->right; }
    static Ref& parent(fibheap_el* e) { return e->parent; }
    static Ref& child(fibheap_el* e) { return e->child; }
    static int& degree(fibheap_el* e) { return e->degree; }
    static int& mark(fibheap_el* e) { return e->mark; }
};

void ensureTable(fibheap* h, int slots) {
    if (slots <= h->degreeTableSize) return;
    delete[] h->degreeTable;
    h->degreeTable = new fibheap_el*[slots]();
    h->degreeTableSize = slots;
}

fibheap_el* nodeOf(void* record) {
    fibheap_el* e = &static_cast<GridCell*>(record)->node;
    e->data = record;
    return e;
}

}  // namespace

fibheap_el** fibTable(fibheap& h, int slots) {
    ensureTable(&h, slots);
    return h.degreeTable;
}

fibheap* fh_makekeyheap(int /*blockSize*/, int maxCount) {
    fibheap* h = new fibheap();
    ensureTable(h, fibcore::degreeBound(maxCount > 1 ? maxCount : 1) + 1);
    return h;
}

void fh_insert(fibheap* h, void* record) {
    NodeLinks p;
    fibcore::insert(p, *h, nodeOf(record));
}

void* fh_extractmin(fibheap* h) {
    NodeLinks p;
    fibheap_el* z = fibcore::extractMin(p, *h);
    return z == nullptr ? nullptr : z->data;
}

float fh_replacekey(fibheap* h, fibheap_el* node, float key) {
    const float old = NodeLinks::key(node);
    if (key > old) {
        printf("cant increase key\n");
        return old;
    }
    NodeLinks p;
    fibcore::decreaseKey(p, *h, node, key);
    return old;
}

void fh_resetheap(fibheap* h) {
    h->count = 0;
    h->D = -1;
    h->min = nullptr;
    h->root = nullptr;
}

void fh_deleteheap(fibheap* h) {
    if (h == nullptr) return;
    delete[] h->degreeTable;
    delete h;
}

void fh_push_front(fibque* q, void* record) {
    NodeLinks p;
    fibcore::pushFront(p, *q, nodeOf(record));
}

void fh_push_back(fibque* q, void* record) {
    NodeLinks p;
    fibcore::pushBack(p, *q, nodeOf(record));
}

void* fh_pop(fibque* q) {
    NodeLinks p;
    fibheap_el* e = fibcore::pop(p, *q);
    return e == nullptr ? nullptr : e->data;
}

bool fh_replace_que(fibque* q, fibheap_el* node, float key) {
    NodeLinks p;
    return fibcore::replaceInQueue(p, *q, node, key);
}

void fh_que_reset(fibque* q) {
    q->count = 0;
    q->head = nullptr;
    q->tail = nullptr;
}

void GlobalRouter::insertQueues(fibque* q, fibheap* h, void* cell) {
    NodeLinks p;
    GridCell* c = static_cast<GridCell*>(cell);
    c->inQueue = fibcore::insertOpen(p, *q, *h, nodeOf(cell));
}
