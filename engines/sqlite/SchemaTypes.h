// What the dialect translator needs to know about the open database's columns: whether a name
// is a yes/no, date, text or number column, so that `Flag = -1` becomes a truth test and
// `OrderDate + 1` date arithmetic. Reading the schema for every statement would cost more than
// the statement, so the answers are kept per connection and read again only when SQLite's
// schema version moves (after any DDL, from this connection or another).
#pragma once

#include "sqlite/SqliteRef.h"

#include "engines/accesssql/TranslatedSql.h"

#include <cstdint>
#include <map>
#include <string>
#include <string_view>

namespace qv::engine {

class SchemaTypes {
  public:
    // Re-reads the columns when the schema changed since the last call.
    void refreshIfChanged(SqliteRef db);
    // Forgets everything; the next refreshIfChanged reads the schema again.
    void invalidate() { mVersion = -1; }
    // qualifier: a table name, an alias or empty. A known table answers its own column; anything
    // else answers the type the column has in every table that holds it, Unknown when they differ.
    accesssql::ColumnType columnType(std::string_view qualifier, std::string_view column) const;
    // Whether a table or view of the name (any case) exists.
    bool hasTable(std::string_view name) const;

  private:
    using Columns = std::map<std::string, accesssql::ColumnType>; // keys lower-cased
    std::map<std::string, Columns> mTables;
    Columns mAnyTable;
    std::int64_t mVersion = -1;
};

} // namespace qv::engine
