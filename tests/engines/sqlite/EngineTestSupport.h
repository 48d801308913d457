// Shared helpers of the engine tests: a private temporary folder per test, copies of the
// fixtures (never the fixtures themselves), small databases built with SQL, and file digests to
// prove a file was left byte for byte as it was.
#pragma once

#include "engines/sqlite/AdoConnection.h"
#include "engines/sqlite/DaoEngine.h"
#include "platform/ConnectionString.h"
#include "platform/NumberedError.h"

#include "tests/support/ErrorNumber.h"
#include "tests/support/TestFiles.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sstream>
#include <string>

namespace qv::enginetest {

inline const std::filesystem::path FixtureDir = "../shared/fixtures/sqlite";

using ::qv::test::readAll;
using ::qv::test::TempDir;
using ::qv::test::writeAll;

// Builds a database from SQL with the system's own SQLite, outside the engine under test.
inline void makeDatabase(const std::string& path, const std::string& sql) {
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
    char* msg = nullptr;
    int rc = sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &msg);
    std::string error = msg ? msg : "";
    sqlite3_free(msg);
    sqlite3_close(db);
    ASSERT_EQ(rc, SQLITE_OK) << error;
}

inline std::string connectionStringFor(const std::string& path, const std::string& password = {}) {
    return "Driver={Microsoft Access Driver (*.mdb, *.accdb)};Dbq=" + ConnectionString::quote(path) +
           ";Uid=Admin;Pwd=" + ConnectionString::quote(password) + ";";
}

inline std::shared_ptr<engine::AdoConnection> openConnection(const std::string& path) {
    auto c = std::make_shared<engine::AdoConnection>();
    c->setCursorLocation(3);
    c->open(connectionStringFor(path));
    return c;
}

inline DaoDatabasePtr openDao(const std::string& path, bool readOnly = false,
                              const std::string& connect = {}) {
    engine::DaoEngine engine("12.0");
    return engine.workspace(0)->openDatabase(path, 0, readOnly, connect);
}

using test::errorNumberOf;

} // namespace qv::enginetest
