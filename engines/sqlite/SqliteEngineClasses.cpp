// Both catalogue ProgIDs create the same engine; only the version it reports differs.
#include "engines/sqlite/SqliteEngineClasses.h"

#include "engines/sqlite/AdoCommand.h"
#include "engines/sqlite/AdoConnection.h"
#include "engines/sqlite/DaoEngine.h"

namespace qv {

void registerSqliteEngineClasses(std::function<void(std::string progId, std::function<ObjectPtr()>)> add) {
    add("ADODB.Connection", [] { return std::make_shared<engine::AdoConnection>(); });
    add("ADODB.Command", [] { return std::make_shared<engine::AdoCommand>(); });
    add("DAO.DBEngine.120", [] { return std::make_shared<engine::DaoEngine>("12.0"); });
    add("DAO.DBEngine.36", [] { return std::make_shared<engine::DaoEngine>("3.6"); });
}

} // namespace qv
