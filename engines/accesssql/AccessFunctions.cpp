#include "engines/accesssql/AccessFunctions.h"

namespace qv::accesssql {

void AccessFunctions::registerAll(sqlite3*) {}

} // namespace qv::accesssql
