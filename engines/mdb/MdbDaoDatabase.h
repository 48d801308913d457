// An Access file as an open database of the catalogue model: read-only (updatable() is false),
// table definitions read on first use and kept until close. Linked tables answer the definition
// of their target's table under their own name.
#pragma once

#include "engines/mdb/MdbCatalogue.h"
#include "platform/engine/IDaoDatabase.h"

#include <memory>
#include <optional>

namespace qv::engine {

class MdbDaoDatabase : public IDaoDatabase {
  public:
    explicit MdbDaoDatabase(std::unique_ptr<MdbCatalogue> catalogue) : mCatalogue(std::move(catalogue)) {}
    // Opens the file; the errors of MdbFile::open.
    static std::shared_ptr<MdbDaoDatabase> open(const std::string& path, const std::string& password);

    std::string name() const override;
    // Every table, system and hidden ones with their attributes, in catalogue order. A linked
    // table whose target is absent is listed with its own name and no fields; reading it raises
    // the clear 3024 of MdbCatalogue::tableDef.
    std::vector<DaoTableDefPtr> tableDefs() const override;
    DaoTableDefPtr tableDef(const std::string& name) const override; // null when absent
    std::vector<DaoQueryDefPtr> queryDefs() const override;
    DaoQueryDefPtr queryDef(const std::string& name) const override;
    std::vector<DaoRelationPtr> relations() const override;
    bool updatable() const override { return false; }
    void close() override;

    // The catalogue, for record sets; raises 3420 after close.
    const MdbCatalogue& catalogue() const;

  private:
    std::unique_ptr<MdbCatalogue> mCatalogue;
    mutable std::optional<std::vector<DaoTableDefPtr>> mTables;
};

} // namespace qv::engine
