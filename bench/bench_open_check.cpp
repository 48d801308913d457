// What opening a database costs with its integrity check: the whole open of the Chinook fixture
// (about 1 MB, checked whole) and of a generated ~100 MB file (above the whole-check limit, so
// only its schema b-tree is checked at open), each next to SQLite's full quick check of the same
// file, which is what an unbounded check would add to every open.
#include "engines/sqlite/SqliteHandle.h"

#include <benchmark/benchmark.h>
#include <cstdlib>
#include <filesystem>
#include <sqlite3.h>
#include <string>

namespace {

std::string chinookPath() {
    const std::string p = std::string(QV_SOURCE_DIR) + "/../shared/fixtures/sqlite/Chinook_Sqlite.sqlite";
    return std::filesystem::exists(p) ? p : std::string();
}

// About 100 MB: the record-set benchmark's generator with 800,000 orders.
const std::string& largePath() {
    static const std::string path = [] {
        if (const char* env = std::getenv("QV_BENCH_OPEN_DB"); env && *env) return std::string(env);
        const std::string p = "/tmp/qv_bench_open_100mb.db";
        if (!std::filesystem::exists(p)) {
            std::string script = std::string(QV_SOURCE_DIR) + "/../shared/bench/gen_db.py";
            const std::string cmd =
                "python3 '" + script + "' '" + p + ".tmp' 800000 && mv '" + p + ".tmp' '" + p + "'";
            if (std::system(cmd.c_str()) != 0) return std::string();
        }
        return p;
    }();
    return path;
}

void openCase(benchmark::State& state, const std::string& path) {
    if (path.empty()) {
        state.SkipWithError("database file not available");
        return;
    }
    qv::engine::SqliteHandle::Options options;
    options.readOnly = true;
    for (auto _ : state)
        benchmark::DoNotOptimize(qv::engine::SqliteHandle::open(path, options));
    state.counters["MB"] = static_cast<double>(std::filesystem::file_size(path)) / 1e6;
}

void quickCheckCase(benchmark::State& state, const std::string& path) {
    if (path.empty()) {
        state.SkipWithError("database file not available");
        return;
    }
    for (auto _ : state) {
        sqlite3* db = nullptr;
        sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
        sqlite3_exec(db, "PRAGMA quick_check", nullptr, nullptr, nullptr);
        sqlite3_close(db);
    }
    state.counters["MB"] = static_cast<double>(std::filesystem::file_size(path)) / 1e6;
}

void BM_OpenChinook(benchmark::State& state) {
    openCase(state, chinookPath());
}
void BM_QuickCheckChinook(benchmark::State& state) {
    quickCheckCase(state, chinookPath());
}
void BM_Open100MB(benchmark::State& state) {
    openCase(state, largePath());
}
void BM_QuickCheck100MB(benchmark::State& state) {
    quickCheckCase(state, largePath());
}

} // namespace

BENCHMARK(BM_OpenChinook)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_QuickCheckChinook)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Open100MB)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_QuickCheck100MB)->Unit(benchmark::kMillisecond)->Iterations(3);

BENCHMARK_MAIN();
