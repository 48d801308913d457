// The numbers a refused statement is reported with. They are the database engine's own numbers
// for the same faults, so a caller that already knows them (and a person who has seen them)
// needs no second table.
#pragma once

#include "platform/NumberedError.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace qv::accesssql {

// Nesting deeper than the translator recurses is refused as TooComplex.
inline constexpr int kMaxNesting = 256;

inline constexpr const char* kTranslatorSource = "Access SQL";

[[noreturn]] inline void throwSqlError(std::int32_t number, std::string description) {
    throw NumberedError(number, kTranslatorSource, std::move(description));
}

// The number with the catalogue's standard wording.
[[noreturn]] inline void throwSqlError(std::int32_t number) {
    throw ErrorCatalogue::make(number, kTranslatorSource);
}

} // namespace qv::accesssql
