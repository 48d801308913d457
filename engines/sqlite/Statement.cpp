// Values bind by their variant type: dates as ISO text (what the product's databases hold),
// booleans as 1 and 0, currency as a double.
#include "engines/sqlite/Statement.h"

#include "engines/sqlite/EngineErrors.h"
#include "platform/OleDateTime.h"

#include <fmt/format.h>

namespace qv::engine {

namespace {
// SQLite stops at a NUL as at the end of the text; what follows would vanish unseen.
const std::string& withoutNul(const std::string& sql, const std::string& source) {
    if (sql.find('\0') != std::string::npos) throw EngineErrors::nulInSql(source);
    return sql;
}
} // namespace

Statement::Statement(SqliteRef db, const std::string& sql, const std::string& source)
    : mSt(db, withoutNul(sql, source)), mSource(source) {
    if (mSt.status() != SQLITE_OK) throw EngineErrors::fromSqlite(db, mSt.status(), source);
    mTail = sql.substr(mSt.tailOffset());
}

void Statement::execute(SqliteRef db, const std::string& sql, const std::string& source) {
    char* msg = nullptr;
    const int rc = db.lib().exec(db.db, sql.c_str(), nullptr, nullptr, &msg);
    db.lib().free(msg);
    if (rc != SQLITE_OK) throw EngineErrors::fromSqlite(db, rc, source);
}

Statement& Statement::bind(int index, const std::string& text) {
    mSt.bind(index, text);
    return *this;
}

Statement& Statement::bind(int index, const Variant& v) {
    switch (v.type()) {
    case VarType::Empty:
    case VarType::Null:
    case VarType::Error:
        lib().bind_null(get(), index);
        break;
    case VarType::Boolean:
        mSt.bind(index, std::int64_t{v.toBool() ? 1 : 0});
        break;
    case VarType::Integer:
    case VarType::Long:
    case VarType::LongLong:
    case VarType::Byte:
        mSt.bind(index, std::int64_t{v.toInt64()});
        break;
    case VarType::Single:
    case VarType::Double:
    case VarType::Decimal:
    case VarType::Currency:
        lib().bind_double(get(), index, v.toDouble());
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
        mSt.bindBlob(index, v.bytes().data(), v.bytes().size());
        break;
    }
    }
    return *this;
}

bool Statement::step() {
    const int rc = mSt.step();
    if (rc == SQLITE_ROW) return true;
    if (rc == SQLITE_DONE) return false;
    throw EngineErrors::fromSqlite(connection(), rc, mSource);
}

std::string Statement::text(int column) const {
    return mSt.text(column);
}

long long Statement::integer(int column) const {
    return mSt.int64(column);
}

bool Statement::isNull(int column) const {
    return lib().column_type(get(), column) == SQLITE_NULL;
}

Variant Statement::value(int column) const {
    switch (lib().column_type(get(), column)) {
    case SQLITE_NULL:
        return Variant::null();
    case SQLITE_INTEGER:
        return Variant(static_cast<std::int64_t>(lib().column_int64(get(), column)));
    case SQLITE_FLOAT:
        return Variant(lib().column_double(get(), column));
    case SQLITE_BLOB: {
        auto p = static_cast<const std::uint8_t*>(lib().column_blob(get(), column));
        return Variant(Binary(p, p + lib().column_bytes(get(), column)));
    }
    default:
        return Variant(text(column));
    }
}

} // namespace qv::engine
