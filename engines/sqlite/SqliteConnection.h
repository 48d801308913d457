// Owns one sqlite3 handle of either library and closes it through that library on every way out.
// Every connection the engine opens (databases, workgroup files, copies made for a password
// change) is held by one of these, so no failure path can leak a handle or close it twice.
#pragma once

#include "engines/sqliteapi/SqliteRef.h"

#include <string>

namespace qv::engine {

class SqliteConnection {
  public:
    static constexpr int BusyTimeoutMs = 2000;

    SqliteConnection() = default;
    ~SqliteConnection() { close(); }
    SqliteConnection(SqliteConnection&& other) noexcept : mRef(other.mRef) { other.mRef.db = nullptr; }
    SqliteConnection& operator=(SqliteConnection&& other) noexcept;
    SqliteConnection(const SqliteConnection&) = delete;
    SqliteConnection& operator=(const SqliteConnection&) = delete;

    // Opens path with the given library; answers the library's result code. On failure nothing
    // stays open, and the message is in lastOpenError().
    int open(const SqliteApi& api, const std::string& path, int flags);
    const std::string& lastOpenError() const { return mOpenError; }

    SqliteRef ref() const { return mRef; }
    sqlite3* get() const { return mRef.db; }
    const SqliteApi& lib() const { return *mRef.api; }
    explicit operator bool() const { return mRef.db != nullptr; }

    // Runs statements without rows; answers the result code and drops the message.
    int execStatus(const std::string& sql) const;
    // The same, raising the engine's numbered error on failure.
    void exec(const std::string& sql, const std::string& source) const;
    void close();

  private:
    SqliteRef mRef{&SqliteApi::plain(), nullptr};
    std::string mOpenError;
};

} // namespace qv::engine
