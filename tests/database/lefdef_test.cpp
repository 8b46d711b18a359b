// LEF/DEF conversion: the .rule reader, master grouping, the NI point check, the
// tiny design against hand-written files, 64-bit keys and coordinates, layer
// clamping on small stacks and output files that cannot be written.

#include <gtest/gtest.h>

#include <unistd.h>

#include <climits>
#include <sstream>
#include <string>
#include <vector>

#include "database/NetDB.h"
#include "database/lefdef/LefDef.h"
#include "tests/common/HandDesign.h"
#include "tests/common/RunCommand.h"

namespace {

placeCell makeCell(int id, int type, int x, int y, int w, int h) {
    placeCell c = handCell(x, y, w, h, type);
    c.id = c.index = id;
    return c;
}

void setLayers(NetDB& db, std::vector<int> h, std::vector<int> v, std::vector<int> width, std::vector<int> space) {
    db.layerNum = static_cast<int>(h.size());
    db.hCap = h;
    db.vCap = v;
    db.minWidth = width;
    db.minSpacing = space;
}

// Five by four G-cells of 10 x 12, four layers, four rows; two alike movable
// cells, a blocking terminal, a terminal with shapes (one beyond its outline)
// and two NI terminals on one point.
NetDB tinyDesign() {
    NetDB db;
    db.gridX = 5;
    db.gridY = 4;
    db.tileW = 10;
    db.tileH = 12;
    setLayers(db, {0, 0, 40, 20}, {0, 40, 0, 20}, {1, 1, 2, 2}, {1, 1, 2, 2});
    db.rows = stackedRows(4, 12, 50, 0);
    db.objectCount = 4;
    db.cells = {makeCell(0, 0, 0, 0, 4, 12),   makeCell(1, 0, 8, 0, 4, 12),    makeCell(2, 1, 30, 0, 10, 12),
                makeCell(3, 1, 20, 24, 10, 12), makeCell(4, 2, 45, 40, 0, 0), makeCell(5, 2, 45, 40, 0, 0)};
    db.cells[2].blockedLayers = {0, 1};
    db.cells[3].blockedLayers = {0};
    db.cells[3].shapes = {{20, 24, 10, 6}, {20, 30, 5, 8}};
    addNetPin(db, 0, 0, 0, 1, 2);
    addNetPin(db, 0, 1, 1, 1, 2);
    addNetPin(db, 0, 4, 1, 0, 0);
    addNetPin(db, 1, 0, 1, 3, 10);
    addNetPin(db, 1, 1, 0, 3, 10);
    addNetPin(db, 1, 2, 1, 5, 6);
    addNetPin(db, 2, 3, 0, 2, 3);
    addNetPin(db, 2, 5, 1, 0, 0);
    return db;
}

void expectSameLines(const std::string& expectedPath, const std::string& actualPath) {
    std::istringstream want(readWholeFile(expectedPath)), got(readWholeFile(actualPath));
    std::string w, g;
    int line = 0;
    ASSERT_FALSE(want.str().empty()) << expectedPath;
    while (std::getline(want, w)) {
        ++line;
        ASSERT_TRUE(std::getline(got, g)) << actualPath << " ends before line " << line;
        EXPECT_EQ(g, w) << actualPath << " line " << line;
    }
    EXPECT_FALSE(std::getline(got, g)) << actualPath << " has more lines than " << expectedPath;
}

std::string convertToString(NetDB& db, const std::string& outName, const char* rules = nullptr) {
    testing::internal::CaptureStdout();
    outputLEFDEF(outName.c_str(), rules, db);
    return testing::internal::GetCapturedStdout();
}

DRC readRules(const std::string& text, std::string* echo = nullptr) {
    const std::string path = scratchPath("rules.rule");
    writeTextFile(path, text);
    DRC drc;
    testing::internal::CaptureStdout();
    input_design_rule(path.c_str(), drc);
    const std::string out = testing::internal::GetCapturedStdout();
    if (echo) *echo = out;
    return drc;
}

// `run` must end the process with status 1 and `message` (regex) on either stream.
template <typename Run>
void expectRefused(Run run, const std::string& message) {
    EXPECT_EXIT(
        {
            dup2(2, 1);
            run();
        },
        ::testing::ExitedWithCode(1), message);
}

void expectRulesRefused(const std::string& text, const std::string& message) {
    const std::string path = scratchPath("bad.rule");
    writeTextFile(path, text);
    expectRefused([&] {
        DRC drc;
        input_design_rule(path.c_str(), drc);
    }, message);
}

// Converting `db` into `base` (with the .rule file `rules`) is refused with `message`.
void expectConvertRefused(NetDB db, const std::string& base, const std::string& message,
                          const char* rules = nullptr) {
    expectRefused([&] { outputLEFDEF(base.c_str(), rules, db); }, message);
}

// The same for the NI point check of the conversion.
void expectPreProcessRefused(NetDB db, const std::string& message) {
    expectRefused([&] {
        NIPointTable t;
        preProcess(db, t);
    }, message);
}

}  // namespace

TEST(RuleReader, EveryKeywordCommentsAndRepeats) {
    std::string echo;
    const DRC drc = readRules(
        "# 28nm overrides\n"
        "WIRE_WIDTH = 0.5 WIRE_SPACE = 0.6\n"
        "VIA_BOTTOM_HALF = 0.31 VIA_MIDDLE_HALF = 0.22 VIA_TOP_HALF = 0.33\n"
        "WIRE_PITCH = 1.25 PIN_WIDTH = 0.7 PIN_HEIGHT = 0.8 # a later # is a token\n"
        "USE_BOTTOM_LAYER = YES\n"
        "  #WIRE_PITCH = 9 skipped whole\n"
        "WIRE_WIDTH = 0.45\n",
        &echo);
    const float got[] = {drc.WIRE_WIDTH, drc.WIRE_SPACE, drc.VIA_BOTTOM_HALF, drc.VIA_MIDDLE_HALF,
                         drc.VIA_TOP_HALF, drc.WIRE_PITCH, drc.PIN_WIDTH, drc.PIN_HEIGHT};
    const float want[] = {0.45f, 0.6f, 0.31f, 0.22f, 0.33f, 1.25f, 0.7f, 0.8f};
    for (int i = 0; i < 8; ++i) EXPECT_FLOAT_EQ(got[i], want[i]) << "value " << i;
    EXPECT_TRUE(drc.USE_BOTTOM_LAYER);
    EXPECT_EQ(drc.dbu, 1000);
    EXPECT_FLOAT_EQ(drc.metal1Pitch, 0.92f);
    EXPECT_NE(echo.find("set WIRE_WIDTH = 0.500\nset WIRE_SPACE = 0.600\n"), std::string::npos) << echo;
    EXPECT_NE(echo.find("set WIRE_PITCH = 1.250\n"), std::string::npos);
    EXPECT_NE(echo.find("set USE_BOTTOM_LAYER = YES\nset WIRE_WIDTH = 0.450\n"), std::string::npos) << echo;
    EXPECT_EQ(echo.rfind("read ", 0), 0u);

    EXPECT_FALSE(readRules("USE_BOTTOM_LAYER = yes\n").USE_BOTTOM_LAYER);
}

TEST(RuleReader, RefusesMissingBadAndUnknown) {
    expectRulesRefused("WIRE_WIDTH = 0.5\nWIRE_PITCH =\n", "bad.rule:2: the value of WIRE_PITCH is missing");
    expectRulesRefused("WIRE_WIDTH = 0.5\n\nPIN_WIDTH = wide\n", "bad.rule:3: the value \"wide\" of PIN_WIDTH is not a number");
    expectRulesRefused("VIA_TOP_HALF = 0.3x\n", "bad.rule:1: the value \"0.3x\" of VIA_TOP_HALF is not a number");
    expectRulesRefused("WIRE_SPACE = nan\n", "is not a number");
    expectRulesRefused("USE_BOTTOM_LAYER =\n", "bad.rule:1: the value of USE_BOTTOM_LAYER is missing");
    // Factors are above 0 and at most 1000.
    expectRulesRefused("WIRE_PITCH = 0.5\n\nWIRE_PITCH = 0\n",
                       "bad.rule:3: the value \"0\" of WIRE_PITCH must be above 0 and at most 1000");
    expectRulesRefused("PIN_WIDTH = -0.56\n", "bad.rule:1: the value \"-0.56\" of PIN_WIDTH must be above 0");
    expectRulesRefused("VIA_TOP_HALF = 1000.5\n", "of VIA_TOP_HALF must be above 0 and at most 1000");
    EXPECT_FLOAT_EQ(readRules("WIRE_SPACE = 1000 WIRE_WIDTH = 0.0005\n").WIRE_SPACE, 1000.0f);
    // Below 0.0005 (pin sizes: 0.0001) a factor prints as 0.
    expectRulesRefused("WIRE_WIDTH = 0.0004\n",
                       "bad.rule:1: the value \"0.0004\" of WIRE_WIDTH prints as 0; it must be at least 0.0005 and at most 1000");
    expectRulesRefused("VIA_MIDDLE_HALF = 0.3\nWIRE_PITCH = 4e-4\n", "bad.rule:2: .* of WIRE_PITCH prints as 0; it must be at least 0.0005");
    expectRulesRefused("PIN_HEIGHT = 0.00009\n", "of PIN_HEIGHT prints as 0; it must be at least 0.0001 and at most 1000");
    EXPECT_FLOAT_EQ(readRules("PIN_WIDTH = 0.0001\n").PIN_WIDTH, 0.0001f);
    expectRulesRefused("WIRE_WIDTH = 0.5\nMETAL_WIDTH = 3\n",
                       "The format of .rule file is wrong\n.*bad.rule:2: unknown keyword \"METAL_WIDTH\"");
    EXPECT_EXIT(
        {
            DRC drc;
            input_design_rule("/nonexistent/none.rule", drc);
        },
        ::testing::ExitedWithCode(1), "File /nonexistent/none.rule not exists!");
}

TEST(MacroMasters, AlikeCellsShareShapesDoNot) {
    NetDB db;
    setLayers(db, {0, 10}, {10, 0}, {1, 1}, {1, 1});
    db.cells = {makeCell(0, 0, 0, 0, 6, 10), makeCell(1, 0, 20, 0, 6, 10), makeCell(2, 0, 40, 0, 6, 10),
                makeCell(3, 1, 0, 20, 6, 10), makeCell(4, 1, 20, 20, 6, 10), makeCell(5, 0, 60, 0, 7, 10)};
    db.cells[4].shapes = {{20, 20, 6, 10}};
    // Cells 0 and 1 list the same offsets in another order; cell 2 has one more pin.
    addNetPin(db, 0, 0, 0, 1, 1);
    addNetPin(db, 1, 0, 1, 4, 8);
    addNetPin(db, 1, 1, 1, 4, 8);
    addNetPin(db, 0, 1, 0, 1, 1);
    addNetPin(db, 0, 2, 0, 1, 1);
    addNetPin(db, 1, 2, 1, 4, 8);
    addNetPin(db, 2, 2, 1, 5, 8);
    addNetPin(db, 2, 3, 1, 2, 2);
    addNetPin(db, 2, 4, 1, 2, 2);
    // Two pins of one cell at one offset, of different directions, share a master pin.
    addNetPin(db, 0, 5, 0, 3, 3);
    addNetPin(db, 1, 5, 1, 3, 3);
    testing::internal::CaptureStdout();
    const std::vector<Macro> masters = buildMacroMasters(db);
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_NE(out.find("Macro type 5\n"), std::string::npos) << out;
    std::vector<int> master;
    for (const placeCell& c : db.cells) master.push_back(c.masterIndex);
    EXPECT_EQ(master, (std::vector<int>{0, 0, 1, 2, 3, 4}));
    ASSERT_EQ(masters[0].pins.size(), 2u);
    EXPECT_EQ(masters[0].pins[0].x, 4);  // descending x first
    EXPECT_EQ(masters[4].pins.size(), 1u);
    // net 0: (1,1) on cells 0, 1, 2 is pin 2 of masters 0 and 1 (pins (5,8), (4,8), (1,1)); pin 1 of cell 5.
    EXPECT_EQ(db.netInfos[0].lefPin, (std::vector<int>{2, 2, 3, 1}));
    EXPECT_EQ(db.netInfos[1].lefPin, (std::vector<int>{1, 1, 2, 1}));
    EXPECT_EQ(db.netInfos[2].lefPin, (std::vector<int>{1, 1, 1}));
}

TEST(MacroMasters, KeysAndHashAre64Bit) {
    // x * 1000000 passes 2^31 from x = 2148 on: 3000 must still sort before 2000.
    EXPECT_TRUE(pin_cp(Point(3000, 0, 0), Point(2000, 0, 0)));
    EXPECT_FALSE(pin_cp(Point(2000, 0, 0), Point(3000, 0, 0)));
    EXPECT_TRUE(pin_cp(Point(2500, 7, 1), Point(2500, 7, 0)));
    // Keys that tie (y of 10000 and more) still give a strict order.
    EXPECT_TRUE(pin_cp(Point(1, 0, 0), Point(0, 10000, 0)));
    EXPECT_FALSE(pin_cp(Point(0, 10000, 0), Point(1, 0, 0)));
    Macro m;
    m.width = 30000;
    m.height = 50000;
    m.key = 3;
    m.pins = {Point(1, 1, 1)};
    EXPECT_EQ(MacroHash(m), 3005000004ull);  // width x 100000 alone passes 2^31
}

TEST(PreProcess, NIPointsCountedFromTheDieOrigin) {
    NetDB db;
    db.gridX = 4;
    db.gridY = 4;
    db.tileW = 100;
    db.tileH = 100;
    db.originX = 1000;
    db.originY = 2000;
    for (int i = 0; i < 10; ++i) db.cells.push_back(makeCell(i, 2, 1000, 2000, 0, 0));
    db.cells.push_back(makeCell(10, 2, 1399, 2399, 0, 0));
    db.cells.push_back(makeCell(11, 2, 1100, 2100, 0, 0));
    db.cells.push_back(makeCell(12, 2, 1100, 2100, 0, 0));
    NIPointTable table;
    testing::internal::CaptureStdout();
    preProcess(db, table);
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(out, "maxCount=10  maxX=1000  maxY=2000\nsame[1]=1  same[2]=1  same[3]=0  same[4]=0\n");
    EXPECT_EQ(table.count(1000, 2000), 10);
    EXPECT_EQ(table.count(1399, 2399), 1);
    EXPECT_EQ(table.count(0, 0), 0);

    // A die of 2^33 units each way from the lowest int: points 2^31 apart stay apart.
    NetDB huge;
    huge.gridX = huge.gridY = 8;
    huge.tileW = huge.tileH = 1 << 30;
    huge.originX = huge.originY = INT_MIN;
    for (int i = 0; i < 10; ++i) huge.cells.push_back(makeCell(i, 2, INT_MIN, INT_MIN, 0, 0));
    huge.cells.push_back(makeCell(10, 2, 0, INT_MIN, 0, 0));
    huge.cells.push_back(makeCell(11, 2, INT_MAX, INT_MAX, 0, 0));
    testing::internal::CaptureStdout();
    preProcess(huge, table);
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "maxCount=10  maxX=-2147483648  maxY=-2147483648\nsame[1]=2  same[2]=0  same[3]=0  same[4]=0\n");
    EXPECT_EQ(table.count(INT_MAX, INT_MAX), 1);

    // An eleventh terminal on one point, and one left of the die, end the run.
    NetDB eleven = db;
    eleven.cells.push_back(makeCell(13, 2, 1000, 2000, 0, 0));
    expectPreProcessRefused(eleven, "ERROR\\(2\\) Parser 2260");
    for (int x : {999, 1400}) {
        NetDB outside = db;
        outside.cells.push_back(makeCell(13, 2, x, 2000, 0, 0));
        expectPreProcessRefused(outside, "ERROR\\(1\\) Parser 2254");
    }
}

TEST(PreProcess, AlikePinsOfOneCellEndTheRun) {
    NetDB db;
    db.gridX = db.gridY = 2;
    db.tileW = db.tileH = 10;
    db.cells = {makeCell(0, 0, 0, 0, 5, 5), makeCell(1, 0, 5, 0, 5, 5)};
    addNetPin(db, 0, 0, 0, 1, 1);
    addNetPin(db, 1, 0, 1, 1, 1);  // same offset, other direction: fine
    addNetPin(db, 2, 1, 1, 2, 2);
    addNetPin(db, 3, 1, 0, 3, 3);
    addNetPin(db, 4, 1, 0, 3, 3);
    addNetPin(db, 5, 1, 1, 2, 2);
    expectPreProcessRefused(db, "ERROR: cc.index=1  net1=2  net2=5  xOffset=2  yOffset=2\n");
}

TEST(Conversion, TinyDesignMatchesHandWrittenFiles) {
    NetDB db = tinyDesign();
    const std::string dir = scratchDir() + "conv/";
    mkdir(dir.c_str(), 0755);
    const std::string out = convertToString(db, dir + "tiny");
    const std::string data = std::string(TARVEX_SOURCE_DIR) + "/tests/database/lefdef_data/";
    expectSameLines(data + "tiny.lef", dir + "tiny.lef");
    expectSameLines(data + "tiny.def", dir + "tiny.def");
    EXPECT_EQ(readWholeFile(dir + "tiny.aux"), "LEFDEF :  tiny.lef tiny.def");
    EXPECT_NE(out.find("maxCount=2  maxX=45  maxY=40\nsame[1]=0  same[2]=1  same[3]=0  same[4]=0\n"),
              std::string::npos)
        << out;
    EXPECT_NE(out.find("build macro set\nMacro type 4\n"), std::string::npos);
    EXPECT_NE(out.find("ERROR Parser 2705\n"), std::string::npos);
    EXPECT_NE(out.find("tileW=10  tileH=12\noutput net list\ntotalPin=8  removePin=1  ratio=12.50000\n"),
              std::string::npos)
        << out;
    EXPECT_EQ(out.substr(out.size() - 23), "File Convertion finish\n");
    EXPECT_EQ(db.cells[4].pinLayer, 3);

    // Bottom layer as routing layer, and a user pitch, through a .rule file.
    NetDB again = tinyDesign();
    const std::string rules = dir + "r.rule";
    writeTextFile(rules, "USE_BOTTOM_LAYER = YES\nWIRE_PITCH = 1.0\n");
    convertToString(again, dir + "ruled", rules.c_str());
    const std::string lef = readWholeFile(dir + "ruled.lef");
    const std::string def = readWholeFile(dir + "ruled.def");
    EXPECT_NE(lef.find("LAYER metal1\n   TYPE ROUTING ;\n   PITCH 0.920 ;\n   WIDTH 0.420 ;\n   SPACING 0.420 ;\n"
                       "   DIRECTION HORIZONTAL ;\n"),
              std::string::npos);
    EXPECT_NE(lef.find("LAYER metal3\n   TYPE ROUTING ;\n   PITCH 2.000 ;\n"), std::string::npos);
    EXPECT_NE(def.find("TRACKS Y 0 DO 52 STEP 920.000 LAYER metal1 ;\nTRACKS X 0 DO 50 STEP 1000.000 LAYER metal2 ;\n"),
              std::string::npos)
        << def;

    // The same die moved to (-100, -60): the tracks still cover its 50 x 48 units.
    NetDB moved = tinyDesign();
    moved.originX = -100;
    moved.originY = -60;
    for (Row& row : moved.rows) row.x -= 100, row.y -= 60;
    for (placeCell& c : moved.cells) {
        c.xlow -= 100, c.ylow -= 60;
        for (shape& sh : c.shapes) sh.x -= 100, sh.y -= 60;
    }
    convertToString(moved, dir + "moved");
    EXPECT_NE(readWholeFile(dir + "moved.def")
                  .find("TRACKS X -100000 DO 54 STEP 920.000 LAYER metal2 ;\n"
                        "TRACKS Y -60000 DO 52 STEP 1840.000 LAYER metal3 ;\n"
                        "TRACKS Y -60000 DO 52 STEP 1840.000 LAYER metal4 ;\n"),
              std::string::npos)
        << readWholeFile(dir + "moved.def");
}

TEST(Conversion, SmallStacksClampPinLayers) {
    // Three layers: NI pads go to metal3; two layers: a terminal under three
    // blocked layers gets its pins on metal2.
    for (int layers : {3, 2}) {
        NetDB db = tinyDesign();
        db.layerNum = layers;
        db.hCap.resize(layers);
        db.vCap.resize(layers);
        db.minWidth.resize(layers);
        db.minSpacing.resize(layers);
        db.cells[2].blockedLayers = {0, 1, 2};
        const std::string dir = scratchDir();
        const std::string name = dir + "small" + std::to_string(layers);
        convertToString(db, name);
        const std::string lef = readWholeFile(name + ".lef");
        const std::string top = "metal" + std::to_string(layers);
        // The pad is sized by the minimum width of the top layer: 2 on metal3, 1 on metal2.
        const std::string size = layers == 3 ? "1.000" : "0.500";
        EXPECT_NE(lef.find("CLASS PAD ;\n     SIZE " + size + " BY " + size + " ;"), std::string::npos);
        EXPECT_NE(lef.find("LAYER " + top + " ;\n                    RECT 0 0 " + size + "0 " + size + "0 ;"),
                  std::string::npos)
            << lef;
        const size_t mas1 = lef.find("MACRO MAS1");
        ASSERT_NE(mas1, std::string::npos);
        EXPECT_EQ(lef.find("LAYER " + top + " ;", mas1), lef.find("LAYER ", lef.find("PORT", mas1)));
        EXPECT_EQ(lef.find("metal4"), std::string::npos);
    }
}

TEST(Conversion, DefCoordinatesMustFitDefIntegers) {
    // 2147483 design units scale to 2147483000: still a DEF integer.
    NetDB fits = tinyDesign();
    fits.tileW = 429496;  // five G-cells: 2147480
    const std::string dir = scratchDir();
    convertToString(fits, dir + "fits");
    EXPECT_NE(readWholeFile(dir + "fits.def").find("DIEAREA ( 0  0 ) ( 2147480000 48000 ) ;"), std::string::npos);

    // Beyond 2^31 / 1000 the conversion refuses.
    NetDB wide = tinyDesign();
    wide.tileW = 500000;
    expectConvertRefused(wide, dir + "wide", "wide.def: die right edge 2500000000 does not fit a DEF integer");
    NetDB far = tinyDesign();
    far.cells[1].ylow = -2200000;
    expectConvertRefused(far, dir + "far", "far.def: component y -2200000000 does not fit a DEF integer");

    // A small pitch factor on a wide die: the vertical track count is refused
    // before the DEF is written.
    NetDB fine = tinyDesign();
    fine.tileW = 429496;
    writeTextFile(dir + "fine.rule", "WIRE_PITCH = 0.0005\n");
    expectConvertRefused(fine, dir + "fine", "fine.def: vertical track count 4.29.*e\\+09 does not fit a DEF integer",
                         (dir + "fine.rule").c_str());
}

TEST(Conversion, UnwritableOutputsEndTheRun) {
    NetDB db = tinyDesign();
    expectConvertRefused(db, "/nonexistent_dir/design", "/nonexistent_dir/design.aux: cannot be written: No such file or directory");
    // The .aux is writable but the .lef name is a folder.
    const std::string dir = scratchDir();
    const std::string base = dir + "taken";
    mkdir((base + ".lef").c_str(), 0755);
    expectConvertRefused(db, base, "taken.lef: cannot be written: Is a directory");
    // A .def that cannot take the text (a full device) ends the run when it is closed.
    const std::string fullBase = dir + "full";
    ASSERT_EQ(symlink("/dev/full", (fullBase + ".def").c_str()), 0);
    expectConvertRefused(db, fullBase, "full.def: cannot be written: No space left on device");
    NetDB noRows = tinyDesign();
    noRows.rows.clear();
    expectConvertRefused(noRows, dir + "norows", "Have no row information");
}
