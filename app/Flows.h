#pragma once
// The flows of the run modes.

#include "database/NetDB.h"
#include "database/Settings.h"
#include "router/ControlGR.h"

class GlobalRouter;

// Full global-routing run: 2D routing, layer assignment, result and report files.
void main_ispd(NetDB& db, parameterSet& settings, const char* resultName, GlobalRouter& router,
               controlGR& control);
