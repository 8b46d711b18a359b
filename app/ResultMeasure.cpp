#include "app/ResultMeasure.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "database/PathOrder.h"
#include "layer_assignment/LA.h"

namespace {

// The nets using each layer edge, and the length of what is written.
class Tally {
public:
    explicit Tally(const NetDB& db)
        : db_(db), X_(db.gridX), Y_(db.gridY), L_(db.layerNum),
          uses_(static_cast<size_t>(db.gridX) * db.gridY * db.layerNum * 2, 0) {}

    // Index of the step of kind 0 (to (x, y+1)), 1 (to (x+1, y)) or 2 (via to
    // layer z+1) at (x, y, z); -1 when the step leaves the grid, as the writers
    // skip such a step.
    long long stepIndex(int kind, int x, int y, int z) const {
        const bool inGrid = x >= 0 && y >= 0 && z >= 0 && kind >= 0 && kind <= 2 &&
                            x + (kind == 1) < X_ && y + (kind == 0) < Y_ && z + (kind == 2) < L_;
        if (!inGrid) return -1;
        return ((static_cast<long long>(z) * Y_ + y) * X_ + x) * 3 + kind;
    }

    // One net's use of the step of stepIndex; each net's step counts once.
    void add(long long step) {
        if (step < 0) return;
        const int kind = static_cast<int>(step % 3);
        if (kind != 2) ++uses_[static_cast<size_t>(step / 3 * 2 + kind)];
        ++length_;
    }
    void addVias(int layersCrossed) { length_ += layersCrossed; }

    // A net whose pins share one G-cell on several layers is written as the via stack over them.
    void addSingleCellStacks() {
        for (const Net& net : db_.nets) {
            if (net.pin2D.size() != 1 || !net.twopin.empty()) continue;
            int lo = 0, hi = 0;
            if (pinLayerSpan(net, net.pin2D[0].x, net.pin2D[0].y, lo, hi) && lo < hi) addVias(hi - lo);
        }
    }

    ResultMeasure finish() const {
        ResultMeasure m;
        m.length = length_;
        for (int z = 0; z < L_; ++z) {
            const long long pitch = db_.pitch[z];
            const long long capacity[2] = {db_.vCap[z], db_.hCap[z]};
            const size_t first = static_cast<size_t>(z) * Y_ * X_ * 2, last = first + static_cast<size_t>(Y_) * X_ * 2;
            for (size_t i = first; i < last; ++i)
                if (uses_[i] != 0) m.totalOverflow += std::max(0LL, uses_[i] * pitch - capacity[i % 2]);
        }
        // Adjusted edges: the last adjustment of an edge holds (in tracks).
        std::vector<std::pair<size_t, size_t>> adjusted;  // (edge, adjustment)
        const size_t count = std::min(db_.adjLocate.size(), db_.adjCapacity.size());
        for (size_t a = 0; a < count; ++a) {
            const RPoint& e = db_.adjLocate[a];
            const long long step = e.hori == 2 ? -1 : stepIndex(e.hori, e.x, e.y, e.z);
            if (step >= 0) adjusted.emplace_back(static_cast<size_t>(step / 3 * 2 + e.hori), a);
        }
        std::sort(adjusted.begin(), adjusted.end());
        for (size_t k = 0; k < adjusted.size(); ++k) {
            if (k + 1 < adjusted.size() && adjusted[k + 1].first == adjusted[k].first) continue;
            const RPoint& e = db_.adjLocate[adjusted[k].second];
            const long long pitch = db_.pitch[e.z];
            const long long use = uses_[adjusted[k].first] * pitch;
            const long long byDefault = e.hori == 1 ? db_.hCap[e.z] : db_.vCap[e.z];
            m.totalOverflow += std::max(0LL, use - db_.adjCapacity[adjusted[k].second] * pitch) -
                               std::max(0LL, use - byDefault);
        }
        return m;
    }

private:
    const NetDB& db_;
    int X_, Y_, L_;
    std::vector<int> uses_;  // [layer][y][x][0 vertical, 1 horizontal]
    long long length_ = 0;
};

}  // namespace

bool betterResult(const ResultMeasure& a, const ResultMeasure& b) {
    return a.totalOverflow < b.totalOverflow || (a.totalOverflow == b.totalOverflow && a.length < b.length);
}

ResultMeasure measureAssignedTrees(const Graph& graph, const NetDB& db) {
    Tally tally(db);
    for (const Graph::net& n : graph.nets) {
        // A tree holds each 2D edge once.
        for (const Graph::edge& e : n.edges) tally.add(tally.stepIndex(e.dir, e.x, e.y, e.layer));
        // One via run per node, over the layers of its pins and edges.
        for (size_t i = 0; i < n.nodes.size(); ++i) {
            int lo = 0, hi = 0;
            Graph::nodeViaSpan(n, static_cast<int>(i), lo, hi);
            if (hi > lo) tally.addVias(hi - lo);
        }
    }
    tally.addSingleCellStacks();
    return tally.finish();
}

ResultMeasure measureRoutedPaths(const NetDB& db) {
    Tally tally(db);
    std::vector<long long> steps;
    for (const Net& net : db.nets) {
        steps.clear();
        for (const TwoPin& tp : net.twopin)
            for (const RPoint& s : tp.path) steps.push_back(tally.stepIndex(s.hori, s.x, s.y, s.z));
        std::sort(steps.begin(), steps.end());
        steps.erase(std::unique(steps.begin(), steps.end()), steps.end());
        for (long long s : steps) tally.add(s);
    }
    tally.addSingleCellStacks();
    return tally.finish();
}
