// Pass-through until the dialect translator (engines/accesssql) is available on this branch.
#include "engines/sqlite/SqlDialect.h"

namespace qv::engine {

std::string SqlDialect::toSqlite(std::string_view sql) { return std::string(sql); }

void SqlDialect::prepareConnection(sqlite3*) {}

} // namespace qv::engine
