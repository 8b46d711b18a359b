#pragma once
// The initial routing order of all two-pin connections.

#include <vector>

#include "database/NetDB.h"

// Sort key of a connection of `net` in the initial order: nearly straight
// connections first, then connections of nets whose tree grew beyond their
// Steiner length.
double initialOrderKey(const TwoPin& twoPin, const Net& net);

// Appends one entry per connection of every net (nets in list order, their
// connections in order), grows each connection's search box to hold its two
// ends, and sorts the whole list.
void initialSort(std::vector<Order>& orders, std::vector<Net>& nets);
