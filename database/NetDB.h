#pragma once
// The design database: plain records that the readers fill and every phase reads.

#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "database/EdgeUseMap.h"
#include "database/Geometry.h"

struct Net;

// Hash of a step for a net's Steiner-edge set: hori + 3y + 6000x in wrapping
// 32-bit arithmetic; z does not enter the hash.
struct RPointHash {
    size_t operator()(const RPoint& p) const {
        unsigned h = static_cast<unsigned>(p.hori) + 3u * static_cast<unsigned>(p.y) +
                     6000u * static_cast<unsigned>(p.x);
        return static_cast<size_t>(static_cast<int>(h));
    }
};

// Equality of a net's Steiner-edge set compares all four fields, z included.
struct eqRPoint {
    bool operator()(const RPoint& a, const RPoint& b) const {
        return a.hori == b.hori && a.x == b.x && a.y == b.y && a.z == b.z;
    }
};

// One two-pin connection of a net.
struct TwoPin {
    Point from;
    Point to;
    int fromPin = 0;
    int toPin = 0;
    int pathSize = 0;
    int ripupCount = 0;      // how often it was ripped up and rerouted
    int overflow = 0;        // overflow of its last routing
    Net* parNet = nullptr;   // the net holding this connection
    float mazeBound = 0.0f;  // cost of its current route: the maze search's bound
    bool needRouting = true;
    std::vector<RPoint> path;
    BoundingBox box;
    int rerouteMethod = 0;   // 0 none, 1 snaking, 2 escape, 3 maze

    TwoPin() = default;
    // A copy is an unrouted connection with the same ends and owner.
    TwoPin(const TwoPin& o)
        : from(o.from), to(o.to), fromPin(o.fromPin), toPin(o.toPin), overflow(o.overflow),
          parNet(o.parNet), rerouteMethod(o.rerouteMethod) {}
    TwoPin& operator=(const TwoPin&) = default;
    TwoPin(TwoPin&&) noexcept = default;
    TwoPin& operator=(TwoPin&&) noexcept = default;
    ~TwoPin() = default;
};

// One pin of a Bookshelf net; offsets in DBU from the object's lower-left corner.
struct pinLocate {
    int cell = 0;
    int net = 0;
    int direction = 0;  // 1 for "I", 0 for "O"
    int xOffset = 0;
    int yOffset = 0;
};

// One routing net.
struct Net {
    int id = 0;
    std::string name;
    int width = 0;  // the net's minimum wire width from an ISPD'08 benchmark; 0 elsewhere
    std::vector<Point> pin2D;  // unique by (x, y), keeps the z of the first pin seen there
    std::vector<Point> pin3D;  // unique by (x, y, z)
    std::vector<pinLocate> pins;
    std::vector<TwoPin> twopin;
    int wirelength = 0;
    int referenceLength = 0;
    // Per step kind (0 vertical, 1 horizontal, 2 via): edge key -> number of the
    // net's connections using that step (a flat table with the map operations).
    EdgeUseMap edgeUse[3];
    std::unordered_set<RPoint, RPointHash, eqRPoint> treeEdges;
};

// A rectangle of a non-rectangular object, absolute DBU.
struct shape {
    int x = 0;
    int y = 0;
    int w = 0;
    int h = 0;
};

// One Bookshelf object.
struct placeCell {
    int id = 0;
    int index = 0;
    int masterIndex = 0;
    int xlow = 0;
    int ylow = 0;
    int width = 0;
    int height = 0;
    int type = 0;  // 0 movable, 1 "terminal", 2 "terminal_NI"
    int pinLayer = 0;
    int legX = 0;
    int legY = 0;
    int trialX = 0;
    float legalCost = 0.0f;
    float legalKey = 0.0f;
    int stay = 0;
    int rightLimit = 0;
    bool mark = false;
    int line = 0;  // line of its entry in the .nodes file
    std::vector<shape> shapes;
    std::vector<int> blockedLayers;
    std::vector<pinLocate> pins;
};

// One Bookshelf net.
struct netInfo {
    int id = 0;
    std::string name;
    std::vector<pinLocate> pins;
    std::vector<int> lefPin;  // 1-based LEF pin numbers, one per pin
};

struct SubRow;

// One placement row.
struct Row {
    int x = 0;
    int y = 0;
    int numSites = 0;
    int height = 0;
    int siteWidth = 0;
    int siteSpacing = 0;
    std::vector<SubRow*> subRows;  // free stretches, made by the placement database
    int siteWidthLine = 0;    // .scl lines of the Sitewidth and Sitespacing values
    int siteSpacingLine = 0;
};

// One value per kind of grid step at one G-cell and layer.
struct Point_i {
    int horizontal = 0;
    int vertical = 0;
    int via = 0;
};

// One entry of a routing order: larger key first, ties by longer Manhattan span.
struct Order {
    TwoPin* twopin = nullptr;
    double key = 0.0;
};
bool operator<(const Order& a, const Order& b);

struct NetDB {
    int gridX = 0;
    int gridY = 0;
    int layerNum = 0;
    int totalVerticalTracks = 0;
    int totalHorizontalTracks = 0;
    int objectCount = 0;
    std::vector<Net> nets;
    std::vector<RPoint> adjLocate;
    std::vector<int> adjCapacity;  // parallel to adjLocate, in tracks
    std::vector<int> adjCapacityUnits;  // parallel to adjLocate, in capacity units as read
    std::vector<int> hCap;         // per layer, capacity units
    std::vector<int> vCap;
    std::vector<int> minWidth;
    std::vector<int> minSpacing;
    std::vector<int> pitch;
    std::vector<int> hTracks;      // per layer, hCap / pitch
    std::vector<int> vTracks;
    std::vector<std::vector<int>> pinCount;  // [x][y]
    std::vector<placeCell> cells;
    std::vector<netInfo> netInfos;
    std::vector<Row> rows;
    int originX = 0;
    int originY = 0;
    int tileW = 0;
    int tileH = 0;
    // The Bookshelf .nodes and .scl files read, for refusals that name a line of them.
    std::string nodesFile;
    std::string sclFile;
};

// Edge key of a unit step at layer z on an X by Y grid.
inline int edgeKey(int x, int y, int z, int X, int Y) { return (z * X + x) * Y + y; }
