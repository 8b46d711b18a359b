#include "router/kernels/FluteRefine.h"

#include <algorithm>
#include <functional>
#include <utility>

#include "decomposition/DisjointSet.h"
#include "decomposition/MST.h"
#include "decomposition/flute.h"

namespace {

// Nets from this many pins up keep their spanning tree.
constexpr int kMaxRefinedPins = 150;
constexpr int kMinRefinedPins = 3;

}  // namespace

void initialRoute(GlobalRouter& router, std::vector<Net>& nets) {
    // The Steiner node that was last written at each G-cell, as the index of
    // the node it hangs on. Shared by all nets: a net reads only the entries
    // at its own pins, which its own tree has just written.
    std::vector<int> neighbourAt(static_cast<size_t>(router.X) * router.Y, 0);
    auto cellOf = [&](const Point& p) -> int& { return neighbourAt[router.xyIdx(p.x, p.y)]; };

    int xs[kMaxRefinedPins];
    int ys[kMaxRefinedPins];
    DisjointSet sets;
    std::vector<Link> accepted;
    std::vector<Link> links;  // a max-heap under Link's ordering: lightest link on top

    for (Net& net : nets) {
        const int n = static_cast<int>(net.pin2D.size());
        if (n < kMinRefinedPins || n >= kMaxRefinedPins) continue;
        for (int i = 0; i < n; ++i) {
            xs[i] = net.pin2D[i].x;
            ys[i] = net.pin2D[i].y;
        }
        Tree tree = flute(n, xs, ys, 3);
        net.referenceLength = tree.length;
        if (tree.length >= net.wirelength) {
            delete[] tree.nodes;
            continue;
        }

        // Record the straight segments of the Steiner tree.
        const int nodeCount = 2 * tree.degree - 2;
        for (int i = 0; i < nodeCount; ++i) {
            const TreeNode& p = tree.nodes[i];
            const TreeNode& q = tree.nodes[p.neighbour];
            const Point pp(p.x, p.y, 0);
            const Point qp(q.x, q.y, 0);
            cellOf(pp) = p.neighbour;
            if ((p.x != q.x || p.y != q.y) && (p.x == q.x || p.y == q.y)) router.FluteFlat(pp, qp, net);
        }

        accepted.clear();
        sets.clear();
        net.twopin.clear();
        sets.AddSet(n);

        // Complete pin graph; pins on the same Steiner node are cheaper to join.
        links.clear();
        links.reserve(static_cast<size_t>(n) * (n - 1) / 2);
        for (int i = 0; i < n; ++i) {
            const Point& pi = net.pin2D[i];
            for (int j = i + 1; j < n; ++j) {
                const Point& pj = net.pin2D[j];
                const int d = pi.distance(pj);
                Link l;
                l.a = i;
                l.b = j;
                if (cellOf(pi) == cellOf(pj))
                    l.weight = static_cast<float>(pi.y != pj.y ? 0.7 * d + 0.5 : 0.7 * d);
                else
                    l.weight = static_cast<float>(d);
                links.push_back(l);
                std::push_heap(links.begin(), links.end(), std::less<Link>());
            }
        }

        // Kruskal.
        while (!links.empty() && static_cast<int>(accepted.size()) < n - 1) {
            std::pop_heap(links.begin(), links.end(), std::less<Link>());
            const Link l = links.back();
            links.pop_back();
            const int ra = sets.Find(l.a);
            const int rb = sets.Find(l.b);
            if (ra != rb) {
                sets.Union(l.a, l.b);
                accepted.push_back(l);
            }
        }

        net.twopin.reserve(accepted.size());
        for (const Link& l : accepted) {
            const Point& from = net.pin2D[l.a];
            const Point& to = net.pin2D[l.b];
            if (from.x == to.x && from.y == to.y) continue;
            TwoPin tp;
            tp.from = from;
            tp.to = to;
            tp.parNet = &net;
            tp.needRouting = true;
            tp.box = emptyBox();
            net.twopin.push_back(std::move(tp));
            const int d = from.distance(to);
            net.wirelength += d;
            net.referenceLength += d;
        }
        delete[] tree.nodes;
    }
}
