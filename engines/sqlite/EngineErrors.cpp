// The wording follows the messages users of the add-in know; SQLite's own message is parsed
// for the object names it carries ("NOT NULL constraint failed: T.F").
#include "engines/sqlite/EngineErrors.h"

#include <fmt/format.h>
#include <sqlite3.h>
#include <string_view>

namespace qv::engine {

namespace {
std::string after(std::string_view msg, std::string_view prefix) {
    auto p = msg.find(prefix);
    if (p == std::string_view::npos) return {};
    return std::string(msg.substr(p + prefix.size()));
}
} // namespace

NumberedError EngineErrors::fileNotFound(const std::string& source, const std::string& path) {
    return NumberedError(err::DatabaseFileNotFound, source, fmt::format("Could not find file '{}'.", path));
}

NumberedError EngineErrors::unrecognisedFormat(const std::string& source, const std::string& path) {
    return NumberedError(err::UnrecognisedFormat, source,
                         fmt::format("Unrecognized database format '{}'.", path));
}

NumberedError EngineErrors::damaged(const std::string& source, const std::string& path) {
    return NumberedError(err::UnrecognisedFormat, source,
                         fmt::format("Unrecognized database format '{}': the file is damaged.", path));
}

NumberedError EngineErrors::passwordNotValid(const std::string& source) {
    return ErrorCatalogue::make(err::DaoPasswordNotValid, source);
}

NumberedError EngineErrors::accessNotReadable(const std::string& source, const std::string& path) {
    return NumberedError(
        err::DaoFormatNotInstalled, source,
        fmt::format("'{}' is an Access database, which the SQLite engine does not read.", path));
}

NumberedError EngineErrors::accountNotValid(const std::string& source) {
    return ErrorCatalogue::make(err::DaoAccountNotValid, source);
}

NumberedError EngineErrors::itemNotFound(const std::string& source, const std::string& name) {
    return NumberedError(
        err::ItemNotFound, source,
        fmt::format("Item '{}' cannot be found in the collection corresponding to the requested "
                    "name or ordinal.",
                    name));
}

NumberedError EngineErrors::nulInSql(const std::string& source) {
    return NumberedError(err::CharactersAfterEnd, source,
                         "The SQL statement contains a NUL character; nothing was run.");
}

NumberedError EngineErrors::dateOutOfRange(const std::string& source, double oleDate) {
    return NumberedError(err::Overflow, source,
                         fmt::format("The value {} is not a date between the years 100 and 9999.", oleDate));
}

NumberedError EngineErrors::fromSqlite(SqliteRef db, int rc, const std::string& source) {
    const SqliteApi& lib = db.api ? *db.api : SqliteApi::plain();
    const std::string msg = db.db ? lib.errmsg(db.db) : lib.errstr(rc);
    const int extended = db.db ? lib.extended_errcode(db.db) : rc;
    switch (rc & 0xff) {
    case SQLITE_CONSTRAINT: {
        if (extended == SQLITE_CONSTRAINT_NOTNULL) {
            return NumberedError(err::RequiredField, source,
                                 fmt::format("The field '{}' cannot contain a Null value.",
                                             after(msg, "constraint failed: ")));
        }
        if (extended == SQLITE_CONSTRAINT_UNIQUE || extended == SQLITE_CONSTRAINT_PRIMARYKEY) {
            return NumberedError(
                err::DuplicateValues, source,
                fmt::format("The changes you requested to the table were not successful because "
                            "they would create duplicate values in the index, primary key, or "
                            "relationship. ('{}')",
                            after(msg, "constraint failed: ")));
        }
        if (extended == SQLITE_CONSTRAINT_FOREIGNKEY) {
            return ErrorCatalogue::make(err::RelatedRecordRequired, source);
        }
        if (extended == SQLITE_CONSTRAINT_CHECK) {
            return NumberedError(err::ValidationRule, source,
                                 fmt::format("One or more values are prohibited by the validation rule '{}'.",
                                             after(msg, "constraint failed: ")));
        }
        return NumberedError(err::ValidationRule, source, msg);
    }
    case SQLITE_NOTADB:
    case SQLITE_CORRUPT: {
        // Damage met in the middle of a read names the file, so the person knows which one.
        const char* file = db ? lib.db_filename(db.db, "main") : nullptr;
        if (file && *file) return damaged(source, file);
        return NumberedError(err::UnrecognisedFormat, source,
                             fmt::format("Unrecognized database format ({}).", msg));
    }
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return NumberedError(err::FileLocked, source,
                             fmt::format("Could not use the database; file already in use ({}).", msg));
    case SQLITE_READONLY:
        return ErrorCatalogue::make(err::ReadOnlyDatabase, source);
    case SQLITE_CANTOPEN:
        return NumberedError(err::DatabaseFileNotFound, source,
                             fmt::format("Could not open the file ({}).", msg));
    case SQLITE_ERROR: {
        auto table = after(msg, "no such table: ");
        if (table.empty()) table = after(msg, "no such view: ");
        if (!table.empty()) {
            if (auto dot = table.find('.'); dot != std::string::npos && table.compare(0, dot, "main") == 0)
                table = table.substr(dot + 1);
            return NumberedError(
                err::UnknownObject, source,
                fmt::format("The database engine cannot find the input table or query '{}'. Make "
                            "sure it exists and that its name is spelled correctly.",
                            table));
        }
        return NumberedError(err::ErrorsInCommand, source, fmt::format("Error in SQL statement: {}", msg));
    }
    default:
        return NumberedError(err::AdoOpenRefused, source, msg);
    }
}

} // namespace qv::engine
