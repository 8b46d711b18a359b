// bookshelf_read: reads a Bookshelf set step by step, as the Bookshelf modes do, and
// reports the wall-clock time of each step and the peak memory, one "label: value" per
// line on standard error (the readers' own lines go to standard output).
//
// usage: bookshelf_read SET.aux [PLACEMENT.pl]

#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>

#include "database/NetDB.h"
#include "database/Settings.h"
#include "database/bookshelf/Bookshelf.h"

namespace {

double since(std::chrono::steady_clock::time_point t) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - t).count();
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2 && argc != 3) {
        std::fprintf(stderr, "usage: bookshelf_read SET.aux [PLACEMENT.pl]\n");
        return 1;
    }
    const std::string aux = argv[1];
    const size_t slash = aux.rfind('/');
    const std::string dir = slash == std::string::npos ? "" : aux.substr(0, slash + 1);
    std::ifstream in(aux);
    std::string word, files[7];
    in >> word >> word;
    for (std::string& f : files) {
        if (!(in >> f)) {
            std::fprintf(stderr, "bookshelf_read: %s names fewer than seven files\n", argv[1]);
            return 1;
        }
        f = dir + f;
    }

    NetDB db;
    parameterSet settings;
    const auto start = std::chrono::steady_clock::now();
    auto step = [&](const char* label, auto&& run) {
        auto t = std::chrono::steady_clock::now();
        run();
        std::fprintf(stderr, "%s seconds: %.3f\n", label, since(t));
    };
    step(".nodes", [&] { db.objectCount = read_node_file(files[0].c_str(), db.cells); });
    step(".shapes", [&] { read_shape_file(files[5].c_str(), db.cells); });
    step(".route", [&] { read_route_file(files[6].c_str(), db.cells, db); });
    step(".nets", [&] { read_net_file(files[1].c_str(), db, settings); });
    step(".pl", [&] { read_place_file(files[3].c_str(), db); });
    step(".scl", [&] { read_scl_file(files[4].c_str(), db); });
    const double readTime = since(start);
    step("capacity adjustment", [&] { adjust_capacity(db.cells, db); });
    if (argc == 3) step("placement", [&] { read_place_file(argv[2], db); });
    step("routing nets", [&] { build_netlist_set(db, settings, db.cells); });
    std::fprintf(stderr, "read seconds: %.3f\n", readTime);
    std::fprintf(stderr, "total seconds: %.3f\n", since(start));
    std::fprintf(stderr, "objects: %zu\nnets: %zu\nadjusted edges: %zu\n", db.cells.size(), db.netInfos.size(),
                 db.adjLocate.size());
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    std::fprintf(stderr, "peak memory MB: %ld\n", u.ru_maxrss / 1024);
    return 0;
}
