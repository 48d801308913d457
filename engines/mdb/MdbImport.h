// Copies tables of an Access file into SQLite: into an in-memory database for record sets and
// queries (the engine's record sets, the dialect translator and its functions then serve Access
// files unchanged), or into a new file that the SQLite engine opens for editing.
#pragma once

#include "engines/mdb/MdbCatalogue.h"
#include "engines/mdb/MdbTable.h"
#include "sqlite/SqliteRef.h"

#include <string>

namespace qv::engine {

class MdbImport {
  public:
    // Creates the table in db under the same name, with its declared types, primary key and
    // rows, in one transaction. A linked table is copied from its target file.
    // withRelations adds the foreign keys of the relations Access enforces (a whole-database copy).
    static void copyTable(const MdbCatalogue& catalogue, const std::string& name, SqliteRef db,
                          bool withRelations = false);
    // The CREATE TABLE statement of the copy; foreign keys of the relations whose many side this
    // table is, when withRelations.
    static std::string createStatement(const MdbCatalogue& catalogue, const MdbTable& table,
                                       const std::string& name, bool withRelations);
};

} // namespace qv::engine
