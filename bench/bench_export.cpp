// Saving a 1,000,000 x 10 table as .csv, .txt, .html, .mht and .xml the way a person does it:
// the generated Orders table (QV_BENCH_DB, see scripts/bench) reaches its result sheet through
// the add-in ("Execute SQL", the statement answered in the input box, the large-load question
// answered Yes), and the workbook is then saved through the host's Save As in each format. The
// reference, `sqlite3 -csv` dumping the same table to a file, runs as a child process in the
// same program, so both sides meet the same machine load.
//
// Every case reports CPU time of the whole process (the writers use a second thread), wall time,
// the peak resident memory the case adds (VmHWM over the resident size before it) and the file's
// size. BM_ExportEndToEnd adds the load and the fill in front of the .csv save. A table larger
// than the sheet holds under its header row is refused by the add-in with its own message before
// anything is written; the cases report that message as their error.
#include "bench/BenchProcess.h"
#include "engines/sqlite/SqliteEngineClasses.h"
#include "host/Globals.h"
#include "host/Interface12.h"
#include "platform/NumberedError.h"
#include "platform/host/HostConstants.h"
#include "spreadsheet/model/Application.h"
#include "system/DialogScript.h"
#include "system/ObjectFactory.h"
#include "system/RegistryStore.h"
#include "system/ScriptedDialogs.h"
#include "system/ScriptedToolkit.h"
#include "system/Shell.h"

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <memory>
#include <spawn.h>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

using namespace qv;

std::string databasePath() {
    if (const char* env = std::getenv("QV_BENCH_DB"); env && *env) return env;
    return std::string(QV_SOURCE_DIR) + "/build/bench-data/orders_1000000.db";
}

std::uintmax_t fileSize(const std::filesystem::path& p) {
    std::error_code ec;
    auto n = std::filesystem::file_size(p, ec);
    return ec ? 0 : n;
}

// Rows x columns of the Orders table, read straight from the file.
double tableCells(const std::string& db) {
    sqlite3* h = nullptr;
    double cells = 0;
    if (sqlite3_open_v2(db.c_str(), &h, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
        sqlite3_stmt* st = nullptr;
        if (sqlite3_prepare_v2(h, "SELECT count(*) FROM Orders", -1, &st, nullptr) == SQLITE_OK &&
            sqlite3_step(st) == SQLITE_ROW)
            cells = static_cast<double>(sqlite3_column_int64(st, 0));
        sqlite3_finalize(st);
        if (sqlite3_prepare_v2(h, "SELECT * FROM Orders", -1, &st, nullptr) == SQLITE_OK)
            cells *= sqlite3_column_count(st);
        sqlite3_finalize(st);
    }
    sqlite3_close(h);
    return cells;
}

// Runs `step` (which answers "" or why it did not happen) as the timed region; false, with the
// case skipped and the reason shown, when it failed.
template <class Step> bool timed(benchmark::State& state, bench::ProcessMeasure& measure, Step step) {
    state.PauseTiming();
    measure.before();
    state.ResumeTiming();
    measure.startCpu();
    std::string failure;
    try {
        failure = step();
    } catch (const NumberedError& e) {
        failure = e.source() + ": " + e.description();
    }
    measure.stopCpu();
    state.PauseTiming();
    measure.after();
    state.ResumeTiming();
    if (failure.empty()) return true;
    state.SkipWithError(failure.c_str());
    return false;
}

// The counters every export case reports, per iteration.
void report(benchmark::State& state, double cells, const bench::ProcessMeasure& m, std::uintmax_t bytes) {
    const double n = static_cast<double>(std::max<benchmark::IterationCount>(state.iterations(), 1));
    state.counters["cells"] = cells;
    state.counters["cpu_s"] = m.cpuSeconds / n;
    state.counters["cpu_ns_per_cell"] = cells > 0 ? m.cpuSeconds * 1e9 / (cells * n) : 0;
    state.counters["peak_bytes_per_cell"] = cells > 0 ? m.peakBytes / cells : 0;
    state.counters["peak_MiB"] = m.peakBytes / 1048576.0;
    state.counters["file_MiB"] = static_cast<double>(bytes) / 1048576.0;
}

// The add-in over the Orders database, as the host starts it; the result sheet of the select
// is what every save case writes.
class ExportWorld {
  public:
    ExportWorld()
        : mDir(std::filesystem::temp_directory_path() / ("qv-bench-export-" + std::to_string(::getpid()))),
          mDialogs(mScript), mToolkit(mScript),
          mRegistry((std::filesystem::create_directories(mDir), mDir / "registry.db").string()),
          mObjects(mRegistry), mServices{&mRegistry, &mDialogs, &mToolkit, &mShell, &mObjects} {
        registerSqliteEngineClasses([this](std::string progId, std::function<ObjectPtr()> create) {
            mObjects.registerClass(progId, std::move(create));
        });
        mObjects.setServices(&mServices);
        sheet::ApplicationOptions ao;
        ao.dialogs = &mDialogs;
        mApp = sheet::Application::create(ao);
        mAddin = mApp->addWorkbook();
        mAddin->setBuiltinProperty("Revision Number", Variant(12));
        mEntry = std::make_unique<Interface12>(mServices);
        mEntry->Initialize(mAddin);
    }
    ~ExportWorld() {
        mEntry.reset();
        goApplication.reset();
        goAddinWorkbook.reset();
        mApp.reset();
        std::error_code ec;
        std::filesystem::remove_all(mDir, ec);
    }

    // Opens the database and runs the select to its sheet; "" or the reason it did not happen.
    std::string load(const std::string& database) {
        if (!mEntry->OpenDatabaseFile(database)) return "the Orders database did not open";
        mScript << ScriptStep::input("", "SELECT * FROM Orders") << ScriptStep::messageBox("", xl::AnswerYes);
        mEntry->ExecuteSQL();
        mResult = mAddin->findWorksheet("SQL statement");
        if (!mScript.errors().empty()) return mScript.errors().front();
        if (!mResult) return "the result sheet was not written";
        mResult->activate();
        mApp->setDisplayAlerts(false);
        return {};
    }
    double cells() const {
        auto used = mResult->usedRange();
        return static_cast<double>(used->rowCount()) * static_cast<double>(used->columnCount());
    }
    const std::filesystem::path& dir() const { return mDir; }
    const WorkbookPtr& book() const { return mAddin; }

  private:
    std::filesystem::path mDir;
    DialogScript mScript;
    ScriptedDialogs mDialogs;
    ScriptedToolkit mToolkit;
    RegistryStore mRegistry;
    Shell mShell;
    ObjectFactory mObjects;
    PlatformServices mServices;
    std::shared_ptr<sheet::Application> mApp;
    WorkbookPtr mAddin;
    std::unique_ptr<Interface12> mEntry;
    WorksheetPtr mResult;
};

// One world per process: scripts/bench runs each case in a process of its own.
ExportWorld* world(benchmark::State& state) {
    static std::unique_ptr<ExportWorld> w;
    static std::string failure;
    if (!w && failure.empty()) {
        const std::string db = databasePath();
        if (!std::filesystem::exists(db)) {
            failure = "no benchmark database (set QV_BENCH_DB or run scripts/bench)";
        } else {
            w = std::make_unique<ExportWorld>();
            try {
                failure = w->load(db);
            } catch (const NumberedError& e) {
                failure = e.source() + ": " + e.description();
            }
        }
    }
    if (!failure.empty()) {
        state.SkipWithError(failure.c_str());
        return nullptr;
    }
    return w.get();
}

void saveCase(benchmark::State& state, int format, const char* extension) {
    ExportWorld* w = world(state);
    if (!w) return;
    const auto path = w->dir() / (std::string("Orders.") + extension);
    bench::ProcessMeasure measure;
    for (auto _ : state) {
        if (!timed(state, measure, [&] {
                w->book()->saveAs(path.string(), format);
                return std::string();
            }))
            return;
    }
    report(state, w->cells(), measure, fileSize(path));
    // QV_BENCH_KEEP names a folder that keeps the saved files, to compare them between builds.
    if (const char* keep = std::getenv("QV_BENCH_KEEP"); keep && *keep)
        std::filesystem::copy_file(path, std::filesystem::path(keep) / path.filename(),
                                   std::filesystem::copy_options::overwrite_existing);
    std::filesystem::remove(path);
}

void BM_SaveCsv(benchmark::State& state) {
    saveCase(state, xl::FileFormatCsv, "csv");
}
void BM_SaveText(benchmark::State& state) {
    saveCase(state, xl::FileFormatText, "txt");
}
void BM_SaveHtml(benchmark::State& state) {
    saveCase(state, xl::FileFormatHtml, "html");
}
void BM_SaveMhtml(benchmark::State& state) {
    saveCase(state, xl::FileFormatMhtml, "mht");
}
void BM_SaveXmlSpreadsheet(benchmark::State& state) {
    saveCase(state, xl::FileFormatXmlSpreadsheet, "xml");
}

// What the person waits for from the statement to the saved .csv file.
void BM_ExportEndToEnd(benchmark::State& state) {
    const std::string db = databasePath();
    if (!std::filesystem::exists(db)) {
        state.SkipWithError("no benchmark database (set QV_BENCH_DB or run scripts/bench)");
        return;
    }
    bench::ProcessMeasure measure;
    double cells = 0;
    std::uintmax_t bytes = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto w = std::make_unique<ExportWorld>();
        state.ResumeTiming();
        if (!timed(state, measure, [&] {
                std::string failure = w->load(db);
                if (failure.empty()) w->book()->saveAs((w->dir() / "Orders.csv").string(), xl::FileFormatCsv);
                return failure;
            }))
            return;
        state.PauseTiming();
        cells = w->cells();
        bytes = fileSize(w->dir() / "Orders.csv");
        w.reset(); // closing is not part of the export
        state.ResumeTiming();
    }
    report(state, cells, measure, bytes);
}

// The reference: the sqlite3 shell writing the same table as CSV to a file. Its CPU time comes
// from the child's resource usage (the benchmark's own CPU column counts only this process),
// its peak memory from the child's maximum resident size.
void BM_Sqlite3Csv(benchmark::State& state) {
    const std::string db = databasePath();
    if (!std::filesystem::exists(db)) {
        state.SkipWithError("no benchmark database (set QV_BENCH_DB or run scripts/bench)");
        return;
    }
    const auto out =
        std::filesystem::temp_directory_path() / ("qv-bench-sqlite3-" + std::to_string(::getpid()) + ".csv");
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    std::string program = "sqlite3", csv = "-csv", file = db, sql = "SELECT * FROM Orders";
    char* argv[] = {program.data(), csv.data(), file.data(), sql.data(), nullptr};
    double childSeconds = 0, childPeakKb = 0;
    for (auto _ : state) {
        const auto run = bench::runChild("sqlite3", argv, &actions);
        if (!run.started) {
            state.SkipWithError("sqlite3 is not installed (Debian package sqlite3)");
            break;
        }
        childSeconds += run.cpuSeconds;
        childPeakKb = std::max(childPeakKb, run.peakKb);
        if (!run.succeeded) {
            state.SkipWithError("sqlite3 -csv failed");
            break;
        }
    }
    posix_spawn_file_actions_destroy(&actions);
    state.counters["cells"] = tableCells(db);
    state.counters["child_cpu_s"] =
        state.iterations() ? childSeconds / static_cast<double>(state.iterations()) : 0;
    state.counters["peak_MiB"] = childPeakKb / 1024.0;
    state.counters["file_MiB"] = static_cast<double>(fileSize(out)) / 1048576.0;
    std::filesystem::remove(out);
}

} // namespace

BENCHMARK(BM_Sqlite3Csv)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();
BENCHMARK(BM_SaveCsv)->Unit(benchmark::kMillisecond)->Iterations(1)->MeasureProcessCPUTime()->UseRealTime();
BENCHMARK(BM_SaveText)->Unit(benchmark::kMillisecond)->Iterations(1)->MeasureProcessCPUTime()->UseRealTime();
BENCHMARK(BM_SaveHtml)->Unit(benchmark::kMillisecond)->Iterations(1)->MeasureProcessCPUTime()->UseRealTime();
BENCHMARK(BM_SaveMhtml)->Unit(benchmark::kMillisecond)->Iterations(1)->MeasureProcessCPUTime()->UseRealTime();
BENCHMARK(BM_SaveXmlSpreadsheet)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->MeasureProcessCPUTime()
    ->UseRealTime();
BENCHMARK(BM_ExportEndToEnd)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->MeasureProcessCPUTime()
    ->UseRealTime();
BENCHMARK_MAIN();
