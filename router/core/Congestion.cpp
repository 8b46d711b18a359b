// Congestion statistics of the 2D grid and the final 3D overflow report.

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "database/AtomicOutput.h"
#include "router/core/GlobalRouter.h"

int GlobalRouter::getVirtualOF(int& maxOF) {
    maxOF = 0;
    int total = 0;
    for (int x = 0; x < X - 1; ++x)
        for (int y = 0; y < Y; ++y) {
            const int e = graph.uH(x, y) + virtualDemand(1, x, y) - hCap2D;
            total += std::max(e, 0);
            maxOF = std::max(maxOF, e);
        }
    for (int x = 0; x < X; ++x)
        for (int y = 0; y < Y - 1; ++y) {
            const int e = graph.uV(x, y) + virtualDemand(0, x, y) - vCap2D;
            total += std::max(e, 0);
            maxOF = std::max(maxOF, e);
        }
    return total;
}

void GlobalRouter::getHorVerOverflow(std::vector<RPoint>& path, int& hOF, int& vOF, float& hCost, float& vCost) {
    hOF = vOF = 0;
    hCost = vCost = 0.0f;
    for (const RPoint& p : path) {
        if (p.hori == 1) {
            if (graph.uH(p.x, p.y) + virtualDemand(1, p.x, p.y) > hCap2D) {
                ++hOF;
                hCost += mapCostAt(1, p.x, p.y);
            }
        } else if (p.hori == 0) {
            if (graph.uV(p.x, p.y) + virtualDemand(0, p.x, p.y) > vCap2D) {
                ++vOF;
                vCost += mapCostAt(0, p.x, p.y);
            }
        }
    }
}

void GlobalRouter::getScore(int& maxUsage, int& overflow, int& vias, int& edges, TwoPin*& tp) {
    maxUsage = overflow = vias = edges = 0;
    for (const RPoint& p : tp->path) {
        if (p.hori == 2) {
            ++vias;
            continue;
        }
        const bool horizontal = p.hori == 1;
        const int u = graph.getCost(p.x, p.y, horizontal);
        const int cap = horizontal ? hCap2D : vCap2D;
        maxUsage = std::max(maxUsage, u);
        if (u > cap) overflow += u - cap;
        ++edges;
    }
}

void GlobalRouter::outputOverflowInfo(char const* fileName) {
    // The 3D tables exist only after initial3Dmalloc; without them the grid is empty.
    const bool have3D = graph.demand3D.size() == static_cast<size_t>(X) * Y * L &&
                        graph.capacity3D.size() == graph.demand3D.size();
    long long total = 0, maxOF = 0;  // pitch-weighted, so summed wide
    int wirelength = 0, vias = 0;
    if (have3D) {
        for (int z = 0; z < L; ++z)
            for (int y = 0; y < Y; ++y)
                for (int x = 0; x < X; ++x) {
                    const int p = pitchPerLayer[z];
                    const Point_i& d = graph.dem3D(x, y, z);
                    const Point_i& c = graph.cap3D(x, y, z);
                    vias += d.via;
                    wirelength += d.horizontal + d.vertical;
                    const long long eh = static_cast<long long>(d.horizontal - c.horizontal) * p;
                    const long long ev = static_cast<long long>(d.vertical - c.vertical) * p;
                    if (eh > 0) {
                        total += eh;
                        maxOF = std::max(maxOF, eh);
                    }
                    if (ev > 0) {
                        total += ev;
                        maxOF = std::max(maxOF, ev);
                    }
                }
    }
    const long long totalWL = wirelength + static_cast<long long>(viaCost) * vias;
    printf("totalOF=%lld  maxOF=%lld  Wlen2D=%d  Via=%d  totalWL(Wlen2D+Via*%d)=%lld \n", total, maxOF, wirelength, vias,
           viaCost, totalWL);

    AtomicOutput out = openOutputOrExit(fileName);
    FILE* f = out.stream;
    fprintf(f, "Total overflow = %lld\n", total);
    fprintf(f, "Max overflow = %lld\n", maxOF);
    fprintf(f, "Wirelength = %d\n", wirelength);
    fprintf(f, "Via count = %d\n", vias);
    fprintf(f, "Total wirelength (wirelength+%d*vias) = %lld\n", viaCost, totalWL);
    fprintf(f, "\nOverflowed grid edges : \n");
    if (have3D) {
        for (int z = 0; z < L; ++z)
            for (int y = 0; y < Y; ++y)
                for (int x = 0; x < X; ++x) {
                    const int p = pitchPerLayer[z];
                    const Point_i& d = graph.dem3D(x, y, z);
                    const Point_i& c = graph.cap3D(x, y, z);
                    const long long eh = static_cast<long long>(d.horizontal - c.horizontal) * p;
                    const long long ev = static_cast<long long>(d.vertical - c.vertical) * p;
                    if (eh > 0) fprintf(f, "(%d, %d, %d) - (%d, %d, %d)  %lld \n", x, y, z, x + 1, y, z, eh);
                    if (ev > 0) fprintf(f, "(%d, %d, %d) - (%d, %d, %d)  %lld \n", x, y, z, x, y + 1, z, ev);
                }
    }
    fprintf(f, "end\n");
    commitOutputOrExit(out);
    fflush(stdout);
}
