// Intrusive Fibonacci heap and sorted deque of the maze search, and the rule
// that decides which of the two takes a cell.

#include "router/fib.h"

#include <cstdio>

#include "router/GlobalRouter.h"

namespace {

inline float keyOf(const fibheap_el* e) { return static_cast<const GridCell*>(e->data)->key; }

// Largest degree any node can reach in a Fibonacci heap of n nodes, plus one
// slot of margin: a node of degree k roots a subtree of at least F(k+2) nodes.
int degreeBound(int n) {
    long long a = 1, b = 2;  // F(k+2), F(k+3) for k = 0
    int k = 0;
    while (b <= n) {
        long long c = a + b;
        a = b;
        b = c;
        ++k;
    }
    return k + 1;
}

// Splices the circular list holding b into the circular list holding a, right of a.
inline void spliceRight(fibheap_el* a, fibheap_el* b) {
    fibheap_el* aRight = a->right;
    fibheap_el* bLeft = b->left;
    a->right = b;
    b->left = a;
    bLeft->right = aRight;
    aRight->left = bLeft;
}

inline void unlink(fibheap_el* e) {
    e->left->right = e->right;
    e->right->left = e->left;
    e->left = e->right = e;
}

void addRoot(fibheap* h, fibheap_el* e) {
    e->parent = nullptr;
    if (h->root == nullptr) {
        e->left = e->right = e;
        h->root = e;
    } else {
        e->left = e->right = e;
        spliceRight(h->root, e);
    }
}

void ensureTable(fibheap* h, int slots) {
    if (slots <= h->degreeTableSize) return;
    delete[] h->degreeTable;
    h->degreeTable = new fibheap_el*[slots]();
    h->degreeTableSize = slots;
}

// Cuts e from its parent and makes it a root.
void cut(fibheap* h, fibheap_el* e) {
    fibheap_el* p = e->parent;
    if (e->right == e) {
        p->child = nullptr;
    } else {
        if (p->child == e) p->child = e->right;
        unlink(e);
    }
    --p->degree;
    e->mark = 0;
    addRoot(h, e);
}

}  // namespace

fibheap* fh_makekeyheap(int /*blockSize*/, int maxCount) {
    fibheap* h = new fibheap();
    ensureTable(h, degreeBound(maxCount > 1 ? maxCount : 1) + 1);
    return h;
}

void fh_insert(fibheap* h, void* record) {
    fibheap_el* e = &static_cast<GridCell*>(record)->node;
    e->degree = 0;
    e->mark = 0;
    e->parent = nullptr;
    e->child = nullptr;
    e->data = record;
    addRoot(h, e);
    ++h->count;
    if (h->min == nullptr || keyOf(e) < keyOf(h->min)) h->min = e;
}

void* fh_extractmin(fibheap* h) {
    fibheap_el* z = h->min;
    if (z == nullptr) return nullptr;

    // Children of the minimum become roots.
    if (fibheap_el* c = z->child) {
        fibheap_el* e = c;
        do {
            e->parent = nullptr;
            e = e->right;
        } while (e != c);
        spliceRight(z, c);
        z->child = nullptr;
        z->degree = 0;
    }
    fibheap_el* next = z->right;
    const bool alone = next == z;
    unlink(z);
    --h->count;
    if (alone || h->count == 0) {
        h->min = nullptr;
        h->root = nullptr;
        return z->data;
    }
    h->root = next;

    // Degree bound: only ever grows while the heap is in use.
    const int need = degreeBound(h->count);
    if (h->D < need) h->D = need;
    ensureTable(h, h->D + 1);
    fibheap_el** table = h->degreeTable;
    for (int i = 0; i <= h->D; ++i) table[i] = nullptr;

    // Consolidate: take the roots off one by one, linking equal degrees.
    fibheap_el* r = h->root;
    while (r != nullptr) {
        fibheap_el* x = r;
        if (r->right == r) {
            r = nullptr;
        } else {
            r = r->right;
            unlink(x);
        }
        x->parent = nullptr;
        int d = x->degree;
        while (table[d] != nullptr) {
            fibheap_el* y = table[d];
            if (keyOf(y) < keyOf(x)) {
                fibheap_el* t = x;
                x = y;
                y = t;
            }
            // Link y below x.
            y->mark = 0;
            y->parent = x;
            y->left = y->right = y;
            if (x->child == nullptr)
                x->child = y;
            else
                spliceRight(x->child, y);
            ++x->degree;
            table[d] = nullptr;
            ++d;
        }
        table[d] = x;
    }

    // Rebuild the root list in slot order; the first smallest key is the minimum.
    h->root = nullptr;
    h->min = nullptr;
    for (int i = 0; i <= h->D; ++i) {
        fibheap_el* e = table[i];
        if (e == nullptr) continue;
        table[i] = nullptr;
        e->left = e->right = e;
        if (h->root == nullptr)
            h->root = e;
        else
            spliceRight(h->root->left, e);  // appended: the list keeps slot order
        if (h->min == nullptr || keyOf(e) < keyOf(h->min)) h->min = e;
    }
    return z->data;
}

float fh_replacekey(fibheap* h, fibheap_el* node, float key) {
    GridCell* rec = static_cast<GridCell*>(node->data);
    const float old = rec->key;
    if (key > old) {
        printf("cant increase key\n");
        return old;
    }
    rec->key = key;
    if (key == old) return old;

    fibheap_el* p = node->parent;
    if (p != nullptr && !(keyOf(p) < key)) {
        cut(h, node);
        // Cascading cut.
        while (p->parent != nullptr) {
            if (!p->mark) {
                p->mark = 1;
                break;
            }
            fibheap_el* pp = p->parent;
            cut(h, p);
            p = pp;
        }
    }
    if (h->min == nullptr || key <= keyOf(h->min)) h->min = node;
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
    fibheap_el* e = &static_cast<GridCell*>(record)->node;
    e->data = record;
    e->left = nullptr;
    if (q->head == nullptr) {
        e->right = nullptr;
        q->head = q->tail = e;
    } else {
        e->right = q->head;
        q->head->left = e;
        q->head = e;
    }
    ++q->count;
}

void fh_push_back(fibque* q, void* record) {
    fibheap_el* e = &static_cast<GridCell*>(record)->node;
    e->data = record;
    e->right = nullptr;
    if (q->tail == nullptr) {
        e->left = nullptr;
        q->head = q->tail = e;
    } else {
        e->left = q->tail;
        q->tail->right = e;
        q->tail = e;
    }
    ++q->count;
}

void* fh_pop(fibque* q) {
    fibheap_el* e = q->head;
    if (e == nullptr) return nullptr;
    if (e->right == nullptr) {
        q->head = q->tail = nullptr;
    } else {
        q->head = e->right;
        q->head->left = nullptr;
        e->right = nullptr;
    }
    --q->count;
    return e->data;
}

bool fh_replace_que(fibque* q, fibheap_el* node, float key) {
    static_cast<GridCell*>(node->data)->key = key;
    fibheap_el* prev = node->left;
    fibheap_el* next = node->right;
    if ((prev == nullptr || key >= keyOf(prev)) && (next == nullptr || keyOf(next) >= key)) return true;
    if (prev != nullptr)
        prev->right = next;
    else
        q->head = next;
    if (next != nullptr)
        next->left = prev;
    else
        q->tail = prev;
    node->left = node->right = nullptr;
    --q->count;
    return false;
}

void fh_que_reset(fibque* q) {
    q->count = 0;
    q->head = nullptr;
    q->tail = nullptr;
}

void GlobalRouter::insertQueues(fibque* q, fibheap* h, void* cell) {
    GridCell* c = static_cast<GridCell*>(cell);
    const float k = c->key;
    if (q->head == nullptr || keyOf(q->head) >= k) {
        fh_push_front(q, cell);
        c->inQueue = true;
    } else if (keyOf(q->tail) <= k && k < keyOf(q->tail) + keyOf(q->tail)) {
        fh_push_back(q, cell);
        c->inQueue = true;
    } else {
        fh_insert(h, cell);
        c->inQueue = false;
    }
}
