// The seam between the statements the product sends (its database's own SQL dialect) and what
// SQLite accepts. Every statement and every new connection passes through here, so that the
// dialect translator plugs in at one place; until it is linked in, statements pass unchanged.
#pragma once

#include <string>
#include <string_view>

struct sqlite3;

namespace qv::engine {

class SqlDialect {
public:
    // The statement as SQLite should run it.
    static std::string toSqlite(std::string_view sql);
    // Installs the dialect's functions on a freshly opened connection.
    static void prepareConnection(sqlite3* db);
};

} // namespace qv::engine
