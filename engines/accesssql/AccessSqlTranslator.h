// Translates one Access SQL statement into SQLite's dialect. The statement is lexed once into
// tokens (so nothing inside a string literal or a bracketed name is ever rewritten) and the
// tokens are then rebuilt level by level (one level per parenthesis group): clause keywords
// split a level into segments, and every segment that is an expression is parsed with
// Access's operator precedence and emitted with SQLite's, which is where `&`, `\`, `^`, `Mod`,
// LIKE wildcards, date arithmetic and truth tests get their SQLite form. A segment that is no
// expression (a column definition, `*`) is copied token by token, unless it holds an operator
// that would need rewriting; then the statement is refused rather than passed on wrongly.
//
// Failures are qv::NumberedError with Access's own numbers (README.md lists them).
#pragma once

#include "engines/accesssql/TranslatedSql.h"

#include <string_view>

namespace qv::accesssql {

class AccessSqlTranslator {
  public:
    static TranslatedSql translate(std::string_view accessSql);
    static TranslatedSql translate(std::string_view accessSql, const TranslateOptions& options);

    // One expression alone, as field properties hold them (a default value "=Now()" or "\"abc\"",
    // a validation rule): the SQLite expression, e.g. for a column's DEFAULT (...). A leading "="
    // is dropped. Throws NumberedError 3075 when the text is not one expression.
    static std::string translateExpression(std::string_view accessExpression);

    // The SQLite text literal for a date/time: 'YYYY-MM-DD HH:MM:SS', the storage form of
    // dates in our databases. Used by the engine when it binds date parameters. Throws
    // NumberedError 6 for a value outside the years 100 to 9999 (or not finite).
    static std::string dateLiteral(double oleDate);
};

} // namespace qv::accesssql
