// A database table saved as .xlsx, from the file to the workbook file, side by side with
// libxlsxwriter in constant-memory mode writing the same cells.
//
// Ours goes the way the product goes: the Access data source opens the database
// (QV_BENCH_DB, the Orders table of ../shared/bench/gen_db.py, see scripts/bench), runs the
// select into a detached record set, the sheet fill writes it below its header row (rounded,
// formatted), and the workbook's SaveAs writes the file. The peer reads the same table through
// SQLite's own API, one typed column read per cell, and writes every cell with its own calls.
// Both are timed from opening the database to the closed file; CPU time counts every thread.
//
// Counters: cells, file_bytes, peak_bytes_per_cell (resident memory the run adds, VmHWM over
// the resident size before it) and, for ours, save_peak_bytes_per_cell (what the save adds
// beyond the filled sheet). A table larger than a sheet is refused by the host; the case then
// ends with the host's message instead of figures. QV_BENCH_KEEP=DIR keeps the written files.
#include "bench/BenchMemory.h"
#include "datasource/DSContext.h"
#include "datasource/clsDSAccess.h"
#include "engines/sqlite/SqliteEngineClasses.h"
#include "form/modSheetFill.h"
#include "platform/NumberedError.h"
#include "spreadsheet/io/AtomicFile.h"
#include "spreadsheet/io/WorkbookExportView.h"
#include "spreadsheet/io/XlsxWriter.h"
#include "spreadsheet/model/Application.h"
#include "spreadsheet/model/Workbook.h"
#include "system/DialogScript.h"
#include "system/ScriptedDialogs.h"
#include "tests/support/EngineClassFactory.h"

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <unistd.h>

#ifdef QV_HAVE_XLSXWRITER
#include <xlsxwriter.h>
#endif

namespace {

using namespace qv;
using bench::resetPeak;
using bench::statusKb;
namespace fs = std::filesystem;

// The Orders database of QV_BENCH_DB; "" (and the case ends with the reason) when there is none.
std::string databasePath(benchmark::State& state) {
    const char* env = std::getenv("QV_BENCH_DB");
    if (env && *env && fs::exists(env)) return env;
    state.SkipWithError("no benchmark database (set QV_BENCH_DB or run scripts/bench)");
    return {};
}

std::string outputPath(const std::string& name) {
    const char* keep = std::getenv("QV_BENCH_KEEP");
    fs::path dir = keep && *keep ? fs::path(keep) : fs::temp_directory_path();
    return (dir / (std::to_string(::getpid()) + "-" + name)).string();
}

void finishFile(benchmark::State& state, const std::string& path) {
    std::error_code ec;
    auto size = fs::file_size(path, ec);
    state.counters["file_bytes"] = ec ? 0.0 : static_cast<double>(size);
    const char* keep = std::getenv("QV_BENCH_KEEP");
    if (!(keep && *keep)) fs::remove(path, ec);
}

// The add-in's data source and the host, wired as the controller wires them.
struct World {
    test::EngineClassFactory<registerSqliteEngineClasses> factory;
    DialogScript script;
    ScriptedDialogs dialogs{script};
    std::shared_ptr<clsDSAccess> ds;
    explicit World(const std::string& path) {
        DSContext dc;
        dc.RevisionNumber = 12;
        dc.Objects = &factory;
        dc.Dialogs = &dialogs;
        dc.CurrentTableName = [] { return std::string("Orders"); };
        ds = std::make_shared<clsDSAccess>(std::move(dc));
        ds->SetDatabasePath(path);
    }
};

void BM_QuorvelTableToXlsx(benchmark::State& state) {
    const std::string db = databasePath(state);
    if (db.empty()) return;
    const std::string out = outputPath("quorvel.xlsx");
    double cells = 0, peak = 0, savePeak = 0;
    double loadS = 0, fillS = 0, saveS = 0;
    using Clock = std::chrono::steady_clock;
    auto seconds = [](Clock::time_point a, Clock::time_point b) {
        return std::chrono::duration<double>(b - a).count();
    };
    for (auto _ : state) {
        state.PauseTiming();
        World world(db);
        const long before = statusKb("VmRSS");
        resetPeak();
        state.ResumeTiming();
        try {
            const auto t0 = Clock::now();
            if (!world.ds->ConnectDAO()) throw std::runtime_error("the database did not open");
            AdoRecordsetPtr rs = world.ds->GetRecordSet("SELECT * FROM Orders", true);
            const auto t1 = Clock::now();
            auto app = sheet::Application::create();
            app->setEnableEvents(false);
            auto book = std::dynamic_pointer_cast<sheet::Workbook>(app->addWorkbook());
            WorksheetPtr ws = book->worksheet(1L);
            modSheetFill::FillSheetFromRecordset(*ws, *rs, 1, 1);
            cells = static_cast<double>(rs->recordCount()) * static_cast<double>(rs->fieldCount());
            rs.reset(); // the person's sheet holds the rows now
            const auto t2 = Clock::now();
            state.PauseTiming();
            const long filled = statusKb("VmRSS");
            resetPeak();
            state.ResumeTiming();
            const auto t3 = Clock::now();
            book->saveAs(out, 51);
            const auto t4 = Clock::now();
            loadS = seconds(t0, t1);
            fillS = seconds(t1, t2);
            saveS = seconds(t3, t4);
            state.PauseTiming();
            savePeak = static_cast<double>(statusKb("VmHWM") - filled) * 1024.0;
            peak = std::max(peak, static_cast<double>(statusKb("VmHWM") - before) * 1024.0);
            state.ResumeTiming();
        } catch (const NumberedError& e) {
            state.SkipWithError(("refused by the host: " + e.description()).c_str());
            return;
        }
    }
    finishFile(state, out);
    state.counters["cells"] = cells;
    if (cells > 0) {
        state.counters["peak_bytes_per_cell"] = peak / cells;
        state.counters["save_peak_bytes_per_cell"] = savePeak / cells;
    }
    // Wall seconds of each phase, to see which one holds up the whole.
    state.counters["load_s"] = loadS;
    state.counters["fill_s"] = fillS;
    state.counters["save_s"] = saveS;
}
BENCHMARK(BM_QuorvelTableToXlsx)
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime()
    ->UseRealTime();

// The save alone at several deflate levels, over one filled sheet: the size each level gives
// and what it costs, for choosing the level the host saves with.
void BM_QuorvelSaveAtLevel(benchmark::State& state) {
    const std::string db = databasePath(state);
    if (db.empty()) return;
    World world(db);
    std::shared_ptr<sheet::Workbook> book;
    std::shared_ptr<sheet::Application> app;
    double cells = 0;
    try {
        world.ds->ConnectDAO();
        AdoRecordsetPtr rs = world.ds->GetRecordSet("SELECT * FROM Orders", true);
        app = sheet::Application::create();
        app->setEnableEvents(false);
        book = std::dynamic_pointer_cast<sheet::Workbook>(app->addWorkbook());
        modSheetFill::FillSheetFromRecordset(*book->worksheet(1L), *rs, 1, 1);
        cells = static_cast<double>(rs->recordCount()) * static_cast<double>(rs->fieldCount());
    } catch (const NumberedError& e) {
        state.SkipWithError(("refused by the host: " + e.description()).c_str());
        return;
    }
    const std::string out = outputPath("quorvel-level.xlsx");
    sheet::WorkbookExportView view(*book);
    sheet::XlsxWriter writer(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        sheet::AtomicFile file(out);
        writer.write(view, file);
        file.commit();
    }
    finishFile(state, out);
    state.counters["cells"] = cells;
}
BENCHMARK(BM_QuorvelSaveAtLevel)
    ->Arg(1)
    ->Arg(3)
    ->Arg(4)
    ->Arg(5)
    ->Arg(6)
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime()
    ->UseRealTime();

#ifdef QV_HAVE_XLSXWRITER
// ISO text "YYYY-MM-DD HH:MM:SS" as the peer's date-time; false for anything else.
bool parseDateTime(const unsigned char* text, lxw_datetime& dt) {
    if (!text) return false;
    int y, mo, d, h = 0, mi = 0;
    double s = 0;
    int n = std::sscanf(reinterpret_cast<const char*>(text), "%d-%d-%d %d:%d:%lf", &y, &mo, &d, &h, &mi, &s);
    if (n < 3) return false;
    dt = lxw_datetime{y, mo, d, h, mi, s};
    return true;
}

// What the sheet fill does to a floating value: five decimals, half to even.
double rounded(double v) {
    return std::nearbyint(v * 1e5) / 1e5;
}

void BM_LibxlsxwriterTableToXlsx(benchmark::State& state) {
    const std::string db = databasePath(state);
    if (db.empty()) return;
    const std::string out = outputPath("libxlsxwriter.xlsx");
    double cells = 0, peak = 0;
    for (auto _ : state) {
        state.PauseTiming();
        const long before = statusKb("VmRSS");
        resetPeak();
        state.ResumeTiming();
        sqlite3* handle = nullptr;
        sqlite3_open_v2(db.c_str(), &handle, SQLITE_OPEN_READONLY, nullptr);
        std::unique_ptr<sqlite3, int (*)(sqlite3*)> conn(handle, sqlite3_close);
        sqlite3_stmt* raw = nullptr;
        if (sqlite3_prepare_v2(handle, "SELECT * FROM Orders", -1, &raw, nullptr) != SQLITE_OK) {
            state.SkipWithError(sqlite3_errmsg(handle));
            return;
        }
        std::unique_ptr<sqlite3_stmt, int (*)(sqlite3_stmt*)> stmt(raw, sqlite3_finalize);
        lxw_workbook_options options{};
        options.constant_memory = LXW_TRUE;
        lxw_workbook* wb = workbook_new_opt(out.c_str(), &options);
        lxw_worksheet* ws = workbook_add_worksheet(wb, "Sheet1");
        lxw_format* date = workbook_add_format(wb);
        format_set_num_format(date, "yyyy-mm-dd hh:mm:ss");
        const int columns = sqlite3_column_count(raw);
        enum class Kind { Number, Text, Boolean, Date };
        std::vector<Kind> kinds;
        for (int c = 0; c < columns; ++c) {
            worksheet_write_string(ws, 0, static_cast<lxw_col_t>(c), sqlite3_column_name(raw, c), nullptr);
            const char* decl = sqlite3_column_decltype(raw, c);
            std::string t = decl ? decl : "";
            kinds.push_back(t.rfind("TEXT", 0) == 0 ? Kind::Text
                            : t == "BOOLEAN"        ? Kind::Boolean
                            : t == "DATETIME"       ? Kind::Date
                                                    : Kind::Number);
        }
        lxw_row_t row = 0;
        bool refused = false;
        while (sqlite3_step(raw) == SQLITE_ROW) {
            if (++row > LXW_ROW_MAX - 1) {
                refused = true;
                break;
            }
            for (int c = 0; c < columns; ++c) {
                const auto col = static_cast<lxw_col_t>(c);
                if (sqlite3_column_type(raw, c) == SQLITE_NULL) continue;
                switch (kinds[static_cast<std::size_t>(c)]) {
                case Kind::Text:
                    worksheet_write_string(
                        ws, row, col, reinterpret_cast<const char*>(sqlite3_column_text(raw, c)), nullptr);
                    break;
                case Kind::Boolean:
                    worksheet_write_boolean(ws, row, col, sqlite3_column_int(raw, c), nullptr);
                    break;
                case Kind::Date: {
                    lxw_datetime dt;
                    if (parseDateTime(sqlite3_column_text(raw, c), dt))
                        worksheet_write_datetime(ws, row, col, &dt, date);
                    break;
                }
                case Kind::Number:
                    worksheet_write_number(ws, row, col,
                                           sqlite3_column_type(raw, c) == SQLITE_FLOAT
                                               ? rounded(sqlite3_column_double(raw, c))
                                               : sqlite3_column_double(raw, c),
                                           nullptr);
                    break;
                }
            }
        }
        lxw_error closed = workbook_close(wb);
        state.PauseTiming();
        if (refused) {
            state.SkipWithError("the table has more rows than a worksheet holds (1048576)");
            std::error_code ec;
            fs::remove(out, ec);
            return;
        }
        if (closed != LXW_NO_ERROR) {
            state.SkipWithError(lxw_strerror(closed));
            return;
        }
        cells = static_cast<double>(row) * columns;
        peak = std::max(peak, static_cast<double>(statusKb("VmHWM") - before) * 1024.0);
        state.ResumeTiming();
    }
    finishFile(state, out);
    state.counters["cells"] = cells;
    if (cells > 0) state.counters["peak_bytes_per_cell"] = peak / cells;
}
BENCHMARK(BM_LibxlsxwriterTableToXlsx)
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime()
    ->UseRealTime();
#endif

} // namespace

BENCHMARK_MAIN();
