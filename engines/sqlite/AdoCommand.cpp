// Parameter values arrive as the text the user typed; they are converted by the declared type
// before binding, so that "42" compares as a number and "5/3/2011" as a date.
#include "engines/sqlite/AdoCommand.h"

#include "engines/sqlite/AdoConnection.h"
#include "engines/sqlite/AdoParameter.h"
#include "engines/sqlite/EngineErrors.h"
#include "engines/sqlite/SqlDialect.h"
#include "platform/DaoTypeMap.h"
#include "platform/NameQuote.h"
#include "platform/OleDateTime.h"
#include "platform/engine/AdoConstants.h"
#include "platform/engine/DaoConstants.h"

#include <cmath>
#include <fmt/format.h>
#include <strings.h>

namespace qv::engine {

namespace {
const char* const Source = "ADODB.Command";

NumberedError improper(const std::string& detail) {
    return NumberedError(err::AdoParameterImproperlyDefined, Source,
                         fmt::format("Parameter object is improperly defined. {}", detail));
}

bool variableLength(int adoType) {
    switch (adoType) {
    case ado::Char:
    case ado::VarChar:
    case ado::LongVarChar:
    case ado::WChar:
    case ado::VarWChar:
    case ado::LongVarWChar:
    case ado::Binary:
    case ado::VarBinary:
    case ado::LongVarBinary:
        return true;
    default:
        return false;
    }
}

// The saved query or table a command names: "`Name`" or "[Name]" with doubled delimiters
// inside, or the bare name.
std::string unquoteName(std::string name) {
    if (auto bare = NameQuote::unquoted(name)) return *bare;
    while (!name.empty() && (name.front() == ' '))
        name.erase(0, 1);
    while (!name.empty() && (name.back() == ' '))
        name.pop_back();
    return name;
}
} // namespace

AdoParameterPtr AdoCommand::createParameter(const std::string& name, int type, int direction, long size,
                                            const Variant& value) {
    return std::make_shared<AdoParameter>(name, type, direction, size, value);
}

void AdoCommand::appendParameter(const AdoParameterPtr& p) {
    if (!p) throw ErrorCatalogue::make(err::InvalidArguments, Source);
    if (variableLength(p->type()) && p->size() <= 0)
        throw improper("Inconsistent or incomplete information was provided.");
    mParameters.push_back(p);
}

AdoParameterPtr AdoCommand::parameter(long index) const {
    if (index < 0 || index >= static_cast<long>(mParameters.size()))
        throw EngineErrors::itemNotFound(Source, std::to_string(index));
    return mParameters[static_cast<std::size_t>(index)];
}

AdoParameterPtr AdoCommand::parameter(const std::string& name) const {
    for (const auto& p : mParameters) {
        if (strcasecmp(p->name().c_str(), name.c_str()) == 0) return p;
    }
    throw EngineErrors::itemNotFound(Source, name);
}

Variant AdoCommand::convertForType(const Variant& v, int adoType) {
    if (v.isNull() || v.isEmpty() || v.isMissing()) return Variant::null();
    try {
        switch (adoType) {
        case ado::Boolean:
            return Variant(v.toBool());
        case ado::TinyInt:
        case ado::SmallInt:
        case ado::Integer:
        case ado::BigInt:
        case ado::UnsignedTinyInt:
        case ado::UnsignedSmallInt:
        case ado::UnsignedInt:
        case ado::UnsignedBigInt: {
            const double d = v.toDouble();
            if (d != std::floor(d)) return Variant(d); // let the comparison see the fraction
            return Variant(static_cast<std::int64_t>(d));
        }
        case ado::Single:
        case ado::Double:
        case ado::Currency:
        case ado::Decimal:
        case ado::Numeric:
        case ado::VarNumeric:
            return Variant(v.toDouble());
        case ado::Date:
        case ado::DBDate:
        case ado::DBTime:
        case ado::DBTimeStamp:
        case ado::FileTime: {
            const OleDate d = v.toDate();
            if (!OleDateTime::isInDateRange(d.value))
                throw improper(fmt::format("The value '{}' is not a date between the years 100 and 9999.",
                                           v.isDate() ? fmt::format("{}", d.value) : v.toString()));
            return Variant(d);
        }
        case ado::Binary:
        case ado::VarBinary:
        case ado::LongVarBinary:
            return v.isBinary() ? v : Variant(v.toString());
        default:
            return Variant(v.toString());
        }
    } catch (const NumberedError& e) {
        throw improper(
            fmt::format("The value cannot be converted to the parameter's type ({}).", e.description()));
    }
}

std::string AdoCommand::savedQuerySql() const {
    auto connection = std::dynamic_pointer_cast<AdoConnection>(mConnection);
    return connection->savedQueryText(unquoteName(mText), Source);
}

AdoRecordsetPtr AdoCommand::execute(long long* recordsAffected, int) {
    auto connection = std::dynamic_pointer_cast<AdoConnection>(mConnection);
    if (!connection || connection->state() != ado::StateOpen) {
        throw ErrorCatalogue::make(err::AdoConnectionNotUsable, Source);
    }
    std::string sql;
    switch (mType) {
    case ado::CmdStoredProc:
        sql = savedQuerySql();
        break;
    case ado::CmdTable:
        sql = "SELECT * FROM " + NameQuote::bracketed(unquoteName(mText));
        break;
    default:
        sql = mText;
        break;
    }
    const DialectStatement statement = connection->translate(sql);
    std::vector<AdoConnection::Binding> values;
    if (!statement.parameters.empty()) {
        for (const auto& declared : statement.parameters) {
            AdoParameterPtr given;
            for (const auto& p : mParameters) {
                if (strcasecmp(p->name().c_str(), declared.name.c_str()) == 0) given = p;
            }
            if (!given) throw improper(fmt::format("No value given for the parameter '{}'.", declared.name));
            values.push_back(
                {declared.bindName, convertForType(given->value(), DaoTypeMap::adoType(declared.daoType))});
        }
        return connection->run(statement, values, recordsAffected, Source);
    }
    // Without declared parameters, the appended ones fill the statement's "?" in order.
    for (const auto& p : mParameters) {
        if (p->direction() == ado::ParamInput || p->direction() == ado::ParamInputOutput)
            values.push_back({std::string(), convertForType(p->value(), p->type())});
    }
    return connection->run(statement, values, recordsAffected, Source);
}

} // namespace qv::engine
