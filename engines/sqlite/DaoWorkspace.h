// A workspace of the catalogue engine: opens databases as the engine's user.
#pragma once

#include "platform/engine/IDaoDatabase.h"

namespace qv::engine {

struct WorkspaceLogon {
    std::string systemDb; // "" without a workgroup file
    std::string user = "Admin";
    std::string password;
};

class DaoWorkspace : public IDaoWorkspace {
  public:
    explicit DaoWorkspace(WorkspaceLogon logon) : mLogon(std::move(logon)) {}
    std::string name() const override { return "#Default Workspace#"; }
    std::string userName() const override { return mLogon.user; }
    DaoDatabasePtr openDatabase(const std::string& name, int options = 0, bool readOnly = false,
                                const std::string& connect = {}) override;
    void close() override { mClosed = true; }

  protected:
    // The file opened once the logon is checked; password is the connect text's "pwd".
    virtual DaoDatabasePtr openFile(const std::string& name, bool readOnly, const std::string& password);

  private:
    WorkspaceLogon mLogon;
    bool mClosed = false;
};

} // namespace qv::engine
