// Out-of-line parts of OutputBuffer: the escaping loops copy runs of plain characters in one
// go, because almost all cell text needs no escaping at all.
#include "spreadsheet/OutputBuffer.h"

#include <cctype>

namespace qv::sheet {

OutputBuffer::OutputBuffer(Sink sink, std::size_t capacity)
    : mSink(std::move(sink)), mBuf(new char[capacity < 64 ? 64 : capacity]), mCap(capacity < 64 ? 64 : capacity) {}

OutputBuffer::~OutputBuffer() { delete[] mBuf; }

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
    while (n > 0) mBuf[mLen++] = tmp[--n];
}

void OutputBuffer::cellRef(long row, long column, bool absolute) {
    if (absolute) put('$');
    columnName(column);
    if (absolute) put('$');
    integer(row);
}

namespace {
// Characters that XML 1.0 does not allow at all (C0 controls except tab, LF, CR).
inline bool forbidden(unsigned char c) { return c < 0x20 && c != '\t' && c != '\n' && c != '\r'; }
// Text that reads like an _xHHHH_ escape; its underscore is escaped so that it stays literal.
bool literalEscape(std::string_view s, std::size_t i) {
    if (i + 6 >= s.size() || s[i + 1] != 'x' || s[i + 6] != '_') return false;
    for (std::size_t k = i + 2; k < i + 6; ++k)
        if (!std::isxdigit(static_cast<unsigned char>(s[k]))) return false;
    return true;
}
} // namespace

void OutputBuffer::xmlText(std::string_view s, bool ooxmlEscapes) {
    std::size_t start = 0;
    for (std::size_t i = 0; i < s.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(s[i]);
        const char* rep = nullptr;
        if (c == '&') rep = "&amp;";
        else if (c == '<') rep = "&lt;";
        else if (c == '>') rep = "&gt;";
        else if (c == '\r') rep = "&#13;"; // a bare CR would be read back as LF
        else if (c == '_' && ooxmlEscapes && literalEscape(s, i)) rep = "_x005F_";
        else if (!forbidden(c)) continue;
        append(s.substr(start, i - start));
        start = i + 1;
        if (rep) {
            append(rep);
        } else if (ooxmlEscapes) {
            char esc[8] = {'_', 'x', '0', '0', "0123456789ABCDEF"[c >> 4], "0123456789ABCDEF"[c & 15], '_', 0};
            append(std::string_view(esc, 7));
        }
    }
    append(s.substr(start));
}

void OutputBuffer::xmlAttr(std::string_view s) {
    std::size_t start = 0;
    for (std::size_t i = 0; i < s.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(s[i]);
        const char* rep = nullptr;
        switch (c) {
        case '&': rep = "&amp;"; break;
        case '<': rep = "&lt;"; break;
        case '>': rep = "&gt;"; break;
        case '"': rep = "&quot;"; break;
        case '\r': rep = "&#13;"; break;
        case '\n': rep = "&#10;"; break;
        case '\t': rep = "&#9;"; break;
        default:
            if (!forbidden(c)) continue;
        }
        append(s.substr(start, i - start));
        start = i + 1;
        if (rep) append(rep);
    }
    append(s.substr(start));
}

} // namespace qv::sheet
