#include "app/Route3D.h"

#include <ctime>
#include <iostream>
#include <string>

#include "app/FlowSteps.h"
#include "app/ResultMeasure.h"
#include "database/Parser.h"
#include "database/PathOrder.h"
#include "database/Timer.h"
#include "layer_assignment/LA.h"
#include "router/schedules/Best3D.h"
#include "router/core/GlobalRouter.h"

namespace {

// A net whose pins share one G-cell on several layers has no connection; its
// pins are joined by the via stack over their layers, which the result writer
// writes for it. The stack is charged so that the report counts its vias.
void commitSingleCellStacks(GlobalRouter& router, NetDB& db) {
    std::vector<RPoint> stack;
    for (Net& net : db.nets) {
        int lo = 0, hi = 0;
        if (!singleCellPinStack(net, lo, hi)) continue;
        stack.clear();
        for (int z = lo; z < hi; ++z) stack.emplace_back(net.pin2D[0].x, net.pin2D[0].y, z, 2);
        router.Route3DPath(stack, net);
    }
}

}  // namespace

bool Route3D(GlobalRouter& router, NetDB& db, std::vector<Order>& orders, Graph& graph, parameterSet&,
             controlGR& control, const ResultMeasure* withoutStage) {
    Timer stage;
    stage.start();
    router.costMode3D = 3;
    router.initialFunc_3Dmap();
    for (Net& net : db.nets) net.wirelength = 0;
    for (Order& o : orders) {
        o.twopin->ripupCount = 0;
        router.Route3DPath(o.twopin->path, *o.twopin->parNet);
    }
    for (Order& o : orders) {
        TwoPin* tp = o.twopin;
        if (tp->needRouting) {
            router.RipUp3D(tp->path, *tp->parNet);
            router.monoRouting3D(tp);
            router.Route3DPath(tp->path, *tp->parNet);
        }
        tp->needRouting = false;
    }
    Best3D best;
    startBest3D(best, orders, router);
    router.costMode3D = 2;
    router.history3DMode = 1;
    router.initialFunc_3Dmap();
    router.fastRouting3D(db.nets, orders, control, &best);
    restoreBest3D(best, router);
    std::cout << "3D refinement keeps round " << best.round << ": total overflow " << router.totalOF << " (start "
              << best.startOF << ", last round " << best.lastOF << ")" << std::endl;
    commitSingleCellStacks(router, db);
    bool stageKept = true;
    if (withoutStage) {
        const ResultMeasure staged = measureRoutedPaths(db);
        stageKept = betterResult(staged, *withoutStage);
        const ResultMeasure& kept = stageKept ? staged : *withoutStage;
        const ResultMeasure& other = stageKept ? *withoutStage : staged;
        std::cout << "3D refinement keeps the result " << (stageKept ? "of" : "without") << " the 3D stage: "
                  << "total overflow " << kept.totalOverflow << ", wire length + vias " << kept.length
                  << (stageKept ? " (without the stage: " : " (with the stage: ") << "total overflow " << other.totalOverflow
                  << ", wire length + vias " << other.length << ")" << std::endl;
    }

    graph.reset(db);
    std::cout << "===================Start DP-based Layer Assignment with Negotiation Scheme==================="
              << std::endl;
    graph.convertGRtoLA(db);
    graph.COLA(0, 0, 0, false);
    std::cout << "Layer Assignment costs " << static_cast<double>(stage.getTime()) << " seconds" << std::endl
              << std::endl;
    return stageKept;
}

void refine3DAndWrite(GlobalRouter& router, NetDB& db, std::vector<Order>& orders, Graph& graph,
                      parameterSet& settings, controlGR& control, const char* resultName) {
    // The result without the stage comes first: its files are held as the run
    // without the stage writes them, and the stage's files replace them only
    // when its result is better.
    const ResultMeasure withoutStage = measureAssignedTrees(graph, db);
    writeLayerAssignedResult(resultName, settings, graph, false);

    std::cout << "Start 3D GlobalRouting...." << std::endl;
    graph.convertLAtoGR(db);
    router.initial3Dmalloc();
    router.initial3DRouting(db.hTracks, db.vTracks, db.adjLocate, db.adjCapacity, db.pinCount,
                            settings.Pin_Blockage_Factor);
    const bool stageKept = Route3D(router, db, orders, graph, settings, control, &withoutStage);

    clock_t outStart = clock();
    if (settings.Output_Routing_Result) {
        std::cout << "output routing result = " << resultName << std::endl;
        if (stageKept) outputFile(resultName, db);
    }
    if (settings.Output_Overflow_Information) {
        const std::string reportName = std::string(resultName) + ".ofinfo";
        std::cout << "output overflow infomation file = " << reportName << std::endl;
        if (stageKept) router.outputOverflowInfo(reportName.c_str());
    }
    std::cout << "Output File costs " << cpuSeconds(outStart, clock()) << " seconds" << std::endl << std::endl;
}
