#include "decomposition/DisjointSet.h"

void DisjointSet::AddSet(int n) {
    parent.resize(n, -1);
    rank.resize(n, 0);
}

void DisjointSet::clear() {
    parent.clear();
    rank.clear();
}

int DisjointSet::Find(int i) {
    if (parent[i] == -1) return i;
    parent[i] = Find(parent[i]);
    return parent[i];
}

void DisjointSet::Union(int a, int b) {
    int ra = parent[a] == -1 ? a : (parent[a] = Find(parent[a]));
    int rb = parent[b] == -1 ? b : (parent[b] = Find(parent[b]));
    if (ra == rb) return;  // already one set: joining again would make a cycle
    if (rank[ra] > rank[rb]) {
        parent[rb] = ra;
    } else if (rank[ra] < rank[rb]) {
        parent[ra] = rb;
    } else {
        parent[rb] = ra;
        ++rank[ra];
    }
}
