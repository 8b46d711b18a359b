#pragma once
// Read-only reports on a placed Bookshelf design: half-perimeter wire length and
// the nets that a routing log names as impossible to reroute.

#include <istream>
#include <string>

#include "app/CommandLine.h"
#include "database/NetDB.h"
#include "database/Refusal.h"
#include "database/Settings.h"

class GlobalRouter;

// Runs "CONVERT", "HPWL" or "LOOK": reads the Bookshelf set and the placement
// (and, for the two reports, builds the routing nets), then the mode's work.
// Returns the exit status.
int runAnalysisMode(const CommandLine& cmd, NetDB& db, parameterSet& settings);

// Total half-perimeter wire length over the routing nets, share of pins on
// movable cells and number of nets within one G-cell.
void report_HPWL(NetDB& db);

// Counts the nets named by "*WARNING* Cannot reroute connection for net net<N>"
// lines of the log by G-cell pin count and sums their FLUTE Steiner lengths.
// Net numbers outside the net lists and nets without pins are reported on
// standard error and skipped; a named net too wide for FLUTE's int lengths
// ends the run, as one of more than 999 pins does.
void look_LOG(const char* logName, NetDB& db, GlobalRouter& router);

// What look_LOG counts over a log: named nets by G-cell pin count (bin 9: nine
// or more), the nets counted and the sum of their Steiner lengths.
struct RoutingLogCounts {
    int bins[10] = {};
    int unroutable = 0;
    long long removedLength = 0;
};

// The counting of look_LOG over an open log named logName, with the FLUTE
// tables loaded; prints nothing but the line faults.
RoutingLogCounts countUnroutableNets(const char* logName, std::istream& log, const NetDB& db);

// The one exit of the log analysis on input it cannot go on with: "log:line: reason"
// on standard error, status 1 (through routingLogRefusal).
[[noreturn]] void refuseRoutingLog(const char* logName, long line, const std::string& reason);
// Refusal hook of the routing-log analysis (see database/Refusal.h).
extern RefusalHandler routingLogRefusal;
