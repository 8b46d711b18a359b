#pragma once
// Evaluation of a routing result in the ISPD'08 result syntax against its benchmark:
// edge usage and overflow, wire length, and the connectivity of every net.

#include <cstdint>
#include <string>
#include <vector>

#include "tools/ispd_check/Benchmark.h"

namespace ispdcheck {

struct CheckReport {
    int64_t netsInResult = 0;
    int64_t totalOverflow = 0;        // capacity units, summed over layer edges
    int64_t maxOverflow = 0;          // capacity units, largest layer edge
    int64_t totalOverflowTracks = 0;  // per layer edge ceil(overflow / pitch), summed
    int64_t maxOverflowTracks = 0;
    int64_t overflow2DTracks = 0;     // over 2D edges: usage tracks of all layers minus their capacity tracks
    int64_t wireEdges = 0;            // G-cell edges covered by wires
    int64_t vias = 0;                 // layers crossed by vias
    int64_t wireLength() const { return wireEdges + vias; }

    int64_t errorCount = 0;           // connectivity errors and missing nets
    std::vector<std::string> errors;  // the first few messages, "file:line: reason"
};

// Reads and evaluates the result. Syntax errors throw InputError; connectivity errors and
// missing nets are counted in the report.
CheckReport checkResult(const Benchmark& bench, const std::string& resultPath);
// The same from the result's text, named resultPath in the messages.
CheckReport checkResultText(const Benchmark& bench, const std::string& resultPath, const std::string& text);

}  // namespace ispdcheck
