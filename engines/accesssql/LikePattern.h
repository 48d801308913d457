// Access LIKE patterns: * any run of characters, ? one character, # one digit, [abc], [a-z]
// and [!a-z] character classes, [*] a literal star; matching ignores case. A pattern that
// SQLite's own LIKE can express is rewritten for it (so an index can still help and no
// function call is paid per row); any other is matched at run time by match().
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace qv::accesssql {

class LikePattern {
  public:
    struct SqlitePattern {
        std::string pattern;      // for LIKE, without quotes
        bool needsEscape = false; // append ESCAPE '\'
    };
    // The SQLite LIKE pattern with the same meaning, or nothing when the pattern holds a
    // character class, a digit wildcard or letters outside ASCII (SQLite folds ASCII only).
    static std::optional<SqlitePattern> toSqlite(std::string_view accessPattern);

    static bool match(std::string_view accessPattern, std::string_view text);
};

} // namespace qv::accesssql
