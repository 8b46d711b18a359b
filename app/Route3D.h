#pragma once
// The 3D refinement stage of the routing flows.

#include <vector>

#include "database/NetDB.h"
#include "database/Settings.h"
#include "router/core/ControlGR.h"

class GlobalRouter;
class Graph;
struct ResultMeasure;

// Commits every handed-back 3D path, reroutes the flagged connections, runs
// the 3D negotiation and assigns layers afresh on `graph`. The router has its
// 3D tables prepared (initial3Dmalloc, initial3DRouting). With `withoutStage`
// (the measure of the result without the stage) the stage's result is weighed
// against it; returns whether the stage's result is the one to write, which is
// when it is strictly better (always without `withoutStage`).
bool Route3D(GlobalRouter& router, NetDB& db, std::vector<Order>& orders, Graph& graph, parameterSet& settings,
             controlGR& control, const ResultMeasure* withoutStage = nullptr);

// The 3D branch shared by the routing flows, after their layer assignment:
// the result and report of layer assignment, hand-back, 3D refinement, then
// the routing result and the overflow report that the settings ask for from
// the 3D paths when they are better, and the "Output File costs " line.
void refine3DAndWrite(GlobalRouter& router, NetDB& db, std::vector<Order>& orders, Graph& graph,
                      parameterSet& settings, controlGR& control, const char* resultName);
