// The part of a data source that does not depend on the kind of database: the records
// connection with its statements and record sets, the catalogue lists and the type groups.
// The owning data source connects; this part only notices when a connection is missing.
#pragma once

#include "datasource/IDS.h"

#include <cstdint>
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
    void CloseObject(DaoDatabasePtr& db);
    void ClearQueries();

  private:
    IObjectFactory* mObjects;
    AdoConnectionPtr mConnection;
    NameCollectionPtr mTableNames;
    NameCollectionPtr mQueryNames;
    QueryCollectionPtr mQueries;
};

} // namespace qv
