#pragma once
// Command-line number parsing shared by the generators.

#include <cerrno>
#include <cstdlib>

// Parses the whole of s as a decimal integer in [lo, hi] into v; false (v
// untouched) when s is empty, has trailing text, overflows or is out of range.
inline bool parseInt(const char* s, long long lo, long long hi, long long& v) {
    if (!s || !*s) return false;
    char* end = nullptr;
    errno = 0;
    long long x = std::strtoll(s, &end, 10);
    if (errno != 0 || *end != '\0' || x < lo || x > hi) return false;
    v = x;
    return true;
}
