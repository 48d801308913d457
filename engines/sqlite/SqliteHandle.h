// One open SQLite database file, shared by the catalogue objects and statements that use it.
// Opening first tells what the file is (DatabaseFileKind); a plain file is then probed read-only
// (header, size against the page count, schema readable), so that a missing, foreign, truncated
// or damaged file gives its numbered error and is never touched: SQLite would otherwise create a
// missing file or start a journal. An encrypted file is opened once, without the create flag,
// and keyed; a wrong key fails on the first read, before anything could be written. Either kind
// then gets SQLite's quick check before anything else is done with it.
// The handle keeps the library that opened the file (plain or encryption library): everything
// done on the connection goes through it.
#pragma once

#include "engines/sqlite/SchemaTypes.h"
#include "sqlite/SqliteConnection.h"

#include <cstdint>
#include <memory>
#include <string>

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
    // Up to this size the check also compares every index with its rows, which finds a value
    // changed inside a row that an index covers; it costs about ten times the quick check.
    static constexpr std::uintmax_t FullCheckLimit = 2u << 20;

    // Raises 3024 (missing), 3343 (not a database, truncated, damaged), 3031 (password), 3170
    // (an Access file, which this engine does not read).
    static std::shared_ptr<SqliteHandle> open(const std::string& path, const Options& options);
    SqliteHandle(const SqliteHandle&) = delete;
    SqliteHandle& operator=(const SqliteHandle&) = delete;

    SqliteRef db() const { return mDb.ref(); }
    const std::string& path() const { return mPath; }
    bool readOnly() const { return mReadOnly; }
    // True when the file is encrypted and served by the encryption library.
    bool encrypted() const { return mDb.lib().library == SqliteApi::Library::Cipher; }
    // Runs statements that return no rows; raises the engine's numbered error on failure.
    void exec(const std::string& sql, const std::string& source) const;
    // The column types the dialect translator asks about, kept with the connection.
    SchemaTypes& schemaTypes() const { return mSchemaTypes; }

  private:
    SqliteHandle(SqliteConnection db, std::string path, bool readOnly)
        : mDb(std::move(db)), mPath(std::move(path)), mReadOnly(readOnly) {}
    SqliteConnection mDb;
    std::string mPath;
    bool mReadOnly = false;
    mutable SchemaTypes mSchemaTypes;
};

using SqliteHandlePtr = std::shared_ptr<SqliteHandle>;

} // namespace qv::engine
