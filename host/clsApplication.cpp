#include "host/clsApplication.h"

#include "common/AppConstants.h"
#include "common/CommandTrap.h"
#include "common/ISettings.h"
#include "common/clsAux.h"
#include "common/clsRegistry.h"
#include "common/clsSettings.h"
#include "common/frmSettings.h"
#include "common/modErrors.h"
#include "common/modGlobalization.h"
#include "datasource/CommandContext.h"
#include "datasource/DSContext.h"
#include "datasource/IDS.h"
#include "datasource/clsCommand.h"
#include "datasource/clsDSAccess.h"
#include "form/clsForm.h"
#include "form/modSheetFill.h"
#include "host/Globals.h"
#include "host/clsCommandBar.h"
#include "host/clsExcel.h"
#include "host/clsMenuBarControl.h"
#include "platform/IDialogs.h"
#include "platform/IRegistryStore.h"
#include "platform/IShell.h"
#include "platform/NameQuote.h"
#include "platform/NumberedError.h"
#include "platform/host/HostConstants.h"

#include <fmt/format.h>

namespace qv {

namespace {
[[noreturn]] void noSuchVersion() {
    throw NumberedError(err::NotImplemented, std::string(APP_TITLE), "No such version!");
}

// The registry-backed store seen through the face the common services use.
class SettingsFace : public ISettings {
  public:
    explicit SettingsFace(clsSettings& s) : mS(s) {}
    Variant GetSetting(const std::string& name) override { return mS.GetSetting(name); }
    void SaveSetting(int type, const std::string& name, const Variant& v) override {
        mS.SaveSetting(static_cast<std::uint32_t>(type), name, v);
    }
    Variant ReadSetting(const std::string& name) override { return mS.ReadSetting(name); }
    bool IsMessageEnabled(const std::string& name) override { return mS.IsMessageEnabled(name); }

  private:
    clsSettings& mS;
};

// The host's version text as a number ("12.0" is 12), compared as the automation model compares
// text with a number: a text that is no number is a type mismatch (13), never a foreign error.
double HostVersion(IApplication& app) {
    return Variant(app.version()).toDouble();
}

std::int16_t revisionOf(const WorkbookPtr& wb) {
    if (!wb) return 0;
    const Variant v = wb->builtinProperty("Revision Number");
    if (v.isEmpty() || !v.isNumeric()) return 0;
    const std::int64_t r = v.toInt64();
    if (r < INT16_MIN || r > INT16_MAX) throw ErrorCatalogue::make(err::Overflow, std::string(APP_TITLE));
    return static_cast<std::int16_t>(r);
}
} // namespace

clsApplication::clsApplication(const PlatformServices& services) : mServices(services) {
    auto app = [this] { return ExcelApp(); };
    auto aux = [this] { return mAux.get(); };
    FormContext formContext;
    formContext.application = app;
    formContext.dataSource = [this] { return mDataSource; };
    formContext.aux = aux;
    formContext.dialogs = mServices.dialogs;
    formContext.shell = mServices.shell;
    formContext.menuBar = [this]() -> ICB* { return mMenuBar.get(); };
    formContext.commandBar = [this]() -> ICB* { return mCommandBar.get(); };
    formContext.progress = [this] { return mServices.progress; };
    formContext.updateCommandSurfaces = [] {
        if (goExcelEvents) goExcelEvents->RefreshStates();
    };
    mForm = std::make_unique<clsForm>(std::move(formContext));
    CommandContext commands;
    commands.Application = app;
    commands.DataSource = [this] { return mDataSource; };
    commands.Aux = nullptr; // set below, once the utilities exist
    commands.Dialogs = mServices.dialogs;
    commands.FormSheet = [this] { return mForm->Sheet(); };
    commands.FillSheetFromRecordset = [this](const WorksheetPtr& sheet, const AdoRecordsetPtr& rs,
                                             std::int32_t row, std::int16_t column) {
        return FillSheetFromRecordset(*sheet, *rs, row, column);
    };
    commands.MenuBar = [this]() -> ICB* { return mMenuBar.get(); };
    commands.ToolBar = [this]() -> ICB* { return mCommandBar.get(); };
    commands.DataSourceKind = [this] { return DataSourceKind(); };
    mMenuBar = std::make_unique<clsMenuBarControl>(app, aux, [this] { return DataSourceKind(); });
    mCommandBar = std::make_unique<clsCommandBar>(app, aux, *mMenuBar);
    if (!mServices.registry)
        throw NumberedError(err::ObjectNotSet, std::string(APP_TITLE), "No registry store was given");
    mRegistry = std::make_unique<clsRegistry>(*mServices.registry, mServices.shell);
    mSettings = std::make_unique<clsSettings>(*mServices.registry, mServices.shell,
                                              [] { return static_cast<int>(revisionOf(goAddinWorkbook)); });
    mSettingsFace = std::make_unique<SettingsFace>(*mSettings);

    AuxContext ctx;
    ctx.application = app;
    ctx.addinWorkbook = [] { return goAddinWorkbook; };
    ctx.settings = mSettingsFace.get();
    ctx.dialogs = mServices.dialogs;
    ctx.toolkit = mServices.toolkit;
    ctx.objects = mServices.objects;
    ctx.shell = mServices.shell;
    ctx.registry = mServices.registry;
    ctx.formIsOpen = [this] { return mForm->Sheet() != nullptr; };
    ctx.formAllowsChanges = [this] { return mForm->AllowsChanges(); };
    ctx.formSheet = [this] { return mForm->Sheet(); };
    ctx.openWebPage = [this](const std::string& a) { ShellOpen(a); };
    ctx.fillSheetFromRecordset = [this](IWorksheet& sheet, IAdoRecordset& rs, long row, long column) -> long {
        FillSheetFromRecordset(sheet, rs, static_cast<std::int32_t>(row), static_cast<std::int16_t>(column));
        return static_cast<long>(rs.recordCount());
    };
    mAux = std::make_unique<clsAux>(std::move(ctx));
    commands.Aux = mAux.get();
    mCommand = std::make_unique<clsCommand>(std::move(commands));
}

clsApplication::~clsApplication() {
    // The owned objects go in the order the controller lists them; the menu removes itself.
    mForm.reset();
    mCommand.reset();
    mMenuBar.reset();
    mCommandBar.reset();
    mRegistry.reset();
    mAux.reset();
}

ApplicationPtr clsApplication::ExcelApp() const {
    if (goExcelEvents) return goExcelEvents->ExcelApp();
    return goAddinWorkbook ? goAddinWorkbook->application() : nullptr;
}

std::int16_t clsApplication::RevisionNumber() const {
    return revisionOf(goAddinWorkbook);
}

int clsApplication::DataSourceKind() const {
    switch (RevisionNumber()) {
    case 11:
    case 12:
        return 0;
    case 21:
    case 22:
        return 1;
    default:
        noSuchVersion();
    }
}

std::string clsApplication::DataSourceKindName(int kind) {
    if (kind == 0) return "MS Access";
    if (kind == 1) return "MS SQL Server";
    return {};
}

RangePtr clsApplication::FillSheetFromRecordset(IWorksheet& sheet, IAdoRecordset& rs, std::int32_t row,
                                                std::int16_t column) {
    // Result sheets and lookup lists can be as long as a table: they report and stop at Cancel too.
    return modSheetFill::FillSheetFromRecordset(sheet, rs, row, column,
                                                modSheetFill::FormFields{mForm->Sheet(), mForm->Matrix()},
                                                mServices.progress);
}

bool clsApplication::FormIsLoaded() const {
    return DataSourceExists() && mForm->HasMatrix();
}

template <class F> bool clsApplication::guarded(F&& f) {
    return CommandTrap::Run(mServices.dialogs, ExcelApp(), std::string(APP_TITLE), std::forward<F>(f));
}

void clsApplication::Initialize() {
    mMenuBar->AddObject();
    if (IsFirstRun())
        InitializeFirstRun();
    else
        mCommandBar->Create(false);

    ApplicationPtr app = ExcelApp();
    switch (RevisionNumber()) {
    case 11:
    case 21:
        if (HostVersion(*app) > 11) {
            if (auto p = mMenuBar->Object().popup) p->setVisible(true);
            if (auto b = mCommandBar->Object().bar) b->setVisible(false);
        }
        break;
    case 12:
    case 22:
        if (auto p = mMenuBar->Object().popup) p->setVisible(false);
        if (auto b = mCommandBar->Object().bar) b->setVisible(false);
        break;
    default:
        noSuchVersion();
    }
    ReportDamagedSettings();
}

void clsApplication::ReportDamagedSettings() {
    // The store started afresh, so every setting is back at its default; the person hears of
    // it once, with where the old file is, in case it can be rescued.
    const std::string kept = mServices.registry->damagedFileKeptAs();
    if (kept.empty() || !mServices.dialogs) return;
    modErrors::ShowMessage(*mServices.dialogs, modGlobalization::GetText(230, Variant(kept)),
                           modErrors::FlagsExclamation);
}

bool clsApplication::IsFirstRun() {
    const Variant v = mSettingsFace->ReadSetting(setting::Version);
    return v.isEmpty() || (v.isString() && v.str().empty());
}

void clsApplication::InitializeFirstRun() {
    mCommandBar->Create(true);
    mSettingsFace->SaveSetting(static_cast<int>(reg::REG_SZ), setting::Version, Variant(LIBRARY_VERSION));
}

void clsApplication::ShowFirstMessage() {
    using modGlobalization::GetText;
    ApplicationPtr app = ExcelApp();
    std::string hint;
    const std::int16_t revision = RevisionNumber();
    switch (revision) {
    case 11:
    case 21:
        if (HostVersion(*app) > 11) {
            if (mSettingsFace->IsMessageEnabled(setting::ShowMessageSelectDb)) {
                const std::string edition = std::string(APP_TITLE) + (revision == 11 ? " LT" : " PX");
                const int answer =
                    modErrors::ShowMessage(*mServices.dialogs, GetText(13, Variant(edition)),
                                           xl::MsgYesNo + xl::MsgExclamation + xl::MsgSetForeground);
                if (answer == xl::AnswerYes) ShellOpen(std::string(PRODUCT_PAGE));
            }
            hint = GetText(14);
        } else {
            hint = GetText(11);
        }
        break;
    case 12:
    case 22:
        hint = GetText(12);
        break;
    default:
        noSuchVersion();
    }
    mAux->ShowUserMessage(setting::ShowMessageSelectDb, hint);
}

void clsApplication::GetDatabase() {
    using modGlobalization::GetText;
    ApplicationPtr app;
    bool started = false;
    // Whatever happens once the host was switched off, it is switched on again, the
    // connections are closed and the interface protected.
    auto finish = [&] {
        if (!started) return;
        try {
            if (mDataSource) {
                mDataSource->DisconnectDAO();
                mDataSource->DisconnectADO();
            }
        } catch (const NumberedError&) {
            // Closing is best effort; the next task reopens what it needs.
        }
        try {
            ProtectInterface();
        } catch (const NumberedError&) {
            // A sheet the person closed meanwhile has nothing left to protect.
        }
        app->setScreenUpdating(true);
        app->setEnableEvents(true);
        app->setDisplayAlerts(true);
        app->setStatusBar(GetText(6));
    };
    guarded([&] {
        if (mForm->HasChanges()) {
            const int answer =
                modErrors::ShowMessage(*mServices.dialogs, GetText(17), modErrors::FlagsQuestion);
            if (answer == xl::AnswerNo) return;
        }
        if (!OpenDataSource()) return;
        app = ExcelApp();
        if (!app) throw NumberedError(err::ObjectNotSet, std::string(APP_TITLE), "The host is not known yet");
        app->setStatusBar(GetText(5));
        app->setScreenUpdating(false);
        app->setEnableEvents(false);
        app->setDisplayAlerts(false);
        started = true;
        try {
            if (WorksheetPtr formSheet = mForm->Sheet()) {
                WorkbookPtr wb = formSheet->parent();
                wb->unprotectStructure(clsAux::SheetPassword());
                formSheet->unprotect(clsAux::SheetPassword());
                mForm->Release();
                formSheet->allCells()->clear();
                formSheet->allCells()->setFillColor(
                    mSettingsFace->GetSetting(setting::ColorFormBack).toInt32());
                if (WorksheetPtr lists = mForm->ListsSheet()) lists->allCells()->clear();
            } else {
                BuildInterfaceWorkbook(*app);
            }
            FillDbObjectMenus();
            const NameCollectionPtr tables = mDataSource->TableNames();
            std::string hint;
            if (!tables || tables->Count() == 0)
                hint = GetText(26);
            else if (HostVersion(*app) <= 11)
                hint = GetText(24);
            else
                hint = (RevisionNumber() == 11 || RevisionNumber() == 21) ? GetText(24) : GetText(25);
            mAux->ShowUserMessage(setting::ShowMessageSelectTable, hint);
        } catch (...) {
            finish();
            throw;
        }
        finish();
    });
}

void clsApplication::BuildInterfaceWorkbook(IApplication& app) {
    WorkbookPtr wb = app.addWorkbook();
    WorksheetPtr formSheet = wb->worksheet(1);
    mForm->SetSheet(formSheet);
    formSheet->setEnableSelection(xl::SelectionUnlockedCells);
    formSheet->allCells()->setFillColor(mSettingsFace->GetSetting(setting::ColorFormBack).toInt32());
    formSheet->setName(std::string(APP_NAME));
    formSheet->setDisplayHeadings(mSettingsFace->GetSetting(setting::DisplayHeadings).toString() == "True");
    WorksheetPtr lists;
    if (wb->worksheetCount() == 1) {
        lists = wb->addWorksheet(formSheet);
    } else {
        lists = wb->worksheet(2);
        while (wb->worksheetCount() > 2)
            wb->deleteWorksheet(wb->worksheet(wb->worksheetCount()));
    }
    mForm->SetListsSheet(lists);
    SetOtherSheetsVisible(xl::SheetVeryHidden);
    // A workbook that cannot be saved leaves no form behind that points into it.
    try {
        if (!wb->saveAs(GetTempWorkbookPath()))
            throw NumberedError(err::ApplicationDefined, std::string(APP_TITLE),
                                "The interface workbook was not saved");
    } catch (...) {
        mForm->SetSheet(nullptr);
        mForm->SetListsSheet(nullptr);
        wb->close(false);
        throw;
    }
    for (ICB* bar : {static_cast<ICB*>(mMenuBar.get()), static_cast<ICB*>(mCommandBar.get())}) {
        SetFormControlsVisible(*bar, true);
        mAux->SetControlEnabled(*bar, "Close application", true);
    }
}

void clsApplication::ProtectInterface() {
    WorksheetPtr formSheet = mForm->Sheet();
    if (!formSheet) return;
    formSheet->protect(clsAux::SheetPassword(), true, true);
    formSheet->parent()->protectStructure(clsAux::SheetPassword());
}

std::shared_ptr<clsDSAccess> clsApplication::NewAccessDataSource() {
    if (DataSourceKind() != 0) {
        // The SQL Server edition's data source implements nothing yet.
        throw NumberedError(err::TypeMismatch, std::string(APP_TITLE), "Type mismatch");
    }
    DSContext ctx;
    ctx.RevisionNumber = RevisionNumber();
    ctx.Objects = mServices.objects;
    ctx.Toolkit = mServices.toolkit;
    ctx.Dialogs = mServices.dialogs;
    ctx.Shell = mServices.shell;
    ctx.Settings = mSettingsFace.get();
    ctx.Progress = mServices.progress;
    ctx.CurrentTableName = [this] { return mForm->Name(); };
    ctx.InputBox = [this](const std::string& prompt, const std::string& title, int type) {
        ApplicationPtr app = ExcelApp();
        if (!app) throw NumberedError(err::ObjectNotSet, std::string(APP_TITLE), "Object variable not set");
        return app->inputBox(prompt, title, Variant(), type);
    };
    return std::make_shared<clsDSAccess>(std::move(ctx));
}

bool clsApplication::ConnectDataSource(clsDSAccess& ds) {
    try {
        if (!ds.ConnectDAO()) return false;
        ds.ConnectADO();
    } catch (const NumberedError& e) {
        // A refused account or password was reported by the logon dialog, a cancel is silent.
        if (e.number() == err::Cancelled || e.number() == err::DaoAccountNotValid ||
            e.number() == err::DaoPasswordNotValid)
            return false;
        if (mServices.dialogs)
            modErrors::ReportError(*mServices.dialogs, e, {.notImplementedAsCritical = true});
        return false;
    }
    return true;
}

bool clsApplication::OpenDataSource() {
    std::shared_ptr<clsDSAccess> ds = NewAccessDataSource();
    ds->GetConnectionInfo();
    if (ds->Connector().empty()) return false;
    if (!ConnectDataSource(*ds)) return false;
    ReleaseDataSource();
    mForm->Release();
    mDataSource = std::move(ds);
    return true;
}

void clsApplication::ReleaseDataSource() {
    mDataSource.reset();
}

std::string clsApplication::BuildTempWorkbookPath(std::int16_t number) const {
    std::string folder = mServices.shell ? mServices.shell->tempFolder() : std::string();
    if (folder.empty()) folder = "/tmp/";
    if (folder.back() != '/') folder += '/';
    // Our host writes Office Open XML only, so every edition's interface workbook is an .xlsx.
    const std::string sequence = number == 0 ? std::string() : fmt::format("{:02}", number);
    return folder + std::string(APP_NAME) + sequence + ".xlsx";
}

bool clsApplication::IsWorkbookOpen(const std::string& fileName) const {
    ApplicationPtr app = ExcelApp();
    return app && app->findWorkbook(fileName) != nullptr;
}

bool clsApplication::FileExists(const std::string& path) const {
    return mServices.shell && mServices.shell->fileExists(path);
}

std::string clsApplication::GetTempWorkbookPath() {
    ApplicationPtr app = ExcelApp();
    for (std::int16_t n = 0;; ++n) {
        const std::string path = BuildTempWorkbookPath(n);
        const bool free = !(app && app->workbookFileInUse(path)) &&
                          !IsWorkbookOpen(clsAux::FileNameOf(path)) &&
                          (!FileExists(path) || mServices.shell->deleteFile(path));
        if (free) return path;
        if (n == INT16_MAX) throw NumberedError(err::Overflow, std::string(APP_TITLE), "Overflow");
    }
}

void clsApplication::ClearMenuPopup(ICB& bar, const std::string& tag) {
    if (CommandBarControlPtr popup = bar.FindControlByTag(tag)) clsAux::InitSubMenuControl(*popup);
}

namespace {
// Adds one button per name to the popup tagged `tag`; disables the popup when there are none.
template <class Each>
void fillPopup(ICB& bar, const std::string& tag, const NameCollectionPtr& names, Each&& each) {
    CommandBarControlPtr popup = bar.FindControlByTag(tag);
    if (!popup) return;
    if (!names || names->Count() == 0) {
        popup->setEnabled(false);
        return;
    }
    popup->setEnabled(true);
    for (std::size_t i = 1; i <= names->Count(); ++i) {
        CommandBarControlPtr button = popup->controls()->add(xl::ControlButton);
        const std::string& name = names->Item(i);
        button->setCaption(name);
        button->setParameter(name);
        each(*button, name);
    }
}
} // namespace

void clsApplication::FillTablesMenu(ICB& bar) {
    fillPopup(bar, "Tables", mDataSource ? mDataSource->TableNames() : nullptr,
              [](ICommandBarControl& b, auto&) {
                  b.setFaceId(333);
                  b.setOnAction("ThisWorkbook.Show");
              });
}

void clsApplication::FillViewsMenu(ICB& bar) {
    fillPopup(bar, "Views", mDataSource ? mDataSource->ViewNames() : nullptr,
              [](ICommandBarControl& b, auto&) {
                  b.setFaceId(531);
                  b.setOnAction("ThisWorkbook.ExecuteView");
              });
}

void clsApplication::FillQueriesMenu(ICB& bar) {
    if (!mDataSource) return;
    const QueryCollectionPtr queries = mDataSource->Queries();
    ApplicationPtr app = ExcelApp();
    const bool tips = app && HostVersion(*app) > 11 && DataSourceKind() == 0;
    fillPopup(bar, "Queries", mDataSource->QueryNames(), [&](ICommandBarControl& b, const std::string& name) {
        std::string sql;
        bool readable = false;
        if (queries && queries->Exists(name)) {
            sql = queries->Item(name).SQL();
            readable = true;
        }
        b.setFaceId(static_cast<int>(clsAux::GetQueryIcon(sql)));
        b.setOnAction("ThisWorkbook.ExecuteQuery");
        if (tips) b.setTooltipText(readable ? sql : modGlobalization::GetText(27));
    });
}

void clsApplication::FillDbObjectMenus() {
    const bool views = DataSourceKind() == 1;
    for (ICB* bar : {static_cast<ICB*>(mMenuBar.get()), static_cast<ICB*>(mCommandBar.get())}) {
        ClearMenuPopup(*bar, "Tables");
        if (views) ClearMenuPopup(*bar, "Views");
        ClearMenuPopup(*bar, "Queries");
    }
    mDataSource->DetermineDbObjects(true);
    mDataSource->DetermineDbObjects(false);
    for (ICB* bar : {static_cast<ICB*>(mMenuBar.get()), static_cast<ICB*>(mCommandBar.get())}) {
        FillTablesMenu(*bar);
        if (views) FillViewsMenu(*bar);
        FillQueriesMenu(*bar);
    }
    if (goExcelEvents) goExcelEvents->RefreshStates();
}

void clsApplication::SetFormControlsVisible(ICB& bar, bool visible) {
    for (const char* tag : {"Row Add", "Row Update", "Row Delete", "Refresh data"})
        if (CommandBarControlPtr c = bar.FindControlByTag(tag)) c->setVisible(visible);
}

bool clsApplication::OpenDatabaseFile(const std::string& path) {
    bool opened = false;
    guarded([&] {
        auto ds = NewAccessDataSource();
        ds->SetDatabasePath(path);
        if (!ConnectDataSource(*ds)) return;
        ds->DetermineDbObjects(true);
        ds->DetermineDbObjects(false);
        ReleaseDataSource();
        mDataSource = std::move(ds);
        opened = true;
    });
    return opened;
}

// Rows of a sheet in the host's workbook format, the header row included.
constexpr long long SheetRowCount = 1048576;

AdoRecordsetPtr clsApplication::TableRecordset(const std::string& table) {
    if (!mDataSource) throw NumberedError(err::ObjectNotSet, std::string(APP_TITLE), "No database is open");
    AdoRecordsetPtr rs = mDataSource->GetRecordSet("SELECT * FROM " + NameQuote::bracketed(table), true);
    // A caller copies these rows under a header row of a sheet of the host's size: refuse what
    // would not fit before anything is written, rather than let the copy stop silently.
    if (rs) clsAux::CheckRecordLimit(*rs, SheetRowCount);
    return rs;
}

void clsApplication::ShowSettings() {
    guarded([this] {
        if (FormIsLoaded()) {
            WorksheetPtr sheet = mForm->Sheet();
            if (sheet && sheet->filterMode()) {
                const int answer = modErrors::ShowMessage(*mServices.dialogs, modGlobalization::GetText(190),
                                                          modErrors::FlagsQuestion);
                if (answer == xl::AnswerNo) return;
                sheet->setAutoFilterMode(false);
            }
        }
        frmSettings dialog(*mAux, [this] {
            if (FormIsLoaded()) mForm->ApplySettings();
        });
        dialog.Show();
    });
}

void clsApplication::ShowHelp() {
    const std::string folder = mServices.shell ? mServices.shell->libraryFolder() : std::string();
    const std::string path = folder.empty() ? std::string(HELP_FILE) : folder + "/" + std::string(HELP_FILE);
    const bool started = mServices.shell && mServices.shell->fileExists(path) && mServices.shell->open(path);
    if (!started && mServices.dialogs)
        modErrors::ShowMessage(*mServices.dialogs, modGlobalization::GetText(194),
                               modErrors::FlagsExclamation);
}

void clsApplication::ShellOpen(const std::string& address) {
    try {
        if (mServices.shell) mServices.shell->open(address);
    } catch (...) {
        // Opening a page is a courtesy; a failure changes nothing the person relies on.
    }
}

void clsApplication::SetOtherSheetsVisible(int visibility) {
    WorksheetPtr formSheet = mForm->Sheet();
    if (!formSheet) return;
    WorkbookPtr wb = formSheet->parent();
    for (long i = 1; i <= wb->worksheetCount(); ++i) {
        WorksheetPtr s = wb->worksheet(i);
        if (s != formSheet) s->setVisible(visibility);
    }
}

void clsApplication::ShowAllSheets() {
    guarded([this] {
        WorksheetPtr formSheet = mForm->Sheet();
        if (!formSheet)
            throw NumberedError(err::PreparedMessage, std::string(APP_TITLE), "Open eerst de interface");
        ExcelApp()->setScreenUpdating(false);
        WorkbookPtr wb = formSheet->parent();
        wb->unprotectStructure(clsAux::SheetPassword());
        SetOtherSheetsVisible(xl::SheetVisible);
        if (mForm->Sheet()) wb->protectStructure(clsAux::SheetPassword());
    });
}

} // namespace qv
