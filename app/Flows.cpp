#include "app/Flows.h"

#include "app/FlowSteps.h"

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <iostream>
#include <string>
#include <vector>

#include "database/Timer.h"
#include "decomposition/Decompose.h"
#include "layer_assignment/LA.h"
#include "router/FluteRefine.h"
#include "router/GlobalRoute2D.h"
#include "router/GlobalRouter.h"

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
    if (settings.Optimization_3D_Iteration != 0) {
        fprintf(stderr, "3D_Optimization_Iteration: the 3D refinement is not built yet; set it to 0\n");
        exit(1);
    }
    std::vector<Order> orders;
    Graph graph;

    routeRegular2D(db, settings, router, control, orders);
    printCpuTotalTime();

    runLayerAssignment(db, settings, graph);

    clock_t outStart = clock();
    writeLayerAssignedResult(resultName, settings, graph);
    std::cout << "Output File costs " << cpuSeconds(outStart, clock()) << " seconds" << std::endl << std::endl;
}
