// Escape routing: two dynamic programs grown from the two ends of a connection
// over its whole box, joined at the cheapest meeting G-cell; and the side costs
// that tell the fast schedule on which sides the box may grow.

#include <algorithm>
#include <cstdlib>

#include "database/Timer.h"
#include "router/core/GlobalRouter.h"

namespace {

// Cost of joining the two maps along one box side: a running best of each map
// (a G-cell reached further along costs `offset` per G-cell walked to it) and
// the joint cost of the two bests. idx(i) is the work-map index of the i-th
// G-cell of the side.
template <class Idx>
float joinAlongSide(int lo, int hi, Idx idx, const float* costA, const float* costB, float offset) {
    float a = costA[idx(lo)];
    float b = costB[idx(lo)];
    int ra = lo;
    int rb = lo;
    float joint = a + b;
    float best = joint;
    for (int i = lo + 1; i <= hi; ++i) {
        const int c = idx(i);
        if (static_cast<float>(i - ra) * offset + a >= costA[c]) {
            a = costA[c];
            ra = i;
            joint = b + a + static_cast<float>(std::abs(i - rb)) * offset;
        }
        if (static_cast<float>(i - rb) * offset + b >= costB[c]) {
            b = costB[c];
            rb = i;
            joint = b + a + static_cast<float>(std::abs(ra - i)) * offset;
        }
        best = std::min(best, joint);
    }
    return best;
}

}  // namespace

float GlobalRouter::minCostLeftRight(int x, int yLow, int yHigh, float* costA, float* costB) {
    return joinAlongSide(yLow, yHigh, [&](int y) { return xyIdx(x, y); }, costA, costB, costOffset);
}

float GlobalRouter::minCostTopBottom(int xLow, int xHigh, int y, float* costA, float* costB) {
    return joinAlongSide(xLow, xHigh, [&](int x) { return xyIdx(x, y); }, costA, costB, costOffset);
}

bool GlobalRouter::identifyPath(TwoPin* tp, int* dirA, float* costA, int* dirB, float* costB) {
    BoundingBox& box = tp->box;
    float best = 1e11f;
    int mx = -1, my = -1;
    for (int x = box.lower.x; x <= box.upper.x; ++x)
        for (int y = box.lower.y; y <= box.upper.y; ++y) {
            const int c = xyIdx(x, y);
            const float sum = costA[c] + costB[c];
            if (sum < best) {
                best = sum;
                mx = x;
                my = y;
            }
        }

    const float left = minCostLeftRight(box.lower.x, box.lower.y, box.upper.y, costA, costB);
    const float right = minCostLeftRight(box.upper.x, box.lower.y, box.upper.y, costA, costB);
    const float bottom = minCostTopBottom(box.lower.x, box.upper.x, box.lower.y, costA, costB);
    const float top = minCostTopBottom(box.lower.x, box.upper.x, box.upper.y, costA, costB);
    box.growLeft = left <= best;
    box.growRight = right <= best;
    box.growDown = bottom <= best;
    box.growUp = top <= best;

    if (mx < 0) return false;
    monTraceBack(tp->path, mx, my, dirA, box);
    monTraceBack(tp->path, mx, my, dirB, box);
    return true;
}

bool GlobalRouter::escapRouting(TwoPin* tp, BoundingBox& box, int* dirA, float* costA, int* dirB, float* costB) {
    minu_func(true, tp);
    t_monoKernel.start();
    // The four rectangles from an end to the box's corners cover the box.
    Point corners[4] = {box.upper, box.lower, Point(box.upper.x, box.lower.y, 0), Point(box.lower.x, box.upper.y, 0)};
    for (Point& c : corners) pseudoMonotonic(tp->from, c, dirA, costA);
    for (Point& c : corners) pseudoMonotonic(tp->to, c, dirB, costB);
    const bool found = identifyPath(tp, dirA, costA, dirB, costB);
    t_monoKernel.stop();
    add_func(true, tp);
    return found;
}

bool GlobalRouter::escapSnakeRouting(TwoPin* tp, BoundingBox& box, int* dirA, float* costA, int* dirB,
                                     float* costB) {
    minu_func(true, tp);
    t_humKernel.start();
    // Only the corners' x (resp. y) counts: the two runs cover every column (row).
    Point upper = box.upper;
    Point lower = box.lower;
    snakingRoutingVer(tp->from, upper, box, dirA, costA);
    snakingRoutingVer(tp->from, lower, box, dirA, costA);
    snakingRoutingHor(tp->to, upper, box, dirB, costB);
    snakingRoutingHor(tp->to, lower, box, dirB, costB);
    const bool found = identifyPath(tp, dirA, costA, dirB, costB);
    t_humKernel.stop();
    add_func(true, tp);
    return found;
}
