// The .nets reader: the Bookshelf nets with their pins, each object's pins,
// and a provisional pin count per G-cell.

#include <cmath>
#include <cstdio>
#include <string>

#include "database/GridLimits.h"
#include "database/Settings.h"
#include "database/bookshelf/Bookshelf.h"
#include "database/bookshelf/TextScanner.h"

namespace {

// Next blank-separated word of a line; false when none is left.
bool nextWord(std::string_view& line, std::string_view& w) {
    size_t i = 0;
    while (i < line.size() && TextScanner::isSpace(line[i])) ++i;
    if (i == line.size()) return false;
    size_t j = i;
    while (j < line.size() && !TextScanner::isSpace(line[j])) ++j;
    w = line.substr(i, j - i);
    line.remove_prefix(j);
    return true;
}

// Offset from the lower-left corner: the centre offset plus half the size,
// truncated toward zero.
double cornerValue(double centreOffset, int size) { return std::trunc(centreOffset + 0.5 + size * 0.5); }

// The same as an int; false when it lies beyond +-kMaxCoordinate.
bool cornerOffset(double centreOffset, int size, int& out) {
    double v = cornerValue(centreOffset, size);
    if (!(v >= -kMaxCoordinate && v <= kMaxCoordinate)) return false;
    out = static_cast<int>(v);
    return true;
}

class NetsReader {
public:
    NetsReader(const char* fileName, NetDB& db) : sc_(fileName), db_(db) {}

    void run() {
        printf("read %s\n", sc_.fileName());
        if (db_.gridX > 0 && db_.gridY > 0)
            db_.pinCount.assign(static_cast<size_t>(db_.gridX), std::vector<int>(static_cast<size_t>(db_.gridY), 0));
        else
            db_.pinCount.clear();
        int declared = -1;
        bool blocksRead = false;
        std::string_view t;
        while (sc_.token(t)) {
            if (t == "NumNets") {
                if (declared >= 0) sc_.fail("a second NumNets entry");
                sc_.need("the colon after NumNets");
                declared = sc_.needCount("the net count", 14);  // "NetDegree : 0 n" and a line end
                db_.netInfos.assign(static_cast<size_t>(declared), netInfo());
            } else if (t == "NumPins") {
                if (declared < 0) sc_.fail("NumPins comes before the NumNets entry");
                if (blocksRead) sc_.fail("a second NumPins entry");
                sc_.need("the colon after NumPins");
                sc_.needInt("the pin count");
                sc_.skipLine();
                readBlocks(declared);
                blocksRead = true;
            } else if (t == "NetDegree") {
                if (blocksRead)
                    sc_.fail("more net blocks than the " + std::to_string(declared) + " of NumNets");
                sc_.fail("a net block before the NumNets and NumPins entries");
            } else if (blocksRead && declared > 0 && (t[0] == 'o' || t[0] == 'p' || t[0] == 'A')) {
                const netInfo& last = db_.netInfos.back();
                sc_.fail("net " + shown(last.name) + " has more pin lines than its NetDegree " +
                         std::to_string(last.pins.size()));
            } else {
                sc_.skipLine();
            }
        }
        if (declared > 0 && !blocksRead)
            sc_.fail("the file has no NumPins entry, so the " + std::to_string(declared) + " nets of NumNets are missing");
        givePinsToObjects();
    }

private:
    void readBlocks(int count) {
        std::string_view t, line, w;
        for (int j = 0; j < count; ++j) {
            netInfo& net = db_.netInfos[static_cast<size_t>(j)];
            if (!sc_.token(t))
                sc_.fail("the file ends after " + std::to_string(j) + " of the " + std::to_string(count) + " nets of NumNets");
            if (t != "NetDegree") {
                if (j > 0 && (t[0] == 'o' || t[0] == 'p' || t[0] == 'A'))
                    sc_.fail("net " + shown(db_.netInfos[static_cast<size_t>(j - 1)].name) +
                             " has more pin lines than its NetDegree " +
                             std::to_string(db_.netInfos[static_cast<size_t>(j - 1)].pins.size()));
                sc_.fail("expected NetDegree for net " + std::to_string(j + 1) + " of " + std::to_string(count) +
                         " (got " + shown(t) + ")");
            }
            sc_.restOfLine(line);
            int degree = -1;
            if (!nextWord(line, w) || !nextWord(line, w) || !TextScanner::toInt(w, degree) || degree < 0)
                sc_.fail("the NetDegree line needs \": degree name\" with a degree of 0 or more");
            if (static_cast<uint64_t>(degree) > sc_.fileSize() / 4 + 1)
                sc_.fail("the degree " + std::to_string(degree) + " is larger than the file can hold");
            if (!nextWord(line, w)) sc_.fail("the NetDegree line has no net name");
            net.id = j;
            net.name.assign(w.data(), w.size());
            net.pins.reserve(static_cast<size_t>(degree));
            for (int k = 0; k < degree; ++k) readPin(net, j, degree, k);
        }
    }

    void readPin(netInfo& net, int j, int degree, int k) {
        std::string_view line, w;
        // Blank and comment lines between the pins are passed over.
        for (;;) {
            if (!sc_.restOfLine(line))
                sc_.fail("the file ends after " + std::to_string(k) + " of the " + std::to_string(degree) +
                         " pins of net " + shown(net.name));
            std::string_view probe = line;
            if (nextWord(probe, w) && w[0] != '#') break;
        }
        nextWord(line, w);
        if (w == "NetDegree")
            sc_.fail("net " + shown(net.name) + " has " + std::to_string(k) + " pin lines, fewer than its NetDegree " +
                     std::to_string(degree));
        int cell = 0;
        if (!objectIndex(w, db_.objectCount, static_cast<int>(db_.cells.size()), cell, why_)) sc_.fail(why_);
        if (!nextWord(line, w)) sc_.fail("the pin line has no direction");
        int direction;
        if (w[0] == 'I') {
            direction = 1;
        } else if (w[0] == 'O') {
            direction = 0;
        } else {
            printf("ERROR: %s %d tmpChar=%c\n", "Parser", 641, w[0]);
            sc_.fail("the pin direction must be I or O (got " + shown(w) + ")");
        }
        // ": x y" offsets from the object's centre; a pin line without them
        // sits at the centre.
        double xo = 0.0, yo = 0.0;
        if (nextWord(line, w)) {
            if (w != ":") sc_.fail("expected \":\" and the two offsets after the direction (got " + shown(w) + ")");
            if (!nextWord(line, w) || !TextScanner::toReal(w, xo))
                sc_.fail("the x offset of the pin is missing or not a finite number");
            if (!nextWord(line, w) || !TextScanner::toReal(w, yo))
                sc_.fail("the y offset of the pin is missing or not a finite number");
        }
        const placeCell& obj = db_.cells[static_cast<size_t>(cell)];
        pinLocate pin;
        pin.cell = cell;
        pin.net = j;
        pin.direction = direction;
        if (!cornerOffset(xo, obj.width, pin.xOffset) || !cornerOffset(yo, obj.height, pin.yOffset)) {
            char buf[800];  // a double printed whole takes up to 309 digits
            snprintf(buf, sizeof buf, "the pin's offset from the object's lower-left corner (%.0f, %.0f) is outside -%d..%d",
                     cornerValue(xo, obj.width), cornerValue(yo, obj.height), kMaxCoordinate, kMaxCoordinate);
            sc_.fail(buf);
        }
        net.pins.push_back(pin);
        countPin(obj, pin);
    }

    // Provisional count at the object's current position, in the nearest
    // G-cell. No placement has been read yet: every object stands at (0, 0),
    // which may lie off the die of a valid set, so a pin outside the grid here
    // is no fault of the input (the netlist builder counts again once the
    // objects are placed).
    void countPin(const placeCell& obj, const pinLocate& pin) {
        if (db_.pinCount.empty()) {
            printf("ERROR\n");
            return;
        }
        bool out = false;
        int gx = gcellOf(static_cast<long long>(obj.xlow) + pin.xOffset, db_.originX, db_.tileW, db_.gridX, out);
        int gy = gcellOf(static_cast<long long>(obj.ylow) + pin.yOffset, db_.originY, db_.tileH, db_.gridY, out);
        ++db_.pinCount[static_cast<size_t>(gx)][static_cast<size_t>(gy)];
    }

    // Every object gets its pins in the order of the file, each list sized once.
    void givePinsToObjects() {
        std::vector<int> count(db_.cells.size(), 0);
        for (const netInfo& n : db_.netInfos)
            for (const pinLocate& p : n.pins) ++count[static_cast<size_t>(p.cell)];
        for (size_t c = 0; c < db_.cells.size(); ++c)
            if (count[c] > 0) db_.cells[c].pins.reserve(db_.cells[c].pins.size() + static_cast<size_t>(count[c]));
        for (const netInfo& n : db_.netInfos)
            for (const pinLocate& p : n.pins) db_.cells[static_cast<size_t>(p.cell)].pins.push_back(p);
    }

    TextScanner sc_;
    NetDB& db_;
    std::string why_;
};

}  // namespace

void read_net_file(const char* fileName, NetDB& db, parameterSet& /*settings*/) { NetsReader(fileName, db).run(); }
