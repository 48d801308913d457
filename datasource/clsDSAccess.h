// An Access database as a data source: a catalogue connection (opened first, asking the user
// for a missing or wrong password) and a records connection that reuses the credentials the
// catalogue side accepted. Both are reopened on demand after the callers close them.
#pragma once

#include "datasource/DSContext.h"
#include "datasource/IDS.h"
#include "datasource/clsDS.h"
#include "datasource/clsTableAccess.h"
#include "platform/IDialogs.h"
#include "platform/engine/IDaoDatabase.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace qv {

class clsDSAccess : public IDS {
  public:
    explicit clsDSAccess(DSContext context);
    ~clsDSAccess() override;
    clsDSAccess(const clsDSAccess&) = delete;
    clsDSAccess& operator=(const clsDSAccess&) = delete;

    // Filled by the file selection.
    void SetDatabasePath(std::string path) { mDatabasePath = std::move(path); }
    const std::string& DatabasePath() const { return mDatabasePath; }
    void SetWorkgroupFile(std::string path) { mWorkgroupFile = std::move(path); }
    const std::string& WorkgroupFile() const { return mWorkgroupFile; }
    void SetUserName(std::string user) { mUserName = std::move(user); }
    // "Admin" whenever no workgroup file is in use, whatever was stored.
    std::string UserName() const;
    void SetPassword(std::string password) { mPassword = std::move(password); }
    const std::string& Password() const { return mPassword; }

    // --- file selection
    // Asks for the database (or a shortcut to one) and fills the path and credentials; the path
    // stays empty when the person cancelled.
    void GetConnectionInfo();
    // The chosen database path; nothing when the person cancelled.
    std::optional<std::string> SelectDatabaseFile();
    // The picked file; nothing on cancel. Remembers the file's folder in "InitDir".
    std::optional<std::string> ShowOpenDialog();
    // The database a shortcut (.lnk or desktop entry) starts its program on; sets the workgroup
    // file, user and password its switches carry. 666 with message 65 for a shortcut to another
    // program, one that names no database, or a switch without a value.
    std::string ResolveShortcut(const std::string& path);
    // The picker's filters for a revision, the preselected one marked; 668 outside 11 and 12.
    static std::vector<FileFilter> DatabaseFilters(std::int32_t revision);

    std::int32_t GetDataTypeGroup(std::int32_t typeADO) const { return mDS.GetDataTypeGroup(typeADO); }
    bool IsConnected() { return mDS.IsConnected(); }
    // The records connection string for the current path and credentials.
    std::string ConnectionString() const;

    // ConnectDAO answers true once the database is open; when the user cancels a logon dialog
    // it raises 665, which callers pass on without showing anything.
    void ConnectADO() override;
    void DisconnectADO() override;
    bool ConnectDAO() override;
    void DisconnectDAO() override;

    AdoRecordsetPtr GetRecordSet(const std::string& sql, bool closeConnection) override;
    std::int32_t ExecuteQuery(const std::string& sql) override;
    void CloseRecordSet(AdoRecordsetPtr& rs) override;
    void BeginTrans() override { mDS.BeginTrans(*this); }
    void CommitTrans() override { mDS.CommitTrans(); }
    void RollbackTrans() override { mDS.RollbackTrans(); }
    void DetermineDbObjects(bool tables) override;

    std::string Convert2Date(const Variant& dateTime) override;
    std::string Convert2GUID(const std::string& guid) override;

    AdoCommandPtr InitializeCommand() override;
    void DefineCommand(IAdoCommand& oCommand, const std::string& QueryName) override;
    ParameterCollection DetermineParameters(const IDaoQueryDef& queryDef) override;
    std::int32_t GetParameterDirectionTypeADO(const Variant& direction) override;
    std::int32_t MapToTypeADO(const Variant& typeDAO) override;

    std::string Connector() const override { return mDatabasePath; }
    ITable& Table() override { return *mTable; }
    DaoDatabasePtr DbDAO() const override { return mDbDAO; }

    NameCollectionPtr TableNames() const override { return mDS.TableNames(); }
    void SetTableNames(NameCollectionPtr names) override { mDS.SetTableNames(std::move(names)); }
    NameCollectionPtr ViewNames() const override { return nullptr; }
    NameCollectionPtr QueryNames() const override { return mDS.QueryNames(); }
    void SetQueryNames(NameCollectionPtr names) override { mDS.SetQueryNames(std::move(names)); }
    QueryCollectionPtr Queries() const override { return mDS.Queries(); }
    void SetQueries(QueryCollectionPtr queries) override { mDS.SetQueries(std::move(queries)); }

  private:
    struct OpenResult {
        DaoDatabasePtr db;
        std::int32_t number = 0;
        std::string description;
    };

    OpenResult OpenWithPassword(const std::string& password);
    // Returns for a refused password or account (the person may try again); raises any other
    // failure of the open as the data source's error.
    void RaiseUnlessRefused(const OpenResult& result) const;
    void NoteReadOnly();
    OpenResult OpenWithWorkgroup(const std::string& user, const std::string& password);
    std::string LogonFailedText() const;
    std::string DaoEngineProgId() const;
    DaoEnginePtr CreateDaoEngine() const;
    void SetMousePointer(int pointer) const;
    void ListTables();
    void ListQueries();

    DSContext mContext;
    clsDS mDS;
    std::unique_ptr<clsTableAccess> mTable;
    DaoEnginePtr mDefaultEngine; // created on first use
    DaoDatabasePtr mDbDAO;
    std::string mDatabasePath;
    std::string mUserName;
    std::string mWorkgroupFile;
    std::string mPassword;
};

} // namespace qv
