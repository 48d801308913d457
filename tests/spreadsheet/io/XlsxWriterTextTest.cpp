// Cell text and dates the .xlsx package cannot carry as they are: characters XML forbids,
// ill-formed UTF-8, texts past the cell limit and dates before 1900. Whatever the writer
// puts in the package, our own reader must open it again, cell for cell.
#include "tests/spreadsheet/support/SheetTestSupport.h"
#include "tests/spreadsheet/support/SheetXml.h"
#include "tests/spreadsheet/support/TestWorkbook.h"

#include "spreadsheet/io/WorkbookFileWriter.h"

#include <gtest/gtest.h>
#include <pugixml.hpp>

using namespace qv;
using namespace qv::sheet;
using namespace qv::sheet::test;

namespace {

const std::string Fffd = "\xEF\xBF\xBD";

// Every kind of text XML 1.0 cannot hold as it is, each with what must come back.
struct OddText {
    const char* what;
    std::string written, readBack;
};
std::vector<OddText> oddTexts() {
    return {
        {"C0 controls", std::string("a\x01\x02\x08\x0B\x0C\x0E\x1F z", 11),
         std::string("a\x01\x02\x08\x0B\x0C\x0E\x1F z", 11)},
        {"NUL", std::string("before\0after", 12), std::string("before\0after", 12)},
        {"U+FFFE and U+FFFF", "x\xEF\xBF\xBEy\xEF\xBF\xBFz", "x\xEF\xBF\xBEy\xEF\xBF\xBFz"},
        {"invalid UTF-8", "caf\xE9 \xC3(", "caf" + Fffd + " " + Fffd + "("},
        {"overlong form", "\xC0\xBCtag", Fffd + Fffd + "tag"},
        {"lone surrogate", "half \xED\xA0\xBD!", "half " + Fffd + "!"},
        {"surrogate pair", "\xED\xA0\xBD\xED\xB8\x80", "\xF0\x9F\x98\x80"},
        {"escape-like text", "tail_x0041_", "tail_x0041_"},
        {"tab, CR, LF", "a\tb\rc\nd", "a\tb\rc\nd"},
    };
}

std::string sheetXml(const std::string& path) {
    return unzipAll(path)["xl/worksheets/sheet1.xml"];
}

} // namespace

TEST(XlsxWriterTest, ForbiddenCharactersKeepThePartWellFormedAndEveryCellComesBack) {
    TestWorkbook b;
    TestSheet& s = b.addSheet("Odd");
    std::vector<OddText> texts = oddTexts();
    for (std::size_t i = 0; i < texts.size(); ++i) {
        s.set(static_cast<long>(i) + 1, 1, Variant(texts[i].written));
        s.set(static_cast<long>(i) + 1, 2, Variant(texts[i].written), 0,
              "A" + std::to_string(i + 1));                                  // cached text
        s.set(static_cast<long>(i) + 1, 3, Variant(static_cast<double>(i))); // later cells
    }
    b.sheetList[0].info.comments = {{1, 1, "\x01uthor\xC3", "note \xEF\xBF\xBF\x02"}};
    TempDir dir;
    WorkbookFileWriter::write(b, dir.file("odd.xlsx"), 51);
    for (const auto& [name, text] : unzipAll(dir.file("odd.xlsx"))) {
        pugi::xml_document doc;
        EXPECT_TRUE(doc.load_buffer(text.data(), text.size())) << name;
        for (unsigned char c : text)
            EXPECT_FALSE(c < 0x20 && c != '\t' && c != '\n' && c != '\r') << name;
        EXPECT_EQ(text.find("\xEF\xBF\xBF"), std::string::npos) << name;
        EXPECT_EQ(text.find("\xED\xA0"), std::string::npos) << name;
    }

    qv::test::HostFixture f;
    auto ws = f.app->openWorkbook(dir.file("odd.xlsx"))->worksheet(1);
    for (std::size_t i = 0; i < texts.size(); ++i) {
        long r = static_cast<long>(i) + 1;
        EXPECT_EQ(ws->cells(r, 1)->value(), Variant(texts[i].readBack)) << texts[i].what;
        EXPECT_EQ(ws->cells(r, 2)->value(), Variant(texts[i].readBack))
            << texts[i].what << " (formula result)";
        EXPECT_EQ(ws->cells(r, 3)->value(), Variant(static_cast<double>(i))) << texts[i].what;
    }
}

TEST(XlsxWriterTest, EscapeLikeTextAtTheEndAndTrailingBlanksAreKept) {
    TestWorkbook b;
    TestSheet& s = b.addSheet("Text");
    s.set(1, 1, Variant("name_x0041_"));
    s.set(1, 2, Variant("_x0041_"));
    s.set(1, 3, Variant("trail "));
    s.set(1, 4, Variant("tab\t"));
    s.set(1, 5, Variant("inner space"));
    TempDir dir;
    WorkbookFileWriter::write(b, dir.file("t.xlsx"), 51);
    pugi::xml_document doc;
    std::string xml = sheetXml(dir.file("t.xlsx"));
    ASSERT_TRUE(doc.load_buffer(xml.data(), xml.size()));
    auto t = [&](const char* ref) { return placedCell(doc, ref).child("is").child("t"); };
    EXPECT_STREQ(t("A1").child_value(), "name_x005F_x0041_");
    EXPECT_STREQ(t("B1").child_value(), "_x005F_x0041_");
    EXPECT_STREQ(t("C1").attribute("xml:space").value(), "preserve");
    EXPECT_STREQ(t("D1").attribute("xml:space").value(), "preserve");
    EXPECT_FALSE(t("E1").attribute("xml:space"));

    qv::test::HostFixture f;
    auto ws = f.app->openWorkbook(dir.file("t.xlsx"))->worksheet(1);
    EXPECT_EQ(ws->range("A1")->value(), Variant("name_x0041_"));
    EXPECT_EQ(ws->range("B1")->value(), Variant("_x0041_"));
    EXPECT_EQ(ws->range("C1")->value(), Variant("trail "));
    EXPECT_EQ(ws->range("D1")->value(), Variant("tab\t"));
}

TEST(XlsxWriterTest, DatesBefore1900AreWrittenAsReadableDateText) {
    TestWorkbook b;
    TestSheet& s = b.addSheet("Dates");
    CellStyle dmy;
    dmy.numberFormat = "dd-mm-yyyy";
    std::uint32_t sDmy = b.addStyle(dmy);
    s.set(1, 1, Variant(OleDate{-18201}));          // 1 March 1850
    s.set(2, 1, Variant(OleDate{-18201.75}), sDmy); // with a time, and a format of its own
    s.set(3, 1, Variant(OleDate{1}));               // 31 December 1899
    s.set(4, 1, Variant(OleDate{-657434}));         // 1 January 100, the earliest OLE date
    s.set(5, 1, Variant(OleDate{2}));               // 1 January 1900: a serial again
    TempDir dir;
    WorkbookFileWriter::write(b, dir.file("d.xlsx"), 51);
    pugi::xml_document doc;
    std::string xml = sheetXml(dir.file("d.xlsx"));
    ASSERT_TRUE(doc.load_buffer(xml.data(), xml.size()));
    auto c = [&](const char* ref) { return placedCell(doc, ref); };
    EXPECT_STREQ(c("A1").child("is").child_value("t"), "1850-03-01");
    EXPECT_STREQ(c("A2").child("is").child_value("t"), "1850-03-01 18:00:00");
    EXPECT_STREQ(c("A3").child("is").child_value("t"), "1899-12-31");
    EXPECT_STREQ(c("A4").child("is").child_value("t"), "0100-01-01");
    EXPECT_STREQ(c("A5").child_value("v"), "1");

    qv::test::HostFixture f;
    auto ws = f.app->openWorkbook(dir.file("d.xlsx"))->worksheet(1);
    EXPECT_EQ(ws->range("A1")->value(), Variant("1850-03-01"));
    EXPECT_EQ(ws->range("A2")->value(), Variant("1850-03-01 18:00:00"));
    EXPECT_EQ(ws->range("A5")->value(), Variant(OleDate{2}));
}

TEST(XlsxWriterTest, TextPastTheCellLimitRefusesTheSaveAndKeepsTheWorkbook) {
    qv::test::HostFixture f;
    TempDir dir;
    const std::string full(32767, 'x');
    f.sheet->range("A1")->setValue(full);
    // 20000 two-byte characters: 40000 bytes, within the limit.
    std::string accents;
    for (int i = 0; i < 20000; ++i)
        accents += "\xC3\xA9";
    f.sheet->range("C1")->setValue(accents);
    ASSERT_TRUE(f.book->saveAs(dir.file("limit.xlsx")));
    {
        qv::test::HostFixture g;
        auto ws = g.app->openWorkbook(dir.file("limit.xlsx"))->worksheet(1);
        EXPECT_EQ(ws->range("A1")->value(), Variant(full));
        EXPECT_EQ(ws->range("C1")->value(), Variant(accents));
    }

    const std::string before = readFile(dir.file("limit.xlsx"));
    auto refusal = [&](const std::string& text, const char* cell) {
        f.sheet->range(cell)->setValue(text);
        NumberedError e = qv::test::errorOf([&] { f.book->saveAs(dir.file("limit.xlsx")); });
        EXPECT_EQ(e.number(), err::ApplicationDefined);
        EXPECT_NE(e.description().find(std::string("'Sheet1'!") + cell), std::string::npos)
            << e.description();
        EXPECT_NE(e.description().find("32767"), std::string::npos) << e.description();
        EXPECT_EQ(readFile(dir.file("limit.xlsx")), before) << "the file on disk changed";
        EXPECT_EQ(dir.entries(), std::vector<std::string>{"limit.xlsx"}) << "a partial file was left";
        EXPECT_EQ(f.sheet->range(cell)->value(), Variant(text)) << "the workbook lost the text";
        f.sheet->range(cell)->setValue("");
    };
    refusal(std::string(32768, 'x'), "D7");
    // 16384 characters past U+FFFF are 32768 UTF-16 units: one more than a cell holds.
    std::string astral;
    for (int i = 0; i < 16384; ++i)
        astral += "\xF0\x9F\x98\x80";
    refusal(astral, "E2");
}
