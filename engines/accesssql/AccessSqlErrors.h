// The numbers a refused statement is reported with. They are the database engine's own numbers
// for the same faults, so a caller that already knows them (and a person who has seen them)
// needs no second table.
#pragma once

#include "platform/NumberedError.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace qv::accesssql {

namespace sqlerr {
constexpr std::int32_t SyntaxInExpression = 3075; // "Syntax error ... in query expression '...'."
constexpr std::int32_t InvalidBracketing = 3126;  // "Invalid bracketing of name '...'."
constexpr std::int32_t InvalidStatement = 3129;   // not DELETE, INSERT, PROCEDURE, SELECT or UPDATE
constexpr std::int32_t SyntaxInFrom = 3131;       // "Syntax error in FROM clause."
constexpr std::int32_t SyntaxInInsert = 3134;     // "Syntax error in INSERT INTO statement."
constexpr std::int32_t SyntaxInParameters =
    3137; // "Missing semicolon (;) at end of SQL statement." (PARAMETERS)
constexpr std::int32_t ReservedWordOrArgument = 3141; // malformed SELECT (TOP without a number, ...)
constexpr std::int32_t CharactersAfterEnd = 3142;     // "Characters found after end of SQL statement."
constexpr std::int32_t SyntaxInUpdate = 3144;         // "Syntax error in UPDATE statement."
constexpr std::int32_t CouldNotDelete = 3086;         // "Could not delete from specified tables."
constexpr std::int32_t NotSupported = 3251;           // "Operation is not supported for this type of object."
constexpr std::int32_t TooComplex = 3360; // "Query is too complex." (nesting deeper than we recurse)
constexpr int kMaxNesting = 256;
} // namespace sqlerr

inline constexpr const char* kTranslatorSource = "Access SQL";

[[noreturn]] inline void throwSqlError(std::int32_t number, std::string description) {
    throw NumberedError(number, kTranslatorSource, std::move(description));
}

} // namespace qv::accesssql
