#include "database/bookshelf/BookshelfFail.h"

#include <cstdio>
#include <cstdlib>

void failInput(const char* file, int line, const std::string& reason) {
    std::fflush(stdout);
    std::fprintf(stderr, "%s:%d: %s\n", file, line, reason.c_str());
    std::exit(1);
}
