// The .aux reader: reads the whole Bookshelf set that it names.

#include <cstdio>
#include <string>
#include <vector>

#include "database/Settings.h"
#include "database/bookshelf/Bookshelf.h"
#include "database/bookshelf/TextScanner.h"

std::vector<std::string> readAuxFileNames(const char* auxName) {
    std::vector<std::string> files(7);  // .nodes, .nets, .wts, .pl, .scl, .shapes, .route
    TextScanner sc(auxName);
    const std::string aux(auxName);
    const size_t slash = aux.rfind('/');
    const std::string dir = slash == std::string::npos ? std::string() : aux.substr(0, slash + 1);
    std::string_view t;
    // The set's kind and the colon, then the seven file names.
    for (int k = 0; k < 9; ++k) {
        if (!sc.token(t))
            sc.fail("the .aux file names " + std::to_string(k < 2 ? 0 : k - 2) +
                    " files; it must name the .nodes, .nets, .wts, .pl, .scl, .shapes and .route files in this order");
        if (k < 2) continue;
        // A name that is already absolute is taken as it stands.
        files[k - 2] = t[0] == '/' ? std::string(t) : dir + std::string(t);
    }
    return files;
}

void Input_DAC(const char* auxName, NetDB& db, parameterSet& settings) {
    const std::vector<std::string> files = readAuxFileNames(auxName);
    printf("read %s\n", auxName);
    db.nodesFile = files[0];
    db.sclFile = files[4];
    db.objectCount = read_node_file(files[0].c_str(), db.cells);
    read_shape_file(files[5].c_str(), db.cells);
    read_route_file(files[6].c_str(), db.cells, db, settings.Optimization_3D_Iteration != 0);
    read_net_file(files[1].c_str(), db, settings);
    read_place_file(files[3].c_str(), db);
    read_scl_file(files[4].c_str(), db);
    adjust_capacity(db.cells, db);
}
