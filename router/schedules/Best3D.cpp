#include "router/schedules/Best3D.h"

#include <algorithm>

#include "router/core/GlobalRouter.h"

namespace {

long long lengthOf(const GlobalRouter& r) { return static_cast<long long>(r.Wlen2D) + r.viaCount; }

void forgetKeptPaths(Best3D& best) {
    for (const Best3DPath& p : best.saved) best.savedAt[p.conn] = -1;
    best.saved.clear();
    best.steps.clear();
}

}  // namespace

void startBest3D(Best3D& best, const std::vector<Order>& orders, const GlobalRouter& router) {
    best.conns.clear();
    for (const Order& o : orders) best.conns.push_back(o.twopin);
    std::sort(best.conns.begin(), best.conns.end());
    best.savedAt.assign(best.conns.size(), -1);
    best.saved.clear();
    best.steps.clear();
    best.round = best.lastRound = 0;
    best.totalOF = best.lastOF = best.startOF = router.totalOF;
    best.length = lengthOf(router);
}

void keepPathOfBest3D(Best3D& best, const TwoPin* tp) {
    auto it = std::lower_bound(best.conns.begin(), best.conns.end(), tp);
    if (it == best.conns.end() || *it != tp) return;
    const size_t conn = static_cast<size_t>(it - best.conns.begin());
    if (best.savedAt[conn] != -1) return;
    best.savedAt[conn] = static_cast<int>(best.saved.size());
    best.saved.push_back(Best3DPath{conn, best.steps.size(), tp->path.size()});
    best.steps.insert(best.steps.end(), tp->path.begin(), tp->path.end());
}

void offerRound3D(Best3D& best, int round, const GlobalRouter& router) {
    best.lastRound = round;
    best.lastOF = router.totalOF;
    const long long length = lengthOf(router);
    if (router.totalOF < best.totalOF || (router.totalOF == best.totalOF && length < best.length)) {
        best.round = round;
        best.totalOF = router.totalOF;
        best.length = length;
        forgetKeptPaths(best);
    }
}

void restoreBest3D(Best3D& best, GlobalRouter& router) {
    if (best.round != best.lastRound) {
        // History records the negotiation only; putting paths back is not one.
        const int historyMode = router.history3DMode;
        router.history3DMode = 0;
        for (const Best3DPath& p : best.saved) {
            TwoPin* tp = best.conns[p.conn];
            router.RipUp3D(tp->path, *tp->parNet);
        }
        for (const Best3DPath& p : best.saved) {
            TwoPin* tp = best.conns[p.conn];
            const auto first = best.steps.begin() + static_cast<long>(p.begin);
            tp->path.assign(first, first + static_cast<long>(p.count));
            router.Route3DPath(tp->path, *tp->parNet);
        }
        router.history3DMode = historyMode;
    }
    std::vector<TwoPin*>().swap(best.conns);
    std::vector<int>().swap(best.savedAt);
    std::vector<Best3DPath>().swap(best.saved);
    std::vector<RPoint>().swap(best.steps);
}
