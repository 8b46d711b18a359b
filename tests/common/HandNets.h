#pragma once
// Nets filled by hand into a design, for the reports that read placed
// Bookshelf nets (HPWL, LOOK) without a reader.

#include <algorithm>
#include <utility>
#include <vector>

#include "database/NetDB.h"

// Appends a Bookshelf net and its routing net with one 1 x 1 cell of `type` per
// point, its pin `xOffset` to the right of the cell's corner; the routing net's
// G-cell pins are the points' G-cells of `tile` x `tile`, unique.
inline void addHandNet(NetDB& db, const std::vector<std::pair<int, int>>& points, int type = 0, int xOffset = 0,
                       int tile = 10) {
    netInfo info;
    info.id = static_cast<int>(db.netInfos.size());
    Net net;
    net.id = info.id;
    for (auto [x, y] : points) {
        placeCell c;
        c.id = c.index = static_cast<int>(db.cells.size());
        c.xlow = x;
        c.ylow = y;
        c.width = c.height = 1;
        c.type = type;
        const pinLocate p{c.id, info.id, 1, xOffset, 0};
        c.pins.push_back(p);
        info.pins.push_back(p);
        net.pins.push_back(p);
        const Point g(x / tile, y / tile, 0);
        if (std::find(net.pin2D.begin(), net.pin2D.end(), g) == net.pin2D.end()) net.pin2D.push_back(g);
        db.cells.push_back(c);
    }
    db.netInfos.push_back(info);
    db.nets.push_back(net);
}
