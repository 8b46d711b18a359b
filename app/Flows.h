#pragma once
// The flows of the run modes.

#include "database/NetDB.h"
#include "database/Settings.h"
#include "router/core/ControlGR.h"

#include <vector>

class GlobalRouter;

// The 2D half of the regular flow: prepares the router's 2D grid and virtual
// demand, decomposes and refines the nets, and runs the 2D negotiation schedule,
// leaving every connection with its 2D path and `orders` holding them all.
void routeRegular2D(NetDB& db, parameterSet& settings, GlobalRouter& router, controlGR& control,
                    std::vector<Order>& orders);

// Full global-routing run: 2D routing, layer assignment, result and report files.
void main_ispd(NetDB& db, parameterSet& settings, const char* resultName, GlobalRouter& router,
               controlGR& control);

// Fast (congestion-estimation) run: decomposition, optionally FLUTE refinement,
// the initial and fast routing schedules and, when `assignLayers` is set, layer
// assignment, result and report files.
void main_congestion_estimator(NetDB& db, parameterSet& settings, const char* resultName, GlobalRouter& router,
                               controlGR& control, bool refineTrees, bool assignLayers);
