// ISPD'08 benchmark reader: every input is read or refused, and an accepted
// benchmark holds what the router relies on.
#include "tests/fuzz/DesignInvariants.h"
#include "tests/fuzz/FuzzHarness.h"

#include "database/NetDB.h"
#include "database/Parser.h"
#include "database/Settings.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string in = fuzz::text(data, size);
    // Grids whose tables would not fit in memory are the grid-memory
    // estimate's refusal; the fuzzer is kept to grids it can allocate.
    if (fuzz::acceptedGridAbove(in, 4000000)) return 0;
    ispdRefusal = fuzz::unwind;
    NetDB db;
    parameterSet set;
    setDefaultParameter(db, set, false);
    try {
        readIspdText("fuzz.gr", in, db, set);
    } catch (const fuzz::Refused&) {
        return 0;
    }
    fuzz::expectRoutableDesign(db);
    for (const Net& n : db.nets) FUZZ_EXPECT(n.pin2D.size() >= 2 && n.pin3D.size() >= n.pin2D.size());
    return 0;
}
