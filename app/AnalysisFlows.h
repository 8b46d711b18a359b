#pragma once
// Read-only reports on a placed Bookshelf design: half-perimeter wire length and
// the nets that a routing log names as impossible to reroute.

#include <string>

#include "app/CommandLine.h"
#include "database/NetDB.h"
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
// standard error and skipped.
void look_LOG(const char* logName, NetDB& db, GlobalRouter& router);

// The one exit of the log analysis on input it cannot go on with: "log:line: reason"
// on standard error, status 1. Defined alone in its own file so that a test
// harness can link its own version in its place.
[[noreturn]] void refuseRoutingLog(const char* logName, long line, const std::string& reason);
