// DEF 5.7 design of a converted design: die, rows, fixed components, tracks,
// G-cell grid and nets.

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "database/Timer.h"
#include "database/lefdef/LefDef.h"

namespace {

// Every coordinate the DEF file holds must be a DEF integer (32-bit).
class DefRange {
public:
    DefRange(const std::string& path, long long scale) : path_(path), scale_(scale) {}
    // v design units scaled to DEF units.
    int scaled(long long v, const char* what) const { return fit(v * scale_, what); }
    int fit(long long v, const char* what) const {
        if (v < INT_MIN || v > INT_MAX) {
            std::fflush(stdout);
            std::fprintf(stderr, "ERROR: %s: %s %lld does not fit a DEF integer (-2147483648 .. 2147483647)\n",
                         path_.c_str(), what, v);
            std::exit(1);
        }
        return static_cast<int>(v);
    }
    // The track count of a die side from origin to top at a pitch factor, as the
    // TRACKS line prints it. The tracks start at the origin and run to the top
    // edge; a die at or right of 0 keeps the count of its top edge alone.
    int tracks(long long origin, long long top, float pitch, const char* what) const {
        const float q = static_cast<float>(top - std::min(origin, 0LL)) / pitch;
        if (!(q > -2147483648.0f && q < 2147483648.0f)) {
            std::fflush(stdout);
            std::fprintf(stderr, "ERROR: %s: %s %g does not fit a DEF integer (-2147483648 .. 2147483647)\n",
                         path_.c_str(), what, static_cast<double>(q));
            std::exit(1);
        }
        return static_cast<int>(q);
    }

private:
    const std::string& path_;
    long long scale_;
};

// Checks every coordinate before the first line is written.
void checkRanges(const DefRange& r, const NetDB& db, const DRC& drc, long long xTop, long long yTop) {
    if (drc.USE_BOTTOM_LAYER) r.tracks(db.originY, yTop, drc.metal1Pitch, "metal1 track count");
    for (int i = 1; i < db.layerNum; ++i) {
        if (db.hCap[i] != 0)
            r.tracks(db.originY, yTop, drc.WIRE_PITCH, "horizontal track count");
        else if (db.vCap[i] != 0)
            r.tracks(db.originX, xTop, drc.WIRE_PITCH, "vertical track count");
    }
    r.scaled(db.originX, "die origin x");
    r.scaled(db.originY, "die origin y");
    r.scaled(xTop, "die right edge");
    r.scaled(yTop, "die top edge");
    r.scaled(db.tileW, "G-cell width");
    r.scaled(db.tileH, "G-cell height");
    for (const Row& row : db.rows) {
        r.scaled(row.x, "row x");
        r.scaled(row.y, "row y");
        r.scaled(row.numSites, "row length");
        r.scaled(row.height, "row height");
    }
    for (const placeCell& c : db.cells) {
        r.scaled(c.xlow, "component x");
        r.scaled(c.ylow, "component y");
    }
}

}  // namespace

void outputDEF(const std::string& fileName, const std::string& designName, NetDB& db, const DRC& drc,
               NIPointTable& niPoints) {
    printf("output DEF file\n");
    Timer timer;
    timer.start();
    AtomicOutput out = openOutputOrExit(fileName);
    std::FILE* f = out.stream;
    const long long s = drc.coordScale;
    const long long xTop = static_cast<long long>(db.gridX) * db.tileW + db.originX;
    const long long yTop = static_cast<long long>(db.gridY) * db.tileH + db.originY;
    // The rows' right and top ends; 0 only without rows (a die may lie at negative coordinates).
    long long xRow = db.rows.empty() ? 0 : LLONG_MIN, yRow = db.rows.empty() ? 0 : LLONG_MIN;
    for (const Row& row : db.rows) {
        xRow = std::max(xRow, static_cast<long long>(row.x) + row.numSites);
        yRow = std::max(yRow, static_cast<long long>(row.y) + row.height);
    }
    if (xTop < xRow || yTop < yRow) {
        printf("ERROR: %s %d xRow=%lld yRow=%lld xTop=%lld yTop=%lld \n", "Parser", 2744, xRow, yRow, xTop, yTop);
        std::exit(1);
    }
    const DefRange range(fileName, s);
    checkRanges(range, db, drc, xTop, yTop);

    std::fprintf(f, "# CONVERTED :  TARVEX\n\n");
    std::fprintf(f, "VERSION 5.7 ;\n\n");
    std::fprintf(f, "DESIGN %s ;\n\n", designName.c_str());
    std::fprintf(f, "UNITS DISTANCE MICRONS %d ;\n\n", drc.dbu);
    std::fprintf(f, "DIEAREA ( %lld  %lld ) ( %lld %lld ) ;\n\n", db.originX * s, db.originY * s, s * xTop, s * yTop);

    int r = 0;
    for (const Row& row : db.rows)
        std::fprintf(f, "ROW row%d core %lld %lld  N  DO %lld BY 1 STEP 1 %lld ;\n", r++, row.x * s, row.y * s,
                     row.numSites * s, s * row.height);

    std::fprintf(f, "COMPONENTS %d ;\n", static_cast<int>(db.cells.size()));
    printf("output cell location\n");
    std::fflush(stdout);
    for (const placeCell& c : db.cells) {
        if (c.type == 2)
            std::fprintf(f, "  -    p%d   MAS%d  +    FIXED ( %lld %lld )  N  ;\n", c.id - db.objectCount,
                         c.masterIndex, s * c.xlow, c.ylow * s);
        else
            std::fprintf(f, "  -    o%d   MAS%d  + SOURCE DIST + FIXED ( %lld %lld )  N  ;\n", c.id, c.masterIndex,
                         s * c.xlow, c.ylow * s);
    }
    std::fprintf(f, "END COMPONENTS\n\n");

    const float dbu = static_cast<float>(drc.dbu);
    if (drc.USE_BOTTOM_LAYER)
        std::fprintf(f, "TRACKS Y %lld DO %d STEP %.3lf LAYER metal%d ;\n", db.originY * s,
                     range.tracks(db.originY, yTop, drc.metal1Pitch, "metal1 track count"),
                     static_cast<double>(dbu * drc.metal1Pitch), 1);
    for (int i = 1; i < db.layerNum; ++i) {
        const double step = static_cast<double>(dbu * drc.WIRE_PITCH * static_cast<float>(db.minWidth[i]));
        if (db.hCap[i] != 0)
            std::fprintf(f, "TRACKS Y %lld DO %d STEP %.3lf LAYER metal%d ;\n", db.originY * s,
                         range.tracks(db.originY, yTop, drc.WIRE_PITCH, "horizontal track count"), step, i + 1);
        else if (db.vCap[i] != 0)
            std::fprintf(f, "TRACKS X %lld DO %d STEP %.3lf LAYER metal%d ;\n", db.originX * s,
                         range.tracks(db.originX, xTop, drc.WIRE_PITCH, "vertical track count"), step, i + 1);
    }

    printf("tileW=%d  tileH=%d\n", db.tileW, db.tileH);
    std::fprintf(f, "GCELLGRID Y %lld DO %d STEP %lld ;\n", db.originY * s, db.gridY + 1, s * db.tileH);
    std::fprintf(f, "GCELLGRID X %lld DO %d STEP %lld ;\n", db.originX * s, db.gridX + 1, s * db.tileW);

    printf("output net list\n");
    std::fflush(stdout);
    std::fprintf(f, "NETS %d ;\n", static_cast<int>(db.netInfos.size()));
    long long total = 0, removed = 0;
    for (const netInfo& net : db.netInfos) {
        std::fprintf(f, "- net%d", net.id);
        for (size_t k = 0; k < net.pins.size(); ++k) {
            const placeCell& c = db.cells[net.pins[k].cell];
            if (c.type == 2) {
                if (niPoints.count(c.xlow, c.ylow) == 0) {
                    ++removed;
                    continue;
                }
                std::fprintf(f, "\n( p%d P%d )", c.id - db.objectCount, net.lefPin[k]);
                niPoints.clear(c.xlow, c.ylow);
            } else {
                std::fprintf(f, "\n( o%d P%d )", c.id, net.lefPin[k]);
            }
        }
        std::fprintf(f, "  ;\n");
        total += static_cast<long long>(net.pins.size());
    }
    const double ratio = total == 0 ? 0.0 : static_cast<double>(static_cast<float>(removed * 100) / static_cast<float>(total));
    printf("totalPin=%lld  removePin=%lld  ratio=%.5lf\n", total, removed, ratio);
    std::fprintf(f, "END NETS\n\n");
    std::fprintf(f, "END DESIGN\n");
    commitOutputOrExit(out);
    printf("output DEF time = %.2lf\n\n", static_cast<double>(timer.getTime()));
}
