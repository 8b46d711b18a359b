#pragma once
// Decomposition for the placement flows: every net's spanning tree over its real
// pin positions, with connections registered with the cells they end on.

#include "database/NetDB.h"

class GlobalRouter;

// Appends one connection per tree edge to every net of db (ends at the G-cells of
// the two pins, pin indices kept), sets the nets' lengths, and lists each
// connection with the cells of its two pins in the router's placement. Pins at
// one position are joined by zero-length connections, so every pin is reached.
// Prints the time line and the pin statistics line.
void BuildMovableTree(NetDB& db, GlobalRouter& router);
