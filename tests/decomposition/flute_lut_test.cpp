// Loading of the FLUTE tables: the file syntax, and refusal of table files
// whose values would index past the table arrays.
//
// Every load runs in a child process (EXPECT_EXIT) inside a scratch folder,
// so the tables of the other tests are never replaced.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <vector>
#include <string>

#include "decomposition/flute.h"

namespace {

// Tables in which group 0 of every degree owns `ns` solutions and every other
// group shares them. The records are well-formed; their links form a star.
struct Tables {
    std::string powv, post;
};

// Link bytes of a star: every node names the first Steiner point d, which names
// itself (the root); then the unused last byte.
std::string starTree(int d) {
    std::string b;
    for (int i = 0; i < d - 1; ++i) b += static_cast<char>(d * 16 + d);
    return b + '\n';
}

Tables synthetic(int ns = 1) {
    Tables t;
    for (int d = 4; d <= 9; ++d) {
        t.powv += "d=" + std::to_string(d) + "\n";
        t.post += "d=" + std::to_string(d) + "\n";
        t.powv += static_cast<char>(ns < 10 ? '0' + ns : ns + 55);
        t.powv += '\n';
        for (int j = 0; j < ns; ++j) {
            // Add gap 1, subtract gap 1; later solutions start from the first.
            t.powv += j == 0 ? "01010\n" : "11010\n";
            t.post += std::string(d - 2, 'H');  // x rank 1, y rank 1
            t.post += starTree(d);
        }
        for (int k = 1; k < numgrp[d]; ++k) t.powv += "00\n";
    }
    return t;
}

// Scratch folder of the running test, made and removed by the fixture.
std::string scratch;

void writeFile(const std::string& path, const std::string& text) {
    FILE* f = fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    fwrite(text.data(), 1, text.size(), f);
    fclose(f);
}

// Writes the given files into a fresh folder and loads them in it; standard
// output goes to standard error so that the death tests can match it. A
// `folder` names a table that stands there as an empty folder.
void loadIn(const Tables& t, bool withPowv = true, bool withPost = true, const char* folder = nullptr) {
    const std::string& dir = scratch;
    remove((dir + "/POWV9.dat").c_str());
    remove((dir + "/POST9.dat").c_str());
    if (folder && mkdir((dir + "/" + folder).c_str(), 0700) != 0) exit(3);
    if (withPowv) writeFile(dir + "/POWV9.dat", t.powv);
    if (withPost) writeFile(dir + "/POST9.dat", t.post);
    if (chdir(dir.c_str()) != 0) exit(3);
    dup2(2, 1);
    readLUT();
}

// Replaces the first occurrence of `from` after position `after` in s.
std::string replaced(std::string s, const std::string& from, const std::string& to, size_t after = 0) {
    const size_t at = s.find(from, after);
    if (at != std::string::npos) s.replace(at, from.size(), to);
    return s;
}

class FluteTables : public testing::Test {
protected:
    void SetUp() override {
        char tmpl[] = "/tmp/tarvex_flute_lut_XXXXXX";
        ASSERT_NE(mkdtemp(tmpl), nullptr);
        scratch = tmpl;
    }
    void TearDown() override {
        remove((scratch + "/POWV9.dat").c_str());
        remove((scratch + "/POST9.dat").c_str());
        rmdir(scratch.c_str());
    }
};

}  // namespace

TEST_F(FluteTables, MissingFilesEndTheRunWithTheirName) {
    EXPECT_EXIT(loadIn(synthetic(), false, true), testing::ExitedWithCode(1), "Error in opening POWV9.dat");
    EXPECT_EXIT(loadIn(synthetic(), true, false), testing::ExitedWithCode(1), "Error in opening POST9.dat");
    EXPECT_EXIT(loadIn(synthetic(), false, true, "POWV9.dat"), testing::ExitedWithCode(1), "^POWV9.dat: is a folder\n$");
    EXPECT_EXIT(loadIn(synthetic(), true, false, "POST9.dat"), testing::ExitedWithCode(1), "^POST9.dat: is a folder\n$");
}

TEST_F(FluteTables, WellFormedTablesLoadWithSharedGroups) {
    EXPECT_EXIT(
        {
            loadIn(synthetic());
            bool ok = numsoln[4][0] == 1 && numsoln[9][90719] == 1 && LUT[9][90719] == LUT[9][0];
            const FluteSolution& s = LUT[4][0][0];
            ok = ok && s.seg[0] == 1 && s.seg[1] == 0 && s.seg[10] == 1 && s.seg[9] == 0;
            ok = ok && s.steiner[0] == 17 && s.neighbour[0] == 4 && s.neighbour[1] == 4;
            // Loading again replaces the tables.
            readLUT();
            ok = ok && numsoln[5][17] == 1;
            exit(ok ? 0 : 2);
        },
        testing::ExitedWithCode(0), "");
}

TEST_F(FluteTables, SolutionCountsAboveSeventyTwoReadAsUnsigned) {
    // 150 solutions: the count character has code 205, negative as a signed char.
    EXPECT_EXIT(
        {
            loadIn(synthetic(150));
            exit(numsoln[9][0] == 150 && numsoln[6][3] == 150 ? 0 : 2);
        },
        testing::ExitedWithCode(0), "");
}

// Each case edits well-formed tables into ones the loader must refuse, naming
// the file and the place.
TEST_F(FluteTables, MalformedTablesAreRefused) {
    struct Case {
        std::function<void(Tables&)> edit;
        const char* message;
        int ns = 1;
    };
    auto powv = [](std::string from, std::string to, size_t after = 0) {
        return [=](Tables& t) { t.powv = replaced(t.powv, from, to, after); };
    };
    const size_t degree9 = synthetic().powv.find("d=9\n");
    const std::vector<Case> cases = {
        {[](Tables& t) {
             t.powv = replaced(t.powv, "d=4\n", "d=12\n");
             t.post = replaced(t.post, "d=4\n", "d=12\n");
         },
         "POWV9.dat line 1: degree 12 stands where the section of degree 4"},
        // Sections out of order would leave a degree without tables.
        {[](Tables& t) {
             t.powv = replaced(t.powv, "d=5\n", "d=6\n");
             t.post = replaced(t.post, "d=5\n", "d=6\n");
         },
         "degree 6 stands where the section of degree 5 belongs"},
        {[](Tables& t) { t.post = replaced(t.post, "d=4\n", "d=5\n"); }, "POST9.dat byte [0-9]+: degree 5 does not match"},
        // Group 1 of degree 4 names group 5, or a negative group.
        {powv("00\n", "05\n"), "POWV9.dat line 4: group 1 of degree 4: shared-group index 5"},
        {powv("00\n", "0-1\n"), "shared-group index -1 is not an earlier group"},
        {powv("01010\n", "0101" + std::string(30, 'x') + "0\n"), "POWV9.dat line 3: solution line longer than 31 characters"},
        // Degree 9: 7 added and 4 subtracted gaps do not fit the 11-byte record.
        {powv("01010\n", "01111111099990\n", degree9), "more than 10 list entries"},
        // 'Z' = 35; degree 4 has gaps 1 and 4 only.
        {powv("01010\n", "0Z0\n"), "gap index 35 is out of range for degree 4"},
        {powv("01010\n", "020\n"), "gap index 2 is out of range for degree 4"},
        {powv("11010\n", "51010\n"), "parent 5 is not an earlier solution", 2},
        // Degree 4 has 6 nodes; a neighbour byte 0x06 (after "d=4\n" and two
        // Steiner positions) names node 6.
        {[](Tables& t) { t.post[4 + 2] = '\x06'; }, "POST9.dat byte [0-9]+: neighbour index 6 is out of range"},
        {[](Tables& t) { t.post[4] = '\xA0'; }, "Steiner position 105 is out of range for degree 4"},  // x rank 9
        {[](Tables& t) { t.powv.resize(t.powv.size() - 9); }, "POWV9.dat line [0-9]+: the file ends before group"},
        {[](Tables& t) { t.post.resize(t.post.size() - 3); }, "POST9.dat byte [0-9]+: the file ends inside degree 9"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message);
        Tables t = synthetic(c.ns);
        c.edit(t);
        EXPECT_EXIT(loadIn(t), testing::ExitedWithCode(1), c.message);
    }
    // Ten entries with one shared end mark still fit.
    Tables t = synthetic();
    t.powv = replaced(t.powv, "01010\n", "0111111099990\n", degree9);
    EXPECT_EXIT(
        {
            loadIn(t);
            const FluteSolution& s = LUT[9][0][0];
            exit(s.seg[5] == 1 && s.seg[6] == 0 && s.seg[7] == 9 && s.seg[10] == 9 ? 0 : 2);
        },
        testing::ExitedWithCode(0), "");
}
