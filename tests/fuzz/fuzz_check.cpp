// The result checker (tools/ispd_check): every benchmark and result pair is
// checked or refused with an InputError. Input: the benchmark, the
// separator, then the result.
#include "tests/fuzz/FuzzHarness.h"

#include "tools/ispd_check/Benchmark.h"
#include "tools/ispd_check/ResultCheck.h"
#include "tools/ispd_check/TextLines.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string bench, result;
    if (!fuzz::split(fuzz::text(data, size), bench, result)) return 0;
    // A segment costs one step per G-cell it crosses; long ones in huge grids
    // are correct but slow, so the fuzzer stays on grids of a few thousand.
    long long x = 0, y = 0;
    if (std::sscanf(bench.c_str(), " grid %lld %lld", &x, &y) == 2 && (x > 4096 || y > 4096)) return 0;
    try {
        ispdcheck::Benchmark b;
        ispdcheck::readBenchmarkText("fuzz.gr", bench, b);
        ispdcheck::CheckReport r = ispdcheck::checkResultText(b, "fuzz.out", result);
        FUZZ_EXPECT(r.totalOverflow >= 0 && r.maxOverflow <= r.totalOverflow && r.wireEdges >= 0 && r.vias >= 0);
        FUZZ_EXPECT(r.errorCount >= static_cast<int64_t>(r.errors.size()));
    } catch (const ispdcheck::InputError&) {
        fuzz::refused() = true;
    }
    return 0;
}
