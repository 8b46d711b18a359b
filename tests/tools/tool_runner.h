#pragma once
// Helpers for the tool tests: a scratch folder per test and running a built tool
// with its standard output and standard error captured.

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>

#include "tests/common/RunCommand.h"

namespace tooltest {

inline std::string toolPath(const std::string& name) { return std::string(TARVEX_TOOLS_DIR) + "/" + name; }

// Runs "tool args" with stdin closed to /dev/null; args are passed to the shell as written.
inline CommandResult runTool(const std::string& dir, const std::string& tool, const std::string& args) {
    return runCommand("'" + toolPath(tool) + "' " + args, dir);
}

// Each label's value in the "label: value" lines of a tool's report `out`.
inline void expectFigures(const std::string& out, const std::map<std::string, long long>& want) {
    auto got = parseLabelValues(out);
    for (const auto& [label, value] : want) EXPECT_EQ(got[label], value) << label;
}

// A test with a scratch folder of its own, removed afterwards.
class ScratchTest : public ::testing::Test {
protected:
    void SetUp() override {
        char tmpl[] = "/tmp/tarvex_tools_XXXXXX";
        ASSERT_NE(mkdtemp(tmpl), nullptr);
        dir = tmpl;
    }
    void TearDown() override {
        std::error_code ec;
        if (dir.rfind("/tmp/tarvex_tools_", 0) == 0) std::filesystem::remove_all(dir, ec);
    }
    CommandResult run(const std::string& tool, const std::string& args) { return runTool(dir, tool, args); }
    std::string dir;
};

}  // namespace tooltest
