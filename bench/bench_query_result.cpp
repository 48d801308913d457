// A select returning the whole Orders table (1,000,000 x 10, QV_BENCH_DB, see scripts/bench)
// reaching its result sheet the way a person gets it: "Execute SQL" through the add-in's entry
// object, the statement typed into the input box, the large-load question answered Yes, the
// command run by the engine, the rows written, rounded, aligned and formatted on a new sheet.
// The timed region is that one call; the counters report CPU time per cell and the peak resident
// memory the run adds (VmHWM over the resident size before it) per cell.
#include "engines/sqlite/SqliteEngineClasses.h"
#include "host/Globals.h"
#include "host/Interface12.h"
#include "platform/host/HostConstants.h"
#include "spreadsheet/model/Application.h"
#include "system/DialogScript.h"
#include "system/ObjectFactory.h"
#include "system/RegistryStore.h"
#include "system/ScriptedDialogs.h"
#include "system/ScriptedToolkit.h"
#include "system/Shell.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

namespace {

using namespace qv;

long statusKb(const char* key) {
    std::ifstream in("/proc/self/status");
    std::string line;
    const std::string prefix = std::string(key) + ":";
    while (std::getline(in, line))
        if (line.rfind(prefix, 0) == 0) return std::stol(line.substr(prefix.size()));
    return 0;
}

void resetPeak() {
    std::ofstream clear("/proc/self/clear_refs");
    clear << "5";
}

std::string databasePath() {
    if (const char* env = std::getenv("QV_BENCH_DB"); env && *env) return env;
    const std::string p = "/tmp/qv_bench_orders_1m.db";
    if (!std::filesystem::exists(p)) {
        std::string script = std::string(QV_SOURCE_DIR) + "/../shared/bench/gen_db.py";
        const std::string cmd =
            "python3 '" + script + "' '" + p + ".tmp' 1000000 && mv '" + p + ".tmp' '" + p + "'";
        if (std::system(cmd.c_str()) != 0) return {};
    }
    return p;
}

void BM_QueryResultSheet(benchmark::State& state) {
    const std::string path = databasePath();
    if (path.empty() || !std::filesystem::exists(path)) {
        state.SkipWithError("no benchmark database (set QV_BENCH_DB or run scripts/bench)");
        return;
    }
    const auto dir =
        std::filesystem::temp_directory_path() / ("qv-bench-query-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    DialogScript script;
    ScriptedDialogs dialogs(script);
    ScriptedToolkit toolkit(script);
    RegistryStore registry((dir / "registry.db").string());
    Shell shell;
    ObjectFactory objects(registry);
    registerSqliteEngineClasses([&](std::string progId, std::function<ObjectPtr()> create) {
        objects.registerClass(progId, std::move(create));
    });
    PlatformServices services{&registry, &dialogs, &toolkit, &shell, &objects};
    objects.setServices(&services);
    sheet::ApplicationOptions ao;
    ao.dialogs = &dialogs;
    auto app = sheet::Application::create(ao);
    WorkbookPtr addin = app->addWorkbook();
    addin->setBuiltinProperty("Revision Number", Variant(12));
    auto entry = std::make_unique<Interface12>(services);
    entry->Initialize(addin);
    if (!entry->OpenDatabaseFile(path)) {
        state.SkipWithError("the Orders database did not open");
        return;
    }
    double cells = 0;
    double peakBytes = 0;
    for (auto _ : state) {
        state.PauseTiming();
        script << ScriptStep::input("", "SELECT * FROM Orders") << ScriptStep::messageBox("", xl::AnswerYes);
        const long rssBefore = statusKb("VmRSS");
        resetPeak();
        state.ResumeTiming();
        entry->ExecuteSQL();
        state.PauseTiming();
        peakBytes = std::max(peakBytes, static_cast<double>(statusKb("VmHWM") - rssBefore) * 1024.0);
        WorksheetPtr sheet = addin->findWorksheet("SQL statement");
        if (!sheet || !script.errors().empty()) {
            state.SkipWithError("the result sheet was not written");
            break;
        }
        cells = static_cast<double>(sheet->usedRange()->rowCount() - 1) * sheet->usedRange()->columnCount();
        addin->unprotectStructure("k47m");
        app->setDisplayAlerts(false);
        addin->deleteWorksheet(sheet); // removing the sheet is not part of showing it
        state.ResumeTiming();
    }
    entry.reset();
    goApplication.reset();
    goAddinWorkbook.reset();
    std::filesystem::remove_all(dir);
    state.counters["cells"] = cells;
    state.counters["cpu_ns_per_cell"] = benchmark::Counter(
        cells, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
    if (cells > 0) state.counters["peak_bytes_per_cell"] = peakBytes / cells;
}
BENCHMARK(BM_QueryResultSheet)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace

BENCHMARK_MAIN();
