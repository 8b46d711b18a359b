#pragma once
// Memory that a phase frees when it ends.

#include "database/NetDB.h"

class GlobalRouter;

// The net's Steiner-tree edges: only pattern routing reads them.
void releaseTreeEdges(Net& net);

// After 2D routing, when no 3D refinement follows: the nets' edge-use counts and
// the router's search state (maze cells, cached 2D costs, dynamic-programming
// work maps). Layer assignment reads only the paths; usage and history stay.
void releaseAfter2D(GlobalRouter& router, NetDB& db);
