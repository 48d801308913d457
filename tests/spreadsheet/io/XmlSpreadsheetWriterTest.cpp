// The XML Spreadsheet 2003 document: well-formed, typed cell data, styles, R1C1 references,
// names, layout, protection and validation in the elements that format defines.
#include "tests/spreadsheet/support/TestWorkbook.h"

#include "spreadsheet/io/WorkbookFileWriter.h"
#include "spreadsheet/io/XmlSpreadsheetWriter.h"

#include <gtest/gtest.h>
#include <pugixml.hpp>

using namespace qv;
using namespace qv::sheet;
using namespace qv::sheet::test;

TEST(XmlSpreadsheetWriterTest, A1ReferencesBecomeR1C1) {
    EXPECT_EQ(XmlSpreadsheetWriter::toR1C1("$A$1:$B$5", 1, 1), "R1C1:R5C2");
    EXPECT_EQ(XmlSpreadsheetWriter::toR1C1("C3*2", 3, 6), "RC[-3]*2");
    EXPECT_EQ(XmlSpreadsheetWriter::toR1C1("A1+$B2+C$3", 2, 2), "R[-1]C[-1]+RC2+R3C[1]");
    EXPECT_EQ(XmlSpreadsheetWriter::toR1C1("'Lists'!$A$1:$A$2", 1, 1), "'Lists'!R1C1:R2C1");
    EXPECT_EQ(XmlSpreadsheetWriter::toR1C1("SUM(A1:A3)&\"B2\"", 4, 1), "SUM(R[-3]C:R[-1]C)&\"B2\"");
    EXPECT_EQ(XmlSpreadsheetWriter::toR1C1("LOG10(A1)+Total2", 1, 1), "LOG10(RC)+Total2");
    EXPECT_EQ(XmlSpreadsheetWriter::toR1C1("B2:B100 D2", 0, 0), "R2C2:R100C2 R2C4");
}

TEST(XmlSpreadsheetWriterTest, DocumentCarriesTypedDataAndSheetFeatures) {
    TempDir dir;
    WorkbookFileWriter::write(sampleWorkbook(), dir.file("book.xml"), 0);
    pugi::xml_document doc;
    ASSERT_TRUE(doc.load_file(dir.file("book.xml").c_str()));
    pugi::xml_node orders = doc.select_node("//Worksheet[@ss:Name='Orders']").node();
    ASSERT_TRUE(orders);
    auto data = [&](int row, int col) {
        pugi::xml_node r =
            orders.select_node(("Table/Row[@ss:Index='" + std::to_string(row) + "']").c_str()).node();
        int c = 0;
        for (pugi::xml_node cell : r.children("Cell")) {
            c = cell.attribute("ss:Index") ? cell.attribute("ss:Index").as_int() : c + 1;
            if (c == col) return cell;
        }
        return pugi::xml_node();
    };
    EXPECT_STREQ(data(2, 1).child("Data").attribute("ss:Type").value(), "Number");
    EXPECT_STREQ(data(2, 2).child_value("Data"), "Smith, J");
    EXPECT_STREQ(data(2, 4).child("Data").attribute("ss:Type").value(), "DateTime");
    EXPECT_STREQ(data(2, 4).child_value("Data"), "2023-03-15T12:00:00.000");
    EXPECT_STREQ(data(2, 4).attribute("ss:StyleID").value(),
                 "d0"); // a date in a General cell looks like a date
    EXPECT_STREQ(data(2, 5).child("Data").attribute("ss:Type").value(), "Boolean");
    EXPECT_STREQ(data(4, 5).child_value("Data"), "#N/A");
    EXPECT_STREQ(data(3, 6).attribute("ss:Formula").value(), "=RC[-3]*2");
    EXPECT_STREQ(data(1, 2).child("Comment").child_value("ss:Data"), "Customer name\nfrom the database");
    EXPECT_STREQ(orders.select_node("Table/Row[@ss:Index='8']").node().attribute("ss:Hidden").value(), "1");
    EXPECT_STREQ(orders.select_node("Table/Column[@ss:Index='6']").node().attribute("ss:Hidden").value(),
                 "1");
    EXPECT_STREQ(orders.attribute("ss:Protected").value(), "1");
    pugi::xml_node options = orders.child("WorksheetOptions");
    EXPECT_TRUE(options.child("AllowFormatColumns"));
    EXPECT_TRUE(options.child("AllowFilter"));
    EXPECT_STREQ(options.child_value("SplitHorizontal"), "1");
    EXPECT_STREQ(orders.child("AutoFilter").attribute("x:Range").value(), "R1C1:R4C6");
    EXPECT_STREQ(orders.select_node("Names/NamedRange[@ss:Name='_FilterDatabase']")
                     .node()
                     .attribute("ss:RefersTo")
                     .value(),
                 "='Orders'!R1C1:R4C6");
    pugi::xml_node list = orders.select_node("DataValidation[Range='R2C5:R4C5']").node();
    EXPECT_STREQ(list.child_value("Type"), "List");
    EXPECT_STREQ(list.child_value("Value"), "=BoolList");
    pugi::xml_node whole = orders.select_node("DataValidation[Range='R2C1:R4C1']").node();
    EXPECT_STREQ(whole.child_value("Min"), "1");
    EXPECT_STREQ(whole.child_value("Max"), "100");
    EXPECT_STREQ(whole.child_value("ErrorMessage"), "Line1\rLine2");
    EXPECT_STREQ(
        doc.select_node("//Worksheet[@ss:Name='Lists']/WorksheetOptions").node().child_value("Visible"),
        "SheetVeryHidden");
    EXPECT_STREQ(doc.select_node("//NamedRange[@ss:Name='BoolList']").node().attribute("ss:RefersTo").value(),
                 "='Lists'!R1C1:R2C1");
    EXPECT_TRUE(doc.select_node("//Style/Interior[@ss:Color='#FF0000']"));
    EXPECT_STREQ(doc.select_node("//ExcelWorkbook").node().child_value("ProtectStructure"), "True");
}
