// The one UTF-8 codec of the tree. Text is UTF-8 everywhere, but not all of it is well formed:
// cells, fields and registry values arrive from databases, files and scripts nobody checked.
// Decoding follows the well-formed byte table of Unicode (chapter 3), so an overlong form never
// hides a quote, a '<' or a NUL from the code that looks at the characters.
//
// What an ill-formed piece means is the caller's choice, not the codec's: the codec reports it
// (`Status::Invalid`, with the length of the maximal ill-formed subpart, one byte for a stray
// byte) and each caller decides. File writers put one U+FFFD in its place; the Access text
// functions count each of its bytes as one character of its own.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace qv {

class Utf8 {
  public:
    // What next() answers for bytes that are not a character.
    static constexpr char32_t Invalid = 0xFFFFFFFFu;
    static constexpr char32_t Replacement = 0xFFFD;

    enum class Status : std::uint8_t {
        Ok,
        // A three-byte form of a UTF-16 surrogate (CESU-8, Java's modified UTF-8): ill-formed
        // UTF-8, but `cp` holds the surrogate so that a writer can pair it.
        Surrogate,
        // Stray continuation byte, overlong form, truncated sequence, past U+10FFFF, or a byte
        // that never starts a character.
        Invalid,
    };
    struct Decoded {
        char32_t cp = Invalid;  // the character; Invalid for Status::Invalid
        std::size_t length = 1; // bytes taken: the character, or the maximal ill-formed subpart
        Status status = Status::Invalid;
        bool ok() const { return status == Status::Ok; }
    };

    // The piece starting at s[i] (i < s.size()).
    static Decoded decode(std::string_view s, std::size_t i);
    // The character starting at `i`, moving `i` past the piece: a surrogate is answered as
    // itself, an ill-formed piece as Invalid.
    static char32_t next(std::string_view s, std::size_t& i);
    // Writes the character's bytes to `out` (room for 4); answers how many.
    static std::size_t encode(char32_t cp, char* out);
    static void append(std::string& out, char32_t cp);
    static bool isSurrogate(char32_t cp) { return cp >= 0xD800 && cp <= 0xDFFF; }
    // The character a high (D800..DBFF) and a low (DC00..DFFF) surrogate stand for together.
    static char32_t fromSurrogates(char32_t high, char32_t low) {
        return 0x10000 + ((high - 0xD800) << 10) + (low - 0xDC00);
    }

    // Byte offset of the first piece that is not a well-formed character; s.size() when none.
    static std::size_t firstInvalid(std::string_view s);
    static bool isValid(std::string_view s) { return firstInvalid(s) == s.size(); }
    // Characters, each ill-formed piece counted as one.
    static std::size_t codePoints(std::string_view s);
    // The text in UTF-16 units, each ill-formed piece counted as the one replacement character
    // a writer puts in its place and a character past U+FFFF as the pair it becomes.
    static std::size_t utf16Length(std::string_view s);
    // The longest prefix of at most maxUnits UTF-16 units that ends on a piece boundary, each
    // ill-formed piece counted as one unit.
    static std::string_view prefixUnits(std::string_view s, std::size_t maxUnits);
    // The text with every ill-formed piece and unpaired surrogate replaced by U+FFFD and every
    // surrogate pair joined into the character it stands for.
    static std::string wellFormed(std::string_view s);
};

} // namespace qv
