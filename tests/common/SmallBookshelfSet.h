#pragma once
// A small hand-written Bookshelf set for the end-to-end tests of the analysis
// and conversion modes: alike movable cells, a terminal with shapes and a
// terminal blocking every layer, two NI terminals stacked on one point, four rows
// on an 8 x 4 grid of 10 x 12 G-cells with four layers (the bottom one without
// capacity).

#include <string>

#include "tests/common/RunCommand.h"

// Writes the set into `dir` (ending in '/'); returns the path of its .aux file.
inline std::string writeSmallBookshelfSet(const std::string& dir) {
    writeTextFile(dir + "s.aux", "RowBasedPlacement :  s.nodes  s.nets  s.wts  s.pl  s.scl  s.shapes  s.route\n");
    writeTextFile(dir + "s.nodes",
                  "UCLA nodes 1.0\n\nNumNodes : 8\nNumTerminals : 4\n"
                  "  o0 4 12\n  o1 4 12\n  o2 6 12\n  o3 10 24 terminal\n  o4 10 12 terminal\n  o5 4 12\n"
                  "  p0 1 1 terminal_NI\n  p1 1 1 terminal_NI\n");
    writeTextFile(dir + "s.nets",
                  "UCLA nets 1.0\n\nNumNets : 4\nNumPins : 11\n\n"
                  "NetDegree : 3 n0\n  o0 O : 0.0 0.0\n  o1 I : 1.0 2.0\n  p0 I : 0.0 0.0\n"
                  "NetDegree : 3 n1\n  o1 O : -1.0 -2.0\n  o2 I : 0.5 0.5\n  o3 I : 2.0 3.0\n"
                  "NetDegree : 3 n2\n  o4 O : 0.0 0.0\n  o5 I : 0.0 0.0\n  p1 I : 0.0 0.0\n"
                  "NetDegree : 2 n3\n  o2 O : -1.0 1.0\n  o0 I : 1.0 -3.0\n");
    writeTextFile(dir + "s.wts", "UCLA wts 1.0\n");
    writeTextFile(dir + "s.pl",
                  "UCLA pl 1.0\n\no0 0 0 : N\no1 8 0 : N\no2 20 12 : N\no3 40 0 : N /FIXED\n"
                  "o4 60 24 : N /FIXED\no5 30 36 : N\np0 70 40 : N /FIXED\np1 70 40 : N /FIXED\n");
    std::string scl = "UCLA scl 1.0\n\nNumRows : 4\n\n";
    for (int r = 0; r < 4; ++r)
        scl += "CoreRow Horizontal\n  Coordinate : " + std::to_string(12 * r) +
               "\n  Height : 12\n  Sitewidth : 1\n  Sitespacing : 1\n  Siteorient : N\n  Sitesymmetry : Y\n"
               "  SubrowOrigin : 0 NumSites : 80\nEnd\n";
    writeTextFile(dir + "s.scl", scl);
    writeTextFile(dir + "s.shapes",
                  "shapes 1.0\n\nNumNonRectangularNodes : 1\n\no3 : 2\n  Shape_0 40 0 10 12\n  Shape_1 40 12 5 12\n");
    writeTextFile(dir + "s.route",
                  "route 1.0\n\nGrid : 8 4 4\nVerticalCapacity : 0 40 0 20\nHorizontalCapacity : 0 0 40 20\n"
                  "MinWireWidth : 1 1 2 2\nMinWireSpacing : 1 1 2 2\nViaSpacing : 0 0 0 0\nGridOrigin : 0 0\n"
                  "TileSize : 10 12\nBlockagePorosity : 0\n\nNumNiTerminals : 2\n\n  p0 3\n  p1 3\n\n"
                  "NumBlockageNodes : 2\n\n  o3 2 1 2\n  o4 4 1 2 3 4\n");
    return dir + "s.aux";
}
