// The initial routing schedule (pattern rounds, then monotonic rounds over the
// overflowed connections) and the fast rip-up-and-reroute schedule of the
// congestion-estimation flows. Both time their rounds in wall-clock seconds.

#include "router/schedules/FastSchedule.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <iostream>

#include "database/Timer.h"
#include "router/core/GlobalRouter.h"

namespace {

int absDx(const TwoPin& tp) { return std::abs(tp.from.x - tp.to.x); }
int absDy(const TwoPin& tp) { return std::abs(tp.from.y - tp.to.y); }

int overflowOf(GlobalRouter& r, TwoPin* tp, int& hOF, int& vOF) {
    float hCost = 0.0f, vCost = 0.0f;
    r.getHorVerOverflow(tp->path, hOF, vOF, hCost, vCost);
    return hOF + vOF;
}

// Every entry's key := 60 * (its path's overflow) + areaSign * (pin box area),
// then one sort.
void sortByOverflow(GlobalRouter& r, std::vector<Order>& orders, int areaSign) {
    for (Order& o : orders) {
        int hOF = 0, vOF = 0;
        const int of = overflowOf(r, o.twopin, hOF, vOF);
        // In 64 bits: the pin box of a very large grid exceeds an int.
        const long long area = static_cast<long long>(absDx(*o.twopin) + 1) * (absDy(*o.twopin) + 1);
        o.key = static_cast<double>(60LL * of + areaSign * area);
    }
    std::sort(orders.begin(), orders.end());
}

// Rips the connection up and reroutes it by the monotone staircase between its
// ends, committed.
void monotonicReroute(GlobalRouter& r, TwoPin* tp) {
    Net& net = *tp->parNet;
    r.RipUp(tp->path, net);
    tp->path.clear();
    int* dir = r.workDir1.data();
    float* cost = r.workCost1.data();
    r.minu_func(true, tp);
    r.pseudoMonotonic(tp->from, tp->to, dir, cost);
    BoundingBox span = emptyBox();
    span.Bondary(tp->from.x, tp->from.y);
    span.Bondary(tp->to.x, tp->to.y);
    r.monTraceBack(tp->path, tp->to.x, tp->to.y, dir, span);
    r.add_func(true, tp);
    r.RoutePath(tp->path, net);
}

// Total 2D overflow with virtual demand and its largest excess; both 0 while no
// virtual demand is in use.
void virtualOverflow(GlobalRouter& r, int& total, int& largest) {
    total = largest = 0;
    if (r.placement.virtualDemandScale > 0) total = r.getVirtualOF(largest);
}

}  // namespace

int mazeLotteryThreshold(std::size_t pathSteps, int overflow) {
    const int L = static_cast<int>(std::sqrt(static_cast<float>(pathSteps)));
    return 7000 / L + 3500 + (-500) / overflow;
}

int boxGrowthStep(int rerouteCount) { return 30 / rerouteCount + 5; }

void growBox(BoundingBox& box, int hOF, int vOF, int e, int X, int Y) {
    if (hOF < vOF) {
        if (box.growRight) box.upper.x = std::min(box.upper.x + e, X - 1);
        if (box.growLeft) box.lower.x = std::max(box.lower.x - e, 0);
    } else {
        if (box.growUp) box.upper.y = std::min(box.upper.y + e, Y - 1);
        if (box.growDown) box.lower.y = std::max(box.lower.y - e, 0);
    }
}

int fastMazeMaxLength(int manhattan, int c) {
    return static_cast<int>(manhattan * (std::atan(3.0 * c) + 1.0) + 2.0);
}

void GlobalRouter::initialRouting(std::vector<Net>&, std::vector<Order>& orders, int patternRounds,
                                  int monotonicRounds, controlGR& control) {
    Timer timer;
    timer.start();
    const bool verbose = control.verbose;
    const int m = std::min(hCap2D, vCap2D);
    if (verbose) std::cout << "===================Start Pattern Routing===================" << "\n";

    costScale = 10.0f;
    sigmoidHeight = 200.0f;
    sigmoidSlope = 0.3;
    initialCostArray();
    costMode2D = 0;
    Wlen2D = 0;
    for (int r = 0; r < patternRounds; ++r) {
        int count = 0;
        for (Order& o : orders) {
            TwoPin* tp = o.twopin;
            if (!tp->needRouting) continue;
            ++count;
            Net& net = *tp->parNet;
            if (r >= 1) {
                RipUp(tp->path, net);
                tp->path.clear();
            }
            if (tp->from.x == tp->to.x || tp->from.y == tp->to.y) {
                tp->overflow = Flat(tp->from, tp->to, tp->path, net);
                tp->needRouting = false;
            } else {
                int maxUsage = 0;
                tp->overflow = Pattern(tp->from, tp->to, tp, maxUsage);
                if (r == patternRounds - 1 && maxUsage < m - 5) tp->needRouting = false;
            }
        }
        if (verbose) {
            std::cout << "Round=" << r + 1 << "  time=" << timer.getTime() << "  totalOF=" << totalOF
                      << "  Wlen2D=" << Wlen2D << "  num_route_net=" << count << "\n";
            std::cout.flush();
        }
    }
    if (verbose) {
        std::cout << "Pattern Routing costs " << timer.getTime() << " seconds" << "\n" << "\n";
        std::cout << "===================Start Monotonic Routing===================" << "\n";
    }

    timer.reset();
    timer.start();
    sortByOverflow(*this, orders, -1);
    costMode2D = 1;
    initialFunc_2Dmap(1);
    for (int r = 0; r < monotonicRounds; ++r) {
        int count = 0;
        for (Order& o : orders) {
            TwoPin* tp = o.twopin;
            if (!tp->needRouting) continue;
            int hOF = 0, vOF = 0;
            if (overflowOf(*this, tp, hOF, vOF) == 0) {
                tp->needRouting = false;
                continue;
            }
            ++tp->ripupCount;
            monotonicReroute(*this, tp);
            ++count;
        }
        if (verbose) {
            int vtof = 0, mvof = 0;
            virtualOverflow(*this, vtof, mvof);
            std::cout << "Round=" << r + 1 << "  time=" << timer.getTime() << "  totalOF=" << totalOF
                      << "  vtof=" << vtof << "  mvof=" << mvof << "  Wlen2D=" << Wlen2D
                      << "  num_route_net=" << count << "\n";
            std::cout.flush();
        }
    }
    if (verbose) std::cout << "Monotonic Routing costs " << timer.getTime() << " seconds" << "\n" << "\n";
}

void GlobalRouter::fastRouting(std::vector<Net>&, std::vector<Order>& orders, controlGR& control) {
    Timer timer;
    timer.start();
    historyMode = true;
    bendCost = 0.0f;
    const bool verbose = control.verbose;
    if (verbose) std::cout << "===================Start Fast Routing===================" << "\n";

    sortByOverflow(*this, orders, +1);
    control.wirelengthTrace.push_back(Wlen2D);
    control.overflowTrace.push_back(totalOF);
    control.timeTrace.push_back(0.0f);

    // The old path of an escape reroute, put back when no meeting G-cell is found.
    std::vector<RPoint> oldPath;
    for (int r = 0; r < control.maxIter && totalOF > 0; ++r) {
        srand(0);  // every round draws the same lottery sequence
        // r * r in 64 bits: a long run under a time limit passes round 46341.
        const int mazeLimit = static_cast<int>(std::min(static_cast<long long>(r) * r, 65LL));
        const int half = (r + 1) / 2;
        int rerouted = 0;
        int looked = 0;
        for (Order& o : orders) {
            if (totalOF <= 0) break;
            ++looked;
            TwoPin* tp = o.twopin;
            int hOF = 0, vOF = 0;
            const int of = overflowOf(*this, tp, hOF, vOF);
            if (of == 0) continue;
            ++rerouted;
            ++tp->ripupCount;
            Net& net = *tp->parNet;
            const int dx = absDx(*tp);
            const int dy = absDy(*tp);
            if (tp->ripupCount <= 1 && r <= 9 && dx > 0 && dy > 0) {
                monotonicReroute(*this, tp);
                continue;
            }

            BoundingBox& box = tp->box;
            growBox(box, hOF, vOF, boxGrowthStep(tp->ripupCount), X, Y);
            RipUp(tp->path, net);
            bool maze = false;
            if (dx + dy < mazeLimit) maze = rand() % 30000 < mazeLotteryThreshold(tp->path.size(), of);
            if (maze || tp->rerouteMethod == 3) {
                tp->rerouteMethod = 3;
                const int c = std::max(tp->ripupCount, half);
                MultiMaze(tp, fastMazeMaxLength(dx + dy, c), box, true);
                box.Bondary(tp->to.x, tp->to.y);
                box.Bondary(tp->from.x, tp->from.y);
            } else if (box.upper.x - box.lower.x == dx) {
                tp->rerouteMethod = 1;
                tp->path.clear();
                snakingRouting(tp, box, workDir1.data(), workCost1.data(), false);
            } else if (box.upper.y - box.lower.y == dy) {
                tp->rerouteMethod = 1;
                tp->path.clear();
                snakingRouting(tp, box, workDir1.data(), workCost1.data(), true);
            } else {
                tp->rerouteMethod = 2;
                oldPath.clear();
                oldPath.swap(tp->path);
                const bool found =
                    r <= 7 && !hardOverflowMode
                        ? escapRouting(tp, box, workDir1.data(), workCost1.data(), workDir2.data(), workCost2.data())
                        : escapSnakeRouting(tp, box, workDir1.data(), workCost1.data(), workDir2.data(),
                                            workCost2.data());
                // No meeting G-cell: the connection keeps its old path, as after a
                // maze search that finds nothing.
                if (!found) tp->path.swap(oldPath);
            }
            RoutePath(tp->path, net);
            if (timer.getTime() > control.timeLimit) break;
        }

        const float t = timer.getTime();
        control.wirelengthTrace.push_back(Wlen2D);
        control.overflowTrace.push_back(totalOF);
        control.timeTrace.push_back(t);
        if (verbose) {
            int vtof = 0, vmof = 0;
            virtualOverflow(*this, vtof, vmof);
            std::cout << "Round=" << r + 1 << "  time=" << t << "  totalOF=" << totalOF << "  vtof=" << vtof
                      << "  vmof=" << vmof << "  Wlen2D=" << Wlen2D << "  num_route_net=" << rerouted
                      << "  num_trace_net=" << looked << "\n";
            std::cout.flush();
        }
        if (t > control.timeLimit) break;
    }
}
