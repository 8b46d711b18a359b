// Routing nets from a placement: one routing net per Bookshelf net, its pins
// mapped to G-cells at the objects' current positions.

#include <cstdio>
#include <cstdlib>

#include "database/Settings.h"
#include "database/bookshelf/Bookshelf.h"

void build_netlist_set(NetDB& db, parameterSet& /*settings*/, std::vector<placeCell>& cells) {
    const int X = db.gridX, Y = db.gridY;
    if (X < 1 || Y < 1 || db.tileW < 1 || db.tileH < 1) {
        fprintf(stderr, "ERROR: the routing nets need a routing grid (%d by %d G-cells of %d by %d)\n", X, Y, db.tileW,
                db.tileH);
        exit(1);
    }
    db.pinCount.assign(static_cast<size_t>(X), std::vector<int>(static_cast<size_t>(Y), 0));
    db.nets.clear();
    db.nets.resize(db.netInfos.size());

    // Duplicate pins are found through the G-cells: `stamp` names the last net
    // that put a pin into a G-cell, `head` its first 3D pin there, and
    // `sameCell` chains the net's 3D pins of one G-cell; so a net costs time
    // linear in its pin count.
    const size_t cellsXY = static_cast<size_t>(X) * static_cast<size_t>(Y);
    std::vector<int> stamp(cellsXY, -1), head(cellsXY, 0);
    std::vector<int> sameCell;
    long long outside = 0;
    for (size_t i = 0; i < db.netInfos.size(); ++i) {
        const netInfo& info = db.netInfos[i];
        Net& net = db.nets[i];
        net.id = info.id;
        net.name = info.name;
        net.pins = info.pins;
        net.pin3D.reserve(info.pins.size());
        net.pin2D.reserve(info.pins.size());
        sameCell.clear();
        for (const pinLocate& pin : info.pins) {
            if (pin.cell < 0 || static_cast<size_t>(pin.cell) >= cells.size()) {
                fprintf(stderr, "ERROR: net %s names object %d of %zu\n", info.name.c_str(), pin.cell, cells.size());
                exit(1);
            }
            const placeCell& c = cells[static_cast<size_t>(pin.cell)];
            bool out = false;
            const int gx = gcellOf(static_cast<long long>(c.xlow) + pin.xOffset, db.originX, db.tileW, X, out);
            const int gy = gcellOf(static_cast<long long>(c.ylow) + pin.yOffset, db.originY, db.tileH, Y, out);
            if (out) ++outside;
            const int z = c.pinLayer;
            ++db.pinCount[static_cast<size_t>(gx)][static_cast<size_t>(gy)];

            const size_t key = static_cast<size_t>(gx) * static_cast<size_t>(Y) + static_cast<size_t>(gy);
            const int next = static_cast<int>(net.pin3D.size());
            if (stamp[key] != static_cast<int>(i)) {
                stamp[key] = static_cast<int>(i);
                head[key] = next;
                net.pin2D.push_back(Point(gx, gy, z));
            } else {
                int k = head[key], last = -1;
                while (k != -1 && net.pin3D[static_cast<size_t>(k)].z != z) {
                    last = k;
                    k = sameCell[static_cast<size_t>(k)];
                }
                if (k != -1) continue;  // already a 3D pin of the net
                sameCell[static_cast<size_t>(last)] = next;
            }
            net.pin3D.push_back(Point(gx, gy, z));
            sameCell.push_back(-1);
        }
    }
    if (outside > 0)
        printf("%lld pins lie outside the routing grid; each counts in the nearest G-cell\n", outside);
}
