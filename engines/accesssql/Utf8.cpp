// Character stepping and case mapping for the text functions and LIKE, over the platform codec.
#include "engines/accesssql/Utf8.h"

#include "platform/Utf8.h"

namespace qv::accesssql {

char32_t Utf8::next(std::string_view s, std::size_t& i) {
    const qv::Utf8::Decoded d = qv::Utf8::decode(s, i);
    if (!d.ok()) { // each byte of an ill-formed piece is a character of its own, decoded as itself
        return static_cast<unsigned char>(s[i++]);
    }
    i += d.length;
    return d.cp;
}

void Utf8::append(std::string& out, char32_t cp) {
    qv::Utf8::append(out, cp);
}

std::size_t Utf8::length(std::string_view s) {
    std::size_t n = 0;
    for (std::size_t i = 0; i < s.size();) {
        next(s, i);
        ++n;
    }
    return n;
}

std::size_t Utf8::offsetOf(std::string_view s, std::size_t charIndex) {
    std::size_t i = 0;
    for (std::size_t k = 0; k < charIndex && i < s.size(); ++k)
        next(s, i);
    return i;
}

char32_t Utf8::toUpper(char32_t c) {
    if (c >= 'a' && c <= 'z') return c - 32;
    if (c < 0xE0) return c;
    if (c <= 0xFE && c != 0xF7) return c - 32;
    if (c == 0xFF) return 0x178;
    if (c >= 0x100 && c <= 0x17F) {
        // Latin Extended-A pairs letters as upper/lower on even/odd code points, except the
        // block 0x139..0x148 and 0x179..0x17E where the pairs start on odd points.
        const bool oddPairs = (c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E);
        if (c == 0x131 || c == 0x138 || c == 0x149 || c == 0x17F) return c;
        if (oddPairs) return (c % 2 == 0) ? c - 1 : c;
        return (c % 2 == 1) ? c - 1 : c;
    }
    return c;
}

char32_t Utf8::toLower(char32_t c) {
    if (c >= 'A' && c <= 'Z') return c + 32;
    if (c < 0xC0) return c;
    if (c <= 0xDE && c != 0xD7) return c + 32;
    if (c == 0x178) return 0xFF;
    if (c >= 0x100 && c <= 0x17F) {
        const bool oddPairs = (c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E);
        if (c == 0x130 || c == 0x131 || c == 0x138 || c == 0x149 || c == 0x17F) return c;
        if (oddPairs) return (c % 2 == 1) ? c + 1 : c;
        return (c % 2 == 0) ? c + 1 : c;
    }
    return c;
}

std::string Utf8::upper(std::string_view s) {
    std::string out;
    out.reserve(s.size());
    for (std::size_t i = 0; i < s.size();)
        append(out, toUpper(next(s, i)));
    return out;
}

std::string Utf8::lower(std::string_view s) {
    std::string out;
    out.reserve(s.size());
    for (std::size_t i = 0; i < s.size();)
        append(out, toLower(next(s, i)));
    return out;
}

int Utf8::compareNoCase(std::string_view a, std::string_view b) {
    std::size_t i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        const char32_t x = toLower(next(a, i));
        const char32_t y = toLower(next(b, j));
        if (x != y) return x < y ? -1 : 1;
    }
    if (i < a.size()) return 1;
    if (j < b.size()) return -1;
    return 0;
}

std::size_t Utf8::findNoCase(std::string_view hay, std::string_view needle, std::size_t from) {
    if (needle.empty()) return from <= hay.size() ? from : std::string_view::npos;
    for (std::size_t start = from; start < hay.size();) {
        std::size_t i = start, j = 0;
        bool match = true;
        while (j < needle.size()) {
            if (i >= hay.size() || toLower(next(hay, i)) != toLower(next(needle, j))) {
                match = false;
                break;
            }
        }
        if (match) return start;
        next(hay, start);
    }
    return std::string_view::npos;
}

} // namespace qv::accesssql
