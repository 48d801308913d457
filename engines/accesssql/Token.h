// One lexical unit of an Access SQL statement. A token only points into the statement text;
// the meaning of bracketed names, string literals and #date# literals is recovered from that
// text when the token is emitted, so lexing allocates nothing per token.
#pragma once

#include <cstdint>
#include <string_view>

namespace qv::accesssql {

enum class TokenKind : std::uint8_t {
    Word,      // bare identifier or keyword
    Name,      // [bracketed] or `back-quoted` name
    String,    // '...' or "..."
    Number,    // 12, 1.5, .5, 1E3
    Date,      // #...#
    Parameter, // ?, :name, @name
    Op,        // operators and punctuation
    End,
};

enum class Op : std::uint8_t {
    None,
    LParen,
    RParen,
    Comma,
    Semicolon,
    Dot,
    Bang,
    Eq,
    Ne,
    Lt,
    Le,
    Gt,
    Ge,
    Plus,
    Minus,
    Star,
    Slash,
    Backslash,
    Caret,
    Amp,
    Other, // anything Access does not know; copied through for SQLite to judge
};

struct Token {
    TokenKind kind = TokenKind::End;
    Op op = Op::None;
    bool spaceBefore = false;
    std::uint32_t pos = 0; // offset of the first character in the statement
    std::string_view raw;  // the token's text including its delimiters
};

} // namespace qv::accesssql
