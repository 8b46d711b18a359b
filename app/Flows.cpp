#include "app/Flows.h"

#include "app/FlowSteps.h"

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <iostream>
#include <string>
#include <vector>

#include "app/Route3D.h"
#include "database/Timer.h"
#include "decomposition/Decompose.h"
#include "layer_assignment/LA.h"
#include "router/kernels/FluteRefine.h"
#include "router/schedules/GlobalRoute2D.h"
#include "router/core/GlobalRouter.h"
#include "router/core/PhaseRelease.h"

void routeRegular2D(NetDB& db, parameterSet& settings, GlobalRouter& router, controlGR& control,
                    std::vector<Order>& orders) {
    router.initial2DGraph(db.adjLocate, db.adjCapacity);
    router.initialVirtualDem(db.pinCount, settings.Pin_Blockage_Factor);
    router.viaCost = settings.Via_Cost;

    std::cout << "Net Decomposition" << std::endl;
    BuildCongestionDrivenTree(db.nets);
    initialRoute(router, db.nets);

    std::cout << "Start 2D GlobalRouting...." << std::endl;
    GlobalRoute2D(router, db, orders, settings, control);
}

void main_ispd(NetDB& db, parameterSet& settings, const char* resultName, GlobalRouter& router,
               controlGR& control) {
    std::vector<Order> orders;
    Graph graph;

    routeRegular2D(db, settings, router, control, orders);
    // Without 3D rounds the 2D search state and the 2D paths are dead once the
    // trees of layer assignment stand.
    const bool only2D = settings.Optimization_3D_Iteration == 0;
    if (only2D) releaseAfter2D(router, db);
    printCpuTotalTime();

    runLayerAssignment(db, settings, graph, only2D);

    if (settings.Optimization_3D_Iteration != 0) {
        refine3DAndWrite(router, db, orders, graph, settings, control, resultName);
        return;
    }
    clock_t outStart = clock();
    writeLayerAssignedResult(resultName, settings, graph);
    std::cout << "Output File costs " << cpuSeconds(outStart, clock()) << " seconds" << std::endl << std::endl;
}
