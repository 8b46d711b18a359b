// Grouping of the cells into LEF masters: cells of equal type, size and pin
// offsets share one master; a cell with shapes gets one of its own.

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <unordered_map>
#include <vector>

#include "database/lefdef/LefDef.h"

namespace {

long long pinKey(const Point& p) {
    return static_cast<long long>(p.x) * 1000000 + static_cast<long long>(p.y) * 100 + p.z;
}

bool samePin(const Point& a, const Point& b) { return a.x == b.x && a.y == b.y && a.z == b.z; }

// Key of the master lookup: MacroHash refined by the type and every pin, so that
// the many masters of one size whose pin sums agree do not share one chain.
std::uint64_t lookupKey(const Macro& m) {
    std::uint64_t h = MacroHash(m) * 0x9E3779B97F4A7C15ull + static_cast<std::uint64_t>(m.type);
    for (const Point& p : m.pins) {
        h ^= static_cast<std::uint64_t>(static_cast<std::uint32_t>(p.x)) * 0xBF58476D1CE4E5B9ull +
             static_cast<std::uint64_t>(static_cast<std::uint32_t>(p.y)) * 0x94D049BB133111EBull +
             static_cast<std::uint64_t>(p.z);
        h = (h ^ (h >> 29)) * 0x9E3779B97F4A7C15ull;
    }
    return h;
}

}  // namespace

bool pin_cp(const Point& a, const Point& b) {
    const long long ka = pinKey(a), kb = pinKey(b);
    if (ka != kb) return ka > kb;
    if (a.x != b.x) return a.x > b.x;
    if (a.y != b.y) return a.y > b.y;
    return a.z > b.z;
}

std::uint64_t MacroHash(const Macro& m) {
    const long long h = static_cast<long long>(m.width) * 100000 + static_cast<long long>(m.height) * 100 + m.key +
                        static_cast<long long>(m.pins.size()) + static_cast<long long>(m.shapes.size());
    return static_cast<std::uint64_t>(h);
}

bool eqMacro(const Macro& probe, const Macro& m) {
    if (probe.type != m.type || probe.width != m.width || probe.height != m.height) return false;
    if (probe.pins.size() != m.pins.size() || !probe.shapes.empty()) return false;
    for (size_t i = 0; i < probe.pins.size(); ++i)
        if (!samePin(probe.pins[i], m.pins[i])) return false;
    return true;
}

std::vector<Macro> buildMacroMasters(NetDB& db) {
    const int topLayer = db.layerNum - 1;
    printf("build macro set\n");
    std::vector<Macro> masters;
    // Masters by lookup key; among equal ones the earliest master wins. A probe
    // with shapes equals no master, so its lookup is skipped.
    std::unordered_multimap<std::uint64_t, int> byHash;
    byHash.reserve(db.cells.size());
    Macro probe;
    for (placeCell& c : db.cells) {
        // NI terminals have their pins on metal4, or on the top layer of a smaller stack.
        // A pin layer beyond the stack (none on input the readers accept) is held to it.
        c.pinLayer = c.type == 2 ? std::min(3, topLayer) : std::clamp(c.pinLayer, 0, topLayer);
        probe.type = c.type;
        probe.width = c.width;
        probe.height = c.height;
        probe.index = -1;
        probe.blockedLayers = c.blockedLayers;
        probe.pins.clear();
        for (const pinLocate& p : c.pins) probe.pins.emplace_back(p.xOffset, p.yOffset, c.pinLayer);
        std::sort(probe.pins.begin(), probe.pins.end(), pin_cp);
        probe.pins.erase(std::unique(probe.pins.begin(), probe.pins.end(), samePin), probe.pins.end());
        probe.key = 0;
        for (const Point& p : probe.pins) probe.key += static_cast<long long>(p.x) + p.y + p.z;
        probe.shapes.clear();
        for (const shape& s : c.shapes) probe.shapes.push_back({s.x - c.xlow, s.y - c.ylow, s.w, s.h});

        const std::uint64_t h = lookupKey(probe);
        int found = -1;
        if (probe.shapes.empty()) {
            auto range = byHash.equal_range(h);
            for (auto it = range.first; it != range.second; ++it)
                if (eqMacro(probe, masters[it->second]) && (found < 0 || it->second < found)) found = it->second;
        }
        if (found < 0) {
            found = static_cast<int>(masters.size());
            probe.index = found;
            masters.push_back(probe);
            byHash.emplace(h, found);
        }
        c.masterIndex = found;
    }

    for (netInfo& net : db.netInfos) {
        net.lefPin.assign(net.pins.size(), 0);
        for (size_t k = 0; k < net.pins.size(); ++k) {
            const pinLocate& p = net.pins[k];
            const placeCell& c = db.cells[p.cell];
            const std::vector<Point>& pins = masters[c.masterIndex].pins;
            const Point want(p.xOffset, p.yOffset, c.pinLayer);
            auto it = std::lower_bound(pins.begin(), pins.end(), want, pin_cp);
            if (it == pins.end() || !samePin(*it, want)) {
                printf("ERROR: %s %d", "Parser", 2569);
                std::exit(1);
            }
            net.lefPin[k] = static_cast<int>(it - pins.begin()) + 1;
        }
    }

    // Pins of a blocking terminal sit on the first layer above its blockages.
    for (Macro& m : masters) {
        if (m.type != 1 || m.blockedLayers.empty()) continue;
        const int layer = std::min(static_cast<int>(m.blockedLayers.size()), topLayer);
        for (Point& p : m.pins) p.z = layer;
    }
    printf("Macro type %d\n", static_cast<int>(masters.size()));
    std::fflush(stdout);
    return masters;
}
