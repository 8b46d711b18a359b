// The .pl reader: lower-left positions of the objects it names.

#include <cmath>
#include <cstdio>
#include <string>

#include "database/GridLimits.h"
#include "database/bookshelf/Bookshelf.h"
#include "database/bookshelf/TextScanner.h"

namespace {

bool inside(double v) { return v >= -kMaxCoordinate && v <= kMaxCoordinate; }

// Whether the object at (x, y) keeps its far corner and every pin within
// +-kMaxCoordinate, as the placement and the reports add sizes and offsets
// to its corner.
bool fitsBounds(double x, double y, const placeCell& cell) {
    if (!inside(x + cell.width) || !inside(y + cell.height)) return false;
    for (const pinLocate& p : cell.pins)
        if (!inside(x + p.xOffset) || !inside(y + p.yOffset)) return false;
    return true;
}

// The first of the object's shapes (absolute) that reaches outside its box at
// its current position, or -1. Rows are cut and masters built from the shapes
// of the objects whose box they meet.
int shapeOutside(const placeCell& c) {
    const long long x0 = c.xlow, y0 = c.ylow, x1 = x0 + c.width, y1 = y0 + c.height;
    for (size_t k = 0; k < c.shapes.size(); ++k) {
        const shape& s = c.shapes[k];
        if (s.x < x0 || s.y < y0 || static_cast<long long>(s.x) + s.w > x1 || static_cast<long long>(s.y) + s.h > y1)
            return static_cast<int>(k);
    }
    return -1;
}

std::string shapeOutsideReason(const placeCell& c, int index, int k) {
    const shape& s = c.shapes[static_cast<size_t>(k)];
    return "shape " + std::to_string(k + 1) + " of object o" + std::to_string(index) + " (x " + std::to_string(s.x) +
           ", y " + std::to_string(s.y) + ", width " + std::to_string(s.w) + ", height " + std::to_string(s.h) +
           " in the .shapes file) reaches outside the object's box (" + std::to_string(c.xlow) + ", " +
           std::to_string(c.ylow) + ")-(" + std::to_string(static_cast<long long>(c.xlow) + c.width) + ", " +
           std::to_string(static_cast<long long>(c.ylow) + c.height) + ")";
}

}  // namespace

void read_place_file(const char* fileName, NetDB& db) {
    TextScanner sc(fileName);
    printf("read %s\n", fileName);
    const int cellCount = static_cast<int>(db.cells.size());
    std::string why;
    std::string_view t;
    while (sc.token(t)) {
        if (t[0] == 'o' || t[0] == 'p' || t[0] == 'A') {
            int index = 0;
            if (!objectIndex(t, db.objectCount, cellCount, index, why)) sc.fail(why);
            double x = std::trunc(sc.needReal("the x of an object"));
            double y = std::trunc(sc.needReal("the y of an object"));
            if (!(inside(x) && inside(y))) {
                char buf[800];  // a double printed whole takes up to 309 digits
                snprintf(buf, sizeof buf, "the position of the object does not fit -%d..%d (got %.0f, %.0f)",
                         kMaxCoordinate, kMaxCoordinate, x, y);
                sc.fail(buf);
            }
            placeCell& cell = db.cells[static_cast<size_t>(index)];
            if (!fitsBounds(x, y, cell))
                sc.fail("the object's upper-right corner or one of its pins lies outside -" + std::to_string(kMaxCoordinate) +
                        ".." + std::to_string(kMaxCoordinate) + " at this position");
            cell.xlow = static_cast<int>(x);
            cell.ylow = static_cast<int>(y);
            const int k = shapeOutside(cell);
            if (k >= 0) sc.fail(shapeOutsideReason(cell, index, k) + " at this position");
        }
        // The orientation and "/FIXED", or a line of any other kind.
        sc.skipLine();
    }
    // An object the file does not place keeps its position, which its shapes must fit too.
    for (size_t i = 0; i < db.cells.size(); ++i) {
        const int k = db.cells[i].shapes.empty() ? -1 : shapeOutside(db.cells[i]);
        if (k >= 0)
            sc.fail(shapeOutsideReason(db.cells[i], static_cast<int>(i), k) + ", where it stands unplaced by this file");
    }
}
