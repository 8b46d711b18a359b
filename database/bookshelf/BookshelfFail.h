#pragma once
// The one exit of every Bookshelf reader on malformed input.

#include <string>

#include "database/Refusal.h"

// Prints "file:line: reason" on standard error and ends the run with status 1
// (through bookshelfRefusal).
[[noreturn]] void failInput(const char* file, int line, const std::string& reason);

// Refusal hook of the Bookshelf readers (see database/Refusal.h).
extern RefusalHandler bookshelfRefusal;
