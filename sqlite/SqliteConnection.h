// Owns one sqlite3 handle of either library and closes it through that library on every way out.
// Every connection opened in the tree (the engines' databases, workgroup files and copies, the
// registry store) is held by one of these, so no failure path can leak a handle or close it
// twice. It reports result codes; what a failure is called is the owner's business.
#pragma once

#include "sqlite/SqliteRef.h"

#include <string>

namespace qv {

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
    // stays open, and the message is in lastOpenError(). Another program writing the same file
    // makes every statement wait up to busyTimeoutMs rather than fail at once.
    int open(const SqliteApi& api, const std::string& path, int flags, int busyTimeoutMs = BusyTimeoutMs);
    const std::string& lastOpenError() const { return mOpenError; }

    SqliteRef ref() const { return mRef; }
    sqlite3* get() const { return mRef.db; }
    const SqliteApi& lib() const { return *mRef.api; }
    explicit operator bool() const { return mRef.db != nullptr; }

    // Runs statements without rows; answers the result code and drops the message.
    int execStatus(const std::string& sql) const;
    void close();

  private:
    SqliteRef mRef{&SqliteApi::plain(), nullptr};
    std::string mOpenError;
};

} // namespace qv
