#include "database/MemoryBudget.h"

#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <new>
#include <string>

#include "database/AtomicOutput.h"

long long estimateGridBytes(int X, int Y, int L) {
    const long long xy = static_cast<long long>(X) * Y;
    // Router, per G-cell: the layer-0 maze cell (128), usage and history of
    // both directions (16), the cost map (8), the dynamic-programming work maps
    // (24), virtual demand (8) and the pin count (4).
    const long long router = 188;
    // Layer assignment, per G-cell: demand and history per direction and layer
    // (16 L), its 2D tables (32) and the conversion maps (32).
    const long long layerAssignment = 64 + 16LL * L;
    return xy * (router + layerAssignment);
}

long long machineMemoryBytes() {
    std::ifstream in("/proc/meminfo");
    std::string key;
    long long kb = 0;
    std::string unit;
    while (in >> key >> kb >> unit) {
        if (key == "MemTotal:") return kb * 1024;
    }
    return 0;
}

std::string gridMemoryRefusal(int X, int Y, int L) {
    const long long need = estimateGridBytes(X, Y, L);
    const long long have = machineMemoryBytes();
    if (have == 0 || need <= have) return std::string();
    char buf[256];
    snprintf(buf, sizeof buf,
             "the grid of %d x %d G-cells on %d layers needs about %.1f GB of memory; this machine has %.1f GB",
             X, Y, L, need / 1e9, have / 1e9);
    return buf;
}

namespace {

[[noreturn]] void outOfMemory() {
    // Nothing is allocated here: the message goes straight to the descriptor.
    static const char msg[] = "ERROR: out of memory; the design is too large for this machine\n";
    fflush(stdout);
    if (write(2, msg, sizeof msg - 1) < 0) {
        // nothing more can be reported
    }
    removePendingOutputs();
    _exit(1);
}

}  // namespace

void installOutOfMemoryHandler() { std::set_new_handler(outOfMemory); }

void adviseHugePages(const void* data, size_t bytes) {
#ifdef MADV_HUGEPAGE
    const uintptr_t page = 2u << 20;
    uintptr_t begin = (reinterpret_cast<uintptr_t>(data) + page - 1) & ~(page - 1);
    uintptr_t end = (reinterpret_cast<uintptr_t>(data) + bytes) & ~(page - 1);
    if (end > begin) madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);
#else
    (void)data;
    (void)bytes;
#endif
}
