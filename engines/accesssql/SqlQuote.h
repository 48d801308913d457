// SQLite's quoting of names and text literals: the delimiter doubled inside. One place, because
// every translator stage that emits a name or a literal must quote exactly the same way.
#pragma once

#include <string>
#include <string_view>

namespace qv::accesssql {

class SqlQuote {
  public:
    static std::string quoted(std::string_view value, char delimiter) {
        std::string out;
        out.reserve(value.size() + 2);
        out.push_back(delimiter);
        for (char c : value) {
            out.push_back(c);
            if (c == delimiter) out.push_back(delimiter);
        }
        out.push_back(delimiter);
        return out;
    }
    static std::string identifier(std::string_view name) { return quoted(name, '"'); }
    static std::string text(std::string_view value) { return quoted(value, '\''); }
};

} // namespace qv::accesssql
