// Reading SQLite function arguments and writing results the way the Access functions expect:
// text that looks like a number is a number, text that looks like a date is a date, numbers
// are automation dates where a date is wanted, and dates go out as the canonical text.
#pragma once

#include "engines/accesssql/AccessDate.h"
#include "sqlite/SqliteRef.h"

#include <optional>
#include <sqlite3.h>
#include <string>
#include <string_view>

namespace qv::accesssql {

class SqlValue {
  public:
    // The library whose callback is running: arguments, results and aggregate state belong to
    // the library of the connection that called, never to whichever one is linked.
    static const SqliteApi& api();

    static bool isNull(sqlite3_value* v) { return api().value_type(v) == SQLITE_NULL; }
    static std::string_view textView(sqlite3_value* v);
    // The value as text: integers in decimal, doubles with 15 significant digits.
    static std::string text(sqlite3_value* v);
    // Numbers, and text that reads as a number; nothing otherwise.
    static std::optional<double> number(sqlite3_value* v);
    // Text that reads as a date, and numbers as automation dates; nothing otherwise.
    static std::optional<Stamp> date(sqlite3_value* v);

    static void resultText(sqlite3_context* ctx, std::string_view text);
    static void resultDate(sqlite3_context* ctx, const Stamp& s);
    static void resultBool(sqlite3_context* ctx, bool b) { api().result_int(ctx, b ? 1 : 0); }
    // An integer when the value is whole and fits, otherwise a double.
    static void resultNumber(sqlite3_context* ctx, double v);
    static void error(sqlite3_context* ctx, std::string_view functionName, std::string_view problem);
    static void typeMismatch(sqlite3_context* ctx, std::string_view functionName);

    using Function = void (*)(sqlite3_context*, int, sqlite3_value**);
    struct Aggregate {
        Function step;
        void (*final)(sqlite3_context*);
    };
    // Registers a scalar function (nArg -1: any number of arguments); throws NumberedError when
    // SQLite refuses it. Functions that read the clock are registered as non-deterministic.
    static void define(SqliteRef db, const char* name, int nArg, Function fn, bool deterministic = true);
    // Registers an aggregate of one argument; the definition must outlive the connection.
    static void defineAggregate(SqliteRef db, const char* name, const Aggregate& aggregate);
};

} // namespace qv::accesssql
