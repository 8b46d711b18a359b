#include "app/FlowSteps.h"

#include <ctime>
#include <iostream>
#include <string>

#include "database/Timer.h"
#include "layer_assignment/LA.h"
#include "router/core/GlobalRouter.h"

namespace {

const char* layerAssignmentBanner(int algorithm) {
    switch (algorithm) {
        case 1: return "===================Start Greedy Layer Assignment===================";
        case 2: return "===================Start DP-based Layer Assignment without Negotiation Scheme===================";
        default: return "===================Start DP-based Layer Assignment with Negotiation Scheme===================";
    }
}

}  // namespace

void printCpuTotalTime() {
    std::cout << "!!!!!!!!!  CPU  Total Time: " << cpuSeconds(totalTime, clock()) << " seconds  !!!!!!!"
              << std::endl
              << std::endl;
}

void runLayerAssignment(NetDB& db, parameterSet& settings, Graph& graph, bool releasePaths) {
    clock_t laStart = clock();
    std::cout << layerAssignmentBanner(settings.Layer_Assignment_Algorithm) << std::endl;
    graph.initialLA(db, settings.Via_Cost, settings.Pin_Blockage_Factor);
    graph.convertGRtoLA(db, releasePaths);
    switch (settings.Layer_Assignment_Algorithm) {
        case 1: graph.fastLA(0, 0, 0, false); break;
        case 2: graph.COLA(0, 0, 0, false); break;
        default: graph.NVM(0, 0, 0, false); break;
    }
    std::cout << "Layer Assignment costs " << cpuSeconds(laStart, clock()) << " seconds" << std::endl << std::endl;
    printCpuTotalTime();
}

void writeLayerAssignedResult(const char* resultName, parameterSet& settings, Graph& graph, bool announce) {
    std::string reportName = std::string(resultName) + ".ofinfo";
    if (settings.Output_Routing_Result) {
        if (announce) std::cout << "output routing result = " << resultName << std::endl;
        graph.output3Dresult(resultName);
    }
    if (settings.Output_Overflow_Information) {
        if (announce) std::cout << "output overflow infomation file = " << reportName << std::endl;
        graph.outputOverflowInfo(reportName.c_str());
    }
}

void setFastScheduleCosts(GlobalRouter& router, parameterSet& settings) {
    router.historyDivisor = 50.0f;
    router.sigmoidSlope = 0.5;
    router.historyExponent = 1.8;
    router.costScale = 10.0f;
    router.initialCostArray();
    router.costOffset = static_cast<float>(settings.Wirelength_Optimization_Level);
    router.costMode2D = 2;
    router.initialFunc_2Dmap(2);
}
