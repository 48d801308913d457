// The catalogue engine ("DAO.DBEngine.120" / "DAO.DBEngine.36"): holds the logon a private
// engine is given (workgroup file, default user and password) and its workspaces.
#pragma once

#include "platform/IObjectFactory.h"
#include "platform/engine/IDaoDatabase.h"

namespace qv::engine {

class DaoEngine : public IDaoEngine, public IObject {
  public:
    explicit DaoEngine(std::string version) : mVersion(std::move(version)) {}
    void setSystemDB(const std::string& path) override { mSystemDb = path; }
    std::string systemDB() const override { return mSystemDb; }
    void setDefaultUser(const std::string& user) override { mUser = user; }
    void setDefaultPassword(const std::string& password) override { mPassword = password; }
    std::vector<DaoWorkspacePtr> workspaces() override;
    DaoWorkspacePtr workspace(long index) override;
    std::string version() const override { return mVersion; }

  protected:
    // The workspace opened with the engine's logon; an engine that reads more formats answers its own.
    virtual DaoWorkspacePtr newWorkspace(const std::string& systemDb, const std::string& user,
                                         const std::string& password) const;

  private:
    std::string mVersion;
    std::string mSystemDb;
    std::string mUser = "Admin";
    std::string mPassword;
    std::vector<DaoWorkspacePtr> mWorkspaces;
};

} // namespace qv::engine
