// Connecting an Access database and reading its catalogue. The catalogue side decides on the
// engine's error numbers (wrong password, wrong account, failed link) rather than trapping
// everything, so a refused password leads to the logon dialog and anything else to the caller.
#include "datasource/clsDSAccess.h"

#include "common/AppConstants.h"
#include "common/ISettings.h"
#include "common/clsAux.h"
#include "common/clsSettings.h"
#include "common/modErrors.h"
#include "common/modGlobalization.h"
#include "datasource/frmLogon.h"
#include "datasource/frmPassword.h"
#include "datasource/modConnectionString.h"
#include "datasource/modDSMessages.h"
#include "datasource/modDataTypes.h"
#include "datasource/modQueryText.h"
#include "platform/ConnectionString.h"
#include "platform/DialogModel.h"
#include "platform/IDialogs.h"
#include "platform/IObjectFactory.h"
#include "platform/IRegistryStore.h"
#include "platform/IShell.h"
#include "platform/NameQuote.h"
#include "platform/engine/AdoConstants.h"
#include "platform/engine/DaoConstants.h"

#include <cctype>
#include <string_view>

namespace qv {

namespace {

constexpr const char* kConnectDAO = "IDS_ConnectDAO";
constexpr int kHourglass = 11;
constexpr int kDefaultPointer = 0;

bool startsWith(const std::string& s, const char* prefix) {
    return s.rfind(prefix, 0) == 0;
}

} // namespace

clsDSAccess::clsDSAccess(DSContext context)
    : mContext(std::move(context)), mDS(mContext.Objects),
      mTable(std::make_unique<clsTableAccess>(*this, mContext)) {
    mDS.SetParameterPrompt(mContext.InputBox, mContext.RevisionNumber == 21 || mContext.RevisionNumber == 22);
}

clsDSAccess::~clsDSAccess() {
    mTable.reset();
    mDS.ClearQueries();
    mDbDAO.reset();
}

std::string clsDSAccess::UserName() const {
    return mWorkgroupFile.empty() ? std::string("Admin") : mUserName;
}

std::string clsDSAccess::ConnectionString() const {
    return BuildAccessConnectionString(mContext.RevisionNumber, mDatabasePath, UserName(), mPassword,
                                       mWorkgroupFile);
}

void clsDSAccess::SetMousePointer(int pointer) const {
    if (mContext.SetMousePointer) mContext.SetMousePointer(pointer);
}

std::string clsDSAccess::DaoEngineProgId() const {
    return mContext.RevisionNumber == 11 ? "DAO.DBEngine.36" : "DAO.DBEngine.120";
}

DaoEnginePtr clsDSAccess::CreateDaoEngine() const {
    if (!mContext.Objects) throw ErrorCatalogue::make(err::CannotCreateObject, kConnectDAO);
    auto engine = objectAs<IDaoEngine>(mContext.Objects->createObject(DaoEngineProgId()));
    if (!engine) throw ErrorCatalogue::make(err::CannotCreateObject, kConnectDAO);
    return engine;
}

// ---- catalogue connection

clsDSAccess::OpenResult clsDSAccess::OpenWithPassword(const std::string& password) {
    OpenResult r;
    try {
        if (!mDefaultEngine) mDefaultEngine = CreateDaoEngine();
        // Braced like the records connection string, so a ';' in the password cannot end it.
        r.db = mDefaultEngine->workspace(0)->openDatabase(mDatabasePath, 0, false,
                                                          ";pwd=" + ConnectionString::quote(password));
    } catch (const NumberedError& e) {
        r.number = e.number();
        r.description = e.description();
    }
    return r;
}

clsDSAccess::OpenResult clsDSAccess::OpenWithWorkgroup(const std::string& user, const std::string& password) {
    OpenResult r;
    try {
        // A private engine, so the workgroup and user never leak into the default engine.
        DaoEnginePtr engine = CreateDaoEngine();
        engine->setSystemDB(mWorkgroupFile);
        engine->setDefaultUser(user);
        engine->setDefaultPassword(password);
        DaoWorkspacePtr ws = engine->workspace(0);
        r.db = ws->openDatabase(mDatabasePath, 0, false);
    } catch (const NumberedError& e) {
        r.number = e.number();
        r.description = e.description();
    }
    return r;
}

std::string clsDSAccess::LogonFailedText() const {
    std::string text = DSText(msg::NotValidPassword);
    if (!mWorkgroupFile.empty()) text += "\r\r" + DSText(msg::PasswordAndWorkgroup);
    return text;
}

void clsDSAccess::RaiseUnlessRefused(const OpenResult& result) const {
    switch (result.number) {
    case err::DaoAccountNotValid:
    case err::DaoPasswordNotValid:
        return;
    case err::DaoOdbcConnectFailed:
        throw NumberedError(err::PreparedWarning, kConnectDAO, DSText(msg::OdbcFailed));
    default:
        throw NumberedError(result.number, kConnectDAO, result.description);
    }
}

bool clsDSAccess::ConnectDAO() {
    OpenResult first =
        mWorkgroupFile.empty() ? OpenWithPassword(mPassword) : OpenWithWorkgroup(UserName(), mPassword);
    if (first.db) {
        mDbDAO = std::move(first.db);
        NoteReadOnly();
        return true;
    }
    RaiseUnlessRefused(first);

    // The credentials held no longer open the database; whatever was open with them goes.
    mDbDAO.reset();
    // Nobody to ask (a headless run): the refusal itself is the answer.
    if (!mContext.Toolkit) throw NumberedError(first.number, kConnectDAO, first.description);
    for (;;) {
        std::string user;
        std::string password;
        if (!mWorkgroupFile.empty()) {
            frmLogon dialog;
            dialog.SetUser(UserName());
            dialog.SetPassword(mPassword);
            dialog.Show(*mContext.Toolkit);
            user = dialog.User();
            password = dialog.Password();
        } else {
            frmPassword dialog;
            dialog.Show(*mContext.Toolkit);
            password = dialog.Password();
        }
        // Cancel empties the password; giving up is reported as a cancel, with nothing to show.
        if (password.empty()) throw NumberedError(err::Cancelled, kConnectDAO, std::string());

        OpenResult again =
            mWorkgroupFile.empty() ? OpenWithPassword(password) : OpenWithWorkgroup(user, password);
        if (again.db) {
            mDbDAO = std::move(again.db);
            mUserName = user;
            mPassword = password;
            NoteReadOnly();
            return true;
        }
        // A damaged file behind the right password is no reason to ask for another one.
        RaiseUnlessRefused(again);
        if (mContext.Dialogs)
            modErrors::ShowMessage(*mContext.Dialogs, LogonFailedText(), modErrors::FlagsExclamation);
    }
}

void clsDSAccess::NoteReadOnly() {
    // An Access file opens read-only: its statements that would change it are refused by the
    // engine, and the person is told why and what to do in their own language.
    mDS.SetReadOnlyRefusal(mDbDAO && !mDbDAO->updatable() ? DSText(msg::AccessReadOnly, mDatabasePath)
                                                          : std::string());
}

void clsDSAccess::DisconnectDAO() {
    mDS.CloseObject(mDbDAO);
}

// ---- records connection

void clsDSAccess::ConnectADO() {
    if (mDS.IsConnected()) return;
    try {
        if (!mContext.Objects) throw ErrorCatalogue::make(err::CannotCreateObject, "IDS_ConnectADO");
        auto connection = objectAs<IAdoConnection>(mContext.Objects->createObject("ADODB.Connection"));
        if (!connection) throw ErrorCatalogue::make(err::CannotCreateObject, "IDS_ConnectADO");
        mDS.SetConnection(connection);
        connection->setCursorLocation(ado::UseClient);
        connection->setProgress(mContext.Progress);
        connection->setConnectionString(ConnectionString());
        SetMousePointer(kHourglass);
        connection->open(std::string(), ado::OptionUnspecified);
        SetMousePointer(kDefaultPointer);
    } catch (const NumberedError& e) {
        SetMousePointer(kDefaultPointer);
        if (e.number() == err::AdoOpenRefused)
            throw NumberedError(err::PreparedWarning, e.source(), LogonFailedText());
        throw WrapForeignError(e);
    }
}

void clsDSAccess::DisconnectADO() {
    mDS.DisconnectADO();
}

AdoRecordsetPtr clsDSAccess::GetRecordSet(const std::string& sql, bool closeConnection) {
    return mDS.GetRecordSet(*this, sql, closeConnection);
}

std::int32_t clsDSAccess::ExecuteQuery(const std::string& sql) {
    return mDS.ExecuteQuery(*this, sql);
}

void clsDSAccess::CloseRecordSet(AdoRecordsetPtr& rs) {
    mDS.CloseRecordSet(rs);
}

AdoCommandPtr clsDSAccess::InitializeCommand() {
    return mDS.InitializeCommand();
}

void clsDSAccess::DefineCommand(IAdoCommand& oCommand, const std::string& QueryName) {
    QueryCollectionPtr queries = mDS.Queries();
    if (!queries || !queries->Exists(QueryName))
        throw NumberedError(err::SubscriptOutOfRange, "DefineCommand",
                            "Subscript out of range: " + QueryName);
    const clsQuery& query = queries->Item(QueryName);
    if (query.Parameters().Count() == 0) {
        oCommand.setCommandType(ado::CmdText);
        oCommand.setCommandText(SingleQuotedLiterals(query.SQL()));
        return;
    }
    oCommand.setCommandType(ado::CmdStoredProc);
    oCommand.setCommandText(NameQuote::backQuoted(QueryName));
    for (const clsParameter& p : query.Parameters())
        mDS.AddParameter(oCommand, p);
}

// ---- catalogue

void clsDSAccess::DetermineDbObjects(bool tables) {
    try {
        if (tables)
            ListTables();
        else
            ListQueries();
    } catch (const NumberedError& e) {
        if (e.number() == err::ForeignError) throw;
        throw WrapForeignError(e);
    }
}

void clsDSAccess::ListTables() {
    auto names = std::make_shared<NameCollection>();
    mDS.SetTableNames(names);
    if (!mDbDAO) throw ErrorCatalogue::make(err::ObjectNotSet, "IDS_DetermineDbObjects");
    for (const DaoTableDefPtr& def : mDbDAO->tableDefs()) {
        // System objects are hidden; hidden and linked tables are offered like any other.
        if (def->attributes() & dao::SystemObject) continue;
        const std::string name = def->name();
        if (startsWith(name, "x_")) continue;
        names->Add(name, name);
    }
    // What the engine left out of the file's catalogue is told once, as the database is opened.
    const std::vector<std::string> warnings = mDbDAO->takeCatalogueWarnings();
    if (!warnings.empty() && mContext.Dialogs) {
        std::string text;
        for (const std::string& w : warnings)
            text += (text.empty() ? "" : "\r") + w;
        modErrors::ShowMessage(*mContext.Dialogs, text, modErrors::FlagsExclamation);
    }
}

void clsDSAccess::ListQueries() {
    mDS.ClearQueries();
    auto queries = std::make_shared<QueryCollection>();
    auto names = std::make_shared<NameCollection>();
    mDS.SetQueries(queries);
    mDS.SetQueryNames(names);
    if (!mDbDAO) throw ErrorCatalogue::make(err::ObjectNotSet, "IDS_DetermineDbObjects");
    for (const DaoQueryDefPtr& def : mDbDAO->queryDefs()) {
        const std::string name = def->name();
        if (startsWith(name, "~")) continue; // the engine's own queries behind forms and controls
        const int type = def->type();
        if (type == dao::QueryProcedure || type == dao::QuerySPTBulk || type == dao::QuerySQLPassThrough)
            continue;
        if (startsWith(name, "x_")) continue;
        names->Add(name, name);
        clsQuery query;
        query.Init(name, def->sql(), DetermineParameters(*def));
        queries->Add(name, std::move(query));
    }
}

ParameterCollection clsDSAccess::DetermineParameters(const IDaoQueryDef& queryDef) {
    try {
        ParameterCollection parameters;
        for (const DaoParameterPtr& p : queryDef.parameters()) {
            clsParameter parameter;
            parameter.Init(p->name(), MapToTypeADO(Variant(p->type())),
                           GetParameterDirectionTypeADO(Variant(p->direction())));
            parameters.Add(p->name(), std::move(parameter));
        }
        return parameters;
    } catch (const NumberedError& e) {
        throw WrapForeignError(e);
    }
}

// ---- types and literals

std::string clsDSAccess::Convert2Date(const Variant& dateTime) {
    return qv::Convert2Date(dateTime);
}
std::string clsDSAccess::Convert2GUID(const std::string& guid) {
    return qv::Convert2GUID(guid);
}
std::int32_t clsDSAccess::GetParameterDirectionTypeADO(const Variant& direction) {
    return qv::GetParameterDirectionTypeADO(direction);
}
std::int32_t clsDSAccess::MapToTypeADO(const Variant& typeDAO) {
    return qv::MapToTypeADO(typeDAO);
}

// ---- file selection

namespace {

constexpr const char* kResolveShortcut = "ResolveShortcut";

std::string lower(std::string s) {
    for (char& c : s)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

std::string trimmedWithoutQuotes(std::string_view text) {
    std::string out;
    for (char c : text)
        if (c != '"') out += c;
    std::size_t b = 0, e = out.size();
    while (b < e && isBlank(out[b]))
        ++b;
    while (e > b && isBlank(out[e - 1]))
        --e;
    return out.substr(b, e - b);
}

// A switch starts with "/" outside double quotes, at the start or after a blank or a quote, and
// is a word of letters ended by a blank, a quote or the end. So "/user" is a switch, while the
// slashes of a path on this platform ("/home/ada/db.sqlite") or inside quotes are not: the
// arguments of a desktop entry read the same way as those of a Windows shortcut.
std::size_t switchLength(std::string_view args, std::size_t at, bool quoted) {
    if (quoted || args[at] != '/') return 0;
    if (at > 0 && !isBlank(args[at - 1]) && args[at - 1] != '"') return 0;
    std::size_t end = at + 1;
    while (end < args.size() && std::isalpha(static_cast<unsigned char>(args[end])))
        ++end;
    if (end == at + 1) return 0;
    if (end < args.size() && !isBlank(args[end]) && args[end] != '"') return 0;
    return end - at;
}

struct ShortcutSwitch {
    std::string name; // lower case
    std::string value;
};

struct ShortcutArguments {
    std::string database;
    std::vector<ShortcutSwitch> switches;
};

ShortcutArguments splitShortcutArguments(std::string_view args) {
    ShortcutArguments out;
    std::vector<std::size_t> starts; // of each switch's "/"
    bool quoted = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == '"') quoted = !quoted;
        if (switchLength(args, i, quoted) > 0) starts.push_back(i);
    }
    out.database = trimmedWithoutQuotes(args.substr(0, starts.empty() ? args.size() : starts.front()));
    for (std::size_t k = 0; k < starts.size(); ++k) {
        const std::size_t at = starts[k];
        const std::size_t len = switchLength(args, at, false);
        const std::size_t end = k + 1 < starts.size() ? starts[k + 1] : args.size();
        out.switches.push_back({lower(std::string(args.substr(at + 1, len - 1))),
                                trimmedWithoutQuotes(args.substr(at + len, end - at - len))});
    }
    return out;
}

// The programs a shortcut may start: the Access executable (a Windows shortcut) or one of this
// product's own programs (a desktop entry on this platform).
bool startsADatabaseProgram(const std::string& target) {
    const std::string t = lower(target);
    if (t.find("msaccess.exe") != std::string::npos) return true;
    const std::size_t sep = t.find_last_of("\\/");
    const std::string name = sep == std::string::npos ? t : t.substr(sep + 1);
    return name.rfind("quorvel", 0) == 0;
}

[[noreturn]] void notAWorkgroupShortcut() {
    throw NumberedError(err::PreparedMessage, kResolveShortcut, modGlobalization::GetText(65));
}

bool isDatabaseExtension(const std::string& ext) {
    return ext == "mdb" || ext == "mde" || ext == "accdb" || ext == "accde" || ext == "sqlite" ||
           ext == "sqlite3" || ext == "db";
}

} // namespace

std::vector<FileFilter> clsDSAccess::DatabaseFilters(std::int32_t revision) {
    using modGlobalization::GetText;
    if (revision != 11 && revision != 12)
        throw NumberedError(err::NotImplemented, std::string(APP_TITLE), "No such version!");
    const std::string word = revision == 11 ? " " : " 97-2003 ";
    std::vector<FileFilter> f;
    f.push_back({GetText(62) + " (*.*)", "*.*"});
    f.push_back({"MS Access" + word + "databases (*.mdb)", "*.mdb", revision == 11});
    f.push_back({"MS Access" + word + "executable " + GetText(63) + " (*.mde)", "*.mde"});
    if (revision == 12) {
        f.push_back({"MS Access databases (*.accdb)", "*.accdb", true});
        f.push_back({"MS Access executable " + GetText(63) + " (*.accde)", "*.accde"});
    }
    f.push_back({"SQLite (*.sqlite;*.sqlite3;*.db)", "*.sqlite;*.sqlite3;*.db"});
    f.push_back({GetText(64) + " (*.lnk;*.desktop)", "*.lnk;*.desktop"});
    return f;
}

void clsDSAccess::GetConnectionInfo() {
    mDatabasePath = SelectDatabaseFile().value_or(std::string());
}

std::optional<std::string> clsDSAccess::SelectDatabaseFile() {
    for (;;) {
        const std::optional<std::string> path = ShowOpenDialog();
        if (!path) return std::nullopt;
        const std::string ext = clsAux::FileExtension(*path);
        if (isDatabaseExtension(ext)) return path;
        if (ext == "lnk" || ext == "desktop") return ResolveShortcut(*path);
        if (mContext.Dialogs)
            modErrors::ShowMessage(*mContext.Dialogs, modGlobalization::GetText(57),
                                   modErrors::FlagsInformation);
    }
}

std::optional<std::string> clsDSAccess::ShowOpenDialog() {
    if (!mContext.Dialogs) return std::nullopt;
    const std::vector<FileFilter> filters = DatabaseFilters(mContext.RevisionNumber);
    std::string folder;
    if (mContext.Settings) folder = mContext.Settings->ReadSetting(setting::InitDir).toString();
    if (folder.empty() && mContext.Shell) {
        try {
            folder = mContext.Shell->documentsFolder();
        } catch (const NumberedError&) {
            // No documents folder: the picker opens where the host's own file dialogs do.
        }
    }
    std::optional<std::string> file =
        mContext.Dialogs->openFile(modGlobalization::GetText(61), folder, filters);
    if (!file) return std::nullopt;
    // Pickers hand back the name as typed; a NUL cuts it, as it would any path.
    if (const std::size_t nul = file->find('\0'); nul != std::string::npos) file->resize(nul);
    if (file->empty()) return std::nullopt;
    const std::size_t sep = file->find_last_of("\\/");
    if (mContext.Settings && sep != std::string::npos)
        mContext.Settings->SaveSetting(static_cast<int>(reg::REG_SZ), setting::InitDir,
                                       Variant(file->substr(0, sep == 0 ? 1 : sep)));
    return file;
}

std::string clsDSAccess::ResolveShortcut(const std::string& path) {
    const std::optional<ShortcutInfo> link =
        mContext.Shell ? mContext.Shell->readShortcut(path) : std::nullopt;
    if (!link || !startsADatabaseProgram(link->targetPath)) notAWorkgroupShortcut();
    const ShortcutArguments args = splitShortcutArguments(link->arguments);
    if (args.database.empty()) notAWorkgroupShortcut();
    // Every switch is checked before any is applied, so a refused shortcut changes nothing.
    for (const ShortcutSwitch& sw : args.switches)
        if (sw.value.empty()) notAWorkgroupShortcut();
    for (const ShortcutSwitch& sw : args.switches) {
        if (sw.name == "wrkgrp")
            mWorkgroupFile = sw.value;
        else if (sw.name == "user")
            mUserName = sw.value;
        else if (sw.name == "pwd")
            mPassword = sw.value;
    }
    return args.database;
}

} // namespace qv
