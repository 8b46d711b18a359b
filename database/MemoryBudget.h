#pragma once
// How much memory a routing grid needs, whether the machine has it, and what
// happens when an allocation fails.

#include <cstddef>
#include <string>

// Estimated peak bytes of routing (maze search included) and layer assignment
// on an X by Y grid of L layers, and of the 3D stage when with3D (the
// per-G-cell arrays only; the nets come on top).
long long estimateGridBytes(int X, int Y, int L, bool with3D = false);

// Physical memory of the machine in bytes (MemTotal of /proc/meminfo), 0 when unknown.
long long machineMemoryBytes();

// Empty when the grid fits in the machine's memory; otherwise the one-line
// reason, naming the grid size and the estimate.
std::string gridMemoryRefusal(int X, int Y, int L, bool with3D = false);

// From now on a failed allocation prints a message and ends the run with status 1.
void installOutOfMemoryHandler();

// Asks the kernel to back a large array with huge pages (a hint; ignored
// where unsupported).
void adviseHugePages(const void* data, size_t bytes);

// Gives v n copies of value in a fresh allocation advised for huge pages
// before its pages are first touched.
template <class V, class T>
void hugeAssign(V& v, size_t n, const T& value) {
    V().swap(v);
    v.reserve(n);
    adviseHugePages(v.data(), n * sizeof(typename V::value_type));
    v.assign(n, value);
}
