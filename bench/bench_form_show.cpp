// Showing a table as the form, the way a person waits for it: the form's Show over the
// generated Orders table (QV_BENCH_DB, see scripts/bench), from the statement through the
// record set, the sheet fill, the formats, the column validation with its lookup list, the
// colours and the key values; and building one lookup list of 100,000 distinct values.
// Counters report CPU time per cell and the peak resident memory the case adds, per cell.
#include "bench/BenchData.h"
#include "common/ISettings.h"
#include "common/clsAux.h"
#include "common/clsSettings.h"
#include "common/modGlobalization.h"
#include "datasource/clsDSAccess.h"
#include "datasource/clsRelation.h"
#include "engines/sqlite/SqliteEngineClasses.h"
#include "form/clsForm.h"
#include "form/clsFormNames.h"
#include "form/clsMatrix.h"
#include "platform/IDialogs.h"
#include "platform/IObjectFactory.h"
#include "platform/NumberedError.h"
#include "platform/host/HostConstants.h"
#include "spreadsheet/model/Application.h"
#include "tests/support/EngineClassFactory.h"

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <string>

namespace {

using namespace qv;
using bench::ordersPath;

// A table of 100,000 distinct codes and a table that refers to it.
std::string codesPath() {
    const std::string p = "/tmp/qv_bench_codes_100k.db";
    if (std::filesystem::exists(p)) return p;
    const std::string tmp = p + ".tmp";
    std::filesystem::remove(tmp);
    sqlite3* db = nullptr;
    sqlite3_open(tmp.c_str(), &db);
    sqlite3_exec(db,
                 "CREATE TABLE Code (Code TEXT(12) PRIMARY KEY, Label TEXT);"
                 "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 100000) "
                 "INSERT INTO Code SELECT printf('C%08d', (i * 7919) % 100003), 'label ' || i FROM n;"
                 "CREATE TABLE Uses (Id INTEGER PRIMARY KEY, Code TEXT(12) REFERENCES Code (Code));",
                 nullptr, nullptr, nullptr);
    sqlite3_close(db);
    std::filesystem::rename(tmp, p);
    return p;
}

class CatalogueSettings : public ISettings {
  public:
    std::map<std::string, Variant> values;
    CatalogueSettings() {
        for (const SettingDefinition& d : clsSettings::Catalogue())
            if (!d.defaultValue.isEmpty()) values[d.name] = d.defaultValue;
    }
    Variant GetSetting(const std::string& name) override {
        auto it = values.find(name);
        return it == values.end() ? Variant("") : it->second;
    }
    void SaveSetting(int, const std::string& name, const Variant& value) override { values[name] = value; }
    Variant ReadSetting(const std::string& name) override { return GetSetting(name); }
    bool IsMessageEnabled(const std::string&) override { return false; }
};

// Every question is answered Yes; nothing else is asked on this road.
class YesDialogs : public IDialogs {
  public:
    int messageBox(const std::string&, int, const std::string&) override { return xl::AnswerYes; }
    std::optional<std::string> inputBox(const std::string&, const std::string&, const std::string&) override {
        return std::nullopt;
    }
    std::optional<std::string> openFile(const std::string&, const std::string&,
                                        const std::vector<FileFilter>&) override {
        return std::nullopt;
    }
    std::optional<std::string> saveAsFile(const std::string&, const std::string&,
                                          const std::vector<FileFilter>&) override {
        return std::nullopt;
    }
    std::optional<long> pickColor(long) override { return std::nullopt; }
};

using EngineFactory = test::EngineClassFactory<registerSqliteEngineClasses>;

// The form wired as the controller wires it, over one database file.
struct FormWorld {
    std::shared_ptr<sheet::Application> app;
    WorkbookPtr book;
    CatalogueSettings settings;
    YesDialogs dialogs;
    EngineFactory factory;
    std::unique_ptr<clsAux> aux;
    std::shared_ptr<clsDSAccess> ds;
    std::unique_ptr<clsForm> form;

    explicit FormWorld(const std::string& path) {
        modGlobalization::SetCountryCode(1);
        settings.values["Setting warning nr of cells"] = Variant(2000000000);
        app = sheet::Application::create();
        book = app->addWorkbook();
        WorksheetPtr formSheet = book->worksheet(1L);
        WorksheetPtr lists = book->addWorksheet(formSheet);
        lists->setVisible(xl::SheetVeryHidden);
        formSheet->activate();
        AuxContext ac;
        ac.application = [this] { return ApplicationPtr(app); };
        ac.settings = &settings;
        ac.dialogs = &dialogs;
        ac.formSheet = [this] { return form->Sheet(); };
        aux = std::make_unique<clsAux>(std::move(ac));
        DSContext dc;
        dc.RevisionNumber = 12;
        dc.Objects = &factory;
        dc.Dialogs = &dialogs;
        dc.CurrentTableName = [this] { return form->Name(); };
        ds = std::make_shared<clsDSAccess>(std::move(dc));
        ds->SetDatabasePath(path);
        ds->ConnectDAO();
        ds->DetermineDbObjects(true);
        FormContext fc;
        fc.application = [this] { return ApplicationPtr(app); };
        fc.dataSource = [this] { return std::static_pointer_cast<IDS>(ds); };
        fc.aux = [this] { return aux.get(); };
        fc.dialogs = &dialogs;
        form = std::make_unique<clsForm>(std::move(fc));
        form->SetSheet(formSheet);
        form->SetListsSheet(lists);
    }
    int indexOf(const std::string& table) const {
        auto names = ds->TableNames();
        for (std::size_t i = 1; i <= names->Count(); ++i)
            if (names->Item(i) == table) return static_cast<int>(i);
        return 0;
    }
};

void BM_FormShowOrders(benchmark::State& state) {
    const std::string path = ordersPath();
    if (path.empty() || !std::filesystem::exists(path)) {
        state.SkipWithError("no benchmark database (set QV_BENCH_DB or run scripts/bench)");
        return;
    }
    double peakBytes = 0, cells = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto world = std::make_unique<FormWorld>(path);
        const int index = world->indexOf("Orders");
        bench::PeakProbe peak;
        peak.start();
        state.ResumeTiming();
        try {
            world->form->Show("", index);
        } catch (const NumberedError& e) {
            state.SkipWithError((e.source() + ": " + e.description()).c_str());
            return;
        }
        state.PauseTiming();
        peakBytes = std::max(peakBytes, peak.addedBytes());
        const clsMatrix& m = *world->form->Matrix();
        cells = static_cast<double>(m.RecordCount()) * static_cast<double>(m.FieldCount());
        world.reset(); // closing the form is not part of showing it
        state.ResumeTiming();
    }
    bench::reportPerCell(state, cells, peakBytes);
}
BENCHMARK(BM_FormShowOrders)->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_LookupList100k(benchmark::State& state) {
    FormWorld world(codesPath());
    world.form->Show("", world.indexOf("Uses")); // the form, its matrix and the lists sheet
    clsRelation relation;
    relation.Init("UsesCode_0", "Code", "Code", "Uses", "Code");
    long values = 0;
    for (auto _ : state) {
        state.PauseTiming();
        world.form->Matrix()->Names().InitListsSheet();
        state.ResumeTiming();
        world.form->Matrix()->Names().BuildLookupList(relation);
        state.PauseTiming();
        values = world.book->nameRange("lst_1")->rowCount();
        state.ResumeTiming();
    }
    state.counters["values"] = static_cast<double>(values);
}
BENCHMARK(BM_LookupList100k)->Unit(benchmark::kMillisecond);

} // namespace
BENCHMARK_MAIN();
