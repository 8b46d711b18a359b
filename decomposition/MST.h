#pragma once
// Rectilinear minimum spanning trees of point sets: candidate edges from the
// complete graph (small sets) or an octant spanning graph built by two sweeps
// (large sets), and a Kruskal driver over them. Distances are Manhattan over
// x and y; z is ignored.

#include <map>
#include <memory_resource>
#include <utility>
#include <vector>

#include "database/Geometry.h"
#include "decomposition/DisjointSet.h"

// One candidate edge between two points, named by their indices.
struct MSTedge {
    int a = 0;
    int b = 0;
    float weight = 0.0f;  // Manhattan distance of the two points
    MSTedge() = default;
    MSTedge(int a_, int b_, float w) : a(a_), b(b_), weight(w) {}
};

// One accepted tree edge. NEW_MST fills only the two indices; the caller may
// fill the end points.
struct Link {
    int a = 0;
    int b = 0;
    Point pa;
    Point pb;
    float weight = 0.0f;
};
// Heavier is "less", so a max-priority queue of links hands out the lightest first.
inline bool operator<(const Link& x, const Link& y) { return x.weight > y.weight; }

// Sweep order: larger sweep key first.
struct direction1 {
    bool operator()(const std::pair<int, int>& a, const std::pair<int, int>& b) const { return a.second > b.second; }
};

class tarvexMST {
public:
    using ActiveSet = std::pmr::multimap<int, int>;  // key -> point index; equal keys in insertion order

    std::vector<MSTedge> edges;  // output; the build operations append

private:
    // The active sets' nodes come from this pool and return to it, so reusing
    // the builder from net to net does not go back to the heap.
    std::pmr::unsynchronized_pool_resource pool_;

public:
    ActiveSet activeX{&pool_};
    ActiveSet activeY{&pool_};
    std::vector<std::pair<int, int>> sweepOrder;  // (point index, sweep key)

    tarvexMST() = default;
    tarvexMST(const tarvexMST&) = delete;
    tarvexMST& operator=(const tarvexMST&) = delete;

    void clear();
    // An edge for every pair of points.
    void buildCompleteGraph(std::vector<Point>& points);
    // The octant spanning graph (at most four edges per point); needs two or more points.
    void buildSpaningGraph(std::vector<Point>& points);

    // The four region steps of the sweeps: join point p to the nearest active
    // point of its region and retire every active point of that region.
    void connectNodeInR1(int p, ActiveSet& active, std::vector<Point>& points);
    void connectNodeInR2(int p, ActiveSet& active, std::vector<Point>& points);
    void connectNodeInR3(int p, ActiveSet& active, std::vector<Point>& points);
    void connectNodeInR4(int p, ActiveSet& active, std::vector<Point>& points);

private:
    template <class Continue>
    void takeRegion(int p, ActiveSet& active, ActiveSet::iterator start, std::vector<Point>& points, Continue cont);
};

// Kruskal over the candidate edges of the points (complete graph up to 9
// points, octant spanning graph above). Appends the accepted links and returns
// their total Manhattan length (in 64 bits). Appends to graph.edges and links and grows sets
// without emptying them: callers clear all three first.
long long NEW_MST(std::vector<Point>& points, std::vector<Link>& links, DisjointSet& sets, tarvexMST& graph);
