// The .pl reader: lower-left positions of the objects it names.

#include <cmath>
#include <cstdio>
#include <string>

#include "database/bookshelf/Bookshelf.h"
#include "database/bookshelf/TextScanner.h"

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
            cell.xlow = static_cast<int>(x);
            cell.ylow = static_cast<int>(y);
        }
        // The orientation and "/FIXED", or a line of any other kind.
        sc.skipLine();
    }
}
