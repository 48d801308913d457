// The records-and-statements connection for every file the product opens: an Access file is
// answered here, read-only, any other file by the SQLite connection it extends. Commands
// ("ADODB.Command") need nothing of their own: they reach the file through translate(), run()
// and savedQueryText(), which this class answers for an Access file.
#pragma once

#include "engines/mdb/MdbCatalogue.h"
#include "engines/sqlite/AdoConnection.h"

#include <memory>

namespace qv::engine {

class MdbAdoConnection : public AdoConnection {
  public:
    // An Access file is opened with the connection string's password (3031 and every other
    // failure reported as 0x80004005, as for SQLite files); other files as AdoConnection does.
    void open(const std::string& connectionString = {}, int options = -1) override;
    int state() const override { return mAccess ? 1 : AdoConnection::state(); }
    void close() override;
    AdoRecordsetPtr run(const DialectStatement& statement, const std::vector<Binding>& values,
                        long long* recordsAffected, const std::string& source) override;
    DialectStatement translate(std::string_view sql) const override;
    // On an Access file a transaction holds nothing (every change is refused), so it is empty.
    void beginTrans() override {
        if (!mAccess) AdoConnection::beginTrans();
    }
    void commitTrans() override {
        if (!mAccess) AdoConnection::commitTrans();
    }
    void rollbackTrans() override {
        if (!mAccess) AdoConnection::rollbackTrans();
    }
    std::string savedQueryText(const std::string& name, const std::string& source) const override;

  private:
    std::unique_ptr<MdbCatalogue> mAccess;
};

} // namespace qv::engine
