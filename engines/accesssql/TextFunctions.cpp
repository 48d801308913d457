// The text functions and null tests; UTF-8 aware through Utf8.
#include "engines/accesssql/TextFunctions.h"

#include "engines/accesssql/AccessDate.h"
#include "engines/accesssql/LikePattern.h"
#include "engines/accesssql/NumberText.h"
#include "engines/accesssql/SqlValue.h"
#include "engines/accesssql/Utf8.h"

#include <array>
#include <cmath>
#include <cstring>

namespace qv::accesssql {

namespace {

// A count or position argument: a whole number, rounded as the engine rounds.
bool countArg(sqlite3_context* ctx, sqlite3_value* v, const char* name, long long& out) {
    const auto n = SqlValue::number(v);
    if (!n) {
        SqlValue::typeMismatch(ctx, name);
        return false;
    }
    out = static_cast<long long>(NumberText::round(*n, 0, Rounding::HalfEven));
    return true;
}

void invalidCall(sqlite3_context* ctx, const char* name) {
    SqlValue::error(ctx, name, "Invalid procedure call or argument");
}

// Binary comparison (0) or text comparison (1, the default in queries).
bool textCompare(int argc, sqlite3_value** a, int index) {
    return argc <= index || SqlValue::isNull(a[index]) || SqlValue::api().value_int(a[index]) != 0;
}

void fnLen(sqlite3_context* ctx, int, sqlite3_value** a) {
    if (SqlValue::isNull(a[0])) return SqlValue::api().result_null(ctx);
    const std::string s = SqlValue::text(a[0]);
    SqlValue::api().result_int64(ctx, static_cast<sqlite3_int64>(Utf8::length(s)));
}

void fnLeft(sqlite3_context* ctx, int, sqlite3_value** a) {
    long long n = 0;
    if (SqlValue::isNull(a[0])) return SqlValue::api().result_null(ctx);
    if (!countArg(ctx, a[1], "Left", n)) return;
    if (n < 0) return invalidCall(ctx, "Left");
    const std::string s = SqlValue::text(a[0]);
    SqlValue::resultText(ctx, std::string_view(s).substr(0, Utf8::offsetOf(s, static_cast<std::size_t>(n))));
}

void fnRight(sqlite3_context* ctx, int, sqlite3_value** a) {
    long long n = 0;
    if (SqlValue::isNull(a[0])) return SqlValue::api().result_null(ctx);
    if (!countArg(ctx, a[1], "Right", n)) return;
    if (n < 0) return invalidCall(ctx, "Right");
    const std::string s = SqlValue::text(a[0]);
    const std::size_t len = Utf8::length(s);
    const std::size_t skip = static_cast<std::size_t>(n) >= len ? 0 : len - static_cast<std::size_t>(n);
    SqlValue::resultText(ctx, std::string_view(s).substr(Utf8::offsetOf(s, skip)));
}

void fnMid(sqlite3_context* ctx, int argc, sqlite3_value** a) {
    long long start = 0, n = -1;
    if (SqlValue::isNull(a[0])) return SqlValue::api().result_null(ctx);
    if (!countArg(ctx, a[1], "Mid", start)) return;
    if (argc > 2 && !SqlValue::isNull(a[2]) && !countArg(ctx, a[2], "Mid", n)) return;
    if (start < 1 || (argc > 2 && n < 0 && !SqlValue::isNull(a[2]))) return invalidCall(ctx, "Mid");
    const std::string s = SqlValue::text(a[0]);
    const std::size_t from = Utf8::offsetOf(s, static_cast<std::size_t>(start - 1));
    const std::string_view rest = std::string_view(s).substr(from);
    SqlValue::resultText(ctx,
                         n < 0 ? rest : rest.substr(0, Utf8::offsetOf(rest, static_cast<std::size_t>(n))));
}

// InStr(s1, s2) or InStr(start, s1, s2[, compare]): the character position of s2 in s1, or 0.
void fnInStr(sqlite3_context* ctx, int argc, sqlite3_value** a) {
    long long start = 1;
    int first = 0;
    if (argc >= 3) {
        if (SqlValue::isNull(a[0])) return invalidCall(ctx, "InStr");
        if (!countArg(ctx, a[0], "InStr", start)) return;
        if (start < 1) return invalidCall(ctx, "InStr");
        first = 1;
    }
    if (SqlValue::isNull(a[first]) || SqlValue::isNull(a[first + 1])) return SqlValue::api().result_null(ctx);
    const std::string hay = SqlValue::text(a[first]);
    const std::string needle = SqlValue::text(a[first + 1]);
    const std::size_t length = Utf8::length(hay);
    if (static_cast<std::size_t>(start) > length) return SqlValue::api().result_int(ctx, 0);
    const std::size_t from = Utf8::offsetOf(hay, static_cast<std::size_t>(start - 1));
    const std::size_t at =
        textCompare(argc, a, 3) ? Utf8::findNoCase(hay, needle, from) : hay.find(needle, from);
    if (at == std::string::npos) return SqlValue::api().result_int(ctx, 0);
    SqlValue::api().result_int64(
        ctx, static_cast<sqlite3_int64>(Utf8::length(std::string_view(hay).substr(0, at)) + 1));
}

void fnUCase(sqlite3_context* ctx, int, sqlite3_value** a) {
    if (SqlValue::isNull(a[0])) return SqlValue::api().result_null(ctx);
    SqlValue::resultText(ctx, Utf8::upper(SqlValue::text(a[0])));
}

void fnLCase(sqlite3_context* ctx, int, sqlite3_value** a) {
    if (SqlValue::isNull(a[0])) return SqlValue::api().result_null(ctx);
    SqlValue::resultText(ctx, Utf8::lower(SqlValue::text(a[0])));
}

void fnSpace(sqlite3_context* ctx, int, sqlite3_value** a) {
    long long n = 0;
    if (SqlValue::isNull(a[0])) return SqlValue::api().result_null(ctx);
    if (!countArg(ctx, a[0], "Space", n)) return;
    if (n < 0 || n > 65535 * 16) return invalidCall(ctx, "Space");
    SqlValue::resultText(ctx, std::string(static_cast<std::size_t>(n), ' '));
}

// Windows-1252 characters 128..159, which Chr gives for those codes.
constexpr std::array<char32_t, 32> kCp1252{
    0x20AC, 0x81,   0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x8D,   0x017D, 0x8F,   0x90,   0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x9D,   0x017E, 0x0178,
};

char32_t ansiChar(long long code) {
    if (code >= 128 && code < 160) return kCp1252[static_cast<std::size_t>(code - 128)];
    return static_cast<char32_t>(code);
}

void fnString(sqlite3_context* ctx, int, sqlite3_value** a) {
    long long n = 0;
    if (SqlValue::isNull(a[0]) || SqlValue::isNull(a[1])) return SqlValue::api().result_null(ctx);
    if (!countArg(ctx, a[0], "String", n)) return;
    if (n < 0 || n > 65535 * 16) return invalidCall(ctx, "String");
    std::string one;
    if (SqlValue::api().value_type(a[1]) == SQLITE_TEXT) {
        const std::string_view s = SqlValue::textView(a[1]);
        if (s.empty()) return invalidCall(ctx, "String");
        std::size_t i = 0;
        Utf8::next(s, i);
        one = s.substr(0, i);
    } else {
        long long code = 0;
        if (!countArg(ctx, a[1], "String", code)) return;
        Utf8::append(one, ansiChar(code % 256));
    }
    std::string out;
    out.reserve(one.size() * static_cast<std::size_t>(n));
    for (long long i = 0; i < n; ++i)
        out += one;
    SqlValue::resultText(ctx, out);
}

// Replace(text, find, with[, start[, count[, compare]]]): the result starts at `start`.
void fnReplace(sqlite3_context* ctx, int argc, sqlite3_value** a) {
    if (SqlValue::isNull(a[0])) return SqlValue::api().result_null(ctx);
    if (SqlValue::isNull(a[1]) || SqlValue::isNull(a[2])) return SqlValue::api().result_null(ctx);
    long long start = 1, count = -1;
    if (argc > 3 && !countArg(ctx, a[3], "Replace", start)) return;
    if (argc > 4 && !countArg(ctx, a[4], "Replace", count)) return;
    if (start < 1 || count < -1) return invalidCall(ctx, "Replace");
    const std::string text = SqlValue::text(a[0]);
    const std::string find = SqlValue::text(a[1]);
    const std::string with = SqlValue::text(a[2]);
    const bool noCase = textCompare(argc, a, 5);
    const std::string_view s =
        std::string_view(text).substr(Utf8::offsetOf(text, static_cast<std::size_t>(start - 1)));
    if (find.empty() || count == 0) return SqlValue::resultText(ctx, s);
    std::string out;
    out.reserve(s.size());
    std::size_t pos = 0;
    long long done = 0;
    while (count < 0 || done < count) {
        const std::size_t at = noCase ? Utf8::findNoCase(s, find, pos) : s.find(find, pos);
        if (at == std::string::npos) break;
        out.append(s.substr(pos, at - pos)).append(with);
        // The match may differ in length from `find` only by case folding, which keeps lengths
        // within the covered alphabets.
        pos = at + find.size();
        ++done;
    }
    out.append(s.substr(std::min(pos, s.size())));
    SqlValue::resultText(ctx, out);
}

void fnStrComp(sqlite3_context* ctx, int argc, sqlite3_value** a) {
    if (SqlValue::isNull(a[0]) || SqlValue::isNull(a[1])) return SqlValue::api().result_null(ctx);
    const std::string x = SqlValue::text(a[0]), y = SqlValue::text(a[1]);
    const int c = textCompare(argc, a, 2) ? Utf8::compareNoCase(x, y) : x.compare(y);
    SqlValue::api().result_int(ctx, c < 0 ? -1 : (c > 0 ? 1 : 0));
}

void fnAsc(sqlite3_context* ctx, int, sqlite3_value** a) {
    if (SqlValue::isNull(a[0])) return SqlValue::api().result_null(ctx);
    const std::string s = SqlValue::text(a[0]);
    if (s.empty()) return invalidCall(ctx, "Asc");
    std::size_t i = 0;
    const char32_t cp = Utf8::next(s, i);
    for (std::size_t k = 0; k < kCp1252.size(); ++k) // the ANSI code of a Windows-1252 character
        if (kCp1252[k] == cp && cp > 0xFF) return SqlValue::api().result_int(ctx, static_cast<int>(128 + k));
    SqlValue::api().result_int64(ctx, static_cast<sqlite3_int64>(cp));
}

void fnAscW(sqlite3_context* ctx, int, sqlite3_value** a) {
    if (SqlValue::isNull(a[0])) return SqlValue::api().result_null(ctx);
    const std::string s = SqlValue::text(a[0]);
    if (s.empty()) return invalidCall(ctx, "AscW");
    std::size_t i = 0;
    SqlValue::api().result_int64(ctx, static_cast<sqlite3_int64>(Utf8::next(s, i)));
}

void fnChr(sqlite3_context* ctx, int, sqlite3_value** a) {
    long long code = 0;
    if (SqlValue::isNull(a[0])) return SqlValue::api().result_null(ctx);
    if (!countArg(ctx, a[0], "Chr", code)) return;
    if (code < 0 || code > 255) return invalidCall(ctx, "Chr");
    std::string out;
    Utf8::append(out, ansiChar(code));
    SqlValue::resultText(ctx, out);
}

void fnChrW(sqlite3_context* ctx, int, sqlite3_value** a) {
    long long code = 0;
    if (SqlValue::isNull(a[0])) return SqlValue::api().result_null(ctx);
    if (!countArg(ctx, a[0], "ChrW", code)) return;
    if (code < 0 || code > 0x10FFFF) return invalidCall(ctx, "ChrW");
    std::string out;
    Utf8::append(out, static_cast<char32_t>(code));
    SqlValue::resultText(ctx, out);
}

void fnStrReverse(sqlite3_context* ctx, int, sqlite3_value** a) {
    if (SqlValue::isNull(a[0])) return SqlValue::api().result_null(ctx);
    const std::string s = SqlValue::text(a[0]);
    std::string out;
    out.reserve(s.size());
    for (std::size_t end = s.size(); end > 0;) {
        std::size_t begin = end - 1;
        while (begin > 0 && (static_cast<unsigned char>(s[begin]) & 0xC0) == 0x80)
            --begin;
        out.append(s, begin, end - begin);
        end = begin;
    }
    SqlValue::resultText(ctx, out);
}

// Nz(value[, valueIfNull]): a query sees a zero-length text for a null without the second argument.
void fnNz(sqlite3_context* ctx, int argc, sqlite3_value** a) {
    if (!SqlValue::isNull(a[0])) return SqlValue::api().result_value(ctx, a[0]);
    if (argc > 1) return SqlValue::api().result_value(ctx, a[1]);
    SqlValue::api().result_text(ctx, "", 0, SQLITE_STATIC);
}

void fnIsNull(sqlite3_context* ctx, int, sqlite3_value** a) {
    SqlValue::resultBool(ctx, SqlValue::isNull(a[0]));
}

void fnIsNumeric(sqlite3_context* ctx, int, sqlite3_value** a) {
    SqlValue::resultBool(ctx, !SqlValue::isNull(a[0]) && SqlValue::number(a[0]).has_value());
}

void fnIsDate(sqlite3_context* ctx, int, sqlite3_value** a) {
    SqlValue::resultBool(ctx, SqlValue::api().value_type(a[0]) == SQLITE_TEXT &&
                                  AccessDate::parse(SqlValue::textView(a[0])));
}

// `a & b & c`: nulls count as zero-length text; only when every part is null is the result null.
void fnConcat(sqlite3_context* ctx, int argc, sqlite3_value** a) {
    std::string out;
    bool any = false;
    for (int i = 0; i < argc; ++i) {
        switch (SqlValue::api().value_type(a[i])) {
        case SQLITE_NULL:
            continue;
        case SQLITE_TEXT:
        case SQLITE_BLOB:
            out.append(SqlValue::textView(a[i]));
            break;
        default:
            out.append(SqlValue::text(a[i]));
            break;
        }
        any = true;
    }
    if (!any) return SqlValue::api().result_null(ctx);
    SqlValue::resultText(ctx, out);
}

void fnLike(sqlite3_context* ctx, int, sqlite3_value** a) {
    if (SqlValue::isNull(a[0]) || SqlValue::isNull(a[1])) return SqlValue::api().result_null(ctx);
    SqlValue::resultBool(ctx, LikePattern::match(SqlValue::text(a[1]), SqlValue::text(a[0])));
}

} // namespace

void TextFunctions::registerOn(SqliteRef db) {
    SqlValue::define(db, "Len", 1, fnLen);
    SqlValue::define(db, "Left", 2, fnLeft);
    SqlValue::define(db, "Right", 2, fnRight);
    SqlValue::define(db, "Mid", 2, fnMid);
    SqlValue::define(db, "Mid", 3, fnMid);
    for (int n = 2; n <= 4; ++n)
        SqlValue::define(db, "InStr", n, fnInStr);
    SqlValue::define(db, "UCase", 1, fnUCase);
    SqlValue::define(db, "LCase", 1, fnLCase);
    SqlValue::define(db, "Space", 1, fnSpace);
    SqlValue::define(db, "String", 2, fnString);
    for (int n = 3; n <= 6; ++n)
        SqlValue::define(db, "Replace", n, fnReplace);
    SqlValue::define(db, "StrComp", 2, fnStrComp);
    SqlValue::define(db, "StrComp", 3, fnStrComp);
    SqlValue::define(db, "StrReverse", 1, fnStrReverse);
    SqlValue::define(db, "Asc", 1, fnAsc);
    SqlValue::define(db, "AscW", 1, fnAscW);
    SqlValue::define(db, "Chr", 1, fnChr);
    SqlValue::define(db, "ChrW", 1, fnChrW);
    SqlValue::define(db, "Nz", 1, fnNz);
    SqlValue::define(db, "Nz", 2, fnNz);
    SqlValue::define(db, "IsNull", 1, fnIsNull);
    SqlValue::define(db, "IsNumeric", 1, fnIsNumeric);
    SqlValue::define(db, "IsDate", 1, fnIsDate);
    SqlValue::define(db, "qv_concat", -1, fnConcat);
    SqlValue::define(db, "qv_like", 2, fnLike);
}

} // namespace qv::accesssql
