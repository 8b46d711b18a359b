#pragma once
// Connectivity of 2D paths for the routing tests.

#include <queue>
#include <set>
#include <utility>
#include <vector>

#include "database/Geometry.h"

// A path as (hori, x, y) triples, for comparing whole paths in one expectation.
using Steps = std::vector<std::vector<int>>;
inline Steps steps(const std::vector<RPoint>& path) {
    Steps out;
    for (const RPoint& p : path) out.push_back({p.hori, p.x, p.y});
    return out;
}

// Whether the unit steps of `path` join a to b on the grid.
inline bool joins(const std::vector<RPoint>& path, const Point& a, const Point& b) {
    if (a == b) return true;
    std::set<std::pair<int, int>> seen{{a.x, a.y}};
    std::queue<std::pair<int, int>> todo;
    todo.push({a.x, a.y});
    while (!todo.empty()) {
        auto [x, y] = todo.front();
        todo.pop();
        for (const RPoint& s : path) {
            const int ex = s.x + (s.hori == 1), ey = s.y + (s.hori == 0);
            std::pair<int, int> next;
            if (s.x == x && s.y == y)
                next = {ex, ey};
            else if (ex == x && ey == y)
                next = {s.x, s.y};
            else
                continue;
            if (seen.insert(next).second) todo.push(next);
        }
    }
    return seen.count({b.x, b.y}) > 0;
}

// Whether the steps of a 3D path form one walk from a to b (G-cell and layer),
// in list order, each step leaving the G-cell and layer the walk has reached.
inline bool isWalk3D(const std::vector<RPoint>& path, const Point& a, const Point& b) {
    int x = a.x, y = a.y, z = a.z;
    for (const RPoint& s : path) {
        const int ex = s.x + (s.hori == 1), ey = s.y + (s.hori == 0), ez = s.z + (s.hori == 2);
        if (s.x == x && s.y == y && s.z == z) {
            x = ex, y = ey, z = ez;
        } else if (ex == x && ey == y && ez == z) {
            x = s.x, y = s.y, z = s.z;
        } else {
            return false;
        }
    }
    return x == b.x && y == b.y && z == b.z;
}
