#include "form/clsRowSql.h"

#include "common/clsAux.h"
#include "common/modGlobalization.h"
#include "datasource/IDS.h"
#include "datasource/clsField.h"
#include "platform/NameQuote.h"
#include "platform/NumberedError.h"
#include "platform/Utf8.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <fmt/format.h>
#include <limits>
#include <optional>

namespace qv {

namespace {

constexpr const char* Source = "WriteData";
constexpr std::size_t MaxKeyColumns = 255;

// Catalogue texts that already tell a person what a column of each type takes.
constexpr int MsgInvalidInput = 97;
constexpr int MsgEnterInteger = 99;
constexpr int MsgEnterPositiveInteger = 100;
constexpr int MsgSelectBoolean = 107;
constexpr int MsgEnterAmount = 108;
constexpr int MsgEnterNumber = 109;
constexpr int MsgEnterDate = 110;
constexpr int MsgGuidFormat = 113;
constexpr int MsgTextTooLong = 115;
constexpr int MsgEnterValue = 114;

enum class Kind { Integer, Number, Date, Boolean, Guid, Text };

Kind kindOf(std::int32_t typeADO) {
    switch (typeADO) {
    case 2:
    case 3:
    case 16:
    case 17:
    case 18:
    case 19:
    case 20:
    case 21:
        return Kind::Integer;
    case 4:
    case 5:
    case 6:
    case 14:
    case 131:
        return Kind::Number;
    case 7:
    case 64:
    case 133:
    case 134:
    case 135:
        return Kind::Date;
    case 11:
        return Kind::Boolean;
    case 72:
        return Kind::Guid;
    default:
        return Kind::Text;
    }
}

// The range an integer column's type can hold.
std::pair<long double, long double> integerRange(std::int32_t typeADO) {
    switch (typeADO) {
    case 2:
        return {-32768.0L, 32767.0L};
    case 3:
        return {-2147483648.0L, 2147483647.0L};
    case 16:
        return {-128.0L, 127.0L};
    case 17:
        return {0.0L, 255.0L};
    case 18:
        return {0.0L, 65535.0L};
    case 19:
        return {0.0L, 4294967295.0L};
    case 21:
        return {0.0L, 18446744073709551615.0L};
    default:
        return {-9223372036854775808.0L, 9223372036854775807.0L};
    }
}

std::string headerText(const clsField& field) {
    return field.Caption().empty() ? field.Name() : field.Caption();
}

[[noreturn]] void refuse(const clsField& field, int hintId) {
    throw NumberedError(err::PreparedMessage, Source,
                        fmt::format("{}: {}\r{}", modGlobalization::GetText(MsgInvalidInput),
                                    headerText(field), modGlobalization::GetText(hintId)));
}

std::string trimBlanks(const std::string& s) {
    const auto first = s.find_first_not_of(' ');
    if (first == std::string::npos) return {};
    return s.substr(first, s.find_last_not_of(' ') - first + 1);
}

std::string lower(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return s;
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// Number text as a person types it, with a decimal comma or point: sign, digits, one decimal
// separator, optional exponent, nothing else. Answers the text with a point and no '+' sign.
std::optional<std::string> normalisedNumberText(const std::string& typed) {
    std::string s = trimBlanks(typed);
    std::replace(s.begin(), s.end(), ',', '.');
    std::size_t i = 0;
    std::string out;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
        if (s[i] == '-') out += '-';
        ++i;
    }
    std::size_t digits = 0;
    while (i < s.size() && isDigit(s[i]))
        out += s[i++], ++digits;
    if (i < s.size() && s[i] == '.') {
        out += s[i++];
        while (i < s.size() && isDigit(s[i]))
            out += s[i++], ++digits;
    }
    if (digits == 0) return std::nullopt;
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        out += 'e';
        ++i;
        if (i < s.size() && (s[i] == '+' || s[i] == '-')) out += s[i++];
        std::size_t exponentDigits = 0;
        while (i < s.size() && isDigit(s[i]))
            out += s[i++], ++exponentDigits;
        if (exponentDigits == 0) return std::nullopt;
    }
    if (i != s.size()) return std::nullopt;
    if (out.back() == '.') out.pop_back();
    if (out.front() == '.') out.insert(out.begin(), '0');
    if (out.compare(0, 2, "-.") == 0) out.insert(1, "0");
    return out;
}

std::optional<double> parseNumber(const std::string& text) {
    double d = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), d);
    if (ec != std::errc() || end != text.data() + text.size() || !std::isfinite(d)) return std::nullopt;
    return d;
}

std::string currencyText(Currency c) {
    const bool negative = c.scaled < 0;
    // The magnitude as unsigned, so the most negative amount still prints.
    const std::uint64_t magnitude =
        negative ? static_cast<std::uint64_t>(-(c.scaled + 1)) + 1 : static_cast<std::uint64_t>(c.scaled);
    std::string text = fmt::format("{}{}.{:04}", negative ? "-" : "", magnitude / 10000, magnitude % 10000);
    while (text.back() == '0')
        text.pop_back();
    if (text.back() == '.') text.pop_back();
    return text;
}

std::string integerLiteral(const clsField& field, const Variant& value, int hint) {
    long double number = 0;
    std::string text;
    if (value.isString()) {
        const auto normalised = normalisedNumberText(value.str());
        if (!normalised) refuse(field, hint);
        const auto d = parseNumber(*normalised);
        if (!d) refuse(field, hint);
        // Digits alone are taken as written, so 64-bit keys beyond a double's precision survive.
        const bool plainDigits = normalised->find_first_of(".e") == std::string::npos;
        number = *d;
        text = plainDigits ? *normalised : std::string();
    } else if (value.isIntegral()) {
        number = static_cast<long double>(value.toInt64());
        text = std::to_string(value.toInt64());
    } else if (value.isNumber()) {
        const double d = value.type() == VarType::Currency ? value.toCurrency().toDouble() : value.toDouble();
        if (!std::isfinite(d)) refuse(field, hint);
        number = d;
    } else {
        refuse(field, hint);
    }
    if (number != std::floor(number)) refuse(field, hint);
    const auto [low, high] = integerRange(field.TypeADO());
    if (number < low || number > high) refuse(field, hint);
    if (!text.empty()) {
        if (text == "-0") return "0";
        return text;
    }
    return fmt::format("{:.0f}", static_cast<double>(number));
}

std::string numberLiteral(const clsField& field, const Variant& value) {
    const int hint = field.TypeADO() == 6 ? MsgEnterAmount : MsgEnterNumber;
    if (value.isString()) {
        const auto normalised = normalisedNumberText(value.str());
        if (!normalised || !parseNumber(*normalised)) refuse(field, hint);
        return *normalised;
    }
    if (value.type() == VarType::Currency) return currencyText(value.toCurrency());
    if (!value.isNumber()) refuse(field, hint);
    if (value.isIntegral()) return std::to_string(value.toInt64());
    const std::string text = clsRowSql::NumberLiteral(value.toDouble());
    if (text.empty()) refuse(field, hint);
    return text;
}

std::string dateLiteral(IDS& ds, const clsField& field, const Variant& value) {
    if (!(value.isDate() || value.isNumber() || value.isString())) refuse(field, MsgEnterDate);
    try {
        return ds.Convert2Date(value);
    } catch (const NumberedError&) {
        refuse(field, MsgEnterDate);
    }
}

std::optional<bool> booleanOf(const Variant& value) {
    if (value.isBool()) return value.toBool();
    if (value.isNumber()) return value.toDouble() != 0.0;
    if (!value.isString()) return std::nullopt;
    const std::string t = lower(trimBlanks(value.str()));
    if (t == "true" || t == "waar" || t == "ja" || t == "yes" || t == "1" || t == "-1") return true;
    if (t == "false" || t == "onwaar" || t == "nee" || t == "no" || t == "0") return false;
    return std::nullopt;
}

bool isGuidText(const std::string& s) {
    // {XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}
    if (s.size() != 38 || s.front() != '{' || s.back() != '}') return false;
    for (std::size_t i = 1; i < 37; ++i) {
        const bool dash = i == 9 || i == 14 || i == 19 || i == 24;
        if (dash != (s[i] == '-')) return false;
        if (!dash && !std::isxdigit(static_cast<unsigned char>(s[i]))) return false;
    }
    return true;
}

std::string quotedText(const std::string& text) {
    std::string out;
    out.reserve(text.size() + 2);
    out += '\'';
    for (char c : text) {
        if (c == '\'') out += '\'';
        out += c;
    }
    out += '\'';
    return out;
}

} // namespace

std::string clsRowSql::NumberLiteral(double value) {
    if (!std::isfinite(value)) return {};
    if (value == 0) return "0";
    return fmt::format("{}", value);
}

std::string clsRowSql::CellToSql(IDS& ds, const clsField& field, const Variant& value) {
    if (value.isEmpty() || value.isNull()) return "NULL";
    if (value.isString() && trimBlanks(value.str()).empty()) return "NULL";
    if (value.isError() || value.isBinary()) refuse(field, MsgEnterValue);
    switch (kindOf(field.TypeADO())) {
    case Kind::Integer:
        return integerLiteral(field, value,
                              field.TypeADO() >= 17 && field.TypeADO() <= 21 && field.TypeADO() != 20
                                  ? MsgEnterPositiveInteger
                                  : MsgEnterInteger);
    case Kind::Number:
        return numberLiteral(field, value);
    case Kind::Date:
        return dateLiteral(ds, field, value);
    case Kind::Boolean: {
        const auto b = booleanOf(value);
        if (!b) refuse(field, MsgSelectBoolean);
        return *b ? "1" : "0";
    }
    case Kind::Guid: {
        const std::string text = value.isString() ? trimBlanks(value.str()) : std::string();
        if (!isGuidText(text)) refuse(field, MsgGuidFormat);
        return ds.Convert2GUID(text);
    }
    case Kind::Text:
        break;
    }
    const std::string text = value.toString();
    if (text.find('\0') != std::string::npos) refuse(field, MsgEnterValue);
    // A declared size is the column's limit; cutting would lose what the person typed.
    if (field.Size() > 0 && Utf8::codePoints(text) > static_cast<std::size_t>(field.Size())) {
        throw NumberedError(err::PreparedMessage, Source,
                            fmt::format("{}: {} ({})", modGlobalization::GetText(MsgTextTooLong),
                                        headerText(field), field.Size()));
    }
    return quotedText(text);
}

std::string clsRowSql::KeyToSql(IDS& ds, const clsField& field, const Variant& loaded) {
    if (loaded.isNull() || loaded.isEmpty()) return "NULL";
    switch (kindOf(field.TypeADO())) {
    case Kind::Integer:
    case Kind::Number:
        if (loaded.isNumber()) return numberLiteral(field, loaded);
        return CellToSql(ds, field, loaded);
    case Kind::Date:
        // A number another program stored in a date column is matched as the number it is: as a
        // date literal it would equal nothing, and the record would seem gone.
        if (loaded.isNumber()) return numberLiteral(field, loaded);
        return ds.Convert2Date(loaded);
    case Kind::Boolean: {
        if (loaded.isString()) {
            const std::string t = lower(trimBlanks(loaded.str()));
            return t == "waar" || t == "true" ? "1" : "0";
        }
        return booleanOf(loaded).value_or(false) ? "1" : "0";
    }
    case Kind::Guid:
        return ds.Convert2GUID(loaded.toString());
    case Kind::Text:
        break;
    }
    return quotedText(loaded.toString());
}

std::string clsRowSql::KeyCondition(IDS& ds, const FieldValues& keys) {
    if (keys.empty() || keys.size() > MaxKeyColumns)
        throw NumberedError(err::PreparedMessage, Source, "The record has no usable primary key.");
    std::string out = " WHERE ";
    bool first = true;
    for (const auto& [field, value] : keys) {
        if (!first) out += " AND ";
        first = false;
        out += NameQuote::bracketed(field->Name());
        if (value.isNull() || value.isEmpty())
            out += " Is Null";
        else
            out += " = " + KeyToSql(ds, *field, value);
    }
    return out;
}

std::string clsRowSql::BuildUpdate(IDS& ds, const std::string& table, const FieldValues& edited,
                                   const FieldValues& keys) {
    std::string sql = "Update " + clsAux::QuoteName(table) + " SET ";
    bool first = true;
    for (const auto& [field, value] : edited) {
        if (!first) sql += ", ";
        first = false;
        sql += NameQuote::bracketed(field->Name()) + " = " + CellToSql(ds, *field, value);
    }
    return sql + KeyCondition(ds, keys);
}

std::string clsRowSql::BuildInsert(IDS& ds, const std::string& table, const FieldValues& edited) {
    std::string names;
    std::string values;
    for (const auto& [field, value] : edited) {
        if (!names.empty()) {
            names += ", ";
            values += ", ";
        }
        names += NameQuote::bracketed(field->Name());
        values += CellToSql(ds, *field, value);
    }
    return "Insert Into " + clsAux::QuoteName(table) + " (" + names + ") Values (" + values + ")";
}

std::string clsRowSql::BuildDelete(IDS& ds, const std::string& table, const FieldValues& keys) {
    return "DELETE FROM " + clsAux::QuoteName(table) + KeyCondition(ds, keys);
}

} // namespace qv
