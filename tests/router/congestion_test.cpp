// Congestion statistics and the ".ofinfo" overflow report.

#include <gtest/gtest.h>

#include "tests/common/RunCommand.h"

#include <cstdio>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "router/core/GlobalRouter.h"
#include "tests/common/RouterFixture.h"

namespace {

std::unique_ptr<GlobalRouter> makeRouter() {
    std::vector<int> pitch{1, 4};
    auto r = std::make_unique<GlobalRouter>(4, 3, 2, 2, 2, std::vector<int>{2, 0}, std::vector<int>{0, 2}, pitch);
    std::vector<RPoint> adj;
    std::vector<int> cap;
    testing::internal::CaptureStdout();
    r->initial2DGraph(adj, cap);
    testing::internal::GetCapturedStdout();
    return r;
}

std::string slurp(const std::string& path) {
    std::ifstream in(path);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

std::string tempName(const char* tag) {
    return scratchPath("tarvex_congestion_") + tag + ".ofinfo";
}

}  // namespace

TEST(Congestion, VirtualOverflowCountsVirtualDemand) {
    auto r = makeRouter();
    int maxOF = -5;
    EXPECT_EQ(r->getVirtualOF(maxOF), 0);
    EXPECT_EQ(maxOF, 0);  // negative excesses never lower it below 0
    r->graph.uH(0, 0) = 3;                            // 1 over
    r->graph.uV(3, 1) = 2;
    r->placement.virtualDemandV[r->xyIdx(3, 1)] = 3;  // 3 over
    r->placement.virtualDemandH[r->xyIdx(3, 0)] = 9;  // last column: no edge, not read
    EXPECT_EQ(r->getVirtualOF(maxOF), 4);
    EXPECT_EQ(maxOF, 3);
}

TEST(Congestion, HorVerOverflowOfAPath) {
    auto r = makeRouter();
    r->costMode2D = 2;
    r->costScale = 1.0f;
    r->graph.uH(1, 1) = 3;
    r->graph.uV(2, 0) = 2;
    r->placement.virtualDemandV[r->xyIdx(2, 0)] = 1;
    r->graph.uV(2, 1) = 2;  // at capacity: not over
    r->initialFunc_2Dmap(2);
    std::vector<RPoint> path{RPoint(0, 1, 1), RPoint(1, 1, 1), RPoint(2, 0, 0), RPoint(2, 1, 0), RPoint(2, 2, 0, 2)};
    int hOF = 9, vOF = 9;
    float hCost = 9, vCost = 9;
    r->getHorVerOverflow(path, hOF, vOF, hCost, vCost);
    EXPECT_EQ(hOF, 1);
    EXPECT_EQ(vOF, 1);
    EXPECT_EQ(hCost, r->mapCostAt(1, 1, 1));
    EXPECT_EQ(vCost, r->mapCostAt(0, 2, 0));
}

TEST(Congestion, ScoreOfAPath) {
    auto r = makeRouter();
    TwoPin tp;
    tp.path = {RPoint(1, 1, 0, 2), RPoint(1, 1, 1, 2)};
    TwoPin* p = &tp;
    int maxUsage = 9, overflow = 9, vias = 9, edges = 9;
    r->getScore(maxUsage, overflow, vias, edges, p);
    EXPECT_EQ(maxUsage, 0);
    EXPECT_EQ(overflow, 0);
    EXPECT_EQ(vias, 2);
    EXPECT_EQ(edges, 0);

    r->graph.uH(0, 0) = 5;
    r->graph.uV(0, 0) = 1;
    r->placement.virtualDemandV[r->xyIdx(0, 0)] = 7;  // plain usage only
    tp.path = {RPoint(0, 0, 1), RPoint(0, 0, 0), RPoint(0, 1, 0, 2)};
    r->getScore(maxUsage, overflow, vias, edges, p);
    EXPECT_EQ(maxUsage, 5);
    EXPECT_EQ(overflow, 3);
    EXPECT_EQ(vias, 1);
    EXPECT_EQ(edges, 2);
}

TEST(Congestion, ScoreOfAStepOutsideTheGridEndsTheRun) {
    auto r = makeRouter();
    TwoPin tp;
    tp.path = {RPoint(3, 0, 1)};
    TwoPin* p = &tp;
    int a, b, c, d;
    EXPECT_EXIT(r->getScore(a, b, c, d, p), testing::ExitedWithCode(1), "GridGraph:308");
}

TEST(OverflowReport, NoOverflow) {
    auto r = makeRouter();
    init3DPlain(*r, {2, 0}, {0, 2});
    r->viaCost = 3;
    r->graph.dem3D(0, 0, 0).horizontal = 2;
    r->graph.dem3D(1, 1, 1).vertical = 1;
    r->graph.dem3D(1, 1, 0).via = 2;
    const std::string name = tempName("none");
    testing::internal::CaptureStdout();
    r->outputOverflowInfo(name.c_str());
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "totalOF=0  maxOF=0  Wlen2D=3  Via=2  totalWL(Wlen2D+Via*3)=9 \n");
    EXPECT_EQ(slurp(name),
              "Total overflow = 0\n"
              "Max overflow = 0\n"
              "Wirelength = 3\n"
              "Via count = 2\n"
              "Total wirelength (wirelength+3*vias) = 9\n"
              "\nOverflowed grid edges : \n"
              "end\n");
    std::remove(name.c_str());
}

TEST(OverflowReport, OverflowedEdgesArePitchWeighted) {
    std::vector<int> pitch{1, 4, 1};
    auto r = std::make_unique<GlobalRouter>(4, 3, 3, 2, 2, std::vector<int>{0, 2, 0}, std::vector<int>{2, 0, 2},
                                            pitch);
    init3DPlain(*r, {0, 2, 0}, {2, 0, 2});
    r->viaCost = 1;
    r->graph.dem3D(2, 1, 1).horizontal = 3;  // layer 2 (0-based 1), capacity 2, pitch 4
    r->graph.dem3D(0, 1, 2).vertical = 5;  // layer 3, capacity 2, pitch 1
    const std::string name = tempName("over");
    testing::internal::CaptureStdout();
    r->outputOverflowInfo(name.c_str());
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "totalOF=7  maxOF=4  Wlen2D=8  Via=0  totalWL(Wlen2D+Via*1)=8 \n");
    EXPECT_EQ(slurp(name),
              "Total overflow = 7\n"
              "Max overflow = 4\n"
              "Wirelength = 8\n"
              "Via count = 0\n"
              "Total wirelength (wirelength+1*vias) = 8\n"
              "\nOverflowed grid edges : \n"
              "(2, 1, 1) - (3, 1, 1)  4 \n"
              "(0, 1, 2) - (0, 2, 2)  3 \n"
              "end\n");
    std::remove(name.c_str());
}

TEST(OverflowReport, UnopenableFileEndsWithStatusOne) {
    auto r = makeRouter();
    init3DPlain(*r, {2, 0}, {0, 2});
    EXPECT_EXIT(r->outputOverflowInfo("/nonexistent-dir/x.ofinfo"), testing::ExitedWithCode(1),
                "/nonexistent-dir/x.ofinfo");
}
