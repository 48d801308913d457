// Argument reading and result writing shared by all function groups.
#include "engines/accesssql/SqlValue.h"

#include "engines/accesssql/NumberText.h"
#include "platform/NumberedError.h"

#include <cmath>
#include <fmt/format.h>

namespace qv::accesssql {

std::string_view SqlValue::textView(sqlite3_value* v) {
    const unsigned char* t = sqlite3_value_text(v);
    if (!t) return {};
    return {reinterpret_cast<const char*>(t), static_cast<std::size_t>(sqlite3_value_bytes(v))};
}

std::string SqlValue::text(sqlite3_value* v) {
    switch (sqlite3_value_type(v)) {
    case SQLITE_INTEGER:
        return std::to_string(sqlite3_value_int64(v));
    case SQLITE_FLOAT:
        return NumberText::toText(sqlite3_value_double(v));
    case SQLITE_NULL:
        return {};
    default:
        return std::string(textView(v));
    }
}

std::optional<double> SqlValue::number(sqlite3_value* v) {
    switch (sqlite3_value_type(v)) {
    case SQLITE_INTEGER:
        return static_cast<double>(sqlite3_value_int64(v));
    case SQLITE_FLOAT:
        return sqlite3_value_double(v);
    case SQLITE_TEXT:
        return NumberText::parse(textView(v));
    default:
        return std::nullopt;
    }
}

std::optional<Stamp> SqlValue::date(sqlite3_value* v) {
    switch (sqlite3_value_type(v)) {
    case SQLITE_INTEGER:
    case SQLITE_FLOAT: {
        const double d = sqlite3_value_double(v);
        if (!std::isfinite(d) || std::fabs(d) > 2958465.99999) return std::nullopt; // past 31 Dec 9999
        return AccessDate::fromOle(d);
    }
    case SQLITE_TEXT:
        return AccessDate::parse(textView(v));
    default:
        return std::nullopt;
    }
}

void SqlValue::resultText(sqlite3_context* ctx, std::string_view text) {
    sqlite3_result_text(ctx, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
}

void SqlValue::resultDate(sqlite3_context* ctx, const Stamp& s) {
    const CivilDate c = AccessDate::civil(s.days);
    if (c.year < 100 || c.year > 9999) {
        sqlite3_result_error(ctx, "Date out of range (years 100 to 9999).", -1);
        return;
    }
    resultText(ctx, AccessDate::toText(s));
}

void SqlValue::resultNumber(sqlite3_context* ctx, double v) {
    if (std::isnan(v)) {
        sqlite3_result_null(ctx);
    } else if (v == std::trunc(v) && std::fabs(v) < 9.2e18) {
        sqlite3_result_int64(ctx, static_cast<sqlite3_int64>(v));
    } else {
        sqlite3_result_double(ctx, v);
    }
}

void SqlValue::error(sqlite3_context* ctx, std::string_view functionName, std::string_view problem) {
    const std::string msg = fmt::format("{} in {}.", problem, functionName);
    sqlite3_result_error(ctx, msg.c_str(), static_cast<int>(msg.size()));
}

void SqlValue::typeMismatch(sqlite3_context* ctx, std::string_view functionName) {
    error(ctx, functionName, "Data type mismatch");
}

void SqlValue::define(sqlite3* db, const char* name, int nArg, Function fn, bool deterministic) {
    const int flags = SQLITE_UTF8 | (deterministic ? SQLITE_DETERMINISTIC : 0);
    if (sqlite3_create_function_v2(db, name, nArg, flags, nullptr, fn, nullptr, nullptr, nullptr) !=
        SQLITE_OK)
        throw NumberedError(err::ForeignError, "Access SQL",
                            fmt::format("SQLite refused the function {}: {}", name, sqlite3_errmsg(db)));
}

} // namespace qv::accesssql
