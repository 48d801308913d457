// UTF-8 helpers for the string functions: Access counts characters, not bytes, and compares
// text without regard to case, so Len, Mid, InStr, UCase and LIKE work on code points. Case
// mapping covers ASCII, Latin-1 and Latin Extended-A (the letters of the languages the product
// speaks); other characters compare as they are.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace qv::accesssql {

class Utf8 {
  public:
    // Decodes the character at text[i] and advances i. Each byte of an ill-formed piece (stray
    // byte, overlong form, encoded surrogate, past U+10FFFF, truncated) is one character that
    // decodes as its own value, as Access counts a byte it cannot read.
    static char32_t next(std::string_view text, std::size_t& i);
    static void append(std::string& out, char32_t cp);
    static std::size_t length(std::string_view text);
    // Byte offset of the character with the given 0-based index (text.size() when past the end).
    static std::size_t offsetOf(std::string_view text, std::size_t charIndex);
    static char32_t toUpper(char32_t cp);
    static char32_t toLower(char32_t cp);
    static std::string upper(std::string_view text);
    static std::string lower(std::string_view text);
    // Case-insensitive comparison by folded code points: <0, 0, >0.
    static int compareNoCase(std::string_view a, std::string_view b);
    // Byte offset of needle in hay at or after byte offset from, case-insensitively; npos if absent.
    static std::size_t findNoCase(std::string_view hay, std::string_view needle, std::size_t from);
};

} // namespace qv::accesssql
