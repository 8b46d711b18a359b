// The maze search's Fibonacci heap over its record pool, with its root list
// kept in arrays (see MazeOpenSet.h); linking, cutting and the choice of the minimum follow
// FibCore.h step for step.

#include "router/MazeOpenSet.h"

#include "router/FibCore.h"
#include "router/GlobalRouter.h"


namespace {

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

    // The walk of the consolidation: z's children, then the roots that follow
    // z in the list, around to the one before it.
    // A node's degree is its number of children, so the walk holds at most
    // degree(z) + roots + fresh entries; it is written through a plain pointer
    // into scratch memory that only ever grows.
    const size_t nFresh = h.fresh.size();
    const size_t nRoots = h.rootCount;
    const size_t n = nRoots + nFresh;
    const size_t need = static_cast<size_t>(p.degree(z)) + 2 * n;
    std::vector<uint32_t>& walk = h.walk;
    if (walk.size() < need) walk.resize(need);
    uint32_t* const w = walk.data();
    size_t k = 0;
    if (uint32_t c = p.child(z); c != kNoCell) {
        uint32_t e = c;
        do {
            p.parent(e) = kNoCell;
            w[k++] = e;
            e = p.right(e);
        } while (e != c);
        p.child(z) = kNoCell;
        p.degree(z) = 0;
    }
    // The root list in order (roots[0], fresh from the newest, roots[1], ...),
    // laid out after the walk's end; then the roots that follow z, around to
    // the one before it, are appended to the walk.
    if (n > 0) {
        uint32_t* const list = w + k + n;
        const uint32_t* const fresh = h.fresh.data();
        const uint32_t* const roots = h.roots.data();
        list[0] = roots[0];
        for (size_t i = 0; i < nFresh; ++i) list[1 + i] = fresh[nFresh - 1 - i];
        for (size_t i = 1; i < nRoots; ++i) list[nFresh + i] = roots[i];
        size_t pz = 0;  // position of z in the list
        while (pz < n && list[pz] != z) ++pz;
        for (size_t i = pz + 1; i < n; ++i) w[k++] = list[i];
        for (size_t i = 0; i < pz && i < n; ++i) w[k++] = list[i];
    }
    --h.count;
    h.fresh.clear();
    h.rootCount = 0;
    if (k == 0 || h.count == 0) {
        h.min = kNoCell;
        return z;
    }

    fibcore::growDegreeBound(h);
    uint32_t* table = fibTable(h, h.D + 1);
    unsigned long long used = 0;
    for (size_t i = 0; i < k; ++i) fibcore::consolidateRoot(p, table, used, w[i]);

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
            fibcore::unlink(p, e);
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
