// The one exit of the routing-log analysis on input it cannot go on with.

#include <cstdio>

#include "app/AnalysisFlows.h"

RefusalHandler routingLogRefusal = nullptr;

void refuseRoutingLog(const char* logName, long line, const std::string& reason) {
    std::fflush(stdout);
    std::fprintf(stderr, "%s:%ld: %s\n", logName, line, reason.c_str());
    endRefused(routingLogRefusal);
}
