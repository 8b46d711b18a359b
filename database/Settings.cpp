#include "database/Settings.h"

#include <cerrno>
#include <cctype>
#include <climits>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <utility>

#include "database/FolderRefusal.h"
#include "decomposition/flute.h"

void setDefaultParameter(NetDB&, parameterSet& set, bool loadTables) {
    set.maxPinsPerNet = INT_MAX;
    set.Layer_Assignment_Algorithm = 1;
    set.Output_Routing_Result = true;
    set.Output_Overflow_Information = false;
    set.Pin_Blockage_Factor = 0.0;
    set.Pattern_Routing_Iteration = 2;
    set.Monotonic_Routing_Iteration = 3;
    set.Maze_Routing_Iteration = INT_MAX;
    set.Post_Routing_Iteration = 2;
    set.Optimization_3D_Iteration = 0;
    set.historyStartIteration = 1;
    set.overflowTarget = 0;
    set.Wirelength_Optimization_Level = 200;
    set.boxGrowthOffset = 9;
    set.boxGrowthScale = 2.0;
    set.Placement_Iteration = 1;
    set.Rounds_Per_Iteration = 1;
    set.Local_Detailed_Placement = 1;
    set.Avoiding_Blockage_Factor = 1.0;
    set.Blockage_Expanding = 0;
    if (loadTables) readLUT();
}

RefusalHandler settingsRefusal = nullptr;

namespace {

// Largest values accepted where the reader has no upper limit of its own: far
// beyond anything a real run asks for, and small enough that the loops they
// drive end and the sums they enter fit.
constexpr int kMaxViaCost = 1000000;
constexpr int kMaxRounds = 1000;
constexpr int kMaxPlacementRounds = 1000;
constexpr int kMaxBlockageExpanding = 100000000;
constexpr double kMaxPinBlockageFactor = 100.0;
constexpr double kMaxAvoidingBlockageFactor = 1000.0;

// An accepted range as the refusals print it.
std::string rangeText(long long lo, long long hi) {
    return "[" + std::to_string(lo) + ", " + std::to_string(hi) + "]";
}

// The .set file as a stream of tokens with line numbers. Numbers are taken
// the way a formatted stream extraction takes them: blanks, then the longest
// prefix that forms a number; the next token starts right after it.
class SetReader {
public:
    SetReader(const char* fileName, std::string text) : fileName_(fileName), text_(std::move(text)) {}

    bool token(std::string& t) {
        skipSpace();
        if (p_ == text_.size()) return false;
        tokenLine_ = line_;
        const size_t b = p_;
        while (p_ < text_.size() && !isSpace(text_[p_])) ++p_;
        t.assign(text_, b, p_ - b);
        return true;
    }
    // The rest of the current line, any length.
    void skipLine() {
        while (p_ < text_.size() && text_[p_] != '\n') ++p_;
    }
    // An int value. A number with a fraction or an exponent is refused as not
    // a whole number; one that does not fit an int as outside [lo, hi], after
    // the keyword's own range message when it has one.
    int readInt(const std::string& keyword, long long lo = INT_MIN, long long hi = INT_MAX,
                const char* rangeMessage = nullptr) {
        skipSeparator();
        skipSpace();
        const size_t b = p_;
        size_t q = p_;
        if (q < text_.size() && (text_[q] == '+' || text_[q] == '-')) ++q;
        const size_t digits = q;
        while (q < text_.size() && std::isdigit(static_cast<unsigned char>(text_[q]))) ++q;
        if (q == digits) badValue(keyword);
        if (realFollows(q)) {
            size_t e = q;
            while (e < text_.size() && !isSpace(text_[e])) ++e;
            const std::string value(text_, b, e - b);
            reject("The format of .set file is wrong", "%s = %s is not a whole number", keyword.c_str(),
                   value.c_str());
        }
        p_ = q;
        errno = 0;
        const long long v = std::strtoll(text_.c_str() + b, nullptr, 10);
        if (errno == ERANGE || v > INT_MAX || v < INT_MIN) {
            const std::string value(text_, b, q - b);
            if (rangeMessage) outOfRange(rangeMessage, keyword, value, rangeText(lo, hi));
            where("%s = %s is outside the accepted range %s", keyword.c_str(), value.c_str(), rangeText(lo, hi).c_str());
        }
        return static_cast<int>(v);
    }
    double readDouble(const std::string& keyword) {
        skipSeparator();
        skipSpace();
        const size_t b = p_;
        size_t q = p_;
        auto digitsAt = [&](size_t& i) {
            const size_t from = i;
            while (i < text_.size() && std::isdigit(static_cast<unsigned char>(text_[i]))) ++i;
            return i - from;
        };
        if (q < text_.size() && (text_[q] == '+' || text_[q] == '-')) ++q;
        size_t mantissa = digitsAt(q);
        if (q < text_.size() && text_[q] == '.') {
            ++q;
            mantissa += digitsAt(q);
        }
        if (mantissa == 0) badValue(keyword);
        if (q < text_.size() && (text_[q] == 'e' || text_[q] == 'E')) {
            ++q;
            if (q < text_.size() && (text_[q] == '+' || text_[q] == '-')) ++q;
            if (digitsAt(q) == 0) badValue(keyword);
        }
        p_ = q;
        // A value too large for a double reads as infinite, which every range refuses.
        return std::strtod(std::string(text_, b, q - b).c_str(), nullptr);
    }
    std::string readWord(const char* quotedName) {
        skipSeparator();
        std::string w;
        if (!token(w)) {
            printf(" \"%s\" should be set to Yes or No\n", quotedName);
            where("%s has no value; it takes Yes, yes, No or no", quotedName);
        }
        return w;
    }

    // The reader's own message on standard output, then the line that says
    // where on standard error, then the end of the run.
    [[noreturn]] void reject(const char* message, const char* fmt, ...) __attribute__((format(printf, 3, 4))) {
        puts(message);
        fflush(stdout);
        va_list ap;
        va_start(ap, fmt);
        vwhere(fmt, ap);
    }
    [[noreturn]] void outOfRange(const char* message, const std::string& keyword, const std::string& value,
                                 const std::string& range) {
        reject(message, "%s = %s is outside the accepted range %s", keyword.c_str(), value.c_str(), range.c_str());
    }
    [[noreturn]] void where(const char* fmt, ...) __attribute__((format(printf, 2, 3))) {
        va_list ap;
        va_start(ap, fmt);
        vwhere(fmt, ap);
    }

    const char* fileName() const { return fileName_; }

private:
    static bool isSpace(char c) { return c == ' ' || c == '\n' || c == '\t' || c == '\r' || c == '\v' || c == '\f'; }
    // Whether the digits of an int that end at q go on as a fraction or an exponent.
    bool realFollows(size_t q) const {
        auto digitAt = [&](size_t i) { return i < text_.size() && std::isdigit(static_cast<unsigned char>(text_[i])); };
        if (q >= text_.size()) return false;
        if (text_[q] == '.') return true;
        if (text_[q] != 'e' && text_[q] != 'E') return false;
        if (q + 1 < text_.size() && (text_[q + 1] == '+' || text_[q + 1] == '-')) return digitAt(q + 2);
        return digitAt(q + 1);
    }
    void skipSpace() {
        while (p_ < text_.size() && isSpace(text_[p_])) {
            if (text_[p_] == '\n') ++line_;
            ++p_;
        }
    }
    // The token between a keyword and its value, whatever it is.
    void skipSeparator() {
        const int keywordLine = tokenLine_;
        std::string ignored;
        token(ignored);
        tokenLine_ = keywordLine;
    }
    [[noreturn]] void badValue(const std::string& keyword) {
        fflush(stdout);
        fprintf(stderr, "%s:%d: the value of %s cannot be read as a number\n", fileName_, tokenLine_, keyword.c_str());
        endRefused(settingsRefusal);
    }
    [[noreturn]] void vwhere(const char* fmt, va_list ap) {
        fflush(stdout);
        fprintf(stderr, "%s:%d: ", fileName_, tokenLine_);
        vfprintf(stderr, fmt, ap);
        va_end(ap);
        fputc('\n', stderr);
        endRefused(settingsRefusal);
    }

    const char* fileName_;
    std::string text_;
    size_t p_ = 0;
    int line_ = 1;
    int tokenLine_ = 1;
};

std::string realText(double v) {
    char buf[64];
    snprintf(buf, sizeof buf, "%g", v);
    return buf;
}

// An int setting with the accepted range [lo, hi]: echo first, then the check.
int rangedInt(SetReader& r, const std::string& keyword, long long lo, long long hi, const char* message) {
    const int v = r.readInt(keyword, lo, hi, message);
    printf("set %s = %d\n", keyword.c_str(), v);
    if (v < lo || v > hi) r.outOfRange(message, keyword, std::to_string(v), rangeText(lo, hi));
    return v;
}

// "Yes"/"yes" -> true, "No"/"no" -> false, anything else ends the run.
bool yesNo(SetReader& r, const char* quotedName) {
    const std::string w = r.readWord(quotedName);
    if (w == "Yes" || w == "yes") return true;
    if (w == "No" || w == "no") return false;
    std::string message = std::string(" \"") + quotedName + "\" should be set to Yes or No";
    r.reject(message.c_str(), "%s = %s: the value must be Yes, yes, No or no", quotedName, w.c_str());
}

std::string quotedMessage(const char* name, const char* rest) { return std::string(" \"") + name + "\"" + rest; }

}  // namespace

void readSettingsText(const char* fileName, const std::string& text, parameterSet& set) {
    SetReader r(fileName, text);
    printf("read %s\n", fileName);

    std::string token;
    while (r.token(token)) {
        if (token[0] == '#') {
            r.skipLine();
            continue;
        }
        if (token == "Via_Cost") {
            set.Via_Cost = rangedInt(r, token, 1, kMaxViaCost, "Via_Cost is out of a reasonable range");
            set.viaCostGiven = true;
        } else if (token == "Pattern_Routing_Iteration") {
            set.Pattern_Routing_Iteration =
                rangedInt(r, token, 1, kMaxRounds, "Pattern_Routing_Iteration is out of a reasonable range");
        } else if (token == "Monotonic_Routing_Iteration") {
            set.Monotonic_Routing_Iteration =
                rangedInt(r, token, 0, kMaxRounds, "Monotonic_Routing_Iteration is out of a reasonable range");
        } else if (token == "Maze_Routing_Iteration") {
            int v = r.readInt(token);
            printf("set Maze_Routing_Iteration = %d\n", v);
            set.Maze_Routing_Iteration = v < 0 ? INT_MAX : v;
        } else if (token == "Maze_Routing_Timeout") {
            int v = r.readInt(token);
            printf("set Maze_Routing_Timeout = %d\n", v);
            set.Maze_Routing_Timeout = v < 0 ? INT_MAX : v;
            set.mazeTimeoutGiven = true;
        } else if (token == "Post_Routing_Iteration") {
            set.Post_Routing_Iteration =
                rangedInt(r, token, 0, kMaxRounds, "Post_Routing_Iteration is out of a reasonable range");
        } else if (token == "Wirelength_Optimization_Level") {
            set.Wirelength_Optimization_Level =
                10 * rangedInt(r, token, 1, 2000, "Wirelength_Optimization_Level is out of a reasonable range [1, 2000]");
        } else if (token == "3D_Optimization_Iteration") {
            set.Optimization_3D_Iteration =
                rangedInt(r, token, 0, INT_MAX, "3D_Optimization_Iteration is out of a reasonable range");
        } else if (token == "Layer_Assignment_Algorithm") {
            int v = r.readInt(token, 1, 3, "Layer_Assignment_Algorithm is out of a reasonable range");
            if (v < 1 || v > 3)
                r.outOfRange("Layer_Assignment_Algorithm is out of a reasonable range", token, std::to_string(v),
                             rangeText(1, 3));
            printf("set Layer_Assignment_Algorithm = %d\n", v);
            set.Layer_Assignment_Algorithm = v;
        } else if (token == "Output_Routing_Result") {
            bool v = yesNo(r, "Output_Routing_Result");
            puts(v ? "set Output_Routing_Result = Yes" : "set Output_Routing_Result = No");
            set.Output_Routing_Result = v;
        } else if (token == "Output_Overflow_Information") {
            bool v = yesNo(r, "Output_Overflow_Infomation");
            puts(v ? "set Output_Overflow_Information = Yes" : "set Output_Overflow_Information = No");
            set.Output_Overflow_Information = v;
        } else if (token == "Pin_Blockage_Factor") {
            double v = r.readDouble(token);
            if (!(v >= 0.0 && v <= kMaxPinBlockageFactor))
                r.outOfRange(quotedMessage("Pin_Blockage_Factor", " should be larger than 0").c_str(), token,
                             realText(v), "[0, " + realText(kMaxPinBlockageFactor) + "]");
            printf("set Pin_Blockage_Factor = %.3lf\n", v);
            set.Pin_Blockage_Factor = v;
        } else if (token == "Placement_Iteration") {
            set.Placement_Iteration = rangedInt(r, token, 0, kMaxPlacementRounds,
                                                quotedMessage("Placement_Iteration", " should be larger than 0").c_str());
        } else if (token == "Rounds_Per_Iteration") {
            set.Rounds_Per_Iteration = rangedInt(r, token, 0, kMaxPlacementRounds,
                                                 quotedMessage("Rounds_Per_Iteration", " should be larger than 0").c_str());
        } else if (token == "Local_Detailed_Placement") {
            set.Local_Detailed_Placement =
                rangedInt(r, token, 0, kMaxPlacementRounds,
                          quotedMessage("Local_Detailed_Placement", " should be larger than or equal to 0").c_str());
        } else if (token == "Avoiding_Blockage_Factor") {
            double v = r.readDouble(token);
            printf("set Avoiding_Blockage_Factor = %.3lf\n", v);
            if (!(v >= 1.0 && v <= kMaxAvoidingBlockageFactor))
                r.outOfRange(quotedMessage("Avoiding_Blockage_Factor", " should be larger than 1").c_str(), token,
                             realText(v), "[1, " + realText(kMaxAvoidingBlockageFactor) + "]");
            set.Avoiding_Blockage_Factor = v;
        } else if (token == "Blockage_Expanding") {
            set.Blockage_Expanding = rangedInt(r, token, 0, kMaxBlockageExpanding,
                                               quotedMessage("Blockage_Expanding", " should be >= 0").c_str());
        } else {
            r.reject("The format of .set file is wrong", "unknown keyword \"%s\"", token.c_str());
        }
    }
    fflush(stdout);
}

void Input_Setting(const char* fileName, NetDB&, parameterSet& set) {
    refuseFolder(fileName, settingsRefusal);
    std::ifstream in(fileName, std::ios::binary);
    if (!in) {
        std::cerr << "File " << fileName << " not exists!" << std::endl;
        endRefused(settingsRefusal);
    }
    std::stringstream text;
    text << in.rdbuf();
    readSettingsText(fileName, text.str(), set);
}

void requireRoutingSettings(const char* fileName, const parameterSet& set) {
    const char* missing = !set.viaCostGiven ? "Via_Cost" : !set.mazeTimeoutGiven ? "Maze_Routing_Timeout" : nullptr;
    if (!missing) return;
    fprintf(stderr, "%s: the .set file gives no %s, which has no default\n", fileName, missing);
    endRefused(settingsRefusal);
}
