#include "host/clsApplication.h"

#include "common/AppConstants.h"
#include "common/CommandTrap.h"
#include "common/ISettings.h"
#include "common/clsAux.h"
#include "common/clsRegistry.h"
#include "common/clsSettings.h"
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
    return modSheetFill::FillSheetFromRecordset(sheet, rs, row, column,
                                                modSheetFill::FormFields{mForm->Sheet(), mForm->Matrix()});
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
    guarded([] {
        throw NumberedError(err::NotImplemented, std::string(APP_TITLE),
                            "The following action is not implemented: GetDatabase");
    });
}

bool clsApplication::OpenDatabaseFile(const std::string& path) {
    bool opened = false;
    guarded([&] {
        DSContext ctx;
        ctx.RevisionNumber = RevisionNumber();
        ctx.Objects = mServices.objects;
        ctx.Toolkit = mServices.toolkit;
        ctx.Dialogs = mServices.dialogs;
        ctx.CurrentTableName = [this] { return mForm->Name(); };
        ctx.InputBox = [this](const std::string& prompt, const std::string& title, int type) {
            ApplicationPtr app = ExcelApp();
            if (!app)
                throw NumberedError(err::ObjectNotSet, std::string(APP_TITLE), "Object variable not set");
            return app->inputBox(prompt, title, Variant(), type);
        };
        auto ds = std::make_shared<clsDSAccess>(std::move(ctx));
        ds->SetDatabasePath(path);
        if (!ds->ConnectDAO()) return;
        ds->DetermineDbObjects(true);
        ds->DetermineDbObjects(false);
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
        throw NumberedError(err::NotImplemented, std::string(APP_TITLE),
                            "The following action is not implemented: ShowSettings");
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
