// Replays files through a fuzz harness without libFuzzer: every file named on
// the command line, and every file in every folder named (sorted, not
// recursive). Fails when there is nothing to replay.
#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "tests/fuzz/FuzzHarness.h"

namespace {

void collect(const std::string& path, std::vector<std::string>& files) {
    struct stat st;
    if (stat(path.c_str(), &st) != 0) {
        std::fprintf(stderr, "replay: %s does not exist\n", path.c_str());
        std::exit(1);
    }
    if (!S_ISDIR(st.st_mode)) {
        files.push_back(path);
        return;
    }
    std::vector<std::string> inside;
    if (DIR* d = opendir(path.c_str())) {
        while (dirent* e = readdir(d)) {
            const std::string name = e->d_name;
            if (name == "." || name == ".." || name[0] == '.') continue;
            inside.push_back(path + "/" + name);
        }
        closedir(d);
    }
    std::sort(inside.begin(), inside.end());
    for (const std::string& f : inside)
        if (stat(f.c_str(), &st) == 0 && S_ISREG(st.st_mode)) files.push_back(f);
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> files;
    for (int i = 1; i < argc; ++i) collect(argv[i], files);
    if (files.empty()) {
        std::fprintf(stderr, "replay: no inputs\n");
        return 1;
    }
    for (const std::string& f : files) {
        std::ifstream in(f, std::ios::binary);
        const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        fuzz::refused() = false;
        LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
        std::fprintf(stderr, "replay: %s %s\n", fuzz::refused() ? "refused" : "accepted", f.c_str());
    }
    std::printf("replayed %zu inputs\n", files.size());
    return 0;
}
