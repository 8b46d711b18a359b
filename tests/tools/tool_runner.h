#pragma once
// Helpers for the tool tests: a scratch folder per test, file I/O and running a built tool
// with its standard output and standard error captured.

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>

namespace tooltest {

inline std::string toolPath(const std::string& name) { return std::string(TARVEX_TOOLS_DIR) + "/" + name; }

inline std::string makeScratchDir() {
    char tmpl[] = "/tmp/tarvex_tools_XXXXXX";
    char* d = mkdtemp(tmpl);
    EXPECT_NE(d, nullptr);
    return d ? std::string(d) : std::string("/tmp");
}

inline void removeScratchDir(const std::string& dir) {
    if (dir.rfind("/tmp/tarvex_tools_", 0) == 0) {
        std::error_code ec;
        std::filesystem::remove_all(dir, ec);
    }
}

inline void writeFile(const std::string& path, const std::string& text) {
    std::ofstream f(path, std::ios::binary);
    f << text;
}

inline std::string readFile(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    std::stringstream s;
    s << f.rdbuf();
    return s.str();
}

struct RunResult {
    int status = -1;
    std::string out, err;
};

// Runs "tool args" with stdin closed to /dev/null; args are passed to the shell as written.
inline RunResult runTool(const std::string& dir, const std::string& tool, const std::string& args) {
    const std::string outFile = dir + "/stdout.txt", errFile = dir + "/stderr.txt";
    const std::string cmd = "'" + toolPath(tool) + "' " + args + " </dev/null >'" + outFile + "' 2>'" + errFile + "'";
    int raw = std::system(cmd.c_str());
    RunResult r;
    r.status = (raw != -1 && WIFEXITED(raw)) ? WEXITSTATUS(raw) : -1;
    r.out = readFile(outFile);
    r.err = readFile(errFile);
    return r;
}

// "label: value" lines of the checker's report.
inline std::map<std::string, long long> parseReport(const std::string& out) {
    std::map<std::string, long long> m;
    std::istringstream in(out);
    std::string line;
    while (std::getline(in, line)) {
        size_t c = line.rfind(": ");
        if (c != std::string::npos) m[line.substr(0, c)] = std::stoll(line.substr(c + 2));
    }
    return m;
}

}  // namespace tooltest
