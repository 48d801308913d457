// What the product reads from a database but SQLite does not keep: field properties
// ("Caption", "Format", "ColumnWidth", ...), saved action and parameter queries, and names of
// relations. They live in tables of the database file itself, created only when something is
// first stored, and listed as system objects. Reading never creates them.
#pragma once

#include "sqlite/SqliteRef.h"

#include "platform/Variant.h"

#include <string>
#include <vector>

namespace qv::engine {

struct StoredProperty {
    std::string table;
    std::string field; // "" for a property of the table itself
    std::string name;
    Variant value;
    int type = 10; // catalogue type code of the value
};

struct StoredQuery {
    std::string name;
    std::string sql;
    int type = -1; // catalogue query type; -1 when it is to be read from the statement
};

struct StoredRelationName {
    std::string foreignTable; // the referencing table
    std::string table;        // the referenced table
    std::string columns;      // referencing columns, comma-separated, in key order
    std::string name;
};

class MetadataStore {
  public:
    static constexpr const char* PropertiesTable = "QvFieldProperties";
    static constexpr const char* QueriesTable = "QvQueries";
    static constexpr const char* RelationNamesTable = "QvRelationNames";
    static bool isMetadataTable(const std::string& name);

    explicit MetadataStore(SqliteRef db) : mDb(db) {}

    // A row whose value does not fit its stored type is left out; when skipped is given, it
    // receives one sentence per such row naming the table, field and property.
    std::vector<StoredProperty> properties(std::vector<std::string>* skipped = nullptr) const;
    std::vector<StoredQuery> queries() const;
    std::vector<StoredRelationName> relationNames() const;

    // Writers raise the engine's numbered error (3027 on a read-only database).
    void setProperty(const std::string& table, const std::string& field, const std::string& name,
                     const Variant& value);
    bool removeProperty(const std::string& table, const std::string& field, const std::string& name);
    void saveQuery(const std::string& name, const std::string& sql, int type = -1);
    bool removeQuery(const std::string& name);
    void setRelationName(const StoredRelationName& relation);

  private:
    bool hasTable(const char* name) const;
    void ensure(const char* createSql) const;
    SqliteRef mDb;
};

} // namespace qv::engine
