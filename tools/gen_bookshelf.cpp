// gen_bookshelf: writes a synthetic Bookshelf design set in the syntax of the DAC 2012
// routability-driven placement contest, and the equivalent ISPD'08 global-routing benchmark.
//
// usage: gen_bookshelf --cells N --out DIR [options]
//   --cells N        movable cells (1..5000000)
//   --out DIR        output folder (must exist)
//   --name NAME      file name stem (default "design")
//   --seed S         random seed (default 1); the same arguments give the same files
//   --layers L       routing layers, 6..9 (default: 6..9 chosen by the seed)
//   --macros M       fixed macros that block routing layers (default 2 + N / 2500, at most 400)
//   --ni T           NI terminals with pins above the cell layer (default 2 + N / 200, at most 5000)
//   --tile W H       G-cell width and height in database units (default 48 48)
//   --origin X Y     grid origin in database units (default 0 0)
//
// Files written into DIR:
//   NAME.aux NAME.nodes NAME.nets NAME.wts NAME.pl NAME.scl NAME.shapes NAME.route
//       the set; NAME.pl (the one the .aux names) holds the fixed objects at their places
//       and the movable cells scattered at random;
//   NAME.user.pl  the placement to route: the same fixed objects, the movable cells placed
//       so that the nets are short;
//   NAME.gr       the ISPD'08 benchmark that routing NAME.aux with NAME.user.pl amounts to:
//       the .route grid and rules, every net with its pins at NAME.user.pl (database units,
//       the layer of the object's pins), and one capacity adjustment per grid edge whose
//       capacity differs from its layer's default: the smaller of the .route adjustment and
//       the capacity left by the blockages, in capacity units.
//
// What the design holds: rows of 12 database units; movable cells 2..16 wide; fixed macros
// (some non-rectangular, given by two rectangles in .shapes; one hanging over the die's
// right edge) that block layers 1..k (k = 2..4) or a scattered set of lower layers; a few
// fixed "terminal" cells that block nothing; NI terminals ("terminal_NI", p names) with pin
// layers 3..L listed in .route; net degrees mostly 2 and 3 with a tail up to 200; pins at
// offsets inside their objects; a few .route capacity adjustments, some on edges that a
// blockage also reduces, one equal to its layer's default and one edge given twice (the
// later value counts).
//
// Every random choice comes from a splitmix64 stream seeded with --seed and integer
// arithmetic shapes the numbers (but for the one IEEE double proportion of the blockage
// capacities, a division and a product), so the output is the same on every platform.

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <unordered_map>
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
    long long range(long long lo, long long hi) {
        return lo + static_cast<long long>(next() % static_cast<uint64_t>(hi - lo + 1));
    }
    // Per mille.
    int permille() { return static_cast<int>(next() % 1000); }
};

const char* kUsage =
    "usage: gen_bookshelf --cells N --out DIR [--name NAME] [--seed S] [--layers L] [--macros M]\n"
    "                     [--ni T] [--tile W H] [--origin X Y]\n"
    "Writes DIR/NAME.{aux,nodes,nets,wts,pl,scl,shapes,route}, the placement to route\n"
    "DIR/NAME.user.pl and the equivalent ISPD'08 benchmark DIR/NAME.gr.\n";

struct Options {
    uint64_t seed = 1;
    long long cells = -1, layers = 0, macros = -1, ni = -1;
    long long tileW = 48, tileH = 48, originX = 0, originY = 0;
    std::string out, name = "design";
};

int usageError(const std::string& msg) {
    std::fprintf(stderr, "gen_bookshelf: %s\n%s", msg.c_str(), kUsage);
    return 1;
}

int parseArgs(int argc, char** argv, Options& o) {
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        auto one = [&](long long lo, long long hi, long long& v) {
            if (i + 1 >= argc || !parseInt(argv[i + 1], lo, hi, v)) return false;
            ++i;
            return true;
        };
        if (a == "--help" || a == "-h") {
            std::fputs(kUsage, stdout);
            return 0;
        } else if (a == "--cells") {
            if (!one(1, 5000000, o.cells)) return usageError("--cells needs an integer in 1..5000000");
        } else if (a == "--layers") {
            if (!one(6, 9, o.layers)) return usageError("--layers needs an integer in 6..9");
        } else if (a == "--macros") {
            if (!one(0, 100000, o.macros)) return usageError("--macros needs an integer in 0..100000");
        } else if (a == "--ni") {
            if (!one(0, 1000000, o.ni)) return usageError("--ni needs an integer in 0..1000000");
        } else if (a == "--seed") {
            long long s;
            if (!one(0, INT64_MAX, s)) return usageError("--seed needs a non-negative integer");
            o.seed = static_cast<uint64_t>(s);
        } else if (a == "--tile") {
            if (!one(24, 100000, o.tileW) || !one(24, 100000, o.tileH))
                return usageError("--tile needs two integers in 24..100000");
        } else if (a == "--origin") {
            if (!one(-1000000, 1000000, o.originX) || !one(-1000000, 1000000, o.originY))
                return usageError("--origin needs two integers in -1000000..1000000");
        } else if (a == "--out") {
            if (i + 1 >= argc) return usageError("--out needs a folder");
            o.out = argv[++i];
        } else if (a == "--name") {
            if (i + 1 >= argc || !*argv[i + 1]) return usageError("--name needs a name");
            o.name = argv[++i];
        } else {
            return usageError("unknown argument '" + a + "'");
        }
    }
    if (o.cells < 0) return usageError("--cells is required");
    if (o.out.empty()) return usageError("--out is required");
    return -1;
}

constexpr long long kRowHeight = 12;

struct Object {
    std::string name;
    long long w = 0, h = 0;
    int type = 0;          // 0 movable, 1 terminal, 2 terminal_NI
    long long x = 0, y = 0;        // position in NAME.pl
    long long ux = 0, uy = 0;      // position in NAME.user.pl
    int pinLayer = 1;      // 1-based
    std::vector<int> blocked;  // 1-based blocked layers
    struct Rect {
        long long x, y, w, h;
    };
    std::vector<Rect> shapes;  // absolute, non-rectangular macros only
    long long pinW = 0;        // pins lie at x offsets 0 .. pinW - 1 (inside the die)
};

struct Pin {
    int obj;
    long long dx, dy;  // from the lower-left corner
};

struct Design {
    Options opt;
    int X = 0, Y = 0, L = 0;
    long long W = 0, H = 0;  // die size
    std::vector<Object> objs;
    int movable = 0, oCount = 0;
    std::vector<int> macros, niTerms;
    std::vector<std::vector<Pin>> nets;
    std::vector<long long> vCap, hCap, minWidth, minSpacing;
    struct Adjust {
        int x1, y1, l, x2, y2;
        long long cap;
    };
    std::vector<Adjust> routeAdjust;

    long long pitch(int l) const { return minWidth[static_cast<size_t>(l)] + minSpacing[static_cast<size_t>(l)]; }
};

FILE* openOut(const Options& o, const std::string& ext) {
    std::string path = o.out + "/" + o.name + ext;
    FILE* f = std::fopen(path.c_str(), "w");
    if (!f) {
        std::fprintf(stderr, "gen_bookshelf: cannot write %s\n", path.c_str());
        std::exit(1);
    }
    return f;
}

void closeOut(FILE* f, const Options& o, const std::string& ext) {
    if (std::fclose(f) != 0) {
        std::fprintf(stderr, "gen_bookshelf: cannot write %s/%s%s\n", o.out.c_str(), o.name.c_str(), ext.c_str());
        std::exit(1);
    }
}

void build(Design& d, Rng& rng) {
    const Options& o = d.opt;
    const long long n = o.cells;
    long long side = 4;
    while (side * side * 12 < n) ++side;
    d.X = static_cast<int>(side);
    d.Y = static_cast<int>(std::max<long long>(4, side * 3 / 4 + 1));
    d.L = static_cast<int>(o.layers ? o.layers : rng.range(6, 9));
    // Whole rows: the die height is a multiple of the row height.
    d.W = d.X * o.tileW;
    d.H = d.Y * o.tileH;
    const long long rows = d.H / kRowHeight;

    const long long macroCount = o.macros >= 0 ? o.macros : std::min<long long>(400, 2 + n / 2500);
    const long long niCount = o.ni >= 0 ? o.ni : std::min<long long>(5000, 2 + n / 200);
    const long long fixedCells = 1 + n / 1000;

    // Movable cells, placed for NAME.user.pl along a serpentine over the G-cells so that
    // cells with near numbers sit near each other.
    const long long tiles = static_cast<long long>(d.X) * d.Y;
    const long long rowsPerTile = std::max<long long>(1, o.tileH / kRowHeight);
    for (long long i = 0; i < n; ++i) {
        Object c;
        c.name = "o" + std::to_string(i);
        c.w = 2 * rng.range(1, 8);
        c.h = kRowHeight;
        c.pinW = c.w;
        long long t = i * tiles / n;
        long long ty = t / d.X, tx = t % d.X;
        if (ty % 2) tx = d.X - 1 - tx;
        c.ux = std::min(o.originX + tx * o.tileW + rng.range(0, o.tileW - 1), o.originX + d.W - c.w);
        long long row = std::min(rows - 1, ty * rowsPerTile + rng.range(0, rowsPerTile - 1));
        c.uy = o.originY + row * kRowHeight;
        c.x = o.originX + rng.range(0, d.W - c.w);
        c.y = o.originY + rng.range(0, rows - 1) * kRowHeight;
        d.objs.push_back(c);
    }
    d.movable = static_cast<int>(n);

    // Fixed macros.
    for (long long m = 0; m < macroCount; ++m) {
        Object c;
        c.name = "o" + std::to_string(d.objs.size());
        c.type = 1;
        c.w = o.tileW * rng.range(1, 4) + rng.range(0, o.tileW - 1);
        c.h = o.tileH * rng.range(1, 4) + rng.range(0, o.tileH - 1);
        c.w = std::min(c.w, d.W);
        c.h = std::min(c.h, d.H);
        c.x = o.originX + rng.range(0, d.W - c.w);
        c.y = o.originY + rng.range(0, d.H - c.h);
        c.pinW = c.w;
        if (m == 0 && macroCount >= 2) {
            // Hangs over the right edge of the die; its pins stay inside.
            c.x = o.originX + d.W - c.w / 2;
            c.pinW = c.w / 2;
        }
        c.ux = c.x;
        c.uy = c.y;
        if (m % 4 == 3) {
            // A scattered set of lower layers.
            c.blocked = {1, 2, 4};
        } else {
            int k = static_cast<int>(rng.range(2, 4));
            for (int l = 1; l <= k; ++l) c.blocked.push_back(l);
        }
        if (m % 3 == 1 && c.h >= 2) {
            // L-shaped: the full-width lower half and the left half above it.
            long long h1 = c.h / 2;
            c.shapes.push_back({c.x, c.y, c.w, h1});
            c.shapes.push_back({c.x, c.y + h1, std::max<long long>(1, c.w / 2), c.h - h1});
        }
        d.macros.push_back(static_cast<int>(d.objs.size()));
        d.objs.push_back(c);
    }
    // Fixed cells that block nothing.
    for (long long f = 0; f < fixedCells; ++f) {
        Object c;
        c.name = "o" + std::to_string(d.objs.size());
        c.type = 1;
        c.w = 4;
        c.h = kRowHeight;
        c.pinW = c.w;
        c.x = c.ux = o.originX + rng.range(0, d.W - c.w);
        c.y = c.uy = o.originY + rng.range(0, rows - 1) * kRowHeight;
        d.objs.push_back(c);
    }
    d.oCount = static_cast<int>(d.objs.size());
    // NI terminals.
    for (long long t = 0; t < niCount; ++t) {
        Object c;
        c.name = "p" + std::to_string(t);
        c.type = 2;
        c.w = c.h = 1;
        c.pinW = 1;
        c.x = c.ux = o.originX + rng.range(0, d.W - 1);
        c.y = c.uy = o.originY + rng.range(0, d.H - 1);
        c.pinLayer = static_cast<int>(rng.range(3, d.L));
        d.niTerms.push_back(static_cast<int>(d.objs.size()));
        d.objs.push_back(c);
    }

    // Nets: a skewed degree distribution, pins mostly on cells with near numbers.
    const long long netCount = std::max<long long>(1, n * 11 / 10);
    const long long totalObjs = static_cast<long long>(d.objs.size());
    for (long long k = 0; k < netCount; ++k) {
        int r = rng.permille();
        long long deg = r < 550 ? 2 : r < 750 ? 3 : r < 850 ? 4 : r < 950 ? rng.range(5, 10) : r < 995 ? rng.range(11, 40)
                                                                                                       : rng.range(41, 200);
        deg = std::min(deg, std::max<long long>(2, totalObjs));
        std::vector<Pin> pins;
        long long anchor = rng.range(0, n - 1);
        long long win = 8 + 2 * deg;
        for (long long p = 0; p < deg; ++p) {
            int obj;
            int pick = rng.permille();
            if (pick < 30 && !d.macros.empty())
                obj = d.macros[static_cast<size_t>(rng.range(0, static_cast<long long>(d.macros.size()) - 1))];
            else if (pick < 50 && !d.niTerms.empty())
                obj = d.niTerms[static_cast<size_t>(rng.range(0, static_cast<long long>(d.niTerms.size()) - 1))];
            else if (pick < 60)
                obj = static_cast<int>(rng.range(d.movable + static_cast<long long>(d.macros.size()), d.oCount - 1));
            else
                obj = static_cast<int>(std::clamp<long long>(anchor + rng.range(-win, win), 0, n - 1));
            const Object& c = d.objs[static_cast<size_t>(obj)];
            pins.push_back({obj, rng.range(0, c.pinW - 1), rng.range(0, c.h - 1)});
        }
        d.nets.push_back(pins);
    }

    // Layer rules: layer 1 horizontal, then alternating; wider wires higher up.
    d.minWidth.assign(static_cast<size_t>(d.L), 1);
    d.minSpacing.assign(static_cast<size_t>(d.L), 1);
    for (int l = 4; l < d.L; ++l) {
        long long w = l < 7 ? 2 : 4;
        d.minWidth[static_cast<size_t>(l)] = d.minSpacing[static_cast<size_t>(l)] = w;
    }
    // Tracks from the nets' demand: twice the average crossing per G-cell, spread over the
    // layers of each direction.
    long long demandX = 0, demandY = 0;
    for (const auto& net : d.nets) {
        long long lx = INT64_MAX, hx = INT64_MIN, ly = INT64_MAX, hy = INT64_MIN;
        for (const Pin& p : net) {
            const Object& c = d.objs[static_cast<size_t>(p.obj)];
            long long gx = (c.ux + p.dx - o.originX) / o.tileW, gy = (c.uy + p.dy - o.originY) / o.tileH;
            lx = std::min(lx, gx), hx = std::max(hx, gx), ly = std::min(ly, gy), hy = std::max(hy, gy);
        }
        demandX += hx - lx;
        demandY += hy - ly;
    }
    const int hLayers = (d.L + 1) / 2, vLayers = d.L / 2;
    const long long hTracks = 3 + (2 * demandX + tiles * hLayers - 1) / (tiles * hLayers);
    const long long vTracks = 3 + (2 * demandY + tiles * vLayers - 1) / (tiles * vLayers);
    d.vCap.assign(static_cast<size_t>(d.L), 0);
    d.hCap.assign(static_cast<size_t>(d.L), 0);
    for (int l = 0; l < d.L; ++l) {
        if (l % 2 == 0)
            d.hCap[static_cast<size_t>(l)] = hTracks * d.pitch(l);
        else
            d.vCap[static_cast<size_t>(l)] = vTracks * d.pitch(l);
    }

    // .route capacity adjustments: random edges, edges under macros, one equal to the
    // default and one edge given twice.
    const long long adjCount = 6 + n / 1000;
    auto addEdge = [&](int x, int y, int l) {
        const bool vertical = d.vCap[static_cast<size_t>(l)] > 0;
        if (vertical && y + 1 >= d.Y) y = d.Y - 2;
        if (!vertical && x + 1 >= d.X) x = d.X - 2;
        const long long tracks = (vertical ? vTracks : hTracks);
        Design::Adjust a{x, y, l + 1, vertical ? x : x + 1, vertical ? y + 1 : y, rng.range(0, tracks - 1) * d.pitch(l)};
        d.routeAdjust.push_back(a);
    };
    for (long long a = 0; a < adjCount; ++a) {
        if (a % 3 == 1 && d.macros.size() > 1) {
            const Object& m = d.objs[static_cast<size_t>(d.macros[static_cast<size_t>(rng.range(1, static_cast<long long>(d.macros.size()) - 1))])];
            int x = static_cast<int>((m.x + rng.range(0, m.w - 1) - o.originX) / o.tileW);
            int y = static_cast<int>((m.y + rng.range(0, m.h - 1) - o.originY) / o.tileH);
            int l = m.blocked[static_cast<size_t>(rng.range(0, static_cast<long long>(m.blocked.size()) - 1))] - 1;
            addEdge(x, y, l);
        } else {
            addEdge(static_cast<int>(rng.range(0, d.X - 1)), static_cast<int>(rng.range(0, d.Y - 1)),
                    static_cast<int>(rng.range(0, d.L - 1)));
        }
    }
    Design::Adjust same = d.routeAdjust.front();
    d.routeAdjust.push_back(same);
    d.routeAdjust.back().cap = same.cap / 2 / d.pitch(same.l - 1) * d.pitch(same.l - 1);
    Design::Adjust def = d.routeAdjust[1];
    def.cap = def.x1 == def.x2 ? d.vCap[static_cast<size_t>(def.l - 1)] : d.hCap[static_cast<size_t>(def.l - 1)];
    d.routeAdjust.push_back(def);
}

// Prints a half-unit value such as -1.5 or 3.0 exactly.
void printHalf(FILE* f, long long twice) {
    const char* sign = twice < 0 ? "-" : "";
    long long a = twice < 0 ? -twice : twice;
    std::fprintf(f, "%s%lld.%d", sign, a / 2, a % 2 ? 5 : 0);
}

void writeSet(const Design& d) {
    const Options& o = d.opt;
    const std::string& nm = o.name;
    FILE* f = openOut(o, ".aux");
    std::fprintf(f, "RowBasedPlacement :  %s.nodes  %s.nets  %s.wts  %s.pl  %s.scl  %s.shapes  %s.route\n", nm.c_str(),
                 nm.c_str(), nm.c_str(), nm.c_str(), nm.c_str(), nm.c_str(), nm.c_str());
    closeOut(f, o, ".aux");

    long long terminals = 0;
    for (const Object& c : d.objs) terminals += c.type != 0;
    f = openOut(o, ".nodes");
    std::fprintf(f, "UCLA nodes 1.0\n# Created by gen_bookshelf, seed %llu\n\nNumNodes : \t%zu\nNumTerminals : \t%lld\n",
                 static_cast<unsigned long long>(o.seed), d.objs.size(), terminals);
    for (const Object& c : d.objs)
        std::fprintf(f, "\t%s\t%lld\t%lld%s\n", c.name.c_str(), c.w, c.h,
                     c.type == 1 ? "\tterminal" : c.type == 2 ? "\tterminal_NI" : "");
    closeOut(f, o, ".nodes");

    long long pinTotal = 0;
    for (const auto& net : d.nets) pinTotal += static_cast<long long>(net.size());
    f = openOut(o, ".nets");
    std::fprintf(f, "UCLA nets 1.0\n# Created by gen_bookshelf\n\nNumNets : %zu\nNumPins : %lld\n\n", d.nets.size(), pinTotal);
    for (size_t k = 0; k < d.nets.size(); ++k) {
        std::fprintf(f, "NetDegree : %zu   n%zu\n", d.nets[k].size(), k);
        for (size_t p = 0; p < d.nets[k].size(); ++p) {
            const Pin& pin = d.nets[k][p];
            const Object& c = d.objs[static_cast<size_t>(pin.obj)];
            // Offsets from the object's centre: dx - w/2, in halves.
            std::fprintf(f, "\t%s\t%s : ", c.name.c_str(), p == 0 ? "O" : "I");
            printHalf(f, 2 * pin.dx - c.w);
            std::fputc('\t', f);
            printHalf(f, 2 * pin.dy - c.h);
            std::fputc('\n', f);
        }
    }
    closeOut(f, o, ".nets");

    f = openOut(o, ".wts");
    std::fprintf(f, "UCLA wts 1.0\n# Created by gen_bookshelf\n\n");
    closeOut(f, o, ".wts");

    for (int user = 0; user < 2; ++user) {
        const char* ext = user ? ".user.pl" : ".pl";
        f = openOut(o, ext);
        std::fprintf(f, "UCLA pl 1.0\n# Created by gen_bookshelf\n\n");
        for (const Object& c : d.objs)
            std::fprintf(f, "%s\t%lld\t%lld\t: N%s\n", c.name.c_str(), user ? c.ux : c.x, user ? c.uy : c.y,
                         c.type == 1 ? " /FIXED" : c.type == 2 ? " /FIXED_NI" : "");
        closeOut(f, o, ext);
    }

    f = openOut(o, ".scl");
    const long long rows = d.H / kRowHeight;
    std::fprintf(f, "UCLA scl 1.0\n# Created by gen_bookshelf\n\nNumRows :  %lld\n\n", rows);
    for (long long r = 0; r < rows; ++r)
        std::fprintf(f,
                     "CoreRow Horizontal\n   Coordinate     :  %lld\n   Height         :  %lld\n   Sitewidth      :  1\n"
                     "   Sitespacing    :  1\n   Siteorient     :  N\n   Sitesymmetry   :  Y\n"
                     "   SubrowOrigin   :  %lld           NumSites  :  %lld\nEnd\n",
                     o.originY + r * kRowHeight, kRowHeight, o.originX, d.W);
    closeOut(f, o, ".scl");

    f = openOut(o, ".shapes");
    long long nonRect = 0;
    for (const Object& c : d.objs) nonRect += !c.shapes.empty();
    std::fprintf(f, "shapes 1.0\n# Created by gen_bookshelf\n\nNumNonRectangularNodes  :  %lld\n\n", nonRect);
    for (const Object& c : d.objs) {
        if (c.shapes.empty()) continue;
        std::fprintf(f, "%s  :  %zu\n", c.name.c_str(), c.shapes.size());
        for (size_t s = 0; s < c.shapes.size(); ++s)
            std::fprintf(f, "\tShape_%zu\t%lld\t%lld\t%lld\t%lld\n", s, c.shapes[s].x, c.shapes[s].y, c.shapes[s].w,
                         c.shapes[s].h);
    }
    closeOut(f, o, ".shapes");

    f = openOut(o, ".route");
    std::fprintf(f, "route 1.0\n# Created by gen_bookshelf\n\nGrid : %d %d %d\n", d.X, d.Y, d.L);
    auto list = [&](const char* title, const std::vector<long long>& v) {
        std::fprintf(f, "%-26s:", title);
        for (long long x : v) std::fprintf(f, "  %lld", x);
        std::fputc('\n', f);
    };
    list("VerticalCapacity", d.vCap);
    list("HorizontalCapacity", d.hCap);
    list("MinWireWidth", d.minWidth);
    list("MinWireSpacing", d.minSpacing);
    list("ViaSpacing", std::vector<long long>(static_cast<size_t>(d.L), 0));
    std::fprintf(f, "GridOrigin                :  %lld  %lld\nTileSize                  :  %lld  %lld\n"
                    "BlockagePorosity          :  0\n\nNumNiTerminals  :  %zu\n\n",
                 o.originX, o.originY, o.tileW, o.tileH, d.niTerms.size());
    for (int t : d.niTerms) {
        const Object& c = d.objs[static_cast<size_t>(t)];
        std::fprintf(f, "             %s     %d\n", c.name.c_str(), c.pinLayer);
    }
    std::fprintf(f, "\nNumBlockageNodes  :  %zu\n\n", d.macros.size());
    for (int m : d.macros) {
        const Object& c = d.objs[static_cast<size_t>(m)];
        std::fprintf(f, "        %s     %zu", c.name.c_str(), c.blocked.size());
        for (int l : c.blocked) std::fprintf(f, "    %d", l);
        std::fputc('\n', f);
    }
    std::fprintf(f, "\nNumEdgeCapacityAdjustments  :  %zu\n\n", d.routeAdjust.size());
    for (const auto& a : d.routeAdjust)
        std::fprintf(f, "  %d  %d  %d    %d  %d  %d    %lld\n", a.x1, a.y1, a.l, a.x2, a.y2, a.l, a.cap);
    closeOut(f, o, ".route");
}

// The equivalent ISPD'08 benchmark. Capacities are worked out here independently of the
// router: for every grid edge on a blocked layer, the union of the stretches of its
// cross-section that the blockages cover (clipped to the die); the capacity left is
// default * (uncovered / length) in double, truncated, then rounded down to whole tracks.
void writeBenchmark(const Design& d) {
    const Options& o = d.opt;
    const long long right = o.originX + d.W, top = o.originY + d.H;
    // edge key -> covered stretches, relative to the edge's cross-section start
    std::map<long long, std::vector<std::pair<long long, long long>>> covered;
    auto key = [&](long long x, long long y, long long l, long long vertical) {
        return ((l * 2 + vertical) * d.X + x) * d.Y + y;
    };
    for (int m : d.macros) {
        const Object& c = d.objs[static_cast<size_t>(m)];
        std::vector<Object::Rect> rects = c.shapes;
        if (rects.empty()) rects.push_back({c.x, c.y, c.w, c.h});
        for (int bl : c.blocked) {
            const int l = bl - 1;
            for (const Object::Rect& r : rects) {
                const long long x0 = std::max(r.x, o.originX), x1 = std::min(r.x + r.w, right);
                const long long y0 = std::max(r.y, o.originY), y1 = std::min(r.y + r.h, top);
                if (x1 <= x0 || y1 <= y0) continue;
                if (d.vCap[static_cast<size_t>(l)] > 0) {
                    // A vertical edge between rows g and g+1 is crossed when the boundary
                    // between them lies within [y0, y1].
                    for (long long g = 0; g + 1 < d.Y; ++g) {
                        const long long yb = o.originY + (g + 1) * o.tileH;
                        if (yb < y0 || yb > y1) continue;
                        for (long long gx = 0; gx < d.X; ++gx) {
                            const long long cs = o.originX + gx * o.tileW, ce = cs + o.tileW;
                            const long long a = std::max(x0, cs), b = std::min(x1, ce);
                            if (b > a) covered[key(gx, g, l, 1)].push_back({a - cs, b - cs});
                        }
                    }
                }
                if (d.hCap[static_cast<size_t>(l)] > 0) {
                    for (long long g = 0; g + 1 < d.X; ++g) {
                        const long long xb = o.originX + (g + 1) * o.tileW;
                        if (xb < x0 || xb > x1) continue;
                        for (long long gy = 0; gy < d.Y; ++gy) {
                            const long long rs = o.originY + gy * o.tileH, re = rs + o.tileH;
                            const long long a = std::max(y0, rs), b = std::min(y1, re);
                            if (b > a) covered[key(g, gy, l, 0)].push_back({a - rs, b - rs});
                        }
                    }
                }
            }
        }
    }
    // Final capacity per adjusted edge, in capacity units.
    std::map<long long, long long> cap;
    std::unordered_map<long long, long long> routeCap;
    for (const auto& a : d.routeAdjust) {
        const long long vertical = a.x1 == a.x2;
        routeCap[key(std::min(a.x1, a.x2), std::min(a.y1, a.y2), a.l - 1, vertical)] = a.cap;  // later wins
    }
    auto defaultCap = [&](long long l, long long vertical) {
        return vertical ? d.vCap[static_cast<size_t>(l)] : d.hCap[static_cast<size_t>(l)];
    };
    auto decode = [&](long long k, long long& x, long long& y, long long& l, long long& vertical) {
        y = k % d.Y;
        k /= d.Y;
        x = k % d.X;
        k /= d.X;
        vertical = k % 2;
        l = k / 2;
    };
    for (const auto& [k, c] : routeCap) {
        long long x, y, l, v;
        decode(k, x, y, l, v);
        const long long p = d.pitch(static_cast<int>(l));
        if (c != defaultCap(l, v)) cap[k] = c / p * p;
    }
    for (auto& [k, stretches] : covered) {
        long long x, y, l, v;
        decode(k, x, y, l, v);
        std::sort(stretches.begin(), stretches.end());
        long long len = v ? o.tileW : o.tileH, total = 0, end = 0;
        for (const auto& s : stretches) {
            const long long a = std::max(s.first, end);
            if (s.second > a) total += s.second - a;
            end = std::max(end, s.second);
        }
        const long long c = defaultCap(l, v), p = d.pitch(static_cast<int>(l));
        const double share = static_cast<double>(len - std::min(total, len)) / static_cast<double>(len);
        long long left = static_cast<long long>(static_cast<double>(c) * share) / p * p;
        if (left == c) continue;
        auto it = cap.find(k);
        if (it == cap.end())
            cap[k] = left;
        else
            it->second = std::min(it->second, left);
    }

    FILE* f = openOut(o, ".gr");
    std::fprintf(f, "grid %d %d %d\nvertical capacity", d.X, d.Y, d.L);
    for (long long c : d.vCap) std::fprintf(f, " %lld", c);
    std::fprintf(f, "\nhorizontal capacity");
    for (long long c : d.hCap) std::fprintf(f, " %lld", c);
    std::fprintf(f, "\nminimum width");
    for (long long c : d.minWidth) std::fprintf(f, " %lld", c);
    std::fprintf(f, "\nminimum spacing");
    for (long long c : d.minSpacing) std::fprintf(f, " %lld", c);
    std::fprintf(f, "\nvia spacing");
    for (int l = 0; l < d.L; ++l) std::fprintf(f, " 0");
    std::fprintf(f, "\n%lld %lld %lld %lld\n\nnum net %zu\n", o.originX, o.originY, o.tileW, o.tileH, d.nets.size());
    for (size_t k = 0; k < d.nets.size(); ++k) {
        std::fprintf(f, "n%zu %zu %zu 1\n", k, k, d.nets[k].size());
        for (const Pin& p : d.nets[k]) {
            const Object& c = d.objs[static_cast<size_t>(p.obj)];
            std::fprintf(f, "%lld %lld %d\n", c.ux + p.dx, c.uy + p.dy, c.type == 2 ? c.pinLayer : 1);
        }
    }
    std::fprintf(f, "\n%zu\n", cap.size());
    for (const auto& [k, c] : cap) {
        long long x, y, l, v;
        decode(k, x, y, l, v);
        std::fprintf(f, "%lld %lld %lld %lld %lld %lld %lld\n", x, y, l + 1, v ? x : x + 1, v ? y + 1 : y, l + 1, c);
    }
    closeOut(f, o, ".gr");
}

}  // namespace

int main(int argc, char** argv) {
    Design d;
    int rc = parseArgs(argc, argv, d.opt);
    if (rc >= 0) return rc;
    Rng rng{d.opt.seed * 0x9e3779b97f4a7c15ULL + 12345};
    build(d, rng);
    writeSet(d);
    writeBenchmark(d);
    return 0;
}
