// The decision-carrying services of clsAux: settings and messages, statement classification,
// database error clean-up, the start-up checks, the confirmations and the command-bar states.
// The sheet formatting and the text operations are in clsAuxFormat.cpp.
#include "common/clsAux.h"

#include "common/AppConstants.h"
#include "common/CommandBarTags.h"
#include "common/ICB.h"
#include "common/ISettings.h"
#include "common/SettingNames.h"
#include "common/frmMessage.h"
#include "common/modErrors.h"
#include "common/modGlobalization.h"
#include "platform/IDialogs.h"
#include "platform/IObjectFactory.h"
#include "platform/IRegistryStore.h"
#include "platform/IShell.h"
#include "platform/TextUtil.h"
#include "platform/engine/IAdoRecordset.h"
#include "platform/host/HostConstants.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdlib>

namespace qv {

namespace {

using modGlobalization::GetText;

constexpr int RegSz = 1;

void eraseAll(std::string& s, std::string_view what) {
    for (std::size_t p = s.find(what); p != std::string::npos; p = s.find(what, p))
        s.erase(p, what.size());
}

std::string trimBlanks(const std::string& s) {
    std::size_t b = s.find_first_not_of(' ');
    if (b == std::string::npos) return {};
    std::size_t e = s.find_last_not_of(' ');
    return s.substr(b, e - b + 1);
}

[[noreturn]] void objectNotSet(const char* what) {
    throw NumberedError(err::ObjectNotSet, "clsAux", std::string("Object variable not set: ") + what);
}

// A registry text value; nothing for values that are not text.
std::optional<std::string> registryText(const RegistryValue& v) {
    if (v.type != reg::REG_SZ && v.type != reg::REG_EXPAND_SZ && v.type != reg::REG_MULTI_SZ)
        return std::nullopt;
    std::string s(v.data.begin(), v.data.end());
    while (!s.empty() && s.back() == '\0')
        s.pop_back();
    return s;
}

struct MissingComponent {
    const char* name;
    const char* downloadPage;
};

// The component a failing class stands for; the pages are the vendor's public download pages.
std::optional<MissingComponent> componentFor(const std::string& progId, double hostVersion) {
    if (progId == "DAO.DBEngine.36")
        return MissingComponent{"Microsoft Jet 4.0 database-engine",
                                "https://support.microsoft.com/kb/239114"};
    if (progId == "DAO.DBEngine.120") {
        if (hostVersion == 12)
            return MissingComponent{"2007 Office System Driver: Data Connectivity Components",
                                    "https://www.microsoft.com/en-us/download/details.aspx?id=23734"};
        return MissingComponent{"Microsoft Access Database Engine 2010 Redistributable",
                                "https://www.microsoft.com/en-us/download/details.aspx?id=13255"};
    }
    if (progId == "ADODB.Connection")
        return MissingComponent{"Microsoft Data Access Components (MDAC) 2.8",
                                "https://www.microsoft.com/en-us/download/details.aspx?id=5793"};
    return std::nullopt;
}

struct HotKey {
    const char* tag;
    const char* key;
    const char* procedure;
    bool changesData; // also needs a form whose table can be changed
};

constexpr std::array<HotKey, 4> kHotKeys{{
    {tag::RefreshData, "{F9}", "ThisWorkbook.Refresh", false},
    {tag::RowAdd, "{F6}", "ThisWorkbook.AddRow", true},
    {tag::RowDelete, "{F8}", "ThisWorkbook.DeleteRows", true},
    {tag::RowUpdate, "{F7}", "ThisWorkbook.WriteData", true},
}};

} // namespace

clsAux::clsAux(AuxContext context) : mCtx(std::move(context)) {}

// --- plumbing

ApplicationPtr clsAux::app() const {
    ApplicationPtr a = mCtx.application ? mCtx.application() : nullptr;
    if (!a) objectNotSet("application");
    return a;
}

WorkbookPtr clsAux::addinWorkbook() const {
    WorkbookPtr w = mCtx.addinWorkbook ? mCtx.addinWorkbook() : nullptr;
    if (!w) objectNotSet("add-in workbook");
    return w;
}

ISettings& clsAux::settings() const {
    if (!mCtx.settings) objectNotSet("settings");
    return *mCtx.settings;
}

IDialogs& clsAux::dialogs() const {
    if (!mCtx.dialogs) objectNotSet("dialogs");
    return *mCtx.dialogs;
}

int clsAux::ask(const std::string& text) const {
    return modErrors::ShowMessage(dialogs(), text, modErrors::FlagsQuestion);
}

void clsAux::openWebPage(const std::string& address) const {
    try {
        if (mCtx.openWebPage)
            mCtx.openWebPage(address);
        else if (mCtx.shell)
            mCtx.shell->open(address);
    } catch (...) {
        // Opening a page is a courtesy after the message; its failure changes nothing.
    }
}

// --- settings

Variant clsAux::GetSetting(const std::string& name) {
    return settings().GetSetting(name);
}
void clsAux::SaveSetting(int valueType, const std::string& name, const Variant& value) {
    settings().SaveSetting(valueType, name, value);
}
Variant clsAux::ReadSetting(const std::string& name) {
    return settings().ReadSetting(name);
}
bool clsAux::IsMessageEnabled(const std::string& name) {
    return settings().IsMessageEnabled(name);
}

bool clsAux::settingIsTrue(const std::string& name) {
    Variant v = GetSetting(name);
    if (v.isBool()) return v.toBool();
    if (v.isString()) return TextUtil::lowerAscii(trimBlanks(v.str())) == "true";
    return v.isNumber() && v.toDouble() != 0;
}

// --- messages

void clsAux::ShowUserMessage(const std::string& switchName, const std::string& text) {
    if (!IsMessageEnabled(switchName)) return;
    if (!mCtx.toolkit) objectNotSet("dialog toolkit");
    frmMessage form(settings());
    form.SetSettingName(switchName);
    form.SetText(text);
    form.Show(*mCtx.toolkit);
}

bool clsAux::RestoreUserMessages() {
    try {
        if (ask(GetText(15)) == xl::AnswerNo) return false;
        for (const char* name : {setting::ShowMessageSelectDb, setting::ShowMessageSelectTable,
                                 setting::ShowMessageUpdatedRecords, setting::ShowMessageDeletedRecords,
                                 setting::ShowMessageQueryExecuted, setting::ShowMessageNoPrimaryKey})
            SaveSetting(RegSz, name, Variant("True"));
        modErrors::ShowMessage(dialogs(), GetText(211), modErrors::FlagsInformation);
        return true;
    } catch (const NumberedError& e) {
        modErrors::ReportUnexpected(dialogs(), e);
        return false;
    }
}

// --- statements

std::string clsAux::NormaliseForDdlTest(const std::string& sql) {
    std::string out;
    out.reserve(sql.size());
    for (char c : sql)
        if (c != ' ' && c != '\r' && c != '\n')
            out += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

bool clsAux::IsDataDefinition(const std::string& sql) {
    std::string n = NormaliseForDdlTest(sql);
    return n.starts_with("create") || n.starts_with("drop") || n.starts_with("alter");
}

long clsAux::GetQueryIcon(const std::string& sql) {
    if (IsDataDefinition(sql)) return IconDataDefinition;
    // Prefix tests look at the text as it is: leading blanks are not skipped.
    std::string l = TextUtil::lowerAscii(sql);
    if (l.starts_with("parameters ")) return IconParameters;
    if (l.starts_with("delete ")) return IconDelete;
    if (l.starts_with("update ")) return IconUpdate;
    if (l.starts_with("transform ")) return IconCrosstab;
    if (l.starts_with("insert into ")) return IconAppend;
    if (l.find(" into ") != std::string::npos) return IconMakeTable;
    if (l.find("union ") != std::string::npos) return IconUnion;
    if (l.starts_with("select ")) return IconSelect;
    return IconOther;
}

std::string clsAux::FormatDbError(const std::string& errorText, const std::string& kindName) {
    std::string cleaned = errorText;
    eraseAll(cleaned, "[Microsoft][ODBC Microsoft Access-stuurprogramma]");
    eraseAll(cleaned, "[Microsoft][ODBC Microsoft Access Driver]");
    eraseAll(cleaned, "[Microsoft][ODBC SQL Server Driver][SQL Server]");
    return GetText(7) + " " + kindName + ":\r" + trimBlanks(cleaned);
}

std::string clsAux::FormatDbError(const std::string& errorText) {
    return FormatDbError(errorText, DataSourceKindName(RevisionNumber()));
}

// --- edition

int clsAux::RevisionNumber() {
    // Read as a 16-bit integer: a missing property is 0, which no edition has.
    std::int64_t r = addinWorkbook()->builtinProperty("Revision Number").toInt64();
    if (r < -32768 || r > 32767) throw ErrorCatalogue::make(err::Overflow, "clsAux");
    return static_cast<int>(r);
}

std::string clsAux::DataSourceKindName(int revision) {
    switch (revision) {
    case 11:
    case 12:
        return "MS Access";
    case 21:
    case 22:
        return "MS SQL Server";
    default:
        throw NumberedError(err::NotImplemented, "clsAux", "No such version!");
    }
}

// --- start-up checks

bool clsAux::CheckComponents() {
    std::string progId; // the class being created when a failure happens
    try {
        if (!mCtx.objects) objectNotSet("object factory");
        progId = "ADODB.Connection";
        mCtx.objects->createObject(progId); // released at once: only creatability matters
        progId.clear();
        int revision = RevisionNumber();
        if (revision == 11) progId = "DAO.DBEngine.36";
        if (revision == 12) progId = "DAO.DBEngine.120";
        if (!progId.empty()) {
            mCtx.objects->createObject(progId);
            progId.clear();
        }
        return true;
    } catch (const NumberedError& e) {
        try {
            double hostVersion = 0;
            if (progId == "DAO.DBEngine.120") hostVersion = std::strtod(app()->version().c_str(), nullptr);
            if (auto missing = componentFor(progId, hostVersion)) {
                modErrors::ShowMessage(dialogs(), GetText(29, missing->name), modErrors::FlagsInformation);
                openWebPage(missing->downloadPage);
            } else {
                modErrors::ReportUnexpected(dialogs(), e, progId.empty() ? "" : "\r\rClass: " + progId);
            }
        } catch (const NumberedError& inner) {
            if (mCtx.dialogs) modErrors::ReportUnexpected(*mCtx.dialogs, inner);
        }
        return false;
    }
}

bool clsAux::CheckSingleEdition() {
    try {
        if (!mCtx.registry) objectNotSet("registry");
        std::string key = "Software\\Microsoft\\Office\\" + app()->version() + "\\Excel\\Options";
        auto names = mCtx.registry->listValueNames(reg::HKEY_CURRENT_USER, key);
        if (!names) return true; // a key that cannot be opened counts nothing
        std::string ownPath = TextUtil::lowerAscii(addinWorkbook()->fullName());
        int matches = 0;
        bool registeredInOpen1 = false;
        for (const std::string& name : *names) {
            if (!name.starts_with("OPEN")) continue;
            auto value = mCtx.registry->queryValue(reg::HKEY_CURRENT_USER, key, name);
            std::optional<std::string> text = value ? registryText(*value) : std::nullopt;
            if (!text) continue;
            if (text->find(APP_TITLE) != std::string::npos) ++matches;
            if (name == "OPEN1") {
                std::string path = *text;
                path.erase(std::remove(path.begin(), path.end(), '"'), path.end());
                if (TextUtil::lowerAscii(path) == ownPath) registeredInOpen1 = true;
            }
        }
        if (matches < 2 || registeredInOpen1) return true;
        modErrors::ShowMessage(dialogs(), GetText(30), modErrors::FlagsInformation);
        return false;
    } catch (const NumberedError& e) {
        if (mCtx.dialogs) modErrors::ReportUnexpected(*mCtx.dialogs, e);
        return false;
    }
}

// --- confirmations

bool clsAux::CancelLargeLoad(const IAdoRecordset& rs) {
    long double cells =
        static_cast<long double>(rs.recordCount()) * static_cast<long double>(rs.fieldCount());
    double limit = GetSetting(setting::WarningNrOfCells).toDouble();
    if (cells <= limit) return false;
    return ask(GetText(32)) == xl::AnswerNo;
}

bool clsAux::ConfirmWorkbookAction(const std::string& action, bool formHasUnsavedChanges,
                                   long worksheetCount) {
    // An unknown action is refused before any question is asked.
    if (action != "close" && action != "save")
        throw NumberedError(err::NotImplemented, "clsAux",
                            "The following action is not implemented: " + action);
    bool close = action == "close";
    if (formHasUnsavedChanges && ask(GetText(close ? 18 : 19)) != xl::AnswerYes) return false;
    if (!close) return ask(GetText(23)) == xl::AnswerYes;
    if (worksheetCount == 2) return true;
    return ask(GetText(22)) == xl::AnswerYes;
}

// --- command surfaces

void clsAux::SetControlEnabled(ICB& commandBar, const std::string& tag, bool enabled) {
    if (CommandBarControlPtr control = commandBar.FindControlByTag(tag)) control->setEnabled(enabled);
}

void clsAux::SetExecuteSqlEnabled(ICB& commandBar, bool enabled) {
    SetControlEnabled(commandBar, tag::ExecuteSql, enabled);
}

void clsAux::SetHotKeys(ICB& commandBar, bool enabled) {
    bool formOpen = mCtx.formIsOpen && mCtx.formIsOpen();
    bool changesAllowed = formOpen && mCtx.formAllowsChanges && mCtx.formAllowsChanges();
    ApplicationPtr application = app();
    for (const HotKey& k : kHotKeys) {
        bool on = enabled && (k.changesData ? changesAllowed : formOpen);
        SetControlEnabled(commandBar, k.tag, on);
        application->onKey(k.key, on ? k.procedure : "");
    }
}

void clsAux::InitSubMenuControl(ICommandBarControl& popup) {
    auto controls = popup.controls();
    if (!controls) return;
    // From the end, so that removing does not shift the controls still to be removed.
    for (long i = controls->count(); i >= 1; --i)
        controls->item(i)->remove();
}

void clsAux::ResetCommandBar(ICB& commandBar) {
    if (!commandBar.ObjectExists()) return;
    auto controls = commandBar.Object().controls();
    if (!controls) return;
    bool formOpen = mCtx.formIsOpen && mCtx.formIsOpen();
    for (long i = 1; i <= controls->count(); ++i) {
        CommandBarControlPtr c = controls->item(i);
        const std::string tag = c->tag();
        if (tag == tag::RowAdd || tag == tag::RowUpdate || tag == tag::RowDelete || tag == tag::RefreshData) {
            c->setVisible(false);
        } else if (tag == tag::OpenDatabase || tag == tag::Settings || tag == tag::Help ||
                   tag == tag::DevControl) {
            c->setEnabled(true);
        } else if (tag == tag::Tables || tag == tag::Views || tag == tag::Queries) {
            InitSubMenuControl(*c);
            c->setEnabled(false);
        } else if (tag == tag::CloseApplication) {
            c->setEnabled(formOpen);
        } else {
            c->setEnabled(false);
        }
    }
}

} // namespace qv
