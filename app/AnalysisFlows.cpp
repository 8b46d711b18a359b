#include "app/AnalysisFlows.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iostream>
#include <string>
#include <utility>
#include <vector>

#include "app/OutputFiles.h"
#include "app/PlacementRefusals.h"
#include "database/FolderRefusal.h"
#include "database/bookshelf/Bookshelf.h"
#include "database/lefdef/LefDef.h"
#include "decomposition/flute.h"
#include "router/core/GlobalRouter.h"

void report_HPWL(NetDB& db) {
    long long total = 0;
    long long movablePins = 0, allPins = 0;
    int localNets = 0;
    for (const Net& net : db.nets) {
        if (net.pin2D.size() == 1) ++localNets;
        if (net.pins.empty()) continue;
        long long lx = LLONG_MAX, ly = LLONG_MAX, hx = LLONG_MIN, hy = LLONG_MIN;
        for (const pinLocate& p : net.pins) {
            const placeCell& c = db.cells[p.cell];
            const long long x = static_cast<long long>(c.xlow) + p.xOffset;
            const long long y = static_cast<long long>(c.ylow) + p.yOffset;
            lx = std::min(lx, x);
            hx = std::max(hx, x);
            ly = std::min(ly, y);
            hy = std::max(hy, y);
            if (c.type == 0) ++movablePins;
            ++allPins;
        }
        total += (hx - lx) + (hy - ly);
    }
    const double ratio =
        allPins == 0 ? 0.0 : static_cast<double>(static_cast<float>(movablePins) / static_cast<float>(allPins));
    printf("totalHPWL = %lld  movePinRatio=%.2lf  localNetNum=%d\n", total, ratio, localNets);
}

namespace {

const char kRerouteWarning[] = "*WARNING* Cannot reroute connection for net net";
constexpr size_t kRerouteWarningLength = sizeof(kRerouteWarning) - 1;  // 47 characters

// Steiner length of the net's pins (cell corner plus offsets), or -1 when the
// net is too wide for FLUTE's int lengths: its tree has 2d - 3 edges within
// the pins' bounding box, so (2d - 3) x (width + height) must fit an int. The
// pins are measured from the box's lower-left corner, as the length does not
// depend on where the net lies.
long long steinerLength(const NetDB& db, const netInfo& net, std::vector<long long>& at, std::vector<int>& xs,
                        std::vector<int>& ys) {
    const int degree = static_cast<int>(net.pins.size());
    if (degree < 2) return 0;
    at.resize(2 * static_cast<size_t>(degree));
    long long lx = LLONG_MAX, ly = LLONG_MAX, hx = LLONG_MIN, hy = LLONG_MIN;
    for (int k = 0; k < degree; ++k) {
        const pinLocate& p = net.pins[k];
        const long long x = static_cast<long long>(db.cells[p.cell].xlow) + p.xOffset;
        const long long y = static_cast<long long>(db.cells[p.cell].ylow) + p.yOffset;
        at[2 * k] = x;
        at[2 * k + 1] = y;
        lx = std::min(lx, x);
        hx = std::max(hx, x);
        ly = std::min(ly, y);
        hy = std::max(hy, y);
    }
    if ((2LL * degree - 3) * ((hx - lx) + (hy - ly)) > INT_MAX) return -1;
    xs.resize(degree);
    ys.resize(degree);
    for (int k = 0; k < degree; ++k) {
        xs[k] = static_cast<int>(at[2 * k] - lx);
        ys[k] = static_cast<int>(at[2 * k + 1] - ly);
    }
    Tree tree = flute(degree, xs.data(), ys.data(), 3);
    const long long length = tree.length;
    delete[] tree.nodes;
    return length;
}

}  // namespace

void look_LOG(const char* logName, NetDB& db, GlobalRouter& router) {
    refuseFolder(logName, routingLogRefusal);
    std::ifstream log(logName);
    if (!log) {
        std::cerr << "File " << logName << " not exists!" << std::endl;
        endRefused(routingLogRefusal);
    }
    router.initialPlacement(db.cells, db.rows, db.originX, db.originY, db.tileW, db.tileH, 0.0, 0);
    router.initial2DGraph(db.adjLocate, db.adjCapacity);
    readLUT();

    const RoutingLogCounts counts = countUnroutableNets(logName, log, db);
    for (int i = 0; i < 10; ++i) printf("binNum[%d] = %d\n", i, counts.bins[i]);
    printf("unRouteNet=%d  localNet=%d  removed flute length %lld\n", counts.unroutable, counts.bins[1],
           counts.removedLength);
}

RoutingLogCounts countUnroutableNets(const char* logName, std::istream& log, const NetDB& db) {
    RoutingLogCounts counts;
    const long long netCount = static_cast<long long>(std::min(db.netInfos.size(), db.nets.size()));
    std::vector<long long> at;
    std::vector<int> xs, ys;
    std::string line;
    long lineNo = 0;
    while (std::getline(log, line)) {
        ++lineNo;
        if (line.compare(0, kRerouteWarningLength, kRerouteWarning) != 0) continue;
        const char* digits = line.c_str() + kRerouteWarningLength;
        char* end = nullptr;
        errno = 0;
        const long number = std::strtol(digits, &end, 10);
        if (end == digits) {
            std::fflush(stdout);
            fprintf(stderr, "%s:%ld: no net number after \"net net\", line skipped\n", logName, lineNo);
            continue;
        }
        if (errno == ERANGE || number < 0 || number >= netCount) {
            std::fflush(stdout);
            fprintf(stderr, "%s:%ld: net number %s is outside the %lld nets, line skipped\n", logName, lineNo,
                    std::string(digits, static_cast<size_t>(end - digits)).c_str(), netCount);
            continue;
        }
        const netInfo& net = db.netInfos[number];
        if (net.pins.empty()) {
            std::fflush(stdout);
            fprintf(stderr, "%s:%ld: net %ld has no pins, line skipped\n", logName, lineNo, number);
            continue;
        }
        ++counts.bins[std::min<size_t>(db.nets[number].pin2D.size(), 9)];
        if (net.pins.size() > 999) {
            printf("ERROR: %s %d\n", "interface", 2008);
            refuseRoutingLog(logName, lineNo,
                             "net " + std::to_string(number) + " has " + std::to_string(net.pins.size()) +
                                 " pins; at most 999 are measured");
        }
        const long long length = steinerLength(db, net, at, xs, ys);
        if (length < 0)
            refuseRoutingLog(logName, lineNo,
                             "net " + std::to_string(number) + " of " + std::to_string(net.pins.size()) +
                                 " pins is too wide to measure: (2 x pins - 3) x (width + height) of its pins' "
                                 "bounding box is above 2147483647");
        counts.removedLength += length;
        ++counts.unroutable;
    }
    return counts;
}

int runAnalysisMode(const CommandLine& cmd, NetDB& db, parameterSet& settings) {
    if (cmd.mode == RunMode::Convert) {
        // No output may name an input, checked before anything is read or written.
        const std::string& out = cmd.resultName;
        std::vector<std::string> inputs = {cmd.designFile, cmd.plFile, cmd.ruleFile};
        for (std::string& name : readAuxFileNames(cmd.designFile.c_str())) inputs.push_back(std::move(name));
        checkOutputFiles({out + ".aux", out + ".lef", out + ".def"}, inputs);
    }
    Input_DAC(cmd.designFile.c_str(), db, settings);
    read_place_file(cmd.plFile.c_str(), db);
    if (cmd.mode == RunMode::Convert) {
        refuseRowsForConversion(db);
        outputLEFDEF(cmd.resultName.c_str(), cmd.ruleFile.empty() ? nullptr : cmd.ruleFile.c_str(), db);
        return 0;
    }
    build_netlist_set(db, settings, db.cells);
    if (cmd.mode == RunMode::Hpwl) {
        report_HPWL(db);
        return 0;
    }
    GlobalRouter router(db.gridX, db.gridY, db.layerNum, db.totalHorizontalTracks, db.totalVerticalTracks, db.hTracks,
                        db.vTracks, db.pitch);
    look_LOG(cmd.logFile.c_str(), db, router);
    return 0;
}
