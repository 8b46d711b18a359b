#pragma once
// Conversion of a placed Bookshelf design into a LEF 5.7 library and a DEF 5.7
// design: technology record and .rule reader, cell masters, NI point counts and
// the two writers.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <unordered_map>
#include <vector>

#include "database/AtomicOutput.h"
#include "database/Geometry.h"
#include "database/NetDB.h"
#include "database/Refusal.h"

// Technology of the conversion; the defaults are a 28 nm rule set.
struct DRC {
    int dbu = 1000;         // LEF DATABASE MICRONS, DEF UNITS DISTANCE MICRONS
    int coordScale = 1000;  // design coordinates -> DEF units
    float PIN_WIDTH = 0.56f;
    float PIN_HEIGHT = 0.56f;
    float padWidth = 0.5f;   // pad master and pad pin size per unit of minimum width
    float padHeight = 0.5f;
    float WIRE_WIDTH = 0.42f;
    float WIRE_SPACE = 0.42f;
    float WIRE_PITCH = 0.92f;
    float VIA_BOTTOM_HALF = 0.28f;
    float VIA_MIDDLE_HALF = 0.21f;
    float VIA_TOP_HALF = 0.28f;
    bool USE_BOTTOM_LAYER = false;
    float metal1Pitch = 0.92f;
};

// One LEF master.
struct Macro {
    long long key = 0;  // sum of x + y + layer over the pins
    int type = 0;       // placeCell type
    int index = -1;     // master number
    int width = 0;
    int height = 0;
    std::vector<shape> shapes;        // relative to the cell's lower-left corner
    std::vector<Point> pins;          // {x offset, y offset, layer}, unique, pin_cp order
    std::vector<int> blockedLayers;   // 0-based
};

// Pin order of a master: descending by x * 1000000 + y * 100 + layer (64-bit),
// equal keys by descending x, then y, then layer.
bool pin_cp(const Point& a, const Point& b);
// Hash of a master: width * 100000 + height * 100 + key + pins + shapes (64-bit).
std::uint64_t MacroHash(const Macro& m);
// A probe equals a master when type, size and pins match and the probe has no shapes.
bool eqMacro(const Macro& probe, const Macro& m);

// Number of NI terminals per lower-left point of the die, kept only for points that hold one.
struct NIPointTable {
    long long originX = 0, originY = 0;  // the die's lower-left corner
    long long width = 0, height = 0;     // the die's extent in design units
    std::unordered_map<std::uint64_t, int> counts;

    bool inside(long long x, long long y) const {
        return x >= originX && y >= originY && x - originX < width && y - originY < height;
    }
    // Offsets from the origin of int points on the die are below 2^32: one word holds both.
    std::uint64_t key(long long x, long long y) const {
        return static_cast<std::uint64_t>(x - originX) << 32 | static_cast<std::uint64_t>(y - originY);
    }
    // 0 for a point outside the die or without NI terminal.
    int count(long long x, long long y) const;
    void clear(long long x, long long y);
};

// Reads a .rule file over the values already in drc; malformed files end the run.
void input_design_rule(const char* fileName, DRC& drc);
// The same on the text of a .rule file named fileName (after the "read" line).
// Every value of a float keyword must be at least kMinRuleValue (kMinPinRuleValue
// for PIN_WIDTH and PIN_HEIGHT), below which it prints as 0, and at most kMaxRuleValue.
void readDesignRulesText(const char* fileName, const std::string& text, DRC& drc);
constexpr float kMaxRuleValue = 1000.0f;
constexpr float kMinRuleValue = 0.0005f;
constexpr float kMinPinRuleValue = 0.0001f;
// Every refusal of the .rule reader: "file:line: reason" on standard error, status 1
// (through ruleFileRefusal).
[[noreturn]] void refuseRuleFile(const char* fileName, int line, const std::string& reason);
// Refusal hook of the .rule reader (see database/Refusal.h).
extern RefusalHandler ruleFileRefusal;

// Checks the design (NI terminals on the die, at most 10 per point; no two pins of
// a cell alike), builds the NI point table and prints its statistics.
void preProcess(NetDB& db, NIPointTable& table);

// Groups the cells into masters: sets each cell's master index, each Bookshelf
// net's LEF pin numbers and NI terminals' pin layer. Returns the masters in order.
std::vector<Macro> buildMacroMasters(NetDB& db);

void outputLEF(const std::string& fileName, NetDB& db, const DRC& drc);
void outputDEF(const std::string& fileName, const std::string& designName, NetDB& db, const DRC& drc,
               NIPointTable& niPoints);
// The conversion: outName.aux, outName.lef and outName.def. ruleFile may be null.
void outputLEFDEF(const char* outName, const char* ruleFile, NetDB& db);

// Output files of the conversion, each whole or absent (database/AtomicOutput.h):
// a file that cannot be opened or written ends the run with a message naming it
// and status 1.
