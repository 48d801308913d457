// The catalogue object model ("DAO"): engine, workspaces, an open database with its table
// definitions, fields and their properties, indexes, query definitions and relations.
// Collections are read as vectors in the engine's order; lookups by name are case-insensitive
// and answer null when absent (the callers test, they do not trap).
#pragma once

#include "platform/Variant.h"

#include <memory>
#include <string>
#include <vector>

namespace qv {

class IDaoProperty {
  public:
    virtual ~IDaoProperty() = default;
    virtual std::string name() const = 0;
    virtual Variant value() const = 0;
    virtual int type() const = 0;
};
using DaoPropertyPtr = std::shared_ptr<IDaoProperty>;

class IDaoField {
  public:
    virtual ~IDaoField() = default;
    virtual std::string name() const = 0;
    virtual int type() const = 0;
    virtual long size() const = 0;
    virtual long attributes() const = 0;
    virtual std::string defaultValue() const = 0; // the expression text as stored, "" when none
    virtual bool allowZeroLength() const = 0;
    virtual bool required() const = 0;
    virtual std::string foreignName() const = 0; // in a relation's fields
    virtual long ordinalPosition() const = 0;
    virtual std::vector<DaoPropertyPtr> properties() const = 0;
    virtual DaoPropertyPtr property(const std::string& name) const = 0; // exact name, null when absent
};
using DaoFieldPtr = std::shared_ptr<IDaoField>;

class IDaoIndex {
  public:
    virtual ~IDaoIndex() = default;
    virtual std::string name() const = 0;
    virtual bool primary() const = 0;
    virtual bool unique() const = 0;
    virtual std::vector<DaoFieldPtr> fields() const = 0; // in key order
};
using DaoIndexPtr = std::shared_ptr<IDaoIndex>;

class IDaoTableDef {
  public:
    virtual ~IDaoTableDef() = default;
    virtual std::string name() const = 0;
    virtual long attributes() const = 0;
    virtual std::string connect() const = 0;
    virtual std::vector<DaoFieldPtr> fields() const = 0;
    virtual DaoFieldPtr field(const std::string& name) const = 0;
    virtual std::vector<DaoIndexPtr> indexes() const = 0;
    virtual std::vector<DaoPropertyPtr> properties() const = 0;
};
using DaoTableDefPtr = std::shared_ptr<IDaoTableDef>;

class IDaoParameter {
  public:
    virtual ~IDaoParameter() = default;
    virtual std::string name() const = 0;
    virtual int type() const = 0;
    virtual int direction() const = 0;
};
using DaoParameterPtr = std::shared_ptr<IDaoParameter>;

class IDaoQueryDef {
  public:
    virtual ~IDaoQueryDef() = default;
    virtual std::string name() const = 0;
    virtual int type() const = 0;
    virtual std::string sql() const = 0;
    virtual std::vector<DaoParameterPtr> parameters() const = 0;
};
using DaoQueryDefPtr = std::shared_ptr<IDaoQueryDef>;

class IDaoRelation {
  public:
    virtual ~IDaoRelation() = default;
    virtual std::string name() const = 0;
    virtual std::string table() const = 0;        // the referenced (primary) table
    virtual std::string foreignTable() const = 0; // the referencing table
    virtual long attributes() const = 0;
    virtual std::vector<DaoFieldPtr> fields() const = 0; // name in table, foreignName in foreignTable
};
using DaoRelationPtr = std::shared_ptr<IDaoRelation>;

class IDaoDatabase {
  public:
    virtual ~IDaoDatabase() = default;
    virtual std::string name() const = 0;
    virtual std::vector<DaoTableDefPtr> tableDefs() const = 0;
    virtual DaoTableDefPtr tableDef(const std::string& name) const = 0;
    virtual std::vector<DaoQueryDefPtr> queryDefs() const = 0;
    virtual DaoQueryDefPtr queryDef(const std::string& name) const = 0;
    virtual std::vector<DaoRelationPtr> relations() const = 0;
    // What the engine left out of the catalogue read so far because the file held it in a form
    // it could not trust (a property value outside its type), one sentence per item. Each is
    // handed out once, so the person is told once.
    virtual std::vector<std::string> takeCatalogueWarnings() { return {}; }
    virtual bool updatable() const = 0;
    virtual void close() = 0;
};
using DaoDatabasePtr = std::shared_ptr<IDaoDatabase>;

class IDaoWorkspace {
  public:
    virtual ~IDaoWorkspace() = default;
    virtual std::string name() const = 0;
    virtual std::string userName() const = 0;
    // connect: ";pwd=secret" or "". Errors: 3024 file not found, 3031 password not valid,
    // 3029 account name or password not valid, 3343 unrecognised database format.
    virtual DaoDatabasePtr openDatabase(const std::string& name, int options = 0, bool readOnly = false,
                                        const std::string& connect = {}) = 0;
    virtual void close() = 0;
};
using DaoWorkspacePtr = std::shared_ptr<IDaoWorkspace>;

class IDaoEngine {
  public:
    virtual ~IDaoEngine() = default;
    // A private engine takes these before its first workspace is used.
    virtual void setSystemDB(const std::string& path) = 0;
    virtual std::string systemDB() const = 0;
    virtual void setDefaultUser(const std::string& user) = 0;
    virtual void setDefaultPassword(const std::string& password) = 0;
    virtual std::vector<DaoWorkspacePtr> workspaces() = 0; // the first one is created on demand
    virtual DaoWorkspacePtr workspace(long index) = 0;     // 0-based
    virtual std::string version() const = 0;
};
using DaoEnginePtr = std::shared_ptr<IDaoEngine>;

} // namespace qv
