// .rule reader of the LEF/DEF conversion: every input is read or refused, and
// the accepted rules are finite factors above 0 and at most kMaxRuleValue and
// the fields the file cannot name keep their defaults. (Track counts of tiny
// pitches on wide dies are the DEF writer's check.)
#include "tests/fuzz/FuzzHarness.h"

#include <cmath>

#include "database/lefdef/LefDef.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    ruleFileRefusal = fuzz::unwind;
    const DRC defaults;
    DRC drc;
    try {
        readDesignRulesText("fuzz.rule", fuzz::text(data, size), drc);
    } catch (const fuzz::Refused&) {
        return 0;
    }
    for (float v : {drc.WIRE_WIDTH, drc.WIRE_SPACE, drc.WIRE_PITCH, drc.VIA_BOTTOM_HALF, drc.VIA_MIDDLE_HALF,
                    drc.VIA_TOP_HALF, drc.PIN_WIDTH, drc.PIN_HEIGHT})
        FUZZ_EXPECT(std::isfinite(v) && v > 0.0f && v <= kMaxRuleValue);
    FUZZ_EXPECT(drc.dbu == defaults.dbu && drc.coordScale == defaults.coordScale);
    FUZZ_EXPECT(drc.padWidth == defaults.padWidth && drc.padHeight == defaults.padHeight);
    FUZZ_EXPECT(drc.metal1Pitch == defaults.metal1Pitch);
    return 0;
}
