// The .pl reader: lower-left positions of the objects it names.

#include <cmath>
#include <cstdio>
#include <string>

#include "database/bookshelf/Bookshelf.h"
#include "database/bookshelf/TextScanner.h"

namespace {

// Whether the object at (x, y) keeps its far corner and every pin within int,
// as the placement and the reports add sizes and offsets to its corner.
bool fitsInt(double x, double y, const placeCell& cell) {
    auto inside = [](double v) { return v >= -2147483648.0 && v <= 2147483647.0; };
    if (!inside(x + cell.width) || !inside(y + cell.height)) return false;
    for (const pinLocate& p : cell.pins)
        if (!inside(x + p.xOffset) || !inside(y + p.yOffset)) return false;
    return true;
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
            if (!(x > -2147483648.0 && x < 2147483648.0 && y > -2147483648.0 && y < 2147483648.0))
                sc.fail("the position of the object does not fit an int");
            placeCell& cell = db.cells[static_cast<size_t>(index)];
            if (!fitsInt(x, y, cell))
                sc.fail("the object's upper-right corner or one of its pins lies beyond the int range at this position");
            cell.xlow = static_cast<int>(x);
            cell.ylow = static_cast<int>(y);
        }
        // The orientation and "/FIXED", or a line of any other kind.
        sc.skipLine();
    }
}
