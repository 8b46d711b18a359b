// Routing-log analysis of "LOOK": every log is counted or refused against one
// small fixed design (built once, FLUTE tables loaded once), and the counts
// agree with each other and with the design's nets.
#include "tests/fuzz/FuzzHarness.h"

#include <algorithm>
#include <sstream>
#include <utility>
#include <vector>

#include "app/AnalysisFlows.h"
#include "database/NetDB.h"
#include "decomposition/flute.h"
#include "tests/common/HandDesign.h"

namespace {

struct Design {
    NetDB db;
    long long shortest = 0, longest = 0;  // Steiner lengths of the nets that can be counted

    void addNet(const std::vector<std::pair<int, int>>& points, int offset = 0) { addHandNet(db, points, 0, offset); }

    Design() {
        // A 1 x 1 cell per pin, G-cells of 10 x 10. net 0: two G-cells; 1: no
        // pins; 2: twelve G-cells; 3: one G-cell; 4: 1000 pins (refused); 5:
        // three pins in a line; 6: one pin (the pins of a net share one offset,
        // so lengths are measured from the first cell's corner).
        addNet({{1, 1}, {31, 21}});
        addNet({});
        std::vector<std::pair<int, int>> twelve, many;
        for (int i = 0; i < 12; ++i) twelve.push_back({(i % 4) * 10 + 1, (i / 4) * 10 + 1});
        addNet(twelve);
        addNet({{2, 2}, {5, 9}});
        for (int i = 0; i < 1000; ++i) many.push_back({i % 40, (i / 40) % 40});
        addNet(many);
        addNet({{0, 0}, {15, 0}, {39, 0}});
        addNet({{7, 7}});
        // 7: pins beyond 2^31 - 1 that lie 40 apart; 8: a net wider than an int.
        addNet({{2147483000, 5}, {2147483040, 5}}, 1000);
        addNet({{-2147483000, 0}, {2147483000, 0}});

        FILE* powv = std::fopen(FUZZ_TABLE_DIR "/POWV9.dat", "rb");
        FILE* post = std::fopen(FUZZ_TABLE_DIR "/POST9.dat", "rb");
        if (!powv || !post) {
            std::fprintf(stderr, "fuzz_routing_log: the FLUTE tables are not in %s\n", FUZZ_TABLE_DIR);
            std::abort();
        }
        loadLUT(powv, post);
        std::fclose(powv);
        std::fclose(post);

        shortest = -1;
        for (const netInfo& n : db.netInfos) {
            if (n.pins.empty() || n.pins.size() > 999 || n.id == 8) continue;
            std::vector<int> xs, ys;
            const placeCell& first = db.cells[n.pins[0].cell];
            for (const pinLocate& p : n.pins) {
                xs.push_back(db.cells[p.cell].xlow - first.xlow);
                ys.push_back(db.cells[p.cell].ylow - first.ylow);
            }
            long long length = 0;
            if (xs.size() >= 2) {
                Tree t = flute(static_cast<int>(xs.size()), xs.data(), ys.data(), 3);
                length = t.length;
                delete[] t.nodes;
            }
            shortest = shortest < 0 ? length : std::min(shortest, length);
            longest = std::max(longest, length);
        }
    }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const Design design;
    routingLogRefusal = fuzz::unwind;
    std::istringstream log(fuzz::text(data, size));
    RoutingLogCounts counts;
    try {
        counts = countUnroutableNets("fuzz.log", log, design.db);
    } catch (const fuzz::Refused&) {
        return 0;
    }
    long long binned = 0;
    for (int b : counts.bins) {
        FUZZ_EXPECT(b >= 0);
        binned += b;
    }
    // Every counted net has pins in at least one G-cell and was measured once.
    FUZZ_EXPECT(counts.bins[0] == 0 && binned == counts.unroutable);
    FUZZ_EXPECT(counts.removedLength >= design.shortest * counts.unroutable &&
                counts.removedLength <= design.longest * counts.unroutable);
    return 0;
}
