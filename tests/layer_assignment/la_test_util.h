#pragma once
// Hand-made designs for the layer-assignment tests.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "database/NetDB.h"
#include "layer_assignment/LA.h"
#include "tests/common/RunCommand.h"

namespace latest {

// An X by Y grid of L layers; vertical and horizontal tracks per layer, pitch 1
// (width 1, spacing 0) unless given.
inline NetDB makeDB(int X, int Y, std::vector<int> vTracks, std::vector<int> hTracks) {
    NetDB db;
    db.gridX = X;
    db.gridY = Y;
    db.layerNum = static_cast<int>(vTracks.size());
    db.vTracks = std::move(vTracks);
    db.hTracks = std::move(hTracks);
    db.minWidth.assign(db.layerNum, 1);
    db.minSpacing.assign(db.layerNum, 0);
    db.pitch.assign(db.layerNum, 1);
    db.pinCount.assign(X, std::vector<int>(Y, 0));
    db.originX = 0;
    db.originY = 0;
    db.tileW = 10;
    db.tileH = 10;
    return db;
}

// Unit steps along a chain of G-cells, each next to the one before.
inline std::vector<RPoint> pathThrough(const std::vector<std::pair<int, int>>& cells, int z = 0) {
    std::vector<RPoint> p;
    for (size_t i = 1; i < cells.size(); ++i) {
        const auto a = cells[i - 1], b = cells[i];
        if (a.first == b.first)
            p.emplace_back(a.first, std::min(a.second, b.second), z, 0);
        else
            p.emplace_back(std::min(a.first, b.first), a.second, z, 1);
    }
    return p;
}

// A net with 3D pins (x, y, layer) and one connection per path.
inline Net& addNet(NetDB& db, int id, const std::vector<Point>& pins,
                   const std::vector<std::vector<RPoint>>& paths) {
    db.nets.emplace_back();
    Net& n = db.nets.back();
    n.id = id;
    n.name = "n" + std::to_string(id);
    n.pin3D = pins;
    for (const Point& p : pins) {
        bool seen = false;
        for (const Point& q : n.pin2D) seen = seen || q == p;
        if (!seen) n.pin2D.push_back(p);
        if (static_cast<size_t>(p.x) < db.pinCount.size()) db.pinCount[p.x][p.y] += 1;
    }
    for (const auto& path : paths) {
        TwoPin tp;
        tp.path = path;
        n.twopin.push_back(std::move(tp));  // a copy would drop the path
    }
    return n;
}

inline std::string readFile(const std::string& name) {
    std::ifstream in(name);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

inline std::string tempName(const std::string& stem) {
    return scratchDir() + "la_" + stem + "_" +
           ::testing::UnitTest::GetInstance()->current_test_info()->name();
}

// Runs initialLA and convertGRtoLA with console output swallowed.
inline void prepare(Graph& g, NetDB& db, int viaCost = 1, double pinFactor = 0.0) {
    ::testing::internal::CaptureStdout();
    g.initialLA(db, viaCost, pinFactor);
    g.convertGRtoLA(db);
    ::testing::internal::GetCapturedStdout();
}

}  // namespace latest
