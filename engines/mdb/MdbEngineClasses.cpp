#include "engines/mdb/MdbEngineClasses.h"

#include "engines/mdb/MdbAdoConnection.h"
#include "engines/mdb/MdbDaoEngine.h"
#include "engines/sqlite/AdoCommand.h"

namespace qv {

void registerEngineClasses(std::function<void(std::string progId, std::function<ObjectPtr()>)> add) {
    add("ADODB.Connection", [] { return std::make_shared<engine::MdbAdoConnection>(); });
    add("ADODB.Command", [] { return std::make_shared<engine::AdoCommand>(); });
    add("DAO.DBEngine.120", [] { return std::make_shared<engine::MdbDaoEngine>("12.0"); });
    add("DAO.DBEngine.36", [] { return std::make_shared<engine::MdbDaoEngine>("3.6"); });
}

} // namespace qv
