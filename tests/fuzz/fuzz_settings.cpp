// .set reader: every input is read or refused, and accepted values lie in
// the ranges the flows rely on.
#include "tests/fuzz/FuzzHarness.h"

#include "database/NetDB.h"
#include "database/Settings.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    settingsRefusal = fuzz::unwind;
    NetDB db;
    parameterSet set;
    setDefaultParameter(db, set, false);
    try {
        readSettingsText("fuzz.set", fuzz::text(data, size), set);
        requireRoutingSettings("fuzz.set", set);
    } catch (const fuzz::Refused&) {
        return 0;
    }
    FUZZ_EXPECT(set.Via_Cost >= 1 && set.Via_Cost <= 1000000);
    FUZZ_EXPECT(set.Pattern_Routing_Iteration >= 1 && set.Pattern_Routing_Iteration <= 1000);
    FUZZ_EXPECT(set.Monotonic_Routing_Iteration >= 0 && set.Monotonic_Routing_Iteration <= 1000);
    FUZZ_EXPECT(set.Post_Routing_Iteration >= 0 && set.Post_Routing_Iteration <= 1000);
    FUZZ_EXPECT(set.Maze_Routing_Iteration >= 0 && set.Maze_Routing_Timeout >= 0);
    FUZZ_EXPECT(set.Wirelength_Optimization_Level >= 10 && set.Wirelength_Optimization_Level <= 20000);
    FUZZ_EXPECT(set.Layer_Assignment_Algorithm >= 1 && set.Layer_Assignment_Algorithm <= 3);
    FUZZ_EXPECT(set.Pin_Blockage_Factor >= 0.0 && set.Pin_Blockage_Factor <= 100.0);
    FUZZ_EXPECT(set.Avoiding_Blockage_Factor >= 1.0 && set.Avoiding_Blockage_Factor <= 1000.0);
    FUZZ_EXPECT(set.Placement_Iteration >= 0 && set.Rounds_Per_Iteration >= 0 && set.Local_Detailed_Placement >= 0);
    FUZZ_EXPECT(set.Blockage_Expanding >= 0);
    return 0;
}
