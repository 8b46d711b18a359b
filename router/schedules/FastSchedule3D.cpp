// The negotiation stage of the 3D refinement: round after round, every
// connection whose 3D path crosses an overflowed layer edge is ripped up and
// rerouted by the 3D snaking or escape kernel inside a box that grows with its
// reroute count.

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <iostream>

#include "database/Timer.h"
#include "router/core/GlobalRouter.h"
#include "router/schedules/Best3D.h"
#include "router/schedules/FastSchedule.h"

void GlobalRouter::fastRouting3D(std::vector<Net>&, std::vector<Order>& orders, controlGR& control, Best3D* best) {
    Timer timer;
    timer.start();
    if (control.verbose) std::cout << "===================Start 3D Fast Routing===================" << std::endl;

    for (Order& o : orders) {
        TwoPin* tp = o.twopin;
        tp->box.upper.x = std::max(tp->from.x, tp->to.x);
        tp->box.upper.y = std::max(tp->from.y, tp->to.y);
        tp->box.lower.x = std::min(tp->from.x, tp->to.x);
        tp->box.lower.y = std::min(tp->from.y, tp->to.y);
        int hOF = 0, vOF = 0;
        float hCost = 0.0f, vCost = 0.0f;
        getHorVerOverflow3D(tp->path, hOF, vOF, hCost, vCost);
        const int dx = std::abs(tp->from.x - tp->to.x), dy = std::abs(tp->from.y - tp->to.y);
        o.key = 60.0 * (hOF + vOF) + static_cast<double>(dx + 1) * (dy + 1);
    }
    std::sort(orders.begin(), orders.end());

    control.wirelengthTrace.push_back(Wlen2D);
    // The trace holds ints; the pitch-weighted total is capped at the int range there.
    auto traced = [this] { return static_cast<int>(std::min<long long>(totalOF, INT_MAX)); };
    control.overflowTrace.push_back(traced());
    control.timeTrace.push_back(0.0f);

    std::vector<RPoint> oldPath;  // kept while the escape kernel looks for a new path
    for (int round = 1; round <= 500 && totalOF > 0; ++round) {
        srand(0);
        int rerouted = 0;
        for (Order& o : orders) {
            if (totalOF <= 0) break;
            TwoPin* tp = o.twopin;
            int hOF = 0, vOF = 0;
            float hCost = 0.0f, vCost = 0.0f;
            getHorVerOverflow3D(tp->path, hOF, vOF, hCost, vCost);
            if (hOF + vOF == 0) continue;

            tp->ripupCount += 1;
            BoundingBox& box = tp->box;
            growBox(box, hOF, vOF, boxGrowthStep(tp->ripupCount), X, Y);

            Net& net = *tp->parNet;
            if (best) keepPathOfBest3D(*best, tp);
            RipUp3D(tp->path, net);
            const int dx = std::abs(tp->from.x - tp->to.x), dy = std::abs(tp->from.y - tp->to.y);
            if (box.upper.x - box.lower.x == dx) {
                tp->rerouteMethod = 1;
                tp->path.clear();
                snakingRouting3D(tp, box, work3DDir1.data(), work3DCost1.data(), false);
            } else if (box.upper.y - box.lower.y == dy) {
                tp->rerouteMethod = 1;
                tp->path.clear();
                snakingRouting3D(tp, box, work3DDir1.data(), work3DCost1.data(), true);
            } else {
                tp->rerouteMethod = 2;
                oldPath.swap(tp->path);
                tp->path.clear();
                if (!escapRouting3D(tp, box, work3DDir1.data(), work3DCost1.data(), work3DDir2.data(),
                                    work3DCost2.data()))
                    tp->path.swap(oldPath);
            }
            Route3DPath(tp->path, net);
            ++rerouted;
            if (timer.getTime() > control.timeLimit) break;
        }
        const float t = timer.getTime();
        control.wirelengthTrace.push_back(Wlen2D);
        control.overflowTrace.push_back(traced());
        control.timeTrace.push_back(t);
        if (best) offerRound3D(*best, round, *this);
        if (control.verbose) {
            std::cout << "Round=" << round << "  time=" << t << "  totalOF=" << totalOF
                      << "  Wlen2D=" << Wlen2D + viaCount << "  num_route_net=" << rerouted << "\n";
            std::cout.flush();
        }
        if (t > control.timeLimit) break;
    }
}
