// Quality check of the FLUTE tables in the working directory, through the
// production readLUT and flute, against the exact Hanan-grid solver.
//
//   flute_quality [-n NETS] [-g PER_GROUP] [-j THREADS] [-s SEED] [--large NETS]
//
// For each degree 4..9: NETS nets with random coordinates in [0, 100000) and
// NETS in [0, 10) (many duplicates), plus PER_GROUP nets for every group index
// on both sides of the flip. Every tree is validated; the count of trees of
// exactly minimum length is reported, and any tree shorter than the minimum
// is an error. With --large NETS, also reports the average excess over the
// exact minimum for degrees 10..12 and the time per net for 10, 50, 200, 1000.
// Exit status 1 when a tree is invalid or shorter than the minimum, or when a
// degree of at most 8 is not always optimal, or degree 9 below 99.99%.
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <thread>
#include <vector>

#include "decomposition/flute.h"
#include "tools/flute_gen/flute_check.h"

namespace {

struct Tally {
    long nets = 0, optimal = 0, shorter = 0, invalid = 0;
    double excess = 0;  // sum of (length - exact) / exact
    std::string firstError;
    void add(const flutecheck::NetResult& r) {
        ++nets;
        if (!r.error.empty()) {
            ++invalid;
            if (firstError.empty()) firstError = r.error;
        }
        if (r.length == r.exact) ++optimal;
        if (r.length < r.exact) ++shorter;
        if (r.exact > 0) excess += static_cast<double>(r.length - r.exact) / r.exact;
    }
    void merge(const Tally& o) {
        nets += o.nets, optimal += o.optimal, shorter += o.shorter, invalid += o.invalid, excess += o.excess;
        if (firstError.empty()) firstError = o.firstError;
    }
};

// Runs count jobs over threads; job(i, solver, tally) checks one net.
template <class F>
Tally runJobs(long count, int threads, F job) {
    std::atomic<long> next{0};
    std::mutex mu;
    Tally total;
    auto worker = [&]() {
        hanan::SteinerSolver solver;
        Tally mine;
        for (long i = next++; i < count; i = next++) job(i, solver, mine);
        std::lock_guard<std::mutex> lock(mu);
        total.merge(mine);
    };
    std::vector<std::thread> pool;
    for (int t = 0; t < threads; ++t) pool.emplace_back(worker);
    for (auto& th : pool) th.join();
    return total;
}

void randomNet(flutecheck::Rng& rng, int d, int range, std::vector<int>& x, std::vector<int>& y) {
    x.resize(d);
    y.resize(d);
    for (int i = 0; i < d; ++i) x[i] = rng.below(range), y[i] = rng.below(range);
}

uint64_t seedOf(uint64_t seed, int d, int kind, long i) {
    return seed * 1000003ULL + static_cast<uint64_t>(d) * 7919ULL + static_cast<uint64_t>(kind) * 104729ULL +
           static_cast<uint64_t>(i) * 0x9e3779b97f4a7c15ULL;
}

}  // namespace

int main(int argc, char** argv) {
    long nets = 100000, perGroup = 3, large = 0;
    int threads = static_cast<int>(std::thread::hardware_concurrency());
    uint64_t seed = 7;
    for (int i = 1; i < argc; ++i) {
        const bool v = i + 1 < argc;
        if (!strcmp(argv[i], "-n") && v) nets = atol(argv[++i]);
        else if (!strcmp(argv[i], "-g") && v) perGroup = atol(argv[++i]);
        else if (!strcmp(argv[i], "-j") && v) threads = atoi(argv[++i]);
        else if (!strcmp(argv[i], "-s") && v) seed = strtoull(argv[++i], nullptr, 10);
        else if (!strcmp(argv[i], "--large") && v) large = atol(argv[++i]);
        else {
            fprintf(stderr, "usage: %s [-n NETS] [-g PER_GROUP] [-j THREADS] [-s SEED] [--large NETS]\n", argv[0]);
            return 1;
        }
    }
    if (threads < 1) threads = 1;
    readLUT();
    bool ok = true;
    for (int d = 4; d <= 9; ++d) {
        const auto start = std::chrono::steady_clock::now();
        Tally wide = runJobs(nets, threads, [&](long i, hanan::SteinerSolver& sv, Tally& t) {
            flutecheck::Rng rng(seedOf(seed, d, 0, i));
            std::vector<int> x, y;
            randomNet(rng, d, 100000, x, y);
            t.add(flutecheck::checkNet(sv, d, x, y));
        });
        Tally narrow = runJobs(nets, threads, [&](long i, hanan::SteinerSolver& sv, Tally& t) {
            flutecheck::Rng rng(seedOf(seed, d, 1, i));
            std::vector<int> x, y;
            randomNet(rng, d, 10, x, y);
            t.add(flutecheck::checkNet(sv, d, x, y));
        });
        const long groups = 2L * numgrp[d];
        Tally grouped = runJobs(groups * perGroup, threads, [&](long i, hanan::SteinerSolver& sv, Tally& t) {
            flutecheck::Rng rng(seedOf(seed, d, 2, i));
            const int k = static_cast<int>(i / perGroup);
            std::vector<int> x, y;
            flutecheck::netForPerm(flutecheck::permForGroup(d, k, rng.below(2) == 0), rng, 100000, x, y);
            t.add(flutecheck::checkNet(sv, d, x, y));
        });
        const double secs = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        Tally all = wide;
        all.merge(narrow);
        all.merge(grouped);
        auto pct = [](const Tally& t) { return t.nets ? 100.0 * t.optimal / t.nets : 100.0; };
        printf("d=%d  [0,100000): %ld/%ld optimal (%.4f%%)  [0,10): %ld/%ld (%.4f%%)  every group x%ld: %ld/%ld "
               "(%.4f%%)  shorter=%ld invalid=%ld  %.1f s\n",
               d, wide.optimal, wide.nets, pct(wide), narrow.optimal, narrow.nets, pct(narrow), perGroup,
               grouped.optimal, grouped.nets, pct(grouped), all.shorter, all.invalid, secs);
        if (!all.firstError.empty()) printf("  first invalid tree: %s\n", all.firstError.c_str());
        const double need = d <= 8 ? 100.0 : 99.99;
        if (all.invalid || all.shorter || pct(wide) < need || pct(narrow) < need || pct(grouped) < need) ok = false;
        fflush(stdout);
    }
    if (large > 0) {
        for (int d = 10; d <= 12; ++d) {
            Tally t = runJobs(large, threads, [&](long i, hanan::SteinerSolver& sv, Tally& tl) {
                flutecheck::Rng rng(seedOf(seed, d, 3, i));
                std::vector<int> x, y;
                randomNet(rng, d, 100000, x, y);
                tl.add(flutecheck::checkNet(sv, d, x, y));
            });
            printf("d=%d  %ld nets: average excess over the exact minimum %.3f%%, optimal %.2f%%, shorter=%ld "
                   "invalid=%ld\n",
                   d, t.nets, 100.0 * t.excess / t.nets, 100.0 * t.optimal / t.nets, t.shorter, t.invalid);
            if (t.invalid || t.shorter) ok = false;
        }
        for (int d : {10, 50, 200, 1000}) {
            const long count = d <= 50 ? 20000 : d <= 200 ? 2000 : 200;
            std::vector<std::vector<int>> xs(count), ys(count);
            flutecheck::Rng rng(seedOf(seed, d, 4, 0));
            for (long i = 0; i < count; ++i) randomNet(rng, d, 100000, xs[i], ys[i]);
            long invalid = 0;
            const auto start = std::chrono::steady_clock::now();
            for (long i = 0; i < count; ++i) {
                Tree tr = flute(d, xs[i].data(), ys[i].data(), 3);
                delete[] tr.nodes;
            }
            const double secs = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
            for (long i = 0; i < count && i < 200; ++i) {
                std::vector<int> x = xs[i], y = ys[i];
                Tree tr = flute(d, x.data(), y.data(), 3);
                if (!flutecheck::validateTree(tr, d, xs[i].data(), ys[i].data()).empty()) ++invalid;
                delete[] tr.nodes;
            }
            printf("d=%d  flute: %.1f us per net (%ld nets, one thread), invalid trees=%ld\n", d,
                   1e6 * secs / count, count, invalid);
            if (invalid) ok = false;
        }
    }
    printf("%s\n", ok ? "PASS" : "FAIL");
    return ok ? 0 : 1;
}
