// Intrusive Fibonacci heap and sorted deque of the maze search over pointer-
// linked nodes. The algorithms themselves live in FibCore.h, shared with the
// maze search's index-linked open set.

#include "router/heap/fib.h"

#include <cstdio>

#include "router/heap/FibCore.h"
#include "router/heap/CellLinks.h"

namespace {

void ensureTable(fibheap* h, int slots) {
    if (slots <= h->degreeTableSize) return;
    delete[] h->degreeTable;
    h->degreeTable = new fibheap_el*[slots]();
    h->degreeTableSize = slots;
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
