// Statements and record sets over the records connection. Every foreign failure leaves here as
// error 670 carrying the engine's number, so callers report one kind of error.
#include "datasource/clsDS.h"

#include "common/AppConstants.h"
#include "common/modGlobalization.h"
#include "datasource/modDSMessages.h"
#include "datasource/modDataTypes.h"
#include "platform/IObjectFactory.h"
#include "platform/Utf8.h"
#include "platform/engine/AdoConstants.h"

#include <algorithm>
#include <cctype>
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
        constexpr std::int32_t kReadOnlyDatabase = 3027;
        if (e.number() == kReadOnlyDatabase && !mReadOnlyRefusal.empty())
            throw NumberedError(err::PreparedWarning, e.source(), mReadOnlyRefusal);
        throw WrapForeignError(e);
    }
}

void clsDS::BeginTrans(IDS& owner) {
    try {
        if (!IsConnected()) owner.ConnectADO();
        mConnection->beginTrans();
    } catch (const NumberedError& e) {
        if (e.number() == err::ForeignError) throw;
        throw WrapForeignError(e);
    }
}

void clsDS::CommitTrans() {
    try {
        if (!mConnection)
            throw NumberedError(err::AdoConnectionNotUsable, "CommitTrans", "No transaction is open.");
        mConnection->commitTrans();
    } catch (const NumberedError& e) {
        if (e.number() == err::ForeignError) throw;
        throw WrapForeignError(e);
    }
}

void clsDS::RollbackTrans() {
    if (!mConnection) return;
    try {
        mConnection->rollbackTrans();
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

namespace {

// Message ids of the parameter prompts.
constexpr int SkipHint = 54;
constexpr int EnterBoolean = 55;
constexpr int EnterNumber = 109;
constexpr int EnterDate = 112;
constexpr int EnterValue = 114;

// The host's input box types.
constexpr int InputNumber = 1;
constexpr int InputText = 2;
constexpr int InputLogical = 4;

std::string lowerAscii(std::string s) {
    for (auto& c : s)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

} // namespace

void clsDS::AddParameter(IAdoCommand& command, const clsParameter& parameter) {
    using modGlobalization::GetText;
    try {
        const std::int32_t direction = parameter.Direction();
        if (direction != ado::ParamInput && direction != ado::ParamInputOutput) return;
        if (!mInputBox)
            throw NumberedError(err::ObjectNotSet, "AddParameter", "Object variable not set: input box");
        const std::string skipHint = mSqlServerEdition ? "\r\r" + GetText(SkipHint) : std::string();
        const auto group = static_cast<DataTypeGroup>(GetDataTypeGroup(parameter.Type()));
        std::string prompt = std::string(direction == ado::ParamInput ? "Input" : "Input/Output") +
                             " parameter: " + parameter.Name() + "\r";
        int type = InputText;
        switch (group) {
        case DataTypeGroup::Boolean:
            prompt += GetText(EnterBoolean);
            type = InputLogical;
            break;
        case DataTypeGroup::Number:
            prompt += GetText(EnterNumber) + skipHint;
            type = InputNumber;
            break;
        case DataTypeGroup::DateTime:
            prompt += GetText(EnterDate) + skipHint;
            break;
        default:
            prompt += GetText(EnterValue) + skipHint;
            break;
        }
        const std::string answer = mInputBox(prompt, std::string(APP_NAME), type).toString();
        // Cancel answers the logical value false, whose text is "False" in an English host and
        // "Onwaar" in a Dutch one. Only a Yes/No parameter can take false as its value, and it
        // does so in either language.
        const std::string lowered = lowerAscii(answer);
        const bool cancelled = group != DataTypeGroup::Boolean && (lowered == "false" || lowered == "onwaar");
        if (cancelled) {
            if (mSqlServerEdition) return;
            throw NumberedError(err::Cancelled, "AddParameter", "");
        }
        // An empty answer is an empty value; the engine refuses a text parameter of size 0.
        command.appendParameter(command.createParameter(
            parameter.Name(), parameter.Type(), direction,
            std::max(1L, static_cast<long>(Utf8::codePoints(answer))), Variant::longValue(0)));
        command.parameter(parameter.Name())->setValue(Variant(answer));
    } catch (const NumberedError& e) {
        if (e.number() == err::Cancelled) throw;
        throw WrapForeignError(e);
    }
}

} // namespace qv
