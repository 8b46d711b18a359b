// Row legalization: every movable cell goes onto a sub-row, packed left to
// right in clusters of abutting cells, searched in growing rings of bins
// around its own bin and charged by the displacement it causes.

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "database/Timer.h"
#include "placement/Placement.h"

namespace {

// Weights above 2^kRenormAt are brought down by 2^kRenormBy together with their target sum.
constexpr int kRenormAt = 600;
constexpr int kRenormBy = 600;

void renormalise(Cluster& k) {
    if (k.e > std::ldexp(1.0, kRenormAt)) {
        k.e = std::ldexp(k.e, -kRenormBy);
        k.q = std::ldexp(k.q, -kRenormBy);
        k.scale += kRenormBy;
    }
}

// Brings b to a's scale (b's sums shrink when a's scale is the larger).
void toScale(Cluster& a, Cluster& b) {
    if (a.scale == b.scale) return;
    if (a.scale > b.scale) {
        b.e = std::ldexp(b.e, b.scale - a.scale);
        b.q = std::ldexp(b.q, b.scale - a.scale);
        b.scale = a.scale;
    } else {
        a.e = std::ldexp(a.e, a.scale - b.scale);
        a.q = std::ldexp(a.q, a.scale - b.scale);
        a.scale = b.scale;
    }
}

int weightOf(const std::vector<std::vector<TwoPin*>>& lists, int cell) {
    return static_cast<int>(lists[cell].size()) + 1;
}

}  // namespace

bool cellCompare(placeCell* a, placeCell* b) {
    if (a->xlow != b->xlow) return a->xlow < b->xlow;
    return a->legalKey > b->legalKey;
}

float Placement::cellCost(const placeCell& c, int x, int y, int demand, const SubRow& s) const {
    const int hx = binCol(c.xlow), hy = binRow(c.ylow);
    const int B = std::abs(hx - binCol(x)) + std::abs(hy - binRow(y));
    const long long M = std::llabs(static_cast<long long>(y) - c.ylow) + std::llabs(static_cast<long long>(x) - c.xlow);
    const long long A0 = binOverlap(hx, hy, c.xlow, c.ylow, static_cast<long long>(c.xlow) + c.width,
                                    static_cast<long long>(c.ylow) + c.height);
    const long long A1 =
        binOverlap(hx, hy, x, y, static_cast<long long>(x) + c.width, static_cast<long long>(y) + c.height);
    return 100.0f * static_cast<float>(B) + static_cast<float>(M) + 10000.0f * static_cast<float>(std::llabs(A0 - A1)) +
           static_cast<float>(static_cast<long long>(c.width) + demand) /
               static_cast<float>(static_cast<long long>(s.xhigh) + 1 - s.xlow);
}

void Placement::resetSubRow() {
    for (SubRow& s : subRowPool) {
        s.demandX = 0;
        s.cells.clear();
        s.clusters.clear();
        s.trialClusters.clear();
        s.trialBase = 0;
    }
}

void Placement::getSubRowSet(int bx, int by, std::vector<SubRow*>& out, int r, int stamp) {
    auto take = [&](int x, int y) {
        for (SubRow* s : bin(x, y).subRows) {
            if (s->stamp == stamp) continue;
            s->stamp = stamp;
            out.push_back(s);
        }
    };
    for (int y = std::max(by - r, 0); y <= std::min(by + r, binY - 1); ++y) {
        const int k = r - std::abs(y - by);
        if (bx - k >= 0 && bx - k < binX) take(bx - k, y);
        if (k > 0 && bx + k < binX && bx + k >= 0) take(bx + k, y);
    }
}

void Placement::legalizeCell(placeCell& c, std::vector<SubRow*>& candidates, float& bestCost, SubRow*& best,
                             int& bestX) {
    for (SubRow* s : candidates) {
        if (static_cast<long long>(s->demandX) + c.width > static_cast<long long>(s->xhigh) - s->xlow) continue;
        if (static_cast<float>(std::llabs(static_cast<long long>(s->ylow) - c.ylow)) > bestCost) continue;
        const float cost = tryPlaceCell(c, *s);
        if (cost < bestCost) {
            best = s;
            bestX = c.trialX;
            bestCost = cost;
        }
    }
}

float Placement::tryPlaceCell(placeCell& c, SubRow& s) {
    // Trial clusters: the committed ones, of which only the tail that this
    // trial touches is copied.
    s.trialClusters.clear();
    s.trialBase = static_cast<int>(s.clusters.size());
    s.cells.push_back(c.index);
    const int p = static_cast<int>(s.cells.size()) - 1;
    const int w = weightOf(cellTwoPins, c.index);
    if (!s.clusters.empty() && c.xlow <= s.clusters.back().end) {
        Cluster L = s.clusters.back();
        s.trialBase -= 1;
        const long long t = c.xlow - (L.end - L.x);
        L.last = p;
        const double wScaled = std::ldexp(static_cast<double>(w), -L.scale);
        const double qw = static_cast<double>(static_cast<float>(t) * static_cast<float>(w));
        L.e = 5.0 * L.e + wScaled;
        L.q = 5.0 * L.q + std::ldexp(qw, -L.scale);
        L.end += c.width;
        renormalise(L);
        s.trialClusters.push_back(L);
    } else {
        Cluster n;
        n.first = n.last = p;
        n.x = c.xlow;
        n.end = static_cast<long long>(c.xlow) + c.width;
        n.e = w;
        n.q = static_cast<double>(static_cast<float>(c.xlow) * static_cast<float>(w));
        s.trialClusters.push_back(n);
    }
    const float cost = collapse(c, s);
    s.cells.pop_back();
    if (c.trialX < s.xlow || static_cast<long long>(c.trialX) + c.width > s.xhigh) {
        printf("ERROR %s %d cellIndex=%d\n", "Placement", 1339, c.index);
        exit(1);
    }
    return cost;
}

float Placement::collapse(placeCell& c, SubRow& s) {
    std::vector<Cluster>& tc = s.trialClusters;
    for (;;) {
        Cluster& K = tc.back();
        const long long width = K.end - K.x;
        // The nearest whole position: rounded down from x + 0.5, negative positions too.
        const double wish = std::floor(K.q / K.e + 0.5);
        long long x = K.x;
        if (std::isfinite(wish)) x = static_cast<long long>(std::max(-4.0e9, std::min(4.0e9, wish)));
        if (x < s.xlow)
            x = s.xlow;
        else if (x + width > s.xhigh)
            x = s.xhigh - width;
        K.x = x;
        K.end = x + width;
        const int kPos = s.trialBase + static_cast<int>(tc.size()) - 1;
        if (kPos == 0) break;
        // The cluster before K: still committed when the trial tail is K alone.
        const Cluster& before = tc.size() >= 2 ? tc[tc.size() - 2] : s.clusters[s.trialBase - 1];
        if (before.end < K.x) break;
        if (tc.size() == 1) {
            tc.insert(tc.begin(), s.clusters[s.trialBase - 1]);
            s.trialBase -= 1;
        }
        Cluster& P = tc[tc.size() - 2];
        Cluster& Kc = tc.back();
        const long long E = P.end;
        const long long kx = Kc.x;
        toScale(P, Kc);
        P.end = E + width;
        P.e = P.e + Kc.e;
        P.last = Kc.last;
        P.q = P.q + Kc.q - static_cast<double>(E - P.x) * Kc.e;
        renormalise(P);
        tc.pop_back();
        if (E == kx) break;
    }
    // The last cluster holds every cell that may have moved.
    const Cluster& K = tc.back();
    float cost = 0.0f;
    long long x = K.x;
    for (int i = K.first; i <= K.last; ++i) {
        placeCell& m = cells[s.cells[i]];
        m.trialX = static_cast<int>(x);
        const float stored = m.index == c.index ? 0.0f : m.legalCost;
        cost += std::max(0.0f, cellCost(m, m.trialX, s.ylow, s.demandX, s) - stored);
        x += m.width;
    }
    return cost;
}

void Placement::legalizeAllCell() {
    Timer timer;
    timer.start();
    resetSubRow();
    std::vector<int>& work = workList_;
    work.clear();
    for (size_t i = 0; i < cells.size(); ++i) {
        placeCell& c = cells[i];
        if (c.type != 0) continue;
        work.push_back(static_cast<int>(i));
        c.legalCost = 0.0f;
        const Bin& b = bin(binCol(c.xlow), binRow(c.ylow));
        const float conn = c.width > 0 ? static_cast<float>(cellTwoPins[i].size()) / static_cast<float>(c.width) : 0.0f;
        c.legalKey = conn + 10.0f * static_cast<float>(b.history + 1) * static_cast<float>(b.placedArea) /
                                static_cast<float>(b.placeableArea + 1);
    }
    std::sort(work.begin(), work.end(), [&](int a, int b) { return cellCompare(&cells[a], &cells[b]); });
    for (SubRow& s : subRowPool) {
        s.stamp = -1;
        s.demandX = 0;
    }

    std::vector<SubRow*>& cand = candidateScratch_;
    // Whether a cell found a spot: kept apart from its coordinates, which may take any value.
    placed_.assign(cells.size(), 0);
    for (int ci : work) {
        placeCell& c = cells[ci];
        float bestCost = 1e19f;
        SubRow* best = nullptr;
        int bestX = -1;
        c.trialX = c.legX = c.legY = -1;
        const int bx = binCol(c.xlow), by = binRow(c.ylow);
        // Beyond this radius the ring lies wholly outside the grid.
        const int rMax = std::max(bx, binX - 1 - bx) + std::max(by, binY - 1 - by);
        for (int r = 0;; ++r) {
            cand.clear();
            getSubRowSet(bx, by, cand, r, ci);
            legalizeCell(c, cand, bestCost, best, bestX);
            if (best != nullptr) {
                const int d = std::abs(bx - binCol(bestX)) + std::abs(by - binRow(best->ylow));
                if (d <= r) break;
                if (r + 1 >= 15) break;
            }
            if (r >= rMax) break;
        }
        if (best == nullptr) continue;  // reported by the statistics below
        placed_[ci] = 1;

        // Commit: the sub-row's trial clusters still hold this cell's trial
        // (each sub-row is tried once per cell).
        best->cells.push_back(ci);
        best->clusters.resize(best->trialBase);
        best->clusters.insert(best->clusters.end(), best->trialClusters.begin(), best->trialClusters.end());
        best->demandX += c.width;
        if (best->demandX > best->xhigh - best->xlow) printf("ERROR %s %d\n", "Placement", 1140);
        c.legY = best->ylow;
        const Cluster& last = best->clusters.back();
        long long x = last.x;
        for (int i = last.first; i <= last.last; ++i) {
            placeCell& m = cells[best->cells[i]];
            if (x < best->xlow || x + m.width > best->xhigh) {
                printf("ERROR %s %d  index=%d  lastCl.first=%lld  legX=%lld legY=%d width=%d  xlow=%d xTop=%d "
                       "ylow=%d\n",
                       "Placement", 1164, m.index, last.x, x, m.legY, m.width, best->xlow, best->xhigh, best->ylow);
                exit(1);
            }
            m.legX = m.trialX = static_cast<int>(x);
            m.legalCost = cellCost(m, m.legX, best->ylow, best->demandX, *best);
            x += m.width;
        }
    }

    long long maxMove = 0, sumMove = 0;
    long long maxBinMove = 0, sumBinMove = 0;
    for (size_t i = 0; i < work.size(); ++i) {
        const placeCell& c = cells[work[i]];
        if (!placed_[work[i]]) {
            printf("i=%d  index=%d  xlow=%d  ylow=%d  legX=%d  legY=%d\n", static_cast<int>(i), c.index, c.xlow, c.ylow,
                   c.legX, c.legY);
            fflush(stdout);
            // Movable objects are the o objects of the .nodes file, numbered by their line there.
            const std::string line = c.line > 0 ? " (line " + std::to_string(c.line) + " of the .nodes file)" : "";
            fprintf(stderr, "o%d%s: no row has room left for this movable cell at (%d, %d); legalization failed\n",
                    c.index, line.c_str(), c.xlow, c.ylow);
            exit(1);
        }
        const long long mv = std::llabs(static_cast<long long>(c.xlow) - c.legX) +
                             std::llabs(static_cast<long long>(c.ylow) - c.legY);
        const long long bm = std::abs(binCol(c.xlow) - binCol(c.legX)) + std::abs(binRow(c.ylow) - binRow(c.legY));
        maxMove = std::max(maxMove, mv);
        sumMove += mv;
        maxBinMove = std::max(maxBinMove, bm);
        sumBinMove += bm;
    }
    const size_t n = work.size();
    const float avgMove = n > 0 ? static_cast<float>(sumMove) / static_cast<float>(n) : 0.0f;
    const float avgBin = n > 0 ? static_cast<float>(sumBinMove) / static_cast<float>(n) : 0.0f;
    printf("Legalization: moveCellNum=%d  unPlaceNum=%d  maxMove=%lld  avgMove=%.4lf  maxBinMove=%lld  "
           "avgBinMove=%.4lf  time=%.2lf\n\n",
           static_cast<int>(n), 0, maxMove, static_cast<double>(avgMove), maxBinMove, static_cast<double>(avgBin),
           static_cast<double>(timer.getTime()));
    fflush(stdout);
    checkCellinRow();
}

void Placement::checkCellinRow() {
    for (Row& row : rows) {
        for (SubRow* sp : row.subRows) {
            SubRow& s = *sp;
            if (s.cells.empty()) {
                if (s.demandX != 0) {
                    printf("ERROR: %s  %d  it->demandX=%d demandX=%d\n", "Placement", 1012, s.demandX, 0);
                    exit(1);
                }
                continue;
            }
            long long sum = 0;
            for (size_t k = 0; k < s.cells.size(); ++k) {
                placeCell& c = cells[s.cells[k]];
                if (k + 1 < s.cells.size()) {
                    const placeCell& nx = cells[s.cells[k + 1]];
                    if (nx.legX < static_cast<long long>(c.legX) + c.width) {
                        printf("ERROR %s %d\n", "Placement", 994);
                        exit(1);
                    }
                    c.rightLimit = nx.legX;
                } else {
                    c.rightLimit = s.xhigh;
                }
                if (c.legX < s.xlow || static_cast<long long>(c.legX) + c.width > s.xhigh) {
                    printf("ERROR %s %d  index=%d  legX=%d legY=%d width=%d  xlow=%d xTop=%d ylow=%d\n", "Placement",
                           1005, c.index, c.legX, c.legY, c.width, s.xlow, s.xhigh, s.ylow);
                    exit(1);
                }
                sum += c.width;
            }
            if (sum != s.demandX) {
                printf("ERROR: %s  %d  it->demandX=%d demandX=%lld\n", "Placement", 1012, s.demandX, sum);
                exit(1);
            }
        }
    }
}
