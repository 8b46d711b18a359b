#pragma once
// Turns an exact Hanan-grid tree into a stored FLUTE solution, and encodes a
// group's solutions as table text.
//
// A stored solution is a tree of 2d-2 nodes: the d pins as leaves and d-2
// Steiner points on Hanan grid positions, every link a Manhattan connection.
// Its excess vector holds, per interior gap, how many more times than once the
// tree crosses it; the table lists those gaps (add) or their differences to a
// parent solution (add and subtract).

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "tools/flute_gen/hanan_steiner.h"
#include "tools/flute_gen/perm_groups.h"

namespace flutegen {

struct StoredSolution {
    std::vector<uint8_t> excess;  // 2(d-3) entries: y gaps 1..d-3, then x gaps 1..d-3
    uint8_t steiner[kMaxD - 2] = {};
    uint8_t neighbour[2 * kMaxD - 2] = {};
};

// Table gap index (1-based, as the reader's dd array) of excess entry j.
inline int gapIndex(int d, int j) { return j < d - 3 ? j + 1 : j - (d - 3) + d; }

// Crossing counts of a grid tree per gap: y gaps 0..d-2, then x gaps 0..d-2.
inline std::vector<int> crossings(int d, const std::vector<hanan::GridEdge>& edges) {
    std::vector<int> c(2 * (d - 1), 0);
    for (const auto& e : edges) {
        if (e.horizontal) ++c[d - 1 + e.x];
        else ++c[e.y];
    }
    return c;
}

// Builds the stored solution of the tree given by its unit edges for the
// permutation s (pin i at column s[i], row i). Returns false when the tree is
// not a minimal one (a boundary gap crossed twice, a Steiner point on an
// extreme row, or a wrong node count), which never happens for trees that are
// optimal under positive gap weights.
inline bool buildSolution(int d, const int* s, const std::vector<hanan::GridEdge>& edges, StoredSolution& out) {
    const int n = d * d;
    std::vector<int> cross = crossings(d, edges);
    if (cross[0] != 1 || cross[d - 2] != 1 || cross[d - 1] != 1 || cross[2 * d - 3] != 1) return false;
    out.excess.assign(2 * (d - 3), 0);
    for (int j = 0; j < 2 * (d - 3); ++j) {
        const int g = j < d - 3 ? j + 1 : (d - 1) + (j - (d - 3)) + 1;
        if (cross[g] < 1) return false;
        out.excess[j] = static_cast<uint8_t>(cross[g] - 1);
    }
    // Grid adjacency: bit 0 right, 1 up, 2 left, 3 down.
    std::vector<uint8_t> adj(n, 0);
    for (const auto& e : edges) {
        const int v = e.y * d + e.x;
        if (e.horizontal) adj[v] |= 1, adj[v + 1] |= 4;
        else adj[v] |= 2, adj[v + d] |= 8;
    }
    auto degree = [&](int v) { return __builtin_popcount(adj[v]); };
    std::vector<int> pinAt(n, -1);
    for (int i = 0; i < d; ++i) pinAt[i * d + s[i]] = i;
    // Node list: pins first, Steiner points appended; links as pairs.
    std::vector<int> nodeGrid(d);
    for (int i = 0; i < d; ++i) nodeGrid[i] = i * d + s[i];
    std::vector<int> attach(n, -1);  // node that the links of a key grid point attach to
    std::vector<std::vector<int>> links(d);
    auto newNode = [&](int g) {
        nodeGrid.push_back(g);
        links.emplace_back();
        return static_cast<int>(nodeGrid.size()) - 1;
    };
    auto link = [&](int a, int b) {
        links[a].push_back(b);
        links[b].push_back(a);
    };
    for (int v = 0; v < n; ++v) {
        const int deg = degree(v);
        if (pinAt[v] >= 0) {
            if (deg == 1) {
                attach[v] = pinAt[v];
            } else {
                attach[v] = newNode(v);
                link(pinAt[v], attach[v]);
            }
        } else if (deg >= 3) {
            attach[v] = newNode(v);
        }
    }
    const int dx[4] = {1, 0, -1, 0}, dy[4] = {0, 1, 0, -1};
    for (int v = 0; v < n; ++v) {
        if (attach[v] < 0) continue;
        for (int dir = 0; dir < 4; ++dir) {
            if (!(adj[v] & (1 << dir))) continue;
            // Walk the chain of degree-2 points to the next key point.
            int x = v % d, y = v / d, came = dir;
            x += dx[dir], y += dy[dir];
            while (attach[y * d + x] < 0) {
                const int w = y * d + x;
                const int back = (came + 2) % 4;
                int next = -1;
                for (int k = 0; k < 4; ++k)
                    if ((adj[w] & (1 << k)) && k != back) next = k;
                if (next < 0 || degree(w) != 2) return false;
                came = next;
                x += dx[next], y += dy[next];
            }
            const int w = y * d + x;
            if (v < w) link(attach[v], attach[w]);
        }
    }
    // Split Steiner points of degree 4 or more into chains of degree-3 points.
    for (int a = d; a < static_cast<int>(links.size()); ++a) {
        while (links[a].size() > 3) {
            const int b = newNode(nodeGrid[a]);
            for (int k = 0; k < 2; ++k) {
                const int other = links[a].back();
                links[a].pop_back();
                std::replace(links[other].begin(), links[other].end(), a, b);
                links[b].push_back(other);
            }
            link(a, b);
        }
    }
    if (static_cast<int>(nodeGrid.size()) != 2 * d - 2) return false;
    for (int i = 0; i < d; ++i)
        if (links[i].size() != 1 || links[i][0] < d) return false;
    // Orient towards the root, node d.
    std::vector<int> parent(2 * d - 2, -1), stack{d};
    parent[d] = d;
    while (!stack.empty()) {
        const int a = stack.back();
        stack.pop_back();
        for (int b : links[a]) {
            if (parent[b] >= 0) continue;
            parent[b] = a;
            stack.push_back(b);
        }
    }
    for (int a = 0; a < 2 * d - 2; ++a) {
        if (parent[a] < 0) return false;
        out.neighbour[a] = static_cast<uint8_t>(parent[a]);
    }
    for (int a = d; a < 2 * d - 2; ++a) {
        const int gx = nodeGrid[a] % d, gy = nodeGrid[a] / d;
        if (gy < 1 || gy > d - 2) return false;
        out.steiner[a - d] = static_cast<uint8_t>(gy * 16 + gx);
    }
    return true;
}

// Character of a table value: '0'..'9', then code value + 55.
inline char encodeValue(int v) { return static_cast<char>(v < 10 ? '0' + v : v + 55); }

// Encodes one group that owns its solutions. The first solution is the one of
// least total excess (add list only); every later one names the nearest
// earlier solution or the base as parent (a minimum spanning tree over the
// excess vectors in insertion order), so each record's add and subtract lists
// stay as short as possible. Returns false when a record cannot fit.
inline bool encodeGroup(int d, std::vector<StoredSolution> sols, std::string& powv, std::string& post) {
    const int ns = static_cast<int>(sols.size());
    if (ns < 1 || ns > 200) return false;
    std::sort(sols.begin(), sols.end(), [](const StoredSolution& a, const StoredSolution& b) {
        int sa = 0, sb = 0;
        for (uint8_t v : a.excess) sa += v;
        for (uint8_t v : b.excess) sb += v;
        if (sa != sb) return sa < sb;
        return a.excess < b.excess;
    });
    const int m = 2 * (d - 3);
    auto dist = [&](const std::vector<uint8_t>* a, const std::vector<uint8_t>& b) {
        int t = 0;
        for (int j = 0; j < m; ++j) t += std::abs((a ? (*a)[j] : 0) - b[j]);
        return t;
    };
    // Prim's order: node 0 is the base, node i+1 is sols[i].
    std::vector<int> order{0}, parentOf(ns, 0);
    std::vector<int> best(ns), bestParent(ns, 0);
    std::vector<char> done(ns, 0);
    std::vector<int> slot(ns + 1, 0);  // 1-based position in the file of each solution
    done[0] = 1;
    slot[1] = 1;
    for (int i = 1; i < ns; ++i) {
        best[i] = std::min(dist(nullptr, sols[i].excess), dist(&sols[0].excess, sols[i].excess));
        bestParent[i] = dist(nullptr, sols[i].excess) <= dist(&sols[0].excess, sols[i].excess) ? -1 : 0;
    }
    for (int step = 1; step < ns; ++step) {
        int pick = -1;
        for (int i = 1; i < ns; ++i)
            if (!done[i] && (pick < 0 || best[i] < best[pick])) pick = i;
        if (best[pick] > 10) return false;
        done[pick] = 1;
        order.push_back(pick);
        parentOf[pick] = bestParent[pick];
        slot[pick + 1] = step + 1;
        for (int i = 1; i < ns; ++i) {
            if (done[i]) continue;
            const int dd = dist(&sols[pick].excess, sols[i].excess);
            if (dd < best[i]) best[i] = dd, bestParent[i] = pick;
        }
    }
    {
        int total = 0;
        for (uint8_t v : sols[0].excess) total += v;
        if (total > 10) return false;
    }
    powv += encodeValue(ns);
    powv += '\n';
    for (int pos = 0; pos < ns; ++pos) {
        const int i = order[pos];
        const StoredSolution& sol = sols[i];
        const std::vector<uint8_t>* base = nullptr;
        int parentSlot = 0;
        if (pos > 0 && parentOf[i] >= 0) {
            base = &sols[parentOf[i]].excess;
            parentSlot = slot[parentOf[i] + 1];
        }
        std::string add, sub;
        for (int j = 0; j < m; ++j) {
            const int diff = sol.excess[j] - (base ? (*base)[j] : 0);
            for (int r = 0; r < diff; ++r) add += encodeValue(gapIndex(d, j));
            for (int r = 0; r < -diff; ++r) sub += encodeValue(gapIndex(d, j));
        }
        powv += encodeValue(parentSlot);
        powv += add;
        powv += '0';
        powv += sub;
        powv += "0\n";
        for (int a = 0; a < d - 2; ++a) post += encodeValue(sol.steiner[a]);
        for (int a = 0; a < d - 1; ++a)
            post += static_cast<char>(sol.neighbour[2 * a] * 16 + sol.neighbour[2 * a + 1]);
        post += '\n';
    }
    return true;
}

}  // namespace flutegen
