// The one exit of the .rule reader on malformed input; kept in a file of its own
// so that a test harness can link its own version in its place.

#include <cstdio>
#include <cstdlib>

#include "database/lefdef/LefDef.h"

void refuseRuleFile(const char* fileName, int line, const std::string& reason) {
    std::fflush(stdout);
    std::fprintf(stderr, "%s:%d: %s\n", fileName, line, reason.c_str());
    std::exit(1);
}
