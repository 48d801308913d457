// What the benchmark programs share: the generated Orders table they read, and the peak-memory
// and per-cell counters they report, so that every case measures the same way.
#pragma once

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace qv::bench {

// A field of /proc/self/status in KiB ("VmRSS", "VmHWM"); 0 when absent.
inline long statusKb(const char* key) {
    std::ifstream in("/proc/self/status");
    std::string line;
    const std::string prefix = std::string(key) + ":";
    while (std::getline(in, line))
        if (line.rfind(prefix, 0) == 0) return std::stol(line.substr(prefix.size()));
    return 0;
}

// Lets VmHWM start again from the present resident size.
inline void resetPeak() {
    std::ofstream clear("/proc/self/clear_refs");
    clear << "5";
}

// The generated Orders table of `rows` rows: QV_BENCH_DB when set (scripts/bench sets it), else
// made once in /tmp by ../shared/bench/gen_db.py; empty when it cannot be made.
inline std::string ordersPath(long rows = 1000000) {
    if (const char* env = std::getenv("QV_BENCH_DB"); env && *env) return env;
    const std::string p =
        "/tmp/qv_bench_orders_" + (rows == 1000000 ? std::string("1m") : std::to_string(rows)) + ".db";
    if (!std::filesystem::exists(p)) {
        std::string script = std::string(QV_SOURCE_DIR) + "/../shared/bench/gen_db.py";
        if (!std::filesystem::exists(script)) script = "/work/shared/bench/gen_db.py";
        const std::string cmd = "python3 '" + script + "' '" + p + ".tmp' " + std::to_string(rows) +
                                " && mv '" + p + ".tmp' '" + p + "'";
        if (std::system(cmd.c_str()) != 0) return {};
    }
    return p;
}

// The memory a timed region adds: the resident size at its start, the peak reset there.
struct PeakProbe {
    long startKb = 0;
    void start() {
        startKb = statusKb("VmRSS");
        resetPeak();
    }
    double addedBytes() const { return static_cast<double>(statusKb("VmHWM") - startKb) * 1024.0; }
};

// The counters of a case that handles `cells` cells per iteration.
inline void reportPerCell(benchmark::State& state, double cells, double peakBytes) {
    state.counters["cells"] = cells;
    state.counters["cpu_ns_per_cell"] = benchmark::Counter(
        cells, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
    if (cells > 0) state.counters["peak_bytes_per_cell"] = peakBytes / cells;
}

} // namespace qv::bench
