// The seam between the statements the product sends (its database's own SQL dialect) and what
// SQLite accepts. Every statement and every new connection passes through here, so that the
// dialect translator plugs in at one place: it answers the SQLite text and the parameters a
// leading PARAMETERS clause declared, each with the SQLite parameter that stands for it.
#pragma once

#include <string>
#include <string_view>
#include <vector>

struct sqlite3;

namespace qv::engine {

struct DialectParameter {
    std::string name;     // as declared, without brackets
    int daoType = 10;     // catalogue type code of the declared type
    std::string bindName; // the SQLite parameter in the translated text ("?1", ":p1", ...)
};

struct DialectStatement {
    std::string sql;
    std::vector<DialectParameter> parameters;
};

class SqlDialect {
  public:
    static DialectStatement translate(std::string_view sql);
    // Installs the dialect's functions on a freshly opened connection.
    static void prepareConnection(sqlite3* db);
};

} // namespace qv::engine
