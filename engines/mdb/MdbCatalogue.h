// What an Access file holds, read once at open: its objects from MSysObjects (tables, linked
// tables with their target, queries; system and hidden ones flagged) and its relations from
// MSysRelationships. Table definitions are read on demand and answered as the catalogue objects
// of the engine contract.
#pragma once

#include "engines/mdb/MdbFile.h"
#include "engines/mdb/MdbQueryDecoder.h"
#include "platform/engine/IDaoDatabase.h"

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace qv::engine {

struct MdbObjectInfo {
    long id = 0; // MSysObjects Id: MSysQueries rows name their query by it
    std::string name;
    int type = 0;            // MSysObjects type: 1 table, 4 ODBC link, 5 query, 6 linked table
    long flags = 0;          // MSysObjects flags
    long attributes = 0;     // table-definition attributes of the contract (system, hidden, attached)
    std::string database;    // linked tables: the file the table lives in
    std::string foreignName; // linked tables: the table's name there
    std::string connect;
};

struct MdbRelationInfo {
    std::string name;
    std::string table;        // the referenced (one) side
    std::string foreignTable; // the referencing (many) side
    long attributes = 0;      // grbit: 2 not enforced, 256 cascade update, 4096 cascade delete
    std::vector<std::pair<std::string, std::string>> columns; // (referenced, referencing), key order
};

class MdbCatalogue {
  public:
    // Opens the file (see MdbFile::open for the errors) and reads the objects and relations.
    static std::unique_ptr<MdbCatalogue> open(const std::string& path, const MdbFile::Options& options);

    const MdbFile& file() const { return *mFile; }
    // Local and linked tables, in MSysObjects order.
    const std::vector<MdbObjectInfo>& tables() const { return mTables; }
    const std::vector<MdbObjectInfo>& queries() const { return mQueries; }
    const std::vector<MdbRelationInfo>& relations() const { return mRelations; }
    const MdbObjectInfo* findTable(const std::string& name) const; // case-insensitive

    // The definition of a local table; a linked table is read from its target file when that
    // is present (3024 naming the target otherwise). Raises 3078 for an unknown name.
    DaoTableDefPtr tableDef(const std::string& name) const;
    std::vector<DaoRelationPtr> relationDefs() const;
    // Saved queries decoded from MSysQueries, in MSysObjects order; Access's own form and report
    // queries ("~sq_...") are left out. Raises 3343 naming a query whose rows do not make one.
    std::vector<DaoQueryDefPtr> queryDefs() const;
    DaoQueryDefPtr queryDef(const std::string& name) const; // null when absent
    // Whether the text names the object: its name occurs in it, also in SQLite's dialect where a
    // '"' inside a name is doubled. A name inside a longer word counts too, which costs a
    // caller a needless copy or lookup, never a missed one.
    static bool mentions(const std::string& sql, const std::string& name);
    // The file a linked table lives in: its stored path, or a file of that name beside this
    // one. Raises 3024 naming the table and the target when neither is there.
    std::string linkTarget(const MdbObjectInfo& table) const;

  private:
    explicit MdbCatalogue(std::unique_ptr<MdbFile> file) : mFile(std::move(file)) {}
    void readObjects();
    void readRelations();
    void readQueryRows();
    // The names a query's bracketed name may stand for (lower case): every table and query, the
    // columns of the tables the text mentions, and the columns and aliases of the queries it
    // mentions. False when a table it mentions cannot be read (a link whose target is absent).
    bool knownNames(const std::string& sql, std::vector<std::string>& out, int depth) const;
    const std::vector<std::string>* columnNames(const MdbObjectInfo& table) const;

    std::unique_ptr<MdbFile> mFile;
    std::vector<MdbObjectInfo> mTables;
    std::vector<MdbObjectInfo> mQueries;
    std::vector<MdbRelationInfo> mRelations;
    std::map<long, std::vector<MdbQueryRow>> mQueryRows; // by query id, in Order
    // Column names by table, read once when a query first needs them; empty when unreadable.
    mutable std::map<std::string, std::optional<std::vector<std::string>>> mColumnNames;
};

} // namespace qv::engine
