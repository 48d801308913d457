// The text and web writers format rows in blocks on two threads. Whatever the block size, the
// file must be the one a single pass writes: escaping, padding, hidden rows, comments and the
// web archive's line breaks meet block edges here on purpose. A failure in the middle leaves
// nothing at the destination.
#include "tests/spreadsheet/support/TestWorkbook.h"

#include "platform/NumberedError.h"
#include "spreadsheet/io/AtomicFile.h"
#include "spreadsheet/io/DelimitedTextWriter.h"
#include "spreadsheet/io/ExportValues.h"
#include "spreadsheet/io/HtmlWriter.h"
#include "spreadsheet/io/MhtmlWriter.h"
#include "spreadsheet/io/OutputBuffer.h"
#include "spreadsheet/io/WorkbookFileWriter.h"
#include "spreadsheet/io/XmlSpreadsheetWriter.h"

#include <gtest/gtest.h>

#include <cmath>
#include <fmt/format.h>
#include <memory>
#include <random>
#include <stdexcept>

using namespace qv;
using namespace qv::sheet;
using namespace qv::sheet::test;

namespace {

// Rows whose texts need every kind of escaping, with empty and hidden rows and comments spread
// so that block edges of 1, 2, 3 and 5 rows fall on each of them.
TestWorkbook awkwardBook() {
    TestWorkbook b;
    CellStyle money;
    money.numberFormat = "#,##0.00";
    const std::uint32_t moneyStyle = b.addStyle(money);
    TestSheet& s = b.addSheet("Data & <more>");
    const std::string texts[] = {
        "plain",         "comma, inside",    "say \"hi\"",          "two\nlines",
        "cr\ronly",      "tab\there",        "<b>bold</b> & co",    "caf\xC3\xA9 \xF0\x9F\x98\x80",
        "bad \xFF byte", "ends in blanks  ", std::string(190, 'w'), "=not a formula"};
    long row = 1;
    for (const std::string& t : texts) {
        s.set(row, 1, Variant(t));
        s.set(row, 2, Variant(static_cast<double>(row) * 1234.5), moneyStyle);
        if (row % 3 == 0) s.set(row, 4, Variant(row % 2 == 0));
        row += row % 4 == 0 ? 2 : 1; // every fourth row leaves an empty row after it
    }
    s.set(row, 3, Variant(ErrorValue{2042}));
    s.info.hiddenRows = {3, 6, 7, row + 2};
    s.info.lastRow = row + 1; // an empty last row
    s.info.comments = {{2, 3, "Ann", "on an empty cell"},
                       {5, 1, "Bob", "on a text"},
                       {8, 2, "Cy", "at a block edge"},
                       {row + 3, 1, "Di", "below the table"}};
    return b;
}

std::string saved(const FormatWriter& writer, const IWorkbookExport& book) {
    TempDir dir;
    {
        AtomicFile file(dir.file("out"));
        writer.write(book, file);
        file.commit();
    }
    return readFile(dir.file("out"));
}

std::unique_ptr<FormatWriter> writer(int kind, long rowsPerBlock) {
    switch (kind) {
    case 0:
        return std::make_unique<DelimitedTextWriter>(',', rowsPerBlock);
    case 1:
        return std::make_unique<DelimitedTextWriter>('\t', rowsPerBlock);
    case 2:
        return std::make_unique<HtmlWriter>(rowsPerBlock);
    case 3:
        return std::make_unique<MhtmlWriter>(rowsPerBlock);
    default:
        return std::make_unique<XmlSpreadsheetWriter>(rowsPerBlock);
    }
}

// A workbook whose cells fail to be read from row `failAt` on, as a damaged model would.
class FailingBook : public TestWorkbook {
  public:
    long failAt = 0;
    void forEachCellInRows(long sheetIndex, long first, long last,
                           const std::function<void(long, long, const ExportCell&)>& visit) const override {
        if (last >= failAt && first <= failAt)
            throw NumberedError(err::ApplicationDefined, "Workbook", "row cannot be read");
        TestWorkbook::forEachCellInRows(sheetIndex, first, last, visit);
    }
};

} // namespace

TEST(ExportBlocksTest, EveryFormatWritesTheSameFileWhateverTheBlockSize) {
    const TestWorkbook book = awkwardBook();
    const char* names[] = {"csv", "txt", "html", "mht", "xml"};
    for (int kind = 0; kind < 5; ++kind) {
        const std::string whole = saved(*writer(kind, 100000), book);
        ASSERT_FALSE(whole.empty());
        for (long rows : {1L, 2L, 3L, 5L})
            EXPECT_EQ(saved(*writer(kind, rows), book), whole) << names[kind] << ", blocks of " << rows;
    }
}

TEST(ExportBlocksTest, CsvInOneRowBlocksKeepsQuotingPaddingAndEmptyRows) {
    TestWorkbook b;
    TestSheet& s = b.addSheet("S");
    s.set(1, 1, Variant("a,b"));
    s.set(1, 3, Variant("x"));
    s.set(3, 2, Variant("q\"\nr"));
    s.set(4, 1, Variant(std::int64_t{-12345678901}));
    s.info.lastRow = 5;
    EXPECT_EQ(saved(DelimitedTextWriter(',', 1), b),
              "\"a,b\",,x\r\n,,\r\n,\"q\"\"\nr\",\r\n-12345678901,,\r\n,,\r\n");
}

TEST(ExportBlocksTest, AnEmptySheetGivesAnEmptyTableInEveryFormat) {
    TestWorkbook b;
    b.addSheet("Empty");
    EXPECT_EQ(saved(DelimitedTextWriter(',', 2), b), "");
    const std::string html = saved(HtmlWriter(2), b);
    EXPECT_NE(html.find("<h2>Empty</h2>\n<table>\n</table>\n</body>"), std::string::npos) << html;
    const std::string xml = saved(XmlSpreadsheetWriter(2), b);
    EXPECT_NE(xml.find("<Table>\n</Table>"), std::string::npos) << xml;
    const std::string mht = saved(MhtmlWriter(2), b);
    EXPECT_NE(mht.find("</table>\r\n</body>\r\n</html>\r\n\r\n\r\n------=_NextPart_Quorvel_01DA--\r\n"),
              std::string::npos)
        << mht;
}

TEST(ExportBlocksTest, WebArchiveLinesStayShortAndDecodeToThePage) {
    const TestWorkbook book = awkwardBook();
    const std::string mht = saved(MhtmlWriter(2), book);
    const std::string marker = "charset=\"utf-8\"\r\n\r\n";
    const std::size_t body = mht.find(marker);
    ASSERT_NE(body, std::string::npos);
    const std::size_t end = mht.rfind("\r\n\r\n------=_NextPart_Quorvel_01DA--");
    ASSERT_NE(end, std::string::npos);
    const std::string encoded = mht.substr(body + marker.size(), end - body - marker.size());
    std::string decoded;
    for (std::size_t i = 0, lineStart = 0; i < encoded.size(); ++i) {
        if (encoded[i] == '\r') {
            ASSERT_EQ(encoded[i + 1], '\n') << "a bare CR at " << i;
            EXPECT_LE(i - lineStart, 76u) << "line at " << lineStart;
            const bool soft = i > 0 && encoded[i - 1] == '=';
            if (soft)
                decoded.pop_back();
            else
                decoded += '\n';
            ASSERT_FALSE(!soft && i > lineStart && (encoded[i - 1] == ' ' || encoded[i - 1] == '\t'))
                << "a blank before a hard line break at " << i;
            lineStart = i + 2;
            ++i;
        } else if (encoded[i] == '=' && i + 2 < encoded.size() && encoded[i + 1] != '\r') {
            decoded += static_cast<char>(std::stoi(encoded.substr(i + 1, 2), nullptr, 16));
            i += 2;
        } else {
            decoded += encoded[i];
        }
    }
    std::string page;
    OutputBuffer out([&page](const char* d, std::size_t n) { page.append(d, n); });
    HtmlWriter::writePage(book, out);
    out.flush();
    EXPECT_EQ(decoded, page);
}

TEST(ExportBlocksTest, AFailureMidwayLeavesTheOldFileAndNoTemporaryFile) {
    FailingBook b;
    TestSheet& s = b.addSheet("S");
    for (long r = 1; r <= 5000; ++r)
        s.set(r, 1, Variant(std::int64_t{r}));
    b.failAt = 4321;
    for (const char* name : {"out.csv", "out.txt", "out.html", "out.mht", "out.xml"}) {
        TempDir dir;
        ::qv::test::writeAll(dir.file(name), "the previous file");
        EXPECT_THROW(WorkbookFileWriter::write(b, dir.file(name), 0), NumberedError) << name;
        EXPECT_EQ(readFile(dir.file(name)), "the previous file") << name;
        EXPECT_EQ(dir.entries(), std::vector<std::string>{name}) << name;
    }
}

TEST(ExportBlocksTest, TheFastCellTextIsTheFormattersText) {
    const std::string formats[] = {"General", "", "general", "0.00", "#,##0", "m/d/yyyy", "0%"};
    const Variant values[] = {Variant(0.0),
                              Variant(-0.0),
                              Variant(42.0),
                              Variant(-42.0),
                              Variant(99999999999.0),
                              Variant(-99999999999.0),
                              Variant(100000000000.0),
                              Variant(123456789012.0),
                              Variant(1e15),
                              Variant(0.5),
                              Variant(1.0 / 3),
                              Variant(std::int64_t{9007199254740993}),
                              Variant(std::int64_t{-7}),
                              Variant::longValue(2147483647),
                              Variant::integer(-32768),
                              Variant::single(0.05f),
                              Variant(Currency::fromDouble(12.5)),
                              Variant(Currency::fromDouble(-3)),
                              Variant(OleDate{45000.25}),
                              Variant(OleDate{-700.5}),
                              Variant(true),
                              Variant(ErrorValue{2007}),
                              Variant("text"),
                              Variant(),
                              Variant::null()};
    std::string reused = "left over from an earlier, longer cell";
    for (const std::string& f : formats) {
        for (const Variant& v : values) {
            EXPECT_EQ(ExportValues::displayText(v, f, reused), ExportValues::displayText(v, f))
                << static_cast<int>(v.type()) << " under '" << f << "'";
        }
    }
}

TEST(ExportBlocksTest, FractionsUnderGeneralReadAsTheFormatterShowsThem) {
    // Magnitudes across the fixed and scientific ranges, values with few decimals as a
    // database holds them, and values on the rounding edges of the eleven characters.
    std::mt19937_64 rng(7);
    std::uniform_real_distribution<double> unit(1.0, 10.0);
    std::vector<double> values = {
        0.1,    0.5,   1.5,           2.675,         9.9999999995,     99999.999995,      0.00001,
        0.0001, 1e-10, 12345678901.5, 99999999999.5, 1234.56789012345, 0.3333333333333333};
    for (int k = -14; k <= 13; ++k) {
        for (int i = 0; i < 4000; ++i) {
            const double m = unit(rng);
            values.push_back(m * std::pow(10.0, k));
            values.push_back(std::round(m * 100) / 100 * std::pow(10.0, k));
            values.push_back((std::floor(m * 1e5) + 0.5) / 1e5 * std::pow(10.0, k));
        }
    }
    std::string fast;
    long mismatches = 0;
    for (double v : values) {
        for (double sv : {v, -v}) {
            const std::string_view shown = ExportValues::displayText(Variant(sv), "General", fast);
            EXPECT_EQ(shown.data(), fast.data()); // a number is written into the scratch text
            const std::string slow = ExportValues::displayText(Variant(sv), "General");
            if (fast != slow && ++mismatches <= 10)
                ADD_FAILURE() << fmt::format("{:.17g}", sv) << ": " << fast << " != " << slow;
        }
    }
    EXPECT_EQ(mismatches, 0);
}

TEST(ExportBlocksTest, DatesUnderGeneralReadAsTheFormatterShowsThem) {
    // Whole days, times, the second before midnight that rounds into the next day, the epoch,
    // leap days and the last day the host can show.
    std::mt19937_64 rng(11);
    std::uniform_real_distribution<double> any(0.0, 2958465.99999);
    std::vector<double> values = {
        0.0,       0.5,          1.0,          59.0,          60.0,
        61.0,      36526.0,      45000.999994, 45000.9999999, 45000.0 + 59.5 / 86400,
        2958465.0, 2958465.99999};
    for (int i = 0; i < 20000; ++i) {
        values.push_back(any(rng));
        values.push_back(std::floor(any(rng)));
        values.push_back(std::floor(any(rng)) + std::round(any(rng)) / 86400.0 / 100.0);
    }
    std::string fast;
    long mismatches = 0;
    for (double v : values) {
        const std::string_view shown = ExportValues::displayText(Variant(OleDate{v}), "General", fast);
        EXPECT_EQ(shown.data(), fast.data());
        const std::string slow = ExportValues::displayText(Variant(OleDate{v}), "General");
        if (fast != slow && ++mismatches <= 10)
            ADD_FAILURE() << fmt::format("{:.17g}", v) << ": " << fast << " != " << slow;
    }
    EXPECT_EQ(mismatches, 0);
}
