// ISPD'08 global-routing benchmark reader.
//
// The layout is positional: some parts are read as whole lines, the rest as a
// stream of whitespace-separated tokens, exactly as a line/token stream reader
// would see them. The whole file is loaded once and scanned with a cursor that
// counts lines, so that every refusal can name the line it stopped at.

#include <algorithm>
#include <cctype>
#include <climits>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "database/FolderRefusal.h"
#include "database/GridLimits.h"
#include "database/MemoryBudget.h"
#include "database/NetDB.h"
#include "database/Parser.h"
#include "database/Settings.h"

RefusalHandler ispdRefusal = nullptr;

namespace {

// Open-addressing set of non-negative keys, reused from net to net; it replaces
// the linear duplicate scan for nets with many pin lines.
class KeySet {
public:
    void clear() {
        for (size_t s : used_) slots_[s] = kEmpty;
        used_.clear();
    }
    // True when the key was not yet in the set.
    bool insert(long long key) {
        if ((used_.size() + 1) * 2 > slots_.size()) grow();
        size_t mask = slots_.size() - 1;
        size_t s = static_cast<size_t>(mix(key)) & mask;
        while (slots_[s] != kEmpty) {
            if (slots_[s] == key) return false;
            s = (s + 1) & mask;
        }
        slots_[s] = key;
        used_.push_back(s);
        return true;
    }

private:
    static constexpr long long kEmpty = -1;
    static unsigned long long mix(long long k) {
        unsigned long long h = static_cast<unsigned long long>(k) * 0x9E3779B97F4A7C15ull;
        return h ^ (h >> 29);
    }
    void grow() {
        std::vector<long long> keys;
        keys.reserve(used_.size());
        for (size_t s : used_) keys.push_back(slots_[s]);
        slots_.assign(slots_.empty() ? 64 : slots_.size() * 2, kEmpty);
        used_.clear();
        for (long long k : keys) insert(k);
    }
    std::vector<long long> slots_;
    std::vector<size_t> used_;
};

// The net ids read so far: a bitmap over the small non-negative ids that
// benchmarks use, a hash set for any other.
class NetIds {
public:
    // True when id was not seen before.
    bool firstUse(int id) {
        if (id >= 0 && id < kBitmapLimit) {
            const size_t i = static_cast<size_t>(id);
            if (i >= bits_.size()) bits_.resize(std::max(i + 1, bits_.size() * 2), false);
            if (bits_[i]) return false;
            bits_[i] = true;
            return true;
        }
        return others_.insert(id).second;
    }

private:
    static constexpr int kBitmapLimit = 1 << 26;
    std::vector<bool> bits_;
    std::unordered_set<int> others_;
};

class IspdScanner {
public:
    IspdScanner(const char* fileName, const std::string& text)
        : file_(fileName), begin_(text.data()), p_(text.data()), end_(text.data() + text.size()) {}

    // Reports one line on standard error and ends the run.
    [[noreturn]] void fail(int line, const char* fmt, ...) __attribute__((format(printf, 3, 4))) {
        std::fflush(stdout);
        std::fprintf(stderr, "%s:%d: ", file_, line);
        va_list ap;
        va_start(ap, fmt);
        std::vfprintf(stderr, fmt, ap);
        va_end(ap);
        std::fputc('\n', stderr);
        endRefused(ispdRefusal);
    }

    // Line number of the last line of the file, for a read that ran past the end.
    int endLine() const { return (p_ > begin_ && p_[-1] == '\n') ? line_ - 1 : line_; }

    [[noreturn]] void endsEarly(const char* what) { fail(endLine(), "the file ends before %s", what); }

    // Reads one whitespace-delimited word; false at the end of the file.
    bool word(const char*& b, const char*& e) {
        skipSpace();
        if (p_ == end_) return false;
        b = p_;
        while (p_ != end_ && !isSpace(*p_)) ++p_;
        e = p_;
        return true;
    }

    enum Read { kOk, kEnd, kBad };

    // Reads an int token like a formatted stream extraction: blanks, an optional
    // sign, then the leading digits. kEnd at the end of the file; kBad when the
    // token is not a number or the number does not fit an int.
    Read number(int& v) {
        skipSpace();
        if (p_ == end_) return kEnd;
        return parseInt(p_, end_, v) ? kOk : kBad;
    }

    // Reads the rest of the current line (any length); false at the end of the file.
    bool line(const char*& b, const char*& e) {
        if (p_ == end_) return false;
        b = p_;
        while (p_ != end_ && *p_ != '\n') ++p_;
        e = p_;
        if (p_ != end_) {
            ++p_;
            ++line_;
        }
        return true;
    }

    int currentLine() const { return line_; }

    // True when the cursor stands at the start of a line: the last read took
    // a whole line (or nothing has been read yet).
    bool atLineStart() const { return p_ == begin_ || p_[-1] == '\n'; }

    // Scans [b, e) with a scanf-like format of literals, blanks (any run of
    // white space, possibly empty) and %d. True when every %d was converted.
    static bool scanLine(const char* b, const char* e, const char* fmt, int* out) {
        for (const char* f = fmt; *f; ++f) {
            if (isSpace(*f)) {
                while (b != e && isSpace(*b)) ++b;
            } else if (f[0] == '%' && f[1] == 'd') {
                ++f;
                while (b != e && isSpace(*b)) ++b;
                if (!parseInt(b, e, *out++)) return false;
            } else {
                if (b == e || *b != *f) return false;
                ++b;
            }
        }
        return true;
    }

private:
    static bool isSpace(char c) { return c == ' ' || c == '\n' || c == '\t' || c == '\r' || c == '\v' || c == '\f'; }

    void skipSpace() {
        while (p_ != end_ && isSpace(*p_)) {
            if (*p_ == '\n') ++line_;
            ++p_;
        }
    }

    // Sign and digits at p; advances p past what it took. No digits, or a value
    // outside int, gives false.
    static bool parseInt(const char*& p, const char* end, int& v) {
        const char* q = p;
        bool neg = false;
        if (q != end && (*q == '+' || *q == '-')) {
            neg = (*q == '-');
            ++q;
        }
        if (q == end || !std::isdigit(static_cast<unsigned char>(*q))) return false;
        long long acc = 0;
        while (q != end && std::isdigit(static_cast<unsigned char>(*q))) {
            acc = acc * 10 + (*q - '0');
            if (acc > static_cast<long long>(INT_MAX) + 1) return false;
            ++q;
        }
        if (neg) acc = -acc;
        if (acc > INT_MAX || acc < INT_MIN) return false;
        v = static_cast<int>(acc);
        p = q;
        return true;
    }

    const char* file_;
    const char* begin_;
    const char* p_;
    const char* end_;
    int line_ = 1;
};

// Appends the whole file to text; false on a read error.
bool loadFile(FILE* f, std::string& text) {
    char buf[1 << 16];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) text.append(buf, n);
    return !std::ferror(f);
}

}  // namespace

namespace {

// The reading state of one benchmark: the scanner plus the messages that name
// what was being read when something went wrong. Descriptions are built only
// on failure, so the hot pin loop formats nothing.
struct IspdReader {
    IspdScanner sc;
    NetDB& db;
    bool with3D;  // the run has a 3D stage: the memory check counts it

    // Reads one number; `describe` names it (e.g. "the id of net \"a\"") and is
    // called only when the number is missing or malformed.
    template <class Describe>
    int num(Describe describe) {
        int v = 0;
        IspdScanner::Read r = sc.number(v);
        if (r == IspdScanner::kOk) return v;
        std::string what = describe();
        if (r == IspdScanner::kEnd) sc.endsEarly(what.c_str());
        sc.fail(sc.currentLine(), "%s cannot be read as a number", what.c_str());
    }

    void skipWord(const char* before) {
        const char *b, *e;
        if (!sc.word(b, e)) sc.endsEarly(before);
    }

    // A line read as a whole; its text is returned in [b, e).
    void wholeLine(const char*& b, const char*& e, const char* what) {
        if (!sc.line(b, e)) sc.endsEarly(what);
    }

    // Two words, then one value per layer, each at least `lowest`.
    void perLayerList(const char* title, std::vector<int>& out, std::vector<int>* lines = nullptr,
                      long long lowest = INT_MIN) {
        std::string before = std::string("the ") + title + " line";
        skipWord(before.c_str());
        skipWord(before.c_str());
        for (int l = 0; l < db.layerNum; ++l) {
            out[l] = num([&] { return std::string("the ") + title + " of layer " + std::to_string(l + 1); });
            if (out[l] < lowest)
                sc.fail(sc.currentLine(), "the %s of layer %d is %d; it must be %lld or more", title, l + 1, out[l], lowest);
            if (lines) (*lines)[l] = sc.currentLine();
        }
    }

    void readGridAndRules();
    void readOriginAndNetCount(int& netCount);
    void readNets(int netCount, int maxPinsPerNet);
    void readAdjustments();
};

std::string quoted(const std::string& s) { return "\"" + s + "\""; }

void IspdReader::readGridAndRules() {
    const char *b, *e;
    int at = sc.currentLine();
    wholeLine(b, e, "the grid line");
    int g[3];
    if (!IspdScanner::scanLine(b, e, "grid %d %d %d", g))
        sc.fail(at, "the grid line cannot be read (expected \"grid X Y L\")");
    const std::string sizeProblem = gridSizeProblem(g[0], g[1], g[2]);
    if (!sizeProblem.empty()) sc.fail(at, "%s", sizeProblem.c_str());
    const std::string tooBig = gridMemoryRefusal(g[0], g[1], g[2], with3D);
    if (!tooBig.empty()) sc.fail(at, "%s", tooBig.c_str());
    db.gridX = g[0];
    db.gridY = g[1];
    db.layerNum = g[2];

    const int L = db.layerNum;
    for (std::vector<int>* v : {&db.hCap, &db.vCap, &db.minWidth, &db.minSpacing, &db.pitch, &db.hTracks, &db.vTracks})
        v->assign(L, 0);
    std::vector<int> viaSpacing(L, 0);
    std::vector<int> spacingLine(L, 0);

    std::vector<int> vCapLine(L, 0), hCapLine(L, 0);
    perLayerList("vertical capacity", db.vCap, &vCapLine, 0);
    perLayerList("horizontal capacity", db.hCap, &hCapLine, 0);
    perLayerList("minimum width", db.minWidth, nullptr, 0);
    perLayerList("minimum spacing", db.minSpacing, &spacingLine, 0);
    // Pitch and tracks; the track totals are the 2D capacities of an edge.
    const TrackProblem p = computeTracks(db);
    if (p.kind != TrackProblem::kNone) {
        const int line = p.kind == TrackProblem::kPitch      ? spacingLine[p.layer]
                         : p.kind == TrackProblem::kVertical ? vCapLine[p.layer]
                                                             : hCapLine[p.layer];
        sc.fail(line, "%s", p.reason.c_str());
    }
    perLayerList("via spacing", viaSpacing);
}

void IspdReader::readOriginAndNetCount(int& netCount) {
    const char *b, *e;
    wholeLine(b, e, "the origin line");  // the rest of the via spacing line
    int at = sc.currentLine();
    wholeLine(b, e, "the origin line");
    int o[4];
    if (!IspdScanner::scanLine(b, e, "%d %d %d %d", o))
        sc.fail(at, "the origin line cannot be read (expected \"llx lly width height\")");
    if (o[2] <= 0 || o[3] <= 0) sc.fail(at, "the G-cell width and height must be positive (got %d and %d)", o[2], o[3]);
    const std::string dieTooLarge = dieProblem(o[0], o[1], o[2], o[3], db.gridX, db.gridY);
    if (!dieTooLarge.empty()) sc.fail(at, "%s", dieTooLarge.c_str());
    db.originX = o[0];
    db.originY = o[1];
    db.tileW = o[2];
    db.tileH = o[3];

    wholeLine(b, e, "the net count line");  // the line between origin and net count
    at = sc.currentLine();
    wholeLine(b, e, "the net count line");
    if (!IspdScanner::scanLine(b, e, "num net %d", &netCount))
        sc.fail(at, "the net count line cannot be read (expected \"num net N\")");
    if (netCount < 0) sc.fail(at, "the net count %d is negative", netCount);
}

void IspdReader::readNets(int netCount, int maxPinsPerNet) {
    const int X = db.gridX, Y = db.gridY, L = db.layerNum;
    db.pinCount.assign(X, std::vector<int>(Y, 0));
    db.nets.clear();
    db.nets.reserve(static_cast<size_t>(netCount) < 1000000 ? static_cast<size_t>(netCount) : 1000000);

    // Nets with few pin lines find duplicates by scanning their short pin
    // lists; longer ones use the hash sets so that a huge net stays linear.
    const int kScanLimit = 16;
    KeySet seen3D, seen2D;
    NetIds ids;
    size_t k = 0;  // next free slot; a dropped net's slot is reused
    for (int i = 0; i < netCount; ++i) {
        const char *nb, *ne;
        if (!sc.word(nb, ne)) {
            std::string what = "net " + std::to_string(i + 1) + " of " + std::to_string(netCount);
            sc.endsEarly(what.c_str());
        }
        if (k == db.nets.size()) db.nets.emplace_back();
        Net& net = db.nets[k];
        net.name.assign(nb, ne);
        net.id = num([&] { return "the id of net " + quoted(net.name); });
        int netLine = sc.currentLine();
        if (!ids.firstUse(net.id)) sc.fail(netLine, "net %s repeats the id %d of an earlier net", quoted(net.name).c_str(), net.id);
        int pinLines = num([&] { return "the pin count of net " + quoted(net.name); });
        if (pinLines < 0) sc.fail(netLine, "net %s has a negative pin count (%d)", quoted(net.name).c_str(), pinLines);
        net.width = num([&] { return "the minimum width of net " + quoted(net.name); });
        // The rest of the net line (an optional "[ lo : hi ] @ value" layer
        // range) changes nothing.
        const char *rb, *re;
        if (!sc.line(rb, re)) {
            std::string what = "the pins of net " + quoted(net.name);
            sc.endsEarly(what.c_str());
        }

        const bool hashed = pinLines > kScanLimit;
        if (hashed) {
            seen3D.clear();
            seen2D.clear();
        }
        for (int j = 0; j < pinLines; ++j) {
            auto pinWhat = [&](const char* field) {
                return std::string("the ") + field + " of pin " + std::to_string(j + 1) + " of net " + quoted(net.name);
            };
            int x = num([&] { return pinWhat("x"); });
            int pinLine = sc.currentLine();
            int y = num([&] { return pinWhat("y"); });
            int layer = num([&] { return pinWhat("layer"); });
            long long gx = (static_cast<long long>(x) - db.originX) / db.tileW;
            long long gy = (static_cast<long long>(y) - db.originY) / db.tileH;
            if (gx < 0 || gx >= X || gy < 0 || gy >= Y || x < db.originX || y < db.originY) {
                if (gx < 0 || gx >= X || gy < 0 || gy >= Y)
                    sc.fail(pinLine, "pin (%d, %d) of net %s maps to G-cell (%lld, %lld), outside the %d by %d grid", x,
                            y, quoted(net.name).c_str(), gx, gy, X, Y);
                // Less than a G-cell left of or below the die: the division,
                // truncated toward zero, would still give G-cell 0.
                const long long lastX = static_cast<long long>(db.originX) + static_cast<long long>(X) * db.tileW - 1;
                const long long lastY = static_cast<long long>(db.originY) + static_cast<long long>(Y) * db.tileH - 1;
                sc.fail(pinLine, "pin (%d, %d) of net %s lies outside the die, x %d to %lld and y %d to %lld", x, y,
                        quoted(net.name).c_str(), db.originX, lastX, db.originY, lastY);
            }
            if (layer < 1 || layer > L)
                sc.fail(pinLine, "pin (%d, %d) of net %s is on layer %d, outside 1..%d", x, y, quoted(net.name).c_str(),
                        layer, L);
            Point pin(static_cast<int>(gx), static_cast<int>(gy), layer - 1);
            ++db.pinCount[pin.x][pin.y];

            bool new3D, new2D;
            if (hashed) {
                long long cell = static_cast<long long>(pin.x) * Y + pin.y;
                new3D = seen3D.insert(static_cast<long long>(pin.z) * X * Y + cell);
                new2D = new3D && seen2D.insert(cell);
            } else {
                new3D = true;
                for (const Point& q : net.pin3D)
                    if (q.x == pin.x && q.y == pin.y && q.z == pin.z) {
                        new3D = false;
                        break;
                    }
                new2D = new3D;
                if (new3D)
                    for (const Point& q : net.pin2D)
                        if (q == pin) {
                            new2D = false;
                            break;
                        }
            }
            if (!new3D) continue;
            net.pin3D.push_back(pin);
            if (new2D) net.pin2D.push_back(pin);
        }

        if (static_cast<long long>(net.pin3D.size()) > maxPinsPerNet || net.pin2D.size() < 2) {
            net.pin3D.clear();
            net.pin2D.clear();
        } else {
            ++k;
        }
    }
    db.nets.erase(db.nets.begin() + static_cast<long>(k), db.nets.end());
}

void IspdReader::readAdjustments() {
    const char *b, *e;
    // The rest of the last pin line. Without a pin line to end (no nets, or a
    // last net of zero pins) the line before was already read to its end and
    // the cursor stands at the blank line; reading a "rest" there would swallow
    // the blank line and then the count line in its place.
    if (!sc.atLineStart()) wholeLine(b, e, "the adjustment count");
    wholeLine(b, e, "the adjustment count");  // the line before the count
    int count = num([] { return std::string("the adjustment count"); });
    if (count < 0) sc.fail(sc.currentLine(), "the adjustment count %d is negative", count);

    const int X = db.gridX, Y = db.gridY, L = db.layerNum;
    long long total = 0;
    std::unordered_map<long long, size_t> adjusted;  // edge key -> entry of adjLocate
    for (int i = 0; i < count; ++i) {
        auto what = [&](const char* field) {
            return std::string("the ") + field + " of adjustment " + std::to_string(i + 1);
        };
        int x1 = num([&] { return what("first x"); });
        int at = sc.currentLine();
        int y1 = num([&] { return what("first y"); });
        int l1 = num([&] { return what("first layer"); });
        int x2 = num([&] { return what("second x"); });
        int y2 = num([&] { return what("second y"); });
        int l2 = num([&] { return what("second layer"); });
        int c = num([&] { return what("capacity"); });
        for (int l : {l1, l2})
            if (l < 1 || l > L) sc.fail(at, "adjustment %d names layer %d, outside 1..%d", i + 1, l, L);
        for (int pt = 0; pt < 2; ++pt) {
            int x = pt ? x2 : x1, y = pt ? y2 : y1;
            if (x < 0 || x >= X || y < 0 || y >= Y)
                sc.fail(at, "adjustment %d names G-cell (%d, %d), outside the %d by %d grid", i + 1, x, y, X, Y);
        }
        if (std::abs(x1 - x2) + std::abs(y1 - y2) != 1)
            sc.fail(at, "adjustment %d joins G-cells (%d, %d) and (%d, %d), which are not neighbours", i + 1, x1, y1, x2,
                    y2);

        // Only the first end's layer counts.
        int z = l1 - 1;
        if (c < 0) sc.fail(at, "adjustment %d has capacity %d; it must be 0 or more", i + 1, c);
        if (c / db.pitch[z] > kMaxTracks)
            sc.fail(at, "adjustment %d has capacity %d, more than %d tracks of layer %d", i + 1, c, kMaxTracks, l1);
        RPoint edge;
        int defaultCap;
        if (x1 == x2) {
            edge = RPoint(x1, std::min(y1, y2), z, 0);
            defaultCap = db.vCap[z];
        } else {
            edge = RPoint(std::min(x1, x2), y1, z, 1);
            defaultCap = db.hCap[z];
        }
        // A later line for an edge already recorded replaces its capacity, so
        // that no edge is charged twice (the result checker reads it the same way).
        const long long key = ((static_cast<long long>(z) * X + edge.x) * Y + edge.y) * 2 + edge.hori;
        const auto found = adjusted.find(key);
        if (found != adjusted.end()) {
            db.adjCapacity[found->second] = c / db.pitch[z];
            db.adjCapacityUnits[found->second] = c;
            if (c != defaultCap) total += c;
            continue;
        }
        if (c == defaultCap) continue;
        total += c;
        adjusted.emplace(key, db.adjLocate.size());
        db.adjLocate.push_back(edge);
        db.adjCapacity.push_back(c / db.pitch[z]);
        db.adjCapacityUnits.push_back(c);
    }
    printf("========ISPD========================  netdb.adjLocate.size()=%d  totalAdj=%lld\n",
           static_cast<int>(db.adjLocate.size()), total);
}

}  // namespace

void readIspdText(const char* fileName, const std::string& text, NetDB& db, parameterSet& settings) {
    printf("read %s\n", fileName);
    IspdReader r{IspdScanner(fileName, text), db, settings.Optimization_3D_Iteration != 0};
    r.readGridAndRules();
    int netCount = 0;
    r.readOriginAndNetCount(netCount);
    printf("Number of nets: %d\n", netCount);
    r.readNets(netCount, settings.maxPinsPerNet);
    db.adjLocate.clear();
    db.adjCapacity.clear();
    db.adjCapacityUnits.clear();
    r.readAdjustments();
}

void Input_ISPD(const char* fileName, NetDB& db, parameterSet& settings) {
    refuseFolder(fileName, ispdRefusal);
    FILE* f = std::fopen(fileName, "rb");
    if (!f) {
        std::cerr << "File " << fileName << " does not exists!" << std::endl;
        endRefused(ispdRefusal);
    }
    std::string text;
    bool ok = loadFile(f, text);
    std::fclose(f);
    if (!ok) {
        std::fprintf(stderr, "%s: the file cannot be read\n", fileName);
        endRefused(ispdRefusal);
    }
    readIspdText(fileName, text, db, settings);
}
