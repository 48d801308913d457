// See MhtmlWriter.h. The encoder works on the page as HtmlWriter streams it, piece by piece,
// so the archive of a large sheet is not built in memory either. Every piece of the page ends
// a line, where the encoder's line is empty and no blank is pending, so each piece is encoded
// on its own, on the thread that formatted it, into exactly the text one pass would give.
#include "spreadsheet/io/MhtmlWriter.h"

#include "spreadsheet/io/ExportSheets.h"
#include "spreadsheet/io/HtmlWriter.h"

#include <algorithm>

namespace qv::sheet {

namespace {

constexpr const char* Boundary = "----=_NextPart_Quorvel_01DA";

// Streaming quoted-printable: keeps the current line length and a pending trailing blank,
// which must be encoded when a line break follows it.
class QpEncoder {
  public:
    explicit QpEncoder(std::string& out) : mOut(out) {}
    void feed(const char* data, std::size_t n) {
        for (std::size_t i = 0; i < n;) {
            if (!plain(static_cast<unsigned char>(data[i]))) {
                byte(static_cast<unsigned char>(data[i++]));
                continue;
            }
            // A run of characters that stand for themselves goes out in line-sized pieces.
            flushBlank(false);
            std::size_t end = i + 1;
            while (end < n && plain(static_cast<unsigned char>(data[end])))
                ++end;
            while (i < end) {
                if (mLine == 75) {
                    mOut += "=\r\n";
                    mLine = 0;
                }
                const std::size_t take = std::min(end - i, 75 - mLine);
                mOut.append(data + i, take);
                mLine += take;
                i += take;
            }
        }
    }
    void finish() { flushBlank(false); }

  private:
    void emit(std::string_view s) {
        if (mLine + s.size() > 75) {
            mOut += "=\r\n";
            mLine = 0;
        }
        mOut += s;
        mLine += s.size();
    }
    void flushBlank(bool beforeBreak) {
        if (!mBlank) return;
        char b = mBlank;
        mBlank = 0;
        if (beforeBreak)
            emit(b == ' ' ? "=20" : "=09");
        else
            emit(std::string_view(&b, 1));
    }
    static bool plain(unsigned char c) { return c >= 33 && c <= 126 && c != '='; }
    // Every other byte: line breaks, blanks (held back until it is known whether a line break
    // follows) and the bytes written as =XX.
    void byte(unsigned char c) {
        if (c == '\r') return; // line breaks are written as CR LF below
        if (c == '\n') {
            flushBlank(true);
            mOut += "\r\n";
            mLine = 0;
            return;
        }
        flushBlank(false);
        if (c == ' ' || c == '\t') {
            mBlank = static_cast<char>(c);
            return;
        }
        static const char* hex = "0123456789ABCDEF";
        char enc[3] = {'=', hex[c >> 4], hex[c & 15]};
        emit(std::string_view(enc, 3));
    }
    std::string& mOut;
    std::size_t mLine = 0;
    char mBlank = 0;
};

} // namespace

std::string MhtmlWriter::quotedPrintable(std::string_view text) {
    std::string result;
    QpEncoder qp(result);
    qp.feed(text.data(), text.size());
    qp.finish();
    return result;
}

void MhtmlWriter::write(const IWorkbookExport& book, AtomicFile& file) const {
    ExportSheets::activeSheet(book); // refuses a workbook without a visible sheet
    const std::string head =
        std::string("MIME-Version: 1.0\r\nX-Document-Type: Workbook\r\nContent-Type: multipart/related; "
                    "boundary=\"") +
        Boundary +
        "\"; type=\"text/html\"\r\n\r\nThis document is a single-file web page, also known as a web "
        "archive file.\r\n\r\n--" +
        Boundary +
        "\r\nContent-Location: file:///workbook.htm\r\nContent-Transfer-Encoding: quoted-printable\r\n"
        "Content-Type: text/html; charset=\"utf-8\"\r\n\r\n";
    file.write(head.data(), head.size());
    auto encode = [](std::string& piece) {
        thread_local std::string encoded;
        encoded.clear();
        QpEncoder qp(encoded);
        qp.feed(piece.data(), piece.size());
        qp.finish();
        piece.swap(encoded);
    };
    HtmlWriter::writePage(book, mRowsPerBlock, encode,
                          [&file](std::string_view b) { file.write(b.data(), b.size()); });
    const std::string tail = std::string("\r\n\r\n--") + Boundary + "--\r\n";
    file.write(tail.data(), tail.size());
}

} // namespace qv::sheet
