#include "tools/ispd_check/Benchmark.h"

#include <algorithm>
#include <string_view>

#include "tools/ispd_check/TextLines.h"

namespace ispdcheck {

int64_t Benchmark::capacity(uint64_t edge) const {
    if (const int64_t* c = adjustedCap.find(edge)) return *c;
    uint64_t node = edge / 2;
    size_t l = static_cast<size_t>(layerOfNode(node));
    return edge % 2 == 0 ? verticalCap[l] : horizontalCap[l];
}

namespace {

constexpr int64_t kMaxGrid = 1000000;
constexpr int64_t kMaxLayers = 1000;
constexpr int64_t kMaxCoord = 4000000000000LL;
constexpr int64_t kMaxValue = 1000000000000LL;

class BenchParser {
public:
    BenchParser(const std::string& path, const std::string& text, Benchmark& b) : in_(path, text), b_(b) {}

    void run() {
        readGrid();
        readLayerList(b_.verticalCap, 0, "vertical capacities");
        readLayerList(b_.horizontalCap, 0, "horizontal capacities");
        readLayerList(b_.minWidth, 0, "minimum widths");
        readLayerList(b_.minSpacing, 0, "minimum spacings");
        readLayerList(b_.viaSpacing, 0, "via spacings");
        for (int64_t l = 0; l < b_.L; ++l)
            if (b_.pitch(l) <= 0) in_.fail("layer " + std::to_string(l + 1) + " has minimum width plus spacing 0");
        readOrigin();
        readNets();
        readAdjustments();
    }

private:
    void line(const char* what) {
        std::string_view l;
        if (!in_.nextContentLine(l)) in_.fail(std::string("unexpected end of file, expected ") + what);
        LineReader::split(l, tok_);
    }
    int64_t integer(size_t i, int64_t lo, int64_t hi, const char* what) {
        int64_t v = 0;
        if (i >= tok_.size() || !parseInteger(tok_[i], lo, hi, v))
            in_.fail(std::string("bad ") + what + (i < tok_.size() ? " '" + std::string(tok_[i]) + "'" : std::string(" (missing)")));
        return v;
    }

    void readGrid() {
        line("the grid line");
        if (tok_.size() != 4 || tok_[0] != "grid") in_.fail("expected 'grid X Y L'");
        b_.X = integer(1, 1, kMaxGrid, "grid width");
        b_.Y = integer(2, 1, kMaxGrid, "grid height");
        b_.L = integer(3, 1, kMaxLayers, "layer count");
    }

    // Two words, then one value per layer.
    void readLayerList(std::vector<int64_t>& v, int64_t lo, const char* what) {
        line(what);
        if (tok_.size() != static_cast<size_t>(b_.L) + 2)
            in_.fail(std::string("expected two words and ") + std::to_string(b_.L) + " " + what);
        v.resize(static_cast<size_t>(b_.L));
        for (int64_t l = 0; l < b_.L; ++l) v[static_cast<size_t>(l)] = integer(static_cast<size_t>(l) + 2, lo, kMaxValue, what);
    }

    void readOrigin() {
        line("the origin line");
        if (tok_.size() != 4) in_.fail("expected 'originX originY tileWidth tileHeight'");
        b_.originX = integer(0, -kMaxCoord, kMaxCoord, "origin x");
        b_.originY = integer(1, -kMaxCoord, kMaxCoord, "origin y");
        b_.tileW = integer(2, 1, kMaxCoord, "tile width");
        b_.tileH = integer(3, 1, kMaxCoord, "tile height");
    }

    void readNets() {
        line("'num net N'");
        if (tok_.size() != 3 || tok_[0] != "num" || tok_[1] != "net") in_.fail("expected 'num net N'");
        int64_t count = integer(2, 0, 100000000, "net count");
        b_.nets.reserve(static_cast<size_t>(std::min<int64_t>(count, 1 << 22)));
        std::vector<uint64_t> pins;
        for (int64_t n = 0; n < count; ++n) {
            line("a net line");
            // name id pinCount minWidth, optionally followed by a layer range such as [ 2 : 4 ].
            if (tok_.size() < 4) in_.fail("expected 'name id pinCount minWidth'");
            BenchNet net;
            net.name = std::string(tok_[0]);
            net.id = integer(1, -2147483647LL - 1, 2147483647LL, "net id");
            net.declaredPins = integer(2, 0, 100000000, "pin count");
            net.width = integer(3, 0, kMaxValue, "net width");
            net.line = in_.lineNumber();
            int64_t& slot = b_.netIndexById.at(Benchmark::idKey(net.id));
            if (slot != 0) in_.fail("net id " + std::to_string(net.id) + " used twice");
            slot = static_cast<int64_t>(b_.nets.size()) + 1;

            pins.clear();
            int64_t firstCell = -1;
            for (int64_t p = 0; p < net.declaredPins; ++p) {
                line("a pin line");
                if (tok_.size() != 3) in_.fail("expected 'x y layer' in a pin line of net " + net.name);
                int64_t x = integer(0, -kMaxCoord, kMaxCoord, "pin x");
                int64_t y = integer(1, -kMaxCoord, kMaxCoord, "pin y");
                int64_t layer = integer(2, 1, b_.L, "pin layer");
                int64_t gx, gy;
                if (!b_.cellX(x, gx) || !b_.cellY(y, gy)) in_.fail("pin outside the grid");
                int64_t cell = gy * b_.X + gx;
                if (firstCell < 0) firstCell = cell;
                else if (cell != firstCell) net.multiCell = true;
                pins.push_back(b_.nodeKey(gx, gy, layer - 1));
            }
            std::sort(pins.begin(), pins.end());
            pins.erase(std::unique(pins.begin(), pins.end()), pins.end());
            net.pinBegin = b_.pins.size();
            b_.pins.insert(b_.pins.end(), pins.begin(), pins.end());
            net.pinEnd = b_.pins.size();
            b_.nets.push_back(std::move(net));
        }
    }

    void readAdjustments() {
        std::string_view l;
        if (!in_.nextContentLine(l)) return;  // no adjustment section: nothing adjusted
        LineReader::split(l, tok_);
        if (tok_.size() != 1) in_.fail("expected the number of capacity adjustments");
        int64_t count = integer(0, 0, 1000000000, "adjustment count");
        for (int64_t a = 0; a < count; ++a) {
            line("a capacity adjustment");
            if (tok_.size() != 7) in_.fail("expected 'x1 y1 layer1 x2 y2 layer2 capacity'");
            int64_t x1 = integer(0, 0, b_.X - 1, "adjustment x1");
            int64_t y1 = integer(1, 0, b_.Y - 1, "adjustment y1");
            int64_t l1 = integer(2, 1, b_.L, "adjustment layer1");
            int64_t x2 = integer(3, 0, b_.X - 1, "adjustment x2");
            int64_t y2 = integer(4, 0, b_.Y - 1, "adjustment y2");
            int64_t l2 = integer(5, 1, b_.L, "adjustment layer2");
            int64_t cap = integer(6, 0, kMaxValue, "adjusted capacity");
            if (l1 != l2) in_.fail("adjustment joins two layers");
            int dir;
            uint64_t node;
            if (x1 == x2 && (y2 - y1 == 1 || y1 - y2 == 1)) {
                dir = 0;
                node = b_.nodeKey(x1, std::min(y1, y2), l1 - 1);
            } else if (y1 == y2 && (x2 - x1 == 1 || x1 - x2 == 1)) {
                dir = 1;
                node = b_.nodeKey(std::min(x1, x2), y1, l1 - 1);
            } else {
                in_.fail("adjustment is not a grid edge between neighbouring G-cells");
            }
            b_.adjustedCap.at(Benchmark::edgeKey(node, dir)) = cap;  // a later line for the same edge wins
        }
        if (in_.nextContentLine(l)) in_.fail("unexpected text after the capacity adjustments");
    }

    LineReader in_;
    Benchmark& b_;
    std::vector<std::string_view> tok_;
};

}  // namespace

void readBenchmarkText(const std::string& path, const std::string& text, Benchmark& bench) {
    bench.path = path;
    BenchParser(path, text, bench).run();
}

void readBenchmark(const std::string& path, Benchmark& bench) { readBenchmarkText(path, readWholeFile(path), bench); }

}  // namespace ispdcheck
