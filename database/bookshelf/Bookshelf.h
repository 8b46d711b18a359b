#pragma once
// Readers of a Bookshelf design set, the blockage-driven capacity adjustment
// and the routing nets built from a placement.
//
// Objects are numbered by their line in the .nodes file: "o" N is object N,
// "p" N is object (object count + N), a name beginning with "A" is the number
// after its first "o". Every reader prints "read <file>" on standard output;
// a file that cannot be opened prints "File <file> not exists!" on standard
// error, and malformed input is refused with "file:line: reason" on standard
// error (through failInput); both end the run with status 1.

#include <vector>

#include "database/NetDB.h"

struct parameterSet;

// The seven file names an .aux file lists (.nodes, .nets, .wts, .pl, .scl, .shapes,
// .route), relative to the .aux file's folder unless absolute.
std::vector<std::string> readAuxFileNames(const char* auxName);

// Reads the whole set named by an .aux file (.nodes, .shapes, .route, .nets,
// the .pl of the set, .scl) into db, then charges the blockages to the grid
// edges with adjust_capacity. Names in the .aux file are taken relative to the
// .aux file's folder.
void Input_DAC(const char* auxName, NetDB& db, parameterSet& settings);

// Fills the objects (sizes and types) and returns the number of objects whose
// name begins with o or A.
int read_node_file(const char* fileName, std::vector<placeCell>& cells);

// Fills the Bookshelf nets and every object's pin list, and counts the pins
// per G-cell at the objects' current positions (a provisional count that
// build_netlist_set redoes from the placed objects).
void read_net_file(const char* fileName, NetDB& db, parameterSet& settings);

// Sets the lower-left positions of the objects the file names.
void read_place_file(const char* fileName, NetDB& db);

// Fills the placement rows.
void read_scl_file(const char* fileName, NetDB& db);

// Fills the shapes of non-rectangular objects (absolute database units).
void read_shape_file(const char* fileName, std::vector<placeCell>& cells);

// Reads the routing grid, per-layer rules, origin and G-cell size, the pin
// layers of NI terminals, the blocked layers of blocking objects and the edge
// capacity adjustments; computes the tracks. Needs db.objectCount. A grid
// too large for the machine's memory (counting the 3D stage when with3D) is
// refused.
void read_route_file(const char* fileName, std::vector<placeCell>& cells, NetDB& db, bool with3D = false);

// One stretch of a blockage across one grid edge, database units.
struct block {
    int lo = 0;
    int hi = 0;
};
bool block_cp(const block& a, const block& b);

// The blockage stretches recorded so far, one entry per (grid edge, layer,
// stretch); kept flat so that its size follows the blockages, not the grid.
struct BlockageGrid {
    struct Entry {
        long long edge;  // ((x * Y + y) * L + layer) * 2 + hori
        block b;
    };
    std::vector<Entry> entries;
};

// Records one blocking rectangle (lower-left x, y, size w, h, DBU) on one
// 0-based layer: clipped to the die, it adds its stretch across every vertical
// edge it crosses (layers with vertical tracks) and every horizontal edge it
// crosses (layers with horizontal tracks). Empty rectangles record nothing.
void get_blockage_overlap(int x, int y, int w, int h, int layer, BlockageGrid& grid, const NetDB& db);

// Lowers the capacity of every grid edge that the objects' blocked layers
// cover, in proportion to the covered part of its cross-section and in whole
// tracks. An edge already in db.adjLocate keeps one entry with the smaller
// capacity; other edges are appended.
void adjust_capacity(std::vector<placeCell>& cells, NetDB& db);

// Rebuilds db.nets (one routing net per Bookshelf net, in order) and the pin
// count per G-cell from the Bookshelf nets and the given cells (db.cells or a
// copy in the same order). A pin outside the grid is mapped to the nearest
// G-cell.
void build_netlist_set(NetDB& db, parameterSet& settings, std::vector<placeCell>& cells);

// The G-cell of a database-unit coordinate (integer division toward zero),
// mapped to the nearest G-cell of 0..count-1 when it falls outside; `outside`
// is set when it did.
inline int gcellOf(long long p, int origin, int size, int count, bool& outside) {
    long long g = (p - origin) / size;
    if (g < 0) {
        outside = true;
        return 0;
    }
    if (g >= count) {
        outside = true;
        return count - 1;
    }
    return static_cast<int>(g);
}
