#pragma once
// Generation of the FLUTE lookup tables "POWV9.dat" and "POST9.dat".
//
// For each symmetry class of pin orders, exact Steiner trees are solved for
// many sampled gap-weight vectors; every distinct wirelength vector found is
// kept with the weights that produced it. Each stored group of the class then
// maps those weights into its own frame and solves once more to get its tree.
// Vectors beaten component-wise by another are dropped. Everything is
// deterministic for a given seed, whatever the number of threads.

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "tools/flute_gen/hanan_steiner.h"
#include "tools/flute_gen/perm_groups.h"
#include "tools/flute_gen/solution_build.h"

namespace flutegen {

// Seed of the delivered tables.
constexpr uint64_t kDefaultSeed = 20240611;

struct GenStats {
    long samples = 0;       // exact solves while sampling
    long classes = 0;       // symmetry classes sampled
    long ownGroups = 0;     // groups with their own solution list
    long solutions = 0;     // stored solutions
    int maxSolutions = 0;   // largest list
    long mismatches = 0;    // mapped weights whose optimum was another vector
    bool ok = true;
    std::string error;
};

// Sampling effort: at least minSamples per class, and sampling goes on until
// quietSamples in a row find no new vector (at most maxSamples).
struct SampleEffort {
    int minSamples = 2000;
    int quietSamples = 2000;
    int maxSamples = 200000;
};

inline SampleEffort defaultEffort(int d) {
    SampleEffort e;
    if (d <= 6) e.minSamples = 1500, e.quietSamples = 1000;
    else if (d == 7) e.minSamples = 3000, e.quietSamples = 2000;
    else if (d == 8) e.minSamples = 6000, e.quietSamples = 4000;
    else e.minSamples = 10000, e.quietSamples = 6000;
    return e;
}

class Rng {
public:
    explicit Rng(uint64_t seed) : s_(seed ? seed : 0x9e3779b97f4a7c15ULL) {}
    uint64_t next() {  // splitmix64
        uint64_t z = (s_ += 0x9e3779b97f4a7c15ULL);
        z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
        z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
        return z ^ (z >> 31);
    }
    double uniform() { return (static_cast<double>(next() >> 11) + 0.5) * (1.0 / 9007199254740992.0); }

private:
    uint64_t s_;
};

// One gap-weight vector (2(d-1) positive integer weights up to 2^22) of
// sampling kind `kind`. Integer weights keep the exact solver's arithmetic exact.
inline void sampleWeights(int d, int kind, Rng& rng, int* wi) {
    const int n = 2 * (d - 1);
    double w[2 * (kMaxD - 1)];
    switch (kind % 7) {
    case 0:  // uniform
        for (int j = 0; j < n; ++j) w[j] = rng.uniform();
        break;
    case 1:  // exponential
        for (int j = 0; j < n; ++j) w[j] = -std::log(rng.uniform());
        break;
    case 2:  // log-uniform over four decades
        for (int j = 0; j < n; ++j) w[j] = std::exp(rng.uniform() * 9.21);
        break;
    case 3: {  // anisotropic: x gaps scaled against y gaps
        const double f = std::exp((rng.uniform() - 0.5) * 6.0);
        for (int j = 0; j < n; ++j) w[j] = rng.uniform() * (j >= d - 1 ? f : 1.0);
        break;
    }
    case 4:  // unit gaps, tiny perturbation: the least total excess wins
        for (int j = 0; j < n; ++j) w[j] = 1.0 + 1e-4 * rng.uniform();
        break;
    case 5:  // some gaps nearly closed
        for (int j = 0; j < n; ++j) w[j] = rng.uniform() < 0.3 ? 1e-3 * rng.uniform() : rng.uniform();
        break;
    default:  // log-uniform over eight decades
        for (int j = 0; j < n; ++j) w[j] = std::exp(rng.uniform() * 18.42);
        break;
    }
    double top = 0;
    for (int j = 0; j < n; ++j) top = std::max(top, w[j]);
    for (int j = 0; j < n; ++j) wi[j] = std::max(1, static_cast<int>(std::lround(w[j] / top * 4194304.0)));
}

// Solves permutation s under weights w (y gaps, then x gaps).
inline int solveFrame(hanan::SteinerSolver& solver, int d, const int* s, const int* w) {
    int tx[kMaxD], ty[kMaxD];
    for (int i = 0; i < d; ++i) tx[i] = s[i], ty[i] = i;
    return solver.solve(d, d, w + d - 1, w, d, tx, ty);
}

inline std::vector<uint8_t> excessOf(int d, const std::vector<hanan::GridEdge>& edges) {
    std::vector<int> c = crossings(d, edges);
    std::vector<uint8_t> e(2 * (d - 3));
    for (int j = 0; j < 2 * (d - 3); ++j) {
        const int g = j < d - 3 ? j + 1 : (d - 1) + (j - (d - 3)) + 1;
        e[j] = static_cast<uint8_t>(c[g] > 0 ? c[g] - 1 : 0);
    }
    return e;
}

// Distinct excess vectors found for the representative of one class, each
// with the first few weight vectors that produced it.
struct ClassSamples {
    static constexpr int kWeightsPerVector = 4;
    std::vector<std::vector<uint8_t>> vectors;
    std::vector<std::vector<std::vector<int>>> weights;
    long samples = 0;
};

// Position of excess entry j among the gaps (y gaps 0..d-2, then x gaps).
inline int excessGap(int d, int j) { return j < d - 3 ? j + 1 : (d - 1) + (j - (d - 3)) + 1; }
inline int gapExcess(int d, int g) { return g < d - 1 ? g - 1 : (g - (d - 1) - 1) + (d - 3); }

inline ClassSamples sampleClass(int d, const Perm& rep, uint64_t seed, const SampleEffort& effort) {
    ClassSamples out;
    hanan::SteinerSolver solver;
    Rng rng(seed);
    std::map<std::vector<uint8_t>, int> seen;
    std::vector<int> w(2 * (d - 1));
    int quiet = 0;
    for (int t = 0; t < effort.maxSamples; ++t) {
        if (t >= effort.minSamples && quiet >= effort.quietSamples) break;
        sampleWeights(d, t, rng, w.data());
        solveFrame(solver, d, rep.data(), w.data());
        std::vector<uint8_t> e = excessOf(d, solver.edges());
        ++out.samples;
        auto [it, added] = seen.emplace(e, static_cast<int>(out.vectors.size()));
        if (added) {
            out.vectors.push_back(e);
            out.weights.push_back({w});
            quiet = 0;
        } else {
            auto& ws = out.weights[it->second];
            if (static_cast<int>(ws.size()) < ClassSamples::kWeightsPerVector) ws.push_back(w);
            ++quiet;
        }
    }
    return out;
}

inline bool dominates(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b) {
    // a <= b everywhere and a != b
    bool less = false;
    for (size_t j = 0; j < a.size(); ++j) {
        if (a[j] > b[j]) return false;
        if (a[j] < b[j]) less = true;
    }
    return less;
}

template <class F>
void parallelFor(int count, int threads, F fn) {
    std::atomic<int> next{0};
    auto worker = [&]() {
        for (int i = next++; i < count; i = next++) fn(i);
    };
    if (threads <= 1) {
        worker();
        return;
    }
    std::vector<std::thread> pool;
    for (int t = 0; t < threads; ++t) pool.emplace_back(worker);
    for (auto& th : pool) th.join();
}

// Generates the degree-d sections of both files (including their "d=" lines).
inline void generateDegree(int d, int threads, uint64_t seed, const SampleEffort& effort, std::string& powv,
                           std::string& post, GenStats& stats) {
    const int ngrp = groupCount(d);
    SymmetryClasses sc = buildSymmetryClasses(d);
    // Stored frame of every group below the flip, and the group that owns its list.
    std::vector<Perm> canon(ngrp);
    {
        Perm s{};
        for (int i = 0; i < d; ++i) s[i] = i;
        do {
            if (s[0] < s[1]) continue;
            const int k = groupIndex(d, s.data());
            if (k < ngrp) canon[k] = canonicalFrame(d, s);
        } while (std::next_permutation(s.begin(), s.begin() + d));
    }
    std::vector<int> owner(ngrp);
    for (int k = 0; k < ngrp; ++k) {
        Perm c = canon[k];
        Perm c2 = c;
        std::swap(c2[d - 2], c2[d - 1]);
        int o = k;
        for (const Perm* p : {&c, &c2}) {
            const int g = groupIndex(d, p->data());
            if (g < ngrp && g < o) o = g;
        }
        owner[k] = o;
    }
    // Classes that hold an owned group, in order of their representatives.
    std::vector<int> classSlot(sc.repRank.size(), -1), classes;
    for (int k = 0; k < ngrp; ++k) {
        if (owner[k] != k) continue;
        const int cls = sc.classOf[permRank(d, canon[k].data())];
        if (classSlot[cls] < 0) {
            classSlot[cls] = static_cast<int>(classes.size());
            classes.push_back(cls);
        }
    }
    std::vector<ClassSamples> samples(classes.size());
    parallelFor(static_cast<int>(classes.size()), threads, [&](int i) {
        const int cls = classes[i];
        const uint64_t classSeed = seed * 0x100000001b3ULL + static_cast<uint64_t>(d) * 1000003ULL +
                                   static_cast<uint64_t>(sc.repRank[cls]);
        samples[i] = sampleClass(d, permUnrank(d, sc.repRank[cls]), classSeed, effort);
    });
    for (const auto& cs : samples) stats.samples += cs.samples;
    stats.classes += static_cast<long>(classes.size());

    // Solve every owned group in its own frame.
    std::vector<std::string> groupPowv(ngrp), groupPost(ngrp);
    std::vector<int> groupCountOut(ngrp, 0);
    std::atomic<long> mismatches{0};
    std::atomic<bool> failed{false};
    std::vector<std::string> errors(ngrp);
    parallelFor(ngrp, threads, [&](int k) {
        if (owner[k] != k) return;
        hanan::SteinerSolver solver;
        const Perm& c = canon[k];
        const int rank = permRank(d, c.data());
        const ClassSamples& cs = samples[classSlot[sc.classOf[rank]]];
        const GapMap& map = sc.gapMap[rank];
        std::map<std::vector<uint8_t>, StoredSolution> found;
        std::vector<int> w(2 * (d - 1));
        std::vector<uint8_t> expect(2 * (d - 3));
        for (size_t v = 0; v < cs.vectors.size(); ++v) {
            // The vector this class vector becomes in this frame.
            for (int j = 0; j < 2 * (d - 3); ++j) expect[j] = cs.vectors[v][gapExcess(d, map[excessGap(d, j)])];
            bool matched = false;
            for (const auto& rw : cs.weights[v]) {
                for (int j = 0; j < 2 * (d - 1); ++j) w[j] = rw[map[j]];
                solveFrame(solver, d, c.data(), w.data());
                StoredSolution sol;
                if (!buildSolution(d, c.data(), solver.edges(), sol)) {
                    errors[k] = "group " + std::to_string(k) + ": an optimal tree is not minimal";
                    failed = true;
                    return;
                }
                if (found.count(sol.excess) == 0) found.emplace(sol.excess, sol);
                // A tie in the weights may give another optimal tree; try the next weights.
                if (sol.excess == expect) {
                    matched = true;
                    break;
                }
            }
            if (!matched) ++mismatches;
        }
        std::vector<StoredSolution> kept;
        for (const auto& [vec, sol] : found) {
            bool beaten = false;
            for (const auto& [other, unused] : found) {
                (void)unused;
                if (dominates(other, vec)) {
                    beaten = true;
                    break;
                }
            }
            if (!beaten) kept.push_back(sol);
        }
        groupCountOut[k] = static_cast<int>(kept.size());
        if (!encodeGroup(d, kept, groupPowv[k], groupPost[k])) {
            errors[k] = "group " + std::to_string(k) + ": " + std::to_string(kept.size()) +
                        " solutions do not fit the table records";
            failed = true;
        }
    });
    if (failed) {
        stats.ok = false;
        for (const auto& e : errors)
            if (!e.empty()) stats.error = "d=" + std::to_string(d) + " " + e;
        return;
    }
    stats.mismatches += mismatches;
    powv += "d=" + std::to_string(d) + "\n";
    post += "d=" + std::to_string(d) + "\n";
    for (int k = 0; k < ngrp; ++k) {
        if (owner[k] != k) {
            powv += "0" + std::to_string(owner[k]) + "\n";
            continue;
        }
        ++stats.ownGroups;
        stats.solutions += groupCountOut[k];
        stats.maxSolutions = std::max(stats.maxSolutions, groupCountOut[k]);
        powv += groupPowv[k];
        post += groupPost[k];
    }
}

}  // namespace flutegen
