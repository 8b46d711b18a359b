// The .nodes reader: object sizes and types, numbered in file order.

#include <cstdio>
#include <string>

#include "database/GridLimits.h"
#include "database/bookshelf/Bookshelf.h"
#include "database/bookshelf/TextScanner.h"

namespace {

// The number after the first letter of an o or p name, or -1.
long long nameNumber(std::string_view t) {
    if (t.size() < 2 || t.size() > 11) return -1;
    long long v = 0;
    for (size_t k = 1; k < t.size(); ++k) {
        if (t[k] < '0' || t[k] > '9') return -1;
        v = v * 10 + (t[k] - '0');
    }
    return v;
}

[[noreturn]] void countMismatch(const TextScanner& sc, int lineNo, const std::string& reason) {
    printf("ERROR %s %d\n", "Parser", 956);
    sc.failAt(lineNo, reason);
}

// A p object is an NI terminal: its line must carry terminal_NI. Checked
// once the entries of the last object (read from line lastP) are over.
void requireNiType(const TextScanner& sc, const std::vector<placeCell>& cells, int objects, int lastP) {
    if (lastP > 0 && cells[static_cast<size_t>(objects - 1)].type != 2)
        sc.failAt(lastP, "a p object must be marked terminal_NI: the p objects are the NI terminals");
}

}  // namespace

int read_node_file(const char* fileName, std::vector<placeCell>& cells) {
    TextScanner sc(fileName);
    printf("read %s\n", fileName);

    int declared = -1;  // NumNodes, -1 until read
    int i = 0;          // objects read
    int c = 0;          // objects named o or A
    int pCount = 0;     // objects named p
    int lastP = 0;      // line of the last object when it is named p, else 0
    std::string_view t;
    while (sc.token(t)) {
        if (t == "NumNodes") {
            if (declared >= 0) sc.fail("a second NumNodes entry");
            sc.need("the colon after NumNodes");
            declared = sc.needCount("the node count", 4);  // "o0 1 1" and a line end at least
            if (sc.need("the NumTerminals entry") != "NumTerminals")
                sc.fail("expected NumTerminals after the node count");
            sc.need("the colon after NumTerminals");
            sc.needInt("the terminal count");
            cells.assign(static_cast<size_t>(declared), placeCell());
        } else if (t[0] == 'o' || t[0] == 'p' || t[0] == 'A') {
            if (declared < 0) sc.fail("object " + shown(t) + " comes before the NumNodes entry");
            requireNiType(sc, cells, i, lastP);
            if (i >= declared)
                countMismatch(sc, sc.line(), "more object lines than the " + std::to_string(declared) + " of NumNodes");
            // The rest of the system finds objects by their names' numbers, so
            // the names must number the lines: o0, o1, ... first, then p0, p1, ...
            if (t[0] != 'A') {
                long long n = nameNumber(t);
                long long want = t[0] == 'o' ? i : pCount;
                if (n != want || (t[0] == 'o' && pCount > 0))
                    sc.fail("object " + shown(t) + " stands where " + (t[0] == 'o' && pCount == 0 ? "o" : "p") +
                            std::to_string(want) + " belongs: o names must number the objects in file order and p names follow them");
            }
            placeCell& cell = cells[static_cast<size_t>(i)];
            cell.id = i;
            cell.index = i;
            cell.line = sc.line();
            cell.width = sc.needInt("the width of an object");
            cell.height = sc.needInt("the height of an object");
            if (cell.width < 0 || cell.height < 0) sc.fail("an object cannot have a negative width or height");
            if (cell.width > kMaxCoordinate || cell.height > kMaxCoordinate)
                sc.fail("the width and height of an object must be at most " + std::to_string(kMaxCoordinate) + " (got " +
                        std::to_string(cell.width) + " and " + std::to_string(cell.height) + ")");
            cell.type = 0;
            cell.pinLayer = 0;
            if (t[0] == 'p') {
                ++pCount;
                lastP = sc.line();
            } else {
                ++c;
                lastP = 0;
            }
            ++i;
        } else if (t == "terminal" || t == "terminal_NI") {
            if (i == 0) sc.fail(shown(t) + " before any object");
            // The writers and the placement tell the kinds apart by the name:
            // o and A objects are cells or terminals, p objects NI terminals.
            const bool ni = t == "terminal_NI";
            if (ni != (lastP > 0))
                sc.fail(ni ? "an object named o or A cannot be terminal_NI: the NI terminals are the p objects"
                           : "a p object cannot be terminal: the p objects are the NI terminals (terminal_NI)");
            cells[static_cast<size_t>(i - 1)].type = ni ? 2 : 1;
        }
        // Any other token is passed over by itself.
    }
    requireNiType(sc, cells, i, lastP);
    if (declared >= 0 && i != declared)
        countMismatch(sc, sc.line(),
                      "the file has " + std::to_string(i) + " object lines, NumNodes says " + std::to_string(declared));
    return c;
}
