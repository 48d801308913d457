// Argument reading and result writing shared by all function groups.
#include "engines/accesssql/SqlValue.h"

#include "engines/accesssql/NumberText.h"
#include "platform/NumberedError.h"

#include <cmath>
#include <fmt/format.h>

namespace qv::accesssql {

namespace {

using Library = SqliteApi::Library;

// The library whose callback runs now; restored on the way out, so a callback that ends in
// another library's call (none does today) could not leave the wrong one behind.
thread_local const SqliteApi* tCurrent = nullptr;

class CurrentApi {
  public:
    explicit CurrentApi(const SqliteApi& api) : mPrevious(tCurrent) { tCurrent = &api; }
    ~CurrentApi() { tCurrent = mPrevious; }
    CurrentApi(const CurrentApi&) = delete;
    CurrentApi& operator=(const CurrentApi&) = delete;

  private:
    const SqliteApi* mPrevious;
};

// One entry per library: the callback knows its library from which entry the library called,
// and only then reads its own user data through that library.
template <Library L> void scalarEntry(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
    const SqliteApi& api = SqliteApi::of(L);
    CurrentApi scope(api);
    (*static_cast<SqlValue::Function*>(api.user_data(ctx)))(ctx, argc, argv);
}

template <Library L> void stepEntry(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
    const SqliteApi& api = SqliteApi::of(L);
    CurrentApi scope(api);
    static_cast<const SqlValue::Aggregate*>(api.user_data(ctx))->step(ctx, argc, argv);
}

template <Library L> void finalEntry(sqlite3_context* ctx) {
    const SqliteApi& api = SqliteApi::of(L);
    CurrentApi scope(api);
    static_cast<const SqlValue::Aggregate*>(api.user_data(ctx))->final(ctx);
}

SqlValue::Function scalarCall(Library library) {
    return library == Library::Cipher ? scalarEntry<Library::Cipher> : scalarEntry<Library::Plain>;
}

SqlValue::Function stepCall(Library library) {
    return library == Library::Cipher ? stepEntry<Library::Cipher> : stepEntry<Library::Plain>;
}

auto finalCall(Library library) -> void (*)(sqlite3_context*) {
    return library == Library::Cipher ? finalEntry<Library::Cipher> : finalEntry<Library::Plain>;
}

void forget(void* kept) {
    delete static_cast<SqlValue::Function*>(kept);
}

[[noreturn]] void refused(SqliteRef db, const char* name) {
    throw NumberedError(err::ForeignError, "Access SQL",
                        fmt::format("SQLite refused the function {}: {}", name,
                                    db.db ? db.lib().errmsg(db.db) : "no connection"));
}

} // namespace

const SqliteApi& SqlValue::api() {
    return tCurrent ? *tCurrent : SqliteApi::plain();
}

std::string_view SqlValue::textView(sqlite3_value* v) {
    const unsigned char* t = api().value_text(v);
    if (!t) return {};
    return {reinterpret_cast<const char*>(t), static_cast<std::size_t>(api().value_bytes(v))};
}

std::string SqlValue::text(sqlite3_value* v) {
    switch (api().value_type(v)) {
    case SQLITE_INTEGER:
        return std::to_string(api().value_int64(v));
    case SQLITE_FLOAT:
        return NumberText::toText(api().value_double(v));
    case SQLITE_NULL:
        return {};
    default:
        return std::string(textView(v));
    }
}

std::optional<double> SqlValue::number(sqlite3_value* v) {
    switch (api().value_type(v)) {
    case SQLITE_INTEGER:
        return static_cast<double>(api().value_int64(v));
    case SQLITE_FLOAT:
        return api().value_double(v);
    case SQLITE_TEXT:
        return NumberText::parse(textView(v));
    default:
        return std::nullopt;
    }
}

std::optional<Stamp> SqlValue::date(sqlite3_value* v) {
    switch (api().value_type(v)) {
    case SQLITE_INTEGER:
    case SQLITE_FLOAT: {
        const double d = api().value_double(v);
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
    api().result_text(ctx, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
}

void SqlValue::resultDate(sqlite3_context* ctx, const Stamp& s) {
    const CivilDate c = AccessDate::civil(s.days);
    if (c.year < 100 || c.year > 9999) {
        api().result_error(ctx, "Date out of range (years 100 to 9999).", -1);
        return;
    }
    resultText(ctx, AccessDate::toText(s));
}

void SqlValue::resultNumber(sqlite3_context* ctx, double v) {
    if (std::isnan(v)) {
        api().result_null(ctx);
    } else if (v == std::trunc(v) && std::fabs(v) < 9.2e18) {
        api().result_int64(ctx, static_cast<sqlite3_int64>(v));
    } else {
        api().result_double(ctx, v);
    }
}

void SqlValue::error(sqlite3_context* ctx, std::string_view functionName, std::string_view problem) {
    const std::string msg = fmt::format("{} in {}.", problem, functionName);
    api().result_error(ctx, msg.c_str(), static_cast<int>(msg.size()));
}

void SqlValue::typeMismatch(sqlite3_context* ctx, std::string_view functionName) {
    error(ctx, functionName, "Data type mismatch");
}

void SqlValue::define(SqliteRef db, const char* name, int nArg, Function fn, bool deterministic) {
    const int flags = SQLITE_UTF8 | (deterministic ? SQLITE_DETERMINISTIC : 0);
    // The library runs the destructor also when it refuses the function, so the copy never leaks.
    auto* kept = new Function(fn);
    const int rc = db.lib().create_function_v2(db.db, name, nArg, flags, kept, scalarCall(db.lib().library),
                                               nullptr, nullptr, forget);
    if (rc != SQLITE_OK) refused(db, name);
}

void SqlValue::defineAggregate(SqliteRef db, const char* name, const Aggregate& aggregate) {
    const auto library = db.lib().library;
    if (db.lib().create_function_v2(db.db, name, 1, SQLITE_UTF8, const_cast<Aggregate*>(&aggregate), nullptr,
                                    stepCall(library), finalCall(library), nullptr) != SQLITE_OK)
        refused(db, name);
}

} // namespace qv::accesssql
