// The maze search's Fibonacci heap over its record pool, with its root list
// kept in arrays (see MazeOpenSet.h); linking, cutting and the choice of the minimum follow
// FibCore.h step for step.

#include "router/heap/MazeOpenSet.h"

#include "router/heap/FibCore.h"



namespace {

// Child lists of the maze heap are circular through right only: a new child
// goes right of the first one, exactly where the doubly linked form puts it.
template <class P>
inline void consolidateRootS(P& p, uint32_t* table, unsigned long long& used, uint32_t x) {
    int d = p.degree(x);
    while (used >> d & 1) {
        uint32_t y = table[d];
        if (p.key(y) < p.key(x)) {
            const uint32_t t = x;
            x = y;
            y = t;
        }
        p.mark(y) = 0;
        p.parent(y) = x;
        const uint32_t a = p.child(x);
        if (a == kNoCell) {
            p.child(x) = y;
            p.right(y) = y;
        } else {
            p.right(y) = p.right(a);
            p.right(a) = y;
        }
        ++p.degree(x);
        used &= ~(1ull << d);
        ++d;
    }
    table[d] = x;
    used |= 1ull << d;
}

template <class P>
void mazeAddRoot(P& p, MazeHeap& h, uint32_t e) {
    p.parent(e) = kNoCell;
    if (h.rootCount == 0) {
        if (h.roots.empty()) h.roots.resize(64);
        h.roots[0] = e;
        h.rootCount = 1;
    } else {
        h.fresh.push_back(e);
    }
}

template <class P>
void insertT(P& p, MazeHeap& h, uint32_t e) {
    p.degree(e) = 0;
    p.mark(e) = 0;
    p.parent(e) = kNoCell;
    p.child(e) = kNoCell;
    mazeAddRoot(p, h, e);
    ++h.count;
    if (h.min == kNoCell || p.key(e) < p.key(h.min)) h.min = e;
}

template <class P>
uint32_t extractMinT(P& p, MazeHeap& h) {
    const uint32_t z = h.min;
    if (z == kNoCell) return kNoCell;

    // The consolidation takes z's children in list order, then the roots
    // that follow z in the root list (roots[0], fresh from the newest,
    // roots[1], ...), around to the one before it. Each is consolidated as it
    // is read: linking rewrites only the links of trees already taken.
    const size_t nFresh = h.fresh.size();
    const size_t n = h.rootCount + nFresh;
    const uint32_t firstChild = p.child(z);
    const size_t k = static_cast<size_t>(p.degree(z)) + n - 1;
    --h.count;
    if (k == 0 || h.count == 0) {
        if (firstChild != kNoCell) {
            uint32_t e = firstChild;
            do {
                p.parent(e) = kNoCell;
                e = p.right(e);
            } while (e != firstChild);
            p.child(z) = kNoCell;
            p.degree(z) = 0;
        }
        h.fresh.clear();
        h.rootCount = 0;
        h.min = kNoCell;
        return z;
    }
    fibcore::growDegreeBound(h);
    uint32_t* const table = fibTable(h, h.D + 1);
    unsigned long long used = 0;
    if (firstChild != kNoCell) {
        uint32_t e = firstChild;
        do {
            const uint32_t next = p.right(e);
            p.parent(e) = kNoCell;
            consolidateRootS(p, table, used, e);
            e = next;
        } while (e != firstChild);
        p.child(z) = kNoCell;
        p.degree(z) = 0;
    }
    const uint32_t* const fresh = h.fresh.data();
    const uint32_t* const roots = h.roots.data();
    auto rootAt = [&](size_t i) { return i == 0 ? roots[0] : (i <= nFresh ? fresh[nFresh - i] : roots[i - nFresh]); };
    size_t pz = 0;  // position of z in the root list
    while (pz < n && rootAt(pz) != z) ++pz;
    for (size_t i = pz + 1; i < n; ++i) consolidateRootS(p, table, used, rootAt(i));
    for (size_t i = 0; i < pz && i < n; ++i) consolidateRootS(p, table, used, rootAt(i));
    h.fresh.clear();

    // The new root list in slot order; the first smallest key is the minimum.
    h.min = kNoCell;
    float minKey = 0.0f;
    size_t trees = 0;  // counted here: the portable popcount is a library call
    for (unsigned long long u = used; u != 0; u &= u - 1) ++trees;
    if (h.roots.size() < trees) h.roots.resize(2 * trees);
    h.rootCount = trees;
    uint32_t* const out = h.roots.data();
    size_t r = 0;
    while (used != 0) {
        const int i = __builtin_ctzll(used);
        used &= used - 1;
        const uint32_t e = table[i];
        out[r++] = e;
        const float ek = p.key(e);
        if (h.min == kNoCell || ek < minKey) {
            h.min = e;
            minKey = ek;
        }
    }
    return z;
}

template <class P>
void decreaseKeyT(P& p, MazeHeap& h, uint32_t node, float key) {
    const float old = p.key(node);
    p.setKey(node, key);
    if (key == old) return;
    uint32_t par = p.parent(node);
    auto cut = [&](uint32_t e) {
        const uint32_t q = p.parent(e);
        if (p.right(e) == e) {
            p.child(q) = kNoCell;
        } else {
            if (p.child(q) == e) p.child(q) = p.right(e);
            uint32_t pred = p.right(e);
            while (p.right(pred) != e) pred = p.right(pred);
            p.right(pred) = p.right(e);
            p.right(e) = e;
        }
        --p.degree(q);
        p.mark(e) = 0;
        mazeAddRoot(p, h, e);
    };
    if (par != kNoCell && !(p.key(par) < key)) {
        cut(node);
        // Cascading cut.
        while (p.parent(par) != kNoCell) {
            if (!p.mark(par)) {
                p.mark(par) = 1;
                break;
            }
            const uint32_t pp = p.parent(par);
            cut(par);
            par = pp;
        }
    }
    if (h.min == kNoCell || key <= p.key(h.min)) h.min = node;
}

}  // namespace

void insert(OpenPool& p, MazeHeap& h, uint32_t e) { insertT(p, h, e); }
uint32_t extractMin(OpenPool& p, MazeHeap& h) { return extractMinT(p, h); }
void decreaseKey(OpenPool& p, MazeHeap& h, uint32_t node, float key) { decreaseKeyT(p, h, node, key); }
