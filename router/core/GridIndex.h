#pragma once
// Bounds-checked flat-array indexing. In debug builds every index is checked
// against the array's own extent and a failure ends the run with a message and
// status 1; release builds compute the index only.

#include <cstdio>
#include <cstdlib>

#ifndef NDEBUG
[[noreturn]] inline void gridIndexFailure(const char* what, int a, int b, int na, int nb) {
    fprintf(stderr, "ERROR: index (%d, %d) outside %s of %d x %d\n", a, b, what, na, nb);
    exit(1);
}
#endif

// Row-major index of (a, b) in an na x nb array.
inline int flatIndex(const char* what, int a, int b, int na, int nb) {
#ifndef NDEBUG
    if (a < 0 || a >= na || b < 0 || b >= nb) gridIndexFailure(what, a, b, na, nb);
#else
    (void)what;
    (void)na;
#endif
    return a * nb + b;
}
