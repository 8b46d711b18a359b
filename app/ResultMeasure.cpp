#include "app/ResultMeasure.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "database/WrittenSteps.h"
#include "layer_assignment/LA.h"

namespace {

// What every net charges each layer edge it uses, and the length of what is written.
class Tally {
public:
    explicit Tally(const NetDB& db)
        : db_(db), X_(db.gridX), Y_(db.gridY), L_(db.layerNum),
          use_(static_cast<size_t>(db.gridX) * db.gridY * db.layerNum * 2, 0) {}

    // A wire of kind 0 (to (x, y+1)) or 1 (to (x+1, y)) at (x, y, z) of a net
    // of the given width: it takes its width, at least the layer's minimum
    // width, plus the layer's minimum spacing.
    void wire(int kind, int x, int y, int z, int width) {
        use_[index(kind, x, y, z)] += static_cast<long long>(std::max(width, db_.minWidth[z])) + db_.minSpacing[z];
        ++length_;
    }
    void vias(int layersCrossed) { length_ += layersCrossed; }

    ResultMeasure finish() const {
        ResultMeasure m;
        m.length = length_;
        for (int z = 0; z < L_; ++z) {
            const long long capacity[2] = {db_.vCap[z], db_.hCap[z]};
            const size_t first = static_cast<size_t>(z) * Y_ * X_ * 2, last = first + static_cast<size_t>(Y_) * X_ * 2;
            for (size_t i = first; i < last; ++i)
                if (use_[i] != 0) m.totalOverflow += std::max(0LL, use_[i] - capacity[i % 2]);
        }
        // Adjusted edges, in capacity units: the last adjustment of an edge holds.
        std::vector<std::pair<size_t, size_t>> adjusted;  // (edge, adjustment)
        const size_t count = std::min(db_.adjLocate.size(), db_.adjCapacity.size());
        for (size_t a = 0; a < count; ++a) {
            const RPoint& e = db_.adjLocate[a];
            const bool inGrid = (e.hori == 0 || e.hori == 1) && e.x >= 0 && e.y >= 0 && e.z >= 0 && e.z < L_ &&
                                e.x + (e.hori == 1) < X_ && e.y + (e.hori == 0) < Y_;
            if (inGrid) adjusted.emplace_back(index(e.hori, e.x, e.y, e.z), a);
        }
        std::sort(adjusted.begin(), adjusted.end());
        const bool units = db_.adjCapacityUnits.size() == db_.adjCapacity.size();
        for (size_t k = 0; k < adjusted.size(); ++k) {
            if (k + 1 < adjusted.size() && adjusted[k + 1].first == adjusted[k].first) continue;
            const size_t a = adjusted[k].second;
            const RPoint& e = db_.adjLocate[a];
            const long long use = use_[adjusted[k].first];
            const long long byDefault = e.hori == 1 ? db_.hCap[e.z] : db_.vCap[e.z];
            const long long capacity =
                units ? db_.adjCapacityUnits[a] : static_cast<long long>(db_.adjCapacity[a]) * db_.pitch[e.z];
            m.totalOverflow += std::max(0LL, use - capacity) - std::max(0LL, use - byDefault);
        }
        return m;
    }

private:
    size_t index(int kind, int x, int y, int z) const {
        return ((static_cast<size_t>(z) * Y_ + y) * X_ + x) * 2 + kind;
    }

    const NetDB& db_;
    int X_, Y_, L_;
    std::vector<long long> use_;  // [layer][y][x][0 vertical, 1 horizontal], capacity units
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
        for (const Graph::edge& e : n.edges) tally.wire(e.dir, e.x, e.y, e.layer, n.width);
        // One via run per node, over the layers of its pins and edges.
        for (size_t i = 0; i < n.nodes.size(); ++i) {
            int lo = 0, hi = 0;
            Graph::nodeViaSpan(n, static_cast<int>(i), lo, hi);
            if (hi > lo) tally.vias(hi - lo);
        }
    }
    for (const Graph::pinStack& p : graph.pinStacks) tally.vias(p.hi - p.lo);
    return tally.finish();
}

ResultMeasure measureRoutedPaths(const NetDB& db) {
    Tally tally(db);
    WrittenSteps steps(db);
    for (size_t k = 0; k < db.nets.size(); ++k) {
        const int width = db.nets[k].width;
        steps.walk(
            k,
            [&](int kind, int x, int y, int z) {
                if (kind == 2)
                    tally.vias(1);
                else
                    tally.wire(kind, x, y, z, width);
            },
            [] {});
    }
    return tally.finish();
}
