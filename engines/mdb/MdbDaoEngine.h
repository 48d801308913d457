// The catalogue engine ("DAO.DBEngine.120" / "DAO.DBEngine.36") that reads Access files as well
// as SQLite ones: the SQLite engine with workspaces that hand Access files to MdbDaoDatabase.
#pragma once

#include "engines/sqlite/DaoEngine.h"

namespace qv::engine {

class MdbDaoEngine : public DaoEngine {
  public:
    using DaoEngine::DaoEngine;

  protected:
    DaoWorkspacePtr newWorkspace(const std::string& systemDb, const std::string& user,
                                 const std::string& password) const override;
};

} // namespace qv::engine
