// LEF 5.7 library of a converted design: units, layers, default vias, the core
// site and one MACRO per master.

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "database/Timer.h"
#include "database/lefdef/LefDef.h"

namespace {

struct LefContext {
    std::FILE* f;
    const NetDB& db;
    const DRC& drc;
    // Design length in microns, single precision.
    float micron(long long v) const {
        return static_cast<float>(v * drc.coordScale) / static_cast<float>(drc.dbu);
    }
    float w(int layer) const { return static_cast<float>(db.minWidth[layer]); }
    float sp(int layer) const { return static_cast<float>(db.minSpacing[layer]); }
};

void writeLayers(const LefContext& c) {
    const NetDB& db = c.db;
    const DRC& drc = c.drc;
    for (int i = 0; i < db.layerNum; ++i) {
        const int n = i + 1;
        std::fprintf(c.f, "LAYER metal%d\n", n);
        const float width = c.w(i) * drc.WIRE_WIDTH;
        const float spacing = c.sp(i) * drc.WIRE_SPACE;
        if (db.hCap[i] < 1 && db.vCap[i] < 1) {
            if (!drc.USE_BOTTOM_LAYER) {
                std::fprintf(c.f, "   TYPE MASTERSLICE ;\n");
            } else {
                std::fprintf(c.f, "   TYPE ROUTING ;\n");
                std::fprintf(c.f, "   PITCH %.3lf ;\n", static_cast<double>(drc.metal1Pitch));
                std::fprintf(c.f, "   WIDTH %.3lf ;\n", static_cast<double>(width));
                std::fprintf(c.f, "   SPACING %.3lf ;\n", static_cast<double>(spacing));
                std::fprintf(c.f, "   DIRECTION HORIZONTAL ;\n");
            }
        } else {
            std::fprintf(c.f, "   TYPE ROUTING ;\n");
            std::fprintf(c.f, "   PITCH %.3lf ;\n", static_cast<double>(c.sp(i) * drc.WIRE_PITCH));
            std::fprintf(c.f, "   WIDTH %.3lf ;\n", static_cast<double>(width));
            std::fprintf(c.f, "   SPACING %.3lf ;\n", static_cast<double>(spacing));
            std::fprintf(c.f, db.vCap[i] != 0 ? "   DIRECTION VERTICAL ;\n" : "   DIRECTION HORIZONTAL ;\n");
        }
        std::fprintf(c.f, "END metal%d\n\n", n);
        if (i + 1 < db.layerNum) std::fprintf(c.f, "LAYER via%d\n   TYPE CUT ;\nEND via%d\n\n", n, n);
    }
    std::fprintf(c.f, "LAYER OVERLAP\n   TYPE OVERLAP ;\nEND OVERLAP\n\n");
}

void writeSquare(std::FILE* f, float v) {
    const double d = static_cast<double>(v);
    std::fprintf(f, "        RECT -%.3lf -%.3lf %.3lf %.3lf ;\n", d, d, d, d);
}

void writeVias(const LefContext& c) {
    for (int i = 0; i + 1 < c.db.layerNum; ++i) {
        const int n = i + 1;
        std::fprintf(c.f, "VIA via%d DEFAULT\n", n);
        std::fprintf(c.f, "   LAYER metal%d ;\n", n);
        writeSquare(c.f, c.w(i) * c.drc.VIA_BOTTOM_HALF);
        std::fprintf(c.f, "   LAYER via%d ;\n", n);
        writeSquare(c.f, c.w(i) * c.drc.VIA_MIDDLE_HALF);
        std::fprintf(c.f, "   LAYER metal%d ;\n", n + 1);
        writeSquare(c.f, c.w(i + 1) * c.drc.VIA_TOP_HALF);
        std::fprintf(c.f, "END via%d\n\n", n);
    }
}

void writeRect3(std::FILE* f, float a, float b, float x, float y) {
    std::fprintf(f, "               RECT %.3lf %.3lf %.3lf %.3lf ;\n", static_cast<double>(a), static_cast<double>(b),
                 static_cast<double>(x), static_cast<double>(y));
}

void writeObstructions(const LefContext& c, const Macro& m) {
    const float W = c.micron(m.width);
    const float H = c.micron(m.height);
    if (m.shapes.empty()) {
        if (!(W > 0 && H > 0)) return;
        for (int l : m.blockedLayers) {
            std::fprintf(c.f, "     OBS\n          LAYER metal%d ;\n", l + 1);
            writeRect3(c.f, 0.0f, 0.0f, W, H);
            std::fprintf(c.f, "     END\n");
        }
        return;
    }
    for (int l : m.blockedLayers) {
        std::fprintf(c.f, "     OBS\n          LAYER metal%d ;\n", l + 1);
        for (const shape& s : m.shapes) {
            const float x0 = std::max(0.0f, c.micron(s.x));
            const float y0 = std::max(0.0f, c.micron(s.y));
            const float x1 = std::min(W, c.micron(static_cast<long long>(s.x) + s.w));
            const float y1 = std::min(H, c.micron(static_cast<long long>(s.y) + s.h));
            if (static_cast<long long>(s.x) + s.w > m.width || static_cast<long long>(s.y) + s.h > m.height)
                printf("ERROR %s %d\n", "Parser", 2705);
            if (x1 - x0 > 0 && y1 - y0 > 0) writeRect3(c.f, x0, y0, x1, y1);
        }
        std::fprintf(c.f, "     END\n");
    }
}

void writeMacro(const LefContext& c, const Macro& m) {
    std::FILE* f = c.f;
    std::fprintf(f, "MACRO MAS%d\n", m.index);
    const bool pad = m.type == 2;
    float padW = 0.0f, padH = 0.0f;
    if (pad) {
        const float d = m.pins.empty() ? 1.0f : c.w(m.pins[0].z);
        padW = c.drc.padWidth * d;
        padH = d * c.drc.padHeight;
        std::fprintf(f, "     CLASS PAD ;\n     SIZE %.3lf BY %.3lf ;\n", static_cast<double>(padW),
                     static_cast<double>(padH));
    } else {
        std::fprintf(f, "     CLASS CORE ;\n     SIZE %.3lf BY %.3lf ;\n", static_cast<double>(c.micron(m.width)),
                     static_cast<double>(c.micron(m.height)));
    }
    std::fprintf(f, "     ORIGIN 0 0 ;\n     SYMMETRY X ;\n");
    if (!pad) std::fprintf(f, "     SITE core ;\n");
    int j = 0;
    for (const Point& p : m.pins) {
        ++j;
        std::fprintf(f, "     PIN P%d\n     DIRECTION INOUT ;\n     USE SIGNAL ;\n          PORT\n", j);
        std::fprintf(f, "               LAYER metal%d ;\n", p.z + 1);
        if (pad) {
            std::fprintf(f, "                    RECT 0 0 %.4lf %.4lf ;\n", static_cast<double>(padW),
                         static_cast<double>(padH));
        } else {
            const float X = c.micron(p.x);
            const float Y = c.micron(p.y);
            const float x0 = X - c.w(p.z) * c.drc.PIN_WIDTH;
            const float y0 = Y - c.w(p.z) * c.drc.PIN_HEIGHT;
            std::fprintf(f, "                    RECT %.4lf %.4lf %.4lf %.4lf ;\n", static_cast<double>(x0),
                         static_cast<double>(y0), static_cast<double>(X), static_cast<double>(Y));
        }
        std::fprintf(f, "          END\n     END P%d\n", j);
    }
    if (m.type == 1) writeObstructions(c, m);
    std::fprintf(f, "END MAS%d\n\n", m.index);
}

}  // namespace

void outputLEF(const std::string& fileName, NetDB& db, const DRC& drc) {
    printf("output LEF file\n");
    Timer timer;
    timer.start();
    AtomicOutput out = openOutputOrExit(fileName);
    std::FILE* f = out.stream;
    const LefContext c{f, db, drc};

    std::fprintf(f, "# CONVERTED :  TARVEX\n\n");
    std::fprintf(f, "VERSION 5.7 ;\n\n");
    std::fprintf(f, "UNITS\nDATABASE MICRONS %d ;\nEND UNITS\n\n", drc.dbu);
    std::fprintf(f, "MANUFACTURINGGRID %.3lf ;\n\n", static_cast<double>(static_cast<float>(1.0 / drc.dbu)));
    std::fprintf(f, "LAYER poly\n   TYPE MASTERSLICE ;\nEND poly\n\n");
    writeLayers(c);
    writeVias(c);

    if (db.rows.empty()) {
        discardAtomicOutput(out);
        printf("Have no row information\n");
        std::exit(1);
    }
    const float siteHeight =
        static_cast<float>(static_cast<long long>(drc.coordScale) * db.rows[0].height) / static_cast<float>(drc.dbu);
    std::fprintf(f, "SITE core\n     CLASS CORE ;\n     SYMMETRY X ;\n");
    std::fprintf(f, "     SIZE %.3lf BY %.3lf ;\n", static_cast<double>(static_cast<float>(1.0 / drc.dbu)),
                 static_cast<double>(siteHeight));
    std::fprintf(f, "END core\n\n");

    const std::vector<Macro> masters = buildMacroMasters(db);
    for (const Macro& m : masters) writeMacro(c, m);

    std::fprintf(f, "END LIBRARY\n\n");
    commitOutputOrExit(out);
    printf("output LEF time = %.2lf\n\n", static_cast<double>(timer.getTime()));
}
