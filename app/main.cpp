// Tarvex: global router and routability-driven placer.

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <iostream>

#include "app/CommandLine.h"
#include "app/Flows.h"
#include "database/MemoryBudget.h"
#include "database/NetDB.h"
#include "database/Parser.h"
#include "database/Settings.h"
#include "database/Timer.h"
#include "router/ControlGR.h"
#include "router/GlobalRouter.h"

namespace {

[[noreturn]] void notBuilt(const CommandLine& c, const char* what) {
    fprintf(stderr, "%s: %s is not built yet\n", c.keyword.c_str(), what);
    exit(1);
}

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

    if (!isRoutingMode(cmd.mode)) {
        switch (cmd.mode) {
            case RunMode::Convert: notBuilt(cmd, "the Bookshelf reader and the LEF/DEF conversion");
            case RunMode::Hpwl: notBuilt(cmd, "the Bookshelf reader and the HPWL report");
            default: notBuilt(cmd, "the Bookshelf reader and the log analysis");
        }
    }

    setDefaultParameter(db, settings, true);
    Input_Setting(cmd.setFile.c_str(), db, settings);
    requireRoutingSettings(cmd.setFile.c_str(), settings);

    const bool ispd = cmd.mode == RunMode::RegularIspd || cmd.mode == RunMode::FastIspd;
    if (ispd) {
        Input_ISPD(cmd.designFile.c_str(), db, settings);
    } else {
        notBuilt(cmd, "the Bookshelf reader");
    }

    if (cmd.mazeIterations != -1) settings.Maze_Routing_Iteration = cmd.mazeIterations;
    std::cout << "Input File costs " << cpuSeconds(runStart, clock()) << " seconds" << std::endl << std::endl;

    GlobalRouter router(db.gridX, db.gridY, db.layerNum, db.totalHorizontalTracks, db.totalVerticalTracks,
                        db.hTracks, db.vTracks, db.pitch);

    controlGR control;
    control.maxIter = settings.Maze_Routing_Iteration;
    control.timeLimit = static_cast<float>(settings.Maze_Routing_Timeout);
    control.verbose = true;

    if (cmd.mode == RunMode::RegularIspd) {
        main_ispd(db, settings, cmd.resultName.c_str(), router, control);
    } else {
        notBuilt(cmd, "the fast routing flow");
    }

    std::cout << "!!!!!!!!!  CPU  Total Time: " << cpuSeconds(runStart, clock()) << " seconds  !!!!!!!" << std::endl;
    // The process ends here: its memory goes back at once, without tearing
    // down the router and the design one object at a time.
    std::exit(0);
}
