#pragma once
// Placement database held by the router. For now it carries the virtual-demand
// tables that every 2D overflow test and cost adds to usage.

#include <cstddef>
#include <vector>

// One placement bin; bin (x, y) is G-cell (x, y).
struct Bin {
    int placeableArea = 0;
    int placedArea = 0;
    int history = 0;
    int macroBlockage = 0;
    double blockedCapacity = 0.0;  // routing tracks blocked by fixed cells, all layers
    double freeRatio = 1.0;        // 1 - blocked / total tracks, never below 0.0001
    int pinCount = 0;
    int viaCount = 0;
};

class Placement {
public:
    // Bin grid, flat [x][y] with index x * binY + y; empty until placement is set up.
    int binX = 0;
    int binY = 0;
    std::vector<Bin> bins;
    Bin& bin(int x, int y) { return bins[static_cast<size_t>(x) * binY + y]; }

    // Extra demand per edge, flat [x][y] with index x * Y + y over an X by Y grid:
    // horizontal edge (x,y)-(x+1,y) and vertical edge (x,y)-(x,y+1).
    int vdX = 0;
    int vdY = 0;
    std::vector<int> virtualDemandH;
    std::vector<int> virtualDemandV;
    double virtualDemandScale = 0.0;

    void resizeVirtualDemand(int X, int Y) {
        vdX = X;
        vdY = Y;
        virtualDemandH.assign(static_cast<std::size_t>(X) * Y, 0);
        virtualDemandV.assign(static_cast<std::size_t>(X) * Y, 0);
    }
    int vdH(int x, int y) const { return virtualDemandH[static_cast<std::size_t>(x) * vdY + y]; }
    int vdV(int x, int y) const { return virtualDemandV[static_cast<std::size_t>(x) * vdY + y]; }
};
