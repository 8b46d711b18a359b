#pragma once
// Runs a shell command for the tests and returns its exit status and output.

#include <sys/stat.h>
#include <sys/wait.h>

#include <unistd.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <cstdlib>
#include <string>
#include <system_error>

#include <gtest/gtest.h>

struct CommandResult {
    int status = -1;  // exit status, or -1 when the command did not exit normally
    std::string out;  // standard output
    std::string err;  // standard error
};

inline std::string readWholeFile(const std::string& path) {
    std::ifstream in(path);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

// Runs `cmd` with /bin/sh, standard input from /dev/null, capturing both streams.
inline CommandResult runCommand(const std::string& cmd, const std::string& scratchDir = "/tmp") {
    static int counter = 0;
    std::string base = scratchDir + "/cmd_" + std::to_string(getpid()) + "_" + std::to_string(counter++);
    std::string full = "(" + cmd + ") </dev/null >" + base + ".out 2>" + base + ".err";
    int rc = std::system(full.c_str());
    CommandResult r;
    if (rc != -1 && WIFEXITED(rc)) r.status = WEXITSTATUS(rc);
    r.out = readWholeFile(base + ".out");
    r.err = readWholeFile(base + ".err");
    std::remove((base + ".out").c_str());
    std::remove((base + ".err").c_str());
    return r;
}

inline void writeTextFile(const std::string& path, const std::string& text) { std::ofstream(path) << text; }

// A folder in the test temp folder, removed with everything in it when the
// object goes (also after a failed assertion). Only the process that made it
// removes it: a death test's forked child leaves its parent's folder alone.
class TempFolder {
public:
    // A fresh folder named `stem` followed by six random characters.
    explicit TempFolder(const std::string& stem) : owner_(getpid()) {
        std::string tmpl = ::testing::TempDir() + stem + "XXXXXX";
        if (mkdtemp(&tmpl[0]) != nullptr) path_ = tmpl;
    }
    // The folder `name`, made when missing (a tag, so the two constructors differ).
    struct Named {};
    TempFolder(const std::string& name, Named) : owner_(getpid()), path_(::testing::TempDir() + name) {
        mkdir(path_.c_str(), 0755);
    }
    ~TempFolder() {
        std::error_code ec;
        if (getpid() == owner_ && !path_.empty()) std::filesystem::remove_all(path_, ec);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    // Empty when the folder could not be made.
    const std::string& path() const { return path_; }

private:
    pid_t owner_;
    std::string path_;
};

// A folder of its own for this test process, made on first use and removed when
// the process ends; ends in '/'. ctest runs every test case as its own process,
// several at a time.
inline std::string scratchDir() {
    static const TempFolder folder("tarvex_p" + std::to_string(getpid()), TempFolder::Named{});
    return folder.path() + "/";
}

// A file name in the scratch folder that no other test process uses.
inline std::string scratchPath(const std::string& name) {
    return scratchDir() + "p" + std::to_string(getpid()) + "_" + name;
}

// The "label: integer" lines of a tool's report (the result checker's, say);
// other lines are passed over.
inline std::map<std::string, long long> parseLabelValues(const std::string& out) {
    std::map<std::string, long long> values;
    std::istringstream in(out);
    std::string line;
    while (std::getline(in, line)) {
        const size_t colon = line.rfind(": ");
        if (colon == std::string::npos) continue;
        const std::string number = line.substr(colon + 2);
        const size_t start = !number.empty() && number[0] == '-' ? 1 : 0;
        if (number.size() == start || number.find_first_not_of("0123456789", start) != std::string::npos) continue;
        values[line.substr(0, colon)] = std::stoll(number);
    }
    return values;
}
