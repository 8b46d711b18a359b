#pragma once
// Wall-clock stopwatch accumulating over any number of start/stop pairs, the
// global per-kernel timers, and the CPU clock recorded at start-up.

#include <sys/time.h>

#include <ctime>

class Timer {
public:
    Timer() = default;
    virtual ~Timer() {}
    void start();
    void stop();
    void reset();
    float getTime();  // keeps a running timer running
    void show();      // "cost time : %.2lf seconds"

    double startTime = 0.0;
    double accumulated = 0.0;
    int running = 0;
    timeval scratch{};

private:
    double now();
};

extern Timer t_ripupPath;
extern Timer t_addPath;
extern Timer t_modifyCost;
extern Timer t_mazeKernel;
extern Timer t_monoKernel;
extern Timer t_snakeKernel;
extern Timer t_humKernel;

extern clock_t totalTime;

// Prints the seven kernel timers and an empty line.
void printCPUTime();

// CPU seconds between two clock() readings, as every CPU-time line prints them.
inline double cpuSeconds(clock_t from, clock_t to) { return static_cast<double>(to - from) / 1000000.0; }
