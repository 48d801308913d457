#include "engines/mdb/MdbDaoEngine.h"

#include "engines/mdb/MdbDaoWorkspace.h"

namespace qv::engine {

DaoWorkspacePtr MdbDaoEngine::newWorkspace(const std::string& systemDb, const std::string& user,
                                           const std::string& password) const {
    return std::make_shared<MdbDaoWorkspace>(WorkspaceLogon{systemDb, user, password});
}

} // namespace qv::engine
