// Routing result writer for the 3D connection paths: one line per unit edge or
// via, each written once per net, in database units with 1-based layers.

#include <cstdio>
#include <cstdlib>
#include <vector>

#include "database/AtomicOutput.h"
#include "database/NetDB.h"
#include "database/Parser.h"
#include "database/WrittenSteps.h"

void outputFile(const char* fileName, NetDB& db) {
    AtomicOutput out = openOutputOrExit(fileName);
    FILE* f = out.stream;
    std::vector<char> buffer(1 << 20);
    setvbuf(f, buffer.data(), _IOFBF, buffer.size());

    // Corners in 64 bits: a far origin with wide G-cells passes the int range.
    auto cornerX = [&](int x) { return static_cast<long long>(x) * db.tileW + db.originX; };
    auto cornerY = [&](int y) { return static_cast<long long>(y) * db.tileH + db.originY; };

    WrittenSteps steps(db);
    for (size_t k = 0; k < db.nets.size(); ++k) {
        const Net& net = db.nets[k];
        if (!WrittenSteps::written(net)) continue;
        if (net.name.empty())
            fprintf(f, "n%d %d %d\n", net.id, net.id, 0);
        else
            fprintf(f, "%s %d %d\n", net.name.c_str(), net.id, 0);
        const int errorLine = net.twopin.size() == 1 ? 1938 : 1975;
        steps.walk(
            k,
            [&](int kind, int x, int y, int z) {
                const long long x1 = cornerX(x), y1 = cornerY(y);
                if (kind == 1)
                    fprintf(f, "(%lld,%lld,%d)-(%lld,%lld,%d)\n", x1, y1, z + 1, cornerX(x + 1), y1, z + 1);
                else if (kind == 0)
                    fprintf(f, "(%lld,%lld,%d)-(%lld,%lld,%d)\n", x1, y1, z + 1, x1, cornerY(y + 1), z + 1);
                else
                    fprintf(f, "(%lld,%lld,%d)-(%lld,%lld,%d)\n", x1, y1, z + 1, x1, y1, z + 2);
            },
            [&] { printf("ERROR %s %d\n", "Parser", errorLine); });
        fprintf(f, "!\n");
    }
    commitOutputOrExit(out);
}
