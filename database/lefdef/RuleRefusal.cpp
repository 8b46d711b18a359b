// The one exit of the .rule reader on malformed input.

#include <cstdio>

#include "database/lefdef/LefDef.h"

RefusalHandler ruleFileRefusal = nullptr;

void refuseRuleFile(const char* fileName, int line, const std::string& reason) {
    std::fflush(stdout);
    std::fprintf(stderr, "%s:%d: %s\n", fileName, line, reason.c_str());
    endRefused(ruleFileRefusal);
}
