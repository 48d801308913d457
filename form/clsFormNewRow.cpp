// New rows: one empty record row below the matrix, filled with the columns' default values.
// The defaults do not mark the row; the filler remembers what it wrote so the sheet-change
// handling can tell a person's typing from the defaults, and an untouched new row is never
// written.
#include "form/clsForm.h"

#include "common/HostStateGuard.h"
#include "common/ICB.h"
#include "common/clsAux.h"
#include "common/modGlobalization.h"
#include "datasource/IDS.h"
#include "datasource/ITable.h"
#include "datasource/modDataTypes.h"
#include "form/clsMatrix.h"
#include "form/modSheetFill.h"
#include "platform/IShell.h"
#include "platform/NumberedError.h"
#include "platform/OleDateTime.h"
#include "platform/host/HostConstants.h"

#include <algorithm>
#include <cctype>
#include <ctime>
#include <random>

namespace qv {

namespace {

std::string trimmedLower(const std::string& s) {
    const auto first = s.find_first_not_of(' ');
    if (first == std::string::npos) return {};
    std::string t = s.substr(first, s.find_last_not_of(' ') - first + 1);
    std::transform(t.begin(), t.end(), t.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return t;
}

DateTimeParts localNow() {
    const std::time_t t = std::time(nullptr);
    std::tm tm{};
    localtime_r(&t, &tm);
    DateTimeParts p;
    p.year = tm.tm_year + 1900;
    p.month = tm.tm_mon + 1;
    p.day = tm.tm_mday;
    p.hour = tm.tm_hour;
    p.minute = tm.tm_min;
    p.second = tm.tm_sec;
    return p;
}

// The value a default expression stands for in a new row; empty when the column gets none.
Variant defaultFor(const clsField& field, IShell* shell) {
    const Variant& stored = field.DefaultValue();
    if (stored.isEmpty() || stored.isNull()) return {};
    if (field.TypeADO() == 11) {
        if (stored.isNumber() || stored.isBool()) return Variant(stored.toDouble() != 0.0);
        std::string d = trimmedLower(stored.toString());
        d.erase(std::remove(d.begin(), d.end(), '"'), d.end());
        if (d.empty()) return {};
        return Variant(d == "waar" || d == "ja" || d == "true" || d == "yes");
    }
    if (field.IsAutoIncr()) return {};
    const std::string d = trimmedLower(stored.toString());
    if (d.empty()) return {};
    const DateTimeParts now = localNow();
    DateTimeParts today = now;
    today.hour = today.minute = today.second = 0;
    DateTimeParts clock;
    clock.hour = now.hour;
    clock.minute = now.minute;
    clock.second = now.second;
    if (d == "now()" || d == "current_timestamp") return Variant(OleDate{OleDateTime::fromParts(now)});
    if (d == "date()" || d == "getdate" || d == "getutcdate")
        return Variant(OleDate{OleDateTime::fromParts(today)});
    if (d == "time()") return Variant(OleDate{OleDateTime::fromParts(clock)});
    if (d == "year(now())" || d == "year(date())") return Variant(now.year);
    if (d == "month(now())" || d == "month(date())") return Variant(now.month);
    if (d == "day(now())" || d == "day(date())") return Variant(now.day);
    if (d == "newid") {
        if (!shell)
            throw NumberedError(err::ObjectNotSet, "FormatNewFields", "Object variable not set: shell");
        return Variant(shell->newGuid());
    }
    if (d == "rand") {
        std::mt19937_64 generator{std::random_device{}()};
        return Variant(std::uniform_real_distribution<double>(0.0, 1.0)(generator));
    }
    if (d.find('(') != std::string::npos) return {};
    std::string text = stored.isString() ? stored.str() : stored.toString();
    text.erase(std::remove(text.begin(), text.end(), '"'), text.end());
    // A text column's default is text even where the catalogue stored it as a number.
    if (stored.isNumber() && !HoldsTypedText(field.TypeADO())) return stored;
    return Variant(text);
}

} // namespace

const std::vector<Variant>& clsMatrix::NewRowDefaults(long record) const {
    static const std::vector<Variant> none;
    auto it = mNewRowDefaults.find(record);
    return it == mNewRowDefaults.end() ? none : it->second;
}

void clsMatrix::FormatNewFields() {
    std::vector<Variant> written(mFieldArray.size());
    for (const auto& field : mFieldArray) {
        CellOf(1, field->Index())->setFontBold(false);
        RangePtr cell = CellOf(mRecordCount, field->Index());
        // The first row of an empty table has no row above to take the text format from.
        if (HoldsTypedText(field->TypeADO()) &&
            modSheetFill::AccessNumberFormat(field->Format(), field->TypeADO()).empty())
            cell->setNumberFormat("@");
        const Variant value = defaultFor(*field, mForm.Context().shell);
        if (!value.isEmpty()) {
            // Text goes in as a constant: a default that starts with "=" must not become a formula.
            if (value.isString() && !value.str().empty() && value.str().front() == '=')
                cell->setFormula("'" + value.str());
            else
                cell->setValue(value);
            written[static_cast<std::size_t>(field->Index())] = cell->value();
        }
        FinalizeColumnData(true, *field);
    }
    mNewRowDefaults[mRecordCount] = std::move(written);
}

void clsForm::AddRow() {
    if (!mSheet || !mMatrix) return;
    ApplicationPtr app = App();
    if (!DataSource().Table().HasPrimaryKey())
        throw NumberedError(err::PreparedMessage, "AddRow", modGlobalization::GetText(72, Variant(mName)));
    for (int i = 0; i < 10000 && !app->ready(); ++i)
        app->doEvents();

    HostStateGuard guard(app, HostStateGuard::OnExit::SwitchOn);
    mSheet->unprotect(clsAux::SheetPassword());
    guard.protectOnExit(mSheet, clsAux::SheetPassword());
    guard.quiet();

    clsMatrix& matrix = *mMatrix;
    matrix.SetRecordCount(matrix.RecordCount() + 1);
    const long record = matrix.RecordCount();
    // RowStates starts with one empty element for an empty table; it has one per record after.
    if (static_cast<long>(mRowStates.size()) < record) mRowStates.resize(static_cast<std::size_t>(record));
    mSheet->rows(record + 1, record + 1)->insertCells();
    RangePtr range = matrix.DataRange();
    matrix.SetDataRange(range->resize(range->rowCount() + 1, range->columnCount()));
    RangePtr newRow = mSheet->rangeOf(record + 1, 1, record + 1, matrix.FieldCount());
    FormatRows(*newRow, true);
    Aux().ApplyMatrixBorders(*newRow);
    matrix.FormatNewFields();

    RangePtr first;
    for (long f = 0; f < matrix.FieldCount() && !first; ++f)
        if (!matrix.Field(f).IsReadOnly()) first = matrix.CellOf(record, f);
    if (first) {
        first->select();
        ScrollIntoView(*first);
    }
    for (const auto& surface : {mCtx.menuBar, mCtx.commandBar}) {
        ICB* cb = surface ? surface() : nullptr;
        if (cb) Aux().SetHotKeys(*cb, true);
    }
}

} // namespace qv
