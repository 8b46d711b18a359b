// The routability-driven placement flow ("PLACE"): in every iteration the nets
// are decomposed over the current cell positions and routed quickly, the router
// moves cells towards cheaper tiles, the cells are legalized and improved
// locally, and the routing nets are rebuilt from the moved cells.

#include <cstdio>
#include <iostream>
#include <vector>

#include "app/FlowSteps.h"
#include "app/PlacementFlows.h"
#include "app/PlacementRefusals.h"
#include "database/PlacementWriters.h"
#include "database/Timer.h"
#include "database/bookshelf/Bookshelf.h"
#include "decomposition/MovableTree.h"
#include "router/core/GlobalRouter.h"
#include "router/schedules/RoutingOrder.h"

void main_movable_router(NetDB& db, parameterSet& settings, const char* resultName, GlobalRouter& router,
                         controlGR& control, bool, bool) {
    std::vector<Order> orders;
    refuseUnplaceableDesign(db);
    // Without an iteration no cell moves and nothing is legalized.
    if (settings.Placement_Iteration > 0) refusePinsCarriedPastTheBound(db, true);
    initialPlacementFromDesign(db, settings, router);
    if (settings.Placement_Iteration > 0) refuseImpossibleLegalization(db, router.placement);
    // Local rows stay valid from their building until the next legalization.
    bool localRowsBuilt = false;
    for (int i = 0; i < settings.Placement_Iteration; ++i) {
        printf("!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!! Iteration %d  !!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!\n", i);
        orders.clear();
        router.initial2DGraph(db.adjLocate, db.adjCapacity);
        if (settings.Avoiding_Blockage_Factor > 1.0) router.initblockAwareModle(settings.Avoiding_Blockage_Factor);
        puts("BuildMovableTree");
        BuildMovableTree(db, router);
        initialSort(orders, db.nets);
        router.placement.initVirtualDem();
        // The usage before any net is routed: overflow is counted above it when
        // the re-placement loop changes the virtual demand.
        router.placement.baseUsageH = router.graph.usageH;
        router.placement.baseUsageV = router.graph.usageV;
        router.initialRouting(db.nets, orders, settings.Pattern_Routing_Iteration,
                              settings.Monotonic_Routing_Iteration, control);
        setFastScheduleCosts(router, settings);
        router.reachMapKernel = 0;

        router.place_and_route(db.nets, orders, control, settings.Rounds_Per_Iteration, i);
        router.legalize();
        localRowsBuilt = false;
        if (settings.Local_Detailed_Placement > 0) {
            router.placement.buildLocalRow();
            localRowsBuilt = true;
            router.localDetailedPlace(settings.Local_Detailed_Placement);
        }
        router.clearCellInfo();
        // The orders point into the nets that are about to be replaced.
        orders.clear();
        build_netlist_set(db, settings, router.placement.cells);
    }
    if (settings.Local_Detailed_Placement > 0) {
        BuildMovableTree(db, router);
        // Without an iteration no local rows exist yet: build them (from the
        // sub-rows, which hold only legalized cells) before the passes read them.
        if (!localRowsBuilt) router.placement.buildLocalRow();
        router.localDetailedPlace(settings.Local_Detailed_Placement);
    }
    if (control.verbose) printCPUTime();
    db.cells = router.placement.cells;
    std::cout << "output placment result = " << resultName << std::endl;
    outputCell(resultName, db);
}
