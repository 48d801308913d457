// Registers every Access function group on a connection, and Format, which spans dates, numbers and text.
#include "engines/accesssql/AccessFunctions.h"

#include "engines/accesssql/AccessFormat.h"
#include "engines/accesssql/AggregateFunctions.h"
#include "engines/accesssql/DateFunctions.h"
#include "engines/accesssql/NumberFunctions.h"
#include "engines/accesssql/NumberText.h"
#include "engines/accesssql/SqlValue.h"
#include "engines/accesssql/TextFunctions.h"
#include "platform/NumberedError.h"

namespace qv::accesssql {

namespace {

// Format(value[, format[, firstdayofweek[, firstweekofyear]]]). Text that reads as a date is a
// date for a date format; text that reads as a number is a number for a number format; any
// other text comes back as it is.
void fnFormat(sqlite3_context* ctx, int argc, sqlite3_value** a) {
    if (SqlValue::isNull(a[0])) return SqlValue::api().result_null(ctx);
    const std::string format = argc > 1 && !SqlValue::isNull(a[1]) ? SqlValue::text(a[1]) : std::string();
    const bool isText = SqlValue::api().value_type(a[0]) == SQLITE_TEXT;
    if (format.empty()) return SqlValue::resultText(ctx, SqlValue::text(a[0]));
    if (AccessFormat::isDateFormat(format)) {
        if (const auto d = SqlValue::date(a[0]))
            return SqlValue::resultText(ctx, AccessFormat::formatDate(*d, format));
    } else if (const auto n = SqlValue::number(a[0])) {
        return SqlValue::resultText(ctx, AccessFormat::formatNumber(*n, format));
    }
    if (isText) return SqlValue::resultText(ctx, AccessFormat::formatText(SqlValue::textView(a[0]), format));
    SqlValue::resultText(ctx, SqlValue::text(a[0]));
}

} // namespace

void AccessFunctions::registerAll(SqliteRef db) {
    if (!db)
        throw NumberedError(err::ObjectNotSet, "Access SQL",
                            "No database connection to register functions on.");
    DateFunctions::registerOn(db);
    TextFunctions::registerOn(db);
    NumberFunctions::registerOn(db);
    AggregateFunctions::registerOn(db);
    for (int n = 1; n <= 4; ++n)
        SqlValue::define(db, "Format", n, fnFormat);
}

} // namespace qv::accesssql
