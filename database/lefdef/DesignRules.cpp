// The .rule reader: keyword, a separator token and a value, over the built-in rules.

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>

#include "database/FolderRefusal.h"
#include "database/lefdef/LefDef.h"

namespace {

// Whitespace-separated tokens of a whole file, with the line each one stands on.
class RuleTokens {
public:
    explicit RuleTokens(std::string text) : text_(std::move(text)) {}

    // The next token, or false at the end of the file.
    bool next(std::string& token, int& line) {
        while (pos_ < text_.size() && isSpace(text_[pos_])) {
            if (text_[pos_] == '\n') ++line_;
            ++pos_;
        }
        if (pos_ >= text_.size()) return false;
        const size_t start = pos_;
        while (pos_ < text_.size() && !isSpace(text_[pos_])) ++pos_;
        token.assign(text_, start, pos_ - start);
        line = line_;
        return true;
    }
    // Drops what is left of the current line.
    void skipLine() {
        while (pos_ < text_.size() && text_[pos_] != '\n') ++pos_;
    }

private:
    static bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f'; }
    std::string text_;
    size_t pos_ = 0;
    int line_ = 1;
};

float* floatField(const std::string& keyword, DRC& drc) {
    if (keyword == "WIRE_WIDTH") return &drc.WIRE_WIDTH;
    if (keyword == "WIRE_SPACE") return &drc.WIRE_SPACE;
    if (keyword == "VIA_BOTTOM_HALF") return &drc.VIA_BOTTOM_HALF;
    if (keyword == "VIA_MIDDLE_HALF") return &drc.VIA_MIDDLE_HALF;
    if (keyword == "VIA_TOP_HALF") return &drc.VIA_TOP_HALF;
    if (keyword == "WIRE_PITCH") return &drc.WIRE_PITCH;
    if (keyword == "PIN_WIDTH") return &drc.PIN_WIDTH;
    if (keyword == "PIN_HEIGHT") return &drc.PIN_HEIGHT;
    return nullptr;
}

// A whole token as a finite number.
bool parseFloat(const std::string& token, float& value) {
    errno = 0;
    char* end = nullptr;
    const float v = std::strtof(token.c_str(), &end);
    if (end != token.c_str() + token.size() || token.empty() || errno == ERANGE || !std::isfinite(v)) return false;
    value = v;
    return true;
}

}  // namespace

void input_design_rule(const char* fileName, DRC& drc) {
    refuseFolder(fileName, ruleFileRefusal);
    std::ifstream in(fileName, std::ios::binary);
    if (!in) {
        std::cerr << "File " << fileName << " not exists!" << std::endl;
        endRefused(ruleFileRefusal);
    }
    printf("read %s\n", fileName);
    std::stringstream whole;
    whole << in.rdbuf();
    readDesignRulesText(fileName, whole.str(), drc);
}

void readDesignRulesText(const char* fileName, const std::string& text, DRC& drc) {
    RuleTokens tokens(text);
    std::string keyword, separator, value;
    int line = 0, valueLine = 0;
    while (tokens.next(keyword, line)) {
        if (keyword[0] == '#') {
            tokens.skipLine();
            continue;
        }
        float* field = floatField(keyword, drc);
        if (!field && keyword != "USE_BOTTOM_LAYER") {
            puts("The format of .rule file is wrong");
            refuseRuleFile(fileName, line, "unknown keyword \"" + keyword + "\"");
        }
        if (!tokens.next(separator, valueLine) || !tokens.next(value, valueLine))
            refuseRuleFile(fileName, line, "the value of " + keyword + " is missing");
        if (field) {
            float v = 0.0f;
            if (!parseFloat(value, v))
                refuseRuleFile(fileName, valueLine, "the value \"" + value + "\" of " + keyword + " is not a number");
            // Widths, spacings, pitches and half sides: a value of 0 or below
            // gives empty or inverted shapes and a pitch without tracks.
            if (!(v > 0.0f && v <= kMaxRuleValue))
                refuseRuleFile(fileName, valueLine,
                               "the value \"" + value + "\" of " + keyword + " must be above 0 and at most 1000");
            // The writers print these factors times a minimum width or spacing
            // (1 at least) with three decimals, pin sizes with four: a smaller
            // factor prints as 0.
            const bool pin = field == &drc.PIN_WIDTH || field == &drc.PIN_HEIGHT;
            if (v < (pin ? kMinPinRuleValue : kMinRuleValue))
                refuseRuleFile(fileName, valueLine,
                               "the value \"" + value + "\" of " + keyword + " prints as 0; it must be at least " +
                                   (pin ? "0.0001" : "0.0005") + " and at most 1000");
            *field = v;
            printf("set %s = %.3lf\n", keyword.c_str(), static_cast<double>(*field));
        } else {
            drc.USE_BOTTOM_LAYER = value == "YES";
            printf("set USE_BOTTOM_LAYER = %s\n", value.c_str());
        }
    }
}
