#pragma once
// How a reader ends the run once it has printed why it refuses its input.
//
// Every reader has one hook of this type. In the program the hooks stay empty
// and a refusal ends the run with std::exit(status). A test harness may install
// a handler that unwinds back to itself (by throwing) so that a refused input
// counts as a refusal, not as the end of the process; a handler never returns
// normally, and when it does the run still ends.
#include <cstdlib>

using RefusalHandler = void (*)(int status);

[[noreturn]] inline void endRefused(RefusalHandler handler, int status = 1) {
    if (handler) handler(status);
    std::exit(status);
}
