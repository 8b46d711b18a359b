#include "database/FolderRefusal.h"

#include <sys/stat.h>

#include <cstdio>

void refuseFolder(const char* fileName, RefusalHandler handler) {
    struct stat st;
    if (stat(fileName, &st) != 0 || !S_ISDIR(st.st_mode)) return;
    std::fflush(stdout);
    std::fprintf(stderr, "%s: is a folder\n", fileName);
    endRefused(handler);
}
