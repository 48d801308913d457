// What a benchmark case measures of its own process: CPU time of every thread (the savers use
// two), and the peak resident memory a timed region adds, with the kernel's high-water mark
// reset just before it.
#pragma once

#include "BenchMemory.h"

#include <algorithm>
#include <ctime>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace qv::bench {

inline double processCpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

// Sums CPU seconds over timed regions and keeps the largest memory any of them added.
class ProcessMeasure {
  public:
    // Call outside the timed region, just before it.
    void before() {
        mRss = statusKb("VmRSS");
        resetPeak();
    }
    void startCpu() { mCpu0 = processCpuSeconds(); }
    void stopCpu() { cpuSeconds += processCpuSeconds() - mCpu0; }
    // Call outside the timed region, just after it.
    void after() { peakBytes = std::max(peakBytes, static_cast<double>(statusKb("VmHWM") - mRss) * 1024.0); }

    double cpuSeconds = 0;
    double peakBytes = 0;

  private:
    long mRss = 0;
    double mCpu0 = 0;
};

// One run of a reference program as a child process, measured by the child's own accounting.
struct ChildRun {
    bool started = false;   // false: the program is not installed
    bool succeeded = false; // exited with status 0
    double cpuSeconds = 0;  // user + system of the child
    double peakKb = 0;      // the child's maximum resident size
};

inline ChildRun runChild(const char* program, char* const argv[], const posix_spawn_file_actions_t* actions) {
    ChildRun run;
    pid_t pid = 0;
    if (posix_spawnp(&pid, program, actions, nullptr, argv, environ) != 0) return run;
    run.started = true;
    int status = 0;
    struct rusage usage {};
    wait4(pid, &status, 0, &usage);
    run.cpuSeconds = static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                     static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
    run.peakKb = static_cast<double>(usage.ru_maxrss);
    run.succeeded = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    return run;
}

} // namespace qv::bench
