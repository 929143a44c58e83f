#include "core/Processors.h"

#include <sched.h>

#include <cstdio>
#include <thread>

namespace vornik {

namespace {

int ProcessorsAllowed() {
#ifdef CPU_COUNT
    cpu_set_t set;
    if (sched_getaffinity(0, sizeof set, &set) == 0) return CPU_COUNT(&set);
#endif
    return static_cast<int>(std::thread::hardware_concurrency());
}

// Threads running or waiting for a processor now, the caller among them
// (the fourth field of /proc/loadavg, "runnable/total"); -1 where unknown.
int RunnableThreads() {
    std::FILE* file = std::fopen("/proc/loadavg", "r");
    if (!file) return -1;
    int runnable = -1;
    if (std::fscanf(file, "%*s %*s %*s %d/", &runnable) != 1) runnable = -1;
    std::fclose(file);
    return runnable;
}

}  // namespace

bool SecondProcessorFree(int ownBackgroundThreads) {
    const int processors = ProcessorsAllowed();
    if (processors < 2) return false;
    const int runnable = RunnableThreads();
    return runnable < 0 || runnable - ownBackgroundThreads < processors;
}

}  // namespace vornik
