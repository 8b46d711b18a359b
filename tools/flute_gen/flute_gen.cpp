// Generates the FLUTE lookup tables "POWV9.dat" and "POST9.dat".
//
//   flute_gen [-o DIR] [-j THREADS] [-d MAXDEGREE] [-s SEED]
//
// Writes both files into DIR (default: the working directory) with the
// sections of degrees 4 .. MAXDEGREE (default 9), and prints statistics.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

#include "tools/flute_gen/table_gen.h"

namespace {

bool writeFile(const std::string& path, const std::string& text) {
    FILE* f = fopen(path.c_str(), "wb");
    if (!f) return false;
    const bool ok = fwrite(text.data(), 1, text.size(), f) == text.size();
    return fclose(f) == 0 && ok;
}

}  // namespace

int main(int argc, char** argv) {
    std::string dir = ".";
    int threads = static_cast<int>(std::thread::hardware_concurrency());
    int maxDegree = 9;
    uint64_t seed = flutegen::kDefaultSeed;
    for (int i = 1; i < argc; ++i) {
        const bool hasValue = i + 1 < argc;
        if (!strcmp(argv[i], "-o") && hasValue) dir = argv[++i];
        else if (!strcmp(argv[i], "-j") && hasValue) threads = atoi(argv[++i]);
        else if (!strcmp(argv[i], "-d") && hasValue) maxDegree = atoi(argv[++i]);
        else if (!strcmp(argv[i], "-s") && hasValue) seed = strtoull(argv[++i], nullptr, 10);
        else {
            fprintf(stderr, "usage: %s [-o DIR] [-j THREADS] [-d MAXDEGREE] [-s SEED]\n", argv[0]);
            return 1;
        }
    }
    if (maxDegree < 4 || maxDegree > 9 || threads < 1) {
        fprintf(stderr, "%s: MAXDEGREE must be 4..9 and THREADS at least 1\n", argv[0]);
        return 1;
    }
    std::string powv, post;
    for (int d = 4; d <= maxDegree; ++d) {
        const auto start = std::chrono::steady_clock::now();
        flutegen::GenStats st;
        flutegen::generateDegree(d, threads, seed, flutegen::defaultEffort(d), powv, post, st);
        if (!st.ok) {
            fprintf(stderr, "flute_gen: %s\n", st.error.c_str());
            return 1;
        }
        const double secs = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        printf("d=%d classes=%ld samples=%ld own groups=%ld solutions=%ld (max %d per group) mapped-mismatch=%ld "
               "%.1f s\n",
               d, st.classes, st.samples, st.ownGroups, st.solutions, st.maxSolutions, st.mismatches, secs);
        fflush(stdout);
    }
    if (!writeFile(dir + "/POWV9.dat", powv) || !writeFile(dir + "/POST9.dat", post)) {
        fprintf(stderr, "flute_gen: cannot write the tables into %s\n", dir.c_str());
        return 1;
    }
    return 0;
}
