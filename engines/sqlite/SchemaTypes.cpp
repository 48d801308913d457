// A column that several tables hold with different types stays Unknown: guessing would turn a
// plain comparison into a truth test (or a sum into date arithmetic) for the wrong table.
#include "engines/sqlite/SchemaTypes.h"

#include "engines/sqlite/Statement.h"
#include "engines/sqlite/TypeMapping.h"
#include "platform/engine/DaoConstants.h"

#include <cctype>
#include <sqlite3.h>

namespace qv::engine {

namespace {
const char* const Source = "DAO.Database";

std::string lower(std::string_view s) {
    std::string out(s);
    for (auto& c : out)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

// Names may reach us still bracketed or quoted: "[Order Details]", "\"o\"".
std::string_view bare(std::string_view s) {
    if (s.size() >= 2 && ((s.front() == '[' && s.back() == ']') || (s.front() == '"' && s.back() == '"') ||
                          (s.front() == '`' && s.back() == '`')))
        return s.substr(1, s.size() - 2);
    return s;
}

accesssql::ColumnType kindOf(std::string_view declared) {
    if (declared.empty()) return accesssql::ColumnType::Unknown;
    switch (TypeMapping::fromDeclared(declared).daoType) {
    case dao::Boolean:
        return accesssql::ColumnType::YesNo;
    case dao::Date:
        return accesssql::ColumnType::Date;
    case dao::Text:
    case dao::Memo:
        return accesssql::ColumnType::Text;
    case dao::Byte:
    case dao::Integer:
    case dao::Long:
    case dao::BigInt:
    case dao::Currency:
    case dao::Single:
    case dao::Double:
    case dao::Decimal:
        return accesssql::ColumnType::Number;
    default:
        return accesssql::ColumnType::Unknown;
    }
}

std::int64_t schemaVersion(sqlite3* db) {
    Statement st(db, "PRAGMA schema_version", Source);
    return st.step() ? st.integer(0) : 0;
}
} // namespace

void SchemaTypes::refreshIfChanged(sqlite3* db) {
    const std::int64_t version = schemaVersion(db);
    if (version == mVersion) return;
    mTables.clear();
    mAnyTable.clear();
    std::map<std::string, bool> conflicting;
    Statement tables(db,
                     "SELECT m.name, p.name, p.type FROM sqlite_master m, pragma_table_info(m.name) p "
                     "WHERE m.type IN ('table','view')",
                     Source);
    while (tables.step()) {
        const std::string column = lower(tables.text(1));
        const auto kind = kindOf(tables.text(2));
        mTables[lower(tables.text(0))][column] = kind;
        auto [it, inserted] = mAnyTable.emplace(column, kind);
        if (!inserted && it->second != kind) conflicting[column] = true;
    }
    for (const auto& [column, _] : conflicting)
        mAnyTable[column] = accesssql::ColumnType::Unknown;
    mVersion = version;
}

accesssql::ColumnType SchemaTypes::columnType(std::string_view qualifier, std::string_view column) const {
    const std::string name = lower(bare(column));
    if (!qualifier.empty()) {
        auto table = mTables.find(lower(bare(qualifier)));
        if (table != mTables.end()) {
            auto c = table->second.find(name);
            return c == table->second.end() ? accesssql::ColumnType::Unknown : c->second;
        }
    }
    auto c = mAnyTable.find(name);
    return c == mAnyTable.end() ? accesssql::ColumnType::Unknown : c->second;
}

} // namespace qv::engine
