// A prepared SQLite statement owned for one use, with the binding and column helpers the
// catalogue readers share; failures come out as the engine's numbered errors.
#pragma once

#include "platform/Variant.h"
#include "sqlite/SqliteStatement.h"

#include <string>

namespace qv::engine {

class Statement {
  public:
    // Prepared by the library of the connection; the statement never outlives its connection.
    Statement(SqliteRef db, const std::string& sql, const std::string& source);
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    // Runs statements that return no rows; raises the engine's numbered error on failure.
    static void execute(SqliteRef db, const std::string& sql, const std::string& source);

    sqlite3_stmt* get() const { return mSt.get(); }
    const SqliteApi& lib() const { return mSt.lib(); }
    SqliteRef connection() const { return mSt.connection(); }
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
    SqliteStatement mSt;
    std::string mSource;
    std::string mTail;
};

} // namespace qv::engine
