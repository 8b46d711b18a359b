// Tree dynamic programming of one net: bottom-up solution lists per node and
// parent-edge layer, then a top-down walk that fixes the layers and charges
// the grid. A node's via cost is 100 per layer its edges and pins span.

#include <algorithm>
#include <cmath>

#include "layer_assignment/LA.h"

namespace {

constexpr Graph::Cost kNoTrackCost = 100000000;
// Costs saturate here; two capped values still add without overflow.
constexpr Graph::Cost kCostCap = 1000000000000000000LL;
constexpr int kNoPinHigh = -1;
constexpr int kNoPinLow = 2147483647;

inline Graph::Cost addCost(Graph::Cost a, Graph::Cost b) { return std::min(a + b, kCostCap); }

inline Graph::Cost viaSpan(int l, int hi, int lo) {
    return 100LL * (static_cast<long long>(std::max(l, hi)) - std::min(l, lo));
}

}  // namespace

Graph::Cost Graph::edgeCost(int d, int x, int y, int l) const {
    const int t = tracks[d][l];
    const GridEdge3D& g = at3D(d, x, y, l);
    Cost term;
    if (firstPass) {
        if (t > g.demand) {
            term = 5LL * g.demand / t;
        } else {
            const Cost excess = static_cast<Cost>(g.demand) + 1 - t;
            const Cost perPitch = excess * 1000000LL;  // below 2^53
            const Cost p = std::max(pitch[l], 1);
            term = perPitch > kCostCap / p ? kCostCap : perPitch * p;
        }
    } else {
        double ov = static_cast<double>(g.demand) - t;
        if (ov > 0) ov *= pitch[l];
        const double gCost = 20.0 / (std::exp(-slope * ov) + 1.0) + 1.0;
        const double h = (static_cast<double>(g.history) + 1.0) * (g.history + 1.0) + 1.0;
        term = static_cast<Cost>(gCost * h + 0.5);
    }
    return addCost(term, L - l - 1);
}

void Graph::singleNetLA(net& n) {
    const int count = static_cast<int>(n.nodes.size());
    for (int i = count - 1; i >= 0; --i) {
        const int children = n.nodes[i].childCount;
        if (children == 0)
            initialLeaf(n, i, solSpace);
        else if (children == 1)
            propagate(n, i, solSpace);
        else
            mergeSubTree(n, i, solSpace);
    }
    if (count > 0) topDownAssignment(n, solSpace);
    n.viaCount = getSingleNetlVia(n);
    totalVia += n.viaCount;
}

void Graph::initialLeaf(net& n, int v, std::vector<sol>& space) {
    t_initialLeaf.start();
    const node& nd = n.nodes[v];
    const int hi = nd.hasPin ? nd.maxPinLayer : kNoPinHigh;
    const int lo = nd.hasPin ? nd.minPinLayer : kNoPinLow;
    sol* list = &space[static_cast<size_t>(v) * L];
    for (int l = 0; l < L; ++l) {
        sol s;
        s.layer = l;
        s.cost = viaSpan(l, hi, lo);
        list[l] = s;
    }
    t_initialLeaf.stop();
}

void Graph::propagate(net& n, int v, std::vector<sol>& space) {
    t_propagate.start();
    const node& nd = n.nodes[v];
    const int hi = nd.hasPin ? nd.maxPinLayer : 0;
    const int lo = nd.hasPin ? nd.minPinLayer : kNoPinLow;
    const int c = nd.children[0];
    const edge& e = n.edges[c - 1];
    const sol* childList = &space[static_cast<size_t>(c) * L];
    sol* list = &space[static_cast<size_t>(v) * L];
    for (int l = 0; l < L; ++l) {
        const Cost ec = tracks[e.dir][l] == 0 ? kNoTrackCost : edgeCost(e.dir, e.x, e.y, l);
        sol s;
        s.layer = l;
        s.childLayer[0] = l;
        s.childSolIndex[0] = 0;
        s.cost = addCost(addCost(ec, childList[l].cost), viaSpan(l, hi, lo));
        list[l] = s;
    }
    // A parent edge one layer up (or down) may reuse the neighbour's child
    // layer at the price of one more via layer beyond the pins.
    for (int l = 1; l < L; ++l) {
        const Cost cand = addCost(list[l - 1].cost, l > hi ? 100 : 0);
        if (cand < list[l].cost) {
            list[l].cost = cand;
            list[l].childLayer[0] = list[l - 1].childLayer[0];
        }
    }
    for (int l = L - 2; l >= 0; --l) {
        const Cost cand = addCost(list[l + 1].cost, l < lo ? 100 : 0);
        if (cand < list[l].cost) {
            list[l].cost = cand;
            list[l].childLayer[0] = list[l + 1].childLayer[0];
        }
    }
    t_propagate.stop();
}

void Graph::mergeSubTree(net& n, int v, std::vector<sol>& space) {
    t_mergeSubTree.start();
    const node& nd = n.nodes[v];
    const int hi = nd.hasPin ? nd.maxPinLayer : kNoPinHigh;
    const int lo = nd.hasPin ? nd.minPinLayer : kNoPinLow;

    std::vector<sol>* cur = &partialA;
    std::vector<sol>* next = &partialB;
    cur->clear();
    sol start;
    start.maxLayer = hi;
    start.minLayer = lo;
    start.cost = 0;
    cur->push_back(start);

    Cost* ec = edgeCostScratch.data();
    for (int j = 0; j < nd.childCount; ++j) {
        const int c = nd.children[j];
        const edge& e = n.edges[c - 1];
        int best = -1;
        Cost bestCost = 0;
        for (int l = 0; l < L; ++l) {
            if (tracks[e.dir][l] == 0) continue;
            ec[l] = edgeCost(e.dir, e.x, e.y, l);
            if (best < 0 || ec[l] < bestCost) {
                best = l;
                bestCost = ec[l];
            }
        }
        const sol* childList = &space[static_cast<size_t>(c) * L];
        next->clear();
        for (int l = 0; l < L; ++l) {
            if (tracks[e.dir][l] == 0) continue;
            if (ec[l] > addCost(bestCost, 200LL * std::abs(l - best))) continue;
            const Cost add = addCost(ec[l], childList[l].cost);
            for (const sol& p : *cur) {
                sol q = p;
                q.maxLayer = std::max(p.maxLayer, l);
                q.minLayer = std::min(p.minLayer, l);
                q.cost = addCost(p.cost, add);
                q.childLayer[j] = l;
                q.childSolIndex[j] = 0;
                next->push_back(q);
            }
        }
        std::swap(cur, next);
    }

    sol* list = &space[static_cast<size_t>(v) * L];
    for (int l = 0; l < L; ++l) {
        const sol* bestP = nullptr;
        Cost bestTotal = 0;
        for (const sol& p : *cur) {
            const Cost total = addCost(p.cost, viaSpan(l, p.maxLayer, p.minLayer));
            if (!bestP || total < bestTotal) {
                bestP = &p;
                bestTotal = total;
            }
        }
        // Every child edge has a layer with tracks (the grid set-up refuses
        // routes in a direction without tracks), so a partial always exists.
        sol s = *bestP;
        s.layer = l;
        s.cost = bestTotal;
        list[l] = s;
    }
    t_mergeSubTree.stop();
}

void Graph::topDownAssignment(net& n, std::vector<sol>& space) {
    t_topDown.start();
    const node& root = n.nodes[0];
    int r = root.minPinLayer;
    if (r < 0 || r >= L) r = 0;
    chosenSpace[0] = space[static_cast<size_t>(0) * L + r];
    const int count = static_cast<int>(n.nodes.size());
    for (int i = 0; i < count; ++i) {
        const node& nd = n.nodes[i];
        const sol chosen = chosenSpace[i];
        for (int k = 0; k < nd.childCount; ++k) {
            const int c = nd.children[k];
            const int layer = chosen.childLayer[k];
            chosenSpace[c] = space[static_cast<size_t>(c) * L + layer];
            edge& e = n.edges[c - 1];
            e.layer = chosenSpace[c].layer;
            charge(e);
        }
    }
    t_topDown.stop();
}
