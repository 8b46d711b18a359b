#include "database/Timer.h"

#include <cstdio>

Timer t_ripupPath;
Timer t_addPath;
Timer t_modifyCost;
Timer t_mazeKernel;
Timer t_monoKernel;
Timer t_snakeKernel;
Timer t_humKernel;

clock_t totalTime = clock();

double Timer::now() {
    gettimeofday(&scratch, nullptr);
    return static_cast<double>(scratch.tv_sec) + static_cast<double>(scratch.tv_usec) / 1000000.0;
}

void Timer::start() {
    if (running) return;
    startTime = now();
    running = 1;
}

void Timer::stop() {
    if (!running) return;
    accumulated += now() - startTime;
    running = 0;
}

void Timer::reset() {
    accumulated = 0.0;
    running = 0;
}

float Timer::getTime() {
    if (running) {
        // Close the interval at one reading and open the next at that same
        // reading, so no time between the two falls outside both.
        double reading = now();
        accumulated += reading - startTime;
        startTime = reading;
    }
    return static_cast<float>(accumulated);
}

void Timer::show() {
    bool wasRunning = running;
    if (wasRunning) stop();
    printf("cost time : %.2lf seconds\n", accumulated);
    if (wasRunning) start();
}

void printCPUTime() {
    printf("CPU: ripupPath ");
    t_ripupPath.show();
    printf("CPU: addPath ");
    t_addPath.show();
    printf("CPU: modifyCost ");
    t_modifyCost.show();
    printf("CPU: mazeKernel ");
    t_mazeKernel.show();
    printf("CPU: monoKernel ");
    t_monoKernel.show();
    printf("CPU: snakeKernel ");
    t_snakeKernel.show();
    printf("CPU: humKernel ");
    t_humKernel.show();
    printf("\n");
    fflush(stdout);
}
