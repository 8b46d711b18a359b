// gen_bookshelf: determinism, the contents the readers and the checker rely on, and
// argument errors.

#include <regex>
#include <string>
#include <vector>

#include "tests/tools/tool_runner.h"

namespace {

const char* kFiles[] = {".aux", ".nodes", ".nets", ".wts", ".pl", ".user.pl", ".scl", ".shapes", ".route", ".gr"};

std::string allFiles(const std::string& dir, const std::string& name) {
    std::string all;
    for (const char* ext : kFiles) all += readWholeFile(dir + "/" + name + ext) + "\x1f";
    return all;
}

int count(const std::string& text, const std::string& re) {
    std::regex r(re);
    return static_cast<int>(std::distance(std::sregex_iterator(text.begin(), text.end(), r), std::sregex_iterator()));
}

}  // namespace

using GenBookshelf = tooltest::ScratchTest;

TEST_F(GenBookshelf, SameArgumentsSameFilesAndWhatTheSetHolds) {
    const std::string args = "--cells 3000 --layers 8 --out " + dir;
    ASSERT_EQ(run("gen_bookshelf", args + " --seed 9 --name a").status, 0);
    ASSERT_EQ(run("gen_bookshelf", args + " --seed 9 --name b").status, 0);
    ASSERT_EQ(run("gen_bookshelf", args + " --seed 6 --name c").status, 0);
    std::string a = allFiles(dir, "a"), b = allFiles(dir, "b"), c = allFiles(dir, "c");
    // Only the names inside the .aux file differ between a and b.
    EXPECT_EQ(std::regex_replace(a, std::regex(" a\\."), " x."), std::regex_replace(b, std::regex(" b\\."), " x."));
    EXPECT_NE(a, c);

    const std::string nodes = readWholeFile(dir + "/a.nodes"), route = readWholeFile(dir + "/a.route");
    const std::string nets = readWholeFile(dir + "/a.nets"), shapes = readWholeFile(dir + "/a.shapes");
    EXPECT_EQ(count(nodes, "\\bterminal_NI\\n"), count(route, "p[0-9]+ +[3-8]\\n"));
    EXPECT_GT(count(nodes, "\\bterminal\\n"), 2);
    EXPECT_NE(route.find("Grid : "), std::string::npos);
    EXPECT_NE(route.find(" 8\n"), std::string::npos);
    EXPECT_GT(count(route, "o[0-9]+ +[2-4]( +[1-4])+\\n"), 1);  // blockages on several layers
    EXPECT_GT(count(shapes, "Shape_1"), 0);                          // non-rectangular macros
    EXPECT_GT(count(nets, "NetDegree : 2 "), count(nets, "NetDegree : [0-9]{2,} "));
    EXPECT_GT(count(nets, "NetDegree : [0-9]{2,} "), 0);
    EXPECT_GT(count(nets, " : -?[0-9]+\\.5\\t"), 0);  // offsets from the centre in halves
    // The equivalent benchmark names every net.
    EXPECT_NE(readWholeFile(dir + "/a.gr").find("num net " + std::to_string(count(nets, "NetDegree"))), std::string::npos);
}

TEST_F(GenBookshelf, ArgumentErrors) {
    for (const std::string& bad : std::vector<std::string>{"--out " + dir, "--cells 10", "--cells 10 --layers 5 --out " + dir,
                                                           "--cells x --out " + dir, "--cells 10 --out " + dir + "/missing/folder"})
        EXPECT_EQ(run("gen_bookshelf", bad).status, 1) << bad;
    auto help = run("gen_bookshelf", "--help");
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("usage: gen_bookshelf"), std::string::npos);
}
