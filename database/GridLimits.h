#pragma once
// Limits of the routing grid that every design reader applies before it
// allocates anything from the numbers it read: far beyond any real design,
// and small enough that the per-layer tables stay small and every track,
// usage and overflow sum over the grid fits the router's integers.

#include <string>

struct NetDB;

constexpr int kMaxLayers = 1000;
constexpr int kMaxPitch = 100000;     // minimum width + minimum spacing
constexpr int kMaxTracks = 1000000;   // tracks of one direction over all layers: an edge's 2D capacity

// Design coordinates (database units): every position, far edge and pin
// offset the readers accept lies within +-kMaxCoordinate, and a G-cell side is
// at most kMaxGcellSize. A difference of two coordinates then fits an int, and
// so does a coordinate widened by a placement margin (Blockage_Expanding, at
// most 10^8) less the origin.
constexpr int kMaxCoordinate = 1000000000;
constexpr int kMaxGcellSize = 100000000;

// "" when v lies within +-kMaxCoordinate; otherwise why `what` is refused.
std::string coordinateProblem(const std::string& what, long long v);
// "" when 0 <= v <= kMaxCoordinate; otherwise why the size `what` is refused.
std::string sizeProblem(const std::string& what, long long v);
// "" when both G-cell sides (positive) are at most kMaxGcellSize; otherwise the reason.
std::string gcellSizeProblem(long long tileW, long long tileH);
// "" when the G-cells are at most kMaxGcellSize on a side and the die, from
// the origin to origin + grid size x G-cell size, lies within +-kMaxCoordinate
// (both sizes positive); otherwise the reason.
std::string dieProblem(long long originX, long long originY, long long tileW, long long tileH, long long X, long long Y);

// Why a grid of X by Y G-cells on L layers is refused, or "" when it is accepted.
std::string gridSizeProblem(long long X, long long Y, long long L);

// What computeTracks found wrong: nothing, a layer's pitch, or the track total
// of one direction reaching past kMaxTracks at `layer` (0-based).
struct TrackProblem {
    enum Kind { kNone, kPitch, kVertical, kHorizontal } kind = kNone;
    int layer = -1;
    std::string reason;
};

// From db's per-layer capacities, minimum widths and spacings (each 0 or
// more, db.layerNum entries): the pitch, the tracks per layer and their
// totals. Stops at the first problem and returns it.
TrackProblem computeTracks(NetDB& db);
