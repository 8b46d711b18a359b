#pragma once
// The node rules of the public heap and deque (fib.h) over GridCells: the node
// embedded in each cell, linked by pointer, its key read from the cell.

#include "router/heap/GridCell.h"

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

// The node embedded in a cell, pointed back at it.
inline fibheap_el* nodeOf(void* record) {
    fibheap_el* e = &static_cast<GridCell*>(record)->node;
    e->data = record;
    return e;
}
