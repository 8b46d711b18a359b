// The grid store: plain usage reads and the reset of the maze cells.

#include <cstdio>
#include <cstdlib>

#include "router/core/GlobalRouter.h"

int GridGraph::getCost(int x, int y, bool horizontal) {
    // Each direction is checked against its own extent: horizontal edges are
    // (xNum - 1) x yNum, vertical ones xNum x (yNum - 1).
    const int xEnd = horizontal ? xNum - 1 : xNum;
    const int yEnd = horizontal ? yNum : yNum - 1;
    if (!(x < xEnd && x >= 0)) {
        fprintf(stderr, "GridGraph:308: Assertion `x < xNum && x >= 0' failed (x = %d, %s edge).\n", x,
                horizontal ? "horizontal" : "vertical");
        exit(1);
    }
    if (!(y < yEnd && y >= 0)) {
        fprintf(stderr, "GridGraph:309: Assertion `y < yNum && y >= 0' failed (y = %d, %s edge).\n", y,
                horizontal ? "horizontal" : "vertical");
        exit(1);
    }
    return horizontal ? uH(x, y) : uV(x, y);
}

void GridGraph::resetCellInformation() {
    for (GridCell& c : cells) {
        c.visit = -1;
        c.target = -1;
    }
}
