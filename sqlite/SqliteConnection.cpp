// close_v2 rather than close: a statement still alive elsewhere defers the close instead of
// failing it, so the handle is never left open by mistake.
#include "sqlite/SqliteConnection.h"

namespace qv {

SqliteConnection& SqliteConnection::operator=(SqliteConnection&& other) noexcept {
    if (this != &other) {
        close();
        mRef = other.mRef;
        other.mRef.db = nullptr;
    }
    return *this;
}

int SqliteConnection::open(const SqliteApi& api, const std::string& path, int flags, int busyTimeoutMs) {
    close();
    mRef.api = &api;
    sqlite3* db = nullptr;
    const int rc = api.open_v2(path.c_str(), &db, flags, nullptr);
    if (rc != SQLITE_OK) {
        mOpenError = db ? api.errmsg(db) : api.errstr(rc);
        api.close_v2(db); // the library hands out a handle even when it fails
        return rc;
    }
    mRef.db = db;
    api.extended_result_codes(db, 1);
    // From the very first read (the probe of the schema) on.
    api.busy_timeout(db, busyTimeoutMs);
    return rc;
}

int SqliteConnection::execStatus(const std::string& sql) const {
    char* msg = nullptr;
    const int rc = lib().exec(mRef.db, sql.c_str(), nullptr, nullptr, &msg);
    lib().free(msg);
    return rc;
}

void SqliteConnection::close() {
    if (mRef.db) lib().close_v2(mRef.db);
    mRef.db = nullptr;
}

} // namespace qv
