// One open SQLite database file, shared by the catalogue objects and statements that use it.
// Opening probes the file read-only first (existence, header, size against the page count,
// schema readable, SQLite's quick check), so that a missing, foreign, truncated or damaged file
// gives its numbered error and is never touched: SQLite would otherwise create a missing file or
// start a journal.
#pragma once

#include "engines/sqlite/SchemaTypes.h"

#include <cstdint>
#include <memory>
#include <string>

struct sqlite3;

namespace qv::engine {

class SqliteHandle {
  public:
    struct Options {
        bool readOnly = false;
        std::string password;                 // a database password; "" when none
        std::string source = "DAO.Workspace"; // the error source to report
    };

    // Files up to this size get SQLite's quick check over every page when they are opened.
    static constexpr std::uintmax_t WholeCheckLimit = 16u << 20;

    // Raises 3024 (missing), 3343 (not a database, truncated, damaged), 3031 (password).
    static std::shared_ptr<SqliteHandle> open(const std::string& path, const Options& options);
    ~SqliteHandle();
    SqliteHandle(const SqliteHandle&) = delete;
    SqliteHandle& operator=(const SqliteHandle&) = delete;

    sqlite3* db() const { return mDb; }
    const std::string& path() const { return mPath; }
    bool readOnly() const { return mReadOnly; }
    // Runs statements that return no rows; raises the engine's numbered error on failure.
    void exec(const std::string& sql, const std::string& source) const;
    // The column types the dialect translator asks about, kept with the connection.
    SchemaTypes& schemaTypes() const { return mSchemaTypes; }

  private:
    SqliteHandle(sqlite3* db, std::string path, bool readOnly)
        : mDb(db), mPath(std::move(path)), mReadOnly(readOnly) {}
    sqlite3* mDb = nullptr;
    std::string mPath;
    bool mReadOnly = false;
    mutable SchemaTypes mSchemaTypes;
};

using SqliteHandlePtr = std::shared_ptr<SqliteHandle>;

} // namespace qv::engine
