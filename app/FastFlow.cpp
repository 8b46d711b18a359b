// The fast (congestion-estimation) routing flow: decomposition, the initial
// and fast routing schedules, then layer assignment and the outputs.

#include <vector>

#include "app/FlowSteps.h"
#include "app/Route3D.h"
#include "app/Flows.h"
#include "database/Timer.h"
#include "decomposition/Decompose.h"
#include "layer_assignment/LA.h"
#include "router/kernels/FluteRefine.h"
#include "router/core/GlobalRouter.h"
#include "router/core/PhaseRelease.h"
#include "router/schedules/RoutingOrder.h"

void main_congestion_estimator(NetDB& db, parameterSet& settings, const char* resultName, GlobalRouter& router,
                               controlGR& control, bool refineTrees, bool assignLayers) {
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
    setFastScheduleCosts(router, settings);
    router.fastRouting(db.nets, orders, control);

    if (control.verbose) printCPUTime();
    printCpuTotalTime();
    if (!assignLayers) return;

    Graph graph;
    // Without 3D rounds the 2D search state and the 2D paths are dead once the
    // trees of layer assignment stand, as in the regular flow.
    const bool only2D = settings.Optimization_3D_Iteration == 0;
    if (only2D) releaseAfter2D(router, db);
    runLayerAssignment(db, settings, graph, only2D);
    if (settings.Optimization_3D_Iteration != 0) {
        // With 3D rounds the result and report come from the refined 3D paths,
        // as in the regular flow.
        refine3DAndWrite(router, db, orders, graph, settings, control, resultName);
        return;
    }
    writeLayerAssignedResult(resultName, settings, graph);
}
