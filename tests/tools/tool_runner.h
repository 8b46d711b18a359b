#pragma once
// Helpers for the tool tests: a scratch folder per test, file I/O and running a built tool
// with its standard output and standard error captured.

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>

#include "tests/common/RunCommand.h"

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

inline void writeFile(const std::string& path, const std::string& text) { writeTextFile(path, text); }

inline std::string readFile(const std::string& path) { return readWholeFile(path); }

using RunResult = CommandResult;

// Runs "tool args" with stdin closed to /dev/null; args are passed to the shell as written.
inline RunResult runTool(const std::string& dir, const std::string& tool, const std::string& args) {
    return runCommand("'" + toolPath(tool) + "' " + args, dir);
}

// "label: value" lines of the checker's report.
inline std::map<std::string, long long> parseReport(const std::string& out) { return parseLabelValues(out); }

}  // namespace tooltest
