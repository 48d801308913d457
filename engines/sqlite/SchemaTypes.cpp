// A column that several tables hold with different types stays Unknown: guessing would turn a
// plain comparison into a truth test (or a sum into date arithmetic) for the wrong table.
#include "engines/sqlite/SchemaTypes.h"

#include "engines/sqlite/Pragma.h"
#include "engines/sqlite/Statement.h"
#include "engines/sqlite/TypeMapping.h"
#include "platform/NumberedError.h"
#include "platform/TextUtil.h"
#include "platform/engine/DaoConstants.h"

#include <cctype>
#include <vector>

namespace qv::engine {

namespace {
const char* const Source = "DAO.Database";

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

std::int64_t schemaVersion(SqliteRef db) {
    Statement st(db, "PRAGMA schema_version", Source);
    return st.step() ? st.integer(0) : 0;
}
} // namespace

void SchemaTypes::refreshIfChanged(SqliteRef db) {
    const std::int64_t version = schemaVersion(db);
    if (version == mVersion) return;
    mTables.clear();
    mAnyTable.clear();
    std::map<std::string, bool> conflicting;
    std::vector<std::string> names;
    {
        Statement list(db, "SELECT name FROM sqlite_master WHERE type IN ('table','view')", Source);
        while (list.step())
            names.push_back(list.text(0));
    }
    for (const auto& table : names) {
        // A view over a dropped table cannot be described; it must not stop every statement.
        try {
            Statement columns(db, Pragma::about("table_info", table), Source);
            Columns& own = mTables[TextUtil::lowerAscii(table)];
            while (columns.step()) {
                const std::string column = TextUtil::lowerAscii(columns.text(Pragma::TableInfoName));
                const auto kind = kindOf(columns.text(Pragma::TableInfoType));
                own[column] = kind;
                auto [it, inserted] = mAnyTable.emplace(column, kind);
                if (!inserted && it->second != kind) conflicting[column] = true;
            }
        } catch (const NumberedError&) {
            mTables.erase(TextUtil::lowerAscii(table));
        }
    }
    for (const auto& [column, _] : conflicting)
        mAnyTable[column] = accesssql::ColumnType::Unknown;
    mVersion = version;
}

accesssql::ColumnType SchemaTypes::columnType(std::string_view qualifier, std::string_view column) const {
    const std::string name = TextUtil::lowerAscii(bare(column));
    if (!qualifier.empty()) {
        auto table = mTables.find(TextUtil::lowerAscii(bare(qualifier)));
        if (table != mTables.end()) {
            auto c = table->second.find(name);
            return c == table->second.end() ? accesssql::ColumnType::Unknown : c->second;
        }
    }
    auto c = mAnyTable.find(name);
    return c == mAnyTable.end() ? accesssql::ColumnType::Unknown : c->second;
}

bool SchemaTypes::hasTable(std::string_view name) const {
    return mTables.count(TextUtil::lowerAscii(name)) > 0;
}

} // namespace qv::engine
