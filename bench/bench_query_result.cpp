// A select returning the whole Orders table (1,000,000 x 10, QV_BENCH_DB, see scripts/bench)
// reaching its result sheet the way a person gets it: "Execute SQL" through the add-in's entry
// object, the statement typed into the input box, the large-load question answered Yes, the
// command run by the engine, the rows written, rounded, aligned and formatted on a new sheet.
// The timed region is that one call; the counters report CPU time per cell and the peak resident
// memory the run adds (VmHWM over the resident size before it) per cell.
#include "bench/BenchData.h"
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

void BM_QueryResultSheet(benchmark::State& state) {
    const std::string path = bench::ordersPath();
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
        bench::PeakProbe peak;
        peak.start();
        state.ResumeTiming();
        entry->ExecuteSQL();
        state.PauseTiming();
        peakBytes = std::max(peakBytes, peak.addedBytes());
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
    bench::reportPerCell(state, cells, peakBytes);
}
BENCHMARK(BM_QueryResultSheet)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace

BENCHMARK_MAIN();
