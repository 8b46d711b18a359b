#include "router/schedules/RoutingOrder.h"

#include <algorithm>
#include <cstdlib>

double initialOrderKey(const TwoPin& twoPin, const Net& net) {
    const int dx = std::abs(twoPin.from.x - twoPin.to.x);
    const int dy = std::abs(twoPin.from.y - twoPin.to.y);
    // A net whose pins all share one G-cell has a zero reference length; its
    // length ratio counts as 1 so that every key stays a finite number.
    const double lengthTerm =
        net.referenceLength != 0
            ? static_cast<double>(10 * net.wirelength) / static_cast<double>(net.referenceLength)
            : 10.0;
    return 100.0 / static_cast<double>(std::min(dx, dy) + 1) + lengthTerm;
}

void initialSort(std::vector<Order>& orders, std::vector<Net>& nets) {
    size_t count = orders.size();
    for (const Net& net : nets) count += net.twopin.size();
    orders.reserve(count);
    for (Net& net : nets) {
        for (TwoPin& tp : net.twopin) {
            const double key = initialOrderKey(tp, net);
            tp.box.Bondary(tp.from.x, tp.from.y);
            tp.box.Bondary(tp.to.x, tp.to.y);
            Order entry;
            entry.twopin = &tp;
            entry.key = key;
            orders.push_back(entry);
        }
    }
    std::sort(orders.begin(), orders.end());
}
