// bookshelf_unique_pins: rewrites a Bookshelf .nets file so that no two pins of one
// object share an offset and a direction, which a LEF master cannot express (one
// master pin would serve two nets). Generated sets place pins at random offsets, so
// small cells often hold such pairs; the conversion tests and benchmark run this first.
//
// usage: bookshelf_unique_pins DESIGN.nodes IN.nets OUT.nets
//
// A pin's offset from the object's lower-left corner is trunc(centre offset + 0.5 +
// size / 2), as the design reader computes it. A pin whose (offset, direction) is
// already taken on its object moves to the first free offset scanning the object's
// points (y outer, x inner; beyond its right edge when all are taken); its line is
// written with the new centre offset in halves. Every other line is copied as it is.
// Prints "moved pins: N". Exit status 0, or 2 on unreadable or malformed input.

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <unordered_map>
#include <unordered_set>

namespace {

[[noreturn]] void fail(const std::string& file, long line, const std::string& why) {
    std::fprintf(stderr, "bookshelf_unique_pins: %s:%ld: %s\n", file.c_str(), line, why.c_str());
    std::exit(2);
}

struct Size {
    long long w = 0, h = 0;
};

std::string half(long long twice) {
    const long long a = twice < 0 ? -twice : twice;
    return std::string(twice < 0 ? "-" : "") + std::to_string(a / 2) + (a % 2 ? ".5" : ".0");
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: bookshelf_unique_pins DESIGN.nodes IN.nets OUT.nets\n");
        return 2;
    }
    std::unordered_map<std::string, Size> sizes;
    {
        std::ifstream nodes(argv[1]);
        if (!nodes) fail(argv[1], 0, "cannot open");
        std::string line;
        long no = 0;
        while (std::getline(nodes, line)) {
            ++no;
            std::istringstream in(line);
            std::string name;
            Size s;
            if (!(in >> name) || (name[0] != 'o' && name[0] != 'p' && name[0] != 'A')) continue;
            if (!(in >> s.w >> s.h)) fail(argv[1], no, "object line without width and height");
            sizes[name] = s;
        }
    }
    std::ifstream nets(argv[2]);
    if (!nets) fail(argv[2], 0, "cannot open");
    std::ostringstream out;
    // Taken (object, x, y, direction) keys.
    std::unordered_set<std::string> taken;
    long long moved = 0;
    std::string line;
    long no = 0;
    while (std::getline(nets, line)) {
        ++no;
        std::istringstream in(line);
        std::string name, dir, colon;
        double dx = 0, dy = 0;
        auto size = sizes.end();
        if (!(in >> name) || (size = sizes.find(name)) == sizes.end()) {
            out << line << '\n';
            continue;
        }
        if (!(in >> dir >> colon >> dx >> dy) || colon != ":") fail(argv[2], no, "pin line without direction and offsets");
        const Size s = size->second;
        long long x = static_cast<long long>(std::trunc(dx + 0.5 + s.w * 0.5));
        long long y = static_cast<long long>(std::trunc(dy + 0.5 + s.h * 0.5));
        auto key = [&](long long px, long long py) {
            return name + ' ' + std::to_string(px) + ' ' + std::to_string(py) + ' ' + dir;
        };
        if (!taken.insert(key(x, y)).second) {
            bool placed = false;
            for (long long py = 0; py < std::max(1LL, s.h) && !placed; ++py)
                for (long long px = 0; px < std::max(1LL, s.w) && !placed; ++px)
                    if (taken.insert(key(px, py)).second) x = px, y = py, placed = true;
            for (long long px = std::max(1LL, s.w); !placed; ++px)
                if (taken.insert(key(px, 0)).second) x = px, y = 0, placed = true;
            ++moved;
            // Centre offset x - w / 2 in halves; trunc(x - w/2 + 0.5 + w/2) gives x back.
            out << '\t' << name << '\t' << dir << " : " << half(2 * x - s.w) << '\t' << half(2 * y - s.h) << '\n';
            continue;
        }
        out << line << '\n';
    }
    std::ofstream result(argv[3]);
    if (!(result << out.str()) || !(result.flush())) fail(argv[3], 0, "cannot write");
    std::printf("moved pins: %lld\n", moved);
    return 0;
}
