// Engine failures as the numbered errors the add-in tells apart. Every SQLite result code that
// leaves the engine passes through here, so callers never see a native code, and constraint
// failures name "Table.Field" so that the write-back can point at the offending column.
#pragma once

#include "platform/NumberedError.h"
#include "sqlite/SqliteRef.h"

#include <cstdint>
#include <string>

namespace qv::engine {

class EngineErrors {
  public:
    static NumberedError make(std::int32_t number, const std::string& source,
                              const std::string& description) {
        return NumberedError(number, source, description);
    }
    static NumberedError fileNotFound(const std::string& source, const std::string& path);
    static NumberedError unrecognisedFormat(const std::string& source, const std::string& path);
    // 3343 for a file whose pages SQLite finds damaged, naming the file.
    static NumberedError damaged(const std::string& source, const std::string& path);
    static NumberedError passwordNotValid(const std::string& source);
    // An Access file: a database, but of a format this engine does not read.
    static NumberedError accessNotReadable(const std::string& source, const std::string& path);
    static NumberedError accountNotValid(const std::string& source);
    static NumberedError itemNotFound(const std::string& source, const std::string& name);
    // 3142: SQL text with a NUL character, which would end the statement early.
    static NumberedError nulInSql(const std::string& source);
    // 6 (overflow): a date value outside the years 100 to 9999, or not a number at all.
    static NumberedError dateOutOfRange(const std::string& source, double oleDate);
    // Translates the last failure on db (result code rc) into the engine's number and text; the
    // message is read through the library that owns the connection.
    static NumberedError fromSqlite(SqliteRef db, int rc, const std::string& source);
};

} // namespace qv::engine
