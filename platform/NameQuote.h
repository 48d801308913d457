// Names of tables, columns and saved queries as the product's SQL dialect writes them: between
// square brackets, or between back quotes for a saved query run as a stored procedure. A name
// comes from a database file or from a person, so it may hold the closing delimiter itself; it
// is then doubled ("a]b" is written "[a]]b]"), which the dialect's reader takes back as one.
// Every place that pastes a name into a statement goes through here, so a crafted name can
// never end its brackets early and smuggle in SQL or another table.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace qv {

class NameQuote {
  public:
    // "[name]" with every "]" doubled.
    static std::string bracketed(std::string_view name);
    // "`name`" with every "`" doubled.
    static std::string backQuoted(std::string_view name);
    // A dotted name ("dbo.Orders") with each part bracketed ("[dbo].[Orders]").
    static std::string bracketedPath(std::string_view dottedName);
    // The name a "[...]" or "`...`" text stands for, surrounding blanks ignored; nullopt when
    // the text is not exactly one such name (a lone closing delimiter inside, or none at the end).
    static std::optional<std::string> unquoted(std::string_view quotedName);
    // A sheet name as it stands before "!" in a reference of the host's formulas and names:
    // as it is when it holds only letters, digits, underscores and non-ASCII characters, else
    // between single quotes with every quote doubled ("O'Brien" is written "'O''Brien'").
    static std::string sheetReference(std::string_view sheetName);
};

} // namespace qv
