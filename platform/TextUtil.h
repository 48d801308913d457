// The small text operations every component needs on names, keys and words: case folding,
// trimming and comparing without regard to case. They work on ASCII letters only, on purpose:
// object names, connection-string keys, type words and SQL keywords compare the way the
// engines compare them, and a byte of a UTF-8 sequence is never changed or split. (Case
// folding of whole Unicode text for Access SQL's comparisons lives with its text functions.)
#pragma once

#include <string>
#include <string_view>

namespace qv {

class TextUtil {
  public:
    // The blanks the C library calls space: blank, tab, line feed, vertical tab, form feed,
    // carriage return.
    static constexpr std::string_view WhiteSpace = " \t\n\v\f\r";

    static std::string lowerAscii(std::string_view s);
    static char lowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }
    static std::string upperAscii(std::string_view s);
    // s without the given blanks at either end.
    static std::string_view trim(std::string_view s, std::string_view blanks = WhiteSpace);
    static bool equalsIgnoreCase(std::string_view a, std::string_view b);
};

} // namespace qv
