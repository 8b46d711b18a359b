#pragma once
// Hand-made design pieces for the unit tests: objects, Bookshelf-style pins and
// rows stacked from the origin.

#include <algorithm>
#include <utility>
#include <vector>

#include "database/NetDB.h"

// An object of `w` by `h` with its lower-left corner at (x, y).
inline placeCell handCell(int x, int y, int w, int h, int type = 0) {
    placeCell c;
    c.xlow = x;
    c.ylow = y;
    c.width = w;
    c.height = h;
    c.type = type;
    return c;
}

// Appends `c` with id and index set to its position; returns that position.
inline int addObject(std::vector<placeCell>& cells, placeCell c) {
    c.id = c.index = static_cast<int>(cells.size());
    cells.push_back(c);
    return c.index;
}

// A pin of object `cell` on Bookshelf net `net`, listed with the net and with
// the object as the reader lists it.
inline void addNetPin(NetDB& db, int net, int cell, int dir, int dx, int dy) {
    if (static_cast<int>(db.netInfos.size()) <= net) db.netInfos.resize(static_cast<size_t>(net) + 1);
    db.netInfos[static_cast<size_t>(net)].id = net;
    const pinLocate p{cell, net, dir, dx, dy};
    db.netInfos[static_cast<size_t>(net)].pins.push_back(p);
    db.cells[static_cast<size_t>(cell)].pins.push_back(p);
}

// `count` rows of `height` from y = 0 up, each `sites` sites of width `site` from x = 0.
inline std::vector<Row> stackedRows(int count, int height, int sites, int site = 1) {
    std::vector<Row> rows(static_cast<size_t>(count));
    for (int r = 0; r < count; ++r) {
        Row& row = rows[static_cast<size_t>(r)];
        row.y = r * height;
        row.height = height;
        row.numSites = sites;
        row.siteWidth = row.siteSpacing = site;
    }
    return rows;
}

// Appends a Bookshelf net and its routing net with one 1 x 1 object of `type`
// per point, its pin `xOffset` to the right of the object's corner; the routing
// net's G-cell pins are the points' G-cells of `tile` x `tile`, unique.
inline void addHandNet(NetDB& db, const std::vector<std::pair<int, int>>& points, int type = 0, int xOffset = 0,
                       int tile = 10) {
    netInfo info;
    info.id = static_cast<int>(db.netInfos.size());
    Net net;
    net.id = info.id;
    for (auto [x, y] : points) {
        placeCell c = handCell(x, y, 1, 1, type);
        c.id = c.index = static_cast<int>(db.cells.size());
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
