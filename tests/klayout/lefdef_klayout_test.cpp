// Round trip through a real LEF/DEF reader: Bookshelf sets converted by the
// binary are loaded by KLayout (tools/klayout_lefdef_check.py), and every
// component, net, net pin and row of the design must be there, with the die
// area of the design. Skipped with a message where klayout is not installed.

#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <sstream>
#include <string>

#include "tests/common/RunCommand.h"
#include "tests/common/SmallBookshelfSet.h"

namespace {

const std::string kBin = TARVEX_BIN;
const std::string kScript = std::string(TARVEX_SOURCE_DIR) + "/tools/klayout_lefdef_check.py";
const std::string kTools = TARVEX_TOOLS_DIR;

bool klayoutInstalled() { return runCommand("command -v klayout").status == 0; }

// The value after "keyword :" in a Bookshelf file (the first one).
std::vector<long long> valuesAfter(const std::string& path, const std::string& keyword, int count) {
    std::ifstream in(path);
    std::string token;
    std::vector<long long> values;
    while (in >> token) {
        if (token != keyword) continue;
        in >> token;  // the colon
        for (int i = 0; i < count; ++i) {
            long long v = 0;
            in >> v;
            values.push_back(v);
        }
        break;
    }
    return values;
}

// What the design files say: object, net, pin and row counts, die corners (x1000).
struct DesignFigures {
    long long objects = 0, nets = 0, pins = 0, rows = 0;
    long long llx = 0, lly = 0, urx = 0, ury = 0;
};

DesignFigures readFigures(const std::string& dir, const std::string& auxName) {
    std::ifstream aux(dir + auxName);
    std::string kind, colon, nodes, nets, wts, pl, scl, shapes, route;
    aux >> kind >> colon >> nodes >> nets >> wts >> pl >> scl >> shapes >> route;
    DesignFigures f;
    f.objects = valuesAfter(dir + nodes, "NumNodes", 1).at(0);
    f.nets = valuesAfter(dir + nets, "NumNets", 1).at(0);
    f.pins = valuesAfter(dir + nets, "NumPins", 1).at(0);
    f.rows = valuesAfter(dir + scl, "NumRows", 1).at(0);
    const auto grid = valuesAfter(dir + route, "Grid", 3);
    const auto origin = valuesAfter(dir + route, "GridOrigin", 2);
    const auto tile = valuesAfter(dir + route, "TileSize", 2);
    f.llx = origin.at(0) * 1000;
    f.lly = origin.at(1) * 1000;
    f.urx = (origin.at(0) + grid.at(0) * tile.at(0)) * 1000;
    f.ury = (origin.at(1) + grid.at(1) * tile.at(1)) * 1000;
    return f;
}

long long afterLabel(const std::string& out, const std::string& label) {
    const size_t at = out.find(label);
    return at == std::string::npos ? -1 : std::stoll(out.substr(at + label.size()));
}

// Converts the set and checks KLayout's view of the LEF and DEF against the design.
void expectRoundTrip(const std::string& dir, const std::string& auxName, const std::string& plName) {
    SCOPED_TRACE(dir + auxName);
    const CommandResult conv =
        runCommand("cd '" + dir + "' && '" + kBin + "' CONVERT " + auxName + " " + plName + " lefdef/out");
    ASSERT_EQ(conv.status, 0) << conv.out << conv.err;
    const CommandResult kl = runCommand("QT_QPA_PLATFORM=offscreen klayout -b -r '" + kScript + "' -rd lef='" + dir +
                                        "lefdef/out.lef' -rd def='" + dir + "lefdef/out.def'");
    ASSERT_EQ(kl.status, 0) << kl.out << kl.err;
    const auto seen = parseLabelValues(kl.out);
    const DesignFigures want = readFigures(dir, auxName);
    const long long total = afterLabel(conv.out, "totalPin=");
    const long long removed = afterLabel(conv.out, "removePin=");
    EXPECT_EQ(total, want.pins);
    EXPECT_EQ(seen.at("components"), want.objects) << kl.out;
    EXPECT_EQ(seen.at("nets"), want.nets);
    EXPECT_EQ(seen.at("net pins"), total - removed);
    EXPECT_EQ(seen.at("unresolved pins"), 0);
    EXPECT_EQ(seen.at("rows"), want.rows);
    EXPECT_EQ(seen.at("masters"), afterLabel(conv.out, "Macro type "));
    EXPECT_EQ(seen.at("die llx"), want.llx);
    EXPECT_EQ(seen.at("die lly"), want.lly);
    EXPECT_EQ(seen.at("die urx"), want.urx);
    EXPECT_EQ(seen.at("die ury"), want.ury);
}

}  // namespace

TEST(KLayoutRoundTrip, HandWrittenSet) {
    if (!klayoutInstalled()) GTEST_SKIP() << "klayout is not installed (apt-get install klayout): LEF/DEF round trip not checked";
    const std::string dir = scratchDir();
    writeSmallBookshelfSet(dir);
    runCommand("mkdir -p '" + dir + "lefdef'");
    expectRoundTrip(dir, "s.aux", "s.pl");
}

// Generated sets: macros (some non-rectangular, one over the die's edge) blocking
// layers, NI terminals stacked and scattered, fixed terminals; grid origin away
// from 0 in the second. Pins that share an offset and direction on one object are
// moved apart first, as the conversion requires.
TEST(KLayoutRoundTrip, GeneratedSets) {
    if (!klayoutInstalled()) GTEST_SKIP() << "klayout is not installed (apt-get install klayout): LEF/DEF round trip not checked";
    const std::string options[] = {"--cells 400 --seed 5", "--cells 1500 --seed 11 --origin 100 200 --tile 40 60 --layers 6",
                                   // A die wholly at negative coordinates, its rows ending at its edges.
                                   "--cells 300 --seed 7 --origin -2192 -2192"};
    int k = 0;
    for (const std::string& opt : options) {
        const std::string dir = scratchDir() + "gen" + std::to_string(k++) + "/";
        ASSERT_EQ(runCommand("mkdir -p '" + dir + "lefdef'").status, 0);
        const CommandResult gen = runCommand("'" + kTools + "/gen_bookshelf' " + opt + " --out '" + dir + "'");
        ASSERT_EQ(gen.status, 0) << gen.err;
        const CommandResult fix = runCommand("cd '" + dir + "' && '" + kTools +
                                             "/bookshelf_unique_pins' design.nodes design.nets design.nets");
        ASSERT_EQ(fix.status, 0) << fix.err;
        expectRoundTrip(dir, "design.aux", "design.user.pl");
    }
}
