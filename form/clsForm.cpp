// Showing a table as the form: preparing the sheet, loading the matrix, colouring, locking,
// protecting and naming it. Every way out of Show leaves the sheet protected; a load that was
// cancelled or failed after the sheet was cleared leaves the form released, so that no command
// acts on a half-shown table.
#include "form/clsForm.h"

#include "common/AppConstants.h"
#include "common/ICB.h"
#include "common/clsAux.h"
#include "common/clsSettings.h"
#include "common/modErrors.h"
#include "common/modGlobalization.h"
#include "datasource/IDS.h"
#include "datasource/ITable.h"
#include "form/clsMatrix.h"
#include "form/modSheetFill.h"
#include "platform/IProgress.h"
#include "platform/NumberedError.h"
#include "platform/Utf8.h"
#include "platform/host/HostConstants.h"
#include "platform/host/IWorkbook.h"

#include <algorithm>

namespace qv {

namespace {

constexpr std::size_t SheetNameLimit = 31;
// Key rows read between two looks at the cancel flag: a look costs a clock read, a stretch of
// this many rows a few milliseconds.
constexpr std::size_t KeyRowsPerCheck = 65536;

[[noreturn]] void objectNotSet(const std::string& what) {
    throw NumberedError(err::ObjectNotSet, "clsForm", "Object variable not set: " + what);
}

bool isTrue(const Variant& v) {
    if (v.isBool()) return v.toBool();
    if (v.isString()) {
        std::string s = v.str();
        std::transform(s.begin(), s.end(), s.begin(),
                       [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        return s == "true";
    }
    return v.isNumber() && v.toDouble() != 0;
}

} // namespace

clsForm::clsForm(FormContext context) : mCtx(std::move(context)) {}

clsForm::~clsForm() = default;

ApplicationPtr clsForm::App() const {
    ApplicationPtr app = mCtx.application ? mCtx.application() : nullptr;
    if (!app) objectNotSet("application");
    return app;
}

IDS& clsForm::DataSource() const {
    std::shared_ptr<IDS> ds = mCtx.dataSource ? mCtx.dataSource() : nullptr;
    if (!ds) objectNotSet("data source");
    return *ds;
}

clsAux& clsForm::Aux() const {
    clsAux* aux = mCtx.aux ? mCtx.aux() : nullptr;
    if (!aux) objectNotSet("utilities");
    return *aux;
}

// --- state

void clsForm::SetRowState(long record, const std::string& state) {
    if (record < 1) throw ErrorCatalogue::make(err::SubscriptOutOfRange, "clsForm");
    if (static_cast<std::size_t>(record) > mRowStates.size())
        mRowStates.resize(static_cast<std::size_t>(record));
    mRowStates[static_cast<std::size_t>(record - 1)] = state;
}

const std::string& clsForm::RowState(long record) const {
    static const std::string clean;
    if (record < 1 || static_cast<std::size_t>(record) > mRowStates.size()) return clean;
    return mRowStates[static_cast<std::size_t>(record - 1)];
}

void clsForm::AppendRowState(const std::string& state) {
    mRowStates.push_back(state);
}

bool clsForm::HasEdits() const {
    return std::any_of(mRowStates.begin(), mRowStates.end(), [](const std::string& s) { return s == "1"; });
}

bool clsForm::AllowsChanges() const {
    if (!mMatrix) return false;
    std::shared_ptr<IDS> ds = mCtx.dataSource ? mCtx.dataSource() : nullptr;
    return ds && ds->Table().HasPrimaryKey();
}

void clsForm::Release() {
    mRowStates.assign(1, std::string());
    mKeyValues.clear();
    mMatrix.reset();
    mFilters.clear();
}

FormColours clsForm::ReadColours() const {
    clsAux& aux = Aux();
    auto c = [&aux](const char* name) { return static_cast<long>(aux.GetSetting(name).toInt64()); };
    FormColours k;
    k.formBack = c(setting::ColorFormBack);
    k.matrixFront = c(setting::ColorMatrixFront);
    k.titleBack = c(setting::ColorTitleBack);
    k.titleFront = c(setting::ColorTitleFront);
    k.matrixBack = c(setting::ColorMatrixBack);
    k.readOnlyBack = c(setting::ColorMatrixBackReadOnly);
    k.readOnlyFront = c(setting::ColorMatrixFrontReadOnly);
    k.editedBack = c(setting::ColorMatrixBackEdited);
    k.editedFront = c(setting::ColorMatrixFrontEdited);
    k.lines = c(setting::ColorMatrixLines);
    return k;
}

void clsForm::SetControlEnabled(const std::string& tag, bool enabled) {
    for (const auto& surface : {mCtx.menuBar, mCtx.commandBar}) {
        ICB* cb = surface ? surface() : nullptr;
        if (cb) Aux().SetControlEnabled(*cb, tag, enabled);
    }
}

// --- protected work

void clsForm::UnprotectForm() {
    ApplicationPtr app = App();
    if (auto book = mSheet->parent()) book->unprotectStructure(clsAux::SheetPassword());
    mSheet->unprotect(clsAux::SheetPassword());
    app->setScreenUpdating(false);
    app->setEnableEvents(false);
    app->setCalculation(xl::CalculationManual);
    app->setStatusBar(modGlobalization::GetText(5));
}

void clsForm::ProtectForm() {
    ApplicationPtr app = App();
    mSheet->protect(clsAux::SheetPassword(), true, true);
    if (auto book = mSheet->parent()) book->protectStructure(clsAux::SheetPassword());
    app->setCalculation(xl::CalculationAutomatic);
    app->setEnableEvents(true);
    app->setScreenUpdating(true);
    app->setStatusBar(modGlobalization::GetText(6));
}

// --- show

std::string clsForm::ObjectName(int index) const {
    if (index >= 1) {
        NameCollectionPtr names = DataSource().TableNames();
        if (!names || static_cast<std::size_t>(index) > names->Count())
            throw ErrorCatalogue::make(err::SubscriptOutOfRange, "clsForm");
        return names->Item(static_cast<std::size_t>(index));
    }
    ApplicationPtr app = App();
    auto bars = app->commandBars();
    CommandBarControlPtr control = bars ? bars->actionControl() : nullptr;
    if (!control) throw NumberedError(err::InvalidProcedureCall, "clsForm", "No table was picked");
    return control->parameter();
}

std::string clsForm::SheetNameFor(const std::string& object) const {
    // The host refuses these characters and a leading or trailing apostrophe in a sheet name;
    // a table name may hold any of them.
    std::string clean;
    for (char c : object)
        clean += std::string(":\\/?*[]").find(c) == std::string::npos ? c : '_';
    if (!clean.empty() && clean.front() == '\'') clean.front() = '_';
    const std::string suffix = " " + modGlobalization::GetText(8);
    auto taken = [this](const std::string& candidate) {
        auto book = mSheet->parent();
        WorksheetPtr other = book ? book->findWorksheet(candidate) : nullptr;
        return other && other->name() != mSheet->name();
    };
    for (int n = 1; n < 1000; ++n) {
        const std::string tail = n == 1 ? suffix : suffix + " (" + std::to_string(n) + ")";
        const std::size_t room =
            SheetNameLimit > Utf8::utf16Length(tail) ? SheetNameLimit - Utf8::utf16Length(tail) : 0;
        std::string candidate = std::string(Utf8::prefixUnits(clean, room)) + tail;
        if (!taken(candidate)) return candidate;
    }
    return std::string(Utf8::prefixUnits(clean, SheetNameLimit));
}

void clsForm::Show(const std::string& name, int index) {
    if (!mSheet) objectNotSet("form sheet");
    IDS& ds = DataSource();
    const bool reload = !name.empty() && mMatrix != nullptr;
    const std::string object = name.empty() ? ObjectName(index) : name;
    if (name.empty() && HasEdits()) {
        if (!mCtx.dialogs) objectNotSet("dialogs");
        if (modErrors::ShowMessage(*mCtx.dialogs, modGlobalization::GetText(20, Variant(object)),
                                   modErrors::FlagsQuestion) != xl::AnswerYes)
            return;
    }
    ApplicationPtr app = App();
    std::string selection;
    if (reload) {
        RangePtr current = app->selection();
        if (current && current->worksheet() && current->worksheet()->name() == mSheet->name())
            selection = current->address();
        if (isTrue(Aux().GetSetting(setting::DisplayFilter))) SaveFilter();
    }
    mName = object;
    // Showing a table is no change of the person's: closing right after it asks nothing.
    WorkbookPtr book = mSheet->parent();
    const bool saved = book ? book->saved() : true;
    UnprotectForm();
    try {
        PrepareSheet();
        if (!reload) {
            mMatrix = std::make_unique<clsMatrix>(*this);
            mRowStates.assign(1, std::string());
            ds.Table().Initialize();
        } else if (mListsSheet) {
            // The reload builds every list again; appending them would fill the lists sheet.
            mMatrix->Names().InitListsSheet();
        }
        Aux().ApplyFreezeTopRow(*mSheet);
        LoadData(!reload, "SELECT * FROM " + clsAux::QuoteName(mName));
        if (reload && isTrue(Aux().GetSetting(setting::DisplayFilter))) RestoreFilter();
        FormatMatrix(!reload, selection);
        mSheet->setName(SheetNameFor(mName));
        if (mCtx.updateCommandSurfaces) mCtx.updateCommandSurfaces();
        SetControlEnabled("Row Update", false);
        app->resetKey("{F7}");
        ds.DisconnectADO();
        ds.DisconnectDAO();
        ProtectForm();
    } catch (...) {
        EndShowReleased();
        if (book) book->setSaved(saved);
        throw;
    }
    if (book) book->setSaved(saved);
}

// A show that did not complete: nothing of the half-loaded table may be edited or written.
void clsForm::EndShowReleased() {
    Release();
    try {
        SetControlEnabled("Row Update", false);
        App()->resetKey("{F7}");
        if (std::shared_ptr<IDS> ds = mCtx.dataSource ? mCtx.dataSource() : nullptr) {
            ds->DisconnectADO();
            ds->DisconnectDAO();
        }
    } catch (const NumberedError&) {
        // The first failure is the one to report; protecting the sheet still has to happen.
    }
    ProtectForm();
}

void clsForm::PrepareSheet() {
    clsAux& aux = Aux();
    ApplicationPtr app = App();
    mSheet->activate();
    if (mSheet->autoFilterMode()) mSheet->setAutoFilterMode(false);
    mSheet->setDisplayHeadings(isTrue(aux.GetSetting(setting::DisplayHeadings)));
    mSheet->setDisplayZeros(isTrue(aux.GetSetting(setting::DisplayZeros)));
    mSheet->freezePanes(0, 0);
    RangePtr used = mSheet->usedRange();
    const long lastRow = used->row() + used->rowCount() - 1;
    const long lastColumn = used->column() + used->columnCount() - 1;
    mSheet->rows(1, std::max(1L, lastRow))->deleteCells();
    mSheet->columns(1, std::max(1L, lastColumn))->deleteCells();
    const FormColours k = ReadColours();
    RangePtr all = mSheet->allCells();
    all->setFillColor(k.formBack);
    all->setFontColor(k.matrixFront);
    if (mSheet->name() != APP_NAME) {
        auto book = mSheet->parent();
        if (!book || !book->findWorksheet(std::string(APP_NAME))) mSheet->setName(std::string(APP_NAME));
    }
    mSheet->setScrollRow(1);
    mSheet->setScrollColumn(1);
    app->setMoveAfterReturn(true);
    app->setMoveAfterReturnDirection(xl::DirectionRight);
    if (auto bars = app->commandBars())
        if (CommandBarPtr pane = bars->find("Task Pane")) pane->setVisible(false);
}

void clsForm::LoadData(bool newObject, const std::string& sql) {
    IProgress* progress = mCtx.progress ? mCtx.progress() : nullptr;
    AdoRecordsetPtr rs = mMatrix->LoadMatrix(*mSheet, sql, newObject, progress);
    if (isTrue(Aux().GetSetting(setting::DisplayFilter))) mMatrix->DataRange()->autoFilter();
    const auto n = static_cast<std::size_t>(std::max<std::int32_t>(0, mMatrix->RecordCount()));
    mRowStates.assign(std::max<std::size_t>(n, 1), std::string());
    if (n == 0) mRowStates.assign(1, std::string());
    const auto& keys = DataSource().Table().PrimaryKeys();
    std::vector<std::string> keyNames;
    for (std::size_t k = 1; k <= keys.Count(); ++k)
        keyNames.push_back(keys.Item(k));
    mKeyValues.reset(std::move(keyNames), n);
    if (!keys.empty() && n > 0) {
        // Key values are read by position, typed as loaded: a key is compared and quoted by
        // its column's type, never by how the cell happens to display it.
        std::vector<long> columns;
        for (const std::string& key : keys) {
            long column = -1;
            for (long i = 0; i < rs->fieldCount(); ++i)
                if (rs->field(i)->name() == key) column = i;
            if (column < 0) throw NumberedError(3265, "clsForm", "Item not found in this collection: " + key);
            columns.push_back(column);
        }
        for (std::size_t r = 0; r < n; ++r) {
            if (r % KeyRowsPerCheck == 0) CheckCancelled();
            for (std::size_t k = 0; k < columns.size(); ++k)
                mKeyValues.setValue(r, k, rs->valueAt(static_cast<long long>(r), columns[k]));
        }
    }
    DataSource().CloseRecordSet(rs);
}

void clsForm::CheckCancelled() const {
    IProgress* progress = mCtx.progress ? mCtx.progress() : nullptr;
    if (progress && progress->Cancelled())
        throw NumberedError(ProgressCancelled, std::string(APP_TITLE), "Cancelled by the user");
}

void clsForm::ApplyFormLayout() {
    std::vector<ColumnProperties> columns;
    for (const auto& f : mMatrix->Fields())
        columns.push_back(ColumnProperties{f->ColumnHidden(), f->ColumnWidth()});
    Aux().ApplyFormFormat(*mMatrix->DataRange(), columns);
}

void clsForm::FormatMatrix(bool newObject, const std::string& selection) {
    RangePtr matrix = mMatrix->DataRange();
    CheckCancelled();
    if (DataSource().Table().HasPrimaryKey()) {
        FormatRows(*matrix, false);
        CheckCancelled();
        ApplyFormLayout();
        CheckCancelled();
        mSheet->setEnableSelection(xl::SelectionUnlockedCells);
        if (mMatrix->RecordCount() > 0)
            for (const auto& f : mMatrix->Fields()) {
                mMatrix->FinalizeColumnData(false, *f);
                CheckCancelled();
            }
        if (newObject || selection.empty()) {
            RangePtr first;
            if (mMatrix->RecordCount() > 0)
                for (long i = 0; i < mMatrix->FieldCount() && !first; ++i)
                    if (!mMatrix->Field(i).IsReadOnly()) first = mMatrix->CellOf(1, i);
            if (!first) first = mSheet->cells(1, 1);
            first->select();
            ScrollIntoView(*first);
        } else {
            mSheet->activate();
            RangePtr chosen = mSheet->range(selection);
            chosen->select();
            ScrollIntoView(*chosen->cell(1, 1));
        }
    } else {
        ApplyFormLayout();
        mSheet->setEnableSelection(xl::SelectionNoRestrictions);
        Aux().ShowUserMessage(setting::ShowMessageNoPrimaryKey,
                              modGlobalization::GetText(72, Variant(mName)));
    }
    ShowFieldDescriptions();
}

void clsForm::FormatRows(IRange& range, bool newRow) {
    const FormColours k = ReadColours();
    // The data cells: below the header for the matrix, the one row for a new row.
    RangePtr data;
    if (newRow) {
        data = range.rowAt(range.rowCount());
    } else {
        if (range.rowCount() < 2) return;
        data = range.cell(1, 1)->offset(1, 0)->resize(range.rowCount() - 1, range.columnCount());
    }
    data->setFillColor(k.matrixBack);
    data->setFontColor(k.matrixFront);
    data->setLocked(false);
    for (const auto& f : mMatrix->Fields()) {
        if (!f->IsReadOnly()) continue;
        RangePtr column = data->columnAt(f->Index() + 1);
        column->setFillColor(k.readOnlyBack);
        column->setFontColor(k.readOnlyFront);
        column->setLocked(true);
    }
}

void clsForm::ScrollIntoView(IRange& cell) {
    if (cell.row() >= 21) mSheet->setScrollRow(cell.row() - 10);
    if (cell.column() >= 11) mSheet->setScrollColumn(cell.column() - 5);
}

void clsForm::ShowFieldDescriptions() {
    const bool show = isTrue(Aux().GetSetting(setting::DisplayFieldDescription));
    for (const auto& f : mMatrix->Fields()) {
        RangePtr cell = f->Cell();
        if (!cell) continue;
        if (cell->comment()) cell->clearComments();
        if (!show || f->Description().empty()) continue;
        auto comment = cell->addComment(f->Description());
        // The host's default note is 96 by 55.5 points; the description box is wider and lower.
        comment->setShapeSize(96 * 1.6, 55.5 * 0.7);
        comment->setFillColor(0xE1FFFF); // scheme colour 9, the host's note yellow
        comment->setFontSize(10);
    }
}

// --- filters

void clsForm::SaveFilter() {
    mFilters.clear();
    if (!mSheet->autoFilterMode() || !mSheet->filterMode()) return;
    for (long i = 1; i <= mSheet->filterCount(); ++i) {
        FilterState s = mSheet->filter(i);
        clsFilter f;
        f.Init(static_cast<std::int16_t>(i), s.on, s.criteria1, s.op,
               s.op != 0 ? s.criteria2 : std::string());
        mFilters.push_back(f);
    }
}

void clsForm::RestoreFilter() {
    if (!mMatrix) return;
    RangePtr matrix = mMatrix->DataRange();
    for (const clsFilter& f : mFilters) {
        if (!f.On() || f.Field() > mMatrix->FieldCount()) continue;
        const int op = f.Operator() != 0 ? f.Operator() : xl::FilterAnd;
        matrix->autoFilter(f.Field(), f.Criteria1(), op, f.Criteria2());
    }
}

// --- refresh, close, before save

void clsForm::Refresh() {
    if (!mMatrix || mName.empty()) return;
    if (HasEdits()) {
        if (!mCtx.dialogs) objectNotSet("dialogs");
        if (modErrors::ShowMessage(*mCtx.dialogs, modGlobalization::GetText(21), modErrors::FlagsQuestion) !=
            xl::AnswerYes)
            return;
    }
    ApplicationPtr app = App();
    // A host that never becomes ready must not hang the command.
    for (int i = 0; i < 10000 && !app->ready(); ++i)
        app->doEvents();
    Show(mName, 0);
}

void clsForm::Close() {
    if (!mSheet) return;
    if (auto book = mSheet->parent()) book->close(false);
}

void clsForm::ClearFormatting() {
    if (!mSheet) return;
    ApplicationPtr app = App();
    app->setScreenUpdating(false);
    try {
        if (auto book = mSheet->parent()) book->unprotectStructure(clsAux::SheetPassword());
        mSheet->unprotect(clsAux::SheetPassword());
        RangePtr all = mSheet->allCells();
        all->setFillColorIndex(xl::ColorNone);
        all->setFontColorIndex(0);
        if (mMatrix && mMatrix->DataRange()) Aux().ApplyHeaderFormat(*mMatrix->DataRange());
    } catch (...) {
        app->setScreenUpdating(true);
        throw;
    }
    app->setScreenUpdating(true);
}
// The settings dialog's Apply and OK: the shown table takes the new colours, header, borders,
// column layout and frozen panes at once, without reloading it.
void clsForm::ApplySettings() {
    if (!mSheet || !mMatrix) return;
    UnprotectForm();
    try {
        FormatRows(*mMatrix->DataRange(), false);
        ApplyFormLayout();
        Aux().ApplyFreezeTopRow(*mSheet);
    } catch (...) {
        ProtectForm();
        throw;
    }
    ProtectForm();
}

} // namespace qv
