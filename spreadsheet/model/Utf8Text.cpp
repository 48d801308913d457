// See Utf8Text.h. The decoder follows the well-formed byte table of Unicode (chapter 3), so
// an overlong form never hides a '<' or a NUL from the escaping that follows it.
#include "spreadsheet/model/Utf8Text.h"

namespace qv::sheet {

namespace {
bool continuation(unsigned char c) {
    return (c & 0xC0) == 0x80;
}
} // namespace

char32_t Utf8Text::next(std::string_view s, std::size_t& i) {
    const auto b0 = static_cast<unsigned char>(s[i]);
    if (b0 < 0x80) {
        ++i;
        return b0;
    }
    std::size_t len;
    char32_t cp;
    unsigned char lo = 0x80, hi = 0xBF; // the range of the second byte
    if (b0 >= 0xC2 && b0 <= 0xDF) {
        len = 2;
        cp = b0 & 0x1F;
    } else if (b0 >= 0xE0 && b0 <= 0xEF) {
        len = 3;
        cp = b0 & 0x0F;
        if (b0 == 0xE0) lo = 0xA0; // no overlong forms; ED A0..BF (surrogates) is let through
    } else if (b0 >= 0xF0 && b0 <= 0xF4) {
        len = 4;
        cp = b0 & 0x07;
        if (b0 == 0xF0) lo = 0x90;
        if (b0 == 0xF4) hi = 0x8F;
    } else {
        ++i;
        return Invalid;
    }
    std::size_t k = 1;
    for (; k < len; ++k) {
        if (i + k >= s.size()) break;
        const auto b = static_cast<unsigned char>(s[i + k]);
        if (k == 1 ? (b < lo || b > hi) : !continuation(b)) break;
        cp = (cp << 6) | (b & 0x3F);
    }
    i += k;
    return k == len ? cp : Invalid;
}

std::size_t Utf8Text::encode(char32_t cp, char* out) {
    if (cp < 0x80) {
        out[0] = static_cast<char>(cp);
        return 1;
    }
    if (cp < 0x800) {
        out[0] = static_cast<char>(0xC0 | (cp >> 6));
        out[1] = static_cast<char>(0x80 | (cp & 0x3F));
        return 2;
    }
    if (cp < 0x10000) {
        out[0] = static_cast<char>(0xE0 | (cp >> 12));
        out[1] = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out[2] = static_cast<char>(0x80 | (cp & 0x3F));
        return 3;
    }
    out[0] = static_cast<char>(0xF0 | (cp >> 18));
    out[1] = static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out[2] = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out[3] = static_cast<char>(0x80 | (cp & 0x3F));
    return 4;
}

void Utf8Text::append(std::string& out, char32_t cp) {
    char buf[4];
    out.append(buf, encode(cp, buf));
}

std::size_t Utf8Text::utf16Length(std::string_view s) {
    std::size_t units = 0;
    for (std::size_t i = 0; i < s.size();) {
        char32_t cp = next(s, i);
        units += cp != Invalid && cp >= 0x10000 ? 2 : 1;
    }
    return units;
}

std::string Utf8Text::wellFormed(std::string_view s) {
    std::string out;
    out.reserve(s.size());
    for (std::size_t i = 0; i < s.size();) {
        std::size_t start = i;
        char32_t cp = next(s, i);
        if (cp == Invalid) {
            append(out, Replacement);
        } else if (!isSurrogate(cp)) {
            out.append(s, start, i - start);
        } else {
            std::size_t after = i;
            char32_t low = cp <= 0xDBFF && i < s.size() ? next(s, after) : Invalid;
            if (low >= 0xDC00 && low <= 0xDFFF) {
                append(out, 0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00));
                i = after;
            } else {
                append(out, Replacement);
            }
        }
    }
    return out;
}

} // namespace qv::sheet
