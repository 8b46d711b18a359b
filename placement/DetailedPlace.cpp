// Local detailed placement: a legal placement is improved bin by bin without a
// cell ever leaving its bin, so bin areas, pin counts and the routing picture
// stay as they are. One round is three passes: swaps of two cells of a bin,
// exhaustive reordering of windows of up to five neighbouring cells, and moves
// of single cells into the best free gap of their bin. All three minimise a
// local wire length whose far ends are pulled into the moving cell's own bin.

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstdlib>

#include "database/Timer.h"
#include "placement/Placement.h"

namespace {

// The position of a far pin's object: a movable cell's legal spot (which the
// window search changes while it tries orders), a fixed object's own position.
int farX(const placeCell& c) { return c.type == 0 ? c.legX : c.xlow; }
int farY(const placeCell& c) { return c.type == 0 ? c.legY : c.ylow; }

long long clampTo(long long v, long long lo, long long hi) { return v < lo ? lo : (v > hi ? hi : v); }

}  // namespace

Placement::LocalBox Placement::localBox(const placeCell& c) const {
    const int bx = (c.xlow - originX) / binW;
    const int by = (c.ylow - originY) / binH;
    LocalBox b;
    b.left = originX + bx * binW;
    b.bottom = originY + by * binH;
    b.right = std::max(b.left + binW, c.xlow + c.width);
    b.top = std::max(b.bottom + binH, c.ylow + c.height);
    return b;
}

// Own and far pin of one connection of cell c; false when both ends lie on c
// (or on the excluded cell), such a connection does not count.
bool Placement::ownAndFar(int c, const TwoPin* tp, int exclude, const pinLocate*& own,
                          const pinLocate*& far) const {
    const pinLocate& p = tp->parNet->pins[tp->fromPin];
    const pinLocate& q = tp->parNet->pins[tp->toPin];
    if (p.cell == c || p.cell == exclude) {
        if (q.cell == c || q.cell == exclude) return false;
        own = &p;
        far = &q;
    } else {
        own = &q;
        far = &p;
    }
    return true;
}

long long Placement::calcLocalLength(placeCell& c, int x, int y, int exclude) {
    const LocalBox box = localBox(c);
    long long length = 0;
    for (const TwoPin* tp : cellTwoPins[c.index]) {
        const pinLocate* own = nullptr;
        const pinLocate* far = nullptr;
        if (!ownAndFar(c.index, tp, exclude, own, far)) continue;
        const placeCell& fc = cells[far->cell];
        const long long fx = clampTo(static_cast<long long>(farX(fc)) + far->xOffset, box.left, box.right);
        const long long fy = clampTo(static_cast<long long>(farY(fc)) + far->yOffset, box.bottom, box.top);
        length += std::llabs(static_cast<long long>(x) + own->xOffset - fx) +
                  std::llabs(static_cast<long long>(y) + own->yOffset - fy);
    }
    return length;
}

long long Placement::gainOfChangeTwoCell(placeCell& a, placeCell& b) {
    long long gain = 0;
    for (const TwoPin* tp : cellTwoPins[a.index]) {
        const pinLocate& p = tp->parNet->pins[tp->fromPin];
        const pinLocate& q = tp->parNet->pins[tp->toPin];
        const pinLocate* own;
        const pinLocate* far;
        if (p.cell == a.index && q.cell == b.index) {
            own = &p;
            far = &q;
        } else if (q.cell == a.index && p.cell == b.index) {
            own = &q;
            far = &p;
        } else {
            continue;
        }
        auto span = [](long long p, long long q) { return std::llabs(p - q); };
        const long long before = span(static_cast<long long>(a.xlow) + own->xOffset, static_cast<long long>(b.xlow) + far->xOffset) +
                                 span(static_cast<long long>(a.ylow) + own->yOffset, static_cast<long long>(b.ylow) + far->yOffset);
        const long long after = span(static_cast<long long>(b.xlow) + own->xOffset, static_cast<long long>(a.xlow) + far->xOffset) +
                                span(static_cast<long long>(b.ylow) + own->yOffset, static_cast<long long>(a.ylow) + far->yOffset);
        gain += before - after;
    }
    return gain;
}

long long Placement::getChangeGain(placeCell& a, placeCell& b) {
    return gainOfChangeTwoCell(a, b) + calcLocalLength(a, a.xlow, a.ylow, b.index) +
           calcLocalLength(b, b.xlow, b.ylow, a.index) - calcLocalLength(a, b.xlow, b.ylow, b.index) -
           calcLocalLength(b, a.xlow, a.ylow, a.index);
}

void Placement::buildLocalRow() {
    for (Bin& b : bins) b.localRows.clear();
    std::vector<int>& slot = localRowSlot;  // column -> position in that column's bin list
    for (Row& row : rows) {
        for (SubRow* sr : row.subRows) {
            const int by = (sr->ylow - originY) / binH;
            if (by < 0 || by >= binY || sr->xhigh <= sr->xlow) continue;
            const int c0 = std::max((sr->xlow - originX) / binW, 0);
            int c1 = (sr->xhigh - originX) / binW;
            if ((sr->xhigh - originX) % binW == 0) --c1;
            c1 = std::min(c1, binX - 1);
            if (c1 < c0) continue;
            slot.assign(static_cast<size_t>(c1 - c0 + 1), -1);
            for (int c = c0; c <= c1; ++c) {
                Bin& b = bin(c, by);
                const int colLeft = originX + c * binW;
                LocalRow lr;
                lr.xlow = std::max(colLeft, sr->xlow);
                lr.xhigh = std::min(colLeft + binW, sr->xhigh);
                lr.usedWidth = 0;
                lr.y = sr->ylow;
                b.localRows.push_back(lr);
                slot[c - c0] = static_cast<int>(b.localRows.size()) - 1;
            }
            auto rowOf = [&](int c) -> LocalRow& { return bin(c, by).localRows[slot[c - c0]]; };
            for (int idx : sr->cells) {
                placeCell& cell = cells[idx];
                const int col = (cell.xlow - originX) / binW;
                if (col < c0 || col > c1) continue;  // not in this sub-row's reach
                const int colRight = originX + (col + 1) * binW;
                const int end = cell.xlow + cell.width;
                if (end > colRight) {
                    // Straddles a column boundary: it belongs to no local row and
                    // shortens the rows on both sides.
                    rowOf(col).xhigh = cell.xlow;
                    const int rc = (end - originX) / binW;
                    if (rc <= c1) rowOf(rc).xlow = end;
                    for (int cc = col + 1; cc < rc && cc <= c1; ++cc) rowOf(cc).xhigh = rowOf(cc).xlow;
                } else {
                    LocalRow& lr = rowOf(col);
                    lr.cells.push_back(idx);
                    lr.usedWidth += cell.width;
                }
            }
        }
    }
    for (Bin& b : bins)
        for (LocalRow& lr : b.localRows)
            if (!lr.cells.empty()) cells[lr.cells.back()].rightLimit = lr.xhigh;
}

bool Placement::insideOwnBin(const placeCell& c) const {
    const int bx = (c.xlow - originX) / binW;
    const int by = (c.ylow - originY) / binH;
    const int left = originX + bx * binW;
    const int bottom = originY + by * binH;
    return c.xlow >= left && c.xlow + c.width <= left + binW && c.ylow >= bottom &&
           c.ylow + c.height <= bottom + binH;
}

long long Placement::insideBinChange(float& seconds) {
    Timer timer;
    timer.start();
    long long improvement = 0;
    for (int bx = 0; bx < binX; ++bx) {
        for (int by = 0; by < binY; ++by) {
            std::vector<LocalRow>& lrs = bin(bx, by).localRows;
            for (size_t ri = 0; ri < lrs.size(); ++ri) {
                for (size_t k = 0; k < lrs[ri].cells.size(); ++k) {
                    placeCell& c = cells[lrs[ri].cells[k]];
                    if (c.xlow != c.legX || c.ylow != c.legY) {
                        printf("ERROR: %s %d\n", "Placement", 2199);
                        fflush(stdout);
                        exit(1);
                    }
                    if (!insideOwnBin(c)) continue;
                    long long bestGain = -1;
                    size_t bestRow = 0, bestPos = 0;
                    bool found = false;
                    for (size_t rj = ri; rj < lrs.size(); ++rj) {
                        const std::vector<int>& list = lrs[rj].cells;
                        for (size_t m = (rj == ri ? k + 1 : 0); m < list.size(); ++m) {
                            placeCell& d = cells[list[m]];
                            if (!insideOwnBin(d)) continue;
                            if (c.xlow + d.width > c.rightLimit || d.xlow + c.width > d.rightLimit) continue;
                            const long long g = getChangeGain(c, d);
                            if (g > bestGain) {
                                bestGain = g;
                                bestRow = rj;
                                bestPos = m;
                                found = true;
                            }
                        }
                    }
                    if (!found) continue;
                    placeCell& d = cells[lrs[bestRow].cells[bestPos]];
                    std::swap(lrs[ri].cells[k], lrs[bestRow].cells[bestPos]);
                    std::swap(c.xlow, d.xlow);
                    std::swap(c.ylow, d.ylow);
                    std::swap(c.rightLimit, d.rightLimit);
                    c.legX = c.xlow;
                    c.legY = c.ylow;
                    d.legX = d.xlow;
                    d.legY = d.ylow;
                    improvement += bestGain;
                }
            }
        }
    }
    timer.stop();
    seconds = timer.getTime();
    return improvement;
}

void Placement::emunerateCost(LocalRow& row, int start, std::vector<int>& order, int left,
                              std::vector<int>& bestOrder, long long& bestCost, int depth) {
    const int n = static_cast<int>(order.size());
    if (depth == n) {
        int x = left;
        for (int k = 0; k < n; ++k) {
            placeCell& c = cells[order[k]];
            c.legX = x;
            x += c.width;
        }
        long long cost = 0;
        for (int k = 0; k < n; ++k) {
            placeCell& c = cells[row.cells[start + k]];
            cost += calcLocalLength(c, c.legX, c.ylow, -1);
        }
        if (cost < bestCost) {
            bestCost = cost;
            bestOrder = order;
        }
        return;
    }
    for (int k = 0; k < n; ++k) {
        placeCell& c = cells[row.cells[start + k]];
        if (c.mark) continue;
        c.mark = true;
        order[depth] = c.index;
        emunerateCost(row, start, order, left, bestOrder, bestCost, depth + 1);
        c.mark = false;
    }
}

long long Placement::changeOrder(LocalRow& row, int start, int n, std::vector<int>& order,
                           std::vector<int>& bestOrder) {
    order.assign(static_cast<size_t>(n), -1);
    const int left = cells[row.cells[start]].xlow;
    const int colLeft = originX + (left - originX) / binW * binW;
    const int colRight = colLeft + binW;
    long long current = 0;
    for (int k = 0; k < n; ++k) {
        placeCell& c = cells[row.cells[start + k]];
        current += calcLocalLength(c, c.xlow, c.ylow, -1);
        c.mark = false;
        if (c.xlow < colLeft || c.xlow + c.width > colRight) {
            // Reported and passed over; no run waits for an answer on the console.
            printf("ERROR1: left=%d  right=%d  id=%d xlow=%d  width=%d\n", colLeft, colRight, c.index, c.xlow,
                   c.width);
            fflush(stdout);
        }
    }
    long long bestCost = LLONG_MAX;
    emunerateCost(row, start, order, left, bestOrder, bestCost, 0);
    if (bestCost >= current) {
        for (int k = 0; k < n; ++k) {
            placeCell& c = cells[row.cells[start + k]];
            c.legX = c.xlow;
        }
        return 0;
    }
    int x = left;
    for (int k = 0; k < n; ++k) {
        placeCell& c = cells[bestOrder[k]];
        c.xlow = c.legX = x;
        row.cells[start + k] = c.index;
        c.rightLimit = x + c.width;
        x += c.width;
        if (c.xlow < colLeft || c.xlow + c.width > colRight) {
            printf("ERROR2: left=%d  right=%d  id=%d  xlow=%d  ylow=%d   width=%d\n", colLeft, colRight, c.index,
                   c.xlow, c.ylow, c.width);
            fflush(stdout);
        }
    }
    const size_t after = static_cast<size_t>(start + n);
    cells[bestOrder[n - 1]].rightLimit = after < row.cells.size() ? cells[row.cells[after]].xlow : row.xhigh;
    return current - bestCost;
}

long long Placement::slidingWindow(float& seconds) {
    Timer timer;
    timer.start();
    long long improvement = 0;
    std::vector<int> order, bestOrder;
    for (int bx = 0; bx < binX; ++bx) {
        for (int by = 0; by < binY; ++by) {
            for (LocalRow& lr : bin(bx, by).localRows) {
                const int n = static_cast<int>(lr.cells.size());
                if (n < 2) continue;
                if (n < 6) {
                    improvement += changeOrder(lr, 0, n, order, bestOrder);
                } else {
                    for (int s = 0; s + 5 <= n; ++s) improvement += changeOrder(lr, s, 5, order, bestOrder);
                }
            }
        }
    }
    timer.stop();
    seconds = timer.getTime();
    return improvement;
}

// Median of the sorted values; the integer mean of the two middle ones for an even count.
static int medianOf(std::vector<int>& v) {
    if (v.size() > 2) std::sort(v.begin(), v.end());
    const size_t n = v.size();
    if (n % 2 == 1) return v[n / 2];
    return static_cast<int>((static_cast<long long>(v[n / 2 - 1]) + v[n / 2]) / 2);
}

void Placement::getBestPoint(placeCell& c, int& x, int& y, std::vector<int>& xs, std::vector<int>& ys) {
    xs.clear();
    ys.clear();
    const LocalBox box = localBox(c);
    for (const TwoPin* tp : cellTwoPins[c.index]) {
        const pinLocate* own = nullptr;
        const pinLocate* far = nullptr;
        if (!ownAndFar(c.index, tp, -1, own, far)) continue;
        const placeCell& fc = cells[far->cell];
        xs.push_back(static_cast<int>(clampTo(static_cast<long long>(farX(fc)) + far->xOffset, box.left, box.right) -
                                      own->xOffset));
        ys.push_back(static_cast<int>(clampTo(static_cast<long long>(farY(fc)) + far->yOffset, box.bottom, box.top) -
                                      own->yOffset));
    }
    if (xs.empty()) {
        x = c.legX;
        y = c.legY;
        return;
    }
    x = medianOf(xs);
    y = medianOf(ys);
}

long long Placement::replace2WhitePlace(float& seconds) {
    Timer timer;
    timer.start();
    float improvement = 0.0f;
    std::vector<int> xs, ys;
    for (int bx = 0; bx < binX; ++bx) {
        for (int by = 0; by < binY; ++by) {
            std::vector<LocalRow>& lrs = bin(bx, by).localRows;
            const int top = originY + (by + 1) * binH;
            for (LocalRow& lr : lrs) {
                lr.usedWidth = 0;
                for (int idx : lr.cells) {
                    lr.usedWidth += cells[idx].width;
                    cells[idx].mark = false;
                }
            }
            for (size_t ri = 0; ri < lrs.size(); ++ri) {
                size_t k = 0;
                while (k < lrs[ri].cells.size()) {
                    LocalRow& R = lrs[ri];
                    placeCell& c = cells[R.cells[k]];
                    if (c.mark || cellTwoPins[c.index].empty() || c.ylow + c.height > top) {
                        ++k;
                        continue;
                    }
                    const long long ori = calcLocalLength(c, c.xlow, c.ylow, -1);
                    int optX = 0, optY = 0;
                    getBestPoint(c, optX, optY, xs, ys);
                    const long long optLen = calcLocalLength(c, optX, optY, -1);
                    if (ori < optLen) {
                        printf("ERROR: %s %d  index=%d  oriWL=%lld  bestWL=%lld  xlow=%d  ylow=%d  optiX=%d  optiY=%d "
                               "xSize=%d  ySize=%d\n",
                               "Placement", 2001, c.index, ori, optLen, c.xlow, c.ylow, optX, optY,
                               static_cast<int>(xs.size()), static_cast<int>(ys.size()));
                        fflush(stdout);
                    }
                    // Take the cell out of its row.
                    if (k > 0) cells[R.cells[k - 1]].rightLimit = c.rightLimit;
                    R.cells.erase(R.cells.begin() + static_cast<long>(k));
                    R.usedWidth -= c.width;

                    float best = 1e19f;
                    size_t bestRow = ri, bestPos = 0;
                    int bestX = c.xlow;
                    bool found = false;
                    auto tryGap = [&](size_t g, size_t pos, int a, int b) {
                        if (b - a < c.width) return;
                        const int x = std::min(b - c.width, std::max(optX, a));
                        const float cost = static_cast<float>(calcLocalLength(c, x, lrs[g].y, -1));
                        if (cost <= best) {
                            best = cost;
                            bestRow = g;
                            bestPos = pos;
                            bestX = x;
                            found = true;
                        }
                    };
                    for (size_t g = 0; g < lrs.size(); ++g) {
                        const LocalRow& G = lrs[g];
                        if (G.y + c.height > top) continue;
                        tryGap(g, 0, G.xlow, G.cells.empty() ? G.xhigh : cells[G.cells[0]].xlow);
                        for (size_t m = 0; m < G.cells.size(); ++m) {
                            const placeCell& mc = cells[G.cells[m]];
                            tryGap(g, m + 1, mc.xlow + mc.width, mc.rightLimit);
                        }
                    }
                    if (!found) {
                        // Cannot happen for a cell that sat in this bin (its own slot is a
                        // gap); should it anyway, the cell goes back where it was.
                        bestRow = ri;
                        bestPos = k;
                        bestX = c.xlow;
                        best = static_cast<float>(ori);
                    }
                    const float gain = static_cast<float>(ori) - best;
                    improvement += gain;
                    if (gain < 0) {
                        printf("ERROR: %s %d  i=%d j=%d index1=%d cc.index=%d cc1.width=%d cc1.xlow=%d cc1.ylow=%d  "
                               "bestX=%d bestY=%d optiX=%d optiY=%d oriCost=%2.lf  minCost=%.2lf\n",
                               "Placement", 2079, bx, by, static_cast<int>(k), c.index, c.width, c.xlow, c.ylow,
                               bestX, lrs[bestRow].y, optX, optY, static_cast<double>(ori),
                               static_cast<double>(best));
                        fflush(stdout);
                        exit(1);
                    }
                    LocalRow& G = lrs[bestRow];
                    c.xlow = c.legX = bestX;
                    c.ylow = c.legY = G.y;
                    c.mark = true;
                    c.rightLimit = bestPos < G.cells.size() ? cells[G.cells[bestPos]].xlow : G.xhigh;
                    if (bestPos > 0) cells[G.cells[bestPos - 1]].rightLimit = bestX;
                    G.usedWidth += c.width;
                    G.cells.insert(G.cells.begin() + static_cast<long>(bestPos), c.index);
                    if (bestRow == ri && bestPos <= k) ++k;
                }
            }
        }
    }
    timer.stop();
    seconds = timer.getTime();
    return static_cast<long long>(improvement);
}
