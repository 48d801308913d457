// The data source: everything the rest of the add-in knows about an open database. It hides
// the kind of database and its two connections (records and statements on one side, the
// catalogue on the other). Both connections are short-lived: callers close them after each
// task and the data source reopens what the next task needs.
#pragma once

#include "datasource/KeyedCollection.h"
#include "datasource/clsParameter.h"
#include "datasource/clsQuery.h"
#include "platform/Variant.h"
#include "platform/engine/IAdoCommand.h"
#include "platform/engine/IAdoConnection.h"
#include "platform/engine/IDaoDatabase.h"

#include <cstdint>
#include <memory>
#include <string>

namespace qv {

class ITable;

using NameCollection = KeyedCollection<std::string>;
using NameCollectionPtr = std::shared_ptr<NameCollection>;
using QueryCollection = KeyedCollection<clsQuery>;
using QueryCollectionPtr = std::shared_ptr<QueryCollection>;

class IDS {
  public:
    virtual ~IDS() = default;

    virtual void ConnectADO() = 0; // raises 667 (refused logon) or 670
    virtual void DisconnectADO() = 0;
    virtual bool ConnectDAO() = 0; // false when the user gave up
    virtual void DisconnectDAO() = 0;

    // Runs a row-returning statement; with closeConnection the record set is detached and the
    // connection closed, the rows stay readable.
    virtual AdoRecordsetPtr GetRecordSet(const std::string& sql, bool closeConnection) = 0;
    // Runs a statement that returns no rows; answers the number of records affected.
    virtual std::int32_t ExecuteQuery(const std::string& sql) = 0;
    virtual void CloseRecordSet(AdoRecordsetPtr& rs) = 0;

    // true: the tables; false: the saved queries.
    virtual void DetermineDbObjects(bool tables) = 0;

    virtual std::string Convert2Date(const Variant& dateTime) = 0;
    virtual std::string Convert2GUID(const std::string& guid) = 0;

    virtual AdoCommandPtr InitializeCommand() = 0;
    // Sets text, type and parameters of a command for the saved query of that name; a query with
    // parameters asks the user for each value (665 when one is cancelled).
    virtual void DefineCommand(IAdoCommand& oCommand, const std::string& QueryName) = 0;
    virtual ParameterCollection DetermineParameters(const IDaoQueryDef& queryDef) = 0;
    virtual std::int32_t GetParameterDirectionTypeADO(const Variant& direction) = 0;
    virtual std::int32_t MapToTypeADO(const Variant& typeDAO) = 0;

    virtual std::string Connector() const = 0;
    virtual ITable& Table() = 0;
    virtual DaoDatabasePtr DbDAO() const = 0;

    virtual NameCollectionPtr TableNames() const = 0;
    virtual void SetTableNames(NameCollectionPtr names) = 0;
    // Null for a data source that offers no views (not an empty list).
    virtual NameCollectionPtr ViewNames() const = 0;
    virtual NameCollectionPtr QueryNames() const = 0;
    virtual void SetQueryNames(NameCollectionPtr names) = 0;
    virtual QueryCollectionPtr Queries() const = 0;
    virtual void SetQueries(QueryCollectionPtr queries) = 0;
};

} // namespace qv
