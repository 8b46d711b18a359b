#include "database/bookshelf/TextScanner.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <iostream>

#include "database/FolderRefusal.h"
#include "database/bookshelf/BookshelfFail.h"

namespace {
constexpr size_t kBlock = size_t(1) << 20;
}

TextScanner::TextScanner(const char* fileName) : file_(fileName) {
    refuseFolder(fileName, bookshelfRefusal);
    f_ = std::fopen(fileName, "rb");
    if (!f_) {
        std::cerr << "File " << fileName << " not exists!" << std::endl;
        endRefused(bookshelfRefusal);
    }
    if (std::fseek(f_, 0, SEEK_END) == 0) {
        long s = std::ftell(f_);
        if (s > 0) size_ = static_cast<uint64_t>(s);
        std::fseek(f_, 0, SEEK_SET);
    }
    buf_.resize(kBlock);
}

TextScanner::~TextScanner() {
    if (f_) std::fclose(f_);
}

bool TextScanner::refill(size_t keep) {
    // The kept bytes move to the front also when nothing more can be read, so
    // that a caller's offsets are always those of the moved bytes.
    if (keep > 0) {
        std::memmove(buf_.data(), buf_.data() + keep, len_ - keep);
        len_ -= keep;
        pos_ -= keep;
    }
    if (eof_) return false;
    if (len_ == buf_.size()) buf_.resize(buf_.size() * 2);
    size_t n = std::fread(buf_.data() + len_, 1, buf_.size() - len_, f_);
    if (n == 0) {
        if (std::ferror(f_)) fail("the file cannot be read");
        eof_ = true;
        return false;
    }
    len_ += n;
    return true;
}

bool TextScanner::token(std::string_view& t) {
    for (;;) {
        // White space.
        for (;;) {
            while (pos_ < len_ && isSpace(buf_[pos_])) {
                const char c = buf_[pos_];
                afterLineEnd_ = c == '\n' || c == '\r';
                // A CR ends a line; the LF of a CR LF pair belongs to it.
                if (afterLineEnd_ && !(c == '\n' && afterCR_)) ++line_;
                afterCR_ = c == '\r';
                ++pos_;
            }
            if (pos_ < len_) break;
            if (!refill(pos_)) {
                atEnd();
                return false;
            }
        }
        tokenLine_ = line_;
        size_t start = pos_;
        for (;;) {
            while (pos_ < len_ && !isSpace(buf_[pos_])) ++pos_;
            if (pos_ < len_) break;
            const bool more = refill(start);
            start = 0;  // refill moved the token to the front
            if (!more) break;
        }
        afterLineEnd_ = false;
        afterCR_ = false;
        if (buf_[start] == '#') {
            skipLine();
            continue;
        }
        t = std::string_view(buf_.data() + start, pos_ - start);
        return true;
    }
}

std::string_view TextScanner::need(const char* what) {
    std::string_view t;
    if (!token(t)) fail(std::string("the file ends before ") + what);
    return t;
}

bool TextScanner::restOfLine(std::string_view& l) {
    // The LF of a CR LF pair whose CR ended the last line.
    if (afterCR_) {
        afterCR_ = false;
        if (pos_ == len_) refill(pos_);
        if (pos_ < len_ && buf_[pos_] == '\n') ++pos_;
    }
    if (pos_ == len_ && !refill(pos_)) {
        atEnd();
        return false;
    }
    tokenLine_ = line_;
    size_t start = pos_;
    for (;;) {
        while (pos_ < len_ && buf_[pos_] != '\n' && buf_[pos_] != '\r') ++pos_;
        if (pos_ < len_) break;
        const bool more = refill(start);
        start = 0;  // refill moved the line to the front
        if (!more) break;
    }
    size_t end = pos_;
    afterLineEnd_ = pos_ < len_;
    if (afterLineEnd_) {
        afterCR_ = buf_[pos_] == '\r';
        ++pos_;  // the line end
        ++line_;
    }
    l = std::string_view(buf_.data() + start, end - start);
    return true;
}

int TextScanner::needInt(const char* what) {
    std::string_view t = need(what);
    int v;
    if (!toInt(t, v)) fail(std::string(what) + " is not an integer that fits an int (got " + shown(t) + ")");
    return v;
}

double TextScanner::needReal(const char* what) {
    std::string_view t = need(what);
    double v;
    if (!toReal(t, v)) fail(std::string(what) + " is not a finite number (got " + shown(t) + ")");
    return v;
}

int TextScanner::needCount(const char* what, uint64_t minBytes) {
    int n = needInt(what);
    if (n < 0) fail(std::string(what) + " " + std::to_string(n) + " is negative");
    if (static_cast<uint64_t>(n) > size_ / minBytes + 1)
        fail(std::string(what) + " " + std::to_string(n) + " is larger than the file can hold");
    return n;
}

void TextScanner::fail(const std::string& reason) const { failInput(file_, tokenLine_, reason); }

void TextScanner::failAt(int line, const std::string& reason) const { failInput(file_, line, reason); }

bool TextScanner::toInt(std::string_view t, int& v) {
    const char* b = t.data();
    const char* e = b + t.size();
    if (b != e && *b == '+') ++b;
    if (b == e || *b == '+') return false;
    auto r = std::from_chars(b, e, v);
    return r.ec == std::errc() && r.ptr == e;
}

bool TextScanner::toReal(std::string_view t, double& v) {
    const char* b = t.data();
    const char* e = b + t.size();
    if (b != e && *b == '+') ++b;
    if (b == e || *b == '+') return false;
    auto r = std::from_chars(b, e, v);
    return r.ec == std::errc() && r.ptr == e && std::isfinite(v);
}

std::string shown(std::string_view t) {
    if (t.size() > 40) return "\"" + std::string(t.substr(0, 40)) + "...\"";
    return "\"" + std::string(t) + "\"";
}

namespace {
// Leading decimal digits of s as a non-negative int; false without digits or
// when the number does not fit. `all` demands that nothing follows the digits.
bool digitsAt(std::string_view s, bool all, int& n) {
    size_t i = 0;
    long long v = 0;
    while (i < s.size() && s[i] >= '0' && s[i] <= '9') {
        v = v * 10 + (s[i] - '0');
        if (v > 2147483647LL) return false;
        ++i;
    }
    if (i == 0 || (all && i != s.size())) return false;
    n = static_cast<int>(v);
    return true;
}
}  // namespace

bool objectIndex(std::string_view name, int objectCount, int cellCount, int& index, std::string& why) {
    int n = 0;
    if (name.empty()) {
        why = "an empty object name";
        return false;
    }
    const char c = name[0];
    if (c == 'o' || c == 'p') {
        if (!digitsAt(name.substr(1), true, n)) {
            why = "object name " + shown(name) + " is not \"o\" or \"p\" followed by a number";
            return false;
        }
        if (c == 'o') {
            if (n >= objectCount) {
                why = "object " + shown(name) + " is beyond the " + std::to_string(objectCount) + " o objects of the .nodes file";
                return false;
            }
            index = n;
        } else {
            if (static_cast<long long>(n) + objectCount >= cellCount) {
                why = "object " + shown(name) + " is beyond the " + std::to_string(cellCount - objectCount) +
                      " p objects of the .nodes file";
                return false;
            }
            index = objectCount + n;
        }
        return true;
    }
    if (c == 'A') {
        size_t o = name.find('o');
        if (o == std::string_view::npos || !digitsAt(name.substr(o + 1), false, n)) {
            why = "object name " + shown(name) + " has no number after an \"o\"";
            return false;
        }
        if (n >= objectCount) {
            why = "object " + shown(name) + " is beyond the " + std::to_string(objectCount) + " o objects of the .nodes file";
            return false;
        }
        index = n;
        return true;
    }
    why = "object name " + shown(name) + " does not begin with o, p or A";
    return false;
}
