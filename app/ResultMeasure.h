#pragma once
// A routing result weighed as our result checker weighs the file written for
// it: the total overflow over the layer edges, where every net that uses an
// edge charges the pitch of its layer against the edge's capacity in capacity
// units (adjustments applied), and the wire length plus vias (unit edges plus
// the layers that vias cross). Each net's edges and vias count once, as the
// writers write them once.

#include "database/NetDB.h"

class Graph;

struct ResultMeasure {
    long long totalOverflow = 0;
    long long length = 0;  // wire length plus vias
};

// Lower total overflow, or the same and a lower wire length plus vias.
bool betterResult(const ResultMeasure& a, const ResultMeasure& b);

// The result that Graph::output3Dresult writes from the assigned trees.
ResultMeasure measureAssignedTrees(const Graph& graph, const NetDB& db);

// The result that outputFile writes from the connections' 3D paths.
ResultMeasure measureRoutedPaths(const NetDB& db);
