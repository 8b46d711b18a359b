// The 2D negotiation schedule: four stages in a fixed order, each opened by a
// banner and closed by a cost line.
//   1. pattern routing: L shapes and straight runs;
//   2. monotonic routing: the dynamic-programming pattern kernel with bends;
//   3. negotiated maze routing under the history cost, bounded by CPU time;
//   4. post routing: detours shortened under the hard-overflow cost.

#include "router/schedules/GlobalRoute2D.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <ctime>
#include <iostream>

#include "database/Timer.h"
#include "router/core/PhaseRelease.h"
#include "router/schedules/RoutingOrder.h"

namespace {

int manhattanOf(const TwoPin& tp) { return std::abs(tp.from.x - tp.to.x) + std::abs(tp.from.y - tp.to.y); }

bool straight(const TwoPin& tp) { return tp.from.x == tp.to.x || tp.from.y == tp.to.y; }

double secondsSince(clock_t start) { return cpuSeconds(start, clock()); }

void printRoundLine(int round, clock_t start, const GlobalRouter& router, int count) {
    std::cout << "Round=" << round << "  time=" << secondsSince(start) << "  totalOF=" << router.totalOF
              << "  Wlen2D=" << router.Wlen2D << "  num_route_net=" << count << "\n";
    std::cout.flush();
}

void printStageCost(const char* label, clock_t start) {
    std::cout << label << secondsSince(start) << " seconds" << "\n" << "\n";
}

void patternStage(GlobalRouter& router, std::vector<Order>& orders, const parameterSet& set,
                  const BoundingBox& fullBox, int minCap) {
    std::cout << "===================Start Pattern Routing===================" << "\n";
    const clock_t start = clock();
    router.costMode2D = 0;
    router.Wlen2D = 0;
    for (int r = 0; r < set.Pattern_Routing_Iteration; ++r) {
        int count = 0;
        for (Order& o : orders) {
            TwoPin* tp = o.twopin;
            if (!tp->needRouting) continue;
            ++count;
            if (r == 0) {
                tp->box = fullBox;
            } else {
                router.RipUp(tp->from, tp->to, tp->path, *tp->parNet);
                tp->path.clear();
            }
            if (straight(*tp)) {
                tp->overflow = router.Flat(tp->from, tp->to, tp->path, *tp->parNet);
                tp->needRouting = false;
            } else {
                int maxUsage = 0;
                tp->overflow = router.Pattern(tp->from, tp->to, tp, maxUsage);
                if (r >= 1 && maxUsage < minCap - 5) tp->needRouting = false;
            }
        }
        printRoundLine(r + 1, start, router, count);
    }
    printStageCost("Pattern Routing costs ", start);
}

void monotonicStage(GlobalRouter& router, std::vector<Order>& orders, const parameterSet& set, int minCap) {
    std::cout << "===================Start Monotonic Routing===================" << "\n";
    const clock_t start = clock();
    router.costMode2D = 1;
    router.bendCost = static_cast<float>(router.viaCost * 250.0);
    router.initialFunc_2Dmap(1);
    for (int r = 0; r < set.Monotonic_Routing_Iteration; ++r) {
        int count = 0;
        for (Order& o : orders) {
            TwoPin* tp = o.twopin;
            if (!tp->needRouting) continue;
            ++count;
            router.RipUp(tp->from, tp->to, tp->path, *tp->parNet);
            tp->path.clear();
            int maxUsage = 0;
            tp->overflow = router.DDPattern(tp->from, tp->to, tp, maxUsage);
            if (maxUsage < minCap - 4) tp->needRouting = false;
        }
        router.bendCost = std::max(router.bendCost - 30.0f, 0.0f);
        printRoundLine(r + 1, start, router, count);
    }
    printStageCost("Monotonic Routing costs ", start);
}

// Flags and lists the connections whose largest usage comes close to the
// capacity; every entry of the main list gets its key, overflow and length.
void rebuildWorklist(GlobalRouter& router, std::vector<Order>& orders, std::vector<Order>& worklist, int it) {
    worklist.clear();
    const int minCap = std::min(router.hCap2D, router.vCap2D);
    for (Order& o : orders) {
        TwoPin* tp = o.twopin;
        tp->needRouting = true;
        int maxUsage = 0, of = 0, vias = 0, edges = 0;
        router.getScore(maxUsage, of, vias, edges, tp);
        const double T = static_cast<double>(tp->parNet->twopin.size());
        o.key = static_cast<double>(60 * of + 3 * edges - vias) - 0.1 * std::sqrt(T);
        if (maxUsage < minCap - 6 || (it > 0 && maxUsage < minCap - 3))
            tp->needRouting = false;
        else
            worklist.push_back(o);
        tp->overflow = of;
        tp->pathSize = edges;
    }
}

void mazeStage(GlobalRouter& router, std::vector<Order>& orders, const parameterSet& set,
               const controlGR& control, BoundingBox& fullBox) {
    std::cout << "===================Start Maze Routing===================" << "\n";
    const clock_t start = clock();
    router.hardOverflowMode = false;
    router.historyExponent = 1.8;
    router.sigmoidHeight = 150.0f;
    router.sigmoidSlope = 0.5;
    router.historyDivisor = 50.0f;
    router.costScale = 10.0f;
    const int W = set.Wirelength_Optimization_Level;
    router.bendCost = static_cast<float>(W) * static_cast<float>(router.viaCost);  // a float product: no int wrap
    router.initialCostArray();
    router.costOffset = static_cast<float>(W);
    router.costMode2D = 2;
    router.initialFunc_2Dmap(2);

    std::vector<Order> worklist;
    worklist.reserve(orders.size());
    for (int it = 0; it < set.Maze_Routing_Iteration && it < control.maxIter; ++it) {
        if (it % 15 == 0) rebuildWorklist(router, orders, worklist, it);
        if (it == set.historyStartIteration) router.historyMode = true;
        std::cout << "Round=" << it + 1;
        std::sort(worklist.begin(), worklist.end());

        int rerouted = 0;
        if (!worklist.empty() && router.totalOF > 0) {
            for (Order& o : worklist) {
                TwoPin* tp = o.twopin;
                int maxUsage = 0, of = 0, vias = 0, edges = 0;
                router.getScore(maxUsage, of, vias, edges, tp);
                const double T = static_cast<double>(tp->parNet->twopin.size());
                o.key = static_cast<double>(2 * (30 * of - edges)) + 0.3 * std::sqrt(T) - 2.0 * tp->ripupCount;
                tp->overflow = of;
                tp->pathSize = edges;
                if (of != 0) {
                    Net& net = *tp->parNet;
                    router.RipUp(tp->from, tp->to, tp->path, net);
                    ++tp->ripupCount;
                    const int c = std::max(tp->ripupCount, it / 2);
                    const int maxLength =
                        mazeMaxLength(manhattanOf(*tp), c, set.boxGrowthOffset, set.boxGrowthScale);
                    router.MultiMaze(tp, maxLength, fullBox, true);
                    tp->overflow = router.RoutePath(tp->from, tp->to, tp->path, net);
                    ++rerouted;
                    // Only a reroute spends enough time to be worth a clock read.
                    if (secondsSince(start) > control.timeLimit) break;
                }
                if (router.totalOF <= 0) break;
            }
        }

        int hx = 0, hy = 0, maxOF = 0;
        router.getMaxHistory(hx, hy, maxOF);
        std::cout << "  time=" << secondsSince(start) << "  totalOF=" << router.totalOF << "  maxOF=" << maxOF
                  << "  Wlen2D=" << router.Wlen2D << "  num_route_net=" << rerouted << "\n";
        std::cout.flush();
        if (router.totalOF <= set.overflowTarget || secondsSince(start) > control.timeLimit) break;
    }
    printStageCost("Maze Routing costs ", start);

    // Longest paths first for post routing. The step count of each current path
    // also becomes its length, so that post routing compares a defined length
    // even when the maze loop ran no iteration.
    for (Order& o : orders) {
        TwoPin* tp = o.twopin;
        o.key = static_cast<double>(tp->path.size());
        tp->pathSize = static_cast<int>(tp->path.size());
    }
    std::sort(orders.begin(), orders.end());
}

void postStage(GlobalRouter& router, std::vector<Order>& orders, const parameterSet& set, BoundingBox& fullBox) {
    router.hardOverflowMode = true;
    router.costScale = 10.0f;
    router.costOffset = 0.0f;
    router.costMode2D = 3;
    router.bendCost = static_cast<float>(router.viaCost * 1000.0);
    router.initialFunc_2Dmap(2);
    std::cout << "===================Start Post Routing===================" << "\n";
    const clock_t start = clock();
    for (int r = 0; r < set.Post_Routing_Iteration; ++r) {
        for (Order& o : orders) {
            TwoPin* tp = o.twopin;
            const int manhattan = manhattanOf(*tp);
            if (tp->pathSize == manhattan && straight(*tp)) continue;
            Net& net = *tp->parNet;
            router.RipUp(tp->from, tp->to, tp->path, net);
            if (tp->pathSize == manhattan) {
                tp->path.clear();
                int maxUsage = 0;
                tp->overflow = router.DDPattern(tp->from, tp->to, tp, maxUsage);
            } else {
                router.MultiMaze(tp, static_cast<int>(tp->path.size()), fullBox, true);
                tp->overflow = router.RoutePath(tp->from, tp->to, tp->path, net);
            }
        }
        int hx = 0, hy = 0, maxOF = 0;
        router.getMaxHistory(hx, hy, maxOF);
        std::cout << "Round=" << r + 1 << "  time=" << secondsSince(start) << "  totalOF=" << router.totalOF
                  << "  maxOF=" << maxOF << "  Wlen2D=" << router.Wlen2D << "\n";
        std::cout.flush();
    }
    printStageCost("Post Routing costs ", start);
    printCPUTime();
}

}  // namespace

double mazeLengthFactor(int c, int offset, double scale) {
    return (std::atan(static_cast<double>(c - offset)) + std::atan(20.0)) * scale + 1.0;
}

int mazeMaxLength(int manhattan, int c, int offset, double scale) {
    return static_cast<int>(manhattan * mazeLengthFactor(c, offset, scale)) + 2;
}

void GlobalRoute2D(GlobalRouter& router, NetDB& db, std::vector<Order>& orders, parameterSet& set,
                   controlGR& control) {
    BoundingBox fullBox;
    fullBox.lower = Point(0, 0, 0);
    fullBox.upper = Point(router.X - 1, router.Y - 1, 0);
    fullBox.growLeft = fullBox.growRight = fullBox.growUp = fullBox.growDown = true;
    initialSort(orders, db.nets);

    router.costScale = 10.0f;
    router.sigmoidHeight = 200.0f;
    router.sigmoidSlope = 0.3;
    router.bendCost = static_cast<float>(router.viaCost * 250.0);
    router.initialCostArray();
    const int minCap = std::min(router.hCap2D, router.vCap2D);

    patternStage(router, orders, set, fullBox, minCap);
    // Only pattern routing reads the Steiner-tree edges.
    for (Net& net : db.nets) releaseTreeEdges(net);
    monotonicStage(router, orders, set, minCap);
    mazeStage(router, orders, set, control, fullBox);
    postStage(router, orders, set, fullBox);
}
