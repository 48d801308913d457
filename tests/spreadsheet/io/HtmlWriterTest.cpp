// The web page and the web archive: one table per visible sheet with the cells' look, and
// an archive whose quoted-printable part decodes back to that page.
#include "tests/spreadsheet/support/TestWorkbook.h"

#include "spreadsheet/io/HtmlWriter.h"
#include "spreadsheet/io/MhtmlWriter.h"
#include "spreadsheet/io/OutputBuffer.h"
#include "spreadsheet/io/WorkbookFileWriter.h"

#include <gtest/gtest.h>

using namespace qv;
using namespace qv::sheet;
using namespace qv::sheet::test;

namespace {
std::string decodeQuotedPrintable(const std::string& qp) {
    std::string out;
    for (std::size_t i = 0; i < qp.size(); ++i) {
        if (qp[i] == '=' && i + 2 < qp.size() && qp[i + 1] == '\r' && qp[i + 2] == '\n') {
            i += 2;
        } else if (qp[i] == '=' && i + 2 < qp.size()) {
            out += static_cast<char>(std::stoi(qp.substr(i + 1, 2), nullptr, 16));
            i += 2;
        } else if (qp[i] == '\r' && i + 1 < qp.size() && qp[i + 1] == '\n') {
            out += '\n';
            ++i;
        } else {
            out += qp[i];
        }
    }
    return out;
}

std::string page(const TestWorkbook& b) {
    std::string html;
    OutputBuffer out([&html](const char* d, std::size_t n) { html.append(d, n); });
    HtmlWriter::writePage(b, out);
    out.flush();
    return html;
}
} // namespace

TEST(HtmlWriterTest, OneTablePerVisibleSheetWithTheCellsLook) {
    std::string html = page(sampleWorkbook());
    EXPECT_NE(html.find("<h2>Orders</h2>"), std::string::npos);
    EXPECT_EQ(html.find("<h2>Lists</h2>"), std::string::npos);   // very hidden
    EXPECT_EQ(html.find("<h2>Archive</h2>"), std::string::npos); // hidden
    EXPECT_NE(html.find("background:#FF0000;color:#FFFFFF;font-weight:bold;text-align:center;"),
              std::string::npos);
    EXPECT_NE(html.find("border-bottom:1px solid #0000FF"), std::string::npos);
    EXPECT_NE(html.find("color:#008000"), std::string::npos);
    EXPECT_NE(html.find("<col style=\"width:215px\">"), std::string::npos); // 30 characters
    EXPECT_NE(html.find("Say \"hi\""), std::string::npos);
    EXPECT_EQ(html.find("0.125"), std::string::npos); // column F is hidden
    EXPECT_EQ(html.find(">3<"), std::string::npos);   // row 4 is hidden
    EXPECT_EQ(html.find("<table>"), html.rfind("<table>"));
}

TEST(HtmlWriterTest, EveryRowHasTheSameNumberOfCells) {
    TestWorkbook b;
    TestSheet& s = b.addSheet("S");
    s.set(1, 3, Variant("<b>&"));
    s.set(3, 1, Variant("two\nlines"));
    std::string html = page(b);
    EXPECT_NE(html.find("<tr><td></td><td></td><td class=\"s0\">&lt;b&gt;&amp;</td></tr>"), std::string::npos)
        << html;
    EXPECT_NE(html.find("<tr><td></td><td></td><td></td></tr>"), std::string::npos);
    EXPECT_NE(html.find("two<br>lines"), std::string::npos);
}

TEST(MhtmlWriterTest, QuotedPrintableKeepsLinesShortAndDecodesBack) {
    std::string text = std::string(200, 'x') + " = Zoë \t\nend ";
    std::string qp = MhtmlWriter::quotedPrintable(text);
    std::size_t start = 0;
    for (std::size_t nl; (nl = qp.find("\r\n", start)) != std::string::npos; start = nl + 2)
        EXPECT_LE(nl - start, 76u);
    EXPECT_NE(qp.find("=3D"), std::string::npos);
    EXPECT_NE(qp.find("Zo=C3=AB"), std::string::npos);
    EXPECT_NE(qp.find("=09\r\n"), std::string::npos); // a blank before a line break is encoded
    EXPECT_EQ(decodeQuotedPrintable(qp), text);
}

TEST(MhtmlWriterTest, ArchiveWrapsThePage) {
    TempDir dir;
    TestWorkbook b = sampleWorkbook();
    WorkbookFileWriter::write(b, dir.file("book.mht"), 0);
    std::string mht = readFile(dir.file("book.mht"));
    ASSERT_EQ(mht.rfind("MIME-Version: 1.0\r\n", 0), 0u);
    std::size_t b1 = mht.find("boundary=\"") + 10;
    std::string boundary = mht.substr(b1, mht.find('"', b1) - b1);
    std::size_t bodyStart = mht.find("\r\n\r\n", mht.find("--" + boundary)) + 4;
    std::size_t bodyEnd = mht.find("\r\n--" + boundary + "--");
    ASSERT_NE(bodyEnd, std::string::npos);
    EXPECT_NE(mht.find("Content-Type: text/html; charset=\"utf-8\""), std::string::npos);
    // The part ends with the line break that precedes the closing boundary.
    EXPECT_EQ(decodeQuotedPrintable(mht.substr(bodyStart, bodyEnd - bodyStart)), page(b) + "\n");
}
