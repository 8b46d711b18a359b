#include "app/PlacementRefusals.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstdlib>

#include "database/bookshelf/BookshelfFail.h"
#include "placement/Placement.h"

std::string objectName(const NetDB& db, int i) {
    return i < db.objectCount ? "o" + std::to_string(i) : "p" + std::to_string(i - db.objectCount);
}

void refuseUnplaceableDesign(const NetDB& db) {
    const char* scl = db.sclFile.c_str();
    int lowest = INT_MAX, highest = INT_MIN;
    for (const Row& r : db.rows) {
        if (r.siteWidth != 1)
            failInput(scl, r.siteWidthLine,
                      "the row's Sitewidth is " + std::to_string(r.siteWidth) +
                          "; placement takes a site as one database unit and needs Sitewidth 1 and Sitespacing 1");
        if (r.siteSpacing != 1)
            failInput(scl, r.siteSpacingLine,
                      "the row's Sitespacing is " + std::to_string(r.siteSpacing) +
                          "; placement takes a site as one database unit and needs Sitewidth 1 and Sitespacing 1");
        lowest = std::min(lowest, r.height);
        highest = std::max(highest, r.height);
    }
    if (db.rows.empty()) return;
    for (size_t i = 0; i < db.cells.size(); ++i) {
        const placeCell& c = db.cells[i];
        if (c.type != 0 || c.height <= lowest) continue;
        failInput(db.nodesFile.c_str(), c.line,
                  "movable object " + objectName(db, static_cast<int>(i)) + " is " + std::to_string(c.height) +
                      " high and " + (lowest == highest ? "the rows are " : "the lowest row is ") +
                      std::to_string(lowest) + " high; placement keeps each cell within one row");
    }
}

void refuseImpossibleLegalization(const NetDB& db, const Placement& p) {
    long long freeArea = 0;
    long long widest = -1;
    for (const Row& r : p.rows)
        for (const SubRow* s : r.subRows) {
            const long long length = static_cast<long long>(s->xhigh) - s->xlow;
            freeArea += length * (static_cast<long long>(s->yhigh) - s->ylow);
            widest = std::max(widest, length);
        }
    long long cellArea = 0;
    for (const placeCell& c : p.cells)
        if (c.type == 0) cellArea += static_cast<long long>(c.width) * c.height;
    if (cellArea > freeArea) {
        std::fflush(stdout);
        std::fprintf(stderr,
                     "ERROR: the movable cells cannot be legalized: their area of %lld exceeds the %lld of free row "
                     "area\n",
                     cellArea, freeArea);
        std::exit(1);
    }
    for (size_t i = 0; i < p.cells.size(); ++i) {
        const placeCell& c = p.cells[i];
        if (c.type != 0 || c.width <= widest) continue;
        failInput(db.nodesFile.c_str(), c.line,
                  "movable object " + objectName(db, static_cast<int>(i)) + " is " + std::to_string(c.width) +
                      " wide and cannot be legalized: " +
                      (widest < 0 ? std::string("the rows have no free segment")
                                  : "the widest free row segment is " + std::to_string(widest)));
    }
}
