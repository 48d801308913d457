// Tables of the type mappings; see the header for why they live together.
#include "datasource/modDataTypes.h"

#include "platform/DaoTypeMap.h"
#include "platform/NumberedError.h"
#include "platform/OleDateTime.h"
#include "platform/engine/AdoConstants.h"
#include "platform/engine/DaoConstants.h"

#include <fmt/format.h>

#include <optional>

namespace qv {

namespace {

// A variant holding a code; anything that is not a number falls into the default row.
std::optional<std::int64_t> codeOf(const Variant& v) {
    if (v.isNull() || v.isEmpty() || !v.isNumeric()) return std::nullopt;
    return static_cast<std::int64_t>(v.toDouble());
}

} // namespace

std::int32_t GetDataTypeGroup(std::int32_t typeADO) {
    switch (typeADO) {
    case ado::Boolean:
        return static_cast<std::int32_t>(DataTypeGroup::Boolean);
    case ado::SmallInt:
    case ado::Integer:
    case ado::Single:
    case ado::Double:
    case ado::Currency:
    case ado::Decimal:
    case ado::TinyInt:
    case ado::UnsignedTinyInt:
    case ado::UnsignedSmallInt:
    case ado::UnsignedInt:
    case ado::BigInt:
    case ado::UnsignedBigInt:
    case ado::Numeric:
        return static_cast<std::int32_t>(DataTypeGroup::Number);
    case ado::Date:
    case ado::FileTime:
    case ado::DBDate:
    case ado::DBTime:
    case ado::DBTimeStamp:
        return static_cast<std::int32_t>(DataTypeGroup::DateTime);
    default:
        return static_cast<std::int32_t>(DataTypeGroup::Other);
    }
}

bool IsCharacterType(std::int32_t typeADO) {
    switch (typeADO) {
    case ado::Char:
    case ado::WChar:
    case ado::VarChar:
    case ado::LongVarChar:
    case ado::VarWChar:
    case ado::LongVarWChar:
        return true;
    default:
        return false;
    }
}

bool HoldsTypedText(std::int32_t typeADO) {
    return IsCharacterType(typeADO) || typeADO == ado::GUID;
}

std::int32_t MapToTypeADO(const Variant& typeDAO) {
    const auto code = codeOf(typeDAO);
    return code ? DaoTypeMap::adoType(static_cast<int>(*code), false) : ado::VarWChar;
}

std::int32_t GetParameterDirectionTypeADO(const Variant& direction) {
    const auto code = codeOf(direction);
    if (!code) return 0;
    switch (*code) {
    case dao::ParamInput:
        return ado::ParamInput;
    case dao::ParamOutput:
        return ado::ParamOutput;
    case dao::ParamInputOutput:
        return ado::ParamInputOutput;
    default:
        return 0;
    }
}

std::string Convert2Date(const Variant& dateTime) {
    const double value = dateTime.toDate().value;
    // A year outside 100..9999 (or NaN) would give a literal the engine reads as another date.
    if (!OleDateTime::isInDateRange(value))
        throw NumberedError(err::Overflow, "Convert2Date",
                            fmt::format("The value {} is not a date between the years 100 and 9999.", value));
    const DateTimeParts p = OleDateTime::toParts(value);
    return fmt::format("#{:02}/{:02}/{:04} {:02}:{:02}:{:02}#", p.month, p.day, p.year, p.hour, p.minute,
                       p.second);
}

std::string Convert2GUID(const std::string& guid) {
    std::string out;
    out.reserve(guid.size() + 2);
    out += '\'';
    for (char c : guid) {
        if (c == '\'') out += '\'';
        out += c;
    }
    out += '\'';
    return out;
}

} // namespace qv
