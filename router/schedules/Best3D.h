#pragma once
// The best state of the 3D refinement. The stage weighs its state after the
// flagged connections are rerouted (round 0) and after every negotiation round;
// the best is the lowest pitch-weighted total overflow, then the lowest wire
// length plus vias, then the earliest. Only the connections rerouted since the
// best state keep a copy of their path from then, taken just before their first
// rip-up, so the copy never holds more than one path per connection.

#include <cstddef>
#include <vector>

#include "database/NetDB.h"

class GlobalRouter;

struct Best3DPath {
    size_t conn;   // index into Best3D::conns
    size_t begin;  // first step in Best3D::steps
    size_t count;
};

struct Best3D {
    int round = 0;
    long long totalOF = 0;  // pitch-weighted: 64 bits
    long long length = 0;   // wire length plus vias
    int lastRound = 0;
    long long lastOF = 0;
    long long startOF = 0;
    std::vector<TwoPin*> conns;  // every connection of the order list, sorted by address
    std::vector<int> savedAt;    // per connection: its entry in `saved`, -1 for none
    std::vector<Best3DPath> saved;
    std::vector<RPoint> steps;
};

// Takes the router's current state as round 0 over the connections of `orders`.
void startBest3D(Best3D& best, const std::vector<Order>& orders, const GlobalRouter& router);

// Keeps tp's path of the best state unless it is kept already; call before tp is ripped up.
void keepPathOfBest3D(Best3D& best, const TwoPin* tp);

// Weighs the router's state after `round`; a better state becomes the best.
void offerRound3D(Best3D& best, int round, const GlobalRouter& router);

// When the last state is not the best, rips up the connections rerouted since the
// best and commits their kept paths again, so that usage, total overflow, wire
// length and vias are those of the best state. Frees the kept paths.
void restoreBest3D(Best3D& best, GlobalRouter& router);
