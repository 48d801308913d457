// Values bind by their variant type: dates as ISO text (what the product's databases hold),
// booleans as 1 and 0, currency as a double.
#include "engines/sqlite/Statement.h"

#include "engines/sqlite/EngineErrors.h"
#include "platform/OleDateTime.h"

#include <fmt/format.h>

namespace qv::engine {

Statement::Statement(SqliteRef db, const std::string& sql, const std::string& source)
    : mDb(db), mSource(source) {
    // SQLite stops at a NUL as at the end of the text; what follows would vanish unseen.
    if (sql.find('\0') != std::string::npos) throw EngineErrors::nulInSql(source);
    const char* tail = nullptr;
    int rc = lib().prepare_v2(db.db, sql.c_str(), static_cast<int>(sql.size()), &mSt, &tail);
    if (rc != SQLITE_OK) throw EngineErrors::fromSqlite(db, rc, source);
    if (tail) mTail = sql.substr(static_cast<std::size_t>(tail - sql.c_str()));
}

Statement::~Statement() {
    lib().finalize(mSt);
}

Statement& Statement::bind(int index, const std::string& text) {
    lib().bind_text(mSt, index, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
    return *this;
}

Statement& Statement::bind(int index, const Variant& v) {
    switch (v.type()) {
    case VarType::Empty:
    case VarType::Null:
    case VarType::Error:
        lib().bind_null(mSt, index);
        break;
    case VarType::Boolean:
        lib().bind_int(mSt, index, v.toBool() ? 1 : 0);
        break;
    case VarType::Integer:
    case VarType::Long:
    case VarType::LongLong:
    case VarType::Byte:
        lib().bind_int64(mSt, index, v.toInt64());
        break;
    case VarType::Single:
    case VarType::Double:
    case VarType::Decimal:
    case VarType::Currency:
        lib().bind_double(mSt, index, v.toDouble());
        break;
    case VarType::Date: {
        // Text of a year below 100, past 9999, or of NaN would be stored as a date nobody can read.
        if (!OleDateTime::isInDateRange(v.toDate().value))
            throw EngineErrors::dateOutOfRange(mSource, v.toDate().value);
        const auto p = OleDateTime::toParts(v.toDate().value);
        bind(index, fmt::format("{:04}-{:02}-{:02} {:02}:{:02}:{:02}", p.year, p.month, p.day, p.hour,
                                p.minute, p.second));
        break;
    }
    case VarType::String:
        bind(index, v.str());
        break;
    case VarType::Binary: {
        // An empty vector may have no buffer, and a null pointer binds NULL: an empty value
        // would come back as a missing one.
        static const unsigned char none = 0;
        const Binary& b = v.bytes();
        lib().bind_blob(mSt, index, b.empty() ? &none : b.data(), static_cast<int>(b.size()),
                        SQLITE_TRANSIENT);
        break;
    }
    }
    return *this;
}

bool Statement::step() {
    int rc = lib().step(mSt);
    if (rc == SQLITE_ROW) return true;
    if (rc == SQLITE_DONE) return false;
    throw EngineErrors::fromSqlite(mDb, rc, mSource);
}

std::string Statement::text(int column) const {
    const auto* p = reinterpret_cast<const char*>(lib().column_text(mSt, column));
    return p ? std::string(p, static_cast<std::size_t>(lib().column_bytes(mSt, column))) : std::string();
}

long long Statement::integer(int column) const {
    return lib().column_int64(mSt, column);
}

bool Statement::isNull(int column) const {
    return lib().column_type(mSt, column) == SQLITE_NULL;
}

Variant Statement::value(int column) const {
    switch (lib().column_type(mSt, column)) {
    case SQLITE_NULL:
        return Variant::null();
    case SQLITE_INTEGER:
        return Variant(static_cast<std::int64_t>(lib().column_int64(mSt, column)));
    case SQLITE_FLOAT:
        return Variant(lib().column_double(mSt, column));
    case SQLITE_BLOB: {
        auto p = static_cast<const std::uint8_t*>(lib().column_blob(mSt, column));
        return Variant(Binary(p, p + lib().column_bytes(mSt, column)));
    }
    default:
        return Variant(text(column));
    }
}

} // namespace qv::engine
