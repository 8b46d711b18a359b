// The .shapes reader: rectangles of non-rectangular objects, absolute DBU.

#include <cstdio>
#include <string>

#include "database/GridLimits.h"
#include "database/bookshelf/Bookshelf.h"
#include "database/bookshelf/TextScanner.h"

void read_shape_file(const char* fileName, std::vector<placeCell>& cells) {
    TextScanner sc(fileName);
    printf("read %s\n", fileName);
    // The o and A names of this file count from the first object; p names
    // are not taken here.
    const int cellCount = static_cast<int>(cells.size());
    std::string why;
    std::string_view t;
    while (sc.token(t)) {
        if (t == "NumNonRectangularNodes") {
            sc.need("the colon after NumNonRectangularNodes");
            sc.needInt("the count of non-rectangular objects");
            sc.skipLine();
        } else if (t[0] == 'o' || t[0] == 'A') {
            int index = 0;
            if (!objectIndex(t, cellCount, cellCount, index, why)) sc.fail(why);
            sc.need("the colon after the object name");
            int n = sc.needCount("the shape count", 10);
            sc.skipLine();
            std::vector<shape>& shapes = cells[static_cast<size_t>(index)].shapes;
            shapes.resize(static_cast<size_t>(n));
            for (shape& s : shapes) {
                sc.need("a shape line");  // the shape's name
                s.x = sc.needInt("the x of a shape");
                s.y = sc.needInt("the y of a shape");
                s.w = sc.needInt("the width of a shape");
                s.h = sc.needInt("the height of a shape");
                for (const std::string& p :
                     {coordinateProblem("the x of a shape", s.x), coordinateProblem("the y of a shape", s.y),
                      sizeProblem("the width of a shape", s.w), sizeProblem("the height of a shape", s.h),
                      coordinateProblem("the right edge of a shape", static_cast<long long>(s.x) + s.w),
                      coordinateProblem("the top edge of a shape", static_cast<long long>(s.y) + s.h)})
                    if (!p.empty()) sc.fail(p);
                sc.skipLine();
            }
        } else {
            // Other lines, among them the shapes of p objects, which are not kept.
            sc.skipLine();
        }
    }
}
