// A connection as it is passed around: the handle together with the library that opened
// it. It owns nothing (SqliteConnection owns); it only keeps the two from being separated.
#pragma once

#include "sqlite/SqliteApi.h"

namespace qv {

struct SqliteRef {
    const SqliteApi* api = nullptr;
    sqlite3* db = nullptr;

    // A connection of the linked SQLite, for code that opened it there itself.
    static SqliteRef plain(sqlite3* db) { return {&SqliteApi::plain(), db}; }
    const SqliteApi& lib() const { return *api; }
    explicit operator bool() const { return db != nullptr; }
};

} // namespace qv
