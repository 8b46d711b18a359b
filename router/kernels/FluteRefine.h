#pragma once
// Refinement of the nets' spanning trees with their FLUTE Steiner trees.

#include <vector>

#include "database/NetDB.h"
#include "router/core/GlobalRouter.h"

// For every net of 3 to 149 G-cell pins: sets its reference length to the
// Steiner length and, when the Steiner tree is strictly shorter than the
// spanning tree, records the tree's straight segments in the net's tree-edge
// set and rebuilds its connections as a spanning tree that prefers joining
// pins hanging on the same Steiner node.
void initialRoute(GlobalRouter& router, std::vector<Net>& nets);
