// Merges of the two trees of a split net.
//
// Each merge copies both trees' nodes into one new array (pins first, then
// t1's Steiner points, then t2's), shifts the links by the offsets of their
// new places, and hangs t1's part from the joining point by reversing the
// links on t1's path from that point to its old root. Pins of trees with three
// or more pins are leaves, so every shifted link lands on a Steiner point.
#include "decomposition/flute.h"

namespace {

// Reverses the links from node c up to its tree's root, so that c names prev.
void reroot(TreeNode* node, int c, int prev) {
    while (node[c].neighbour != c) {
        const int next = node[c].neighbour;
        node[c].neighbour = prev;
        prev = c;
        c = next;
    }
    node[c].neighbour = prev;
}

// Copies the Steiner points of t1 and then of t2 after the d pins of the result.
void copySteiner(const Tree& t1, const Tree& t2, TreeNode* node, int d, int off1, int off2) {
    int at = d;
    for (int i = t1.degree; i < 2 * t1.degree - 2; ++i, ++at)
        node[at] = {t1.nodes[i].x, t1.nodes[i].y, t1.nodes[i].neighbour + off1};
    for (int i = t2.degree; i < 2 * t2.degree - 2; ++i, ++at)
        node[at] = {t2.nodes[i].x, t2.nodes[i].y, t2.nodes[i].neighbour + off2};
}

// Where a junction on a cut line goes: q0 is the shared pin's coordinate across
// the cut, q1 and q2 that of the points the pin is joined to on either side.
int junctionCoord(int q0, int q1, int q2) {
    if (q1 < q0 && q2 < q0) return q1 > q2 ? q1 : q2;
    if (q1 > q0 && q2 > q0) return q1 < q2 ? q1 : q2;
    return q0;
}

}  // namespace

Tree dmergetree(Tree t1, Tree t2) {
    const int d = t1.degree + t2.degree - 2;
    const int off1 = t2.degree - 2, off2 = 2 * t1.degree - 4;
    Tree t;
    t.degree = d;
    t.length = t1.length + t2.length;
    t.nodes = new TreeNode[2 * d - 2];
    TreeNode* node = t.nodes;
    for (int i = 0; i < t1.degree - 1; ++i)
        node[i] = {t1.nodes[i].x, t1.nodes[i].y, t1.nodes[i].neighbour + off1};
    for (int i = 1; i < t2.degree; ++i)
        node[t1.degree - 2 + i] = {t2.nodes[i].x, t2.nodes[i].y, t2.nodes[i].neighbour + off2};
    copySteiner(t1, t2, node, d, off1, off2);
    reroot(node, t1.nodes[t1.degree - 1].neighbour + off1, t2.nodes[0].neighbour + off2);
    return t;
}

Tree hmergetree(Tree t1, Tree t2, int* s) {
    const int d = t1.degree + t2.degree - 1;
    const int off1 = t2.degree - 1, off2 = 2 * t1.degree - 3;
    const int cut = t1.degree - 1;  // x rank of the shared pin
    Tree t;
    t.degree = d;
    t.nodes = new TreeNode[2 * d - 2];
    TreeNode* node = t.nodes;
    int n1 = 0, n2 = 0, shared = 0, shared1 = 0;
    for (int i = 0; i < d; ++i) {
        if (s[i] < cut) {
            const TreeNode& p = t1.nodes[n1++];
            node[i] = {p.x, p.y, p.neighbour + off1};
        } else {
            if (s[i] == cut) shared = i, shared1 = n1++;
            const TreeNode& p = t2.nodes[n2++];
            node[i] = {p.x, p.y, p.neighbour + off2};
        }
    }
    copySteiner(t1, t2, node, d, off1, off2);
    const TreeNode& a = node[shared];
    const int q1 = t1.nodes[t1.nodes[shared1].neighbour].y;
    const int q2 = node[a.neighbour].y;
    const int j = 2 * d - 3;
    node[j] = {a.x, junctionCoord(a.y, q1, q2), a.neighbour};
    node[shared].neighbour = j;
    t.length = t1.length + t2.length - (node[j].y > a.y ? node[j].y - a.y : a.y - node[j].y);
    reroot(node, t1.nodes[shared1].neighbour + off1, j);
    return t;
}

Tree vmergetree(Tree t1, Tree t2) {
    const int d = t1.degree + t2.degree - 1;
    const int off1 = t2.degree - 1, off2 = 2 * t1.degree - 3;
    Tree t;
    t.degree = d;
    t.nodes = new TreeNode[2 * d - 2];
    TreeNode* node = t.nodes;
    for (int i = 0; i < t1.degree - 1; ++i)
        node[i] = {t1.nodes[i].x, t1.nodes[i].y, t1.nodes[i].neighbour + off1};
    for (int i = 0; i < t2.degree; ++i)
        node[t1.degree - 1 + i] = {t2.nodes[i].x, t2.nodes[i].y, t2.nodes[i].neighbour + off2};
    copySteiner(t1, t2, node, d, off1, off2);
    const int shared = t1.degree - 1;
    const TreeNode& a = node[shared];
    const int q1 = t1.nodes[t1.nodes[t1.degree - 1].neighbour].x;
    const int q2 = node[a.neighbour].x;
    const int j = 2 * d - 3;
    node[j] = {junctionCoord(a.x, q1, q2), a.y, a.neighbour};
    node[shared].neighbour = j;
    t.length = t1.length + t2.length - (node[j].x > a.x ? node[j].x - a.x : a.x - node[j].x);
    reroot(node, t1.nodes[t1.degree - 1].neighbour + off1, j);
    return t;
}
