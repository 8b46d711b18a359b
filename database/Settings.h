#pragma once
// Run settings: built-in defaults and the .set file reader.

#include <string>

#include "database/Refusal.h"

struct NetDB;

struct parameterSet {
    int Via_Cost = 0;               // no built-in default
    int maxPinsPerNet = 2147483647;
    int Layer_Assignment_Algorithm = 1;
    bool Output_Routing_Result = true;
    bool Output_Overflow_Information = false;
    double Pin_Blockage_Factor = 0.0;
    int Pattern_Routing_Iteration = 2;
    int Monotonic_Routing_Iteration = 3;
    int Maze_Routing_Iteration = 2147483647;
    int Maze_Routing_Timeout = 0;   // CPU seconds; no built-in default
    int Post_Routing_Iteration = 2;
    int Optimization_3D_Iteration = 0;  // keyword "3D_Optimization_Iteration"
    int historyStartIteration = 1;
    int overflowTarget = 0;
    int Wirelength_Optimization_Level = 200;  // keyword level times 10
    int boxGrowthOffset = 9;
    double boxGrowthScale = 2.0;
    int Placement_Iteration = 1;
    int Rounds_Per_Iteration = 1;
    int Local_Detailed_Placement = 1;
    double Avoiding_Blockage_Factor = 1.0;
    int Blockage_Expanding = 0;

    // Whether a .set file gave the two settings that have no default.
    bool viaCostGiven = false;
    bool mazeTimeoutGiven = false;
};

// Writes every default (Via_Cost and Maze_Routing_Timeout stay as they are);
// with loadTables it then loads the FLUTE lookup tables.
void setDefaultParameter(NetDB& db, parameterSet& set, bool loadTables);

// Reads a .set file over the current values; every failure ends the process
// (through settingsRefusal).
void Input_Setting(const char* fileName, NetDB& db, parameterSet& set);

// The same reading of a .set file's text, named fileName in the messages.
void readSettingsText(const char* fileName, const std::string& text, parameterSet& set);

// Refusal hook of the .set reader (see database/Refusal.h).
extern RefusalHandler settingsRefusal;

// Ends the run with a message when a routing or placement run's settings lack
// Via_Cost or Maze_Routing_Timeout.
void requireRoutingSettings(const char* fileName, const parameterSet& set);
