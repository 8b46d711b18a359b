#pragma once
// Rules of the fast rip-up-and-reroute schedule that shape each reroute.

#include <cstddef>

#include "database/Geometry.h"

// Threshold of the maze lottery (out of 30000) for a connection whose old path
// has `pathSteps` steps (at least 1) and `overflow` overflowed edges (at least
// 1): 7000 / (int)sqrt(steps) + 3500 - 500 / overflow, in integers.
int mazeLotteryThreshold(std::size_t pathSteps, int overflow);

// G-cells a box grows by on each enabled side at this reroute count (>= 1).
int boxGrowthStep(int rerouteCount);

// Grows the box by e on each enabled side across the dominant overflow: in x
// when the path overflows more vertically, else in y; kept inside the grid.
void growBox(BoundingBox& box, int hOF, int vOF, int e, int X, int Y);

// Length bound of a maze reroute in the fast schedule for growth count c.
int fastMazeMaxLength(int manhattan, int c);
