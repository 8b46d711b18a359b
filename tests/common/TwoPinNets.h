#pragma once
// Hand-made two-pin nets for the placement tests.

#include <vector>

#include "database/NetDB.h"

// Appends a net of two pins at offset (0, 0) on objects a and b with one
// connection from a's pin to b's, and lists the connection with both objects
// (once when a == b). `nets` must have room reserved: the lists hold addresses.
inline TwoPin& addTwoPinNet(std::vector<Net>& nets, std::vector<std::vector<TwoPin*>>& cellLists, int a, int b) {
    nets.emplace_back();
    Net& n = nets.back();
    n.pins.resize(2);
    n.pins[0].cell = a;
    n.pins[1].cell = b;
    n.twopin.resize(1);
    TwoPin& tp = n.twopin[0];
    tp.fromPin = 0;
    tp.toPin = 1;
    tp.parNet = &n;
    cellLists[a].push_back(&tp);
    if (b != a) cellLists[b].push_back(&tp);
    return tp;
}
