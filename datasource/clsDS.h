// The part of a data source that does not depend on the kind of database: the records
// connection with its statements and record sets, the catalogue lists and the type groups.
// The owning data source connects; this part only notices when a connection is missing.
#pragma once

#include "datasource/IDS.h"

#include <cstdint>
#include <functional>
#include <string>

namespace qv {

class IObjectFactory;

class clsDS {
  public:
    explicit clsDS(IObjectFactory* objects);
    ~clsDS();
    clsDS(const clsDS&) = delete;
    clsDS& operator=(const clsDS&) = delete;

    std::int32_t GetDataTypeGroup(std::int32_t typeADO) const;

    const AdoConnectionPtr& Connection() const { return mConnection; }
    void SetConnection(AdoConnectionPtr connection) { mConnection = std::move(connection); }

    NameCollectionPtr TableNames() const { return mTableNames; }
    void SetTableNames(NameCollectionPtr names) { mTableNames = std::move(names); }
    NameCollectionPtr QueryNames() const { return mQueryNames; }
    void SetQueryNames(NameCollectionPtr names) { mQueryNames = std::move(names); }
    QueryCollectionPtr Queries() const { return mQueries; }
    void SetQueries(QueryCollectionPtr queries) { mQueries = std::move(queries); }

    // False when there is no connection; a connection that is not open is released first.
    bool IsConnected();
    AdoRecordsetPtr GetRecordSet(IDS& owner, const std::string& sql, bool closeConnection);
    std::int32_t ExecuteQuery(IDS& owner, const std::string& sql);
    void CloseRecordSet(AdoRecordsetPtr& rs);
    void DisconnectADO();
    AdoCommandPtr InitializeCommand();
    // Asks for the value of one input parameter and appends it to the command. A cancelled
    // prompt raises 665 in the Access edition and leaves the parameter out in the SQL Server
    // edition; any other failure leaves as 670.
    void AddParameter(IAdoCommand& command, const clsParameter& parameter);
    using InputBoxFn = std::function<Variant(const std::string& prompt, const std::string& title, int type)>;
    void SetParameterPrompt(InputBoxFn inputBox, bool sqlServerEdition) {
        mInputBox = std::move(inputBox);
        mSqlServerEdition = sqlServerEdition;
    }
    void CloseObject(DaoDatabasePtr& db);
    void ClearQueries();

  private:
    IObjectFactory* mObjects;
    AdoConnectionPtr mConnection;
    NameCollectionPtr mTableNames;
    NameCollectionPtr mQueryNames;
    QueryCollectionPtr mQueries;
    InputBoxFn mInputBox;
    bool mSqlServerEdition = false;
};

} // namespace qv
