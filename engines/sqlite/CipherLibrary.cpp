// Only C entry points cross between the two libraries, and every object the encryption library
// allocates is freed by it, so neither side ever frees memory of the other.
#include "engines/sqlite/CipherLibrary.h"

#include "engines/sqlite/EngineErrors.h"
#include "engines/sqlite/Statement.h"

#include <cstring>
#include <dlfcn.h>
#include <filesystem>
#include <fmt/format.h>
#include <fstream>
#include <sqlite3.h>
#include <vector>

#if defined(__SANITIZE_ADDRESS__)
#define QV_ADDRESS_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define QV_ADDRESS_SANITIZER 1
#endif
#endif

namespace qv::engine {

namespace {

struct Api {
    int (*open_v2)(const char*, sqlite3**, int, const char*) = nullptr;
    int (*close_v2)(sqlite3*) = nullptr;
    int (*key)(sqlite3*, const void*, int) = nullptr;
    int (*exec)(sqlite3*, const char*, int (*)(void*, int, char**, char**), void*, char**) = nullptr;
    int (*prepare_v2)(sqlite3*, const char*, int, sqlite3_stmt**, const char**) = nullptr;
    int (*step)(sqlite3_stmt*) = nullptr;
    int (*finalize)(sqlite3_stmt*) = nullptr;
    int (*column_count)(sqlite3_stmt*) = nullptr;
    int (*column_type)(sqlite3_stmt*, int) = nullptr;
    sqlite3_int64 (*column_int64)(sqlite3_stmt*, int) = nullptr;
    double (*column_double)(sqlite3_stmt*, int) = nullptr;
    const unsigned char* (*column_text)(sqlite3_stmt*, int) = nullptr;
    const void* (*column_blob)(sqlite3_stmt*, int) = nullptr;
    int (*column_bytes)(sqlite3_stmt*, int) = nullptr;
    const char* (*errmsg)(sqlite3*) = nullptr;
    void (*free)(void*) = nullptr;
};

template <class F> bool bind(void* lib, F& target, const char* name) {
    target = reinterpret_cast<F>(::dlsym(lib, name));
    return target != nullptr;
}

const Api* api() {
    static const Api* loaded = []() -> const Api* {
#if QV_ADDRESS_SANITIZER
        // AddressSanitizer refuses libraries opened with deep binding, so the sanitizer build
        // runs as a system without the encryption library.
        return nullptr;
#endif
        // Deep binding keeps the library on its own sqlite3_* definitions while it shares the
        // process heap; a separate link-map namespace would bring a second C library whose
        // allocator fights the first one over the program break.
        void* lib = ::dlopen("libsqlcipher.so.0", RTLD_NOW | RTLD_LOCAL | RTLD_DEEPBIND);
        if (!lib) return nullptr;
        static Api a;
        const bool ok = bind(lib, a.open_v2, "sqlite3_open_v2") &&
                        bind(lib, a.close_v2, "sqlite3_close_v2") && bind(lib, a.key, "sqlite3_key") &&
                        bind(lib, a.exec, "sqlite3_exec") && bind(lib, a.prepare_v2, "sqlite3_prepare_v2") &&
                        bind(lib, a.step, "sqlite3_step") && bind(lib, a.finalize, "sqlite3_finalize") &&
                        bind(lib, a.column_count, "sqlite3_column_count") &&
                        bind(lib, a.column_type, "sqlite3_column_type") &&
                        bind(lib, a.column_int64, "sqlite3_column_int64") &&
                        bind(lib, a.column_double, "sqlite3_column_double") &&
                        bind(lib, a.column_text, "sqlite3_column_text") &&
                        bind(lib, a.column_blob, "sqlite3_column_blob") &&
                        bind(lib, a.column_bytes, "sqlite3_column_bytes") &&
                        bind(lib, a.errmsg, "sqlite3_errmsg") && bind(lib, a.free, "sqlite3_free");
        return ok ? &a : nullptr;
    }();
    return loaded;
}

// An encrypted database open in the encryption library, closed on every way out.
class CipherDb {
  public:
    CipherDb(const Api& a, const std::string& path, int flags) : mApi(a) {
        if (mApi.open_v2(path.c_str(), &mDb, flags, nullptr) != SQLITE_OK) {
            mApi.close_v2(mDb);
            mDb = nullptr;
        }
    }
    ~CipherDb() {
        if (mDb) mApi.close_v2(mDb);
    }
    sqlite3* get() const { return mDb; }
    int exec(const std::string& sql) const {
        char* msg = nullptr;
        const int rc = mApi.exec(mDb, sql.c_str(), nullptr, nullptr, &msg);
        if (msg) mApi.free(msg);
        return rc;
    }
    std::string error() const { return mDb ? mApi.errmsg(mDb) : "cannot open"; }

  private:
    const Api& mApi;
    sqlite3* mDb = nullptr;
};

std::string quoted(const std::string& s, char q) {
    std::string out(1, q);
    for (char c : s) {
        out += c;
        if (c == q) out += q;
    }
    return out + q;
}

void execPlain(sqlite3* db, const std::string& sql, const std::string& source) {
    char* msg = nullptr;
    const int rc = sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &msg);
    sqlite3_free(msg);
    if (rc != SQLITE_OK) throw EngineErrors::fromSqlite(db, rc, source);
}

// Copies every row of one table from the encrypted database into the plain one.
void copyTable(const Api& a, sqlite3* from, sqlite3* to, const std::string& table,
               const std::string& source) {
    sqlite3_stmt* read = nullptr;
    if (a.prepare_v2(from, ("SELECT * FROM " + quoted(table, '"')).c_str(), -1, &read, nullptr) != SQLITE_OK)
        throw EngineErrors::unrecognisedFormat(source, table);
    const int n = a.column_count(read);
    std::string insert = "INSERT INTO " + quoted(table, '"') + " VALUES (";
    for (int i = 0; i < n; ++i)
        insert += i ? ",?" : "?";
    insert += ")";
    try {
        Statement write(to, insert, source);
        int rc;
        while ((rc = a.step(read)) == SQLITE_ROW) {
            sqlite3_stmt* w = write.get();
            sqlite3_reset(w);
            for (int c = 0; c < n; ++c) {
                switch (a.column_type(read, c)) {
                case SQLITE_INTEGER:
                    sqlite3_bind_int64(w, c + 1, a.column_int64(read, c));
                    break;
                case SQLITE_FLOAT:
                    sqlite3_bind_double(w, c + 1, a.column_double(read, c));
                    break;
                case SQLITE_TEXT: {
                    const auto* p = reinterpret_cast<const char*>(a.column_text(read, c));
                    sqlite3_bind_text(w, c + 1, p, a.column_bytes(read, c), SQLITE_TRANSIENT);
                    break;
                }
                case SQLITE_BLOB:
                    sqlite3_bind_blob(w, c + 1, a.column_blob(read, c), a.column_bytes(read, c),
                                      SQLITE_TRANSIENT);
                    break;
                default:
                    sqlite3_bind_null(w, c + 1);
                    break;
                }
            }
            write.step();
        }
        if (rc != SQLITE_DONE) throw EngineErrors::unrecognisedFormat(source, table);
    } catch (...) {
        a.finalize(read);
        throw;
    }
    a.finalize(read);
}

} // namespace

bool CipherLibrary::available() {
    return api() != nullptr;
}

bool CipherLibrary::looksEncrypted(const std::string& path) {
    std::error_code ec;
    const auto size = std::filesystem::file_size(path, ec);
    if (ec || size < 1024 || size % 1024 != 0) return false;
    std::ifstream in(path, std::ios::binary);
    char head[16] = {};
    if (!in.read(head, sizeof head)) return false;
    return std::memcmp(head, "SQLite format 3\0", 16) != 0;
}

sqlite3* CipherLibrary::openDecrypted(const std::string& path, const std::string& password,
                                      const std::string& source) {
    const Api* a = api();
    if (!a) {
        throw NumberedError(
            engineerr::UnrecognisedFormat, source,
            fmt::format("Unrecognized database format '{}' (encrypted databases cannot be read on "
                        "this system).",
                        path));
    }
    if (password.empty()) throw EngineErrors::passwordNotValid(source);
    CipherDb cipher(*a, path, SQLITE_OPEN_READONLY);
    if (!cipher.get()) throw EngineErrors::unrecognisedFormat(source, path);
    a->key(cipher.get(), password.data(), static_cast<int>(password.size()));
    if (cipher.exec("SELECT count(*) FROM sqlite_master") != SQLITE_OK)
        throw EngineErrors::passwordNotValid(source);

    struct Entry {
        std::string type, name, sql;
    };
    std::vector<Entry> schema;
    {
        sqlite3_stmt* st = nullptr;
        a->prepare_v2(cipher.get(),
                      "SELECT type, name, sql FROM sqlite_master WHERE sql IS NOT NULL "
                      "ORDER BY CASE type WHEN 'table' THEN 0 ELSE 1 END, rowid",
                      -1, &st, nullptr);
        while (st && a->step(st) == SQLITE_ROW) {
            auto text = [&](int c) {
                const auto* p = reinterpret_cast<const char*>(a->column_text(st, c));
                return p ? std::string(p) : std::string();
            };
            schema.push_back({text(0), text(1), text(2)});
        }
        if (st) a->finalize(st);
    }
    sqlite3* mem = nullptr;
    if (sqlite3_open(":memory:", &mem) != SQLITE_OK) {
        sqlite3_close(mem);
        throw NumberedError(7, source, "Out of memory");
    }
    try {
        sqlite3_extended_result_codes(mem, 1);
        execPlain(mem, "BEGIN", source);
        bool hasSequence = false;
        for (const auto& e : schema) {
            if (e.type != "table") continue;
            if (e.name == "sqlite_sequence") {
                hasSequence = true;
                continue; // made by the first AUTOINCREMENT table
            }
            execPlain(mem, e.sql, source);
            copyTable(*a, cipher.get(), mem, e.name, source);
        }
        if (hasSequence) copyTable(*a, cipher.get(), mem, "sqlite_sequence", source);
        for (const auto& e : schema) {
            if (e.type != "table") execPlain(mem, e.sql, source);
        }
        execPlain(mem, "COMMIT", source);
    } catch (...) {
        sqlite3_close(mem);
        throw;
    }
    return mem;
}

void CipherLibrary::exportCopy(const std::string& from, const std::string& fromPassword,
                               const std::string& to, const std::string& toPassword) {
    const std::string source = "DAO.Database";
    const Api* a = api();
    if (!a) throw NumberedError(err::CannotCreateObject, source, "The encryption library cannot be loaded.");
    if (std::filesystem::exists(to))
        throw NumberedError(58, source, fmt::format("File '{}' already exists.", to));
    if (!std::filesystem::is_regular_file(from)) throw EngineErrors::fileNotFound(source, from);
    // ATTACH takes the connection's flags: without CREATE it could not make the copy.
    CipherDb cipher(*a, from, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);
    if (!cipher.get()) throw EngineErrors::fileNotFound(source, from);
    if (!fromPassword.empty())
        a->key(cipher.get(), fromPassword.data(), static_cast<int>(fromPassword.size()));
    if (cipher.exec("SELECT count(*) FROM sqlite_master") != SQLITE_OK)
        throw EngineErrors::passwordNotValid(source);
    if (cipher.exec("ATTACH DATABASE " + quoted(to, '\'') + " AS qvtarget KEY " + quoted(toPassword, '\'')) !=
            SQLITE_OK ||
        cipher.exec("SELECT sqlcipher_export('qvtarget')") != SQLITE_OK) {
        const std::string why = cipher.error();
        cipher.exec("DETACH DATABASE qvtarget");
        std::error_code ec;
        std::filesystem::remove(to, ec);
        throw NumberedError(err::AdoOpenRefused, source,
                            fmt::format("The copy could not be written ({}).", why));
    }
    cipher.exec("DETACH DATABASE qvtarget");
}

} // namespace qv::engine
