// Conversion of the router's 2D paths into one breadth-first tree per net,
// with the 2D demand, the overflow allowances and the input overflow.

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "layer_assignment/LA.h"

namespace {

[[noreturn]] void refuseStep(const Net& n, const RPoint& s, int X, int Y) {
    fflush(stdout);
    fprintf(stderr, "ERROR: layer assignment: net %s has a path step (hori %d at %d,%d) outside the %d x %d grid\n",
            n.name.c_str(), s.hori, s.x, s.y, X, Y);
    exit(1);
}

}  // namespace

void Graph::convertGRtoLA(NetDB& db, bool releasePaths) {
    Wlen2D = 0;
    maxLen = 0;
    const size_t cells = static_cast<size_t>(X) * Y;
    ConvertMaps maps;
    maps.cell.assign(cells, -100);
    maps.pinNet.assign(cells, -100);
    maps.maxPin.assign(cells, -100);
    maps.minPin.assign(cells, -100);
    maps.vEdge.assign(cells, -100);
    maps.vLayer.assign(cells, 0);
    maps.hEdge.assign(cells, -100);
    maps.hLayer.assign(cells, 0);

    size_t k = 0;
    for (Net& src : db.nets) {
        if (src.pin2D.size() < 2) continue;
        if (k >= nets.size() || nets[k].id != src.id) {
            printf("ERROR : %s %d\n", "LA", 3115);
            fflush(stdout);
            exit(1);
        }
        const int stamp = static_cast<int>(k);
        for (const TwoPin& tp : src.twopin) {
            for (const RPoint& s : tp.path) {
                if (s.hori == 2) continue;
                if (s.x < 0 || s.y < 0 || s.x >= X || s.y >= Y) refuseStep(src, s, X, Y);
                const size_t c = idx2D(s.x, s.y);
                if (s.hori == 1) {
                    if (s.x >= X - 1) refuseStep(src, s, X, Y);
                    maps.cell[c] = stamp;
                    maps.cell[idx2D(s.x + 1, s.y)] = stamp;
                    maps.hEdge[c] = stamp;
                    maps.hLayer[c] = s.z;
                } else if (s.hori == 0) {
                    if (s.y >= Y - 1) refuseStep(src, s, X, Y);
                    maps.cell[c] = stamp;
                    maps.cell[idx2D(s.x, s.y + 1)] = stamp;
                    maps.vEdge[c] = stamp;
                    maps.vLayer[c] = s.z;
                } else {
                    refuseStep(src, s, X, Y);
                }
            }
        }
        net& n = nets[k];
        BFS_net(maps, n, stamp);
        if (releasePaths)
            for (TwoPin& tp : src.twopin) std::vector<RPoint>().swap(tp.path);
        const int len = static_cast<int>(n.edges.size());
        Wlen2D += len;
        maxLen = std::max(maxLen, len);
        ++k;
    }

    solSpace.assign(static_cast<size_t>(maxLen + 1) * L, sol());
    chosenSpace.assign(static_cast<size_t>(maxLen + 1), sol());
    edgeCostScratch.assign(L, 0);

    totalVTracks = 0;
    totalHTracks = 0;
    for (int l = 0; l < L; ++l) {
        totalVTracks += tracks[0][l];
        totalHTracks += tracks[1][l];
    }

    // Allowance: the 2D overflow of an edge spread over the layers, twice over.
    long long overflowSum = 0;  // summed wide, reported saturated
    auto allow = [&](std::vector<int>& dem, int total, std::vector<int>& ceilA, std::vector<int>& floorA,
                     size_t c) {
        if (dem[c] <= total) return;
        const int ov = dem[c] - total;
        const double share = 2.0 * ov / L;
        ceilA[c] = static_cast<int>(std::ceil(share));
        floorA[c] = static_cast<int>(std::floor(share));
        overflowSum += ov;
    };
    for (int x = 0; x < X - 1; ++x)
        for (int y = 0; y < Y; ++y) allow(demand2DH, totalHTracks, ceilAllowH, floorAllowH, idx2D(x, y));
    for (int x = 0; x < X; ++x)
        for (int y = 0; y < Y - 1; ++y) allow(demand2DV, totalVTracks, ceilAllowV, floorAllowV, idx2D(x, y));
    inputOverflow = static_cast<int>(std::min<long long>(overflowSum * pitch[0], INT_MAX));

    printf("convertGRtoLA  input total overflow=%d  Wlen2D=%d  maxLen=%d  assignNet=%d\n", inputOverflow, Wlen2D,
           maxLen, static_cast<int>(db.nets.size()));
}

void Graph::BFS_net(ConvertMaps& maps, net& n, int stamp) {
    n.nodes.clear();
    n.edges.clear();
    if (n.pins.empty()) return;
    for (const pin& p : n.pins) {
        const size_t c = idx2D(p.x, p.y);
        if (maps.pinNet[c] == stamp) {
            maps.maxPin[c] = std::max(maps.maxPin[c], p.layer);
            maps.minPin[c] = std::min(maps.minPin[c], p.layer);
        } else {
            maps.maxPin[c] = p.layer;
            maps.minPin[c] = p.layer;
        }
        maps.pinNet[c] = stamp;
    }

    std::vector<node>& nodes = n.nodes;
    std::vector<edge>& edges = n.edges;
    {
        node root;
        root.x = n.pins[0].x;
        root.y = n.pins[0].y;
        const size_t c = idx2D(root.x, root.y);
        root.parent = -1;
        root.hasPin = true;
        root.maxPinLayer = maps.maxPin[c];
        root.minPinLayer = maps.minPin[c];
        maps.cell[c] = -1;
        nodes.push_back(root);
    }

    static const int dx[4] = {0, 1, 0, -1};
    static const int dy[4] = {1, 0, -1, 0};
    for (size_t i = 0; i < nodes.size(); ++i) {
        const int x = nodes[i].x, y = nodes[i].y;
        for (int dirIdx = 0; dirIdx < 4; ++dirIdx) {
            const int nx = x + dx[dirIdx], ny = y + dy[dirIdx];
            if (nx < 0 || ny < 0 || nx >= X || ny >= Y) continue;
            const int ex = std::min(x, nx), ey = std::min(y, ny);
            const size_t ec = idx2D(ex, ey);
            const bool horizontal = dy[dirIdx] == 0;
            if ((horizontal ? maps.hEdge[ec] : maps.vEdge[ec]) != stamp) continue;
            const size_t nc = idx2D(nx, ny);
            if (maps.cell[nc] != stamp) continue;  // already in the tree: the edge would close a cycle

            edge e;
            e.x = ex;
            e.y = ey;
            e.dir = horizontal ? 1 : 0;
            e.layer = horizontal ? maps.hLayer[ec] : maps.vLayer[ec];
            edges.push_back(e);
            demand2D(e.dir)[ec] += 1;

            node v;
            v.x = nx;
            v.y = ny;
            v.parent = static_cast<int>(i);
            v.hasPin = maps.pinNet[nc] == stamp;
            v.maxPinLayer = maps.maxPin[nc];
            v.minPinLayer = maps.minPin[nc];
            maps.cell[nc] = -1;
            nodes.push_back(v);
            node& parent = nodes[i];
            parent.children[parent.childCount++] = static_cast<int>(nodes.size()) - 1;
        }
    }
    nodes.shrink_to_fit();
    edges.shrink_to_fit();
}
