// The form on our spreadsheet host and the SQLite engine, wired as the controller wires it:
// an interface workbook with the form sheet and a very hidden lists sheet, the Access data
// source over a database file in a temporary folder, settings in memory and scripted dialogs.
#pragma once

#include "common/clsAux.h"
#include "common/clsSettings.h"
#include "common/modGlobalization.h"
#include "datasource/clsDSAccess.h"
#include "engines/sqlite/SqliteEngineClasses.h"
#include "form/clsForm.h"
#include "form/modSheetFill.h"
#include "platform/IProgress.h"
#include "spreadsheet/model/Application.h"
#include "tests/common/CommonFakes.h"
#include "tests/support/EngineClassFactory.h"
#include "tests/support/TestFiles.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>

namespace qv::test {

namespace fs = std::filesystem;

// Runs SQL on a database file with the plain library, outside the product.
inline void RunSql(const std::string& path, const std::string& sql) {
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
    char* message = nullptr;
    int rc = sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &message);
    std::string text = message ? message : "";
    sqlite3_free(message);
    sqlite3_close(db);
    ASSERT_EQ(rc, SQLITE_OK) << text << "\n" << sql;
}

// Rows of a query on the file, read with the plain library: columns joined by '|', NULL as "NULL".
inline std::vector<std::string> Query(const std::string& path, const std::string& sql) {
    sqlite3* db = nullptr;
    std::vector<std::string> rows;
    if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) return rows;
    sqlite3_stmt* st = nullptr;
    if (sqlite3_prepare_v2(db, sql.c_str(), -1, &st, nullptr) == SQLITE_OK) {
        while (sqlite3_step(st) == SQLITE_ROW) {
            std::string row;
            for (int c = 0; c < sqlite3_column_count(st); ++c) {
                if (c) row += '|';
                const auto* t = sqlite3_column_text(st, c);
                row += t ? reinterpret_cast<const char*>(t) : "NULL";
            }
            rows.push_back(row);
        }
    }
    sqlite3_finalize(st);
    sqlite3_close(db);
    return rows;
}

// A field property as the engine keeps it (type 10 text, 4 long, 1 boolean).
inline std::string PropertySql(const std::string& table, const std::string& field, const std::string& name,
                               const std::string& value, int type = 10) {
    auto q = [](const std::string& s) {
        std::string out = "'";
        for (char c : s)
            out += c == '\'' ? std::string("''") : std::string(1, c);
        return out + "'";
    };
    return "CREATE TABLE IF NOT EXISTS QvFieldProperties (TableName TEXT NOT NULL, FieldName TEXT NOT NULL, "
           "Name TEXT NOT NULL, Value, Type INTEGER, PRIMARY KEY (TableName, FieldName, Name));"
           "INSERT OR REPLACE INTO QvFieldProperties VALUES (" +
           q(table) + "," + q(field) + "," + q(name) + "," + (type == 10 ? q(value) : value) + "," +
           std::to_string(type) + ");";
}

// A progress that cancels once it has been told about `cancelAfter` reports.
class CancellingProgress : public IProgress {
  public:
    int cancelAfter = 1;
    int reports = 0;
    std::vector<double> fractions;
    void Report(double fraction, const std::string&) override {
        ++reports;
        fractions.push_back(fraction);
    }
    bool Cancelled() const override { return reports >= cancelAfter; }
};

class FormWorld {
  public:
    explicit FormWorld(const std::string& databasePath) : path(databasePath) {
        modGlobalization::SetCountryCode(1);
        // The catalogue's defaults, as a first start writes them.
        for (const SettingDefinition& d : clsSettings::Catalogue())
            if (!d.defaultValue.isEmpty()) settings.values[d.name] = d.defaultValue;
        app = sheet::Application::create();
        book = app->addWorkbook();
        formSheet = book->worksheet(1L);
        listsSheet = book->addWorksheet(formSheet);
        listsSheet->setVisible(xl::SheetVeryHidden);
        formSheet->activate();

        AuxContext ac;
        ac.application = [this] { return ApplicationPtr(app); };
        ac.settings = &settings;
        ac.dialogs = &dialogs;
        ac.toolkit = &toolkit;
        ac.formIsOpen = [this] { return form->Sheet() != nullptr; };
        ac.formAllowsChanges = [this] { return form->AllowsChanges(); };
        ac.formSheet = [this] { return form->Sheet(); };
        ac.fillSheetFromRecordset = [this](IWorksheet& s, IAdoRecordset& rs, long row, long column) -> long {
            modSheetFill::FillSheetFromRecordset(s, rs, static_cast<std::int32_t>(row),
                                                 static_cast<std::int16_t>(column),
                                                 modSheetFill::FormFields{form->Sheet(), form->Matrix()});
            return static_cast<long>(rs.recordCount());
        };
        aux = std::make_unique<clsAux>(std::move(ac));

        DSContext dc;
        dc.RevisionNumber = 12;
        dc.Objects = &factory;
        dc.Toolkit = &toolkit;
        dc.Dialogs = &dialogs;
        dc.CurrentTableName = [this] { return form->Name(); };
        ds = std::make_shared<clsDSAccess>(std::move(dc));
        ds->SetDatabasePath(path);
        if (!ds->ConnectDAO()) throw std::runtime_error("the test database did not open");
        ds->DetermineDbObjects(true);

        FormContext fc;
        fc.application = [this] { return ApplicationPtr(app); };
        fc.dataSource = [this] { return std::static_pointer_cast<IDS>(ds); };
        fc.aux = [this] { return aux.get(); };
        fc.dialogs = &dialogs;
        fc.progress = [this] { return progress; };
        form = std::make_unique<clsForm>(std::move(fc));
        form->SetSheet(formSheet);
        form->SetListsSheet(listsSheet);
    }

    // Position of a table in the catalogue's list (1-based), 0 when absent.
    int IndexOf(const std::string& table) const {
        auto names = ds->TableNames();
        for (std::size_t i = 1; i <= names->Count(); ++i)
            if (names->Item(i) == table) return static_cast<int>(i);
        return 0;
    }
    void ShowTable(const std::string& table) {
        const int i = IndexOf(table);
        if (i == 0) throw std::runtime_error("no table " + table);
        form->Show("", i);
    }
    Variant Cell(long row, long column) const { return formSheet->cells(row, column)->value(); }
    std::string Text(long row, long column) const { return formSheet->cells(row, column)->text(); }

    std::string path;
    std::shared_ptr<sheet::Application> app;
    WorkbookPtr book;
    WorksheetPtr formSheet;
    WorksheetPtr listsSheet;
    FakeSettings settings;
    ScriptedDialogs dialogs;
    ScriptedToolkit toolkit;
    EngineClassFactory<registerSqliteEngineClasses> factory;
    std::unique_ptr<clsAux> aux;
    std::shared_ptr<clsDSAccess> ds;
    IProgress* progress = nullptr;
    std::unique_ptr<clsForm> form;
};

using TempFolder = TempDir;

inline std::string FileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

} // namespace qv::test
