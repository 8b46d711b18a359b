#include "decomposition/Decompose.h"

#include <cstdio>
#include <cstdlib>

#include "database/Timer.h"
#include "decomposition/MST.h"

namespace {

int manhattan(const Point& a, const Point& b) { return std::abs(a.x - b.x) + std::abs(a.y - b.y); }

// A new unrouted connection of `owner` between two G-cells.
void addTwoPin(Net& owner, const Point& from, const Point& to) {
    TwoPin t;
    t.from = from;
    t.to = to;
    t.parNet = &owner;
    t.needRouting = true;
    t.ripupCount = 0;
    t.overflow = 0;
    t.rerouteMethod = 0;
    t.box = emptyBox();
    owner.twopin.push_back(std::move(t));
}

}  // namespace

void BuildCongestionDrivenTree(std::vector<Net>& nets) {
    Timer timer;
    timer.start();
    DisjointSet sets;
    tarvexMST graph;
    std::vector<Link> links;
    for (Net& net : nets) {
        std::vector<Point>& pins = net.pin2D;
        const size_t n = pins.size();
        if (n > 2) {
            sets.clear();
            links.clear();
            graph.clear();
            NEW_MST(pins, links, sets, graph);
            net.twopin.reserve(net.twopin.size() + links.size());
            for (Link& link : links) {
                link.pa = pins[link.a];
                link.pb = pins[link.b];
                if (link.pa == link.pb) continue;
                addTwoPin(net, link.pa, link.pb);
                int d = manhattan(link.pa, link.pb);
                net.wirelength += d;
                net.referenceLength += d;
            }
        } else if (n == 2) {
            addTwoPin(net, pins[0], pins[1]);
            int d = manhattan(pins[0], pins[1]);
            net.wirelength = d;
            net.referenceLength = d;
        }
    }
    printf("BuildTree cost %.2lf s\n", static_cast<double>(timer.getTime()));
}
