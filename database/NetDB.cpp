#include "database/NetDB.h"

#include <cstdlib>

static int span(const TwoPin* t) { return std::abs(t->from.x - t->to.x) + std::abs(t->from.y - t->to.y); }

bool operator<(const Order& a, const Order& b) {
    if (a.key != b.key) return a.key > b.key;
    return span(a.twopin) > span(b.twopin);
}
