#pragma once
// Streaming token and line scanner of the Bookshelf readers.
//
// The file is read in blocks into one buffer that grows only when a single
// token or line is longer than the buffer, so names and lines of any length are
// read whole and nothing is allocated per token. Views handed out stay valid
// until the next read. Every refusal goes through failInput with the file name
// and the line the scanner stands on.

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

class TextScanner {
public:
    // Opens the file; one that cannot be opened prints "File <name> not
    // exists!" on standard error and ends the run with status 1.
    explicit TextScanner(const char* fileName);
    ~TextScanner();
    TextScanner(const TextScanner&) = delete;
    TextScanner& operator=(const TextScanner&) = delete;

    const char* fileName() const { return file_; }
    // Size of the file in bytes, for sanity bounds on declared counts.
    uint64_t fileSize() const { return size_; }
    // Line of the last token or line read (1-based).
    int line() const { return tokenLine_; }

    // Next whitespace-separated token; a token that begins with '#' and the
    // rest of its line are skipped. False at the end of the file.
    bool token(std::string_view& t);
    // Next token, which must exist; `what` names it in the refusal.
    std::string_view need(const char* what);
    // The rest of the current line, without its line end; false at the end of
    // the file. The scanner then stands at the start of the next line.
    bool restOfLine(std::string_view& l);
    void skipLine() {
        std::string_view l;
        restOfLine(l);
    }

    // Typed reads of the next token; the token must be the whole number.
    int needInt(const char* what);
    double needReal(const char* what);
    // A count of the entries that follow: an integer of 0 or more, and no more
    // than the file could hold at `minBytes` characters an entry.
    int needCount(const char* what, uint64_t minBytes);

    [[noreturn]] void fail(const std::string& reason) const;
    [[noreturn]] void failAt(int line, const std::string& reason) const;

    // Whole-token conversions; false when the token is not such a number
    // (or, for int, does not fit one). Reals must be finite.
    static bool toInt(std::string_view t, int& v);
    static bool toReal(std::string_view t, double& v);
    static bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f'; }

private:
    // At the end of the file a refusal names the file's last line.
    void atEnd() { tokenLine_ = afterLineEnd_ && line_ > 1 ? line_ - 1 : line_; }
    // Keeps buf_[keep, len_) at the front, reads more; false when nothing more.
    bool refill(size_t keep);

    const char* file_;
    FILE* f_ = nullptr;
    uint64_t size_ = 0;
    std::vector<char> buf_;
    size_t pos_ = 0, len_ = 0;
    bool eof_ = false;
    int line_ = 1;       // line of the cursor
    int tokenLine_ = 1;  // line where the last read began
    bool afterLineEnd_ = false;  // the last character read ended a line
    bool afterCR_ = false;       // that character was a CR: an LF right after it ends no further line
};

// Shows a token in a message, cut short when it is long.
std::string shown(std::string_view t);

// Object names of the Bookshelf files: "o" N is object N, "p" N is object
// (objectCount + N), a name beginning with "A" is the number after its first
// "o". Returns false (with the reason) for a name outside that table or an
// object beyond the counts: o and A names must be below objectCount, p names
// below cellCount - objectCount.
bool objectIndex(std::string_view name, int objectCount, int cellCount, int& index, std::string& why);
