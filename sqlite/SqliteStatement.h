// One prepared statement, owned: finalized through the library that prepared it on every way
// out, so that no failure path leaks it or hands it to the other library. It reports SQLite's
// result codes as they are; turning them into numbered errors is the caller's business (the
// engines and the registry store name their failures differently).
#pragma once

#include "sqlite/SqliteRef.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace qv {

class SqliteStatement {
  public:
    SqliteStatement() = default;
    // Prepares the first statement of sql on db; status() tells how that went.
    SqliteStatement(SqliteRef db, std::string_view sql);
    ~SqliteStatement() { finalize(); }
    SqliteStatement(SqliteStatement&& other) noexcept;
    SqliteStatement& operator=(SqliteStatement&& other) noexcept;
    SqliteStatement(const SqliteStatement&) = delete;
    SqliteStatement& operator=(const SqliteStatement&) = delete;

    // SQLITE_OK when prepared, else the library's code (a text without a statement is
    // SQLITE_OK with no statement: ok() is false).
    int status() const { return mStatus; }
    bool ok() const { return mSt != nullptr; }
    sqlite3_stmt* get() const { return mSt; }
    SqliteRef connection() const { return mDb; }
    const SqliteApi& lib() const { return *mDb.api; }
    // Byte offset in the prepared text where the first statement ended.
    std::size_t tailOffset() const { return mTail; }

    SqliteStatement& bind(int index, std::int64_t value);
    SqliteStatement& bind(int index, std::string_view text);
    // An empty value binds as a zero-length blob, never as NULL.
    SqliteStatement& bindBlob(int index, const void* data, std::size_t size);
    SqliteStatement& bindBlob(int index, const std::vector<std::uint8_t>& bytes) {
        return bindBlob(index, bytes.data(), bytes.size());
    }
    // SQLITE_ROW, SQLITE_DONE or an error code; an unprepared statement answers its status
    // (SQLITE_ERROR when that was OK).
    int step();
    bool run() { return step() == SQLITE_DONE; }

    std::int64_t int64(int column) const;
    std::string text(int column) const;
    std::vector<std::uint8_t> blob(int column) const;
    void finalize();

  private:
    SqliteRef mDb;
    sqlite3_stmt* mSt = nullptr;
    int mStatus = SQLITE_OK;
    std::size_t mTail = 0;
};

} // namespace qv
