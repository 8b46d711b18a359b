#pragma once
// Net decomposition: every routing net becomes two-pin connections along the
// rectilinear minimum spanning tree of its pins.

#include <vector>

#include "database/NetDB.h"

// Joins each net's G-cell pins by their spanning tree, appends one unrouted
// connection per tree edge and sets the net's wirelength and referenceLength
// to the tree length. Prints "BuildTree cost <seconds> s".
void BuildCongestionDrivenTree(std::vector<Net>& nets);
