// Loading a 1,000,000 x 10 table into a client-side record set, against the floor: a bare loop
// that steps the same statement on a connection without mutexes and reads every cell with one
// sqlite3_column_value and the sqlite3_value_* readers, storing nothing.
// Both run in the same process on the same file, so the ratio holds across machines. Counters:
// time per cell, peak resident memory of the case (VmHWM, reset before each case) and the
// record set's own bytes per cell.
#include "engines/sqlite/AdoConnection.h"
#include "engines/sqlite/ColumnarRecordset.h"
#include "engines/sqlite/PageReserve.h"
#include "platform/ConnectionString.h"

#include "BenchData.h"

#include <benchmark/benchmark.h>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sqlite3.h>
#include <string>

namespace {

constexpr long long Rows = 1000000;
constexpr int Columns = 10;

const std::string& databasePath() {
    static const std::string path = qv::bench::ordersPath(Rows);
    return path;
}

using qv::bench::resetPeak;
using qv::bench::statusKb;

void BM_FloorScan(benchmark::State& state) {
    if (databasePath().empty()) {
        state.SkipWithError("could not generate the benchmark database");
        return;
    }
    resetPeak();
    long long cells = 0;
    for (auto _ : state) {
        sqlite3* db = nullptr;
        sqlite3_open_v2(databasePath().c_str(), &db, SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX, nullptr);
        sqlite3_stmt* st = nullptr;
        sqlite3_prepare_v2(db, "SELECT * FROM Orders", -1, &st, nullptr);
        const int n = sqlite3_column_count(st);
        long long intSum = 0, bytes = 0;
        double realSum = 0;
        cells = 0;
        while (sqlite3_step(st) == SQLITE_ROW) {
            for (int c = 0; c < n; ++c) {
                sqlite3_value* v = sqlite3_column_value(st, c);
                switch (sqlite3_value_type(v)) {
                case SQLITE_INTEGER:
                    intSum += sqlite3_value_int64(v);
                    break;
                case SQLITE_FLOAT:
                    realSum += sqlite3_value_double(v);
                    break;
                case SQLITE_TEXT:
                    benchmark::DoNotOptimize(sqlite3_value_text(v));
                    bytes += sqlite3_value_bytes(v);
                    break;
                case SQLITE_BLOB:
                    benchmark::DoNotOptimize(sqlite3_value_blob(v));
                    bytes += sqlite3_value_bytes(v);
                    break;
                default:
                    break;
                }
            }
            cells += n;
        }
        benchmark::DoNotOptimize(intSum);
        benchmark::DoNotOptimize(realSum);
        benchmark::DoNotOptimize(bytes);
        sqlite3_finalize(st);
        sqlite3_close(db);
    }
    state.counters["cells"] = static_cast<double>(cells);
    state.counters["time_per_cell"] =
        benchmark::Counter(static_cast<double>(cells),
                           benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
    state.counters["VmHWM_bytes"] = static_cast<double>(statusKb("VmHWM")) * 1024.0;
}

// Each iteration frees its record set before the next loads, as a form shown again does; the
// next load finds those pages in the reserve. With firstInProcess the reserve is emptied first,
// so every page is new, as for the first load after the program starts.
void recordsetLoad(benchmark::State& state, bool firstInProcess) {
    if (databasePath().empty()) {
        state.SkipWithError("could not generate the benchmark database");
        return;
    }
    const long long baseline = statusKb("VmRSS") * 1024;
    resetPeak();
    long long cells = 0;
    double recordsetBytes = 0;
    for (auto _ : state) {
        qv::engine::AdoConnection connection;
        connection.setCursorLocation(3);
        connection.open("Driver={Microsoft Access Driver (*.mdb, *.accdb)};Dbq=" +
                        qv::ConnectionString::quote(databasePath()) + ";Uid=Admin;Pwd=;");
        auto rs = connection.execute("SELECT * FROM Orders");
        connection.close();
        cells = rs->recordCount() * rs->fieldCount();
        recordsetBytes =
            static_cast<double>(std::static_pointer_cast<qv::engine::ColumnarRecordset>(rs)->bytesUsed());
        benchmark::DoNotOptimize(rs->valueAt(rs->recordCount() - 1, Columns - 1));
        state.PauseTiming();
        rs.reset(); // freeing is not part of loading
        if (firstInProcess) qv::engine::PageReserve::shared().clear();
        state.ResumeTiming();
    }
    const long long peak = statusKb("VmHWM") * 1024;
    state.counters["cells"] = static_cast<double>(cells);
    state.counters["time_per_cell"] =
        benchmark::Counter(static_cast<double>(cells),
                           benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
    state.counters["VmHWM_bytes"] = static_cast<double>(peak);
    state.counters["peak_bytes_per_cell"] =
        cells ? static_cast<double>(peak - baseline) / static_cast<double>(cells) : 0;
    state.counters["recordset_bytes_per_cell"] = cells ? recordsetBytes / static_cast<double>(cells) : 0;
}

void BM_RecordsetLoad(benchmark::State& state) {
    recordsetLoad(state, false);
}

void BM_RecordsetLoadFirst(benchmark::State& state) {
    recordsetLoad(state, true);
}

} // namespace

BENCHMARK(BM_FloorScan)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_RecordsetLoad)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_RecordsetLoadFirst)->Unit(benchmark::kMillisecond)->Iterations(3);

BENCHMARK_MAIN();
