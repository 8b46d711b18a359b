// The fast (congestion-estimation) routing flow: decomposition, the initial
// and fast routing schedules, then layer assignment and the outputs.

#include <cstdio>
#include <cstdlib>
#include <vector>

#include "app/FlowSteps.h"
#include "app/Flows.h"
#include "database/Timer.h"
#include "decomposition/Decompose.h"
#include "layer_assignment/LA.h"
#include "router/FluteRefine.h"
#include "router/GlobalRouter.h"
#include "router/RoutingOrder.h"

void main_congestion_estimator(NetDB& db, parameterSet& settings, const char* resultName, GlobalRouter& router,
                               controlGR& control, bool refineTrees, bool assignLayers) {
    if (assignLayers && settings.Optimization_3D_Iteration != 0) {
        fprintf(stderr, "3D_Optimization_Iteration: the 3D refinement is not built yet; set it to 0\n");
        exit(1);
    }
    router.initial2DGraph(db.adjLocate, db.adjCapacity);
    router.initialVirtualDem(db.pinCount, settings.Pin_Blockage_Factor);
    router.viaCost = settings.Via_Cost;
    BuildCongestionDrivenTree(db.nets);
    if (refineTrees) initialRoute(router, db.nets);

    std::vector<Order> orders;
    initialSort(orders, db.nets);
    router.initialRouting(db.nets, orders, settings.Pattern_Routing_Iteration,
                          settings.Monotonic_Routing_Iteration, control);

    // Negotiation costs of the fast schedule.
    router.historyDivisor = 50.0f;
    router.sigmoidSlope = 0.5;
    router.historyExponent = 1.8;
    router.costScale = 10.0f;
    router.initialCostArray();
    router.costOffset = static_cast<float>(settings.Wirelength_Optimization_Level);
    router.costMode2D = 2;
    router.initialFunc_2Dmap(2);
    router.fastRouting(db.nets, orders, control);

    if (control.verbose) printCPUTime();
    printCpuTotalTime();
    if (!assignLayers) return;

    Graph graph;
    runLayerAssignment(db, settings, graph);
    writeLayerAssignedResult(resultName, settings, graph);
}
