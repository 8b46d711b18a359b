#pragma once
// The 2D negotiation schedule of the regular flow: pattern, monotonic,
// negotiated maze and post routing of every connection on the 2D grid.

#include <vector>

#include "database/NetDB.h"
#include "database/Settings.h"
#include "router/core/ControlGR.h"
#include "router/core/GlobalRouter.h"

// Routes every connection of db in 2D and negotiates the overflow away. orders
// is empty on entry and holds every connection on return.
void GlobalRoute2D(GlobalRouter& router, NetDB& db, std::vector<Order>& orders, parameterSet& set,
                   controlGR& control);

// Growth factor of a maze reroute's length bound for growth count c:
// (atan(c - offset) + atan(20)) * scale + 1.
double mazeLengthFactor(int c, int offset, double scale);

// Length bound of a maze reroute: (int)(manhattan * factor) + 2.
int mazeMaxLength(int manhattan, int c, int offset, double scale);
