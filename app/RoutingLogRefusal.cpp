// The one exit of the routing-log analysis; kept in a file of its own so that a
// test harness can link its own version in its place.

#include <cstdio>
#include <cstdlib>

#include "app/AnalysisFlows.h"

void refuseRoutingLog(const char* logName, long line, const std::string& reason) {
    std::fflush(stdout);
    std::fprintf(stderr, "%s:%ld: %s\n", logName, line, reason.c_str());
    std::exit(1);
}
