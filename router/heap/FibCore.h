#pragma once
// The Fibonacci heap, the sorted deque and the queue-or-heap rules of the maze
// search, written once over a node policy. The public heap (fib.h) links its
// nodes by pointer; the maze search links the G-cells of layer 0 by 32-bit
// index with the key beside the links, so that a heap step touches one cache
// line per node. Both follow exactly the same rules, ties included.
//
// A policy P provides the node handle type Ref, its null value P::nil, and
// key(r), setKey(r, k), left(r), right(r), parent(r), child(r), degree(r),
// mark(r) (the last six return references). A heap state H has count, D, min,
// root and degree-table slots reached through fibTable(H&, slots). A deque
// state Q has count, head and tail; in the deque left is the previous node and
// right the next one.

namespace fibcore {

// Largest degree any node can reach in a Fibonacci heap of n nodes, plus one
// slot of margin: a node of degree k roots a subtree of at least F(k+2) nodes.
inline int degreeBound(int n) {
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

// Fibonacci number F(n) (F(1) = F(2) = 1) for 0 <= n < 64, saturating far
// above any heap size.
inline long long fibonacci(int n) {
    struct Table {
        long long f[64];
        Table() {
            f[0] = 0;
            f[1] = 1;
            for (int i = 2; i < 64; ++i) f[i] = f[i - 1] < (1ll << 40) ? f[i - 1] + f[i - 2] : f[i - 1];
        }
    };
    static const Table table;
    return table.f[n < 63 ? n : 63];
}

// Splices the circular list holding b into the circular list holding a, right of a.
template <class P>
inline void spliceRight(P& p, typename P::Ref a, typename P::Ref b) {
    typename P::Ref aRight = p.right(a);
    typename P::Ref bLeft = p.left(b);
    p.right(a) = b;
    p.left(b) = a;
    p.right(bLeft) = aRight;
    p.left(aRight) = bLeft;
}

template <class P>
inline void unlink(P& p, typename P::Ref e) {
    p.right(p.left(e)) = p.right(e);
    p.left(p.right(e)) = p.left(e);
    p.left(e) = p.right(e) = e;
}

template <class P, class H>
inline void addRoot(P& p, H& h, typename P::Ref e) {
    p.parent(e) = P::nil;
    p.left(e) = p.right(e) = e;
    if (h.root == P::nil)
        h.root = e;
    else
        spliceRight(p, h.root, e);
}

// Cuts e from its parent and makes it a root.
template <class P, class H>
inline void cut(P& p, H& h, typename P::Ref e) {
    typename P::Ref par = p.parent(e);
    if (p.right(e) == e) {
        p.child(par) = P::nil;
    } else {
        if (p.child(par) == e) p.child(par) = p.right(e);
        unlink(p, e);
    }
    --p.degree(par);
    p.mark(e) = 0;
    addRoot(p, h, e);
}

// Degree bound D of a heap: only ever grows while the heap is in use.
// degreeBound(n) exceeds D exactly when n reaches F(D + 2), so the bound is
// recomputed only then.
template <class H>
inline void growDegreeBound(H& h) {
    if (h.D < 0 || static_cast<long long>(h.count) >= fibonacci(h.D + 2)) {
        const int need = degreeBound(h.count);
        if (h.D < need) h.D = need;
    }
}

// One root x of a consolidation: while a tree of its degree waits in the
// table (bit d of used), the one with the larger key becomes a child of the
// other (an equal key keeps x as the parent); the result takes its slot.
template <class P>
inline void consolidateRoot(P& p, typename P::Ref* table, unsigned long long& used, typename P::Ref x) {
    using Ref = typename P::Ref;
    int d = p.degree(x);
    while (used >> d & 1) {
        Ref y = table[d];
        if (p.key(y) < p.key(x)) {
            Ref t = x;
            x = y;
            y = t;
        }
        // Link y below x.
        p.mark(y) = 0;
        p.parent(y) = x;
        p.left(y) = p.right(y) = y;
        if (p.child(x) == P::nil)
            p.child(x) = y;
        else
            spliceRight(p, p.child(x), y);
        ++p.degree(x);
        used &= ~(1ull << d);
        ++d;
    }
    table[d] = x;
    used |= 1ull << d;
}

template <class P, class H>
inline void insert(P& p, H& h, typename P::Ref e) {
    p.degree(e) = 0;
    p.mark(e) = 0;
    p.parent(e) = P::nil;
    p.child(e) = P::nil;
    addRoot(p, h, e);
    ++h.count;
    if (h.min == P::nil || p.key(e) < p.key(h.min)) h.min = e;
}

// Removes and returns the node with the smallest key; P::nil when empty.
template <class P, class H>
typename P::Ref extractMin(P& p, H& h) {
    using Ref = typename P::Ref;
    Ref z = h.min;
    if (z == P::nil) return P::nil;

    // Children of the minimum become roots.
    if (Ref c = p.child(z); c != P::nil) {
        Ref e = c;
        do {
            p.parent(e) = P::nil;
            e = p.right(e);
        } while (e != c);
        spliceRight(p, z, c);
        p.child(z) = P::nil;
        p.degree(z) = 0;
    }
    Ref next = p.right(z);
    const bool alone = next == z;
    unlink(p, z);
    --h.count;
    if (alone || h.count == 0) {
        h.min = P::nil;
        h.root = P::nil;
        return z;
    }
    h.root = next;

    growDegreeBound(h);
    Ref* table = fibTable(h, h.D + 1);
    // Slot d of the table is in use when bit d is set (D stays below 64).
    unsigned long long used = 0;

    // Consolidate: take the roots one by one in list order, linking equal
    // degrees. The old root links are rewritten below, so the walk does not
    // unlink each root first.
    Ref r = h.root;
    const Ref last = p.left(r);
    for (;;) {
        Ref x = r;
        const bool done = x == last;
        r = p.right(x);
        p.parent(x) = P::nil;
        consolidateRoot(p, table, used, x);
        if (done) break;
    }

    // Rebuild the root list in slot order; the first smallest key is the minimum.
    h.root = P::nil;
    h.min = P::nil;
    float minKey = 0.0f;
    while (used != 0) {
        const int i = __builtin_ctzll(used);
        used &= used - 1;
        Ref e = table[i];
        const float k = p.key(e);
        if (h.root == P::nil) {
            p.left(e) = p.right(e) = e;
            h.root = e;
        } else {
            // Appended: the list keeps slot order.
            Ref tail = p.left(h.root);
            p.left(e) = tail;
            p.right(e) = h.root;
            p.right(tail) = e;
            p.left(h.root) = e;
        }
        if (h.min == P::nil || k < minKey) {
            h.min = e;
            minKey = k;
        }
    }
    return z;
}

// Lowers the key of a node in the heap to key (never above its key: the
// caller has checked). Returns nothing; see fh_replacekey for the message.
template <class P, class H>
inline void decreaseKey(P& p, H& h, typename P::Ref node, float key) {
    using Ref = typename P::Ref;
    const float old = p.key(node);
    p.setKey(node, key);
    if (key == old) return;
    Ref par = p.parent(node);
    if (par != P::nil && !(p.key(par) < key)) {
        cut(p, h, node);
        // Cascading cut.
        while (p.parent(par) != P::nil) {
            if (!p.mark(par)) {
                p.mark(par) = 1;
                break;
            }
            Ref pp = p.parent(par);
            cut(p, h, par);
            par = pp;
        }
    }
    if (h.min == P::nil || key <= p.key(h.min)) h.min = node;
}

template <class P, class Q>
inline void pushFront(P& p, Q& q, typename P::Ref e) {
    p.left(e) = P::nil;
    if (q.head == P::nil) {
        p.right(e) = P::nil;
        q.head = q.tail = e;
    } else {
        p.right(e) = q.head;
        p.left(q.head) = e;
        q.head = e;
    }
    ++q.count;
}

template <class P, class Q>
inline void pushBack(P& p, Q& q, typename P::Ref e) {
    p.right(e) = P::nil;
    if (q.tail == P::nil) {
        p.left(e) = P::nil;
        q.head = q.tail = e;
    } else {
        p.left(e) = q.tail;
        p.right(q.tail) = e;
        q.tail = e;
    }
    ++q.count;
}

template <class P, class Q>
inline typename P::Ref pop(P& p, Q& q) {
    typename P::Ref e = q.head;
    if (e == P::nil) return P::nil;
    if (p.right(e) == P::nil) {
        q.head = q.tail = P::nil;
    } else {
        q.head = p.right(e);
        p.left(q.head) = P::nil;
        p.right(e) = P::nil;
    }
    --q.count;
    return e;
}

// Sets the node's key; true when it may stay where it is, false when it was unlinked.
template <class P, class Q>
inline bool replaceInQueue(P& p, Q& q, typename P::Ref node, float key) {
    using Ref = typename P::Ref;
    p.setKey(node, key);
    Ref prev = p.left(node);
    Ref next = p.right(node);
    if ((prev == P::nil || key >= p.key(prev)) && (next == P::nil || p.key(next) >= key)) return true;
    if (prev != P::nil)
        p.right(prev) = next;
    else
        q.head = next;
    if (next != P::nil)
        p.left(next) = prev;
    else
        q.tail = prev;
    p.left(node) = p.right(node) = P::nil;
    --q.count;
    return false;
}

// Queue-or-heap insertion rule: returns true when the node went to the deque.
template <class P, class Q, class H>
inline bool insertOpen(P& p, Q& q, H& h, typename P::Ref e) {
    const float k = p.key(e);
    if (q.head == P::nil || p.key(q.head) >= k) {
        pushFront(p, q, e);
        return true;
    }
    const float tail = p.key(q.tail);
    if (tail <= k && k < tail + tail) {
        pushBack(p, q, e);
        return true;
    }
    insert(p, h, e);
    return false;
}

// Removal rule: the deque's head only when the heap's minimum key is strictly
// greater (equal keys come from the heap first); P::nil when both are empty.
template <class P, class Q, class H>
inline typename P::Ref popOpen(P& p, Q& q, H& h) {
    if (h.min == P::nil) return pop(p, q);
    if (q.head == P::nil) return extractMin(p, h);
    if (p.key(h.min) > p.key(q.head)) return pop(p, q);
    return extractMin(p, h);
}

}  // namespace fibcore
