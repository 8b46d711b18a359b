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
