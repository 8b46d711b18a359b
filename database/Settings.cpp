#include "database/Settings.h"

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <string>

#include "decomposition/flute.h"

void setDefaultParameter(NetDB&, parameterSet& set, bool loadTables) {
    set.maxPinsPerNet = INT_MAX;
    set.Layer_Assignment_Algorithm = 1;
    set.Output_Routing_Result = true;
    set.Output_Overflow_Information = false;
    set.Pin_Blockage_Factor = 0.0;
    set.Pattern_Routing_Iteration = 2;
    set.Monotonic_Routing_Iteration = 3;
    set.Maze_Routing_Iteration = INT_MAX;
    set.Post_Routing_Iteration = 2;
    set.Optimization_3D_Iteration = 0;
    set.historyStartIteration = 1;
    set.overflowTarget = 0;
    set.Wirelength_Optimization_Level = 200;
    set.boxGrowthOffset = 9;
    set.boxGrowthScale = 2.0;
    set.Placement_Iteration = 1;
    set.Rounds_Per_Iteration = 1;
    set.Local_Detailed_Placement = 1;
    set.Avoiding_Blockage_Factor = 1.0;
    set.Blockage_Expanding = 0;
    if (loadTables) readLUT();
}

namespace {

struct SetReader {
    std::ifstream in;
    const char* fileName;

    [[noreturn]] void badValue(const std::string& keyword) {
        fprintf(stderr, "%s: the value of %s cannot be read as a number\n", fileName, keyword.c_str());
        exit(1);
    }
    void skipSeparator() {
        std::string ignored;
        in >> ignored;
    }
    int readInt(const std::string& keyword) {
        skipSeparator();
        int v = 0;
        if (!(in >> v)) badValue(keyword);
        return v;
    }
    double readDouble(const std::string& keyword) {
        skipSeparator();
        double v = 0.0;
        if (!(in >> v)) badValue(keyword);
        return v;
    }
    std::string readWord(const std::string& keyword) {
        skipSeparator();
        std::string w;
        if (!(in >> w)) {
            printf(" \"%s\" should be set to Yes or No\n", keyword.c_str());
            exit(1);
        }
        return w;
    }
};

[[noreturn]] void reject(const char* message) {
    puts(message);
    exit(1);
}

// "Yes"/"yes" -> true, "No"/"no" -> false, anything else ends the run.
bool yesNo(const std::string& w, const char* quotedName) {
    if (w == "Yes" || w == "yes") return true;
    if (w == "No" || w == "no") return false;
    printf(" \"%s\" should be set to Yes or No\n", quotedName);
    exit(1);
}

}  // namespace

void Input_Setting(const char* fileName, NetDB&, parameterSet& set) {
    SetReader r;
    r.fileName = fileName;
    r.in.open(fileName);
    if (!r.in) {
        std::cerr << "File " << fileName << " not exists!" << std::endl;
        exit(1);
    }
    printf("read %s\n", fileName);

    std::string token;
    while (r.in >> token) {
        if (token[0] == '#') {
            std::string rest;
            std::getline(r.in, rest);  // any length
            continue;
        }
        if (token == "Via_Cost") {
            int v = r.readInt(token);
            printf("set Via_Cost = %d\n", v);
            if (v < 1) reject("Via_Cost is out of a reasonable range");
            set.Via_Cost = v;
            set.viaCostGiven = true;
        } else if (token == "Pattern_Routing_Iteration") {
            int v = r.readInt(token);
            printf("set Pattern_Routing_Iteration = %d\n", v);
            if (v < 1) reject("Pattern_Routing_Iteration is out of a reasonable range");
            set.Pattern_Routing_Iteration = v;
        } else if (token == "Monotonic_Routing_Iteration") {
            int v = r.readInt(token);
            printf("set Monotonic_Routing_Iteration = %d\n", v);
            if (v < 0) reject("Monotonic_Routing_Iteration is out of a reasonable range");
            set.Monotonic_Routing_Iteration = v;
        } else if (token == "Maze_Routing_Iteration") {
            int v = r.readInt(token);
            printf("set Maze_Routing_Iteration = %d\n", v);
            set.Maze_Routing_Iteration = v < 0 ? INT_MAX : v;
        } else if (token == "Maze_Routing_Timeout") {
            int v = r.readInt(token);
            printf("set Maze_Routing_Timeout = %d\n", v);
            set.Maze_Routing_Timeout = v < 0 ? INT_MAX : v;
            set.mazeTimeoutGiven = true;
        } else if (token == "Post_Routing_Iteration") {
            int v = r.readInt(token);
            printf("set Post_Routing_Iteration = %d\n", v);
            if (v < 0) reject("Post_Routing_Iteration is out of a reasonable range");
            set.Post_Routing_Iteration = v;
        } else if (token == "Wirelength_Optimization_Level") {
            int v = r.readInt(token);
            printf("set Wirelength_Optimization_Level = %d\n", v);
            if (v < 1 || v > 2000)
                reject("Wirelength_Optimization_Level is out of a reasonable range [1, 2000]");
            set.Wirelength_Optimization_Level = v * 10;
        } else if (token == "3D_Optimization_Iteration") {
            int v = r.readInt(token);
            printf("set 3D_Optimization_Iteration = %d\n", v);
            if (v < 0) reject("3D_Optimization_Iteration is out of a reasonable range");
            set.Optimization_3D_Iteration = v;
        } else if (token == "Layer_Assignment_Algorithm") {
            int v = r.readInt(token);
            if (v < 1 || v > 3) reject("Layer_Assignment_Algorithm is out of a reasonable range");
            printf("set Layer_Assignment_Algorithm = %d\n", v);
            set.Layer_Assignment_Algorithm = v;
        } else if (token == "Output_Routing_Result") {
            bool v = yesNo(r.readWord(token), "Output_Routing_Result");
            puts(v ? "set Output_Routing_Result = Yes" : "set Output_Routing_Result = No");
            set.Output_Routing_Result = v;
        } else if (token == "Output_Overflow_Information") {
            bool v = yesNo(r.readWord("Output_Overflow_Infomation"), "Output_Overflow_Infomation");
            puts(v ? "set Output_Overflow_Information = Yes" : "set Output_Overflow_Information = No");
            set.Output_Overflow_Information = v;
        } else if (token == "Pin_Blockage_Factor") {
            double v = r.readDouble(token);
            if (v < 0.0) reject(" \"Pin_Blockage_Factor\" should be larger than 0");
            printf("set Pin_Blockage_Factor = %.3lf\n", v);
            set.Pin_Blockage_Factor = v;
        } else if (token == "Placement_Iteration") {
            int v = r.readInt(token);
            printf("set Placement_Iteration = %d\n", v);
            if (v < 0) reject(" \"Placement_Iteration\" should be larger than 0");
            set.Placement_Iteration = v;
        } else if (token == "Rounds_Per_Iteration") {
            int v = r.readInt(token);
            printf("set Rounds_Per_Iteration = %d\n", v);
            if (v < 0) reject(" \"Rounds_Per_Iteration\" should be larger than 0");
            set.Rounds_Per_Iteration = v;
        } else if (token == "Local_Detailed_Placement") {
            int v = r.readInt(token);
            printf("set Local_Detailed_Placement = %d\n", v);
            if (v < 0) reject(" \"Local_Detailed_Placement\" should be larger than or equal to 0");
            set.Local_Detailed_Placement = v;
        } else if (token == "Avoiding_Blockage_Factor") {
            double v = r.readDouble(token);
            printf("set Avoiding_Blockage_Factor = %.3lf\n", v);
            if (v < 1.0) reject(" \"Avoiding_Blockage_Factor\" should be larger than 1");
            set.Avoiding_Blockage_Factor = v;
        } else if (token == "Blockage_Expanding") {
            int v = r.readInt(token);
            printf("set Blockage_Expanding = %d\n", v);
            if (v < 0) reject(" \"Blockage_Expanding\" should be >= 0");
            set.Blockage_Expanding = v;
        } else {
            reject("The format of .set file is wrong");
        }
    }
    fflush(stdout);
}

void requireRoutingSettings(const char* fileName, const parameterSet& set) {
    const char* missing = !set.viaCostGiven ? "Via_Cost" : !set.mazeTimeoutGiven ? "Maze_Routing_Timeout" : nullptr;
    if (!missing) return;
    fprintf(stderr, "%s: the .set file gives no %s, which has no default\n", fileName, missing);
    exit(1);
}
