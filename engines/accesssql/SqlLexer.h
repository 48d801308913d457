// Splits an Access SQL statement into tokens in one pass over the text. Strings, bracketed
// names and #date# literals are recognised here, and only here, so later stages can never
// mistake their contents for SQL.
#pragma once

#include "engines/accesssql/Token.h"

#include <string>
#include <string_view>
#include <vector>

namespace qv::accesssql {

class SqlLexer {
  public:
    // Throws NumberedError 3075 (unterminated string or date), 3126 (unterminated bracket) or
    // 3142 (a NUL character in the text).
    static std::vector<Token> tokenize(std::string_view sql);

    // The value of a String token: delimiters removed, doubled delimiters undone.
    static std::string stringValue(const Token& token);
    // The name of a Name token without its brackets or back quotes, doubled delimiters undone.
    static std::string nameValue(const Token& token);
    // The statement text a range of tokens covers, for error messages.
    static std::string_view sourceOf(std::string_view sql, const Token& first, const Token& last);
};

} // namespace qv::accesssql
