#include "tools/ispd_check/ResultCheck.h"

#include <algorithm>
#include <string_view>

#include "tools/ispd_check/TextLines.h"

namespace ispdcheck {

namespace {

constexpr size_t kKeptMessages = 20;

// One segment in G-cells with 0-based layers, and the result line it came from.
struct Segment {
    int64_t x1, y1, l1, x2, y2, l2;
    int64_t line;
};

class ResultChecker {
public:
    ResultChecker(const Benchmark& b, const std::string& path, const std::string& text) : b_(b), in_(path, text) {}

    CheckReport run() {
        std::vector<char> seen(b_.nets.size(), 0);
        std::string_view l;
        while (in_.nextContentLine(l)) {
            std::string_view t = trim(l);
            if (t == "!") {
                if (current_ < 0) in_.fail("'!' outside a net");
                finishNet();
            } else if (t[0] == '(') {
                if (current_ < 0) in_.fail("segment outside a net");
                segs_.push_back(parseSegment(t));
            } else {
                if (current_ >= 0) in_.fail("net header inside net " + b_.nets[static_cast<size_t>(current_)].name + " (missing '!')");
                startNet(t, seen);
            }
        }
        if (current_ >= 0)
            in_.failAt(headerLine_, "net " + b_.nets[static_cast<size_t>(current_)].name + " is not closed by '!'");
        for (size_t i = 0; i < b_.nets.size(); ++i) {
            const BenchNet& n = b_.nets[i];
            if (!seen[i] && n.multiCell && n.declaredPins <= kMaxCheckedPins)
                error(b_.path + ":" + std::to_string(n.line) + ": net " + n.name + " (id " + std::to_string(n.id) +
                      ") is missing from the result");
        }
        evaluateOverflow();
        return rep_;
    }

private:
    static std::string_view trim(std::string_view s) {
        size_t a = 0, e = s.size();
        while (a < e && (s[a] == ' ' || s[a] == '\t' || s[a] == '\r')) ++a;
        while (e > a && (s[e - 1] == ' ' || s[e - 1] == '\t' || s[e - 1] == '\r')) --e;
        return s.substr(a, e - a);
    }

    void error(const std::string& msg) {
        if (rep_.errors.size() < kKeptMessages) rep_.errors.push_back(msg);
        ++rep_.errorCount;
    }
    std::string netLabel() const {
        const BenchNet& n = b_.nets[static_cast<size_t>(current_)];
        return "net " + n.name + " (id " + std::to_string(n.id) + ")";
    }

    // Header "name id [count]".
    void startNet(std::string_view t, std::vector<char>& seen) {
        LineReader::split(t, tok_);
        int64_t id = 0, count = 0;
        if (tok_.size() < 2 || tok_.size() > 3 || !parseInteger(tok_[1], -2147483647LL - 1, 2147483647LL, id) ||
            (tok_.size() == 3 && !parseInteger(tok_[2], 0, 1LL << 40, count)))
            in_.fail("bad net header, expected 'name id [count]'");
        const int64_t* idx = b_.netIndexById.find(Benchmark::idKey(id));
        if (!idx) in_.fail("net id " + std::to_string(id) + " is not in the benchmark");
        current_ = *idx - 1;
        if (seen[static_cast<size_t>(current_)]) in_.fail(netLabel() + " appears twice in the result");
        seen[static_cast<size_t>(current_)] = 1;
        headerLine_ = in_.lineNumber();
        ++rep_.netsInResult;
    }

    // "(x1,y1,l1)-(x2,y2,l2)" in database units with 1-based layers; blanks are allowed
    // between the parts.
    Segment parseSegment(std::string_view t) {
        size_t i = 0;
        auto skip = [&] {
            while (i < t.size() && (t[i] == ' ' || t[i] == '\t')) ++i;
        };
        auto expect = [&](char c) {
            skip();
            if (i >= t.size() || t[i] != c) in_.fail(std::string("bad segment, expected '") + c + "'");
            ++i;
        };
        auto number = [&] {
            skip();
            size_t s = i;
            if (i < t.size() && (t[i] == '-' || t[i] == '+')) ++i;
            while (i < t.size() && t[i] >= '0' && t[i] <= '9') ++i;
            int64_t v = 0;
            if (!parseInteger(t.substr(s, i - s), -(1LL << 50), 1LL << 50, v)) in_.fail("bad segment, expected a number");
            return v;
        };
        int64_t p[6];
        for (int k = 0; k < 2; ++k) {
            if (k == 1) expect('-');
            expect('(');
            p[3 * k] = number();
            expect(',');
            p[3 * k + 1] = number();
            expect(',');
            p[3 * k + 2] = number();
            expect(')');
        }
        skip();
        if (i != t.size()) in_.fail("bad segment, unexpected text after it");
        int changed = (p[0] != p[3]) + (p[1] != p[4]) + (p[2] != p[5]);
        if (changed != 1) in_.fail(changed == 0 ? "segment has no length" : "segment changes more than one of x, y and layer");
        Segment s;
        for (int k = 0; k < 2; ++k) {
            int64_t gx, gy;
            if (!b_.cellX(p[3 * k], gx) || !b_.cellY(p[3 * k + 1], gy)) in_.fail("segment point outside the grid");
            if (p[3 * k + 2] < 1 || p[3 * k + 2] > b_.L) in_.fail("segment layer outside 1.." + std::to_string(b_.L));
            (k == 0 ? s.x1 : s.x2) = gx;
            (k == 0 ? s.y1 : s.y2) = gy;
            (k == 0 ? s.l1 : s.l2) = p[3 * k + 2] - 1;
        }
        s.line = in_.lineNumber();
        return s;
    }

    // Local index of a node in the current net's union-find, created on first use.
    int64_t node(uint64_t key) {
        int64_t& v = nodeIndex_.at(key);
        if (v == 0) {
            parent_.push_back(static_cast<int64_t>(parent_.size()));
            v = static_cast<int64_t>(parent_.size());
        }
        return v - 1;
    }
    int64_t find(int64_t a) {
        while (parent_[static_cast<size_t>(a)] != a) {
            parent_[static_cast<size_t>(a)] = parent_[static_cast<size_t>(parent_[static_cast<size_t>(a)])];
            a = parent_[static_cast<size_t>(a)];
        }
        return a;
    }
    void unite(int64_t a, int64_t c) {
        a = find(a), c = find(c);
        if (a != c) parent_[static_cast<size_t>(a)] = c;
    }

    void finishNet() {
        const BenchNet& net = b_.nets[static_cast<size_t>(current_)];
        const bool checkConnections = net.declaredPins <= kMaxCheckedPins;
        nodeIndex_.clear();
        parent_.clear();
        for (const Segment& s : segs_) {
            if (s.l1 != s.l2) {
                int64_t lo = std::min(s.l1, s.l2), hi = std::max(s.l1, s.l2);
                rep_.vias += hi - lo;
                if (checkConnections)
                    for (int64_t l = lo; l < hi; ++l) unite(node(b_.nodeKey(s.x1, s.y1, l)), node(b_.nodeKey(s.x1, s.y1, l + 1)));
                continue;
            }
            const int64_t l = s.l1;
            const int64_t charge = std::max(net.width, b_.minWidth[static_cast<size_t>(l)]) + b_.minSpacing[static_cast<size_t>(l)];
            const bool horizontal = s.y1 == s.y2;  // x changed, or the segment stays in one G-cell
            const int64_t from = horizontal ? std::min(s.x1, s.x2) : std::min(s.y1, s.y2);
            const int64_t to = horizontal ? std::max(s.x1, s.x2) : std::max(s.y1, s.y2);
            rep_.wireEdges += to - from;
            uint64_t prev = horizontal ? b_.nodeKey(from, s.y1, l) : b_.nodeKey(s.x1, from, l);
            if (checkConnections) node(prev);
            for (int64_t k = from; k < to; ++k) {
                usage_.at(Benchmark::edgeKey(prev, horizontal ? 1 : 0)) += charge;
                uint64_t next = horizontal ? prev + 1 : prev + static_cast<uint64_t>(b_.X);
                if (checkConnections) unite(node(prev), node(next));
                prev = next;
            }
        }
        if (checkConnections) checkConnectivity(net);
        segs_.clear();
        current_ = -1;
    }

    // All pins in one piece, and no wire outside the pins' piece.
    void checkConnectivity(const BenchNet& net) {
        const std::string where = in_.path() + ":";
        if (segs_.empty()) {
            if (net.multiCell)
                error(where + std::to_string(headerLine_) + ": " + netLabel() + " has no wires but its pins lie in several G-cells");
            return;
        }
        int64_t root = -1;
        for (size_t p = net.pinBegin; p < net.pinEnd; ++p) {
            const int64_t* v = nodeIndex_.find(b_.pins[p]);
            int64_t r = v ? find(*v - 1) : -2;
            if (root == -1 && r >= 0) root = r;
            if (r < 0 || r != root) {
                uint64_t key = b_.pins[p];
                uint64_t cell = key % static_cast<uint64_t>(b_.X * b_.Y);
                error(where + std::to_string(headerLine_) + ": " + netLabel() + " does not connect its pin at G-cell (" +
                      std::to_string(cell % static_cast<uint64_t>(b_.X)) + ", " + std::to_string(cell / static_cast<uint64_t>(b_.X)) +
                      ") layer " + std::to_string(b_.layerOfNode(key) + 1));
                return;
            }
        }
        for (const Segment& s : segs_) {
            if (find(node(b_.nodeKey(s.x1, s.y1, s.l1))) != root) {
                error(where + std::to_string(s.line) + ": " + netLabel() + " has a wire piece not connected to its pins");
                return;
            }
        }
    }

    static int64_t ceilDiv(int64_t a, int64_t d) { return (a + d - 1) / d; }

    void evaluateOverflow() {
        FlatMap usage2D;  // 2D edge key -> usage in tracks over all layers
        const uint64_t cells = static_cast<uint64_t>(b_.X * b_.Y);
        usage_.forEach([&](uint64_t edge, int64_t use) {
            const uint64_t node = edge / 2;
            const int64_t l = b_.layerOfNode(node);
            const int64_t pitch = b_.pitch(l);
            const int64_t over = use - b_.capacity(edge);
            if (over > 0) {
                rep_.totalOverflow += over;
                rep_.maxOverflow = std::max(rep_.maxOverflow, over);
                rep_.totalOverflowTracks += ceilDiv(over, pitch);
                rep_.maxOverflowTracks = std::max(rep_.maxOverflowTracks, ceilDiv(over, pitch));
            }
            usage2D.at((node % cells) * 2 + edge % 2) += ceilDiv(use, pitch);
        });
        usage2D.forEach([&](uint64_t key2D, int64_t useTracks) {
            const uint64_t cell = key2D / 2;
            int64_t capTracks = 0;
            for (int64_t l = 0; l < b_.L; ++l)
                capTracks += b_.capacity(Benchmark::edgeKey(static_cast<uint64_t>(l) * cells + cell, static_cast<int>(key2D % 2))) / b_.pitch(l);
            if (useTracks > capTracks) rep_.overflow2DTracks += useTracks - capTracks;
        });
    }

    const Benchmark& b_;
    LineReader in_;
    CheckReport rep_;
    std::vector<std::string_view> tok_;
    int64_t current_ = -1;  // index of the open net, -1 between nets
    int64_t headerLine_ = 0;
    std::vector<Segment> segs_;
    FlatMap usage_;      // layer edge key -> usage in capacity units
    FlatMap nodeIndex_;  // node key -> 1 + union-find index, for the open net
    std::vector<int64_t> parent_;
};

}  // namespace

CheckReport checkResultText(const Benchmark& bench, const std::string& resultPath, const std::string& text) {
    return ResultChecker(bench, resultPath, text).run();
}

CheckReport checkResult(const Benchmark& bench, const std::string& resultPath) {
    return checkResultText(bench, resultPath, readWholeFile(resultPath));
}

}  // namespace ispdcheck
