// gen_ispd: writes a synthetic global-routing benchmark in the ISPD'08 contest syntax.
//
// The output depends only on the command-line values: every random choice comes from a
// splitmix64 stream seeded with --seed, and only integer arithmetic and sqrt (exactly
// rounded everywhere) shape the numbers, so the same arguments give the same bytes on any
// platform and library version.
//
// What the benchmark looks like:
//   - alternating layers: layer 1 horizontal (no vertical capacity), layer 2 vertical, ...;
//     layer 1 is thinner (pins sit there), and with six or more layers the top two are
//     wide layers (width 2, spacing 2);
//   - capacities sized from the nets' own demand so that the design is routable on average
//     but tight around the congested spots;
//   - net degrees mostly 2 and 3 with a tail up to a few hundred pins, pins mostly on layer 1;
//   - congested spots where many nets gather, macro blockages that close the lower layers
//     (adjusted capacity 0) and scattered edges with reduced capacity.

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unordered_set>
#include <vector>

#include "common/ArgParse.h"

namespace {

struct Rng {
    uint64_t state;
    uint64_t next() {
        uint64_t z = (state += 0x9e3779b97f4a7c15ULL);
        z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
        z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
        return z ^ (z >> 31);
    }
    // Uniform integer in [lo, hi] (hi >= lo).
    long long range(long long lo, long long hi) { return lo + static_cast<long long>(next() % static_cast<uint64_t>(hi - lo + 1)); }
    // Uniform double in [0, 1) built from 53 random bits.
    double unit() { return static_cast<double>(next() >> 11) * (1.0 / 9007199254740992.0); }
    // Roughly normal with mean 0 and deviation 1 (sum of four uniforms, rescaled).
    double gauss() { return (unit() + unit() + unit() + unit() - 2.0) * 1.7320508075688772; }
};

struct Options {
    uint64_t seed = 1;
    long long gridX = 0, gridY = 0, layers = 0, nets = -1;
    long long tileW = 40, tileH = 40, originX = 0, originY = 0;
    long long tracks = 0;  // 0: sized from demand
    std::string out;        // empty: standard output
    long long wideEvery = 0, wideWidth = 1;  // every wideEvery-th net is wideWidth wide (0: none)
    std::string prefix = "n";                // net names: prefix and id
    std::string adjustments = "generated";   // generated, none or minus-one
};

const char* kUsage =
    "usage: gen_ispd --grid X Y --layers L --nets N [options]\n"
    "Writes a synthetic ISPD'08 global-routing benchmark.\n"
    "  --seed S         random seed (default 1); the same arguments give the same file\n"
    "  --grid X Y       G-cell columns and rows (2..100000 each)\n"
    "  --layers L       routing layers (2..32), layer 1 horizontal, layer 2 vertical, ...\n"
    "  --nets N         number of nets (0..50000000)\n"
    "  --tile W H       G-cell width and height in database units (default 40 40)\n"
    "  --origin X Y     grid origin in database units (default 0 0)\n"
    "  --tracks T       tracks of a regular layer (default: sized from the nets' demand)\n"
    "  --out FILE       output file (default: standard output)\n"
    "  --wide-nets K W  every K-th net (id 0, K, 2K, ...) is W wide (default: every net 1 wide)\n"
    "  --net-prefix P   nets are named P followed by their id (default n)\n"
    "  --adjustments A  generated (macros and scattered reductions, the default), none, or\n"
    "                   minus-one: every edge of layer 2 and up set to its default capacity - 1\n"
    "  --help           this text\n";

int usageError(const std::string& msg) {
    std::fprintf(stderr, "gen_ispd: %s\n%s", msg.c_str(), kUsage);
    return 1;
}

// Returns -1 when the arguments are fine, otherwise the exit status.
int parseArgs(int argc, char** argv, Options& o) {
    bool haveGrid = false, haveLayers = false, haveNets = false;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        auto need = [&](int n) { return i + n < argc; };
        auto val = [&](int k, long long lo, long long hi, long long& v) {
            if (!parseInt(argv[i + k], lo, hi, v)) return false;
            return true;
        };
        if (a == "--help" || a == "-h") {
            std::fputs(kUsage, stdout);
            return 0;
        } else if (a == "--seed") {
            if (!need(1)) return usageError("--seed needs a value");
            char* end = nullptr;
            errno = 0;
            unsigned long long s = std::strtoull(argv[i + 1], &end, 10);
            if (errno != 0 || *end != '\0' || argv[i + 1][0] == '-' || argv[i + 1][0] == '\0')
                return usageError(std::string("bad seed '") + argv[i + 1] + "'");
            o.seed = s;
            i += 1;
        } else if (a == "--grid") {
            if (!need(2) || !val(1, 2, 100000, o.gridX) || !val(2, 2, 100000, o.gridY))
                return usageError("--grid needs two integers in 2..100000");
            haveGrid = true;
            i += 2;
        } else if (a == "--layers") {
            if (!need(1) || !val(1, 2, 32, o.layers)) return usageError("--layers needs an integer in 2..32");
            haveLayers = true;
            i += 1;
        } else if (a == "--nets") {
            if (!need(1) || !val(1, 0, 50000000, o.nets)) return usageError("--nets needs an integer in 0..50000000");
            haveNets = true;
            i += 1;
        } else if (a == "--tile") {
            if (!need(2) || !val(1, 1, 1000000, o.tileW) || !val(2, 1, 1000000, o.tileH))
                return usageError("--tile needs two integers in 1..1000000");
            i += 2;
        } else if (a == "--origin") {
            if (!need(2) || !val(1, -100000000, 100000000, o.originX) || !val(2, -100000000, 100000000, o.originY))
                return usageError("--origin needs two integers in -100000000..100000000");
            i += 2;
        } else if (a == "--tracks") {
            if (!need(1) || !val(1, 1, 100000, o.tracks)) return usageError("--tracks needs an integer in 1..100000");
            i += 1;
        } else if (a == "--wide-nets") {
            if (!need(2) || !val(1, 1, 1000000000, o.wideEvery) || !val(2, 0, 1000000, o.wideWidth))
                return usageError("--wide-nets needs an integer in 1..1000000000 and a width in 0..1000000");
            i += 2;
        } else if (a == "--net-prefix") {
            if (!need(1) || argv[i + 1][0] == '\0' || std::strpbrk(argv[i + 1], " \t\r\n"))
                return usageError("--net-prefix needs a name without blanks");
            o.prefix = argv[i + 1];
            i += 1;
        } else if (a == "--adjustments") {
            o.adjustments = need(1) ? argv[i + 1] : "";
            if (o.adjustments != "generated" && o.adjustments != "none" && o.adjustments != "minus-one")
                return usageError("--adjustments needs generated, none or minus-one");
            i += 1;
        } else if (a == "--out") {
            if (!need(1) || argv[i + 1][0] == '\0') return usageError("--out needs a file name");
            o.out = argv[i + 1];
            i += 1;
        } else {
            return usageError("unknown argument '" + a + "'");
        }
    }
    if (!haveGrid || !haveLayers || !haveNets) return usageError("--grid, --layers and --nets are required");
    // Database-unit coordinates must stay well inside 32-bit integers.
    if (std::llabs(o.originX) + o.gridX * o.tileW > 2000000000LL || std::llabs(o.originY) + o.gridY * o.tileH > 2000000000LL)
        return usageError("grid too large for 32-bit coordinates (reduce --grid, --tile or --origin)");
    return -1;
}

// Appends decimal text quickly (snprintf per number is the bottleneck at this volume).
void putInt(std::string& s, long long v) {
    char buf[24];
    int n = 0;
    bool neg = v < 0;
    unsigned long long u = neg ? 0ULL - static_cast<unsigned long long>(v) : static_cast<unsigned long long>(v);
    do {
        buf[n++] = static_cast<char>('0' + u % 10);
        u /= 10;
    } while (u);
    if (neg) s.push_back('-');
    while (n) s.push_back(buf[--n]);
}

struct Hotspot {
    long long cx, cy, radius;
};

// Degree buckets: cumulative share per 10000 nets and the pin-count range of the bucket.
struct DegreeBucket {
    int cumulative, lo, hi;
};
const DegreeBucket kDegrees[] = {
    {5800, 2, 2}, {7700, 3, 3}, {8500, 4, 4}, {9100, 5, 6}, {9550, 7, 10},
    {9800, 11, 20}, {9930, 21, 50}, {9980, 51, 150}, {10000, 151, 400},
};

int pickDegree(Rng& r) {
    int u = static_cast<int>(r.range(0, 9999));
    for (const DegreeBucket& b : kDegrees)
        if (u < b.cumulative) return static_cast<int>(r.range(b.lo, b.hi));
    return 2;
}

int pickPinLayer(Rng& r, int layers) {
    int u = static_cast<int>(r.range(0, 99));
    if (u < 80) return 1;
    if (u < 94) return 2;
    int top = layers < 4 ? layers : 4;
    return top >= 3 ? static_cast<int>(r.range(3, top)) : 2;
}

long long clampLL(long long v, long long lo, long long hi) { return v < lo ? lo : (v > hi ? hi : v); }

struct Adjustment {
    long long x1, y1, x2, y2;
    int layer;  // 1-based
    long long cap;
};

}  // namespace

int main(int argc, char** argv) {
    Options o;
    int st = parseArgs(argc, argv, o);
    if (st >= 0) return st;

    Rng rng{o.seed};
    const long long X = o.gridX, Y = o.gridY;
    const int L = static_cast<int>(o.layers);

    // Congested spots: small regions that attract a quarter of the nets.
    std::vector<Hotspot> spots;
    long long spotCount = clampLL(X * Y / 4000, 1, 30);
    for (long long i = 0; i < spotCount; ++i) {
        long long rmax = std::max<long long>(2, std::min(X, Y) / 15 + 2);
        long long rmin = std::max<long long>(1, std::min(X, Y) / 40 + 1);
        if (rmin > rmax) rmin = rmax;
        spots.push_back({rng.range(0, X - 1), rng.range(0, Y - 1), rng.range(rmin, rmax)});
    }

    // Nets go into a text buffer first; their demand then sizes the capacities of the header.
    std::string body;
    body.reserve(static_cast<size_t>(o.nets) * 48 + 64);
    const long long xMin = o.originX, xMax = o.originX + X * o.tileW - 1;
    const long long yMin = o.originY, yMax = o.originY + Y * o.tileH - 1;
    double demandH = 0, demandV = 0;  // estimated G-cell edges per direction
    std::vector<long long> px, py;
    for (long long n = 0; n < o.nets; ++n) {
        int degree = pickDegree(rng);
        double cx, cy;
        if (rng.range(0, 99) < 25) {
            const Hotspot& h = spots[static_cast<size_t>(rng.range(0, static_cast<long long>(spots.size()) - 1))];
            cx = h.cx + 0.5 + rng.gauss() * h.radius * 0.5;
            cy = h.cy + 0.5 + rng.gauss() * h.radius * 0.5;
        } else {
            cx = rng.unit() * X;
            cy = rng.unit() * Y;
        }
        // Spread of the pins around the centre, in G-cells: mostly local, a few long nets,
        // and growing with the degree.
        double spread = 0.3 + rng.unit() * 2.0;
        if (rng.range(0, 99) < 6) spread = 2.0 + rng.unit() * (std::max(X, Y) / 8.0);
        spread *= std::sqrt(static_cast<double>(degree) / 2.0);
        spread = std::min(spread, std::max(X, Y) / 3.0);

        px.clear();
        py.clear();
        long long loX = xMax, hiX = xMin, loY = yMax, hiY = yMin;
        for (int p = 0; p < degree; ++p) {
            double gx = cx + rng.gauss() * spread, gy = cy + rng.gauss() * spread;
            long long x = clampLL(o.originX + static_cast<long long>(std::floor(gx * o.tileW)), xMin, xMax);
            long long y = clampLL(o.originY + static_cast<long long>(std::floor(gy * o.tileH)), yMin, yMax);
            px.push_back(x);
            py.push_back(y);
            loX = std::min(loX, x), hiX = std::max(hiX, x), loY = std::min(loY, y), hiY = std::max(hiY, y);
        }
        // A Steiner tree is longer than the bounding box once a net has more than three pins.
        double factor = degree <= 3 ? 1.0 : 1.0 + 0.08 * std::sqrt(static_cast<double>(degree));
        demandH += factor * static_cast<double>((hiX - o.originX) / o.tileW - (loX - o.originX) / o.tileW);
        demandV += factor * static_cast<double>((hiY - o.originY) / o.tileH - (loY - o.originY) / o.tileH);

        body.append(o.prefix);
        putInt(body, n);
        body.push_back(' ');
        putInt(body, n);
        body.push_back(' ');
        putInt(body, degree);
        body.push_back(' ');
        putInt(body, o.wideEvery != 0 && n % o.wideEvery == 0 ? o.wideWidth : 1);
        body.push_back('\n');
        for (int p = 0; p < degree; ++p) {
            putInt(body, px[static_cast<size_t>(p)]);
            body.push_back(' ');
            putInt(body, py[static_cast<size_t>(p)]);
            body.push_back(' ');
            putInt(body, pickPinLayer(rng, L));
            body.push_back('\n');
        }
    }

    // Wire rules and capacities. A layer's share says how many tracks it offers relative to
    // a regular layer: layer 1 is half taken by pins, the wide top layers have half the tracks.
    std::vector<long long> width(L, 1), spacing(L, 1), viaSpacing(L, 1), tracks(L, 0);
    std::vector<double> share(L, 1.0);
    share[0] = 0.5;
    if (L >= 6) {
        for (int l = L - 2; l < L; ++l) width[l] = 2, spacing[l] = 2, share[l] = 0.5;
    }
    long long base = o.tracks;
    if (base == 0) {
        double shareH = 0, shareV = 0;
        for (int l = 0; l < L; ++l) (l % 2 == 0 ? shareH : shareV) += share[l];
        const double util = 0.55;  // average use of the tracks outside the congested spots
        double needH = demandH / (static_cast<double>((X - 1) * Y) * shareH * util);
        double needV = demandV / (static_cast<double>(X * (Y - 1)) * shareV * util);
        base = std::max<long long>(4, static_cast<long long>(std::ceil(std::max(needH, needV))));
        base = std::min<long long>(base, 100000);
    }
    for (int l = 0; l < L; ++l) tracks[l] = std::max<long long>(1, static_cast<long long>(std::floor(base * share[l] + 0.5)));
    auto pitch = [&](int l) { return width[l] + spacing[l]; };
    auto capOf = [&](int l) { return tracks[l] * pitch(l); };

    // Capacity adjustments: macros that close the lower layers, then scattered reductions.
    std::vector<Adjustment> adj;
    std::unordered_set<unsigned long long> seen;
    auto edgeKey = [&](long long x, long long y, int l) {
        return (static_cast<unsigned long long>(l) * static_cast<unsigned long long>(Y) + static_cast<unsigned long long>(y)) *
                   static_cast<unsigned long long>(X) + static_cast<unsigned long long>(x);
    };
    auto addEdge = [&](long long x, long long y, int l, long long cap) {  // l 0-based, edge in layer direction
        if (!seen.insert(edgeKey(x, y, l)).second) return;
        if (l % 2 == 0) adj.push_back({x, y, x + 1, y, l + 1, cap});
        else adj.push_back({x, y, x, y + 1, l + 1, cap});
    };
    // Every edge of layer 2 and up one capacity unit below its default, in place
    // of the generated adjustments: capacities that are not whole tracks.
    for (int l = 1; o.adjustments == "minus-one" && l < L; ++l)
        for (long long x = 0; x < X; ++x)
            for (long long y = 0; y < Y; ++y) {
                if (l % 2 == 0 && x + 1 < X) adj.push_back({x, y, x + 1, y, l + 1, capOf(l) - 1});
                if (l % 2 == 1 && y + 1 < Y) adj.push_back({x, y, x, y + 1, l + 1, capOf(l) - 1});
            }
    const long long macroCount = o.adjustments == "generated" ? clampLL(X * Y / 3000, 1, 40) : 0;
    for (long long m = 0; m < macroCount; ++m) {
        long long wmax = std::max<long long>(3, X / 10), hmax = std::max<long long>(3, Y / 10);
        long long w = std::min(X, rng.range(3, wmax)), h = std::min(Y, rng.range(3, hmax));
        long long x0 = rng.range(0, X - w), y0 = rng.range(0, Y - h);
        int closed = static_cast<int>(std::min<long long>(L - 2, rng.range(1, 4)));
        bool reduceOnly = closed == 0;  // two layers: keep both directions open
        if (reduceOnly) closed = 1;
        for (int l = 0; l < closed; ++l) {
            long long cap = reduceOnly ? (tracks[l] / 2) * pitch(l) : 0;
            if (l % 2 == 0) {
                for (long long y = y0; y < y0 + h; ++y)
                    for (long long x = x0; x + 1 < x0 + w; ++x) addEdge(x, y, l, cap);
            } else {
                for (long long x = x0; x < x0 + w; ++x)
                    for (long long y = y0; y + 1 < y0 + h; ++y) addEdge(x, y, l, cap);
            }
        }
    }
    const long long scattered = o.adjustments == "generated" ? X * Y * L / 400 : 0;
    for (long long i = 0; i < scattered; ++i) {
        int l = static_cast<int>(rng.range(0, std::min(L, 4) - 1));
        long long x = rng.range(0, l % 2 == 0 ? X - 2 : X - 1);
        long long y = rng.range(0, l % 2 == 0 ? Y - 1 : Y - 2);
        long long quarters = rng.range(0, 3);  // keep 0, 1/4, 1/2 or 3/4 of the tracks
        addEdge(x, y, l, (tracks[l] * quarters / 4) * pitch(l));
    }

    // Header, nets, adjustments.
    std::string head;
    auto list = [&](const char* words, auto value) {
        head.append(words);
        for (int l = 0; l < L; ++l) {
            head.push_back(' ');
            putInt(head, value(l));
        }
        head.push_back('\n');
    };
    head.append("grid ");
    putInt(head, X);
    head.push_back(' ');
    putInt(head, Y);
    head.push_back(' ');
    putInt(head, L);
    head.push_back('\n');
    list("vertical capacity", [&](int l) { return l % 2 == 1 ? capOf(l) : 0LL; });
    list("horizontal capacity", [&](int l) { return l % 2 == 0 ? capOf(l) : 0LL; });
    list("minimum width", [&](int l) { return width[l]; });
    list("minimum spacing", [&](int l) { return spacing[l]; });
    list("via spacing", [&](int l) { return viaSpacing[l]; });
    putInt(head, o.originX);
    head.push_back(' ');
    putInt(head, o.originY);
    head.push_back(' ');
    putInt(head, o.tileW);
    head.push_back(' ');
    putInt(head, o.tileH);
    head.append("\n\nnum net ");
    putInt(head, o.nets);
    head.push_back('\n');

    std::string tail = "\n";
    putInt(tail, static_cast<long long>(adj.size()));
    tail.push_back('\n');
    for (const Adjustment& a : adj) {
        putInt(tail, a.x1), tail.push_back(' '), putInt(tail, a.y1), tail.push_back(' '), putInt(tail, a.layer);
        tail.push_back(' ');
        putInt(tail, a.x2), tail.push_back(' '), putInt(tail, a.y2), tail.push_back(' '), putInt(tail, a.layer);
        tail.push_back(' ');
        putInt(tail, a.cap);
        tail.push_back('\n');
    }

    FILE* f = o.out.empty() ? stdout : std::fopen(o.out.c_str(), "wb");
    if (!f) {
        std::fprintf(stderr, "gen_ispd: cannot open '%s' for writing: %s\n", o.out.c_str(), std::strerror(errno));
        return 1;
    }
    bool ok = std::fwrite(head.data(), 1, head.size(), f) == head.size() &&
              std::fwrite(body.data(), 1, body.size(), f) == body.size() &&
              std::fwrite(tail.data(), 1, tail.size(), f) == tail.size();
    ok = (std::fflush(f) == 0) && ok;
    if (f != stdout) ok = (std::fclose(f) == 0) && ok;
    if (!ok) {
        std::fprintf(stderr, "gen_ispd: error writing '%s'\n", o.out.empty() ? "standard output" : o.out.c_str());
        return 1;
    }
    return 0;
}
