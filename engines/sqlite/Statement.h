// A prepared SQLite statement owned for one use, with the binding and column helpers the
// catalogue readers share; failures come out as the engine's numbered errors.
#pragma once

#include "engines/sqliteapi/SqliteRef.h"
#include "platform/Variant.h"

#include <string>

namespace qv::engine {

class Statement {
  public:
    // Prepared by the library of the connection; the statement never outlives its connection.
    Statement(SqliteRef db, const std::string& sql, const std::string& source);
    ~Statement();
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    sqlite3_stmt* get() const { return mSt; }
    const SqliteApi& lib() const { return *mDb.api; }
    SqliteRef connection() const { return mDb; }
    // What followed the first statement in the text (for refusing a second statement).
    const std::string& tail() const { return mTail; }
    Statement& bind(int index, const std::string& text);
    Statement& bind(int index, const Variant& value);
    // True while a row is available; raises on failure.
    bool step();
    std::string text(int column) const;
    long long integer(int column) const;
    bool isNull(int column) const;
    Variant value(int column) const;

  private:
    SqliteRef mDb;
    sqlite3_stmt* mSt = nullptr;
    std::string mSource;
    std::string mTail;
};

} // namespace qv::engine
