#pragma once
// A routing result weighed as our result checker weighs the file written for
// it: the total overflow over the layer edges in capacity units, where every
// net that uses an edge charges its width (at least the layer's minimum width)
// plus the layer's minimum spacing against the edge's capacity (adjustments
// applied as given), and the wire length plus vias (unit edges plus the layers
// that vias cross). Each net's edges and vias count as the writers write them.
// No virtual pin demand enters.

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
