// Only C entry points cross between the two libraries, and every object the encryption library
// allocates is freed by it, so neither side ever frees memory of the other.
#include "engines/sqlite/CipherLibrary.h"

#include "engines/sqlite/EngineErrors.h"

#include <dlfcn.h>
#include <filesystem>
#include <fmt/format.h>

#if defined(__SANITIZE_ADDRESS__)
#define QV_ADDRESS_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define QV_ADDRESS_SANITIZER 1
#endif
#endif

namespace qv::engine {

namespace {

template <class F> bool bind(void* lib, F& target, const char* name) {
    target = reinterpret_cast<F>(::dlsym(lib, name));
    return target != nullptr;
}

const SqliteApi* load() {
#if QV_ADDRESS_SANITIZER
    // AddressSanitizer refuses libraries opened with deep binding, so the sanitizer build runs
    // as a system without the encryption library.
    return nullptr;
#endif
    // Deep binding keeps the library on its own sqlite3_* definitions while it shares the
    // process heap; a separate link-map namespace would bring a second C library whose
    // allocator fights the first one over the program break.
    void* lib = ::dlopen("libsqlcipher.so.0", RTLD_NOW | RTLD_LOCAL | RTLD_DEEPBIND);
    if (!lib) return nullptr;
    static SqliteApi api;
    bool ok = true;
#define QV_SQLITE_API_CIPHER(name) ok = bind(lib, api.name, "sqlite3_" #name) && ok;
    QV_SQLITE_API_ENTRIES(QV_SQLITE_API_CIPHER)
#undef QV_SQLITE_API_CIPHER
    ok = bind(lib, api.key, "sqlite3_key") && ok;
    if (!ok) return nullptr; // a build without one of them is not one we can serve
    api.library = SqliteApi::Library::Cipher;
    SqliteApi::install(api);
    return &api;
}

std::string quoted(const std::string& s, char q) {
    std::string out(1, q);
    for (char c : s) {
        out += c;
        if (c == q) out += q;
    }
    return out + q;
}

// Keys the connection and reads the schema: a wrong key shows only there, as "not a database".
int keyed(const SqliteConnection& db, const std::string& password) {
    const int rc = db.lib().key(db.get(), password.data(), static_cast<int>(password.size()));
    if (rc != SQLITE_OK) return rc;
    return db.execStatus("SELECT count(*) FROM sqlite_master");
}

} // namespace

const SqliteApi* CipherLibrary::api() {
    static const SqliteApi* loaded = load();
    return loaded;
}

SqliteConnection CipherLibrary::open(const std::string& path, const std::string& password, bool readOnly,
                                     const std::string& source) {
    const SqliteApi* a = api();
    if (!a) {
        throw NumberedError(
            err::UnrecognisedFormat, source,
            fmt::format("Unrecognized database format '{}' (encrypted databases cannot be read on "
                        "this system).",
                        path));
    }
    if (password.empty()) throw EngineErrors::passwordNotValid(source);
    // Opened once, writable when it may be: a second open would cost a second key derivation.
    // Without the create flag a vanished file is an error, never a new empty database.
    SqliteConnection db;
    bool writable = !readOnly;
    if (writable && db.open(*a, path, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX) != SQLITE_OK)
        writable = false;
    if (!writable && db.open(*a, path, SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX) != SQLITE_OK)
        throw EngineErrors::unrecognisedFormat(source, path);
    const int rc = keyed(db, password) & 0xff;
    if (rc == SQLITE_NOTADB) throw EngineErrors::passwordNotValid(source);
    // The right key on a damaged page or schema: the file is at fault, not the password.
    if (rc == SQLITE_CORRUPT) throw EngineErrors::unrecognisedFormat(source, path);
    if (rc != SQLITE_OK) throw EngineErrors::fromSqlite(db.ref(), rc, source);
    return db;
}

void CipherLibrary::exportCopy(const std::string& from, const std::string& fromPassword,
                               const std::string& to, const std::string& toPassword) {
    const std::string source = "DAO.Database";
    const SqliteApi* a = api();
    if (!a) throw NumberedError(err::CannotCreateObject, source, "The encryption library cannot be loaded.");
    if (std::filesystem::exists(to))
        throw NumberedError(err::FileAlreadyExists, source, fmt::format("File '{}' already exists.", to));
    if (!std::filesystem::is_regular_file(from)) throw EngineErrors::fileNotFound(source, from);
    // ATTACH takes the connection's flags: without CREATE it could not make the copy.
    SqliteConnection cipher;
    if (cipher.open(*a, from, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE) != SQLITE_OK)
        throw EngineErrors::fileNotFound(source, from);
    if (!fromPassword.empty() && keyed(cipher, fromPassword) != SQLITE_OK)
        throw EngineErrors::passwordNotValid(source);
    if (cipher.execStatus("SELECT count(*) FROM sqlite_master") != SQLITE_OK)
        throw EngineErrors::passwordNotValid(source);
    if (cipher.execStatus("ATTACH DATABASE " + quoted(to, '\'') + " AS qvtarget KEY " +
                          quoted(toPassword, '\'')) != SQLITE_OK ||
        cipher.execStatus("SELECT sqlcipher_export('qvtarget')") != SQLITE_OK) {
        const std::string why = cipher.lib().errmsg(cipher.get());
        cipher.execStatus("DETACH DATABASE qvtarget");
        std::error_code ec;
        std::filesystem::remove(to, ec);
        throw NumberedError(err::AdoOpenRefused, source,
                            fmt::format("The copy could not be written ({}).", why));
    }
    cipher.execStatus("DETACH DATABASE qvtarget");
}

} // namespace qv::engine
