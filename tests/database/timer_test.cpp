#include <gtest/gtest.h>

#include <string>

#include "database/Timer.h"

TEST(Timer, StartStopRulesShowAndKernelReport) {
    Timer t;
    EXPECT_EQ(t.running, 0);
    t.stop();  // stopping a stopped timer changes nothing
    EXPECT_EQ(t.accumulated, 0.0);
    t.start();
    double firstStart = t.startTime;
    t.start();  // starting a running timer changes nothing
    EXPECT_EQ(t.startTime, firstStart);
    float a = t.getTime();
    EXPECT_EQ(t.running, 1);  // getTime keeps it running
    float b = t.getTime();
    EXPECT_LE(a, b);
    t.stop();
    EXPECT_EQ(t.running, 0);
    t.reset();
    EXPECT_EQ(t.accumulated, 0.0);
    testing::internal::CaptureStdout();
    t.show();
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "cost time : 0.00 seconds\n");

    testing::internal::CaptureStdout();
    printCPUTime();
    std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(out.find("CPU: ripupPath cost time : "), 0u);
    const char* labels[] = {"addPath", "modifyCost", "mazeKernel", "monoKernel", "snakeKernel", "humKernel"};
    for (const char* l : labels) EXPECT_NE(out.find(std::string("CPU: ") + l + " cost time : "), std::string::npos);
    EXPECT_EQ(out.substr(out.size() - 2), "\n\n");
}
