// The header checks are the cheap part of SQLite's own validation that it skips on open: a
// file cut short is otherwise only noticed when a query reaches the missing pages.
#include "engines/sqlite/SqliteHandle.h"

#include "engines/sqlite/CipherLibrary.h"
#include "engines/sqlite/EngineErrors.h"
#include "engines/sqlite/SqlDialect.h"

#include <array>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sqlite3.h>

namespace qv::engine {

namespace {

std::uint32_t be32(const unsigned char* p) {
    return (std::uint32_t(p[0]) << 24) | (std::uint32_t(p[1]) << 16) | (std::uint32_t(p[2]) << 8) | p[3];
}

// Checks the file's header against its size; answers false for anything that is not a whole
// SQLite database file.
bool headerLooksWhole(const std::string& path) {
    std::error_code ec;
    const auto size = std::filesystem::file_size(path, ec);
    if (ec || size < 512) return false;
    std::ifstream in(path, std::ios::binary);
    std::array<unsigned char, 100> h{};
    if (!in.read(reinterpret_cast<char*>(h.data()), h.size())) return false;
    if (std::memcmp(h.data(), "SQLite format 3\0", 16) != 0) return false;
    std::uint32_t pageSize = (std::uint32_t(h[16]) << 8) | h[17];
    if (pageSize == 1) pageSize = 65536;
    if (pageSize < 512 || (pageSize & (pageSize - 1)) != 0) return false;
    if (size % pageSize != 0) return false;
    const std::uint32_t changeCounter = be32(&h[24]);
    const std::uint32_t pageCount = be32(&h[28]);
    const std::uint32_t validFor = be32(&h[92]);
    if (pageCount != 0 && changeCounter == validFor && size < std::uint64_t(pageCount) * pageSize)
        return false;
    return true;
}

sqlite3* openRaw(const std::string& path, int flags, const std::string& source) {
    sqlite3* db = nullptr;
    int rc = sqlite3_open_v2(path.c_str(), &db, flags | SQLITE_OPEN_NOMUTEX, nullptr);
    if (rc != SQLITE_OK) {
        auto e = EngineErrors::fromSqlite(db, rc, source);
        sqlite3_close_v2(db);
        throw e;
    }
    sqlite3_extended_result_codes(db, 1);
    sqlite3_busy_timeout(db, 2000);
    return db;
}

// Reads the whole schema: a damaged first page or schema table fails here.
void probeSchema(sqlite3* db, const std::string& path, const std::string& source) {
    char* msg = nullptr;
    int rc =
        sqlite3_exec(db, "SELECT count(*) FROM sqlite_master WHERE sql IS NOT NULL", nullptr, nullptr, &msg);
    sqlite3_free(msg);
    if (rc != SQLITE_OK) {
        int primary = rc & 0xff;
        if (primary == SQLITE_NOTADB || primary == SQLITE_CORRUPT)
            throw EngineErrors::unrecognisedFormat(source, path);
        throw EngineErrors::fromSqlite(db, rc, source);
    }
}

// SQLite's own quick check (every page of every b-tree and index, without comparing index
// entries to rows) over the whole file, up to a size where it costs a person nothing noticeable
// at open: measured 4.5 ms of processor time for the 1 MB Chinook database and 220 ms (0.75 s of
// wall time on a busy two-core machine) for a 139 MB one, so about 25 ms at the limit. A larger
// file has only its schema b-tree checked here; damage elsewhere is still reported (3343) by the
// read that meets it.
void checkIntegrity(sqlite3* db, const std::string& path, const std::string& source) {
    std::error_code ec;
    const auto size = std::filesystem::file_size(path, ec);
    const bool whole = !ec && size <= SqliteHandle::WholeCheckLimit;
    sqlite3_stmt* st = nullptr;
    int rc = sqlite3_prepare_v2(db, whole ? "PRAGMA quick_check" : "PRAGMA quick_check('sqlite_master')", -1,
                                &st, nullptr);
    bool ok = false;
    if (rc == SQLITE_OK && (rc = sqlite3_step(st)) == SQLITE_ROW) {
        const auto* first = reinterpret_cast<const char*>(sqlite3_column_text(st, 0));
        ok = first && std::strcmp(first, "ok") == 0 && sqlite3_step(st) == SQLITE_DONE;
    }
    sqlite3_finalize(st);
    const int primary = rc & 0xff;
    if (!ok &&
        (rc == SQLITE_ROW || rc == SQLITE_DONE || primary == SQLITE_CORRUPT || primary == SQLITE_NOTADB))
        throw EngineErrors::damaged(source, path);
    if (!ok) throw EngineErrors::fromSqlite(db, rc, source);
}

// The dialect's functions; a connection that cannot have them is closed, not leaked.
void prepareOrClose(sqlite3* db) {
    try {
        SqlDialect::prepareConnection(db);
    } catch (...) {
        sqlite3_close_v2(db);
        throw;
    }
}

} // namespace

std::shared_ptr<SqliteHandle> SqliteHandle::open(const std::string& path, const Options& options) {
    const std::string& source = options.source;
    std::error_code ec;
    // A name cut at a NUL would open another file than the one asked for.
    if (path.empty() || path.find('\0') != std::string::npos || !std::filesystem::exists(path, ec))
        throw EngineErrors::fileNotFound(source, path);
    if (!std::filesystem::is_regular_file(path, ec)) throw EngineErrors::unrecognisedFormat(source, path);
    if (!headerLooksWhole(path)) {
        if (!CipherLibrary::looksEncrypted(path)) throw EngineErrors::unrecognisedFormat(source, path);
        // An encrypted database is read from a decrypted copy in memory: changes could not
        // reach the file, so it is opened read-only.
        sqlite3* db = CipherLibrary::openDecrypted(path, options.password, source);
        sqlite3_busy_timeout(db, 2000);
        sqlite3_exec(db, "PRAGMA query_only=ON", nullptr, nullptr, nullptr);
        prepareOrClose(db);
        return std::shared_ptr<SqliteHandle>(new SqliteHandle(db, path, true));
    }

    sqlite3* probe = openRaw(path, SQLITE_OPEN_READONLY, source);
    try {
        probeSchema(probe, path, source);
        checkIntegrity(probe, path, source);
    } catch (...) {
        sqlite3_close_v2(probe);
        throw;
    }
    sqlite3* db = probe;
    bool readOnly = options.readOnly;
    if (!readOnly) {
        sqlite3* rw = nullptr;
        if (sqlite3_open_v2(path.c_str(), &rw, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr) ==
                SQLITE_OK &&
            !sqlite3_db_readonly(rw, "main")) {
            sqlite3_close_v2(probe);
            db = rw;
            sqlite3_extended_result_codes(db, 1);
            sqlite3_busy_timeout(db, 2000);
            sqlite3_exec(db, "PRAGMA foreign_keys=ON", nullptr, nullptr, nullptr);
        } else {
            sqlite3_close_v2(rw); // a file we may not write is opened for reading, as the engine does
            readOnly = true;
        }
    }
    prepareOrClose(db);
    return std::shared_ptr<SqliteHandle>(new SqliteHandle(db, path, readOnly));
}

SqliteHandle::~SqliteHandle() {
    sqlite3_close_v2(mDb);
}

void SqliteHandle::exec(const std::string& sql, const std::string& source) const {
    if (sql.find('\0') != std::string::npos) throw EngineErrors::nulInSql(source);
    char* msg = nullptr;
    int rc = sqlite3_exec(mDb, sql.c_str(), nullptr, nullptr, &msg);
    sqlite3_free(msg);
    if (rc != SQLITE_OK) throw EngineErrors::fromSqlite(mDb, rc, source);
}

} // namespace qv::engine
