#pragma once
// Steps shared by the routing flows once every connection holds its 2D path.

#include "database/NetDB.h"
#include "database/Settings.h"

class Graph;
class GlobalRouter;

// "!!!!!!!!!  CPU  Total Time: " with the CPU seconds since start-up, and an empty line.
void printCpuTotalTime();

// Layer assignment by `Layer_Assignment_Algorithm`: its banner, the assignment
// into `graph`, the "Layer Assignment costs " line and the CPU total time line.
// With releasePaths the nets' 2D paths are freed once the trees are built.
void runLayerAssignment(NetDB& db, parameterSet& settings, Graph& graph, bool releasePaths = false);

// The routing result and the ".ofinfo" report from the assigned layers, each
// when the settings ask for it; with `announce` each under its console line.
void writeLayerAssignedResult(const char* resultName, parameterSet& settings, Graph& graph, bool announce = true);

// Negotiation costs of the fast schedule, also used by the re-placement loop:
// history divisor 50, sigmoid slope 0.5, history exponent 1.8, cost scale 10,
// cost offset `Wirelength_Optimization_Level`, 2D cost mode 2, cached costs refilled.
void setFastScheduleCosts(GlobalRouter& router, parameterSet& settings);
