#pragma once
// Shared pieces of the fuzz harnesses (one fuzz_<reader>.cpp per reader).
//
// A harness defines LLVMFuzzerTestOneInput. Built with clang and libFuzzer
// (bench/fuzz.sh) it is fuzzed; built with any compiler and replay_main.cpp it
// replays the seed and regression corpora in `make test`. A reader's refusal
// is turned into an exception by its refusal hook, so the harness sees a
// refusal as a return; anything the harness finds wrong after a successful
// read aborts, which both drivers report.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace fuzz {

// Thrown by the refusal hooks; caught by the harness.
struct Refused {};

// Whether the last input was refused; the replay driver reports it per file.
inline bool& refused() {
    static bool flag = false;
    return flag;
}

[[noreturn]] inline void unwind(int) {
    refused() = true;
    throw Refused{};
}

inline std::string text(const uint8_t* data, size_t size) { return std::string(reinterpret_cast<const char*>(data), size); }

// Inputs of two files are written as the first, this separator, the second.
constexpr const char* kSeparator = "@@@@\n";

inline bool split(const std::string& in, std::string& first, std::string& second) {
    const size_t at = in.find(kSeparator);
    if (at == std::string::npos) return false;
    first = in.substr(0, at);
    second = in.substr(at + std::string(kSeparator).size());
    return true;
}

// Ends the process with a message when an invariant fails after a read that
// the reader accepted.
#define FUZZ_EXPECT(cond)                                                                  \
    do {                                                                                   \
        if (!(cond)) {                                                                     \
            std::fprintf(stderr, "%s:%d: accepted input breaks: %s\n", __FILE__, __LINE__, #cond); \
            std::abort();                                                                  \
        }                                                                                  \
    } while (0)

// Whether a benchmark's "grid X Y L" line names a grid that the reader
// accepts (at most 1000 layers and X * Y * L within int) with more than
// `cells` G-cells per layer.
inline bool acceptedGridAbove(long long x, long long y, long long l, long long cells) {
    if (x <= 0 || y <= 0 || l <= 0 || l > 1000 || x > 2147483647LL || y > 2147483647LL) return false;
    if (x * y > 2147483647LL) return false;  // refused by the reader, no product formed here
    return x * y > cells && x * y * l <= 2147483647LL;
}

inline bool acceptedGridAbove(const std::string& in, long long cells) {
    long long x = 0, y = 0, l = 0;
    return std::sscanf(in.c_str(), " grid %lld %lld %lld", &x, &y, &l) == 3 && acceptedGridAbove(x, y, l, cells);
}

}  // namespace fuzz
