// Connecting an Access database and reading its catalogue. The catalogue side decides on the
// engine's error numbers (wrong password, wrong account, failed link) rather than trapping
// everything, so a refused password leads to the logon dialog and anything else to the caller.
#include "datasource/clsDSAccess.h"

#include "common/modErrors.h"
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
#include "platform/NameQuote.h"
#include "platform/engine/AdoConstants.h"
#include "platform/engine/DaoConstants.h"

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

bool clsDSAccess::ConnectDAO() {
    OpenResult first =
        mWorkgroupFile.empty() ? OpenWithPassword(mPassword) : OpenWithWorkgroup(UserName(), mPassword);
    if (first.db) {
        mDbDAO = std::move(first.db);
        return true;
    }
    switch (first.number) {
    case err::DaoAccountNotValid:
    case err::DaoPasswordNotValid:
        break;
    case err::DaoOdbcConnectFailed:
        throw NumberedError(err::PreparedWarning, kConnectDAO, DSText(msg::OdbcFailed));
    case err::DaoFormatNotInstalled:
        // The engine recognised an Access file it cannot read: no password would help, and the
        // person reads why in their own language rather than the engine's English.
        throw NumberedError(err::PreparedWarning, kConnectDAO, DSText(msg::AccessNotReadable, mDatabasePath));
    default:
        throw NumberedError(first.number, kConnectDAO, first.description);
    }

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
            return true;
        }
        if (mContext.Dialogs)
            modErrors::ShowMessage(*mContext.Dialogs, LogonFailedText(), modErrors::FlagsExclamation);
    }
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

} // namespace qv
