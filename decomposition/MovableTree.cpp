// Spanning trees over the real pin positions of the placement flows.

#include "decomposition/MovableTree.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "database/Timer.h"
#include "decomposition/MST.h"
#include "router/core/GlobalRouter.h"

namespace {

// Spanning-graph links over points; coincident points of large sets (which the
// octant graph never joins) are merged first and tied back by zero-length links.
struct TreeScratch {
    DisjointSet sets;
    tarvexMST graph;
    std::vector<Link> links;
    std::vector<Point> unique;
    std::vector<int> order;
    std::vector<int> rep;  // per point: index into unique
    std::vector<int> firstOf;  // per unique point: its first original point
};

long long treeLinks(std::vector<Point>& pts, TreeScratch& s) {
    s.sets.clear();
    s.links.clear();
    s.graph.clear();
    const int k = static_cast<int>(pts.size());
    if (k < 2) return 0;
    if (k <= 9) return NEW_MST(pts, s.links, s.sets, s.graph);

    s.order.resize(k);
    for (int i = 0; i < k; ++i) s.order[i] = i;
    std::sort(s.order.begin(), s.order.end(), [&](int a, int b) {
        if (pts[a].x != pts[b].x) return pts[a].x < pts[b].x;
        if (pts[a].y != pts[b].y) return pts[a].y < pts[b].y;
        return a < b;
    });
    s.rep.assign(k, 0);
    s.unique.clear();
    s.firstOf.clear();
    for (int n = 0; n < k; ++n) {
        const int i = s.order[n];
        if (n == 0 || !(pts[i].x == pts[s.order[n - 1]].x && pts[i].y == pts[s.order[n - 1]].y)) {
            s.unique.push_back(pts[i]);
            s.firstOf.push_back(i);
        }
        s.rep[i] = static_cast<int>(s.unique.size()) - 1;
    }
    if (static_cast<int>(s.unique.size()) == k) return NEW_MST(pts, s.links, s.sets, s.graph);

    long long length = 0;
    if (s.unique.size() >= 2) {
        length = NEW_MST(s.unique, s.links, s.sets, s.graph);
        for (Link& l : s.links) {
            l.a = s.firstOf[l.a];
            l.b = s.firstOf[l.b];
        }
    }
    for (int i = 0; i < k; ++i) {
        const int f = s.firstOf[s.rep[i]];
        if (f == i) continue;
        Link l;
        l.a = f;
        l.b = i;
        s.links.push_back(l);
    }
    return length;
}

}  // namespace

void BuildMovableTree(NetDB& db, GlobalRouter& router) {
    Timer timer;
    timer.start();
    int maxPin = 0, maxBin = 0;
    long long sumPin = 0, sumBin = 0, totalMST = 0;
    TreeScratch scratch;
    std::vector<Point> pts;
    std::vector<std::vector<TwoPin*>>& perCell = router.placement.cellTwoPins;
    for (Net& net : db.nets) {
        const int k = static_cast<int>(net.pins.size());
        const int g = static_cast<int>(net.pin2D.size());
        maxPin = std::max(maxPin, k);
        maxBin = std::max(maxBin, g);
        pts.resize(k);
        for (int j = 0; j < k; ++j) {
            int x, y, z;
            router.getPinLocation(net.pins[j], x, y, z);
            pts[j] = Point(x, y, z);
        }
        const long long length = treeLinks(pts, scratch);
        const size_t firstNew = net.twopin.size();
        net.twopin.reserve(firstNew + scratch.links.size());
        for (const Link& l : scratch.links) {
            TwoPin t;
            int x, y, z;
            router.getPinGcell(net.pins[l.a], x, y, z);
            t.from = Point(x, y, z);
            router.getPinGcell(net.pins[l.b], x, y, z);
            t.to = Point(x, y, z);
            t.fromPin = l.a;
            t.toPin = l.b;
            t.parNet = &net;
            t.needRouting = true;
            t.box = emptyBox();
            const int d = std::abs(t.from.x - t.to.x) + std::abs(t.from.y - t.to.y);
            net.wirelength += d;
            net.referenceLength += d;
            net.twopin.push_back(std::move(t));
        }
        for (size_t i = firstNew; i < net.twopin.size(); ++i) {
            TwoPin& t = net.twopin[i];
            const int a = net.pins[t.fromPin].cell;
            const int b = net.pins[t.toPin].cell;
            perCell[a].push_back(&t);
            if (b != a) perCell[b].push_back(&t);
        }
        sumPin += k;
        sumBin += g;
        totalMST += length;
    }
    const float n = static_cast<float>(db.nets.size());
    printf("BuildTree cost %.2lf s\n", static_cast<double>(timer.getTime()));
    printf("maxPin=%d  maxBin=%d  avgPin=%.2lf  avgBin=%.2lf  totalMST=%lld\n", maxPin, maxBin,
           n > 0 ? static_cast<double>(static_cast<float>(sumPin) / n) : 0.0,
           n > 0 ? static_cast<double>(static_cast<float>(sumBin) / n) : 0.0, totalMST);
}
