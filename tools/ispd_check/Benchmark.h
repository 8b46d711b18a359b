#pragma once
// The checker's own model of an ISPD'08 benchmark: grid, layer rules, capacities with their
// adjustments, and every net's pins as 3D G-cells.

#include <cstdint>
#include <string>
#include <vector>

#include "tools/ispd_check/FlatMap.h"

namespace ispdcheck {

// Nets with more pins than this need not be routed; their wires still count.
constexpr int64_t kMaxCheckedPins = 1000;

struct BenchNet {
    std::string name;
    int64_t id = 0;
    int64_t declaredPins = 0;  // pin count of the net line
    int64_t width = 0;         // minimum width of the net line
    int64_t line = 0;          // line of the net line in the benchmark
    size_t pinBegin = 0, pinEnd = 0;  // distinct pin nodes in Benchmark::pins
    bool multiCell = false;    // pins lie in two or more G-cells
};

struct Benchmark {
    std::string path;
    int64_t X = 0, Y = 0, L = 0;
    std::vector<int64_t> verticalCap, horizontalCap, minWidth, minSpacing, viaSpacing;
    int64_t originX = 0, originY = 0, tileW = 1, tileH = 1;
    std::vector<BenchNet> nets;
    std::vector<uint64_t> pins;  // node keys
    FlatMap netIndexById;        // idKey(id) -> index into nets
    FlatMap adjustedCap;         // edge key -> capacity in capacity units

    // Node (G-cell on a layer, layer 0-based) and edge keys; dir 0 is the edge to (x, y+1),
    // dir 1 the edge to (x+1, y).
    uint64_t nodeKey(int64_t x, int64_t y, int64_t l) const {
        return (static_cast<uint64_t>(l) * static_cast<uint64_t>(Y) + static_cast<uint64_t>(y)) * static_cast<uint64_t>(X) +
               static_cast<uint64_t>(x);
    }
    static uint64_t edgeKey(uint64_t node, int dir) { return node * 2 + static_cast<uint64_t>(dir); }
    static uint64_t idKey(int64_t id) { return static_cast<uint64_t>(id + (1LL << 32)); }

    int64_t pitch(int64_t l) const { return minWidth[static_cast<size_t>(l)] + minSpacing[static_cast<size_t>(l)]; }
    int64_t layerOfNode(uint64_t node) const { return static_cast<int64_t>(node / static_cast<uint64_t>(X * Y)); }
    // Capacity of an edge in capacity units, adjustments applied.
    int64_t capacity(uint64_t edge) const;

    // G-cell of a database-unit coordinate, truncating toward zero; false when outside the grid.
    bool cellX(int64_t x, int64_t& gx) const {
        gx = (x - originX) / tileW;
        return gx >= 0 && gx < X;
    }
    bool cellY(int64_t y, int64_t& gy) const {
        gy = (y - originY) / tileH;
        return gy >= 0 && gy < Y;
    }
};

// Reads a benchmark; throws InputError (file:line: reason) on anything malformed.
void readBenchmark(const std::string& path, Benchmark& bench);
// The same from the benchmark's text, named path in the messages.
void readBenchmarkText(const std::string& path, const std::string& text, Benchmark& bench);

}  // namespace ispdcheck
