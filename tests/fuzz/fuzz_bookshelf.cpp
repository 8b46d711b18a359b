// Bookshelf readers (.aux, .nodes, .nets, .pl, .scl, .shapes, .route) with the
// capacity adjustment and the routing nets built from the placement, as the
// Bookshelf modes read a design: every set is read or refused, and an accepted
// one holds what the router relies on. Input: the .nodes, .nets, .pl (of the
// set), .scl, .shapes, .route and placement .pl files, in this order, joined
// by the separator. The readers take file names, so the parts are written to
// a scratch folder of this process first.
#include "tests/fuzz/DesignInvariants.h"
#include "tests/fuzz/FuzzHarness.h"

#include <sys/stat.h>
#include <unistd.h>

#include <vector>

#include "database/NetDB.h"
#include "database/Settings.h"
#include "database/bookshelf/Bookshelf.h"
#include "database/bookshelf/BookshelfFail.h"

namespace {

const char* const kNames[] = {"f.nodes", "f.nets", "f.pl", "f.scl", "f.shapes", "f.route", "user.pl", "f.wts", "f.aux"};

const std::string& folder();

void removeFolder() {
    for (const char* n : kNames) std::remove((folder() + n).c_str());
    rmdir(folder().c_str());
}

const std::string& folder() {
    // Never destroyed, so that the clean-up at exit can still name it.
    static const std::string* dir = [] {
        struct stat st;
        std::string d = (stat("/dev/shm", &st) == 0 ? std::string("/dev/shm") : std::string("/tmp")) +
                        "/tarvex_fuzz_bookshelf_" + std::to_string(getpid());
        mkdir(d.c_str(), 0755);
        std::atexit(removeFolder);
        return new std::string(d + "/");
    }();
    return *dir;
}

void write(const std::string& name, const std::string& text) {
    FILE* f = std::fopen((folder() + name).c_str(), "wb");
    if (!f) std::abort();
    std::fwrite(text.data(), 1, text.size(), f);
    std::fclose(f);
}

// The "Grid : X Y L" numbers of a .route text name a grid too large to allocate.
bool hugeGrid(const std::string& route) {
    const size_t at = route.find("Grid");
    if (at == std::string::npos) return false;
    long long x = 0, y = 0, l = 0;
    if (std::sscanf(route.c_str() + at, "Grid : %lld %lld %lld", &x, &y, &l) != 3) return false;
    return fuzz::acceptedGridAbove(x, y, l, 4000000);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<std::string> parts;
    std::string rest = fuzz::text(data, size), part;
    for (int i = 0; i < 6; ++i) {
        std::string next;
        if (!fuzz::split(rest, part, next)) return 0;
        parts.push_back(part);
        rest = next;
    }
    parts.push_back(rest);
    // Grids whose tables would not fit in memory are the grid-memory
    // estimate's refusal; the fuzzer is kept to grids it can allocate.
    if (hugeGrid(parts[5])) return 0;
    for (int i = 0; i < 7; ++i) write(kNames[i], parts[i]);
    write("f.wts", "");
    write("f.aux", "RowBasedPlacement : f.nodes f.nets f.wts f.pl f.scl f.shapes f.route\n");

    bookshelfRefusal = fuzz::unwind;
    NetDB db;
    parameterSet set;
    setDefaultParameter(db, set, false);
    try {
        Input_DAC((folder() + "f.aux").c_str(), db, set);
        read_place_file((folder() + "user.pl").c_str(), db);
        build_netlist_set(db, set, db.cells);
    } catch (const fuzz::Refused&) {
        return 0;
    }
    fuzz::expectRoutableDesign(db);
    // The placement and the reports add sizes and pin offsets to a cell's corner in int.
    for (const placeCell& c : db.cells) {
        FUZZ_EXPECT(static_cast<long long>(c.xlow) + c.width <= INT_MAX && static_cast<long long>(c.ylow) + c.height <= INT_MAX);
        for (const pinLocate& p : c.pins) {
            const long long x = static_cast<long long>(c.xlow) + p.xOffset, y = static_cast<long long>(c.ylow) + p.yOffset;
            FUZZ_EXPECT(x >= INT_MIN && x <= INT_MAX && y >= INT_MIN && y <= INT_MAX);
        }
    }
    return 0;
}
