// place_check: checks a Bookshelf placement against its design, independently of the placer.
//
// usage: place_check DESIGN.aux PLACEMENT.pl [REFERENCE.pl]
//
// Reads the set named by the .aux file (.nodes, .nets, .pl, .scl, .shapes; the .wts and
// .route entries are ignored) and the placement to check. Objects are looked up by name;
// a name the .nodes file does not hold falls back to the numbering "oN" = object N,
// "pN" = object (count of non-p objects) + N. The reference placement for displacement
// and for fixed objects is REFERENCE.pl when given, else the .pl named by the .aux file.
//
// Checks (movable = not "terminal"/"terminal_NI"):
//   - outside rows: a movable cell whose bottom is not a row bottom, or some row-high
//     strip of it not inside one row's [x, x + sites * spacing) span;
//   - off site: a movable cell in rows whose x is not on the row's site grid;
//   - overlaps: pairs of movable cells with positive overlap area;
//   - fixed overlaps: movable cell and "terminal" rectangle (its .shapes pieces when
//     it has any) with positive overlap area; "terminal_NI" objects block nothing;
//   - fixed moved: terminals whose position differs from the reference;
// and measures the total and largest displacement |dx| + |dy| of movable cells from the
// reference, and the half-perimeter wire length over all nets:
//   hpwl:              pin = object corner + trunc(offset + 0.5 + size / 2) (integer DBU);
//   hpwl from centres: pin = object centre + offset, rounded to the nearest integer at the end.
//
// Output: one "label: value" line per figure (integers), then one summary line
//   place_check: PASS|FAIL violations=V outside_rows=.. off_site=.. overlaps=.. fixed_overlaps=..
//                fixed_moved=.. displacement=.. max_displacement=.. hpwl=..
// (a single line). The first few violations are described on standard error.
// Exit status: 0 no violation, 1 violations found, 2 unreadable or malformed input.

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <unordered_map>
#include <vector>

namespace {

struct Object {
    std::string name;
    long long w = 0, h = 0;
    int kind = 0;  // 0 movable, 1 terminal, 2 terminal_NI
    long long x = 0, y = 0;        // checked placement
    long long rx = 0, ry = 0;      // reference placement
    double fx = 0, fy = 0;         // checked placement, as written
    bool placed = false, refPlaced = false;
    std::vector<std::array<long long, 4>> shapes;  // x, y, w, h
};

struct Pin {
    int obj = 0;
    double dx = 0, dy = 0;
};

struct RowRec {
    long long x = 0, y = 0, h = 0, spacing = 1, end = 0;
};

struct Design {
    std::vector<Object> objs;
    std::unordered_map<std::string, int> byName;
    int nonPCount = 0;
    std::vector<std::vector<Pin>> nets;
    std::vector<RowRec> rows;
};

[[noreturn]] void fail(const std::string& file, long line, const std::string& why) {
    fprintf(stderr, "place_check: %s:%ld: %s\n", file.c_str(), line, why.c_str());
    exit(2);
}

// Whitespace-separated tokens of one file with their line numbers; "#" starts a comment.
struct Tokens {
    std::string file;
    std::vector<std::string> tok;
    std::vector<long> line;
    size_t pos = 0;
    explicit Tokens(const std::string& f) : file(f) {
        std::ifstream in(f);
        if (!in) fail(f, 0, "cannot open file");
        std::string l;
        long n = 0;
        while (std::getline(in, l)) {
            ++n;
            const size_t hash = l.find('#');
            if (hash != std::string::npos) l.erase(hash);
            std::istringstream ss(l);
            std::string t;
            while (ss >> t) {
                tok.push_back(t);
                line.push_back(n);
            }
        }
    }
    bool done() const { return pos >= tok.size(); }
    long curLine() const { return pos < line.size() ? line[pos] : (line.empty() ? 0 : line.back()); }
    const std::string& next() {
        if (done()) fail(file, curLine(), "unexpected end of file");
        return tok[pos++];
    }
    const std::string& peek() const { return tok[pos]; }
    long long integer() {
        const long ln = curLine();
        const std::string& t = next();
        char* end = nullptr;
        const long long v = std::strtoll(t.c_str(), &end, 10);
        if (end == t.c_str() || *end != '\0') fail(file, ln, "expected an integer, found '" + t + "'");
        return v;
    }
    double real() {
        const long ln = curLine();
        const std::string& t = next();
        char* end = nullptr;
        const double v = std::strtod(t.c_str(), &end);
        if (end == t.c_str() || *end != '\0' || !std::isfinite(v)) fail(file, ln, "expected a number, found '" + t + "'");
        return v;
    }
    void colon() {
        const long ln = curLine();
        if (next() != ":") fail(file, ln, "expected ':'");
    }
    // Skips the remaining tokens of line l.
    void skipRest(long l) {
        while (pos < tok.size() && line[pos] == l) ++pos;
    }
    // Skips the line of the next token.
    void skipLine() {
        if (!done()) skipRest(line[pos]);
    }
};

std::string dirOf(const std::string& path) {
    const size_t s = path.rfind('/');
    return s == std::string::npos ? std::string() : path.substr(0, s + 1);
}

int objectOf(const Design& d, const std::string& name) {
    auto it = d.byName.find(name);
    if (it != d.byName.end()) return it->second;
    if (name.size() > 1 && (name[0] == 'o' || name[0] == 'p')) {
        char* end = nullptr;
        const long n = std::strtol(name.c_str() + 1, &end, 10);
        if (*end == '\0' && n >= 0) {
            const long idx = name[0] == 'o' ? n : d.nonPCount + n;
            if (idx < static_cast<long>(d.objs.size())) return static_cast<int>(idx);
        }
    }
    return -1;
}

void readNodes(const std::string& f, Design& d) {
    Tokens t(f);
    long long declared = -1;
    while (!t.done()) {
        const std::string& k = t.peek();
        if (k == "UCLA") {
            t.skipLine();
        } else if (k == "NumNodes") {
            t.next();
            t.colon();
            declared = t.integer();
        } else if (k == "NumTerminals") {
            t.next();
            t.colon();
            t.integer();
        } else {
            const long ln = t.curLine();
            Object o;
            o.name = t.next();
            o.w = t.integer();
            o.h = t.integer();
            if (o.w < 0 || o.h < 0) fail(f, ln, "negative object size");
            if (!t.done() && t.curLine() == ln) {
                const std::string& kw = t.next();
                if (kw == "terminal")
                    o.kind = 1;
                else if (kw == "terminal_NI")
                    o.kind = 2;
                else
                    fail(f, ln, "unknown object type '" + kw + "'");
            }
            if (d.byName.count(o.name)) fail(f, ln, "object '" + o.name + "' listed twice");
            d.byName[o.name] = static_cast<int>(d.objs.size());
            if (o.name[0] != 'p') ++d.nonPCount;
            d.objs.push_back(o);
        }
    }
    if (declared >= 0 && declared != static_cast<long long>(d.objs.size()))
        fail(f, t.curLine(), "NumNodes " + std::to_string(declared) + " but " + std::to_string(d.objs.size()) +
                                 " objects listed");
}

void readNets(const std::string& f, Design& d) {
    Tokens t(f);
    while (!t.done()) {
        const std::string& k = t.peek();
        if (k == "NumNets" || k == "NumPins") {
            t.next();
            t.colon();
            t.integer();
        } else if (k == "NetDegree") {
            const long head = t.curLine();
            t.next();
            t.colon();
            const long long deg = t.integer();
            if (deg < 0) fail(f, head, "negative net degree");
            t.skipRest(head);  // net name
            std::vector<Pin> pins;
            for (long long i = 0; i < deg; ++i) {
                const long ln = t.curLine();
                Pin p;
                const std::string name = t.next();
                p.obj = objectOf(d, name);
                if (p.obj < 0) fail(f, ln, "unknown object '" + name + "'");
                t.next();  // direction
                if (!t.done() && t.peek() == ":" && t.curLine() == ln) {
                    t.next();
                    p.dx = t.real();
                    p.dy = t.real();
                }
                t.skipRest(ln);
                pins.push_back(p);
            }
            d.nets.push_back(std::move(pins));
        } else {
            t.skipLine();
        }
    }
}

// Reads a .pl; reference selects which position fields to fill.
void readPl(const std::string& f, Design& d, bool reference) {
    Tokens t(f);
    while (!t.done()) {
        const long ln = t.curLine();
        const std::string name = t.next();
        if (name == "UCLA") {
            t.skipRest(ln);
            continue;
        }
        const int o = objectOf(d, name);
        if (o < 0) fail(f, ln, "unknown object '" + name + "'");
        const double x = t.real();
        const double y = t.real();
        Object& ob = d.objs[o];
        if (reference) {
            ob.rx = static_cast<long long>(x);
            ob.ry = static_cast<long long>(y);
            ob.refPlaced = true;
        } else {
            ob.fx = x;
            ob.fy = y;
            ob.x = static_cast<long long>(x);
            ob.y = static_cast<long long>(y);
            ob.placed = true;
        }
        while (!t.done() && t.curLine() == ln) t.next();
    }
}

void readScl(const std::string& f, Design& d) {
    Tokens t(f);
    RowRec r;
    bool open = false;
    auto value = [&]() {
        t.next();
        t.colon();
        return t.integer();
    };
    while (!t.done()) {
        const std::string& k = t.peek();
        if (k == "CoreRow") {
            t.skipLine();
            r = RowRec();
            open = true;
        } else if (k == "Coordinate") {
            r.y = value();
        } else if (k == "Height") {
            r.h = value();
        } else if (k == "Sitespacing") {
            r.spacing = value();
        } else if (k == "SubrowOrigin") {
            r.x = value();
            if (!t.done() && t.peek() == "NumSites") {
                const long long n = value();
                r.end = r.x + n * std::max<long long>(r.spacing, 1);
            }
        } else if (k == "End") {
            t.next();
            if (!open) fail(f, t.curLine(), "'End' without 'CoreRow'");
            if (r.h <= 0) fail(f, t.curLine(), "row without a positive height");
            d.rows.push_back(r);
            open = false;
        } else {
            t.skipLine();
        }
    }
}

void readShapes(const std::string& f, Design& d) {
    std::ifstream probe(f);
    if (!probe) return;  // a set without shapes
    Tokens t(f);
    while (!t.done()) {
        const std::string& k = t.peek();
        if (k == "UCLA" || k == "shapes") {
            t.skipLine();
        } else if (k == "NumNonRectangularNodes") {
            t.next();
            t.colon();
            t.integer();
        } else {
            const long ln = t.curLine();
            const std::string name = t.next();
            const int o = objectOf(d, name);
            if (o < 0) fail(f, ln, "unknown object '" + name + "'");
            t.colon();
            const long long n = t.integer();
            d.objs[o].shapes.clear();
            for (long long i = 0; i < n; ++i) {
                t.next();  // shape name
                std::array<long long, 4> s{};
                for (auto& v : s) v = t.integer();
                d.objs[o].shapes.push_back(s);
            }
        }
    }
}

struct Rect {
    long long x1, y1, x2, y2;
    int obj;
    bool fixed;
};

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3 || argc > 4) {
        fprintf(stderr, "usage: place_check DESIGN.aux PLACEMENT.pl [REFERENCE.pl]\n");
        return 2;
    }
    const std::string aux = argv[1];
    Tokens at(aux);
    std::vector<std::string> names;
    while (!at.done()) {
        const std::string& k = at.next();
        if (k == ":" ) continue;
        const size_t dot = k.rfind('.');
        if (dot != std::string::npos) names.push_back(k);
    }
    auto find = [&](const std::string& ext) {
        for (const std::string& n : names)
            if (n.size() > ext.size() && n.compare(n.size() - ext.size(), ext.size(), ext) == 0) return dirOf(aux) + n;
        fail(aux, 0, "no " + ext + " file named");
    };
    Design d;
    readNodes(find(".nodes"), d);
    readNets(find(".nets"), d);
    readScl(find(".scl"), d);
    {
        bool hasShapes = false;
        for (const std::string& n : names) hasShapes |= n.size() > 7 && n.compare(n.size() - 7, 7, ".shapes") == 0;
        if (hasShapes) readShapes(find(".shapes"), d);
    }
    readPl(argc == 4 ? std::string(argv[3]) : find(".pl"), d, true);
    readPl(argv[2], d, false);

    // Positions not named by a file stay where the other file put them.
    for (Object& o : d.objs) {
        if (!o.placed) {
            o.x = o.rx;
            o.y = o.ry;
            o.fx = static_cast<double>(o.rx);
            o.fy = static_cast<double>(o.ry);
        }
        if (!o.refPlaced) {
            o.rx = o.x;
            o.ry = o.y;
        }
    }

    long long outsideRows = 0, offSite = 0, overlaps = 0, fixedOverlaps = 0, fixedMoved = 0;
    long long overlapArea = 0, displacement = 0, maxDisplacement = 0, unnamed = 0;
    int described = 0;
    auto describe = [&](const std::string& s) {
        if (described++ < 20) fprintf(stderr, "%s\n", s.c_str());
    };

    // Rows by bottom.
    std::vector<RowRec> rows = d.rows;
    std::sort(rows.begin(), rows.end(), [](const RowRec& a, const RowRec& b) {
        return a.y != b.y ? a.y < b.y : a.x < b.x;
    });
    auto rowAt = [&](long long y, long long x1, long long x2) -> const RowRec* {
        auto it = std::lower_bound(rows.begin(), rows.end(), y, [](const RowRec& r, long long v) { return r.y < v; });
        for (; it != rows.end() && it->y == y; ++it)
            if (x1 >= it->x && x2 <= it->end) return &*it;
        return nullptr;
    };

    long long movable = 0, fixed = 0;
    for (const Object& o : d.objs) {
        if (o.kind != 0) {
            ++fixed;
            if (o.x != o.rx || o.y != o.ry) {
                ++fixedMoved;
                describe("fixed object " + o.name + " moved from (" + std::to_string(o.rx) + "," +
                         std::to_string(o.ry) + ") to (" + std::to_string(o.x) + "," + std::to_string(o.y) + ")");
            }
            continue;
        }
        ++movable;
        if (!o.placed) ++unnamed;
        const long long disp = std::llabs(o.x - o.rx) + std::llabs(o.y - o.ry);
        displacement += disp;
        maxDisplacement = std::max(maxDisplacement, disp);
        // Every row-high strip of the cell must lie in a row.
        bool inRows = true, onSites = true;
        if (o.fx != std::floor(o.fx) || o.fy != std::floor(o.fy)) onSites = false;
        long long yy = o.y;
        const long long top = o.y + std::max<long long>(o.h, 1);
        while (yy < top) {
            const RowRec* r = rowAt(yy, o.x, o.x + o.w);
            if (!r) {
                inRows = false;
                break;
            }
            if ((o.x - r->x) % std::max<long long>(r->spacing, 1) != 0) onSites = false;
            yy += r->h;
        }
        if (!inRows) {
            ++outsideRows;
            describe("cell " + o.name + " at (" + std::to_string(o.x) + "," + std::to_string(o.y) + ") lies outside the rows");
        } else if (!onSites) {
            ++offSite;
            describe("cell " + o.name + " at (" + std::to_string(o.x) + "," + std::to_string(o.y) + ") is off the site grid");
        }
    }

    // Overlaps: rectangles bucketed on a grid; a pair is counted in the bucket that holds
    // the lower-left corner of its overlap.
    std::vector<Rect> rects;
    long long minX = 0, minY = 0, maxX = 1, maxY = 1;
    bool first = true;
    long long sumW = 0, sumH = 0;
    for (size_t i = 0; i < d.objs.size(); ++i) {
        const Object& o = d.objs[i];
        auto add = [&](long long x, long long y, long long w, long long h, bool fx) {
            if (w <= 0 || h <= 0) return;
            rects.push_back({x, y, x + w, y + h, static_cast<int>(i), fx});
            if (first) {
                minX = x, minY = y, maxX = x + w, maxY = y + h;
                first = false;
            }
            minX = std::min(minX, x);
            minY = std::min(minY, y);
            maxX = std::max(maxX, x + w);
            maxY = std::max(maxY, y + h);
        };
        if (o.kind == 0) {
            add(o.x, o.y, o.w, o.h, false);
            sumW += o.w;
            sumH += o.h;
        } else if (o.kind == 1) {
            if (o.shapes.empty())
                add(o.x, o.y, o.w, o.h, true);
            else
                for (const auto& s : o.shapes) add(s[0], s[1], s[2], s[3], true);
        }
    }
    if (!rects.empty()) {
        long long bw = movable > 0 ? std::max<long long>(1, 4 * sumW / movable) : 1;
        long long bh = movable > 0 ? std::max<long long>(1, 2 * sumH / movable) : 1;
        bw = std::max(bw, (maxX - minX) / 2048 + 1);
        bh = std::max(bh, (maxY - minY) / 2048 + 1);
        const long long nbx = (maxX - minX) / bw + 1, nby = (maxY - minY) / bh + 1;
        std::vector<std::vector<int>> bucket(static_cast<size_t>(nbx * nby));
        for (size_t i = 0; i < rects.size(); ++i) {
            const Rect& r = rects[i];
            for (long long bx = (r.x1 - minX) / bw; bx <= (r.x2 - 1 - minX) / bw; ++bx)
                for (long long by = (r.y1 - minY) / bh; by <= (r.y2 - 1 - minY) / bh; ++by)
                    bucket[static_cast<size_t>(bx * nby + by)].push_back(static_cast<int>(i));
        }
        for (long long bx = 0; bx < nbx; ++bx)
            for (long long by = 0; by < nby; ++by) {
                const std::vector<int>& b = bucket[static_cast<size_t>(bx * nby + by)];
                for (size_t i = 0; i < b.size(); ++i)
                    for (size_t j = i + 1; j < b.size(); ++j) {
                        const Rect& p = rects[b[i]];
                        const Rect& q = rects[b[j]];
                        if (p.fixed && q.fixed) continue;
                        const long long ox1 = std::max(p.x1, q.x1), oy1 = std::max(p.y1, q.y1);
                        const long long ox2 = std::min(p.x2, q.x2), oy2 = std::min(p.y2, q.y2);
                        if (ox1 >= ox2 || oy1 >= oy2) continue;
                        if ((ox1 - minX) / bw != bx || (oy1 - minY) / bh != by) continue;
                        overlapArea += (ox2 - ox1) * (oy2 - oy1);
                        const std::string what = d.objs[p.obj].name + " and " + d.objs[q.obj].name;
                        if (p.fixed || q.fixed) {
                            ++fixedOverlaps;
                            describe("cell overlaps fixed object: " + what);
                        } else {
                            ++overlaps;
                            describe("cells overlap: " + what);
                        }
                    }
            }
    }

    long long hpwl = 0;
    double hpwlCentre = 0;
    for (const std::vector<Pin>& net : d.nets) {
        if (net.empty()) continue;
        long long lx = 0, hx = 0, ly = 0, hy = 0;
        double flx = 0, fhx = 0, fly = 0, fhy = 0;
        for (size_t i = 0; i < net.size(); ++i) {
            const Object& o = d.objs[net[i].obj];
            const long long px = o.x + static_cast<long long>(net[i].dx + 0.5 + o.w * 0.5);
            const long long py = o.y + static_cast<long long>(net[i].dy + 0.5 + o.h * 0.5);
            const double fx = o.fx + o.w * 0.5 + net[i].dx;
            const double fy = o.fy + o.h * 0.5 + net[i].dy;
            if (i == 0) {
                lx = hx = px, ly = hy = py;
                flx = fhx = fx, fly = fhy = fy;
            }
            lx = std::min(lx, px), hx = std::max(hx, px), ly = std::min(ly, py), hy = std::max(hy, py);
            flx = std::min(flx, fx), fhx = std::max(fhx, fx), fly = std::min(fly, fy), fhy = std::max(fhy, fy);
        }
        hpwl += (hx - lx) + (hy - ly);
        hpwlCentre += (fhx - flx) + (fhy - fly);
    }

    const long long violations = outsideRows + offSite + overlaps + fixedOverlaps + fixedMoved;
    printf("objects: %zu\nmovable cells: %lld\nfixed objects: %lld\nnets: %zu\nrows: %zu\n", d.objs.size(), movable,
           fixed, d.nets.size(), d.rows.size());
    printf("movable cells not in placement: %lld\n", unnamed);
    printf("outside rows: %lld\noff site: %lld\noverlaps: %lld\nfixed overlaps: %lld\noverlap area: %lld\n",
           outsideRows, offSite, overlaps, fixedOverlaps, overlapArea);
    printf("fixed moved: %lld\ndisplacement: %lld\nmax displacement: %lld\n", fixedMoved, displacement,
           maxDisplacement);
    printf("hpwl: %lld\nhpwl from centres: %lld\nviolations: %lld\n", hpwl, std::llround(hpwlCentre), violations);
    printf("place_check: %s violations=%lld outside_rows=%lld off_site=%lld overlaps=%lld fixed_overlaps=%lld "
           "fixed_moved=%lld displacement=%lld max_displacement=%lld hpwl=%lld\n",
           violations == 0 ? "PASS" : "FAIL", violations, outsideRows, offSite, overlaps, fixedOverlaps, fixedMoved,
           displacement, maxDisplacement, hpwl);
    return violations == 0 ? 0 : 1;
}
