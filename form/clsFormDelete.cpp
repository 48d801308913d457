// Deleting the records of the selected rows, addressed by their keys as loaded. Only rows a
// person can see take part: rows the AutoFilter hides are never deleted with a selection that
// spans them. The deletions of one command run in one transaction, committed at the first
// failure, so the records deleted before it stay deleted, as statement by statement.
#include "form/clsForm.h"

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

namespace qv {

namespace {

constexpr const char* Source = "DeleteRows";

[[noreturn]] void prepared(int id, const Variant& arg = {}) {
    throw NumberedError(err::PreparedMessage, Source, modGlobalization::GetText(id, arg));
}

} // namespace

void clsForm::DeleteRows() {
    if (!mSheet || !mMatrix) return;
    IDS& ds = DataSource();
    ApplicationPtr app = App();
    if (!ds.Table().HasPrimaryKey()) prepared(72, Variant(mName));

    RangePtr selection = app->selection();
    const auto areas = selection ? selection->areas() : std::vector<RangePtr>{};
    if (areas.size() > 1) prepared(73);
    if (areas.empty() || !selection->worksheet() || selection->worksheet()->name() != mSheet->name())
        prepared(75);

    const long column = selection->column();
    const long firstRow = selection->row();
    const long lastRow = firstRow + selection->rowCount() - 1;
    std::vector<long> records;
    for (long row = firstRow; row <= lastRow; ++row) {
        RangePtr cell = mSheet->cells(row, column);
        const Variant locked = cell->locked();
        if (locked.isNull() || locked.toBool()) continue;
        if (cell->rowHidden()) continue;
        const long record = row - 1;
        const bool written = record >= 1 && mKeyValues.hasKeys(static_cast<std::size_t>(record - 1));
        if (record > mMatrix->LoadedCount() && !written) prepared(74);
        if (record > mMatrix->RecordCount()) continue;
        records.push_back(record);
    }
    if (records.empty()) prepared(75);

    std::string question = HasEdits() ? modGlobalization::GetText(16) : std::string();
    question += records.size() == 1
                    ? modGlobalization::GetText(76)
                    : modGlobalization::GetText(77, Variant(static_cast<std::int64_t>(records.size())));
    if (!mCtx.dialogs) throw NumberedError(err::ObjectNotSet, Source, "Object variable not set: dialogs");
    if (modErrors::ShowMessage(*mCtx.dialogs, question, modErrors::FlagsQuestion) != xl::AnswerYes)
        throw NumberedError(err::Cancelled, Source, "Cancelled");

    const auto& keyNames = ds.Table().PrimaryKeys();
    long total = 0;
    bool began = false;
    try {
        for (long record : records) {
            const KeyValueCollection& loaded = mKeyValues[static_cast<std::size_t>(record - 1)];
            clsRowSql::FieldValues keys;
            for (std::size_t k = 1; k <= keyNames.Count(); ++k)
                keys.emplace_back(&mMatrix->Field(keyNames.Item(k)), loaded.Item(k));
            const std::string sql = clsRowSql::BuildDelete(ds, mName, keys);
            if (!began) {
                ds.BeginTrans();
                began = true;
            }
            total += ds.ExecuteQuery(sql);
        }
        if (began) ds.CommitTrans();
    } catch (const NumberedError& e) {
        if (began) {
            try {
                ds.CommitTrans();
            } catch (const NumberedError&) {
                ds.RollbackTrans();
            }
        }
        if (e.number() == err::ForeignError && mCtx.dialogs) {
            std::string text = e.description();
            try {
                text = Aux().FormatDbError(e.description());
            } catch (const NumberedError&) {
            }
            modErrors::ShowMessage(*mCtx.dialogs, text, modErrors::FlagsInformation);
            return;
        }
        throw;
    }

    if (total > 0) Show(mName, 0);
    ds.DisconnectADO();
    Aux().ShowUserMessage(setting::ShowMessageDeletedRecords,
                          total == 1
                              ? modGlobalization::GetText(78)
                              : modGlobalization::GetText(79, Variant(static_cast<std::int64_t>(total))));
}

} // namespace qv
