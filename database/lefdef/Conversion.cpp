// The conversion entry, its design check with the NI point statistics, and the
// output-file helpers shared by the writers.

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "database/lefdef/LefDef.h"

int NIPointTable::count(long long x, long long y) const {
    if (!inside(x, y)) return 0;
    auto it = counts.find(key(x, y));
    return it == counts.end() ? 0 : it->second;
}

void NIPointTable::clear(long long x, long long y) {
    if (inside(x, y)) counts.erase(key(x, y));
}

namespace {

// The first pair of pins (i ascending, then j) of one cell with equal offsets and
// direction; false when all differ. `order` is scratch space.
bool firstDuplicatePins(const std::vector<pinLocate>& pins, std::vector<int>& order, int& first, int& second) {
    const int n = static_cast<int>(pins.size());
    if (n < 2) return false;
    order.resize(n);
    for (int i = 0; i < n; ++i) order[i] = i;
    auto less = [&](int a, int b) {
        const pinLocate& p = pins[a];
        const pinLocate& q = pins[b];
        if (p.xOffset != q.xOffset) return p.xOffset < q.xOffset;
        if (p.yOffset != q.yOffset) return p.yOffset < q.yOffset;
        if (p.direction != q.direction) return p.direction < q.direction;
        return a < b;
    };
    std::sort(order.begin(), order.end(), less);
    auto alike = [&](int a, int b) {
        return pins[a].xOffset == pins[b].xOffset && pins[a].yOffset == pins[b].yOffset &&
               pins[a].direction == pins[b].direction;
    };
    // Within a group of alike pins the indices ascend: its first two form its first pair.
    first = n;
    for (int k = 0; k + 1 < n; ++k) {
        const bool groupStart = k == 0 || !alike(order[k - 1], order[k]);
        if (groupStart && alike(order[k], order[k + 1]) && order[k] < first) {
            first = order[k];
            second = order[k + 1];
        }
    }
    return first < n;
}

}  // namespace

void preProcess(NetDB& db, NIPointTable& table) {
    table.originX = db.originX;
    table.originY = db.originY;
    table.width = static_cast<long long>(db.gridX) * db.tileW;
    table.height = static_cast<long long>(db.gridY) * db.tileH;
    table.counts.clear();

    std::vector<int> scratch;
    for (const placeCell& c : db.cells) {
        if (c.type == 2) {
            if (!table.inside(c.xlow, c.ylow)) {
                printf("ERROR(1) %s %d\n", "Parser", 2254);
                std::exit(1);
            }
            int& n = table.counts[table.key(c.xlow, c.ylow)];
            if (++n > 10) {
                printf("ERROR(2) %s %d\n", "Parser", 2260);
                std::exit(1);
            }
        } else {
            int i = 0, j = 0;
            if (firstDuplicatePins(c.pins, scratch, i, j)) {
                printf("ERROR: cc.index=%d  net1=%d  net2=%d  xOffset=%d  yOffset=%d\n", c.index, c.pins[i].net,
                       c.pins[j].net, c.pins[i].xOffset, c.pins[i].yOffset);
                std::exit(1);
            }
        }
    }

    // Largest count and the first point (x outer, y inner) that holds it.
    int maxCount = 0;
    long long maxX = -1, maxY = -1;
    int same[5] = {0, 0, 0, 0, 0};
    for (const auto& entry : table.counts) {
        const long long x = table.originX + static_cast<long long>(entry.first >> 32);
        const long long y = table.originY + static_cast<long long>(entry.first & 0xffffffffu);
        const int n = entry.second;
        if (n <= 4) ++same[n];
        if (n > maxCount || (n == maxCount && (x < maxX || (x == maxX && y < maxY)))) {
            maxCount = n;
            maxX = x;
            maxY = y;
        }
    }
    printf("maxCount=%d  maxX=%lld  maxY=%lld\n", maxCount, maxX, maxY);
    printf("same[1]=%d  same[2]=%d  same[3]=%d  same[4]=%d\n", same[1], same[2], same[3], same[4]);
}

void outputLEFDEF(const char* outName, const char* ruleFile, NetDB& db) {
    const std::string out = outName;
    const size_t slash = out.rfind('/');
    const std::string base = slash == std::string::npos ? out : out.substr(slash + 1);
    const std::string auxPath = out + ".aux";
    const std::string lefPath = out + ".lef";
    const std::string defPath = out + ".def";

    AtomicOutput aux = openOutputOrExit(auxPath);
    std::fprintf(aux.stream, "LEFDEF :  %s %s", (base + ".lef").c_str(), (base + ".def").c_str());
    commitOutputOrExit(aux);

    DRC drc;
    if (ruleFile) input_design_rule(ruleFile, drc);

    if (db.layerNum < 1 || db.tileW < 1 || db.tileH < 1) {
        std::fflush(stdout);
        std::fprintf(stderr, "ERROR: the design has no routing grid (%d layers, G-cells %d x %d)\n", db.layerNum,
                     db.tileW, db.tileH);
        std::exit(1);
    }
    NIPointTable table;
    preProcess(db, table);
    outputLEF(lefPath, db, drc);
    outputDEF(defPath, base, db, drc, table);
    printf("File Convertion finish\n");
}
