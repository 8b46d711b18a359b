#pragma once
// Every reader's check that the name it is given is not a folder: opening a
// folder for reading succeeds on Linux and reads as an empty or broken file.
// Defined here, like Refusal.h, so that the FLUTE table loader, which links
// nothing else of the project, shares it.

#include <sys/stat.h>

#include <cstdio>

#include "database/Refusal.h"

// When fileName names a folder: "<fileName>: is a folder" on standard error,
// then the end of the run with status 1 through the reader's hook.
inline void refuseFolder(const char* fileName, RefusalHandler handler) {
    struct stat st;
    if (stat(fileName, &st) != 0 || !S_ISDIR(st.st_mode)) return;
    std::fflush(stdout);
    std::fprintf(stderr, "%s: is a folder\n", fileName);
    endRefused(handler);
}
