// The .scl reader: the placement rows.

#include <cstdio>
#include <string>

#include "database/GridLimits.h"
#include "database/bookshelf/Bookshelf.h"
#include "database/bookshelf/TextScanner.h"

void read_scl_file(const char* fileName, NetDB& db) {
    TextScanner sc(fileName);
    printf("read %s\n", fileName);
    int declared = -1;
    int r = 0;
    std::string_view t;
    while (sc.token(t)) {
        if (t == "NumRows") {
            if (declared >= 0) sc.fail("a second NumRows entry");
            sc.need("the colon after NumRows");
            declared = sc.needCount("the row count", 16);
            db.rows.assign(static_cast<size_t>(declared), Row());
        } else if (t == "Coordinate") {
            if (declared < 0) sc.fail("a Coordinate entry before the NumRows entry");
            if (r >= declared) sc.fail("more Coordinate entries than the " + std::to_string(declared) + " rows of NumRows");
            // Taken by position: y, height, site width, site spacing, three
            // skipped keyword/value pairs ending in the subrow-origin keyword,
            // x and the number of sites.
            Row& row = db.rows[static_cast<size_t>(r)];
            sc.need("the colon after Coordinate");
            row.y = sc.needInt("the row's Coordinate");
            sc.need("the Height entry");
            sc.need("the colon after Height");
            row.height = sc.needInt("the row height");
            sc.need("the Sitewidth entry");
            sc.need("the colon after Sitewidth");
            row.siteWidth = sc.needInt("the site width");
            row.siteWidthLine = sc.line();
            sc.need("the Sitespacing entry");
            sc.need("the colon after Sitespacing");
            row.siteSpacing = sc.needInt("the site spacing");
            row.siteSpacingLine = sc.line();
            for (int k = 0; k < 8; ++k) sc.need("the Siteorient, Sitesymmetry and SubrowOrigin entries");
            row.x = sc.needInt("the row's SubrowOrigin");
            sc.need("the NumSites entry");
            sc.need("the colon after NumSites");
            row.numSites = sc.needInt("the number of sites");
            for (const std::string& p :
                 {coordinateProblem("the row's Coordinate", row.y), sizeProblem("the row height", row.height),
                  coordinateProblem("the row's SubrowOrigin", row.x), sizeProblem("the number of sites", row.numSites),
                  coordinateProblem("the row's top (Coordinate + Height)", static_cast<long long>(row.y) + row.height),
                  coordinateProblem("the row's end (SubrowOrigin + NumSites)", static_cast<long long>(row.x) + row.numSites)})
                if (!p.empty()) sc.fail(p);
            ++r;
        }
        sc.skipLine();
    }
    if (declared >= 0 && r != declared)
        sc.fail("the file has " + std::to_string(r) + " Coordinate entries, NumRows says " + std::to_string(declared));
}
