#pragma once
// Placement database held by the router. For now it carries the virtual-demand
// tables that every 2D overflow test and cost adds to usage.

#include <vector>

class Placement {
public:
    // Extra demand per edge, [x][y]: horizontal edge (x,y)-(x+1,y), vertical edge (x,y)-(x,y+1).
    std::vector<std::vector<int>> virtualDemandH;
    std::vector<std::vector<int>> virtualDemandV;
    double virtualDemandScale = 0.0;
};
