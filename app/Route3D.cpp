#include "app/Route3D.h"

#include <ctime>
#include <iostream>
#include <string>

#include "database/Parser.h"
#include "database/Timer.h"
#include "layer_assignment/LA.h"
#include "router/GlobalRouter.h"

void Route3D(GlobalRouter& router, NetDB& db, std::vector<Order>& orders, Graph& graph, parameterSet&,
             controlGR& control) {
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
    router.costMode3D = 2;
    router.history3DMode = 1;
    router.initialFunc_3Dmap();
    router.fastRouting3D(db.nets, orders, control);

    graph.reset(db);
    std::cout << "===================Start DP-based Layer Assignment with Negotiation Scheme==================="
              << std::endl;
    graph.convertGRtoLA(db);
    graph.COLA(0, 0, 0, false);
    std::cout << "Layer Assignment costs " << static_cast<double>(stage.getTime()) << " seconds" << std::endl
              << std::endl;
}

void refine3DAndWrite(GlobalRouter& router, NetDB& db, std::vector<Order>& orders, Graph& graph,
                      parameterSet& settings, controlGR& control, const char* resultName) {
    std::cout << "Start 3D GlobalRouting...." << std::endl;
    graph.convertLAtoGR(db);
    router.initial3Dmalloc();
    router.initial3DRouting(db.hTracks, db.vTracks, db.adjLocate, db.adjCapacity, db.pinCount,
                            settings.Pin_Blockage_Factor);
    Route3D(router, db, orders, graph, settings, control);

    clock_t outStart = clock();
    if (settings.Output_Routing_Result) {
        std::cout << "output routing result = " << resultName << std::endl;
        outputFile(resultName, db);
    }
    if (settings.Output_Overflow_Information) {
        const std::string reportName = std::string(resultName) + ".ofinfo";
        std::cout << "output overflow infomation file = " << reportName << std::endl;
        router.outputOverflowInfo(reportName.c_str());
    }
    std::cout << "Output File costs " << cpuSeconds(outStart, clock()) << " seconds" << std::endl << std::endl;
}
