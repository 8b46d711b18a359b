#pragma once
// Every reader's check that the name it is given is not a folder: opening a
// folder for reading succeeds on Linux and reads as an empty or broken file.

#include "database/Refusal.h"

// When fileName names a folder: "<fileName>: is a folder" on standard error,
// then the end of the run with status 1 through the reader's hook.
void refuseFolder(const char* fileName, RefusalHandler handler);
