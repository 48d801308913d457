// Writing the edited rows back. Row states decide which rows are written, the edited fill
// colour which cells of such a row. All statements of one save run in one transaction that is
// committed at the first failure: the rows before it are written, the failing row and those
// after it stay marked with their colours, and nothing typed is lost. An UPDATE that finds no
// record (deleted or re-keyed by someone else meanwhile) is such a failure, not a success.
#include "form/clsForm.h"

#include "common/HostStateGuard.h"
#include "common/clsAux.h"
#include "common/clsSettings.h"
#include "common/modErrors.h"
#include "common/modGlobalization.h"
#include "datasource/IDS.h"
#include "datasource/ITable.h"
#include "form/clsMatrix.h"
#include "form/clsRowSql.h"
#include "platform/NumberedError.h"
#include "platform/host/HostConstants.h"

#include <algorithm>
#include <cctype>
#include <fmt/format.h>
#include <optional>

namespace qv {

namespace {

constexpr const char* Source = "WriteData";
constexpr int MsgNothingAltered = 86;
constexpr int MsgOneStored = 87;
constexpr int MsgManyStored = 88;
constexpr int MsgRecordNotFound = 89;

// A host that never reports ready must not hang the command.
void waitUntilReady(IApplication& app) {
    for (int i = 0; i < 10000 && !app.ready(); ++i)
        app.doEvents();
}

std::string lower(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return s;
}

// Why a save stopped, and where.
struct WriteFailure {
    NumberedError error;
    long record = 0;
    long field = -1; // the field to select, -1 for the row's first editable cell
    std::string sql;
};

class RecordNotFound : public NumberedError {
  public:
    explicit RecordNotFound(long row)
        : NumberedError(err::PreparedMessage, Source,
                        modGlobalization::GetText(MsgRecordNotFound, Variant(row))) {}
};

} // namespace

void clsForm::SetKeyValues(long record, KeyValueCollection values) {
    if (record < 1) throw NumberedError(err::SubscriptOutOfRange, "clsForm", "Subscript out of range");
    if (static_cast<std::size_t>(record) > mKeyValues.size())
        mKeyValues.resize(static_cast<std::size_t>(record));
    mKeyValues.set(static_cast<std::size_t>(record - 1), values);
}

void clsForm::WriteData() {
    if (!mSheet || !mMatrix) return;
    IDS& ds = DataSource();
    clsAux& aux = Aux();
    ApplicationPtr app = App();
    if (!ds.Table().HasPrimaryKey())
        throw NumberedError(err::PreparedMessage, Source, modGlobalization::GetText(72, Variant(mName)));
    waitUntilReady(*app);

    clsMatrix& matrix = *mMatrix;
    const long fieldCount = matrix.FieldCount();
    const long recordCount = matrix.RecordCount();
    mEditedColour = static_cast<long>(aux.GetSetting(setting::ColorMatrixBackEdited).toInt64());
    std::vector<bool> writable(static_cast<std::size_t>(fieldCount));
    for (long f = 0; f < fieldCount; ++f)
        writable[static_cast<std::size_t>(f)] = !matrix.Field(f).IsReadOnly();
    std::vector<const clsField*> keyFields;
    for (const std::string& key : ds.Table().PrimaryKeys())
        keyFields.push_back(&matrix.Field(key));

    // The rows whose statements succeeded inside the open transaction; clean once committed.
    std::vector<long> pending;
    std::vector<std::pair<long, KeyValueCollection>> insertedKeys;
    long updated = 0, inserted = 0;
    std::optional<WriteFailure> failure;
    bool inTransaction = false;

    const long lastState = std::min<long>(static_cast<long>(mRowStates.size()), recordCount);
    for (long i = 0; i < lastState && !failure; ++i) {
        if (mRowStates[static_cast<std::size_t>(i)] != "1") continue;
        const long record = i + 1;
        const bool existing =
            record <= matrix.LoadedCount() || mKeyValues.hasKeys(static_cast<std::size_t>(i));
        RangePtr row = matrix.CellOf(record, 0)->resize(1, fieldCount);
        const VariantMatrix values = row->values();
        clsRowSql::FieldValues edited;
        long current = -1;
        std::string sql;
        try {
            for (long f = 0; f < fieldCount; ++f) {
                if (!writable[static_cast<std::size_t>(f)]) continue;
                const Variant colour = row->cell(1, f + 1)->fillColor();
                if (colour.isNull() || colour.isEmpty() || colour.toInt64() != mEditedColour) continue;
                edited.emplace_back(&matrix.Field(f), values.at(0, static_cast<std::size_t>(f)));
            }
            if (edited.empty()) {
                // Only read-only cells were touched: there is nothing to write for the row.
                mRowStates[static_cast<std::size_t>(i)] = "0";
                continue;
            }
            // Convert every value first, so a refusal names its own field.
            for (const auto& [field, value] : edited) {
                current = field->Index();
                clsRowSql::CellToSql(ds, *field, value);
            }
            current = -1;
            clsRowSql::FieldValues keys;
            if (existing) {
                const KeyValueCollection& loaded = mKeyValues[static_cast<std::size_t>(i)];
                for (std::size_t k = 0; k < keyFields.size(); ++k)
                    keys.emplace_back(keyFields[k], loaded.Item(k + 1));
                sql = clsRowSql::BuildUpdate(ds, mName, edited, keys);
            } else {
                sql = clsRowSql::BuildInsert(ds, mName, edited);
            }
            if (!inTransaction) {
                ds.BeginTrans();
                inTransaction = true;
            }
            const std::int32_t affected = ds.ExecuteQuery(sql);
            if (existing && affected == 0) throw RecordNotFound(record + 1);
            (existing ? updated : inserted) += affected;
            pending.push_back(i);
            if (!existing) {
                // The written new row is addressed by its key from now on, so a later save
                // updates it instead of adding it a second time.
                KeyValueCollection written;
                for (const clsField* key : keyFields) {
                    auto it = std::find_if(edited.begin(), edited.end(),
                                           [key](const clsRowSql::FieldValue& e) { return e.first == key; });
                    if (it == edited.end()) {
                        written = KeyValueCollection();
                        break;
                    }
                    written.Add(key->Name(), it->second);
                }
                insertedKeys.emplace_back(record, std::move(written));
            }
        } catch (const NumberedError& e) {
            failure = WriteFailure{e, record, current, sql};
        }
    }

    if (inTransaction) {
        try {
            ds.CommitTrans();
        } catch (const NumberedError& e) {
            // Nothing of this save reached the file: every row keeps its mark.
            try {
                ds.RollbackTrans();
            } catch (const NumberedError&) {
            }
            const long first = pending.empty() ? 0 : pending.front() + 1;
            pending.clear();
            insertedKeys.clear();
            if (!failure) failure = WriteFailure{e, first, -1, {}};
        }
    }
    for (long i : pending)
        mRowStates[static_cast<std::size_t>(i)] = "0";

    if (!failure) {
        Show(mName, 0);
        ds.DisconnectADO();
        app->setStatusBar(modGlobalization::GetText(6));
        const long total = updated + inserted;
        aux.ShowUserMessage(setting::ShowMessageUpdatedRecords,
                            modGlobalization::GetText(total == 0   ? MsgNothingAltered
                                                      : total == 1 ? MsgOneStored
                                                                   : MsgManyStored));
        return;
    }

    // Stopped at a row: what was written is shown as written, what was not stays marked.
    try {
        HostStateGuard guard(app, HostStateGuard::OnExit::RestorePrevious);
        guard.quiet();
        mSheet->unprotect(clsAux::SheetPassword());
        guard.protectOnExit(mSheet, clsAux::SheetPassword());
        const FormColours colours = ReadColours();
        for (long i : pending) {
            RangePtr row = matrix.CellOf(i + 1, 0)->resize(1, fieldCount);
            FormatRows(*row, true);
        }
        for (auto& [record, keys] : insertedKeys) {
            if (!keys.empty()) {
                SetKeyValues(record, std::move(keys));
                continue;
            }
            // A key the database chose is not known until the next reload: the row is locked
            // so it cannot be edited, and therefore not added, a second time.
            RangePtr row = matrix.CellOf(record, 0)->resize(1, fieldCount);
            row->setFillColor(colours.readOnlyBack);
            row->setFontColor(colours.readOnlyFront);
            row->setLocked(true);
        }
        SetControlEnabled("Row Update", HasEdits());
        app->onKey("{F7}", HasEdits() ? "ThisWorkbook.WriteData" : "");
    } catch (const NumberedError&) {
        // The failure of the save is what the person needs to hear about.
    }
    ReportWriteFailure(failure->error, failure->record, failure->field, failure->sql);
}

void clsForm::ReportWriteFailure(const NumberedError& e, long record, long field, const std::string& sql) {
    if (!mCtx.dialogs) return;
    IDialogs& dialogs = *mCtx.dialogs;
    // Select where the person has to look.
    try {
        if (mMatrix && record >= 1 && record <= mMatrix->RecordCount()) {
            long column = field;
            if (column < 0)
                for (long f = 0; f < mMatrix->FieldCount() && column < 0; ++f)
                    if (!mMatrix->Field(f).IsReadOnly()) column = f;
            RangePtr cell = mMatrix->CellOf(record, std::max(0L, column));
            mSheet->activate();
            cell->select();
            ScrollIntoView(*cell);
        }
    } catch (const NumberedError&) {
    }
    if (e.number() != err::ForeignError) {
        modErrors::ReportError(dialogs, e, {.notImplementedAsCritical = true});
        return;
    }
    std::string text = e.description();
    try {
        text = Aux().FormatDbError(e.description());
    } catch (const NumberedError&) {
        // Without the edition's name the driver's own text is still the most useful.
    }
    if (lower(e.description()).find("syntax") != std::string::npos) text += "\r\rSQL:\r" + sql;
    text = LocateErrorField(record, text);
    modErrors::ShowMessage(dialogs, text, modErrors::FlagsInformation);
}

std::string clsForm::LocateErrorField(long record, const std::string& message) {
    std::string text = message;
    try {
        // The database names a column as "Table.Field"; the table is matched case-insensitively.
        const std::size_t at = lower(text).find(lower(mName));
        if (at == std::string::npos) return text;
        const std::size_t dot = text.find('.', at);
        if (dot == std::string::npos || dot == at) return text;
        const std::string tablePart = text.substr(at, dot - at);
        const std::size_t end = text.find(' ', dot + 1);
        std::string fieldName =
            text.substr(dot + 1, end == std::string::npos ? std::string::npos : end - dot - 1);
        while (!fieldName.empty() && std::string(".,;:'\")").find(fieldName.back()) != std::string::npos)
            fieldName.pop_back();
        if (fieldName.empty() || !mMatrix || !mMatrix->HasField(fieldName)) return text;
        const clsField& field = mMatrix->Field(fieldName);
        if (record >= 1 && record <= mMatrix->RecordCount()) {
            RangePtr cell = mMatrix->CellOf(record, field.Index());
            cell->select();
            ScrollIntoView(*cell);
        }
        const std::string prefix = tablePart + ".";
        for (std::size_t p = text.find(prefix); p != std::string::npos; p = text.find(prefix, p))
            text.erase(p, prefix.size());
        const std::string header = field.Caption().empty() ? field.Name() : field.Caption();
        for (std::size_t p = text.find(fieldName); p != std::string::npos;
             p = text.find(fieldName, p + header.size()))
            text.replace(p, fieldName.size(), header);
    } catch (const NumberedError&) {
    }
    return text;
}

} // namespace qv
