// What a benchmark case measures of its own process: CPU time of every thread (the savers use
// two), and the peak resident memory a timed region adds, with the kernel's high-water mark
// reset just before it.
#pragma once

#include "BenchMemory.h"

#include <algorithm>
#include <ctime>

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

} // namespace qv::bench
