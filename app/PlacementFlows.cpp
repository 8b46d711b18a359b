#include "app/PlacementFlows.h"

#include <cstdio>
#include <iostream>

#include "app/PlacementRefusals.h"
#include "database/PlacementWriters.h"
#include "decomposition/MovableTree.h"
#include "router/core/GlobalRouter.h"

void initialPlacementFromDesign(NetDB& db, parameterSet& settings, GlobalRouter& router) {
    router.initialPlacement(db.cells, db.rows, db.originX, db.originY, db.tileW, db.tileH,
                            settings.Pin_Blockage_Factor, settings.Blockage_Expanding);
}

void main_legalizer(NetDB& db, parameterSet& settings, const char* resultName, GlobalRouter& router,
                    controlGR& /*control*/) {
    refuseUnplaceableDesign(db);
    refusePinsCarriedPastTheBound(db, false);
    initialPlacementFromDesign(db, settings, router);
    refuseImpossibleLegalization(db, router.placement);
    std::cout << "block_expanding=" << settings.Blockage_Expanding << std::endl;
    router.legalize();
    db.cells = router.placement.cells;
    std::cout << "output placment result = " << resultName << std::endl;
    outputCell(resultName, db);
}

void main_get_two_pin(NetDB& db, parameterSet& settings, const char* resultName, GlobalRouter& router) {
    puts("start to decompose nets");
    initialPlacementFromDesign(db, settings, router);
    BuildMovableTree(db, router);
    puts("end");
    outputTwoPin(resultName, db);
}
