// The ODBC-style connection string the product builds ("Driver={...};Dbq=...;Uid=...;Pwd=...;
// SystemDB=...;"), read by the engines and written by the add-in: one quoting routine and one
// parser, so what one side writes the other reads back unchanged. Keys are case-insensitive; a
// value that contains ';' or braces, or starts or ends with a blank, is written in braces with
// "}}" for a closing brace, so a password like "a;Pwd=x" stays one value instead of smuggling in
// a second key.
#pragma once

#include <map>
#include <string>
#include <string_view>

namespace qv {

class ConnectionString {
  public:
    // Raises NumberedError 0x80004005 for an unterminated braced value.
    static ConnectionString parse(std::string_view text);
    // Braces the value when it needs it, so that parse() gives it back unchanged.
    static std::string quote(std::string_view value);

    // "" when the key is absent; the first occurrence of a key wins, as the driver manager does.
    std::string value(std::string_view key) const;
    bool has(std::string_view key) const;

    std::string driver() const { return value("Driver"); }
    std::string database() const { return has("Dbq") ? value("Dbq") : value("Data Source"); }
    std::string user() const { return value("Uid"); }
    std::string password() const { return value("Pwd"); }
    std::string systemDb() const { return value("SystemDB"); }

  private:
    std::map<std::string, std::string> mValues; // key lower-cased
};

} // namespace qv
