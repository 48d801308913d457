#include "engines/mdb/MdbDaoWorkspace.h"

#include "engines/mdb/MdbDaoDatabase.h"
#include "engines/sqlite/DatabaseFileKind.h"

namespace qv::engine {

DaoDatabasePtr MdbDaoWorkspace::openFile(const std::string& name, bool readOnly,
                                         const std::string& password) {
    if (DatabaseFileKind::of(name) == DatabaseFileKind::Kind::Access)
        return MdbDaoDatabase::open(name, password);
    return DaoWorkspace::openFile(name, readOnly, password);
}

} // namespace qv::engine
