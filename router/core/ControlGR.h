#pragma once
// Routing controls shared by the flows and the routing schedules.

#include <vector>

struct controlGR {
    int maxIter = 0;          // maze iteration limit
    float timeLimit = 0.0f;   // seconds
    bool verbose = true;      // phase banners, per-round lines, timer reports
    std::vector<int> wirelengthTrace;
    std::vector<int> overflowTrace;
    std::vector<float> timeTrace;
};
