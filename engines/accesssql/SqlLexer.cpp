// The one pass over the statement text; every later stage works on its tokens.
#include "engines/accesssql/SqlLexer.h"

#include "engines/accesssql/AccessDate.h"
#include "engines/accesssql/AccessSqlErrors.h"

#include <fmt/format.h>

namespace qv::accesssql {

namespace {

bool isWordStart(unsigned char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' || c >= 0x80;
}
bool isWordChar(unsigned char c) {
    return isWordStart(c) || (c >= '0' && c <= '9');
}
bool isDigit(unsigned char c) {
    return c >= '0' && c <= '9';
}
bool isSpace(unsigned char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v';
}

// The expression an error message quotes: from the offending token to the end of the line,
// as the engine shows the rest of the expression it could not read.
std::string_view tail(std::string_view sql, std::size_t from) {
    std::string_view t = sql.substr(from);
    const std::size_t nl = t.find_first_of("\r\n");
    return nl == std::string_view::npos ? t : t.substr(0, nl);
}

} // namespace

std::vector<Token> SqlLexer::tokenize(std::string_view sql) {
    // SQLite and every C string stop reading at a NUL, so whatever follows one would be dropped
    // without a word ("DELETE FROM T<NUL> WHERE id = 3" deletes every row): refuse the text.
    if (const std::size_t nul = sql.find('\0'); nul != std::string_view::npos)
        throwSqlError(err::CharactersAfterEnd,
                      fmt::format("The SQL statement contains a NUL character at position {}.", nul + 1));
    std::vector<Token> tokens;
    tokens.reserve(sql.size() / 4 + 4);
    const std::size_t n = sql.size();
    std::size_t i = 0;
    bool space = false;
    while (i < n) {
        const unsigned char c = static_cast<unsigned char>(sql[i]);
        if (isSpace(c)) {
            space = true;
            ++i;
            continue;
        }
        Token t;
        t.pos = static_cast<std::uint32_t>(i);
        t.spaceBefore = space;
        space = false;
        std::size_t j = i + 1;
        if (isWordStart(c)) {
            while (j < n && isWordChar(static_cast<unsigned char>(sql[j])))
                ++j;
            t.kind = TokenKind::Word;
        } else if (isDigit(c) || (c == '.' && i + 1 < n && isDigit(static_cast<unsigned char>(sql[i + 1])))) {
            j = i;
            while (j < n && isDigit(static_cast<unsigned char>(sql[j])))
                ++j;
            if (j < n && sql[j] == '.') {
                ++j;
                while (j < n && isDigit(static_cast<unsigned char>(sql[j])))
                    ++j;
            }
            if (j < n && (sql[j] == 'e' || sql[j] == 'E')) {
                std::size_t k = j + 1;
                if (k < n && (sql[k] == '+' || sql[k] == '-')) ++k;
                if (k < n && isDigit(static_cast<unsigned char>(sql[k]))) {
                    while (k < n && isDigit(static_cast<unsigned char>(sql[k])))
                        ++k;
                    j = k;
                }
            }
            t.kind = TokenKind::Number;
        } else if (c == '\'' || c == '"') {
            // A doubled delimiter stands for one; the literal ends at a single one.
            for (;;) {
                if (j >= n)
                    throwSqlError(
                        err::SyntaxInExpression,
                        fmt::format("Syntax error in string in query expression '{}'.", tail(sql, i)));
                if (static_cast<unsigned char>(sql[j]) == c) {
                    if (j + 1 < n && static_cast<unsigned char>(sql[j + 1]) == c) {
                        j += 2;
                        continue;
                    }
                    ++j;
                    break;
                }
                ++j;
            }
            t.kind = TokenKind::String;
        } else if (c == '[' || c == '`') {
            // A doubled closing delimiter stands for one inside the name, as the names the
            // product quotes are written; the name ends at a single one.
            const char close = c == '[' ? ']' : '`';
            for (;;) {
                const std::size_t end = sql.find(close, j);
                if (end == std::string_view::npos)
                    throwSqlError(err::InvalidBracketing,
                                  fmt::format("Invalid bracketing of name '{}'.", tail(sql, i)));
                j = end + 1;
                if (j < n && sql[j] == close) {
                    ++j;
                    continue;
                }
                break;
            }
            t.kind = TokenKind::Name;
        } else if (c == '#') {
            const std::size_t end = sql.find('#', j);
            if (end == std::string_view::npos || !AccessDate::parse(sql.substr(j, end - j)))
                throwSqlError(
                    err::SyntaxInExpression,
                    fmt::format("Syntax error in date in query expression '{}'.",
                                end == std::string_view::npos ? tail(sql, i) : sql.substr(i, end + 1 - i)));
            j = end + 1;
            t.kind = TokenKind::Date;
        } else if (c == '?') {
            t.kind = TokenKind::Parameter;
        } else if ((c == ':' || c == '@' || c == '$') && j < n &&
                   isWordStart(static_cast<unsigned char>(sql[j]))) {
            while (j < n && isWordChar(static_cast<unsigned char>(sql[j])))
                ++j;
            t.kind = TokenKind::Parameter;
        } else {
            t.kind = TokenKind::Op;
            const char next = j < n ? sql[j] : '\0';
            switch (c) {
            case '(':
                t.op = Op::LParen;
                break;
            case ')':
                t.op = Op::RParen;
                break;
            case ',':
                t.op = Op::Comma;
                break;
            case ';':
                t.op = Op::Semicolon;
                break;
            case '.':
                t.op = Op::Dot;
                break;
            case '=':
                t.op = Op::Eq;
                break;
            case '+':
                t.op = Op::Plus;
                break;
            case '-':
                t.op = Op::Minus;
                break;
            case '*':
                t.op = Op::Star;
                break;
            case '/':
                t.op = Op::Slash;
                break;
            case '\\':
                t.op = Op::Backslash;
                break;
            case '^':
                t.op = Op::Caret;
                break;
            case '&':
                t.op = Op::Amp;
                break;
            case '!':
                if (next == '=') {
                    t.op = Op::Ne;
                    ++j;
                } else {
                    t.op = Op::Bang;
                }
                break;
            case '<':
                if (next == '>') {
                    t.op = Op::Ne;
                    ++j;
                } else if (next == '=') {
                    t.op = Op::Le;
                    ++j;
                } else {
                    t.op = Op::Lt;
                }
                break;
            case '>':
                if (next == '=') {
                    t.op = Op::Ge;
                    ++j;
                } else {
                    t.op = Op::Gt;
                }
                break;
            default:
                t.op = Op::Other; // bytes from 0x80 up start words, so this is one ASCII byte
                break;
            }
        }
        t.raw = sql.substr(i, j - i);
        tokens.push_back(t);
        i = j;
    }
    Token end;
    end.kind = TokenKind::End;
    end.pos = static_cast<std::uint32_t>(n);
    end.spaceBefore = space;
    tokens.push_back(end);
    return tokens;
}

std::string SqlLexer::stringValue(const Token& token) {
    const std::string_view raw = token.raw;
    const char q = raw.front();
    std::string out;
    out.reserve(raw.size());
    for (std::size_t i = 1; i + 1 < raw.size(); ++i) {
        out.push_back(raw[i]);
        if (raw[i] == q) ++i; // skip the second of a doubled delimiter
    }
    return out;
}

std::string SqlLexer::nameValue(const Token& token) {
    const std::string_view inner = token.raw.substr(1, token.raw.size() - 2);
    const char close = token.raw.back();
    std::string out;
    out.reserve(inner.size());
    for (std::size_t i = 0; i < inner.size(); ++i) {
        out.push_back(inner[i]);
        if (inner[i] == close) ++i; // the second of a doubled delimiter
    }
    return out;
}

std::string_view SqlLexer::sourceOf(std::string_view sql, const Token& first, const Token& last) {
    const std::size_t from = first.pos;
    const std::size_t to = last.pos + last.raw.size();
    return to > from ? sql.substr(from, to - from) : std::string_view{};
}

} // namespace qv::accesssql
