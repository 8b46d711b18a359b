#include "database/GridLimits.h"

#include <climits>

#include "database/NetDB.h"

std::string gridSizeProblem(long long X, long long Y, long long L) {
    const std::string size = std::to_string(X) + " by " + std::to_string(Y) + " G-cells on " + std::to_string(L) + " layers";
    if (X < 1 || Y < 1 || L < 1)
        return "the grid needs at least one G-cell in x and in y and one layer (got " + std::to_string(X) + " " +
               std::to_string(Y) + " " + std::to_string(L) + ")";
    if (L > kMaxLayers) return "the grid has " + std::to_string(L) + " layers; at most " + std::to_string(kMaxLayers) + " are accepted";
    if (X > INT_MAX || Y > INT_MAX || X * Y > INT_MAX / L) return "the grid of " + size + " is too large";
    return "";
}

std::string coordinateProblem(const std::string& what, long long v) {
    if (v >= -kMaxCoordinate && v <= kMaxCoordinate) return "";
    return what + " " + std::to_string(v) + " is outside -" + std::to_string(kMaxCoordinate) + ".." +
           std::to_string(kMaxCoordinate);
}

std::string sizeProblem(const std::string& what, long long v) {
    if (v >= 0 && v <= kMaxCoordinate) return "";
    return what + " " + std::to_string(v) + " is outside 0.." + std::to_string(kMaxCoordinate);
}

std::string gcellSizeProblem(long long tileW, long long tileH) {
    if (tileW <= kMaxGcellSize && tileH <= kMaxGcellSize) return "";
    return "the G-cell width and height must be at most " + std::to_string(kMaxGcellSize) + " (got " +
           std::to_string(tileW) + " and " + std::to_string(tileH) + ")";
}

std::string dieProblem(long long originX, long long originY, long long tileW, long long tileH, long long X, long long Y) {
    std::string p = gcellSizeProblem(tileW, tileH);
    if (p.empty()) p = coordinateProblem("the grid origin x", originX);
    if (p.empty()) p = coordinateProblem("the grid origin y", originY);
    if (p.empty()) p = coordinateProblem("the die's right edge (origin x + grid width x G-cell width)", originX + X * tileW);
    if (p.empty()) p = coordinateProblem("the die's top edge (origin y + grid height x G-cell height)", originY + Y * tileH);
    return p;
}

TrackProblem computeTracks(NetDB& db) {
    TrackProblem p;
    long long vTotal = 0, hTotal = 0;
    for (int l = 0; l < db.layerNum; ++l) {
        const long long pitch = static_cast<long long>(db.minWidth[l]) + db.minSpacing[l];
        if (pitch <= 0 || pitch > kMaxPitch) {
            p.kind = TrackProblem::kPitch;
            p.layer = l;
            p.reason = "layer " + std::to_string(l + 1) + " has pitch " + std::to_string(pitch) + " (minimum width " +
                       std::to_string(db.minWidth[l]) + " + minimum spacing " + std::to_string(db.minSpacing[l]) +
                       "); it must be 1 to " + std::to_string(kMaxPitch);
            return p;
        }
        db.pitch[l] = static_cast<int>(pitch);
        db.vTracks[l] = db.vCap[l] / db.pitch[l];
        db.hTracks[l] = db.hCap[l] / db.pitch[l];
        vTotal += db.vTracks[l];
        hTotal += db.hTracks[l];
        if (vTotal > kMaxTracks || hTotal > kMaxTracks) {
            const bool vertical = vTotal > kMaxTracks;
            p.kind = vertical ? TrackProblem::kVertical : TrackProblem::kHorizontal;
            p.layer = l;
            p.reason = std::string("the ") + (vertical ? "vertical" : "horizontal") + " capacities come to more than " +
                       std::to_string(kMaxTracks) + " tracks over layers 1.." + std::to_string(l + 1);
            return p;
        }
    }
    db.totalVerticalTracks = static_cast<int>(vTotal);
    db.totalHorizontalTracks = static_cast<int>(hTotal);
    return p;
}
