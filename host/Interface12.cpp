#include "host/Interface12.h"

#include "common/AppConstants.h"
#include "common/CommandBarTags.h"
#include "common/CommandTrap.h"
#include "common/RibbonControlIds.h"
#include "common/clsAux.h"
#include "common/clsSettings.h"
#include "common/modErrors.h"
#include "common/modGlobalization.h"
#include "datasource/IDS.h"
#include "datasource/clsCommand.h"
#include "form/clsForm.h"
#include "host/Globals.h"
#include "host/clsApplication.h"
#include "host/clsCommandBar.h"
#include "host/clsExcel.h"
#include "host/clsMenuBarControl.h"
#include "host/frmAbout.h"
#include "platform/IDialogs.h"
#include "platform/IRegistryStore.h"
#include "platform/NumberedError.h"
#include "platform/host/HostConstants.h"

#include <map>

namespace qv {

namespace {
bool wildcardContainsTitle(const std::string& name) {
    return name.find(APP_TITLE) != std::string::npos;
}

[[noreturn]] void objectNotSet() {
    throw ErrorCatalogue::make(err::ObjectNotSet, std::string(APP_TITLE));
}

// Every member is a boundary: the host and the add-in workbook's code know numbered errors only.
template <class F> decltype(auto) boundary(F&& f) {
    return modErrors::Numbered(std::string(APP_TITLE), std::forward<F>(f));
}
} // namespace

Interface12::Interface12(const PlatformServices& services) {
    goServices = services;
    goApplication = std::make_shared<clsApplication>(services);
}

Interface12::~Interface12() {
    try {
        if (goExcelEvents && goExcelEvents->ExcelApp()) {
            auto bars = goExcelEvents->ExcelApp()->commandBars();
            for (long i = 1; i <= bars->count(); ++i) {
                CommandBarPtr bar = bars->item(i);
                if (wildcardContainsTitle(bar->name())) bar->setVisible(false);
            }
        }
    } catch (...) {
        // The host may be shutting down; hiding the bars is best effort.
    }
    goExcelEvents.reset();
}

void Interface12::Initialize(const WorkbookPtr& oWorkbook) {
    if (!goApplication) return;
    try {
        boundary([&] {
            goAddinWorkbook = oWorkbook;
            goExcelEvents = std::make_shared<clsExcel>(oWorkbook ? oWorkbook->application() : nullptr);
            ApplicationPtr app = goExcelEvents->ExcelApp();
            if (!app) return;
            modGlobalization::SetCountryCode(app->international(xl::CountryCodeIndex).toInt32());

            clsAux& aux = goApplication->Aux();
            bool ok = aux.CheckComponents();
            if (ok) ok = aux.CheckSingleEdition();
            if (ok) {
                goApplication->Initialize();
                return;
            }
            // Refused: the add-in workbook closes itself and the library keeps no controller.
            if (oWorkbook) oWorkbook->close(false);
            goExcelEvents.reset();
            goApplication.reset();
        });
    } catch (const NumberedError& e) {
        if (goServices.dialogs) modErrors::ReportUnexpected(*goServices.dialogs, e);
    }
}

void Interface12::AddinUninstall() {
    if (!goApplication) return;
    boundary([] {
        goApplication->MenuBar().DeleteObject();
        goApplication->CommandBar().DeleteObject();
        goApplication->Aux().SaveSetting(static_cast<int>(reg::REG_SZ), setting::ShowMessageSelectDb,
                                         Variant("True"));
    });
}

template <class F> void Interface12::forward(F&& f) {
    if (!goApplication) objectNotSet();
    CommandTrap::Run(goServices.dialogs, goApplication->ExcelApp(), std::string(APP_TITLE),
                     [&] { f(*goApplication); });
}

void Interface12::GetDatabase() {
    forward([](clsApplication& a) { a.GetDatabase(); });
}
void Interface12::Show(int i) {
    forward([i](clsApplication& a) { a.Form().Show("", i); });
}
void Interface12::ExecuteView(int i) {
    forward([i](clsApplication& a) { a.Command().RunCommand(true, true, static_cast<std::int16_t>(i)); });
}
void Interface12::ExecuteQuery(int i) {
    forward([i](clsApplication& a) { a.Command().RunCommand(false, true, static_cast<std::int16_t>(i)); });
}
void Interface12::ExecuteSQL() {
    forward([](clsApplication& a) { a.Command().RunCommand(false, false, 0); });
}
void Interface12::AddRow() {
    forward([](clsApplication& a) { a.Form().AddRow(); });
}
void Interface12::WriteData() {
    forward([](clsApplication& a) { a.Form().WriteData(); });
}
void Interface12::DeleteRows() {
    forward([](clsApplication& a) { a.Form().DeleteRows(); });
}
void Interface12::Refresh() {
    forward([](clsApplication& a) { a.Form().Refresh(); });
}
void Interface12::ShowHelp() {
    forward([](clsApplication& a) { a.ShowHelp(); });
}
void Interface12::ShowSettings() {
    forward([](clsApplication& a) { a.ShowSettings(); });
}
void Interface12::ShowAllSheets() {
    forward([](clsApplication& a) { a.ShowAllSheets(); });
}
void Interface12::CloseWorkbook() {
    forward([](clsApplication& a) { a.Form().CloseWorkbook(); });
}
void Interface12::ShowFirstMessage() {
    forward([](clsApplication& a) { a.ShowFirstMessage(); });
}

void Interface12::ShowInfo() {
    forward([](clsApplication& a) {
        frmAbout about(a.Aux(), goServices);
        about.Show();
    });
}

void Interface12::SayHello() {
    boundary([] {
        if (goServices.dialogs)
            goServices.dialogs->messageBox("Hello", modErrors::FlagsInformation, std::string(APP_NAME));
    });
}

void Interface12::notImplemented(const std::string& callback, const std::string& controlId) {
    if (!goServices.dialogs) return;
    modErrors::ShowMessage(*goServices.dialogs,
                           "The following ControlID is not implemented in " + callback + ":\r" + controlId,
                           modErrors::FlagsCritical);
}

std::string Interface12::GetLabel(const std::string& ControlID) {
    return boundary([&] { return label(ControlID); });
}

std::string Interface12::label(const std::string& ControlID) {
    using modGlobalization::GetText;
    static const std::map<std::string, std::pair<int, bool>> labels = {
        {ribbon::OpenDatabase, {122, false}}, {ribbon::RowAdd, {125, true}},
        {ribbon::RowUpdate, {126, true}},     {ribbon::RowDelete, {127, true}},
        {ribbon::Refresh, {128, true}},       {ribbon::ExecuteSql, {133, false}},
        {ribbon::Settings, {134, false}},     {ribbon::Help, {136, false}},
        {ribbon::Close, {138, false}},        {ribbon::Tables, {123, false}},
        {ribbon::Queries, {123, false}},      {ribbon::Views, {123, false}},
    };
    auto it = labels.find(ControlID);
    if (it == labels.end()) {
        notImplemented("GetLabel", ControlID);
        return {};
    }
    std::string text = GetText(it->second.first);
    // The hot-key buttons' texts end in " (F6)" and the like; the ribbon shows the key elsewhere,
    // so exactly four characters go and the blank before the parenthesis stays.
    if (it->second.second) text = text.size() >= 4 ? text.substr(0, text.size() - 4) : std::string();
    return text;
}

std::string Interface12::GetImage(const std::string& ControlID) {
    return boundary([&] { return image(ControlID); });
}

std::string Interface12::image(const std::string& ControlID) {
    if (!goApplication) return {};
    if (ControlID == ribbon::OpenDatabase)
        return goApplication->DataSourceKind() != 0 ? "ImportMoreMenu" : "ImportAccess";
    notImplemented("GetImage", ControlID);
    return {};
}

bool Interface12::GetControlState(const std::string& tag, bool wantVisible) {
    if (!goApplication) return false;
    CommandBarControlPtr c = goApplication->MenuBar().FindControlByTag(tag);
    if (!c) return false;
    return wantVisible ? c->visible() : c->enabled();
}

bool Interface12::GetEnabled(const std::string& ControlID) {
    return boundary([&] { return enabled(ControlID); });
}

bool Interface12::enabled(const std::string& ControlID) {
    if (!goApplication) return false;
    static const std::map<std::string, std::string> tags = {
        {ribbon::RowAdd, tag::RowAdd},          {ribbon::RowUpdate, tag::RowUpdate},
        {ribbon::RowDelete, tag::RowDelete},    {ribbon::Refresh, tag::RefreshData},
        {ribbon::ExecuteSql, tag::ExecuteSql},  {ribbon::Tables, tag::Tables},
        {ribbon::Queries, tag::Queries},        {ribbon::Views, tag::Views},
        {ribbon::Close, tag::CloseApplication},
    };
    auto it = tags.find(ControlID);
    if (it == tags.end()) {
        notImplemented("GetEnabled", ControlID);
        return false;
    }
    return GetControlState(it->second, false);
}

bool Interface12::GetVisible(const std::string& ControlID) {
    return boundary([&] { return visible(ControlID); });
}

bool Interface12::visible(const std::string& ControlID) {
    static const std::map<std::string, std::string> tags = {
        {ribbon::Views, tag::Views},         {ribbon::RowAdd, tag::RowAdd},
        {ribbon::RowUpdate, tag::RowUpdate}, {ribbon::RowDelete, tag::RowDelete},
        {ribbon::Refresh, tag::RefreshData},
    };
    if (ControlID == ribbon::InitRibbon || ControlID == ribbon::ShowAllSheets) return false;
    auto it = tags.find(ControlID);
    if (it == tags.end()) {
        notImplemented("GetVisible", ControlID);
        return false;
    }
    return GetControlState(it->second, true);
}

NameCollectionPtr Interface12::Tables() const {
    if (!goApplication || !goApplication->DataSource()) return nullptr;
    return goApplication->DataSource()->TableNames();
}

NameCollectionPtr Interface12::Queries() const {
    if (!goApplication || !goApplication->DataSource()) return nullptr;
    return goApplication->DataSource()->QueryNames();
}

NameCollectionPtr Interface12::Views() const {
    if (!goApplication || !goApplication->DataSource()) return nullptr;
    return goApplication->DataSource()->ViewNames();
}

namespace {
std::optional<std::vector<std::string>> listOf(const NameCollectionPtr& names) {
    if (!names) return std::nullopt;
    std::vector<std::string> out;
    for (const std::string& n : *names)
        out.push_back(n);
    return out;
}
} // namespace

std::optional<std::vector<std::string>> Interface12::TableList() const {
    return boundary([&] { return listOf(Tables()); });
}
std::optional<std::vector<std::string>> Interface12::QueryList() const {
    return boundary([&] { return listOf(Queries()); });
}
std::optional<std::vector<std::string>> Interface12::ViewList() const {
    return boundary([&] { return listOf(Views()); });
}

bool Interface12::DataSourceExists() const {
    return boundary([] { return goApplication && goApplication->DataSourceExists(); });
}

WorksheetPtr Interface12::Sheet() const {
    return boundary([] { return goApplication ? goApplication->Form().Sheet() : nullptr; });
}

bool Interface12::OpenDatabaseFile(const std::string& path) {
    bool opened = false;
    forward([&](clsApplication& a) { opened = a.OpenDatabaseFile(path); });
    return opened;
}

AdoRecordsetPtr Interface12::TableRecordset(const std::string& table) {
    AdoRecordsetPtr rs;
    forward([&](clsApplication& a) { rs = a.TableRecordset(table); });
    return rs;
}

} // namespace qv
