// An open database of the catalogue model. The catalogue is read once, on first use, and kept
// until close; the file stays open so that properties and queries can be stored through it.
#pragma once

#include "engines/sqlite/SqliteHandle.h"
#include "platform/engine/IDaoDatabase.h"

#include <optional>
#include <set>

namespace qv::engine {

class DaoDatabase : public IDaoDatabase {
  public:
    explicit DaoDatabase(SqliteHandlePtr handle) : mHandle(std::move(handle)) {}
    std::string name() const override;
    std::vector<DaoTableDefPtr> tableDefs() const override;
    DaoTableDefPtr tableDef(const std::string& name) const override;
    std::vector<DaoQueryDefPtr> queryDefs() const override;
    DaoQueryDefPtr queryDef(const std::string& name) const override;
    std::vector<DaoRelationPtr> relations() const override;
    std::vector<std::string> takeCatalogueWarnings() override;
    bool updatable() const override;
    void close() override;

    // The open file, for the metadata writers; raises 3420 after close.
    const SqliteHandlePtr& handle() const;
    // Forgets the catalogue read so far, after something was stored.
    void refresh();

  private:
    SqliteHandlePtr mHandle;
    mutable std::optional<std::vector<DaoTableDefPtr>> mTables;
    mutable std::optional<std::vector<DaoQueryDefPtr>> mQueries;
    mutable std::optional<std::vector<DaoRelationPtr>> mRelations;
    mutable std::vector<std::string> mWarnings; // from the last reading of the table definitions
    std::set<std::string> mReported;
};

} // namespace qv::engine
