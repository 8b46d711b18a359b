// Routing result writer for the 3D connection paths: one line per unit edge or
// via, each written once per net, in database units with 1-based layers.

#include <cstdio>
#include <cstdlib>
#include <vector>

#include "database/AtomicOutput.h"
#include "database/NetDB.h"
#include "database/Parser.h"
#include "database/PathOrder.h"

void outputFile(const char* fileName, NetDB& db) {
    AtomicOutput out = openOutputOrExit(fileName);
    FILE* f = out.stream;
    std::vector<char> buffer(1 << 20);
    setvbuf(f, buffer.data(), _IOFBF, buffer.size());

    const int X = db.gridX, Y = db.gridY, L = db.layerNum;
    // Net id that last wrote each step, [layer][y][x]; -1 for none.
    std::vector<Point_i> written(static_cast<size_t>(X) * Y * L, Point_i{-1, -1, -1});
    // Corners in 64 bits: a far origin with wide G-cells passes the int range.
    auto cornerX = [&](int x) { return static_cast<long long>(x) * db.tileW + db.originX; };
    auto cornerY = [&](int y) { return static_cast<long long>(y) * db.tileH + db.originY; };

    for (const Net& net : db.nets) {
        // A net whose pins share one G-cell is written only when they lie on
        // several layers, as the via stack that joins them.
        const bool oneCell = net.twopin.empty() && net.pin2D.size() == 1;
        int stackLow = 0, stackHigh = 0;
        if (oneCell && !(pinLayerSpan(net, net.pin2D[0].x, net.pin2D[0].y, stackLow, stackHigh) &&
                         stackLow < stackHigh))
            continue;
        if (net.name.empty())
            fprintf(f, "n%d %d %d\n", net.id, net.id, 0);
        else
            fprintf(f, "%s %d %d\n", net.name.c_str(), net.id, 0);
        if (oneCell) {
            const long long x = cornerX(net.pin2D[0].x), y = cornerY(net.pin2D[0].y);
            for (int z = stackLow; z < stackHigh; ++z)
                fprintf(f, "(%lld,%lld,%d)-(%lld,%lld,%d)\n", x, y, z + 1, x, y, z + 2);
        }
        const int errorLine = net.twopin.size() == 1 ? 1938 : 1975;
        for (const TwoPin& tp : net.twopin) {
            for (const RPoint& s : tp.path) {
                const bool planarInGrid = s.x >= 0 && s.y >= 0 && s.z >= 0 && s.z < L &&
                                          s.x + (s.hori == 1) < X && s.y + (s.hori == 0) < Y;
                const bool viaInGrid = s.x >= 0 && s.y >= 0 && s.x < X && s.y < Y && s.z >= 0 && s.z + 1 < L;
                if ((s.hori == 0 || s.hori == 1) ? !planarInGrid : (s.hori != 2 || !viaInGrid)) {
                    printf("ERROR %s %d\n", "Parser", errorLine);
                    continue;
                }
                Point_i& mark = written[(static_cast<size_t>(s.z) * Y + s.y) * X + s.x];
                int& owner = s.hori == 1 ? mark.horizontal : s.hori == 0 ? mark.vertical : mark.via;
                if (owner == net.id) continue;
                owner = net.id;
                const long long x1 = cornerX(s.x), y1 = cornerY(s.y);
                if (s.hori == 1)
                    fprintf(f, "(%lld,%lld,%d)-(%lld,%lld,%d)\n", x1, y1, s.z + 1, cornerX(s.x + 1), y1, s.z + 1);
                else if (s.hori == 0)
                    fprintf(f, "(%lld,%lld,%d)-(%lld,%lld,%d)\n", x1, y1, s.z + 1, x1, cornerY(s.y + 1), s.z + 1);
                else
                    fprintf(f, "(%lld,%lld,%d)-(%lld,%lld,%d)\n", x1, y1, s.z + 1, x1, y1, s.z + 2);
            }
        }
        fprintf(f, "!\n");
    }
    commitOutputOrExit(out);
}
