#pragma once
// Placement database held by the router. For now it carries the virtual-demand
// tables that every 2D overflow test and cost adds to usage.

#include <cstddef>
#include <vector>

class Placement {
public:
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
