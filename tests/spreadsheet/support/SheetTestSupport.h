// Shared helpers of the host tests: an application with scripted dialogs, an event recorder
// and a small in-memory record set.
#pragma once

#include "platform/NumberedError.h"
#include "platform/engine/AdoConstants.h"
#include "platform/engine/IAdoRecordset.h"
#include "spreadsheet/model/Application.h"
#include "spreadsheet/model/Range.h"
#include "spreadsheet/model/Workbook.h"
#include "spreadsheet/model/Worksheet.h"
#include "tests/support/ScriptedDialogs.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace qv::test {

struct HostFixture {
    ScriptedDialogs dialogs;
    std::shared_ptr<sheet::Application> app;
    std::shared_ptr<sheet::Workbook> book;
    std::shared_ptr<sheet::Worksheet> sheet;
    explicit HostFixture(sheet::Locale locale = sheet::Locale::English) {
        sheet::ApplicationOptions options;
        options.locale = locale;
        options.dialogs = &dialogs;
        // The host's own prompts, unanswered, are the person cancelling them.
        dialogs.dryAnswer = xl::AnswerCancel;
        dialogs.refuseUnscripted = false;
        app = sheet::Application::create(options);
        book = std::dynamic_pointer_cast<sheet::Workbook>(app->addWorkbook());
        sheet = std::dynamic_pointer_cast<sheet::Worksheet>(book->worksheet(1));
    }
};

class EventRecorder : public IApplicationEvents {
  public:
    struct Change {
        std::string sheet;
        std::string address;
    };
    std::vector<Change> changes;
    std::vector<std::string> activated;
    bool cancelSave = false, cancelClose = false;
    int saves = 0, closes = 0;
    void sheetChange(const WorksheetPtr& s, const RangePtr& target) override {
        changes.push_back({s->name(), target->address(false, false)});
    }
    void sheetActivate(const WorksheetPtr& s) override { activated.push_back(s->name()); }
    void workbookBeforeSave(const WorkbookPtr&, bool, bool& cancel) override {
        ++saves;
        cancel = cancelSave;
    }
    void workbookBeforeClose(const WorkbookPtr&, bool& cancel) override {
        ++closes;
        cancel = cancelClose;
    }
};

// Columns of values with ADO types; rows are read through valueAt as the bulk copy does.
class TestRecordset : public IAdoRecordset {
  public:
    struct Column {
        std::string name;
        int type;
        std::vector<Variant> values;
    };
    explicit TestRecordset(std::vector<Column> columns) : mColumns(std::move(columns)) {}
    int state() const override { return ado::StateOpen; }
    void close() override {}
    long long recordCount() const override {
        return mColumns.empty() ? 0 : static_cast<long long>(mColumns[0].values.size());
    }
    bool eof() const override { return mPos >= recordCount(); }
    bool bof() const override { return mPos < 0; }
    void moveFirst() override { mPos = 0; }
    void moveNext() override { ++mPos; }
    long long absolutePosition() const override { return eof() ? 0 : mPos + 1; }
    long fieldCount() const override { return static_cast<long>(mColumns.size()); }
    std::shared_ptr<IAdoField> field(long) const override { return nullptr; }
    std::shared_ptr<IAdoField> field(const std::string&) const override { return nullptr; }
    Variant valueAt(long long row, long column) const override { return mColumns[column].values[row]; }

  private:
    std::vector<Column> mColumns;
    long long mPos = 0;
};

// Runs f and answers the numbered error it raised (number 0 when none).
template <class F> NumberedError errorOf(F&& f) {
    try {
        f();
    } catch (const NumberedError& e) {
        return e;
    }
    return NumberedError(0, "", "");
}

} // namespace qv::test
