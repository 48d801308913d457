// A reusable byte buffer that the file writers fill and that hands full blocks to a sink (a
// file, a zip entry, an encoder). Writers append millions of small pieces, so the hot paths
// (text escaping, numbers, cell references) are inline and never allocate after warm-up.
#pragma once

#include <charconv>
#include <cstdint>
#include <cstring>
#include <functional>
#include <string>
#include <string_view>

namespace qv::sheet {

class OutputBuffer {
  public:
    using Sink = std::function<void(const char* data, std::size_t size)>;
    explicit OutputBuffer(Sink sink, std::size_t capacity = 1 << 16);
    ~OutputBuffer();
    OutputBuffer(const OutputBuffer&) = delete;
    OutputBuffer& operator=(const OutputBuffer&) = delete;

    void flush();

    void put(char c) {
        if (mLen == mCap) flush();
        mBuf[mLen++] = c;
    }
    void append(std::string_view s) {
        if (s.size() > mCap - mLen) {
            flush();
            if (s.size() > mCap) {
                mSink(s.data(), s.size());
                return;
            }
        }
        std::memcpy(mBuf + mLen, s.data(), s.size());
        mLen += s.size();
    }
    OutputBuffer& operator<<(std::string_view s) {
        append(s);
        return *this;
    }
    OutputBuffer& operator<<(char c) {
        put(c);
        return *this;
    }

    void integer(std::int64_t v) {
        reserve(24);
        mLen = static_cast<std::size_t>(std::to_chars(mBuf + mLen, mBuf + mCap, v).ptr - mBuf);
    }
    // Shortest text that reads back as the same double.
    void number(double v) {
        reserve(32);
        mLen = static_cast<std::size_t>(std::to_chars(mBuf + mLen, mBuf + mCap, v).ptr - mBuf);
    }
    // Single-precision values print as the float they are (0.1f as "0.1", not 0.100000001490116).
    void number(float v) {
        reserve(32);
        mLen = static_cast<std::size_t>(std::to_chars(mBuf + mLen, mBuf + mCap, v).ptr - mBuf);
    }
    // "A1" style reference; row and column are 1-based.
    void cellRef(long row, long column, bool absolute = false);
    void columnName(long column);

    // XML character data: &, <, > escaped. Characters XML 1.0 forbids (controls, U+FFFE,
    // U+FFFF) become U+FFFD, or with `ooxmlEscapes` the _xHHHH_ escapes spreadsheet packages
    // use; ill-formed UTF-8 and unpaired surrogates become U+FFFD. The part is always well
    // formed, whatever the text held.
    void xmlText(std::string_view s, bool ooxmlEscapes = false);
    // Attribute value in double quotes: also escapes quotes and keeps line breaks and tabs
    // (which an XML parser would otherwise fold into spaces); what XML forbids becomes U+FFFD.
    void xmlAttr(std::string_view s);

  private:
    void reserve(std::size_t n) {
        if (mCap - mLen < n) flush();
    }
    Sink mSink;
    char* mBuf;
    std::size_t mLen = 0, mCap;
};

} // namespace qv::sheet
