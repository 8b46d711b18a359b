// The .route reader: routing grid, per-layer rules, origin and G-cell size, NI
// terminal pin layers, blocked layers and edge capacity adjustments.

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unordered_map>

#include "database/GridLimits.h"
#include "database/MemoryBudget.h"
#include "database/bookshelf/Bookshelf.h"
#include "database/bookshelf/TextScanner.h"

namespace {

class RouteReader {
public:
    RouteReader(const char* fileName, std::vector<placeCell>& cells, NetDB& db, bool with3D)
        : sc_(fileName), cells_(cells), db_(db), with3D_(with3D) {}

    void run() {
        printf("read %s\n", sc_.fileName());
        std::string_view t;
        while (sc_.token(t)) {
            if (t == "Grid") {
                readGrid();
            } else if (t == "VerticalCapacity") {
                readLayerList(t, db_.vCap, vCapLine_);
            } else if (t == "HorizontalCapacity") {
                readLayerList(t, db_.hCap, hCapLine_);
            } else if (t == "MinWireWidth") {
                readLayerList(t, db_.minWidth, widthLine_);
            } else if (t == "MinWireSpacing") {
                readLayerList(t, db_.minSpacing, spacingLine_);
            } else if (t == "ViaSpacing") {
                readLayerList(t, viaSpacing_, viaLine_);
            } else if (t == "GridOrigin") {
                sc_.need("the colon after GridOrigin");
                db_.originX = sc_.needInt("the origin x");
                db_.originY = sc_.needInt("the origin y");
                originLine_ = sc_.line();
                for (const std::string& p : {coordinateProblem("the origin x", db_.originX),
                                             coordinateProblem("the origin y", db_.originY)})
                    if (!p.empty()) sc_.fail(p);
            } else if (t == "TileSize") {
                sc_.need("the colon after TileSize");
                db_.tileW = sc_.needInt("the G-cell width");
                db_.tileH = sc_.needInt("the G-cell height");
                if (db_.tileW <= 0 || db_.tileH <= 0)
                    sc_.fail("the G-cell width and height must be positive (got " + std::to_string(db_.tileW) + " and " +
                             std::to_string(db_.tileH) + ")");
                const std::string tooWide = gcellSizeProblem(db_.tileW, db_.tileH);
                if (!tooWide.empty()) sc_.fail(tooWide);
                tileLine_ = sc_.line();
            } else if (t == "BlockagePorosity") {
                sc_.need("the colon after BlockagePorosity");
                sc_.needInt("the blockage porosity");
            } else if (t == "NumNiTerminals") {
                readNiTerminals();
            } else if (t == "NumBlockageNodes") {
                readBlockages();
            } else if (t == "NumEdgeCapacityAdjustments") {
                readAdjustments();
            } else {
                sc_.skipLine();
            }
        }
        finish();
    }

private:
    void requireGrid(std::string_view what) {
        if (db_.layerNum <= 0) sc_.fail(std::string(what) + " comes before the Grid entry");
    }

    void readGrid() {
        if (db_.layerNum > 0) sc_.fail("a second Grid entry");
        sc_.need("the colon after Grid");
        int X = sc_.needInt("the grid width");
        int Y = sc_.needInt("the grid height");
        int L = sc_.needInt("the layer count");
        const std::string sizeProblem = gridSizeProblem(X, Y, L);
        if (!sizeProblem.empty()) sc_.fail(sizeProblem);
        const std::string tooBig = gridMemoryRefusal(X, Y, L, with3D_);
        if (!tooBig.empty()) sc_.fail(tooBig);
        db_.gridX = X;
        db_.gridY = Y;
        db_.layerNum = L;
        gridLine_ = sc_.line();
        for (std::vector<int>* v :
             {&db_.hCap, &db_.vCap, &db_.minWidth, &db_.minSpacing, &db_.pitch, &db_.hTracks, &db_.vTracks, &viaSpacing_})
            v->assign(static_cast<size_t>(L), 0);
    }

    void readLayerList(std::string_view title, std::vector<int>& out, int& lineNo) {
        requireGrid(title);
        sc_.need("the colon");
        for (int& v : out) {
            v = sc_.needInt("a per-layer value");
            if (v < 0) sc_.fail(std::string(title) + " values cannot be negative");
        }
        lineNo = sc_.line();
    }

    long long pitchOf(int l) const {
        return static_cast<long long>(db_.minWidth[static_cast<size_t>(l)]) + db_.minSpacing[static_cast<size_t>(l)];
    }

    int needLayer(const char* what) {
        int l = sc_.needInt(what);
        if (l < 1 || l > db_.layerNum)
            sc_.fail(std::string(what) + " " + std::to_string(l) + " is outside 1.." + std::to_string(db_.layerNum));
        return l;
    }

    void readNiTerminals() {
        requireGrid("NumNiTerminals");
        sc_.need("the colon");
        int n = sc_.needCount("the NI terminal count", 4);
        for (int i = 0; i < n; ++i) {
            std::string_view name = sc_.need("an NI terminal entry");
            int index = 0;
            if (!objectIndex(name, db_.objectCount, static_cast<int>(cells_.size()), index, why_)) sc_.fail(why_);
            cells_[static_cast<size_t>(index)].pinLayer = needLayer("the NI terminal's layer") - 1;
        }
    }

    void readBlockages() {
        requireGrid("NumBlockageNodes");
        sc_.need("the colon");
        int n = sc_.needCount("the blockage count", 6);
        for (int i = 0; i < n; ++i) {
            std::string_view name = sc_.need("a blockage entry");
            const char first = name[0];
            int index = -1;
            if (first == 'o' || first == 'A') {
                if (!objectIndex(name, db_.objectCount, static_cast<int>(cells_.size()), index, why_)) sc_.fail(why_);
            } else {
                printf("fail in route  %.*s\n", static_cast<int>(name.size()), name.data());
            }
            int k = sc_.needInt("the blocked-layer count");
            if (k < 0 || k > db_.layerNum)
                sc_.fail("the blocked-layer count " + std::to_string(k) + " is outside 0.." + std::to_string(db_.layerNum));
            std::vector<int>* layers = nullptr;
            if (index >= 0) {
                layers = &cells_[static_cast<size_t>(index)].blockedLayers;
                layers->resize(static_cast<size_t>(k));
            }
            for (int j = 0; j < k; ++j) {
                int l = needLayer("the blocked layer");
                if (layers) (*layers)[static_cast<size_t>(j)] = l - 1;
            }
        }
    }

    void readAdjustments() {
        requireGrid("NumEdgeCapacityAdjustments");
        if (widthLine_ == 0 || spacingLine_ == 0 || vCapLine_ == 0 || hCapLine_ == 0)
            sc_.fail("NumEdgeCapacityAdjustments comes before the capacities and wire rules it is measured against");
        sc_.need("the colon");
        int n = sc_.needCount("the adjustment count", 14);
        const int X = db_.gridX, Y = db_.gridY;
        for (int i = 0; i < n; ++i) {
            int x1 = sc_.needInt("the first x of an adjustment");
            const int at = sc_.line();
            int y1 = sc_.needInt("the first y of an adjustment");
            int l1 = needLayer("the first layer of an adjustment");
            int x2 = sc_.needInt("the second x of an adjustment");
            int y2 = sc_.needInt("the second y of an adjustment");
            needLayer("the second layer of an adjustment");
            int c = sc_.needInt("the capacity of an adjustment");
            if (c < 0) sc_.failAt(at, "the adjusted capacity " + std::to_string(c) + " is negative");
            for (int pt = 0; pt < 2; ++pt) {
                int x = pt ? x2 : x1, y = pt ? y2 : y1;
                if (x < 0 || x >= X || y < 0 || y >= Y)
                    sc_.failAt(at, "the adjustment names G-cell (" + std::to_string(x) + ", " + std::to_string(y) +
                                       "), outside the " + std::to_string(X) + " by " + std::to_string(Y) + " grid");
            }
            if (std::abs(x1 - x2) + std::abs(y1 - y2) != 1)
                sc_.failAt(at, "the adjustment joins G-cells that are not neighbours");
            // Only the first end's layer counts.
            const int z = l1 - 1;
            const long long pitchWide = pitchOf(z);
            if (pitchWide <= 0)
                sc_.failAt(at, "layer " + std::to_string(l1) + " has no positive pitch (MinWireWidth + MinWireSpacing)");
            if (pitchWide > kMaxPitch)
                sc_.failAt(at, "layer " + std::to_string(l1) + " has pitch " + std::to_string(pitchWide) +
                                   " (MinWireWidth + MinWireSpacing); it must be 1 to " + std::to_string(kMaxPitch));
            const int pitch = static_cast<int>(pitchWide);
            if (c / pitch > kMaxTracks)
                sc_.failAt(at, "the adjusted capacity " + std::to_string(c) + " is more than " + std::to_string(kMaxTracks) +
                                   " tracks of layer " + std::to_string(l1));
            RPoint edge = x1 == x2 ? RPoint(x1, std::min(y1, y2), z, 0) : RPoint(std::min(x1, x2), y1, z, 1);
            const int defaultCap = edge.hori == 0 ? db_.vCap[static_cast<size_t>(z)] : db_.hCap[static_cast<size_t>(z)];
            // A later line for the same edge replaces the earlier one, so that
            // no edge is charged twice.
            const long long key = ((static_cast<long long>(edge.hori) * db_.layerNum + z) * X + edge.x) * Y + edge.y;
            auto found = adjusted_.find(key);
            if (found != adjusted_.end()) {
                db_.adjCapacity[found->second] = c / pitch;
                db_.adjCapacityUnits[found->second] = c;
                continue;
            }
            if (c == defaultCap) continue;
            adjusted_.emplace(key, db_.adjLocate.size());
            db_.adjLocate.push_back(edge);
            db_.adjCapacity.push_back(c / pitch);
            db_.adjCapacityUnits.push_back(c);
        }
    }

    void finish() {
        if (db_.layerNum <= 0) sc_.fail("the file has no Grid entry");
        if (tileLine_ == 0) sc_.fail("the file has no TileSize entry");
        // The die follows from the grid, the origin and the G-cell size, whichever came last.
        const std::string dieTooLarge = dieProblem(db_.originX, db_.originY, db_.tileW, db_.tileH, db_.gridX, db_.gridY);
        if (!dieTooLarge.empty()) sc_.failAt(std::max({gridLine_, originLine_, tileLine_}), dieTooLarge);
        const TrackProblem p = computeTracks(db_);
        if (p.kind != TrackProblem::kNone) {
            const int line = p.kind == TrackProblem::kPitch      ? spacingLine_
                             : p.kind == TrackProblem::kVertical ? vCapLine_
                                                                 : hCapLine_;
            sc_.failAt(line ? line : sc_.line(), p.reason);
        }
    }

    TextScanner sc_;
    std::vector<placeCell>& cells_;
    NetDB& db_;
    bool with3D_;
    std::vector<int> viaSpacing_;  // read and not kept
    int vCapLine_ = 0, hCapLine_ = 0, widthLine_ = 0, spacingLine_ = 0, viaLine_ = 0, tileLine_ = 0, originLine_ = 0,
        gridLine_ = 0;
    std::unordered_map<long long, size_t> adjusted_;  // edge key -> entry of adjLocate
    std::string why_;
};

}  // namespace

void read_route_file(const char* fileName, std::vector<placeCell>& cells, NetDB& db, bool with3D) {
    RouteReader(fileName, cells, db, with3D).run();
}
