// The connect text is ";pwd=secret"; it is read with the connection-string scanner, so a braced
// password keeps its ';'.
#include "engines/sqlite/DaoWorkspace.h"

#include "engines/sqlite/DaoDatabase.h"
#include "engines/sqlite/EngineErrors.h"
#include "engines/sqlite/SqliteHandle.h"
#include "engines/sqlite/WorkgroupFile.h"
#include "platform/ConnectionString.h"

namespace qv::engine {

namespace {
const char* const Source = "DAO.Workspace";
} // namespace

DaoDatabasePtr DaoWorkspace::openDatabase(const std::string& name, int, bool readOnly,
                                          const std::string& connect) {
    if (mClosed) throw ErrorCatalogue::make(err::ObjectInvalid, Source);
    if (!mLogon.systemDb.empty())
        WorkgroupFile::verify(mLogon.systemDb, mLogon.user, mLogon.password, Source);
    return openFile(name, readOnly, ConnectionString::parse(connect).password());
}

DaoDatabasePtr DaoWorkspace::openFile(const std::string& name, bool readOnly, const std::string& password) {
    SqliteHandle::Options options;
    options.readOnly = readOnly;
    options.password = password;
    options.source = Source;
    return std::make_shared<DaoDatabase>(SqliteHandle::open(name, options));
}

} // namespace qv::engine
