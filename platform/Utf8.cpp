// See Utf8.h.
#include "platform/Utf8.h"

namespace qv {

namespace {
bool continuation(unsigned char c) {
    return (c & 0xC0) == 0x80;
}
std::size_t unitsOf(const Utf8::Decoded& d) {
    return d.ok() && d.cp >= 0x10000 ? 2 : 1;
}
} // namespace

Utf8::Decoded Utf8::decode(std::string_view s, std::size_t i) {
    const auto b0 = static_cast<unsigned char>(s[i]);
    if (b0 < 0x80) return {b0, 1, Status::Ok};
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
        return {};
    }
    std::size_t k = 1;
    for (; k < len; ++k) {
        if (i + k >= s.size()) break;
        const auto b = static_cast<unsigned char>(s[i + k]);
        if (k == 1 ? (b < lo || b > hi) : !continuation(b)) break;
        cp = (cp << 6) | (b & 0x3F);
    }
    if (k != len) return {Invalid, k, Status::Invalid};
    return {cp, len, isSurrogate(cp) ? Status::Surrogate : Status::Ok};
}

char32_t Utf8::next(std::string_view s, std::size_t& i) {
    const Decoded d = decode(s, i);
    i += d.length;
    return d.cp;
}

std::size_t Utf8::encode(char32_t cp, char* out) {
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

void Utf8::append(std::string& out, char32_t cp) {
    char buf[4];
    out.append(buf, encode(cp, buf));
}

std::size_t Utf8::firstInvalid(std::string_view s) {
    for (std::size_t i = 0; i < s.size();) {
        const Decoded d = decode(s, i);
        if (!d.ok()) return i;
        i += d.length;
    }
    return s.size();
}

std::size_t Utf8::codePoints(std::string_view s) {
    std::size_t n = 0;
    for (std::size_t i = 0; i < s.size(); ++n)
        i += decode(s, i).length;
    return n;
}

std::size_t Utf8::utf16Length(std::string_view s) {
    std::size_t units = 0;
    for (std::size_t i = 0; i < s.size();) {
        const Decoded d = decode(s, i);
        units += unitsOf(d);
        i += d.length;
    }
    return units;
}

std::string_view Utf8::prefixUnits(std::string_view s, std::size_t maxUnits) {
    std::size_t units = 0, i = 0;
    while (i < s.size()) {
        const Decoded d = decode(s, i);
        if (units + unitsOf(d) > maxUnits) break;
        units += unitsOf(d);
        i += d.length;
    }
    return s.substr(0, i);
}

std::string Utf8::wellFormed(std::string_view s) {
    std::string out;
    out.reserve(s.size());
    for (std::size_t i = 0; i < s.size();) {
        const Decoded d = decode(s, i);
        if (d.ok()) {
            out.append(s, i, d.length);
            i += d.length;
            continue;
        }
        i += d.length;
        if (d.status == Status::Surrogate && d.cp <= 0xDBFF && i < s.size()) {
            const Decoded low = decode(s, i);
            if (low.status == Status::Surrogate && low.cp >= 0xDC00) {
                append(out, fromSurrogates(d.cp, low.cp));
                i += low.length;
                continue;
            }
        }
        append(out, Replacement);
    }
    return out;
}

} // namespace qv
