#pragma once
// The placement-side flows on a Bookshelf design: legalization of a given
// placement and the two-pin dump.

#include "database/NetDB.h"
#include "database/Settings.h"
#include "router/core/ControlGR.h"

class GlobalRouter;

// Builds the router's placement database, legalizes every movable cell and writes
// the legal placement as a .pl file.
void main_legalizer(NetDB& db, parameterSet& settings, const char* resultName, GlobalRouter& router,
                    controlGR& control);

// Builds the placement database, decomposes every net over the real pin positions
// and writes the two-pin dump.
void main_get_two_pin(NetDB& db, parameterSet& settings, const char* resultName, GlobalRouter& router);

// Routability-driven placement: iterations of decomposition, fast routing, cell
// moves by the router, legalization and local detailed placement; writes the .pl.
void main_movable_router(NetDB& db, parameterSet& settings, const char* resultName, GlobalRouter& router,
                         controlGR& control, bool, bool);

// Builds the router's placement database from the design (the first step of every
// placement flow).
void initialPlacementFromDesign(NetDB& db, parameterSet& settings, GlobalRouter& router);
