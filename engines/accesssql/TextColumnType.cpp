// A hyperlink column is a memo whose values are link texts. "HYPERLINK TEXT" keeps the Access word
// in the schema, so that whoever reads the file can still tell a link column from a memo, while
// the word TEXT gives the column text affinity.
#include "engines/accesssql/TextColumnType.h"

#include "engines/accesssql/Keyword.h"

#include <array>
#include <utility>

namespace qv::accesssql {

namespace {

constexpr std::array<std::pair<std::string_view, std::string_view>, 6> kReplacements{{
    {"Memo", "LONGTEXT"},
    {"Note", "LONGTEXT"},
    {"String", "VARCHAR"},
    {"Alphanumeric", "VARCHAR"},
    {"Value", "VARCHAR"},
    {"Hyperlink", "HYPERLINK TEXT"},
}};

} // namespace

std::string_view TextColumnType::replacementFor(std::string_view accessWord) {
    for (const auto& [word, replacement] : kReplacements)
        if (Keyword::equalsNoCase(word, accessWord)) return replacement;
    return {};
}

std::string_view TextColumnType::memo() {
    return replacementFor("Memo");
}

} // namespace qv::accesssql
