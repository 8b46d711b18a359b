#pragma once
// Readers of the design files.

struct NetDB;
struct parameterSet;

// Reads an ISPD'08 global-routing benchmark into a fresh NetDB: grid, per-layer
// capacities and tracks, origin and G-cell size, the nets with their G-cell
// pins, the pin count per G-cell and the capacity adjustments. Nets whose pins
// all lie in one G-cell, or with more distinct pins than settings.maxPinsPerNet,
// are dropped. A file that cannot be opened or read ends the run with status 1
// after one line on standard error.
void Input_ISPD(const char* fileName, NetDB& db, parameterSet& settings);

// Writes the routing result of every net's 3D connection paths in the ISPD'08
// result syntax, each unit edge and via once per net. A file that cannot be
// written ends the run with status 1 after one line on standard error.
void outputFile(const char* fileName, NetDB& db);
