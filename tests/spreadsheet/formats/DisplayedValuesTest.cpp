// What the text formats (csv, tab-delimited text, html, web archive) write for dates and
// single-precision values: the text a person sees in the cell, never the number behind it.
// Also the XML spreadsheet's dates and characters, which it cannot hold as they are.
#include "tests/spreadsheet/support/TestWorkbook.h"

#include "spreadsheet/io/ExportValues.h"
#include "spreadsheet/io/WorkbookFileWriter.h"

#include <gtest/gtest.h>
#include <pugixml.hpp>

using namespace qv;
using namespace qv::sheet;
using namespace qv::sheet::test;

namespace {

// One row: a date, a date with time, a date under its own format, a date before 1900, a
// time of day, three singles (General, a fixed format, a large one) and a double.
TestWorkbook valuesBook() {
    TestWorkbook b;
    CellStyle dmy;
    dmy.numberFormat = "dd-mm-yyyy";
    std::uint32_t sDmy = b.addStyle(dmy);
    CellStyle fixed;
    fixed.numberFormat = "0.000";
    std::uint32_t sFixed = b.addStyle(fixed);
    TestSheet& s = b.addSheet("Values");
    s.set(1, 1, Variant(OleDate{44197}));
    s.set(1, 2, Variant(OleDate{44197.75}));
    s.set(1, 3, Variant(OleDate{44197}), sDmy);
    s.set(1, 4, Variant(OleDate{-18201}));
    s.set(1, 5, Variant::single(0.05f));
    s.set(1, 6, Variant::single(0.05f), sFixed);
    s.set(1, 7, Variant::single(16777216.0f));
    s.set(1, 8, Variant(0.1));
    return b;
}

const char* const ValuesLine = "1/1/2021,1/1/2021 18:00,01-01-2021,1850-03-01,0.05,0.050,16777216,0.1";

} // namespace

TEST(DisplayedValuesTest, DisplayTextOfDatesAndSingles) {
    EXPECT_EQ(ExportValues::displayText(Variant(OleDate{44197}), "General"), "1/1/2021");
    EXPECT_EQ(ExportValues::displayText(Variant(OleDate{44197}), ""), "1/1/2021");
    EXPECT_EQ(ExportValues::displayText(Variant(OleDate{44197.5}), "General"), "1/1/2021 12:00");
    EXPECT_EQ(ExportValues::displayText(Variant(OleDate{44197}), "yyyy-mm-dd"), "2021-01-01");
    EXPECT_EQ(ExportValues::displayText(Variant(OleDate{44197}), "0.00"), "44197.00"); // what the cell shows
    EXPECT_EQ(ExportValues::displayText(Variant(OleDate{-18201.25}), "dd-mm-yyyy"), "1850-03-01 06:00:00");
    EXPECT_EQ(ExportValues::displayText(Variant(OleDate{-18201}), "0.00"),
              "-18201.00"); // a number format shows the number
    EXPECT_EQ(ExportValues::displayText(Variant::single(0.05f), "General"), "0.05");
    EXPECT_EQ(ExportValues::displayText(Variant::single(-1.1f), "General"), "-1.1");
    EXPECT_EQ(ExportValues::displayText(Variant::single(1.0e-10f), "General"), "1E-10");
    EXPECT_EQ(ExportValues::displayText(Variant::single(0.05f), "0.000000000"), "0.050000000");
    EXPECT_EQ(ExportValues::displayText(Variant::single(3.4028235e38f), "General"), "3.40282E+38");
    EXPECT_EQ(ExportValues::displayText(Variant::single(std::numeric_limits<float>::infinity()), "General"),
              "#NUM!");
    EXPECT_EQ(ExportValues::displayText(Variant(0.05), "General"), "0.05");
}

TEST(DisplayedValuesTest, CsvAndTextWriteWhatTheCellsShow) {
    TempDir dir;
    TestWorkbook b = valuesBook();
    WorkbookFileWriter::write(b, dir.file("v.csv"), 0);
    EXPECT_EQ(readFile(dir.file("v.csv")), std::string(ValuesLine) + "\r\n");
    WorkbookFileWriter::write(b, dir.file("v.txt"), 0);
    std::string tabbed = ValuesLine;
    for (char& c : tabbed)
        if (c == ',') c = '\t';
    EXPECT_EQ(readFile(dir.file("v.txt")), tabbed + "\r\n");
}

TEST(DisplayedValuesTest, WebPageAndArchiveWriteWhatTheCellsShow) {
    TempDir dir;
    TestWorkbook b = valuesBook();
    WorkbookFileWriter::write(b, dir.file("v.html"), 0);
    std::string html = readFile(dir.file("v.html"));
    for (const char* shown :
         {">1/1/2021<", ">1/1/2021 18:00<", ">01-01-2021<", ">1850-03-01<", ">0.05<", ">0.050<"})
        EXPECT_NE(html.find(shown), std::string::npos) << shown;
    EXPECT_EQ(html.find("44197"), std::string::npos);
    EXPECT_EQ(html.find("0.0500000007"), std::string::npos);
    WorkbookFileWriter::write(b, dir.file("v.mht"), 0);
    std::string mht = readFile(dir.file("v.mht"));
    EXPECT_NE(mht.find(">1/1/2021 18:00<"), std::string::npos);
    EXPECT_EQ(mht.find("44197"), std::string::npos);
}

TEST(XmlSpreadsheetWriterTest, DatesTheFormatCannotHoldAndForbiddenCharacters) {
    TestWorkbook b;
    TestSheet& s = b.addSheet("S");
    s.set(1, 1, Variant(OleDate{-18201}));
    s.set(1, 2, Variant(OleDate{0.75}));
    s.set(1, 3, Variant(OleDate{1.5}));
    s.set(1, 4, Variant(std::string("a\x01\xEF\xBF\xBF\xC3(\xED\xA0\xBD!")));
    s.set(1, 5, Variant("later"));
    s.set(2, 1, Variant("next row"));
    s.info.comments = {{2, 2, "x\x02", "y\xEF\xBF\xBE"}};
    TempDir dir;
    WorkbookFileWriter::write(b, dir.file("s.xml"), 0);
    pugi::xml_document doc;
    ASSERT_TRUE(doc.load_file(dir.file("s.xml").c_str()));
    std::string xml = readFile(dir.file("s.xml"));
    for (unsigned char c : xml)
        EXPECT_FALSE(c < 0x20 && c != '\t' && c != '\n' && c != '\r');
    EXPECT_EQ(xml.find("\xEF\xBF\xBF"), std::string::npos);
    EXPECT_EQ(xml.find("\xEF\xBF\xBE"), std::string::npos);
    auto cells = doc.select_nodes("//Row[@ss:Index='1']/Cell");
    ASSERT_EQ(cells.size(), 5u);
    auto data = [&](std::size_t i) { return cells[i].node().child("Data"); };
    EXPECT_STREQ(data(0).attribute("ss:Type").value(), "String");
    EXPECT_STREQ(data(0).child_value(), "1850-03-01");
    EXPECT_STREQ(data(1).attribute("ss:Type").value(), "DateTime");
    EXPECT_STREQ(data(1).child_value(), "1899-12-31T18:00:00.000");
    EXPECT_STREQ(data(2).child_value(), "1899-12-31 12:00:00");
    EXPECT_EQ(std::string(data(3).child_value()), "a\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD(\xEF\xBF\xBD!");
    EXPECT_STREQ(data(4).child_value(), "later");
    EXPECT_TRUE(doc.select_node("//Row[@ss:Index='2']/Cell/Data[.='next row']"));
}
