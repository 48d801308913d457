// The Access expression functions (Now, DateAdd, IIf, Nz, Left, Format, ...) and the helper
// functions the translator emits (qv_concat for `&`, qv_like for LIKE patterns that are no
// literal, ...), registered on a SQLite connection. Every connection that runs translated SQL
// must have them: the engine calls registerAll right after opening.
//
// Dates come in as the canonical text 'YYYY-MM-DD HH:MM:SS' (also 'YYYY-MM-DD', 'MM/DD/YYYY',
// or an automation date number) and go out as that canonical text. Boolean results are 1 and 0.
#pragma once

#include "sqlite/SqliteRef.h"

namespace qv::accesssql {

class AccessFunctions {
  public:
    // Registers every function on a connection of the library that opened it; throws
    // qv::NumberedError when the library refuses one.
    static void registerAll(SqliteRef db);
    // The same on a connection of the linked SQLite.
    static void registerAll(sqlite3* db) { registerAll(SqliteRef::plain(db)); }
};

} // namespace qv::accesssql
