#include "tools/ispd_check/TextLines.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace ispdcheck {

std::string readWholeFile(const std::string& path) {
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) throw InputError(path + ": cannot open: " + std::strerror(errno));
    std::string text;
    char buf[1 << 16];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) text.append(buf, n);
    bool bad = std::ferror(f) != 0;
    std::fclose(f);
    if (bad) throw InputError(path + ": read error");
    return text;
}

static bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v'; }

bool LineReader::nextContentLine(std::string_view& line) {
    while (pos_ < text_.size()) {
        size_t end = text_.find('\n', pos_);
        if (end == std::string::npos) end = text_.size();
        std::string_view l(text_.data() + pos_, end - pos_);
        pos_ = end + 1;
        ++line_;
        for (char c : l) {
            if (!isSpace(c)) {
                line = l;
                return true;
            }
        }
    }
    return false;
}

void LineReader::split(std::string_view line, std::vector<std::string_view>& tokens) {
    tokens.clear();
    size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && isSpace(line[i])) ++i;
        size_t start = i;
        while (i < line.size() && !isSpace(line[i])) ++i;
        if (i > start) tokens.push_back(line.substr(start, i - start));
    }
}

bool parseInteger(std::string_view s, int64_t lo, int64_t hi, int64_t& value) {
    size_t i = 0;
    bool neg = false;
    if (i < s.size() && (s[i] == '-' || s[i] == '+')) neg = s[i++] == '-';
    if (i == s.size()) return false;
    uint64_t v = 0;
    for (; i < s.size(); ++i) {
        if (s[i] < '0' || s[i] > '9') return false;
        v = v * 10 + static_cast<uint64_t>(s[i] - '0');
        if (v > (1ULL << 62)) return false;  // far beyond any accepted range
    }
    int64_t x = neg ? -static_cast<int64_t>(v) : static_cast<int64_t>(v);
    if (x < lo || x > hi) return false;
    value = x;
    return true;
}

}  // namespace ispdcheck
