// Out-of-line parts of OutputBuffer: the escaping loops copy runs of plain characters in one
// go, because almost all cell text needs no escaping at all.
#include "spreadsheet/io/OutputBuffer.h"

#include "platform/Utf8.h"

#include <array>
#include <cctype>

namespace qv::sheet {

OutputBuffer::OutputBuffer(Sink sink, std::size_t capacity)
    : mSink(std::move(sink)), mBuf(new char[capacity < 64 ? 64 : capacity]),
      mCap(capacity < 64 ? 64 : capacity) {}

OutputBuffer::~OutputBuffer() {
    delete[] mBuf;
}

void OutputBuffer::flush() {
    if (mLen == 0) return;
    std::size_t n = mLen;
    mLen = 0;
    mSink(mBuf, n);
}

void OutputBuffer::columnName(long column) {
    char tmp[8];
    int n = 0;
    while (column > 0 && n < 8) {
        long rem = (column - 1) % 26;
        tmp[n++] = static_cast<char>('A' + rem);
        column = (column - 1) / 26;
    }
    reserve(8);
    while (n > 0)
        mBuf[mLen++] = tmp[--n];
}

void OutputBuffer::cellRef(long row, long column, bool absolute) {
    if (absolute) put('$');
    columnName(column);
    if (absolute) put('$');
    integer(row);
}

namespace {
// Characters that XML 1.0 does not allow at all (C0 controls except tab, LF, CR).
inline bool forbidden(unsigned char c) {
    return c < 0x20 && c != '\t' && c != '\n' && c != '\r';
}
// Text that reads like an _xHHHH_ escape; its underscore is escaped so that it stays literal.
bool literalEscape(std::string_view s, std::size_t i) {
    if (i + 6 >= s.size() || s[i + 1] != 'x' || s[i + 6] != '_') return false;
    for (std::size_t k = i + 2; k < i + 6; ++k)
        if (!std::isxdigit(static_cast<unsigned char>(s[k]))) return false;
    return true;
}

constexpr std::string_view ReplacementUtf8 = "\xEF\xBF\xBD";

// Where a character cannot appear in XML: the _xHHHH_ escape when the format has one (the
// reader gets the character back), otherwise U+FFFD, so the place stays visible and the
// part stays well formed. Dropping it would change the text without a trace.
std::string_view unrepresentable(char32_t cp, bool ooxmlEscapes, char (&buf)[8]) {
    if (!ooxmlEscapes) return ReplacementUtf8;
    static const char* hex = "0123456789ABCDEF";
    buf[0] = '_';
    buf[1] = 'x';
    for (int k = 0; k < 4; ++k)
        buf[2 + k] = hex[(cp >> (12 - 4 * k)) & 15];
    buf[6] = '_';
    return std::string_view(buf, 7);
}

// A character from byte 0x80 up, starting at `i` (moved past it): "" when it can be copied
// as it is, otherwise what goes in its place. Ill-formed UTF-8 and unpaired surrogates are
// not characters at all and become U+FFFD; a surrogate pair becomes its character; U+FFFE
// and U+FFFF are characters XML forbids.
std::string_view nonAscii(std::string_view s, std::size_t& i, bool ooxmlEscapes, char (&buf)[8]) {
    char32_t cp = Utf8::next(s, i);
    if (cp == 0xFFFE || cp == 0xFFFF) return unrepresentable(cp, ooxmlEscapes, buf);
    if (cp == Utf8::Invalid) return ReplacementUtf8;
    if (!Utf8::isSurrogate(cp)) return {};
    std::size_t after = i;
    char32_t low = cp <= 0xDBFF && i < s.size() ? Utf8::next(s, after) : Utf8::Invalid;
    if (low < 0xDC00 || low > 0xDFFF) return ReplacementUtf8;
    i = after;
    return std::string_view(buf, Utf8::encode(Utf8::fromSurrogates(cp, low), buf));
}
} // namespace

namespace {
// Bytes character data carries as they are, whatever the escaping: printable ASCII but for
// the markup characters and the underscore (which may start a literal _xHHHH_), tab and LF.
constexpr auto PlainText = [] {
    std::array<bool, 256> plain{};
    for (int c = 0x20; c < 0x7F; ++c)
        plain[c] = c != '&' && c != '<' && c != '>' && c != '_';
    plain['\t'] = plain['\n'] = true;
    return plain;
}();
} // namespace

void OutputBuffer::xmlText(std::string_view s, bool ooxmlEscapes) {
    std::size_t start = 0;
    char buf[8];
    for (std::size_t i = 0; i < s.size();) {
        while (i < s.size() && PlainText[static_cast<unsigned char>(s[i])])
            ++i;
        if (i == s.size()) break;
        const std::size_t at = i;
        unsigned char c = static_cast<unsigned char>(s[i]);
        std::string_view rep;
        if (c >= 0x80) {
            rep = nonAscii(s, i, ooxmlEscapes, buf);
            if (rep.empty()) continue;
        } else {
            ++i;
            if (c == '&')
                rep = "&amp;";
            else if (c == '<')
                rep = "&lt;";
            else if (c == '>')
                rep = "&gt;";
            else if (c == '\r')
                rep = "&#13;"; // a bare CR would be read back as LF
            else if (c == '_' && ooxmlEscapes && literalEscape(s, at))
                rep = "_x005F_";
            else if (forbidden(c))
                rep = unrepresentable(c, ooxmlEscapes, buf);
            else
                continue;
        }
        append(s.substr(start, at - start));
        append(rep);
        start = i;
    }
    append(s.substr(start));
}

void OutputBuffer::xmlAttr(std::string_view s) {
    std::size_t start = 0;
    char buf[8];
    for (std::size_t i = 0; i < s.size();) {
        const std::size_t at = i;
        unsigned char c = static_cast<unsigned char>(s[i]);
        std::string_view rep;
        if (c >= 0x80) {
            rep = nonAscii(s, i, false, buf);
            if (rep.empty()) continue;
        } else {
            ++i;
            switch (c) {
            case '&':
                rep = "&amp;";
                break;
            case '<':
                rep = "&lt;";
                break;
            case '>':
                rep = "&gt;";
                break;
            case '"':
                rep = "&quot;";
                break;
            case '\r':
                rep = "&#13;";
                break;
            case '\n':
                rep = "&#10;";
                break;
            case '\t':
                rep = "&#9;";
                break;
            default:
                if (!forbidden(c)) continue;
                rep = ReplacementUtf8;
            }
        }
        append(s.substr(start, at - start));
        append(rep);
        start = i;
    }
    append(s.substr(start));
}

} // namespace qv::sheet
