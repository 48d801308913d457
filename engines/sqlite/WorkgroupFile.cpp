// Hashes are compared in constant time; the salt is per account, so equal passwords do not show.
#include "engines/sqlite/WorkgroupFile.h"

#include "engines/sqlite/EngineErrors.h"
#include "engines/sqlite/SqliteHandle.h"
#include "engines/sqlite/Statement.h"
#include "sqlite/SqliteConnection.h"

#include <filesystem>
#include <fmt/format.h>
#include <openssl/crypto.h>
#include <openssl/evp.h>
#include <openssl/rand.h>

namespace qv::engine {

namespace {

const char* const Source = "DAO.DBEngine";

Binary hashOf(const std::string& password, const Binary& salt, int iterations) {
    Binary out(32);
    if (PKCS5_PBKDF2_HMAC(password.data(), static_cast<int>(password.size()), salt.data(),
                          static_cast<int>(salt.size()), iterations, EVP_sha256(),
                          static_cast<int>(out.size()), out.data()) != 1)
        throw NumberedError(err::ForeignError, Source, "The password hash could not be computed.");
    return out;
}

SqliteConnection openWritable(const std::string& path) {
    SqliteConnection d;
    if (const int rc = d.open(SqliteApi::plain(), path, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);
        rc != SQLITE_OK)
        throw EngineErrors::fromSqlite(SqliteRef{&SqliteApi::plain(), nullptr}, rc, Source);
    Statement::execute(
        d.ref(),
        "CREATE TABLE IF NOT EXISTS QvAccounts (Name TEXT PRIMARY KEY COLLATE NOCASE, Salt BLOB NOT NULL, "
        "Hash BLOB NOT NULL, Iterations INTEGER NOT NULL)",
        Source);
    return d;
}

} // namespace

void WorkgroupFile::verify(const std::string& path, const std::string& user, const std::string& password,
                           const std::string& source) {
    const std::string missing = "Cannot start your application. The workgroup information file is missing or "
                                "opened exclusively by another user.";
    std::shared_ptr<SqliteHandle> h;
    try {
        h = SqliteHandle::open(path, SqliteHandle::Options{true, {}, source});
    } catch (const NumberedError&) {
        throw NumberedError(err::WorkgroupMissing, source, missing);
    }
    Binary salt, stored;
    long long iterations = 0;
    try {
        Statement st(h->db(), "SELECT Salt, Hash, Iterations FROM QvAccounts WHERE Name = ?", source);
        st.bind(1, user);
        if (!st.step()) throw EngineErrors::accountNotValid(source);
        salt = st.value(0).isBinary() ? st.value(0).bytes() : Binary();
        stored = st.value(1).isBinary() ? st.value(1).bytes() : Binary();
        iterations = st.integer(2);
    } catch (const NumberedError& e) {
        if (e.number() == err::DaoAccountNotValid) throw;
        throw NumberedError(err::WorkgroupMissing, source, missing);
    }
    if (iterations < 1 || iterations > MaxIterations) {
        throw NumberedError(err::WorkgroupMissing, source,
                            fmt::format("The workgroup information file '{}' is not valid: the account '{}' "
                                        "asks for {} hashing rounds (1 to {} are allowed).",
                                        path, user, iterations, MaxIterations));
    }
    const Binary computed = hashOf(password, salt, static_cast<int>(iterations));
    if (stored.size() != computed.size() ||
        CRYPTO_memcmp(stored.data(), computed.data(), computed.size()) != 0)
        throw EngineErrors::accountNotValid(source);
}

void WorkgroupFile::setAccount(const std::string& path, const std::string& user,
                               const std::string& password) {
    if (user.empty()) throw NumberedError(err::InvalidProcedureCall, Source, "An account needs a name.");
    SqliteConnection d = openWritable(path);
    Binary salt(16);
    if (RAND_bytes(salt.data(), static_cast<int>(salt.size())) != 1)
        throw NumberedError(err::ForeignError, Source, "No random salt could be drawn.");
    Statement st(d.ref(),
                 "INSERT OR REPLACE INTO QvAccounts (Name, Salt, Hash, Iterations) VALUES (?, ?, ?, ?)",
                 Source);
    st.bind(1, user)
        .bind(2, Variant(salt))
        .bind(3, Variant(hashOf(password, salt, Iterations)))
        .bind(4, Variant(Iterations));
    st.step();
}

bool WorkgroupFile::removeAccount(const std::string& path, const std::string& user) {
    if (!std::filesystem::exists(path)) return false;
    SqliteConnection d = openWritable(path);
    Statement st(d.ref(), "DELETE FROM QvAccounts WHERE Name = ?", Source);
    st.bind(1, user);
    st.step();
    return d.lib().changes(d.get()) > 0;
}

std::vector<std::string> WorkgroupFile::accounts(const std::string& path) {
    auto h = SqliteHandle::open(path, SqliteHandle::Options{true, {}, Source});
    std::vector<std::string> out;
    Statement st(h->db(), "SELECT Name FROM QvAccounts ORDER BY Name", Source);
    while (st.step())
        out.push_back(st.text(0));
    return out;
}

} // namespace qv::engine
