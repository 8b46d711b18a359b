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

namespace {

// Routing and layer-assignment tables, per G-cell. Router: the layer-0 maze
// cell (128), usage and history of both directions (16), the cost map (8),
// the dynamic-programming work maps (24), virtual demand (8) and the pin count
// (4). Layer assignment: demand and history per direction and layer (16 L),
// its 2D tables (32) and the conversion maps (32).
long long tableBytesPerCell(int L) { return 188 + 64 + 16LL * L; }

// Maze search records, per G-cell: the search node (32) and the open-set pool,
// which can hold a record (24) for every G-cell and doubles when it grows, old
// and new block side by side (3 x 24).
constexpr long long kSearchBytesPerCell = 32 + 3 * 24;

// The 3D stage keeps all of the above and adds, per G-cell and layer, a maze
// cell (128; layer 0's is counted above), the step-cost cache (12), the
// kernels' work arrays (16), 3D demand, capacity and history (36) and the
// result measure's edge usage (16) and step marks (12), whose room the result
// writer's marks take later.
long long stage3DBytesPerCell(int L) { return (128 + 12 + 16 + 36 + 28) * static_cast<long long>(L) - 128; }

}  // namespace

long long estimateGridBytes(int X, int Y, int L, bool with3D) {
    const long long perCell = tableBytesPerCell(L) + kSearchBytesPerCell + (with3D ? stage3DBytesPerCell(L) : 0);
    return static_cast<long long>(X) * Y * perCell;
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

std::string gridMemoryRefusal(int X, int Y, int L, bool with3D) {
    const long long need = estimateGridBytes(X, Y, L, with3D);
    const long long have = machineMemoryBytes();
    if (have == 0 || need <= have) return std::string();
    const long long tables = static_cast<long long>(X) * Y * tableBytesPerCell(L);
    char buf[320];
    snprintf(buf, sizeof buf,
             "the grid of %d x %d G-cells on %d layers needs about %.1f GB of memory for its routing and "
             "layer-assignment tables, %.1f GB with the maze search records%s; this machine has %.1f GB",
             X, Y, L, tables / 1e9, need / 1e9, with3D ? " and the 3D stage" : "", have / 1e9);
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
