// The first workspace is created on demand with the logon set so far, as the model does.
#include "engines/sqlite/DaoEngine.h"

#include "engines/sqlite/DaoWorkspace.h"
#include "platform/NumberedError.h"

namespace qv::engine {

DaoWorkspacePtr DaoEngine::newWorkspace(const std::string& systemDb, const std::string& user,
                                        const std::string& password) const {
    return std::make_shared<DaoWorkspace>(WorkspaceLogon{systemDb, user, password});
}

std::vector<DaoWorkspacePtr> DaoEngine::workspaces() {
    if (mWorkspaces.empty()) mWorkspaces.push_back(newWorkspace(mSystemDb, mUser, mPassword));
    return mWorkspaces;
}

DaoWorkspacePtr DaoEngine::workspace(long index) {
    const auto list = workspaces();
    if (index < 0 || index >= static_cast<long>(list.size()))
        throw NumberedError(err::ItemNotFound, "DAO.DBEngine", "Item not found in this collection.");
    return list[static_cast<std::size_t>(index)];
}

} // namespace qv::engine
