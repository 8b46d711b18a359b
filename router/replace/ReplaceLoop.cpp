// Routing-driven re-placement: the router moves movable cells one at a time to
// the tile where their connections are cheapest to route and the bin least
// crowded, reroutes the moved cell's connections monotonically at once, and
// repeats in rounds under a decaying density weight while routing overflows.
// Also the driver of the local detailed-placement rounds.

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <iostream>

#include "database/Timer.h"
#include "router/core/GlobalRouter.h"

void GlobalRouter::buildCostMap(placeCell& cell, pinLocate& pin, TwoPin* twoPin, Point& p, BoundingBox& box,
                                int* dirMap, float* accMap, int* dirMap2, float* costMap, int* dirMap3,
                                float* costMap3) {
    (void)cell;
    (void)pin;
    (void)dirMap2;
    (void)dirMap3;
    (void)costMap3;
    minu_func(true, twoPin);
    t_monoKernel.start();
    Point corners[4] = {Point(box.upper.x, box.upper.y, 0), Point(box.lower.x, box.lower.y, 0),
                        Point(box.upper.x, box.lower.y, 0), Point(box.lower.x, box.upper.y, 0)};
    for (Point& corner : corners) pseudoMonotonic(p, corner, dirMap, costMap);
    for (int x = box.lower.x; x <= box.upper.x; ++x)
        for (int y = box.lower.y; y <= box.upper.y; ++y) accMap[xyIdx(x, y)] += costMap[xyIdx(x, y)];
    t_monoKernel.stop();
    add_func(true, twoPin);
}

bool GlobalRouter::chooseTile(placeCell& c, const BoundingBox& box, float baseCost, float* accMap, int& bestCol,
                              int& bestRow) {
    Placement& p = placement;
    float best = 1e18f;
    bool found = false;
    const long long area = static_cast<long long>(c.width) * c.height;
    for (int i = box.lower.x; i <= box.upper.x; ++i) {
        if (p.originX + static_cast<long long>(p.binW) * i + c.width > p.xTop) continue;
        for (int j = box.lower.y; j <= box.upper.y; ++j) {
            if (p.originY + static_cast<long long>(p.binH) * j + c.height > p.yTop) continue;
            float& acc = accMap[xyIdx(i, j)];
            const float cost = acc + p.binDesCost(i, j, area) * baseCost;
            acc = cost;
            if (cost < best) {
                best = cost;
                bestCol = i;
                bestRow = j;
                found = true;
            }
        }
    }
    return found;
}

void GlobalRouter::place_and_route(std::vector<Net>& nets, std::vector<Order>& orders, controlGR& control,
                                   int rounds, int iteration) {
    (void)nets;
    (void)orders;
    (void)iteration;
    Placement& p = placement;
    Timer timer;
    timer.start();
    if (control.verbose) std::cout << "===================Start Global Re-Placement===================" << std::endl;

    std::vector<int> movable;
    for (placeCell& c : p.cells) {
        if (c.type != 0) continue;
        movable.push_back(c.index);
        c.stay = 0;
        std::vector<TwoPin*>& list = p.cellTwoPins[c.index];
        std::stable_sort(list.begin(), list.end(), [](const TwoPin* a, const TwoPin* b) {
            return a->from.distance(a->to) < b->from.distance(b->to);
        });
    }
    printf("moveAbleCellNum=%d binOF=%d expand=%d  rounds=%d\n", static_cast<int>(movable.size()),
           p.showPlaceInfo(), 5, rounds);
    fflush(stdout);

    monotonicBendCost = 10.0f;
    float base = 8000.0f;
    if (rounds < 1 || totalOF < 1) return;

    int* dirMap = workDir1.data();
    float* accMap = workCost1.data();
    int* dirMap2 = workDir2.data();
    float* costMap = workCost2.data();
    int* dirMap3 = workDir3.data();
    float* costMap3 = workCost3.data();
    const bool virtualDemand = p.virtualDemandScale > 0;

    for (int r = 0;;) {
        base = std::max(static_cast<float>(2.0 * base / 3.0), 50.0f);
        costOffset = base;
        initialFunc_2Dmap(2);

        int moved = 0, distanceSum = 0, rerouted = 0;
        for (int idx : movable) {
            placeCell& c = p.cells[idx];
            std::vector<TwoPin*>& list = p.cellTwoPins[idx];
            const int tx = static_cast<int>((static_cast<long long>(c.xlow) - p.originX) / p.binW);
            const int ty = static_cast<int>((static_cast<long long>(c.ylow) - p.originY) / p.binH);
            BoundingBox box;
            box.lower = Point(std::max(tx - 5, 0), std::max(ty - 5, 0), 0);
            box.upper = Point(std::min(tx + 5, X - 1), std::min(ty + 5, Y - 1), 0);
            for (TwoPin* tp : list) {
                RipUp(tp->path, *tp->parNet);
                box.Bondary(tp->from.x, tp->from.y);
                box.Bondary(tp->to.x, tp->to.y);
                tp->path.clear();
            }
            const int oldX = c.xlow, oldY = c.ylow;
            p.ripupBin(idx);
            if (virtualDemand) updateVirtualCost(c);

            for (int x = box.lower.x; x <= box.upper.x; ++x)
                for (int y = box.lower.y; y <= box.upper.y; ++y) accMap[xyIdx(x, y)] = 0.0f;
            for (TwoPin* tp : list) {
                std::vector<pinLocate>& pins = tp->parNet->pins;
                pinLocate& a = pins[tp->fromPin];
                pinLocate& b = pins[tp->toPin];
                if (a.cell == idx) {
                    if (b.cell == idx) continue;
                    buildCostMap(c, a, tp, tp->to, box, dirMap, accMap, dirMap2, costMap, dirMap3, costMap3);
                } else {
                    buildCostMap(c, b, tp, tp->from, box, dirMap, accMap, dirMap2, costMap, dirMap3, costMap3);
                }
            }

            int bestCol = tx, bestRow = ty;
            int newX = oldX, newY = oldY;
            if (chooseTile(c, box, base, accMap, bestCol, bestRow)) {
                newX = static_cast<int>(p.originX + static_cast<long long>(p.binW) * bestCol);
                newY = static_cast<int>(p.originY + static_cast<long long>(p.binH) * bestRow);
                if (bestCol == tx && bestRow == ty) {
                    ++c.stay;
                } else {
                    ++moved;
                    distanceSum += std::abs(tx - bestCol) + std::abs(ty - bestRow);
                }
            } else {
                printf("ERROR %s %d  index=%d (%d,%d)-(%d,%d)\n", "GlobalRouter", 3881, c.index, box.lower.x,
                       box.lower.y, box.upper.x, box.upper.y);
                for (int i = box.lower.x; i <= box.upper.x; ++i)
                    for (int j = box.lower.y; j <= box.upper.y; ++j)
                        printf("dp[%d][%d]=%.2lf\n", i, j, static_cast<double>(accMap[xyIdx(i, j)]));
                // No tile takes the cell: it goes back where it was and stays counted as kept.
                ++c.stay;
            }
            p.insertBin(idx, newX, newY);
            updateNetInfo(idx);

            for (TwoPin* tp : list) {
                minu_func(true, tp);
                pseudoMonotonic(tp->from, tp->to, dirMap, accMap);
                monTraceBack(tp->path, tp->to.x, tp->to.y, dirMap);
                add_func(true, tp);
                RoutePath(tp->path, *tp->parNet);
                ++rerouted;
            }
            if (virtualDemand) updateVirtualCost(c);
            if (totalOF <= 0) break;
        }

        p.countHistory = true;
        const int binOF = p.updateHistory();
        if (control.verbose) {
            int vtof = 0, vmof = 0;
            if (virtualDemand) vtof = getVirtualOF(vmof);
            std::cout << "Round=" << r << "  time=" << timer.getTime() << "  binOF=" << binOF
                      << "  totalOF=" << totalOF << "  vtof=" << vtof << "  vmof=" << vmof << "  Wlen2D=" << Wlen2D
                      << "  num_route_net=" << rerouted << "  numMoveCell=" << moved
                      << "  avgMoveDis=" << static_cast<float>(distanceSum) / static_cast<float>(moved + 1)
                      << "\n";
            std::cout.flush();
        }
        ++r;
        if (r == rounds || totalOF < 1) break;
    }
}

void GlobalRouter::localDetailedPlace(int rounds) {
    Timer timer;
    timer.start();
    std::cout << "==============Start Local Detailed Placement==============" << std::endl;
    for (int r = 0; r < rounds; ++r) {
        float tSwap = 0, tWindow = 0, tWhite = 0;
        const long long swapGain = placement.insideBinChange(tSwap);
        const long long windowGain = placement.slidingWindow(tWindow);
        const long long whiteGain = placement.replace2WhitePlace(tWhite);
        printf("Round %d  swapCell(impr=%lld, time=%.2lf)  slidingWin(impr=%lld, time=%.2lf)  move2White(impr=%lld, "
               "time=%.2lf)\n",
               r, swapGain, static_cast<double>(tSwap), windowGain, static_cast<double>(tWindow), whiteGain,
               static_cast<double>(tWhite));
        fflush(stdout);
    }
    printf("Local Detailed Placement costs %.2lf seconds\n\n", static_cast<double>(timer.getTime()));
    fflush(stdout);
}
