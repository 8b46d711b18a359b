// The three layer-assignment schedules: greedy (fastLA), tree DP in two passes
// (COLA), and a via-only start with negotiation rounds (NVM).

#include <algorithm>
#include <cstdio>
#include <limits>

#include "layer_assignment/LA.h"

bool order_cp(const Graph::net* a, const Graph::net* b) { return a->score > b->score; }

void Graph::sort_net() {
    printf("LA scoring..,");
    sortedNets.clear();
    sortedNets.reserve(nets.size());
    for (net& n : nets) {
        n.score = n.edges.empty() ? std::numeric_limits<double>::infinity()
                                  : static_cast<double>(n.pins.size()) / static_cast<double>(n.edges.size());
        sortedNets.push_back(&n);
    }
    printf("LA sort\n");
    // Stable, so that runs are repeatable; equal scores keep the stored order.
    std::stable_sort(sortedNets.begin(), sortedNets.end(), order_cp);
}

void Graph::greedy_singleNetLA(net& n, bool useCost) {
    const int count = static_cast<int>(n.edges.size());
    int chosen = 0;
    for (int i = 0; i < count; ++i) {
        edge& e = n.edges[i];
        const node& v = n.nodes[i + 1];
        int hi = v.hasPin ? v.maxPinLayer : -1;
        int lo = v.hasPin ? v.minPinLayer : 2147483647;
        for (int k = 0; k < v.childCount; ++k) {
            const int cl = n.edges[v.children[k] - 1].layer;
            hi = std::max(hi, cl);
            lo = std::min(lo, cl);
        }
        int best = -1;
        Cost bestTotal = 0;
        for (int l = 0; l < L; ++l) {
            if (tracks[e.dir][l] == 0) continue;
            const Cost congestion = useCost ? edgeCost(e.dir, e.x, e.y, l) : 0;
            const Cost total = congestion + 100LL * (static_cast<long long>(std::max(l, hi)) - std::min(l, lo));
            if (best < 0 || total < bestTotal) {
                best = l;
                bestTotal = total;
            }
        }
        // A direction without tracks is refused by the grid set-up; keep the
        // previous choice should one slip through.
        if (best >= 0) chosen = best;
        e.layer = chosen;
        charge(e);
    }
    n.viaCount = getSingleNetlVia(n);
    totalVia += n.viaCount;
}

void Graph::fastLA(int, int, int, bool) {
    totalVia = 0;
    totalOF = 0;
    slope = 0.3;
    sort_net();
    firstPass = true;
    for (net* n : sortedNets) greedy_singleNetLA(*n, true);
    double weightOF = 0.0;
    totalOF = getTotalOverflow(maxOF, weightOF);
    printf("FastLA totalOF=%d  maxOF=%d  weightOF=%.0lf   Wlen2D=%d  Via=%d  totalWL(Wlen2D+Via*%d)=%lld \n", totalOF,
           maxOF, weightOF, Wlen2D, totalVia, viaCost, static_cast<long long>(totalVia) * viaCost + Wlen2D);
}

void Graph::COLA(int, int, int, bool) {
    t_kernelLA.start();
    totalVia = 0;
    totalOF = 0;
    slope = 0.3;
    Timer clock;
    clock.start();
    sort_net();
    printf("LA assign net by net\n");
    firstPass = true;
    for (net* n : sortedNets) singleNetLA(*n);

    double weightOF = 0.0;
    totalOF = getTotalOverflow(maxOF, weightOF);
    printf("IntialLA  time=%.2lf  totalOF=%d  maxOF=%d  weightOF=%.0lf  totalVia=%d\n",
           static_cast<double>(clock.getTime()), totalOF, maxOF, weightOF, totalVia);

    for (net* n : sortedNets) {
        ripUp(*n);
        singleNetLA(*n);
    }
    totalOF = getTotalOverflow(maxOF, weightOF);
    printf("PostLA  time=%.2lf  totalOF=%d  maxOF=%d  weightOF=%.0lf  totalVia=%d\n",
           static_cast<double>(clock.getTime()), totalOF, maxOF, weightOF, totalVia);
    printf("totalOF=%d  maxOF=%d  weightOF=%.0lf   Wlen2D=%d  Via=%d  totalWL(Wlen2D+Via*%d)=%lld \n", totalOF, maxOF,
           weightOF, Wlen2D, totalVia, viaCost, static_cast<long long>(totalVia) * viaCost + Wlen2D);
    t_kernelLA.stop();
    reportCPUTime();
}

void Graph::NVM(int, int, int, bool) {
    t_kernelLA.start();
    totalVia = 0;
    totalOF = 0;
    slope = 0.3;
    firstPass = false;
    Timer clock;
    clock.start();
    for (net& n : nets) greedy_singleNetLA(n, false);

    double weightOF = 0.0;
    totalOF = getTotalOverflow(maxOF, weightOF);
    printf("InitialLA  time=%.2lf  totalOF=%d  maxOF=%d  weightOF=%.0lf  totalVia=%d\n",
           static_cast<double>(clock.getTime()), totalOF, maxOF, weightOF, totalVia);

    if (totalOF != 0) {
        int prev = 2147483647;
        for (int r = 0;;) {
            for (net& n : nets) {
                if (hasOverflow(n)) {
                    ripUp(n);
                    singleNetLA(n);
                }
            }
            totalOF = getTotalOverflow(maxOF, weightOF);
            printf("Round=%d  time=%.2lf  totalOF=%d  maxOF=%d  weightOF=%.0lf  totalVia=%d\n", r,
                   static_cast<double>(clock.getTime()), totalOF, maxOF, weightOF, totalVia);
            fflush(stdout);
            r += 1;
            updateHistoryCost();
            const int d = totalOF - inputOverflow;
            slope += 0.05;
            if (r > 35 || d < 50 || d > prev || totalOF == 0) break;
            prev = d;
        }
    }

    firstPass = true;
    for (net& n : nets) {
        ripUp(n);
        singleNetLA(n);
    }
    totalOF = getTotalOverflow(maxOF, weightOF);
    printf("PostLA  time=%.2lf  totalOF=%d  maxOF=%d  weightOF=%.0lf  totalVia=%d\n",
           static_cast<double>(clock.getTime()), totalOF, maxOF, weightOF, totalVia);
    printf("totalOF=%d  maxOF=%d  weightOF=%.0lf  Wlen2D=%d  Via=%d  totalWL(Wlen2D+Via*%d)=%lld \n", totalOF, maxOF,
           weightOF, Wlen2D, totalVia, viaCost, static_cast<long long>(totalVia) * viaCost + Wlen2D);
    t_kernelLA.stop();
    reportCPUTime();
    fflush(stdout);
}
