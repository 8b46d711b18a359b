#pragma once
// The one exit of every Bookshelf reader on malformed input.

#include <string>

// Prints "file:line: reason" on standard error and ends the run with status 1.
// It is defined alone in its own source file so that a test or fuzz harness can
// link its own definition in its place (to throw, say) and intercept refusals.
[[noreturn]] void failInput(const char* file, int line, const std::string& reason);
