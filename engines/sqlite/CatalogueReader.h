// Reads the catalogue of an open SQLite database in the shape the product expects: table
// definitions with fields, properties and indexes (a rowid-alias key is the primary index),
// relations from foreign keys, and saved queries (views, and queries kept with the metadata).
#pragma once

#include "platform/engine/IDaoDatabase.h"
#include "sqlite/SqliteRef.h"

namespace qv::engine {

class CatalogueReader {
  public:
    explicit CatalogueReader(SqliteRef db) : mDb(db) {}
    // Stored properties whose values do not fit their types are left out and described in
    // skipped (when given).
    std::vector<DaoTableDefPtr> tableDefs(std::vector<std::string>* skipped = nullptr) const;
    std::vector<DaoRelationPtr> relations() const;
    std::vector<DaoQueryDefPtr> queryDefs() const;
    static bool isSystemTable(const std::string& name);
    // The SELECT of a "CREATE VIEW name [(columns)] AS SELECT ..." text.
    static std::string viewBody(const std::string& createSql);

  private:
    std::vector<std::string> tableNames(bool includeSystem) const;
    SqliteRef mDb;
};

} // namespace qv::engine
