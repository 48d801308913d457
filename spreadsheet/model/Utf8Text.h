// Reading UTF-8 that nobody checked. Cell text arrives from databases, files and scripts, and
// not all of it is well formed; a file writer has to know where a character ends, which
// characters a format can carry and how long a text is in the units the file formats count.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace qv::sheet {

class Utf8Text {
  public:
    // What next() answers for bytes that are not a character (stray continuation bytes,
    // overlong or truncated sequences, values past U+10FFFF).
    static constexpr char32_t Invalid = 0xFFFFFFFFu;
    static constexpr char32_t Replacement = 0xFFFD;

    // The character starting at `i`; moves `i` past it. A sequence that encodes a UTF-16
    // surrogate (as CESU-8 and Java's modified UTF-8 do) is answered as that surrogate, so
    // that the caller can pair it or refuse it. An ill-formed sequence answers Invalid and
    // moves past its longest ill-formed start (at least one byte).
    static char32_t next(std::string_view s, std::size_t& i);
    // Writes the character's bytes to `out` (room for 4); answers how many.
    static std::size_t encode(char32_t cp, char* out);
    static void append(std::string& out, char32_t cp);
    static bool isSurrogate(char32_t cp) { return cp >= 0xD800 && cp <= 0xDFFF; }
    // The text in UTF-16 units, each ill-formed piece counted as the one replacement
    // character a writer puts in its place and a surrogate pair as the two units it is.
    static std::size_t utf16Length(std::string_view s);
    // The text with every ill-formed piece and unpaired surrogate replaced by U+FFFD and
    // every surrogate pair joined into the character it stands for.
    static std::string wellFormed(std::string_view s);
};

} // namespace qv::sheet
