#pragma once
// Steps shared by the routing flows once every connection holds its 2D path.

#include "database/NetDB.h"
#include "database/Settings.h"

class Graph;

// "!!!!!!!!!  CPU  Total Time: " with the CPU seconds since start-up, and an empty line.
void printCpuTotalTime();

// Layer assignment by `Layer_Assignment_Algorithm`: its banner, the assignment
// into `graph`, the "Layer Assignment costs " line and the CPU total time line.
void runLayerAssignment(NetDB& db, parameterSet& settings, Graph& graph);

// The routing result and the ".ofinfo" report from the assigned layers, each
// when the settings ask for it.
void writeLayerAssignedResult(const char* resultName, parameterSet& settings, Graph& graph);
