// check_ispd: evaluates a global-routing result in the ISPD'08 result syntax against its
// benchmark, the way the contest scored results:
//   - every wire segment charges max(net width, layer minimum width) + layer minimum
//     spacing capacity units on each grid edge it covers (a segment written twice is
//     charged twice); overflow of a layer edge is max(0, usage - capacity), capacity
//     adjustments applied;
//   - wire length is the number of G-cell edges covered plus one per layer a via crosses;
//   - every net of at most 1000 pins must connect all its pins (G-cell and layer) with no
//     wire piece apart from the pins' tree, and no net whose pins lie in two or more
//     G-cells may be missing.
// Exit status 0 when the result is complete and connected, 1 otherwise or on bad input.

#include <cstdio>
#include <cstring>
#include <new>
#include <string>

#include "tools/ispd_check/Benchmark.h"
#include "tools/ispd_check/ResultCheck.h"
#include "tools/ispd_check/TextLines.h"

namespace {
const char* kUsage =
    "usage: check_ispd BENCHMARK.gr RESULT\n"
    "Checks an ISPD'08 routing result and prints, one 'label: value' per line:\n"
    "  total overflow, max overflow                  in capacity units, per layer edge\n"
    "  total overflow in tracks, max overflow in tracks   per layer edge, ceil(overflow / pitch)\n"
    "  2D total overflow in tracks                   over 2D edges, all layers summed\n"
    "  wire length (edges + vias), wire edges, vias, nets in result, errors\n"
    "Exit status 1 on a syntax error, a disconnected or missing net, or unreadable input.\n";
}

int main(int argc, char** argv) {
    if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    if (argc != 3) {
        std::fprintf(stderr, "check_ispd: expected two arguments\n%s", kUsage);
        return 1;
    }
    using namespace ispdcheck;
    Benchmark bench;
    CheckReport rep;
    try {
        readBenchmark(argv[1], bench);
        rep = checkResult(bench, argv[2]);
    } catch (const InputError& e) {
        std::fprintf(stderr, "check_ispd: %s\n", e.what());
        return 1;
    } catch (const std::bad_alloc&) {
        std::fprintf(stderr, "check_ispd: out of memory\n");
        return 1;
    }
    for (const std::string& m : rep.errors) std::fprintf(stderr, "check_ispd: %s\n", m.c_str());
    if (rep.errorCount > static_cast<int64_t>(rep.errors.size()))
        std::fprintf(stderr, "check_ispd: ... and %lld more errors\n", static_cast<long long>(rep.errorCount - static_cast<int64_t>(rep.errors.size())));

    std::printf("nets in result: %lld\n", static_cast<long long>(rep.netsInResult));
    std::printf("total overflow: %lld\n", static_cast<long long>(rep.totalOverflow));
    std::printf("max overflow: %lld\n", static_cast<long long>(rep.maxOverflow));
    std::printf("total overflow in tracks: %lld\n", static_cast<long long>(rep.totalOverflowTracks));
    std::printf("max overflow in tracks: %lld\n", static_cast<long long>(rep.maxOverflowTracks));
    std::printf("2D total overflow in tracks: %lld\n", static_cast<long long>(rep.overflow2DTracks));
    std::printf("wire length: %lld\n", static_cast<long long>(rep.wireLength()));
    std::printf("wire edges: %lld\n", static_cast<long long>(rep.wireEdges));
    std::printf("vias: %lld\n", static_cast<long long>(rep.vias));
    std::printf("errors: %lld\n", static_cast<long long>(rep.errorCount));
    return rep.errorCount == 0 ? 0 : 1;
}
