#include "app/PlacementRefusals.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <queue>
#include <utility>
#include <vector>

#include "database/GridLimits.h"
#include "database/bookshelf/BookshelfFail.h"
#include "placement/Placement.h"

std::string objectName(const NetDB& db, int i) {
    return i < db.objectCount ? "o" + std::to_string(i) : "p" + std::to_string(i - db.objectCount);
}

namespace {

// A row's rectangle as "x a to b, y c to d"; a row is named in the .scl by the
// line of its Sitewidth value, the one line the reader keeps of its entry.
std::string rowSpan(const Row& r) {
    return "x " + std::to_string(r.x) + " to " + std::to_string(static_cast<long long>(r.x) + r.numSites) + ", y " +
           std::to_string(r.y) + " to " + std::to_string(static_cast<long long>(r.y) + r.height);
}

bool hasDie(const NetDB& db) { return db.gridX > 0 && db.gridY > 0 && db.tileW > 0 && db.tileH > 0; }
long long dieRight(const NetDB& db) { return db.originX + static_cast<long long>(db.gridX) * db.tileW; }
long long dieTop(const NetDB& db) { return db.originY + static_cast<long long>(db.gridY) * db.tileH; }

}  // namespace

void refuseRowsOutsideTheDieOrOverlapping(const NetDB& db) {
    const char* scl = db.sclFile.c_str();
    if (hasDie(db)) {
        const long long right = dieRight(db), top = dieTop(db);
        for (const Row& r : db.rows) {
            if (r.x >= db.originX && r.y >= db.originY && static_cast<long long>(r.x) + r.numSites <= right &&
                static_cast<long long>(r.y) + r.height <= top)
                continue;
            failInput(scl, r.siteWidthLine,
                      "the row (" + rowSpan(r) + ") reaches outside the die (x " + std::to_string(db.originX) +
                          " to " + std::to_string(right) + ", y " + std::to_string(db.originY) + " to " +
                          std::to_string(top) + "); placement keeps every row inside the die");
        }
    }
    // Sweep upwards: the rows met so far whose top lies above the current
    // bottom are disjoint in x, so a new row can only overlap its neighbours there.
    std::vector<int> order;
    for (size_t i = 0; i < db.rows.size(); ++i)
        if (db.rows[i].numSites > 0 && db.rows[i].height > 0) order.push_back(static_cast<int>(i));
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
        const Row &p = db.rows[a], &q = db.rows[b];
        return p.y != q.y ? p.y < q.y : p.x < q.x;
    });
    std::map<int, int> active;  // x -> row
    using Top = std::pair<long long, int>;
    std::priority_queue<Top, std::vector<Top>, std::greater<Top>> tops;
    for (int i : order) {
        const Row& r = db.rows[i];
        while (!tops.empty() && tops.top().first <= r.y) {
            active.erase(db.rows[tops.top().second].x);
            tops.pop();
        }
        const long long end = static_cast<long long>(r.x) + r.numSites;
        auto next = active.lower_bound(r.x);
        int other = -1;
        if (next != active.end() && next->first < end) other = next->second;
        if (other < 0 && next != active.begin()) {
            const Row& before = db.rows[std::prev(next)->second];
            if (static_cast<long long>(before.x) + before.numSites > r.x) other = std::prev(next)->second;
        }
        if (other >= 0) {
            const Row& o = db.rows[other];
            failInput(scl, r.siteWidthLine,
                      "the row (" + rowSpan(r) + ") overlaps the row of line " + std::to_string(o.siteWidthLine) + " (" +
                          rowSpan(o) + "); placement needs rows that do not overlap");
        }
        active.emplace(r.x, i);
        tops.emplace(static_cast<long long>(r.y) + r.height, i);
    }
}

void refuseRowsForConversion(const NetDB& db) {
    // The conversion's own line for rows past the die's right or top edge comes first.
    if (hasDie(db) && !db.rows.empty()) {
        long long xRow = LLONG_MIN, yRow = LLONG_MIN;
        for (const Row& row : db.rows) {
            xRow = std::max(xRow, static_cast<long long>(row.x) + row.numSites);
            yRow = std::max(yRow, static_cast<long long>(row.y) + row.height);
        }
        if (dieRight(db) < xRow || dieTop(db) < yRow)
            printf("ERROR: %s %d xRow=%lld yRow=%lld xTop=%lld yTop=%lld \n", "Parser", 2744, xRow, yRow, dieRight(db),
                   dieTop(db));
    }
    refuseRowsOutsideTheDieOrOverlapping(db);
}

void refusePinsCarriedPastTheBound(const NetDB& db, bool tiles) {
    if (tiles ? !hasDie(db) : db.rows.empty()) return;
    // The lower-left corners the placer may give a cell: any spot of any row,
    // and with the re-placement rounds any tile corner of the die (which holds the rows).
    struct Reach {
        long long low, high;  // the corner's lowest and highest value, before the cell's own size
        std::string lowWhere, highWhere;
    } rx, ry;
    if (tiles) {
        const std::string die = "the die";
        rx = {db.originX, dieRight(db), die, die};
        ry = {db.originY, dieTop(db), die, die};
    } else {
        const Row *left = &db.rows[0], *right = left, *bottom = left, *top = left;
        for (const Row& r : db.rows) {
            if (r.x < left->x) left = &r;
            if (static_cast<long long>(r.x) + r.numSites > static_cast<long long>(right->x) + right->numSites) right = &r;
            if (r.y < bottom->y) bottom = &r;
            if (r.y > top->y) top = &r;
        }
        auto where = [&](const Row* r) { return "the row of " + db.sclFile + ":" + std::to_string(r->siteWidthLine); };
        rx = {left->x, static_cast<long long>(right->x) + right->numSites, where(left), where(right)};
        // A cell stands on its row: its top never decides where its corner goes.
        ry = {bottom->y, static_cast<long long>(top->y), where(bottom), where(top)};
    }
    for (size_t i = 0; i < db.cells.size(); ++i) {
        const placeCell& c = db.cells[i];
        if (c.type != 0) continue;
        const long long highX = rx.high - c.width;
        const long long highY = tiles ? ry.high - c.height : ry.high;
        for (const pinLocate& p : c.pins) {
            const struct {
                long long corner;
                int offset;
                const char* axis;
                const std::string* where;
            } spots[] = {{rx.low, p.xOffset, "x", &rx.lowWhere},
                         {highX, p.xOffset, "x", &rx.highWhere},
                         {ry.low, p.yOffset, "y", &ry.lowWhere},
                         {highY, p.yOffset, "y", &ry.highWhere}};
            for (const auto& s : spots) {
                const long long at = s.corner + s.offset;
                if (at >= -kMaxCoordinate && at <= kMaxCoordinate) continue;
                failInput(db.nodesFile.c_str(), c.line,
                          "movable object " + objectName(db, static_cast<int>(i)) + " has a pin " +
                              std::to_string(s.offset) + " from its lower-left corner in " + s.axis +
                              "; with its corner at " + s.axis + " " + std::to_string(s.corner) + ", a spot in " +
                              *s.where + ", the pin would lie at " + std::to_string(at) + ", outside -" +
                              std::to_string(kMaxCoordinate) + ".." + std::to_string(kMaxCoordinate));
            }
        }
    }
}

void refuseUnplaceableDesign(const NetDB& db) {
    const char* scl = db.sclFile.c_str();
    int lowest = INT_MAX, highest = INT_MIN;
    for (const Row& r : db.rows) {
        if (r.siteWidth != 1)
            failInput(scl, r.siteWidthLine,
                      "the row's Sitewidth is " + std::to_string(r.siteWidth) +
                          "; placement takes a site as one database unit and needs Sitewidth 1 and Sitespacing 1");
        if (r.siteSpacing != 1)
            failInput(scl, r.siteSpacingLine,
                      "the row's Sitespacing is " + std::to_string(r.siteSpacing) +
                          "; placement takes a site as one database unit and needs Sitewidth 1 and Sitespacing 1");
        lowest = std::min(lowest, r.height);
        highest = std::max(highest, r.height);
    }
    if (db.rows.empty()) return;
    refuseRowsOutsideTheDieOrOverlapping(db);
    for (size_t i = 0; i < db.cells.size(); ++i) {
        const placeCell& c = db.cells[i];
        if (c.type != 0 || c.height <= lowest) continue;
        failInput(db.nodesFile.c_str(), c.line,
                  "movable object " + objectName(db, static_cast<int>(i)) + " is " + std::to_string(c.height) +
                      " high and " + (lowest == highest ? "the rows are " : "the lowest row is ") +
                      std::to_string(lowest) + " high; placement keeps each cell within one row");
    }
}

void refuseImpossibleLegalization(const NetDB& db, const Placement& p) {
    AreaSum freeArea = 0;
    long long widest = -1;
    for (const Row& r : p.rows)
        for (const SubRow* s : r.subRows) {
            const long long length = static_cast<long long>(s->xhigh) - s->xlow;
            freeArea += length * (static_cast<long long>(s->yhigh) - s->ylow);
            widest = std::max(widest, length);
        }
    AreaSum cellArea = 0;
    for (const placeCell& c : p.cells)
        if (c.type == 0) cellArea += static_cast<long long>(c.width) * c.height;
    if (cellArea > freeArea) {
        std::fflush(stdout);
        std::fprintf(stderr,
                     "ERROR: the movable cells cannot be legalized: their area of %s exceeds the %s of free row "
                     "area\n",
                     areaText(cellArea).c_str(), areaText(freeArea).c_str());
        std::exit(1);
    }
    for (size_t i = 0; i < p.cells.size(); ++i) {
        const placeCell& c = p.cells[i];
        if (c.type != 0 || c.width <= widest) continue;
        failInput(db.nodesFile.c_str(), c.line,
                  "movable object " + objectName(db, static_cast<int>(i)) + " is " + std::to_string(c.width) +
                      " wide and cannot be legalized: " +
                      (widest < 0 ? std::string("the rows have no free segment")
                                  : "the widest free row segment is " + std::to_string(widest)));
    }
}
