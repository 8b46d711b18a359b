#pragma once
// A work folder of its own for an end-to-end test (with the FLUTE tables, so the
// binary runs there), removed when the test ends; and the report readers the
// end-to-end tests share.

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <regex>
#include <string>

#include "tests/common/RunCommand.h"

// The integer after "label = " in an overflow report, -1 when missing.
inline long long reportValue(const std::string& report, const std::string& label) {
    std::smatch m;
    std::regex re(label + " = (-?[0-9]+)");
    if (!std::regex_search(report, m, re)) return -1;
    return std::stoll(m[1]);
}

// The integer of a "label: value" line of a checker's report, -1 when missing.
inline long long labelValue(const std::string& out, const std::string& label) {
    const auto values = parseLabelValues(out);
    const auto it = values.find(label);
    return it == values.end() ? -1 : it->second;
}

// Occurrences of `what` in `text`.
inline size_t countOf(const std::string& text, const std::string& what) {
    size_t n = 0;
    for (size_t p = text.find(what); p != std::string::npos; p = text.find(what, p + 1)) ++n;
    return n;
}

// The tail of a run's output for failure messages.
inline std::string outputTail(const CommandResult& r) {
    return r.out.substr(r.out.size() > 3000 ? r.out.size() - 3000 : 0) + r.err;
}

template <class Base = ::testing::Test>
class RunFolder : public Base {
protected:
    const std::string bin = TARVEX_BIN;
    const std::string tools = TARVEX_TOOLS_DIR;
    std::string dir;

    void SetUp() override {
        folder_ = std::make_unique<TempFolder>("tarvex_e2e_");
        dir = folder_->path();
        ASSERT_FALSE(dir.empty());
        const std::string tables = std::string(TARVEX_BINARY_DIR) + "/run";
        ASSERT_EQ(runCommand("cp " + tables + "/POWV9.dat " + tables + "/POST9.dat " + dir).status, 0)
            << "the FLUTE tables are missing from " << tables;
    }
    void TearDown() override { folder_.reset(); }

    // The binary run in the folder with the given operands.
    CommandResult runHere(const std::string& operands) { return runCommand("cd " + dir + " && " + bin + " " + operands); }

private:
    std::unique_ptr<TempFolder> folder_;
};
