// Writing edited rows back: 10,000 rows of a 10-column table, each with two edited cells, saved
// by the form into a database file with the file's own settings (rollback journal, full sync,
// as SQLite creates it). The timed region is the whole save a person waits for: statements,
// commit and the reload of the sheet. Beside it, the same updates with a plain prepared
// statement in one transaction, the least any save of these rows costs on this file.
//
// BM_WriteBackFailureAtRow stops the save at row k (a value that is not a number) and checks
// the outcome: rows before k are in the file, row k and after are still marked, nothing lost.
#include "common/clsAux.h"
#include "common/clsSettings.h"
#include "common/modGlobalization.h"
#include "datasource/clsDSAccess.h"
#include "engines/sqlite/SqliteEngineClasses.h"
#include "form/clsForm.h"
#include "form/clsMatrix.h"
#include "form/modSheetFill.h"
#include "spreadsheet/model/Application.h"
#include "tests/common/CommonFakes.h"
#include "tests/support/EngineClassFactory.h"

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <filesystem>
#include <memory>
#include <string>
#include <unistd.h>

namespace {

using namespace qv;
namespace fs = std::filesystem;

constexpr long Rows = 10000;

void exec(sqlite3* db, const std::string& sql) {
    char* message = nullptr;
    if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &message) != SQLITE_OK) {
        std::string text = message ? message : "?";
        sqlite3_free(message);
        throw std::runtime_error(text);
    }
}

std::string makeDatabase() {
    const fs::path dir = fs::temp_directory_path() / ("qv_bench_write_" + std::to_string(::getpid()));
    fs::create_directories(dir);
    const std::string path = (dir / "orders.db").string();
    fs::remove(path);
    sqlite3* db = nullptr;
    sqlite3_open(path.c_str(), &db);
    exec(db, "CREATE TABLE Orders (OrderId INTEGER PRIMARY KEY, Customer VARCHAR(40), City VARCHAR(30), "
             "Placed DATETIME, Amount CURRENCY, Qty INTEGER, Weight DOUBLE, Shipped YESNO, Note TEXT, Code "
             "VARCHAR(10))");
    exec(db, "BEGIN");
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(db, "INSERT INTO Orders VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?)", -1, &st, nullptr);
    for (long i = 1; i <= Rows; ++i) {
        const std::string customer = "Customer " + std::to_string(i % 997);
        sqlite3_bind_int64(st, 1, i);
        sqlite3_bind_text(st, 2, customer.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(st, 3, i % 2 ? "Utrecht" : "Zwolle", -1, SQLITE_STATIC);
        sqlite3_bind_text(st, 4, "2024-03-01 10:20:30", -1, SQLITE_STATIC);
        sqlite3_bind_double(st, 5, (i % 1000) / 4.0);
        sqlite3_bind_int64(st, 6, i % 50);
        sqlite3_bind_double(st, 7, i / 7.0);
        sqlite3_bind_int(st, 8, i % 2);
        sqlite3_bind_text(st, 9, "note", -1, SQLITE_STATIC);
        sqlite3_bind_text(st, 10, "C", -1, SQLITE_STATIC);
        sqlite3_step(st);
        sqlite3_reset(st);
    }
    sqlite3_finalize(st);
    exec(db, "COMMIT");
    sqlite3_close(db);
    return path;
}

// The form wired as the controller wires it, on the spreadsheet host and the SQLite engine.
struct World {
    explicit World(const std::string& file) {
        modGlobalization::SetCountryCode(1);
        settings.values[setting::ShowMessageUpdatedRecords] = Variant("False");
        settings.values[setting::DisplayFilter] = Variant("False");
        settings.values["Setting warning nr of cells"] = Variant(100000000);
        app = sheet::Application::create();
        book = app->addWorkbook();
        formSheet = book->worksheet(1L);
        lists = book->addWorksheet(formSheet);
        AuxContext ac;
        ac.application = [this] { return ApplicationPtr(app); };
        ac.settings = &settings;
        ac.dialogs = &dialogs;
        ac.toolkit = &toolkit;
        ac.formIsOpen = [this] { return form->Sheet() != nullptr; };
        ac.formAllowsChanges = [this] { return form->AllowsChanges(); };
        ac.formSheet = [this] { return form->Sheet(); };
        aux = std::make_unique<clsAux>(std::move(ac));
        DSContext dc;
        dc.Objects = &factory;
        dc.Dialogs = &dialogs;
        dc.CurrentTableName = [this] { return form->Name(); };
        ds = std::make_shared<clsDSAccess>(std::move(dc));
        ds->SetDatabasePath(file);
        if (!ds->ConnectDAO()) throw std::runtime_error("database did not open");
        ds->DetermineDbObjects(true);
        FormContext fc;
        fc.application = [this] { return ApplicationPtr(app); };
        fc.dataSource = [this] { return std::static_pointer_cast<IDS>(ds); };
        fc.aux = [this] { return aux.get(); };
        fc.dialogs = &dialogs;
        form = std::make_unique<clsForm>(std::move(fc));
        form->SetSheet(formSheet);
        form->SetListsSheet(lists);
        form->Show("Orders", 0);
    }
    // A person's edit of two cells of every row, as the host reports it.
    void editAll(long failingRow) {
        for (long r = 1; r <= Rows; ++r) {
            RangePtr city = formSheet->cells(r + 1, 3);
            city->setValue(Variant(r % 2 ? "Zwolle" : "Utrecht"));
            form->OnSheetChange(city);
            RangePtr amount = formSheet->cells(r + 1, 5);
            amount->setValue(r == failingRow ? Variant("12 euro") : Variant((r % 1000) / 4.0 + 1));
            form->OnSheetChange(amount);
        }
    }

    std::shared_ptr<sheet::Application> app;
    WorkbookPtr book;
    WorksheetPtr formSheet, lists;
    test::FakeSettings settings;
    test::ScriptedDialogs dialogs;
    test::ScriptedToolkit toolkit;
    test::EngineClassFactory<registerSqliteEngineClasses> factory;
    std::unique_ptr<clsAux> aux;
    std::shared_ptr<clsDSAccess> ds;
    std::unique_ptr<clsForm> form;
};

long countWhere(const std::string& file, const std::string& condition) {
    sqlite3* db = nullptr;
    sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(db, ("SELECT count(*) FROM Orders WHERE " + condition).c_str(), -1, &st, nullptr);
    sqlite3_step(st);
    const long n = static_cast<long>(sqlite3_column_int64(st, 0));
    sqlite3_finalize(st);
    sqlite3_close(db);
    return n;
}

void BM_WriteBack(benchmark::State& state) {
    const std::string file = makeDatabase();
    World world(file);
    for (auto _ : state) {
        state.PauseTiming();
        world.editAll(0);
        state.ResumeTiming();
        world.form->WriteData();
    }
    if (world.form->HasEdits() || countWhere(file, "City = 'Zwolle' AND OrderId % 2 = 1") == 0)
        state.SkipWithError("the save did not write every row");
    state.SetItemsProcessed(state.iterations() * Rows);
    state.counters["rows/s"] =
        benchmark::Counter(static_cast<double>(state.iterations() * Rows), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_WriteBack)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

void BM_WriteBackFailureAtRow(benchmark::State& state) {
    const long k = state.range(0);
    for (auto _ : state) {
        state.PauseTiming();
        const std::string file = makeDatabase();
        World world(file);
        world.editAll(k);
        state.ResumeTiming();
        world.form->WriteData();
        state.PauseTiming();
        // Rows before k written, row k and after still marked and unwritten, nothing typed lost.
        const long written = countWhere(file, "City = 'Zwolle' AND OrderId % 2 = 1");
        const long expected = (k - 1 + 1) / 2;
        bool ok =
            written == expected && countWhere(file, "OrderId >= " + std::to_string(k) +
                                                        " AND ((City = 'Zwolle' AND OrderId % 2 = 1) OR "
                                                        "(City = 'Utrecht' AND OrderId % 2 = 0))") == 0;
        for (long r = 1; r <= Rows && ok; ++r)
            ok = (world.form->RowState(r) == "1") == (r >= k);
        ok = ok && world.formSheet->cells(k + 1, 5)->value() == Variant("12 euro");
        if (!ok)
            state.SkipWithError("a failure at row k did not leave rows before k written and the rest marked");
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * (k - 1));
}
BENCHMARK(BM_WriteBackFailureAtRow)->Arg(5000)->Unit(benchmark::kMillisecond)->Iterations(2)->UseRealTime();

// The least a save of these rows costs: one prepared UPDATE, bound per row, in one transaction.
void BM_WriteBackPlainSqlite(benchmark::State& state) {
    const std::string file = makeDatabase();
    sqlite3* db = nullptr;
    sqlite3_open(file.c_str(), &db);
    int round = 0;
    for (auto _ : state) {
        ++round;
        exec(db, "BEGIN");
        sqlite3_stmt* st = nullptr;
        sqlite3_prepare_v2(db, "UPDATE Orders SET City = ?, Amount = ? WHERE OrderId = ?", -1, &st, nullptr);
        for (long r = 1; r <= Rows; ++r) {
            sqlite3_bind_text(st, 1, (r + round) % 2 ? "Zwolle" : "Utrecht", -1, SQLITE_STATIC);
            sqlite3_bind_double(st, 2, (r % 1000) / 4.0 + round);
            sqlite3_bind_int64(st, 3, r);
            sqlite3_step(st);
            sqlite3_reset(st);
        }
        sqlite3_finalize(st);
        exec(db, "COMMIT");
    }
    sqlite3_close(db);
    state.SetItemsProcessed(state.iterations() * Rows);
    state.counters["rows/s"] =
        benchmark::Counter(static_cast<double>(state.iterations() * Rows), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_WriteBackPlainSqlite)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

} // namespace

BENCHMARK_MAIN();
