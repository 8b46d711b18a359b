// The .pl writer and the two-pin dump.

#include "database/PlacementWriters.h"

#include <cstdio>
#include <cstdlib>

#include "database/AtomicOutput.h"
#include "database/NetDB.h"

void outputCell(const char* fileName, NetDB& db) {
    AtomicOutput out = openOutputOrExit(fileName);
    FILE* f = out.stream;
    fputs("UCLA pl 1.0\n", f);
    fputs("#Tool : Velmor\n", f);
    const int total = static_cast<int>(db.cells.size());
    const int named = db.objectCount < total ? db.objectCount : total;
    for (int i = 0; i < named; ++i) {
        const placeCell& c = db.cells[i];
        if (c.type == 0) {
            fprintf(f, "o%d %d %d : N\n", i, c.xlow, c.ylow);
        } else if (c.type == 1) {
            fprintf(f, "o%d %d %d : N /FIXED\n", i, c.xlow, c.ylow);
        } else {
            printf("ERROR %s %d  cell=%d\n", "Parser", 1854, i);
            discardAtomicOutput(out);
            exit(1);
        }
    }
    for (int j = named; j < total; ++j) {
        const placeCell& c = db.cells[j];
        if (c.type == 2) {
            fprintf(f, "p%d %d %d : N /FIXED_NI\n", j - db.objectCount, c.xlow, c.ylow);
        } else {
            printf("ERROR %s %d  cell=%d\n", "Parser", 1866, j);
            discardAtomicOutput(out);
            exit(1);
        }
    }
    commitOutputOrExit(out);
}

void outputTwoPin(const char* fileName, NetDB& db) {
    printf("output two pin file: %s\n", fileName);
    AtomicOutput out = openOutputOrExit(fileName);
    FILE* f = out.stream;
    fprintf(f, "num net %d\n", static_cast<int>(db.nets.size()));
    for (const Net& net : db.nets) {
        fprintf(f, "net %d %d %d\n", net.id, static_cast<int>(net.twopin.size()), static_cast<int>(net.pins.size()));
        for (const TwoPin& t : net.twopin) fprintf(f, "%d - %d\n", t.fromPin, t.toPin);
        for (size_t k = 0; k < net.pins.size(); ++k) {
            const pinLocate& p = net.pins[k];
            const placeCell& c = db.cells[p.cell];
            fprintf(f, "pin%d %d %d %d\n", static_cast<int>(k), c.xlow + p.xOffset, c.ylow + p.yOffset, c.pinLayer);
        }
        fputs("!\n", f);
    }
    commitOutputOrExit(out);
}
