// Writers of the assigned result: the ISPD'08 routing result with each net's
// edges merged into straight runs, and the 3D overflow report.

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "database/AtomicOutput.h"
#include "layer_assignment/LA.h"

void Graph::nodeViaSpan(const net& n, int i, int& lo, int& hi) {
    const node& v = n.nodes[i];
    lo = 2147483647;
    hi = -2147483647 - 1;
    if (v.hasPin) {
        lo = v.minPinLayer;
        hi = v.maxPinLayer;
    }
    if (i > 0) {
        lo = std::min(lo, n.edges[i - 1].layer);
        hi = std::max(hi, n.edges[i - 1].layer);
    }
    for (int c = 0; c < v.childCount; ++c) {
        const int l = n.edges[v.children[c] - 1].layer;
        lo = std::min(lo, l);
        hi = std::max(hi, l);
    }
}

void Graph::output3Dresult(const char* fileName) {
    AtomicOutput out = openOutputOrExit(fileName);
    FILE* f = out.stream;
    const size_t cells = static_cast<size_t>(X) * Y;
    for (int d = 0; d < 2; ++d) {
        runStamp[d].assign(cells, -1);
        runEdge[d].assign(cells, -1);
    }
    // Corners in 64 bits: a far origin with wide G-cells passes the int range.
    auto px = [&](int gx) { return llx + static_cast<long long>(gx) * tileWidth; };
    auto py = [&](int gy) { return lly + static_cast<long long>(gy) * tileHeight; };

    // The via stacks of the nets without a tree that come before the net at index `upTo`.
    size_t nextStack = 0;
    auto writeStacks = [&](size_t upTo) {
        for (; nextStack < pinStacks.size() && pinStacks[nextStack].before <= upTo; ++nextStack) {
            const pinStack& p = pinStacks[nextStack];
            fprintf(f, "%s %d\n", p.name.c_str(), p.id);
            fprintf(f, "(%lld,%lld,%d)-(%lld,%lld,%d)\n", px(p.x), py(p.y), p.lo + 1, px(p.x), py(p.y), p.hi + 1);
            fprintf(f, "!\n");
        }
    };

    for (size_t k = 0; k < nets.size(); ++k) {
        writeStacks(k);
        const net& n = nets[k];
        const int stamp = static_cast<int>(k);
        fprintf(f, "%s %d\n", n.name.c_str(), n.id);

        // Index the net's edges by 2D edge; a tree holds each 2D edge once.
        const int edgeCount = static_cast<int>(n.edges.size());
        for (int i = 0; i < edgeCount; ++i) {
            const edge& e = n.edges[i];
            const size_t c = idx2D(e.x, e.y);
            runStamp[e.dir][c] = stamp;
            runEdge[e.dir][c] = i;
        }
        // Layer of this net's edge of direction d at (x, y), or -2 when none.
        auto layerAt = [&](int d, int x, int y) {
            if (x < 0 || y < 0 || x >= X || y >= Y) return -2;
            const size_t c = idx2D(x, y);
            if (runStamp[d][c] != stamp) return -2;
            return n.edges[runEdge[d][c]].layer;
        };

        runLines.clear();
        int vertical = 0, verLength = 0, length = 0;
        for (int d = 0; d < 2; ++d) {
            for (int i = 0; i < edgeCount; ++i) {
                const edge& e = n.edges[i];
                if (e.dir != d) continue;
                if (d == 0) ++vertical;
                const int sx = d == 1 ? -1 : 0, sy = d == 0 ? -1 : 0;
                if (layerAt(d, e.x + sx, e.y + sy) == e.layer) continue;  // not the start of its run
                line run{e.x, e.y, e.layer, d, 1};
                while (layerAt(d, e.x - sx * run.length, e.y - sy * run.length) == e.layer) ++run.length;
                runLines.push_back(run);
                if (d == 0) verLength += run.length;
                length += run.length;
            }
            if (d == 0 && verLength != vertical) {
                printf("ERROR: %s %d  len=%d  verLength=%d\n", "LA", 1404, verLength, vertical);
                fflush(stdout);
                exit(1);
            }
        }
        if (length != edgeCount) {
            printf("ERROR: %s %d  len=%d  size=%d\n", "LA", 1463, length, edgeCount);
            fflush(stdout);
            exit(1);
        }
        for (const line& r : runLines) {
            if (r.dir == 0)
                fprintf(f, "(%lld,%lld,%d)-(%lld,%lld,%d)\n", px(r.x), py(r.y), r.layer + 1, px(r.x),
                        py(r.y + r.length), r.layer + 1);
            else
                fprintf(f, "(%lld,%lld,%d)-(%lld,%lld,%d)\n", px(r.x), py(r.y), r.layer + 1, px(r.x + r.length),
                        py(r.y), r.layer + 1);
        }

        const int nodeCount = static_cast<int>(n.nodes.size());
        for (int i = 0; i < nodeCount; ++i) {
            const node& v = n.nodes[i];
            int lo = 0, hi = 0;
            nodeViaSpan(n, i, lo, hi);
            if (hi > lo)
                fprintf(f, "(%lld,%lld,%d)-(%lld,%lld,%d)\n", px(v.x), py(v.y), lo + 1, px(v.x), py(v.y), hi + 1);
        }
        fprintf(f, "!\n");
    }
    writeStacks(nets.size());
    commitOutputOrExit(out);
}

void Graph::outputOverflowInfo(const char* fileName) {
    AtomicOutput out = openOutputOrExit(fileName);
    FILE* f = out.stream;
    int maxOverflow = 0;
    double weightOF = 0.0;
    const int total = getTotalOverflow(maxOverflow, weightOF);
    fprintf(f, "Total overflow = %d\n", total);
    fprintf(f, "Max overflow = %d\n", maxOverflow);
    fprintf(f, "Wirelength = %d\n", Wlen2D);
    // The via stacks of the nets without a tree are vias of the result too.
    const long long vias = totalVia + stackVias;
    fprintf(f, "Via count = %lld\n", vias);
    fprintf(f, "Total wirelength (wirelength+%d*vias) = %lld\n", viaCost, Wlen2D + vias * viaCost);
    fprintf(f, "\nOverflowed grid edges: dem cap \n");
    for (int x = 0; x < X - 1; ++x)
        for (int y = 0; y < Y; ++y)
            for (int l = 0; l < L; ++l) {
                const int dem = at3D(1, x, y, l).demand;
                if (dem > tracks[1][l])
                    fprintf(f, "(%d, %d, %d) - (%d, %d, %d)  %d  %d \n", x, y, l, x + 1, y, l, dem, tracks[1][l]);
            }
    for (int x = 0; x < X; ++x)
        for (int y = 0; y < Y - 1; ++y)
            for (int l = 0; l < L; ++l) {
                const int dem = at3D(0, x, y, l).demand;
                if (dem > tracks[0][l])
                    fprintf(f, "(%d, %d, %d) - (%d, %d, %d)  %d  %d \n", x, y, l, x, y + 1, l, dem, tracks[0][l]);
            }
    fprintf(f, "end\n");
    commitOutputOrExit(out);
}
