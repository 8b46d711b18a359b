#pragma once
// Line and token helpers for the checker's two parsers. A whole file is read into memory
// and walked line by line; every problem is thrown as an InputError naming file and line.

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace ispdcheck {

struct InputError : std::runtime_error {
    explicit InputError(const std::string& what) : std::runtime_error(what) {}
};

// Reads the whole file; throws InputError when it cannot be read.
std::string readWholeFile(const std::string& path);

class LineReader {
public:
    LineReader(const std::string& path, const std::string& text) : path_(path), text_(text) {}

    // Next line that holds anything but white space; false at the end of the file.
    bool nextContentLine(std::string_view& line);
    // Splits the current line into whitespace-separated tokens.
    static void split(std::string_view line, std::vector<std::string_view>& tokens);

    int64_t lineNumber() const { return line_; }
    const std::string& path() const { return path_; }

    [[noreturn]] void fail(const std::string& reason) const { failAt(line_, reason); }
    [[noreturn]] void failAt(int64_t line, const std::string& reason) const {
        throw InputError(path_ + ":" + std::to_string(line) + ": " + reason);
    }

private:
    std::string path_;
    const std::string& text_;
    size_t pos_ = 0;
    int64_t line_ = 0;
};

// Strict decimal integer: optional sign and digits only, within [lo, hi].
bool parseInteger(std::string_view s, int64_t lo, int64_t hi, int64_t& value);

}  // namespace ispdcheck
