// Statements and record sets over the records connection. Every foreign failure leaves here as
// error 670 carrying the engine's number, so callers report one kind of error.
#include "datasource/clsDS.h"

#include "datasource/modDSMessages.h"
#include "datasource/modDataTypes.h"
#include "platform/IObjectFactory.h"
#include "platform/engine/AdoConstants.h"

#include <limits>

namespace qv {

clsDS::clsDS(IObjectFactory* objects)
    : mObjects(objects), mTableNames(std::make_shared<NameCollection>()),
      mQueryNames(std::make_shared<NameCollection>()), mQueries(std::make_shared<QueryCollection>()) {}

clsDS::~clsDS() {
    ClearQueries();
    // A connection still open at release is closed quietly; there is nobody left to tell.
    try {
        DisconnectADO();
    } catch (const NumberedError&) {
    }
}

std::int32_t clsDS::GetDataTypeGroup(std::int32_t typeADO) const {
    return qv::GetDataTypeGroup(typeADO);
}

bool clsDS::IsConnected() {
    if (!mConnection) return false;
    if (mConnection->state() != ado::StateOpen) {
        DisconnectADO();
        return false;
    }
    return true;
}

void clsDS::DisconnectADO() {
    if (!mConnection) return;
    AdoConnectionPtr c = std::move(mConnection);
    mConnection.reset();
    if (c->state() != ado::StateClosed) c->close();
}

AdoRecordsetPtr clsDS::GetRecordSet(IDS& owner, const std::string& sql, bool closeConnection) {
    try {
        if (!IsConnected()) owner.ConnectADO();
        AdoRecordsetPtr rs = mConnection->execute(sql, nullptr, ado::OptionUnspecified);
        // Record sets are client-side: every row is already in memory, so closing the
        // connection leaves the caller a usable, detached record set.
        if (closeConnection) DisconnectADO();
        return rs;
    } catch (const NumberedError& e) {
        if (e.number() == err::ForeignError) throw;
        throw WrapForeignError(e);
    }
}

std::int32_t clsDS::ExecuteQuery(IDS& owner, const std::string& sql) {
    try {
        if (!IsConnected()) owner.ConnectADO();
        long long affected = 0;
        mConnection->execute(sql, &affected, ado::OptionUnspecified);
        if (affected > std::numeric_limits<std::int32_t>::max() ||
            affected < std::numeric_limits<std::int32_t>::min())
            throw ErrorCatalogue::make(err::Overflow, "ExecuteQuery");
        return static_cast<std::int32_t>(affected);
    } catch (const NumberedError& e) {
        throw WrapForeignError(e);
    }
}

void clsDS::CloseRecordSet(AdoRecordsetPtr& rs) {
    if (!rs) return;
    if (rs->state() != ado::StateClosed) rs->close();
    rs.reset();
}

AdoCommandPtr clsDS::InitializeCommand() {
    if (!mObjects) throw NumberedError(err::ObjectNotSet, "InitializeCommand", "Object variable not set");
    auto command = objectAs<IAdoCommand>(mObjects->createObject("ADODB.Command"));
    if (!command) throw ErrorCatalogue::make(err::CannotCreateObject, "InitializeCommand");
    command->setActiveConnection(mConnection);
    return command;
}

void clsDS::CloseObject(DaoDatabasePtr& db) {
    if (!db) return;
    DaoDatabasePtr d = std::move(db);
    db.reset();
    d->close();
}

void clsDS::ClearQueries() {
    mQueries.reset();
}

} // namespace qv
