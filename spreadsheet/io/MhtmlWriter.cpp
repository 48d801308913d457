// See MhtmlWriter.h. The encoder works on the page as HtmlWriter streams it, so the archive
// of a large sheet is not built in memory either.
#include "spreadsheet/io/MhtmlWriter.h"

#include "spreadsheet/io/ExportSheets.h"
#include "spreadsheet/io/HtmlWriter.h"
#include "spreadsheet/io/OutputBuffer.h"

namespace qv::sheet {

namespace {

constexpr const char* Boundary = "----=_NextPart_Quorvel_01DA";

// Streaming quoted-printable: keeps the current line length and a pending trailing blank,
// which must be encoded when a line break follows it.
class QpEncoder {
  public:
    explicit QpEncoder(OutputBuffer& out) : mOut(out) {}
    void feed(const char* data, std::size_t n) {
        for (std::size_t i = 0; i < n; ++i)
            byte(static_cast<unsigned char>(data[i]));
    }
    void finish() { flushBlank(false); }

  private:
    void emit(std::string_view s) {
        if (mLine + s.size() > 75) {
            mOut << "=\r\n";
            mLine = 0;
        }
        mOut << s;
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
    void byte(unsigned char c) {
        if (c == '\r') return; // line breaks are written as CR LF below
        if (c == '\n') {
            flushBlank(true);
            mOut << "\r\n";
            mLine = 0;
            return;
        }
        flushBlank(false);
        if (c == ' ' || c == '\t') {
            mBlank = static_cast<char>(c);
            return;
        }
        if (c >= 33 && c <= 126 && c != '=') {
            char ch = static_cast<char>(c);
            emit(std::string_view(&ch, 1));
            return;
        }
        static const char* hex = "0123456789ABCDEF";
        char enc[3] = {'=', hex[c >> 4], hex[c & 15]};
        emit(std::string_view(enc, 3));
    }
    OutputBuffer& mOut;
    std::size_t mLine = 0;
    char mBlank = 0;
};

} // namespace

std::string MhtmlWriter::quotedPrintable(std::string_view text) {
    std::string result;
    {
        OutputBuffer out([&result](const char* d, std::size_t n) { result.append(d, n); });
        QpEncoder qp(out);
        qp.feed(text.data(), text.size());
        qp.finish();
        out.flush();
    }
    return result;
}

void MhtmlWriter::write(const IWorkbookExport& book, AtomicFile& file) const {
    ExportSheets::activeSheet(book); // refuses a workbook without a visible sheet
    OutputBuffer out([&file](const char* d, std::size_t n) { file.write(d, n); });
    out << "MIME-Version: 1.0\r\nX-Document-Type: Workbook\r\nContent-Type: multipart/related; boundary=\""
        << Boundary
        << "\"; type=\"text/html\"\r\n\r\nThis document is a single-file web page, also known as a web "
           "archive file.\r\n\r\n--"
        << Boundary
        << "\r\nContent-Location: file:///workbook.htm\r\nContent-Transfer-Encoding: quoted-printable\r\n"
           "Content-Type: text/html; charset=\"utf-8\"\r\n\r\n";
    QpEncoder qp(out);
    {
        OutputBuffer page([&qp](const char* d, std::size_t n) { qp.feed(d, n); });
        HtmlWriter::writePage(book, page);
        page.flush();
    }
    qp.finish();
    out << "\r\n\r\n--" << Boundary << "--\r\n";
    out.flush();
}

} // namespace qv::sheet
