#pragma once
// Exact rectilinear Steiner minimal trees on a Hanan grid (Dreyfus-Wagner).
//
// The grid has nx columns and ny rows; gx[i] is the width of the gap between
// columns i and i+1, gy[i] the height of the gap between rows i and i+1 (both
// positive). Terminals are grid points given by column and row. The
// distance closure of each terminal subset is an L1 distance transform, done
// separably (rows, then columns), so one subset costs O(grid points).
//
// Used by the FLUTE table generator and by the quality checks; the router
// itself never links it.

#include <algorithm>
#include <cstdint>
#include <vector>

namespace hanan {

// One unit edge of the grid: horizontal (x,y)-(x+1,y) or vertical (x,y)-(x,y+1).
struct GridEdge {
    int x, y;
    bool horizontal;
};

class SteinerSolver {
public:
    // Unreachable; small enough that two of them plus any tree length fit an int.
    static constexpr int kInf = 1 << 29;

    // Solves for k distinct terminals (tx[i], ty[i]) and returns the minimum
    // length. Gap widths must be positive and every tree shorter than 2^28.
    int solve(int nx, int ny, const int* gx, const int* gy, int k, const int* tx, const int* ty) {
        nx_ = nx;
        ny_ = ny;
        n_ = nx * ny;
        k_ = k;
        gx_.assign(gx, gx + std::max(nx - 1, 0));
        gy_.assign(gy, gy + std::max(ny - 1, 0));
        term_.resize(k);
        for (int i = 0; i < k; ++i) term_[i] = ty[i] * nx + tx[i];
        if (k <= 1) return 0;
        const int m = k - 1;  // subsets over terminals 0..m-1; terminal m is the root
        const int subsets = 1 << m;
        const size_t cells = static_cast<size_t>(subsets) * n_;
        if (dp_.size() < cells) {
            dp_.resize(cells);
            merged_.resize(cells);
        }
        for (int S = 1; S < subsets; ++S) {
            int* g = &dp_[static_cast<size_t>(S) * n_];
            std::fill(g, g + n_, kInf);
            if ((S & (S - 1)) == 0) {
                int t = 0;
                while ((1 << t) != S) ++t;
                g[term_[t]] = 0;
            } else {
                // Best join of two sub-trees at each point; the split itself is
                // recovered only along the traced tree.
                const int low = S & -S;
                const int rest = S ^ low;
                for (int sub = rest;; sub = (sub - 1) & rest) {
                    const int T = sub | low;
                    if (T != S) {
                        joinInto(g, &dp_[static_cast<size_t>(T) * n_], &dp_[static_cast<size_t>(S ^ T) * n_], n_);
                    }
                    if (sub == 0) break;
                }
                for (int v = 0; v < n_; ++v) g[v] = g[v] < kInf ? g[v] : kInf;
            }
            std::copy(g, g + n_, &merged_[static_cast<size_t>(S) * n_]);
            transform(g);
        }
        return dp_[static_cast<size_t>(subsets - 1) * n_ + term_[m]];
    }

    // The unit edges of one minimum tree of the last solve (duplicates removed).
    std::vector<GridEdge> edges() {
        used_.assign(static_cast<size_t>(n_) * 2, 0);
        std::vector<GridEdge> out;
        if (k_ <= 1) return out;
        const int m = k_ - 1;
        trace((1 << m) - 1, term_[m], out);
        return out;
    }

    // Minimum length over arbitrary integer points (duplicates allowed).
    int rsmt(int d, const int* x, const int* y) {
        std::vector<int> xs(x, x + d), ys(y, y + d);
        std::sort(xs.begin(), xs.end());
        xs.erase(std::unique(xs.begin(), xs.end()), xs.end());
        std::sort(ys.begin(), ys.end());
        ys.erase(std::unique(ys.begin(), ys.end()), ys.end());
        std::vector<int> gx, gy;
        for (size_t i = 1; i < xs.size(); ++i) gx.push_back(xs[i] - xs[i - 1]);
        for (size_t i = 1; i < ys.size(); ++i) gy.push_back(ys[i] - ys[i - 1]);
        std::vector<int> tx, ty;
        std::vector<char> seen(xs.size() * ys.size(), 0);
        for (int i = 0; i < d; ++i) {
            const int cx = static_cast<int>(std::lower_bound(xs.begin(), xs.end(), x[i]) - xs.begin());
            const int cy = static_cast<int>(std::lower_bound(ys.begin(), ys.end(), y[i]) - ys.begin());
            char& s = seen[cy * xs.size() + cx];
            if (s) continue;
            s = 1;
            tx.push_back(cx);
            ty.push_back(cy);
        }
        return solve(static_cast<int>(xs.size()), static_cast<int>(ys.size()), gx.data(), gy.data(),
                     static_cast<int>(tx.size()), tx.data(), ty.data());
    }

private:
    static void joinInto(int* __restrict g, const int* __restrict a, const int* __restrict b, int n) {
        for (int v = 0; v < n; ++v) {
            const int val = a[v] + b[v];
            g[v] = val < g[v] ? val : g[v];
        }
    }

    // L1 distance transform in place: rows first, then columns.
    void transform(int* __restrict g) {
        const int nx = nx_, ny = ny_, n = n_;
        const int* __restrict gx = gx_.data();
        const int* __restrict gy = gy_.data();
        for (int y = 0; y < ny; ++y) {
            int* r = g + y * nx;
            for (int x = 1; x < nx; ++x) r[x] = std::min(r[x], r[x - 1] + gx[x - 1]);
            for (int x = nx - 2; x >= 0; --x) r[x] = std::min(r[x], r[x + 1] + gx[x]);
        }
        for (int y = 1; y < ny; ++y) {
            const int w = gy[y - 1];
            int* r = g + y * nx;
            for (int x = 0; x < nx; ++x) r[x] = std::min(r[x], r[x - nx] + w);
        }
        for (int y = ny - 2; y >= 0; --y) {
            const int w = gy[y];
            int* r = g + y * nx;
            for (int x = 0; x < nx; ++x) r[x] = std::min(r[x], r[x + nx] + w);
        }
        for (int v = 0; v < n; ++v) g[v] = std::min(g[v], kInf);
    }

    void addEdge(int x, int y, bool horizontal, std::vector<GridEdge>& out) {
        uint8_t& u = used_[static_cast<size_t>(y * nx_ + x) * 2 + (horizontal ? 1 : 0)];
        if (u) return;
        u = 1;
        out.push_back({x, y, horizontal});
    }

    // Follows one shortest path of subset S back from v to a point where its
    // sub-trees join (or to its terminal), then traces both sub-trees. All
    // values are exact integers, so each step is found by equality.
    void trace(int S, int v, std::vector<GridEdge>& out) {
        const int* f = &dp_[static_cast<size_t>(S) * n_];
        const int* mg = &merged_[static_cast<size_t>(S) * n_];
        int x = v % nx_, y = v / nx_;
        while (f[y * nx_ + x] != mg[y * nx_ + x]) {
            const int here = f[y * nx_ + x];
            if (x > 0 && f[y * nx_ + x - 1] + gx_[x - 1] == here) addEdge(x - 1, y, true, out), --x;
            else if (x + 1 < nx_ && f[y * nx_ + x + 1] + gx_[x] == here) addEdge(x, y, true, out), ++x;
            else if (y > 0 && f[(y - 1) * nx_ + x] + gy_[y - 1] == here) addEdge(x, y - 1, false, out), --y;
            else addEdge(x, y, false, out), ++y;
        }
        if ((S & (S - 1)) == 0) return;  // reached the terminal itself
        const int u = y * nx_ + x;
        const int want = mg[u];
        const int low = S & -S;
        const int rest = S ^ low;
        for (int sub = rest;; sub = (sub - 1) & rest) {
            const int T = sub | low;
            if (T != S && dp_[static_cast<size_t>(T) * n_ + u] + dp_[static_cast<size_t>(S ^ T) * n_ + u] == want) {
                trace(T, u, out);
                trace(S ^ T, u, out);
                return;
            }
            if (sub == 0) break;
        }
    }

    int nx_ = 0, ny_ = 0, n_ = 0, k_ = 0;
    std::vector<int> gx_, gy_;
    std::vector<int> term_;
    std::vector<int> dp_;
    std::vector<int> merged_;  // join values before the distance transform
    std::vector<uint8_t> used_;
};

}  // namespace hanan
