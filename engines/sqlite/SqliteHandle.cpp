// The header checks are the cheap part of SQLite's own validation that it skips on open: a
// file cut short is otherwise only noticed when a query reaches the missing pages.
#include "engines/sqlite/SqliteHandle.h"

#include "engines/sqlite/CipherLibrary.h"
#include "engines/sqlite/DatabaseFileKind.h"
#include "engines/sqlite/EngineErrors.h"
#include "engines/sqlite/SqlDialect.h"
#include "engines/sqlite/Statement.h"

#include <array>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>

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

// Reads the whole schema: a damaged first page or schema table fails here.
void probeSchema(const SqliteConnection& db, const std::string& path, const std::string& source) {
    const int rc = db.execStatus("SELECT count(*) FROM sqlite_master WHERE sql IS NOT NULL");
    if (rc != SQLITE_OK) {
        int primary = rc & 0xff;
        if (primary == SQLITE_NOTADB || primary == SQLITE_CORRUPT)
            throw EngineErrors::unrecognisedFormat(source, path);
        throw EngineErrors::fromSqlite(db.ref(), rc, source);
    }
}

// A plain file is probed read-only and opened for writing only once it proved to be a database.
SqliteConnection openPlain(const std::string& path, bool& readOnly, const std::string& source) {
    const SqliteApi& api = SqliteApi::plain();
    SqliteConnection probe;
    if (const int rc = probe.open(api, path, SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX); rc != SQLITE_OK)
        throw EngineErrors::fromSqlite(SqliteRef{&api, nullptr}, rc, source);
    probeSchema(probe, path, source);
    if (readOnly) return probe;
    SqliteConnection rw;
    if (rw.open(api, path, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX) == SQLITE_OK &&
        !api.db_readonly(rw.get(), "main"))
        return rw;
    readOnly = true; // a file we may not write is opened for reading, as the engine does
    return probe;
}

// SQLite's own integrity check for a small file (it also compares every index with its rows,
// which finds a value changed inside an indexed row: about 30 ms for the 1 MB Chinook database),
// else its quick check (every page of every b-tree and index, without that comparison) over the
// whole file, up to a size where it costs a person nothing noticeable at open: measured 4.5 ms of
// processor time for the 1 MB Chinook database and 220 ms (0.75 s of wall time on a busy two-core
// machine) for a 139 MB one, so about 25 ms at the limit. A larger file has only its schema
// b-tree checked here; damage elsewhere is still reported (3343) by the read that meets it. It
// runs on the connection the handle keeps, through its library, so an encrypted file is checked
// as it decrypts, page by page.
void checkIntegrity(const SqliteConnection& db, const std::string& path, const std::string& source) {
    const SqliteApi& lib = db.lib();
    std::error_code ec;
    const auto size = std::filesystem::file_size(path, ec);
    const bool whole = !ec && size <= SqliteHandle::WholeCheckLimit;
    // Before 3.33 the argument of quick_check is only an error limit: a table name is read as no
    // number and the whole file would be checked, with no bound. The encryption library is such
    // a SQLite (3.15); for it the schema b-tree was already read row by row when the key was
    // checked, so a large file is left to its reads.
    if (!whole && lib.libversion_number() < 3033000) return;
    sqlite3_stmt* st = nullptr;
    const bool full = whole && size <= SqliteHandle::FullCheckLimit;
    const char* check = full    ? "PRAGMA integrity_check"
                        : whole ? "PRAGMA quick_check"
                                : "PRAGMA quick_check('sqlite_master')";
    int rc = lib.prepare_v2(db.get(), check, -1, &st, nullptr);
    bool ok = false;
    if (rc == SQLITE_OK && (rc = lib.step(st)) == SQLITE_ROW) {
        const auto* first = reinterpret_cast<const char*>(lib.column_text(st, 0));
        ok = first && std::strcmp(first, "ok") == 0 && lib.step(st) == SQLITE_DONE;
    }
    lib.finalize(st);
    const int primary = rc & 0xff;
    if (!ok &&
        (rc == SQLITE_ROW || rc == SQLITE_DONE || primary == SQLITE_CORRUPT || primary == SQLITE_NOTADB))
        throw EngineErrors::damaged(source, path);
    if (!ok) throw EngineErrors::fromSqlite(db.ref(), rc, source);
    // The check ran on the connection that stays open and left the pages it read in its cache,
    // where they would hide damage done to the file later (a failing disk, another program) and
    // hold memory for pages nobody may read again.
    db.execStatus("PRAGMA shrink_memory");
}

} // namespace

std::shared_ptr<SqliteHandle> SqliteHandle::open(const std::string& path, const Options& options) {
    const std::string& source = options.source;
    std::error_code ec;
    // A name cut at a NUL would open another file than the one asked for.
    if (path.empty() || path.find('\0') != std::string::npos || !std::filesystem::exists(path, ec))
        throw EngineErrors::fileNotFound(source, path);
    if (!std::filesystem::is_regular_file(path, ec)) throw EngineErrors::unrecognisedFormat(source, path);
    bool readOnly = options.readOnly;
    SqliteConnection db;
    switch (DatabaseFileKind::of(path)) {
    case DatabaseFileKind::Kind::Sqlite:
        if (!headerLooksWhole(path)) throw EngineErrors::unrecognisedFormat(source, path);
        db = openPlain(path, readOnly, source);
        break;
    case DatabaseFileKind::Kind::Encrypted:
        db = CipherLibrary::open(path, options.password, readOnly, source);
        readOnly = readOnly || db.lib().db_readonly(db.get(), "main") != 0;
        break;
    case DatabaseFileKind::Kind::Access:
        throw EngineErrors::accessNotReadable(source, path);
    case DatabaseFileKind::Kind::Other:
        throw EngineErrors::unrecognisedFormat(source, path);
    }
    checkIntegrity(db, path, source);
    if (!readOnly) db.execStatus("PRAGMA foreign_keys=ON");
    SqlDialect::prepareConnection(db.ref());
    return std::shared_ptr<SqliteHandle>(new SqliteHandle(std::move(db), path, readOnly));
}

void SqliteHandle::exec(const std::string& sql, const std::string& source) const {
    if (sql.find('\0') != std::string::npos) throw EngineErrors::nulInSql(source);
    Statement::execute(mDb.ref(), sql, source);
}

} // namespace qv::engine
