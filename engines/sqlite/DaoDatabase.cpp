// Lookups by name are case-insensitive and answer null when absent, as the callers expect.
#include "engines/sqlite/DaoDatabase.h"

#include "engines/sqlite/CatalogueReader.h"
#include "platform/NumberedError.h"

#include <strings.h>
#include <utility>

namespace qv::engine {

const SqliteHandlePtr& DaoDatabase::handle() const {
    if (!mHandle) throw ErrorCatalogue::make(err::ObjectInvalid, "DAO.Database");
    return mHandle;
}

std::string DaoDatabase::name() const {
    return handle()->path();
}

std::vector<DaoTableDefPtr> DaoDatabase::tableDefs() const {
    if (!mTables) {
        mWarnings.clear();
        mTables = CatalogueReader(handle()->db()).tableDefs(&mWarnings);
    }
    return *mTables;
}

DaoTableDefPtr DaoDatabase::tableDef(const std::string& name) const {
    for (const auto& t : tableDefs()) {
        if (strcasecmp(t->name().c_str(), name.c_str()) == 0) return t;
    }
    return nullptr;
}

std::vector<DaoQueryDefPtr> DaoDatabase::queryDefs() const {
    if (!mQueries) mQueries = CatalogueReader(handle()->db()).queryDefs();
    return *mQueries;
}

DaoQueryDefPtr DaoDatabase::queryDef(const std::string& name) const {
    for (const auto& q : queryDefs()) {
        if (strcasecmp(q->name().c_str(), name.c_str()) == 0) return q;
    }
    return nullptr;
}

std::vector<DaoRelationPtr> DaoDatabase::relations() const {
    if (!mRelations) mRelations = CatalogueReader(handle()->db()).relations();
    return *mRelations;
}

std::vector<std::string> DaoDatabase::takeCatalogueWarnings() {
    // The catalogue is read again after every change stored through it; a warning already
    // handed out is not repeated.
    std::vector<std::string> fresh;
    for (auto& w : std::exchange(mWarnings, {})) {
        if (mReported.insert(w).second) fresh.push_back(std::move(w));
    }
    return fresh;
}

bool DaoDatabase::updatable() const {
    return !handle()->readOnly();
}

void DaoDatabase::close() {
    mHandle.reset();
    refresh();
}

void DaoDatabase::refresh() {
    mTables.reset();
    mQueries.reset();
    mRelations.reset();
}

} // namespace qv::engine
