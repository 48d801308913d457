// Conversion and arithmetic functions; rounding goes through NumberText so it agrees with Format.
#include "engines/accesssql/NumberFunctions.h"

#include "engines/accesssql/Keyword.h"
#include "engines/accesssql/NumberText.h"
#include "engines/accesssql/SqlValue.h"

#include <cmath>

namespace qv::accesssql {

namespace {

// Reads argument 0 as a number: null answers null, anything else that is no number a type mismatch.
bool numberArg(sqlite3_context* ctx, sqlite3_value* v, const char* name, double& out) {
    if (SqlValue::isNull(v)) {
        SqlValue::api().result_null(ctx);
        return false;
    }
    if (SqlValue::api().value_type(v) == SQLITE_TEXT) {
        // Yes/no words convert as the engine converts them.
        const std::string_view t = SqlValue::textView(v);
        if (Keyword::equalsNoCase(t, "True")) {
            out = -1;
            return true;
        }
        if (Keyword::equalsNoCase(t, "False")) {
            out = 0;
            return true;
        }
    }
    const auto n = SqlValue::number(v);
    if (!n) {
        SqlValue::typeMismatch(ctx, name);
        return false;
    }
    out = *n;
    return true;
}

void toWhole(sqlite3_context* ctx, sqlite3_value** a, const char* name, double lo, double hi) {
    double v = 0;
    if (!numberArg(ctx, a[0], name, v)) return;
    const double r = NumberText::round(v, 0, Rounding::HalfEven);
    if (r < lo || r > hi) return SqlValue::error(ctx, name, "Overflow");
    SqlValue::api().result_int64(ctx, static_cast<sqlite3_int64>(r));
}

void fnCLng(sqlite3_context* ctx, int, sqlite3_value** a) {
    toWhole(ctx, a, "CLng", -2147483648.0, 2147483647.0);
}
void fnCInt(sqlite3_context* ctx, int, sqlite3_value** a) {
    toWhole(ctx, a, "CInt", -32768.0, 32767.0);
}
void fnCByte(sqlite3_context* ctx, int, sqlite3_value** a) {
    toWhole(ctx, a, "CByte", 0.0, 255.0);
}

void fnCDbl(sqlite3_context* ctx, int, sqlite3_value** a) {
    double v = 0;
    if (numberArg(ctx, a[0], "CDbl", v)) SqlValue::api().result_double(ctx, v);
}

void fnCSng(sqlite3_context* ctx, int, sqlite3_value** a) {
    double v = 0;
    if (!numberArg(ctx, a[0], "CSng", v)) return;
    if (std::fabs(v) > 3.402823e38) return SqlValue::error(ctx, "CSng", "Overflow");
    SqlValue::api().result_double(ctx, NumberText::roundSignificant(v, 7));
}

void fnCCur(sqlite3_context* ctx, int, sqlite3_value** a) {
    double v = 0;
    if (!numberArg(ctx, a[0], "CCur", v)) return;
    if (std::fabs(v) > 922337203685477.0) return SqlValue::error(ctx, "CCur", "Overflow");
    SqlValue::api().result_double(ctx, NumberText::round(v, 4, Rounding::HalfEven));
}

void fnCBool(sqlite3_context* ctx, int, sqlite3_value** a) {
    double v = 0;
    if (numberArg(ctx, a[0], "CBool", v)) SqlValue::resultBool(ctx, v != 0);
}

void fnCStr(sqlite3_context* ctx, int, sqlite3_value** a) {
    if (SqlValue::isNull(a[0])) return SqlValue::error(ctx, "CStr", "Invalid use of Null");
    SqlValue::resultText(ctx, SqlValue::text(a[0]));
}

void fnVal(sqlite3_context* ctx, int, sqlite3_value** a) {
    if (SqlValue::isNull(a[0])) return SqlValue::error(ctx, "Val", "Invalid use of Null");
    if (SqlValue::api().value_type(a[0]) != SQLITE_TEXT) return SqlValue::api().result_value(ctx, a[0]);
    SqlValue::resultNumber(ctx, NumberText::val(SqlValue::textView(a[0])));
}

void fnInt(sqlite3_context* ctx, int, sqlite3_value** a) {
    double v = 0;
    if (numberArg(ctx, a[0], "Int", v)) SqlValue::resultNumber(ctx, std::floor(v));
}

void fnFix(sqlite3_context* ctx, int, sqlite3_value** a) {
    double v = 0;
    if (numberArg(ctx, a[0], "Fix", v)) SqlValue::resultNumber(ctx, std::trunc(v));
}

// Round(x[, digits]) rounds a half to the even neighbour: Round(2.5) = 2, Round(0.125, 2) = 0.12.
void fnRound(sqlite3_context* ctx, int argc, sqlite3_value** a) {
    double v = 0;
    if (!numberArg(ctx, a[0], "Round", v)) return;
    int digits = 0;
    if (argc > 1 && !SqlValue::isNull(a[1])) digits = SqlValue::api().value_int(a[1]);
    if (digits < 0) return SqlValue::error(ctx, "Round", "Invalid procedure call or argument");
    const double r = NumberText::round(v, digits, Rounding::HalfEven);
    if (digits == 0) return SqlValue::resultNumber(ctx, r);
    SqlValue::api().result_double(ctx, r);
}

void fnSgn(sqlite3_context* ctx, int, sqlite3_value** a) {
    double v = 0;
    if (numberArg(ctx, a[0], "Sgn", v)) SqlValue::api().result_int(ctx, v > 0 ? 1 : (v < 0 ? -1 : 0));
}

void fnAbs(sqlite3_context* ctx, int, sqlite3_value** a) {
    if (SqlValue::api().value_type(a[0]) == SQLITE_INTEGER && SqlValue::api().value_int64(a[0]) > INT64_MIN)
        return SqlValue::api().result_int64(ctx, std::llabs(SqlValue::api().value_int64(a[0])));
    double v = 0;
    if (numberArg(ctx, a[0], "Abs", v)) SqlValue::resultNumber(ctx, std::fabs(v));
}

void fnSqr(sqlite3_context* ctx, int, sqlite3_value** a) {
    double v = 0;
    if (!numberArg(ctx, a[0], "Sqr", v)) return;
    if (v < 0) return SqlValue::error(ctx, "Sqr", "Invalid procedure call or argument");
    SqlValue::api().result_double(ctx, std::sqrt(v));
}

void fnExp(sqlite3_context* ctx, int, sqlite3_value** a) {
    double v = 0;
    if (numberArg(ctx, a[0], "Exp", v)) SqlValue::api().result_double(ctx, std::exp(v));
}

void fnLog(sqlite3_context* ctx, int, sqlite3_value** a) {
    double v = 0;
    if (!numberArg(ctx, a[0], "Log", v)) return;
    if (v <= 0) return SqlValue::error(ctx, "Log", "Invalid procedure call or argument");
    SqlValue::api().result_double(ctx, std::log(v));
}

// a \ b: both sides rounded to whole numbers first, the quotient truncated. Dividing by zero
// gives null, as SQLite's own / does, so one bad row does not end the whole query.
void fnIntDiv(sqlite3_context* ctx, int, sqlite3_value** a) {
    double x = 0, y = 0;
    if (!numberArg(ctx, a[0], "\\", x) || !numberArg(ctx, a[1], "\\", y)) return;
    const double rx = NumberText::round(x, 0, Rounding::HalfEven);
    const double ry = NumberText::round(y, 0, Rounding::HalfEven);
    if (ry == 0) return SqlValue::api().result_null(ctx);
    SqlValue::resultNumber(ctx, std::trunc(rx / ry));
}

void fnPow(sqlite3_context* ctx, int, sqlite3_value** a) {
    double x = 0, y = 0;
    if (!numberArg(ctx, a[0], "^", x) || !numberArg(ctx, a[1], "^", y)) return;
    const double r = std::pow(x, y);
    if (!std::isfinite(r)) return SqlValue::error(ctx, "^", "Invalid procedure call or argument");
    SqlValue::resultNumber(ctx, r);
}

} // namespace

void NumberFunctions::registerOn(SqliteRef db) {
    SqlValue::define(db, "CLng", 1, fnCLng);
    SqlValue::define(db, "CInt", 1, fnCInt);
    SqlValue::define(db, "CByte", 1, fnCByte);
    SqlValue::define(db, "CDbl", 1, fnCDbl);
    SqlValue::define(db, "CSng", 1, fnCSng);
    SqlValue::define(db, "CCur", 1, fnCCur);
    SqlValue::define(db, "CDec", 1, fnCDbl);
    SqlValue::define(db, "CBool", 1, fnCBool);
    SqlValue::define(db, "CStr", 1, fnCStr);
    SqlValue::define(db, "Val", 1, fnVal);
    SqlValue::define(db, "Int", 1, fnInt);
    SqlValue::define(db, "Fix", 1, fnFix);
    SqlValue::define(db, "Round", 1, fnRound);
    SqlValue::define(db, "Round", 2, fnRound);
    SqlValue::define(db, "Sgn", 1, fnSgn);
    SqlValue::define(db, "Abs", 1, fnAbs);
    SqlValue::define(db, "Sqr", 1, fnSqr);
    SqlValue::define(db, "Exp", 1, fnExp);
    SqlValue::define(db, "Log", 1, fnLog);
    SqlValue::define(db, "qv_intdiv", 2, fnIntDiv);
    SqlValue::define(db, "qv_pow", 2, fnPow);
}

} // namespace qv::accesssql
