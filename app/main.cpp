// Tarvex: global router and routability-driven placer.

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <iostream>
#include <string>
#include <utility>
#include <vector>

#include "app/AnalysisFlows.h"
#include "app/CommandLine.h"
#include "app/Flows.h"
#include "app/PlacementFlows.h"
#include "app/OutputFiles.h"
#include "database/AtomicOutput.h"
#include "database/MemoryBudget.h"
#include "database/NetDB.h"
#include "database/Parser.h"
#include "database/Settings.h"
#include "database/Timer.h"
#include "database/bookshelf/Bookshelf.h"
#include "router/core/ControlGR.h"
#include "router/core/GlobalRouter.h"

namespace {

bool isRoutingMode(RunMode m) {
    return m == RunMode::RegularIspd || m == RunMode::FastIspd || m == RunMode::Regular ||
           m == RunMode::Legal || m == RunMode::Place || m == RunMode::Fast || m == RunMode::TwoPinDump;
}

}  // namespace

int main(int argc, char** argv) {
    clock_t runStart = clock();
    installOutOfMemoryHandler();
    CommandLine cmd = parseCommandLine(argc, argv);
    if (cmd.mode == RunMode::Invalid) {
        printUsage();
        return 1;
    }

    NetDB db;
    parameterSet settings;

    // The run's output files appear together once the run has made them all.
    beginOutputGroup();
    if (!isRoutingMode(cmd.mode)) {
        const int status = runAnalysisMode(cmd, db, settings);
        commitRunOutputs();
        return status;
    }

    setDefaultParameter(db, settings, true);
    Input_Setting(cmd.setFile.c_str(), db, settings);
    requireRoutingSettings(cmd.setFile.c_str(), settings);

    // The result and report are checked now, not after the routing.
    const bool ispd = cmd.mode == RunMode::RegularIspd || cmd.mode == RunMode::FastIspd;
    const bool placing = cmd.mode == RunMode::Legal || cmd.mode == RunMode::Place || cmd.mode == RunMode::TwoPinDump;
    std::vector<std::string> outputs;
    if (placing || settings.Output_Routing_Result) outputs.push_back(cmd.resultName);
    if (!placing && settings.Output_Overflow_Information) outputs.push_back(cmd.resultName + ".ofinfo");
    std::vector<std::string> inputs = {cmd.designFile, cmd.plFile, cmd.setFile, "POWV9.dat", "POST9.dat"};
    if (!ispd) {
        for (std::string& name : readAuxFileNames(cmd.designFile.c_str())) inputs.push_back(std::move(name));
    }
    checkOutputFiles(outputs, inputs);

    // The placement flows never run the 3D stage, whatever the .set file asks:
    // the readers' memory check must not count its tables.
    if (placing) settings.Optimization_3D_Iteration = 0;

    if (ispd) {
        Input_ISPD(cmd.designFile.c_str(), db, settings);
    } else {
        Input_DAC(cmd.designFile.c_str(), db, settings);
        read_place_file(cmd.plFile.c_str(), db);
        build_netlist_set(db, settings, db.cells);
    }

    if (cmd.mazeIterations != -1) settings.Maze_Routing_Iteration = cmd.mazeIterations;
    std::cout << "Input File costs " << cpuSeconds(runStart, clock()) << " seconds" << std::endl << std::endl;

    GlobalRouter router(db.gridX, db.gridY, db.layerNum, db.totalHorizontalTracks, db.totalVerticalTracks,
                        db.hTracks, db.vTracks, db.pitch);

    controlGR control;
    control.maxIter = settings.Maze_Routing_Iteration;
    control.timeLimit = static_cast<float>(settings.Maze_Routing_Timeout);
    control.verbose = true;

    if (cmd.mode == RunMode::RegularIspd || cmd.mode == RunMode::Regular) {
        main_ispd(db, settings, cmd.resultName.c_str(), router, control);
    } else if (cmd.mode == RunMode::FastIspd || cmd.mode == RunMode::Fast) {
        main_congestion_estimator(db, settings, cmd.resultName.c_str(), router, control, false, true);
    } else if (cmd.mode == RunMode::Legal) {
        main_legalizer(db, settings, cmd.resultName.c_str(), router, control);
    } else if (cmd.mode == RunMode::Place) {
        main_movable_router(db, settings, cmd.resultName.c_str(), router, control, false, false);
    } else {
        main_get_two_pin(db, settings, cmd.resultName.c_str(), router);
    }

    commitRunOutputs();
    std::cout << "!!!!!!!!!  CPU  Total Time: " << cpuSeconds(runStart, clock()) << " seconds  !!!!!!!" << std::endl;
    // The process ends here: its memory goes back at once, without tearing
    // down the router and the design one object at a time.
    std::exit(0);
}
