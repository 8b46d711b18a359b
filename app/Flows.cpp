#include "app/Flows.h"

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <iostream>
#include <string>
#include <vector>

#include "database/Timer.h"
#include "decomposition/Decompose.h"
#include "layer_assignment/LA.h"
#include "router/PhaseRelease.h"
#include "router/FluteRefine.h"
#include "router/GlobalRoute2D.h"
#include "router/GlobalRouter.h"

namespace {

void printTotalTime() {
    std::cout << "!!!!!!!!!  CPU  Total Time: " << cpuSeconds(totalTime, clock()) << " seconds  !!!!!!!"
              << std::endl
              << std::endl;
}

const char* layerAssignmentBanner(int algorithm) {
    switch (algorithm) {
        case 1: return "===================Start Greedy Layer Assignment===================";
        case 2: return "===================Start DP-based Layer Assignment without Negotiation Scheme===================";
        default: return "===================Start DP-based Layer Assignment with Negotiation Scheme===================";
    }
}

}  // namespace

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
    releaseAfter2D(router, db);  // no 3D rounds follow (see above)
    printTotalTime();

    clock_t laStart = clock();
    std::cout << layerAssignmentBanner(settings.Layer_Assignment_Algorithm) << std::endl;
    graph.initialLA(db, settings.Via_Cost, settings.Pin_Blockage_Factor);
    graph.convertGRtoLA(db, true);  // the result is written from the trees (no 3D rounds)
    switch (settings.Layer_Assignment_Algorithm) {
        case 1: graph.fastLA(0, 0, 0, false); break;
        case 2: graph.COLA(0, 0, 0, false); break;
        default: graph.NVM(0, 0, 0, false); break;
    }
    std::cout << "Layer Assignment costs " << cpuSeconds(laStart, clock()) << " seconds" << std::endl << std::endl;
    printTotalTime();

    clock_t outStart = clock();
    std::string reportName = std::string(resultName) + ".ofinfo";
    if (settings.Output_Routing_Result) {
        std::cout << "output routing result = " << resultName << std::endl;
        graph.output3Dresult(resultName);
    }
    if (settings.Output_Overflow_Information) {
        std::cout << "output overflow infomation file = " << reportName << std::endl;
        graph.outputOverflowInfo(reportName.c_str());
    }
    std::cout << "Output File costs " << cpuSeconds(outStart, clock()) << " seconds" << std::endl << std::endl;
}
