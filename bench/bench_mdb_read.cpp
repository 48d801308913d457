// Reading the largest table of the Access fixtures (nwind.mdb "Order Details", 2155 rows) into
// a record set, side by side in one run with mdb-export writing the same table to /dev/null.
// Both sides open the file, read the catalogue and every row; ours also builds the typed
// columns a sheet load reads. Counter "per_row" is the wall time per table row; compare our CPU
// column with mdb-export's "child_cpu_ms" when the machine is loaded.
#include "engines/mdb/MdbCatalogue.h"
#include "engines/mdb/MdbRecordsets.h"

#include "bench/BenchProcess.h"

#include <benchmark/benchmark.h>
#include <cstdlib>
#include <filesystem>
#include <spawn.h>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>

extern char** environ;

namespace {

const std::string Fixture = std::string(QV_SOURCE_DIR) + "/../shared/fixtures/access/nwind.mdb";
const std::string Table = "Order Details";

void BM_QuorvelRecordset(benchmark::State& state) {
    if (!std::filesystem::exists(Fixture)) {
        state.SkipWithError("nwind.mdb fixture absent");
        return;
    }
    long long rows = 0;
    for (auto _ : state) {
        auto catalogue = qv::engine::MdbCatalogue::open(Fixture, {});
        auto rs = qv::engine::MdbRecordsets::table(*catalogue, Table);
        rows = rs->recordCount();
        benchmark::DoNotOptimize(rs);
    }
    state.counters["rows"] = static_cast<double>(rows);
    state.counters["per_row"] =
        benchmark::Counter(static_cast<double>(rows) * static_cast<double>(state.iterations()),
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void BM_MdbExport(benchmark::State& state) {
    if (!std::filesystem::exists(Fixture)) {
        state.SkipWithError("nwind.mdb fixture absent");
        return;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    std::string program = "mdb-export";
    std::string file = Fixture;
    std::string table = Table;
    char* argv[] = {program.data(), file.data(), table.data(), nullptr};
    double childSeconds = 0;
    for (auto _ : state) {
        const auto run = qv::bench::runChild("mdb-export", argv, &actions);
        if (!run.started) {
            state.SkipWithError("mdb-export is not installed (Debian package mdbtools)");
            break;
        }
        childSeconds += run.cpuSeconds;
        if (!run.succeeded) {
            state.SkipWithError("mdb-export failed");
            break;
        }
    }
    posix_spawn_file_actions_destroy(&actions);
    // The CPU time of mdb-export itself: on a loaded machine wall time says little, and the
    // benchmark's own CPU column counts only this process.
    state.counters["child_cpu_ms"] =
        state.iterations() ? childSeconds * 1000.0 / static_cast<double>(state.iterations()) : 0;
    state.counters["per_row"] = benchmark::Counter(2155.0 * static_cast<double>(state.iterations()),
                                                   benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

} // namespace

BENCHMARK(BM_QuorvelRecordset)->Unit(benchmark::kMillisecond)->MinTime(1.0)->UseRealTime();
BENCHMARK(BM_MdbExport)->Unit(benchmark::kMillisecond)->MinTime(1.0)->UseRealTime();
BENCHMARK_MAIN();
