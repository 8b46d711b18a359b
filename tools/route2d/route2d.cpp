// Runs the 2D part of a regular routing run on an ISPD'08 benchmark and
// reports its result and resources:
//   route2d_driver <benchmark> <settings.set> [maze iteration limit]
// Prints the schedule's own lines, then one summary line
//   "route2d: totalOF=... Wlen2D=... cpu=...s peakRSS=...KB"

#include <sys/resource.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <vector>

#include "database/NetDB.h"
#include "database/Parser.h"
#include "database/Settings.h"
#include "database/Timer.h"
#include "router/core/ControlGR.h"
#include "app/Flows.h"
#include "router/core/GlobalRouter.h"

int main(int argc, char** argv) {
    if (argc != 3 && argc != 4) {
        fprintf(stderr, "usage: route2d_driver <benchmark> <settings.set> [maze iteration limit]\n");
        return 1;
    }
    const clock_t start = clock();
    NetDB db;
    parameterSet set;
    setDefaultParameter(db, set, true);
    Input_Setting(argv[2], db, set);
    Input_ISPD(argv[1], db, set);
    if (argc == 4) {
        char* end = nullptr;
        const long limit = strtol(argv[3], &end, 10);
        if (end == argv[3] || *end != '\0') {
            fprintf(stderr, "route2d: maze iteration limit \"%s\" is not a number\n", argv[3]);
            return 1;
        }
        set.Maze_Routing_Iteration = static_cast<int>(limit);
    }

    GlobalRouter router(db.gridX, db.gridY, db.layerNum, db.totalHorizontalTracks, db.totalVerticalTracks,
                        db.hTracks, db.vTracks, db.pitch);
    controlGR control;
    control.maxIter = set.Maze_Routing_Iteration;
    control.timeLimit = static_cast<float>(set.Maze_Routing_Timeout);

    std::vector<Order> orders;
    routeRegular2D(db, set, router, control, orders);

    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    printf("route2d: totalOF=%lld Wlen2D=%d cpu=%.2fs peakRSS=%ldKB\n", router.totalOF, router.Wlen2D,
           cpuSeconds(start, clock()), usage.ru_maxrss);
    return 0;
}
