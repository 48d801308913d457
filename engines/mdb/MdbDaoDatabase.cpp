#include "engines/mdb/MdbDaoDatabase.h"

#include "engines/sqlite/DaoTableDef.h"
#include "platform/NumberedError.h"
#include "platform/engine/DaoConstants.h"

#include <glib.h>

namespace qv::engine {

std::shared_ptr<MdbDaoDatabase> MdbDaoDatabase::open(const std::string& path, const std::string& password) {
    return std::make_shared<MdbDaoDatabase>(MdbCatalogue::open(path, {password, "DAO.Workspace"}));
}

const MdbCatalogue& MdbDaoDatabase::catalogue() const {
    if (!mCatalogue) throw ErrorCatalogue::make(err::ObjectInvalid, "DAO.Database");
    return *mCatalogue;
}

std::string MdbDaoDatabase::name() const {
    return catalogue().file().path();
}

std::vector<DaoTableDefPtr> MdbDaoDatabase::tableDefs() const {
    if (!mTables) {
        std::vector<DaoTableDefPtr> tables;
        for (const auto& t : catalogue().tables()) {
            try {
                tables.push_back(catalogue().tableDef(t.name));
            } catch (const NumberedError& e) {
                // Only an unreachable link target is listed without its fields; a damaged local
                // table is an error of the whole file.
                if (!(t.attributes & dao::AttachedTable)) throw;
                tables.push_back(
                    std::make_shared<DaoTableDef>(t.name, t.attributes, std::vector<DaoFieldPtr>{},
                                                  std::vector<DaoIndexPtr>{}, std::vector<DaoPropertyPtr>{}));
            }
        }
        mTables = std::move(tables);
    }
    return *mTables;
}

DaoTableDefPtr MdbDaoDatabase::tableDef(const std::string& name) const {
    for (const auto& t : tableDefs())
        if (g_ascii_strcasecmp(t->name().c_str(), name.c_str()) == 0) return t;
    return nullptr;
}

std::vector<DaoQueryDefPtr> MdbDaoDatabase::queryDefs() const {
    return catalogue().queryDefs();
}

DaoQueryDefPtr MdbDaoDatabase::queryDef(const std::string& name) const {
    return catalogue().queryDef(name);
}

std::vector<DaoRelationPtr> MdbDaoDatabase::relations() const {
    return catalogue().relationDefs();
}

void MdbDaoDatabase::close() {
    mTables.reset();
    mCatalogue.reset();
}

} // namespace qv::engine
