// The .xlsx package: a readable zip whose parts parse, with the values, styles, layout and
// sheet features of the workbook in the places the spreadsheet programs look for them.
#include "tests/spreadsheet/support/SheetTestSupport.h"
#include "tests/spreadsheet/support/SheetXml.h"
#include "tests/spreadsheet/support/TestWorkbook.h"

#include "platform/NumberedError.h"
#include "spreadsheet/io/WorkbookFileWriter.h"
#include "spreadsheet/io/XlsxWorksheet.h"

#include <gtest/gtest.h>
#include <pugixml.hpp>

using namespace qv;
using namespace qv::sheet;
using namespace qv::sheet::test;

namespace {

struct Package {
    std::map<std::string, std::string> parts;
    std::map<std::string, pugi::xml_document> xml;

    explicit Package(const std::string& path) : parts(unzipAll(path)) {
        for (const auto& [name, text] : parts) {
            pugi::xml_parse_result r = xml[name].load_buffer(text.data(), text.size());
            EXPECT_TRUE(r) << name << ": " << r.description() << " at " << r.offset;
        }
    }
    pugi::xml_node node(const std::string& part, const std::string& xpath) {
        EXPECT_TRUE(xml.count(part)) << part;
        return xml[part].select_node(xpath.c_str()).node();
    }
    std::string attr(const std::string& part, const std::string& xpath, const char* name) {
        return node(part, xpath).attribute(name).value();
    }
    pugi::xml_node cell(const std::string& part, const std::string& ref) {
        EXPECT_TRUE(xml.count(part)) << part;
        return placedCell(xml[part], ref);
    }
};

Package writeSample(TempDir& dir, const TestWorkbook& book) {
    std::string path = dir.file("book.xlsx");
    WorkbookFileWriter::write(book, path, 0);
    return Package(path);
}

constexpr const char* Sheet1 = "xl/worksheets/sheet1.xml";

} // namespace

TEST(XlsxWriterTest, PackageIsAZipWithEveryPartTheProgramsNeed) {
    TempDir dir;
    Package p = writeSample(dir, sampleWorkbook());
    for (const char* part :
         {"[Content_Types].xml", "_rels/.rels", "docProps/core.xml", "docProps/app.xml",
          "docProps/custom.xml", "xl/workbook.xml", "xl/_rels/workbook.xml.rels", "xl/styles.xml",
          "xl/worksheets/sheet1.xml", "xl/worksheets/sheet2.xml", "xl/worksheets/sheet3.xml",
          "xl/worksheets/_rels/sheet1.xml.rels", "xl/comments1.xml", "xl/drawings/vmlDrawing1.vml"})
        EXPECT_TRUE(p.parts.count(part)) << part;
    // Every part with a relationship target exists, and every part has a content type.
    std::string types = p.parts["[Content_Types].xml"];
    for (const char* part : {"/xl/worksheets/sheet3.xml", "/xl/comments1.xml", "/docProps/custom.xml"})
        EXPECT_NE(types.find(part), std::string::npos) << part;
    EXPECT_NE(types.find("Extension=\"vml\""), std::string::npos);
    EXPECT_EQ(unzipOrder(dir.file("book.xlsx")).front(),
              "[Content_Types].xml"); // streaming readers look there first
    for (pugi::xpath_node rel : p.xml["xl/_rels/workbook.xml.rels"].select_nodes("//Relationship"))
        EXPECT_TRUE(p.parts.count(std::string("xl/") + rel.node().attribute("Target").value()));
}

TEST(XlsxWriterTest, CellsKeepTheirTypes) {
    TempDir dir;
    Package p = writeSample(dir, sampleWorkbook());
    auto cell = [&](const char* ref) { return p.cell(Sheet1, ref); };
    EXPECT_STREQ(cell("A2").child_value("v"), "1");
    EXPECT_STREQ(cell("A2").attribute("t").value(), "");
    EXPECT_STREQ(cell("B2").attribute("t").value(), "inlineStr");
    EXPECT_STREQ(cell("B2").child("is").child_value("t"), "Smith, J");
    EXPECT_STREQ(cell("B3").child("is").child_value("t"), "Say \"hi\"");
    EXPECT_STREQ(cell("B4").child("is").child("t").attribute("xml:space").value(), "preserve");
    EXPECT_STREQ(cell("E2").attribute("t").value(), "b");
    EXPECT_STREQ(cell("E2").child_value("v"), "1");
    EXPECT_STREQ(cell("E3").child_value("v"), "0");
    EXPECT_STREQ(cell("E4").attribute("t").value(), "e");
    EXPECT_STREQ(cell("E4").child_value("v"), "#N/A");
    EXPECT_STREQ(cell("C2").child_value("v"), "12.5");
    EXPECT_STREQ(cell("F4").child_value("v"), "0.30000000000000004"); // shortest round trip, not rounded
    EXPECT_STREQ(cell("F3").child_value("f"), "C3*2");
    EXPECT_STREQ(cell("F3").child_value("v"), "2469");
    // Dates are serial numbers; a date in a General cell gets a date format, with time when it has one.
    EXPECT_STREQ(cell("D2").child_value("v"), "45000.5");
    EXPECT_STREQ(cell("D3").child_value("v"), "45001");
    auto numFmtOf = [&](pugi::xml_node c) {
        int xf = c.attribute("s").as_int();
        return p.xml["xl/styles.xml"]
            .select_nodes("//cellXfs/xf")[static_cast<std::size_t>(xf)]
            .node()
            .attribute("numFmtId")
            .as_int();
    };
    EXPECT_EQ(numFmtOf(cell("D2")), 22);
    EXPECT_EQ(numFmtOf(cell("D3")), 14);
    EXPECT_GE(numFmtOf(cell("D4")), 164); // its own dd-mm-yyyy format wins
}

TEST(XlsxWriterTest, CellReferencesFollowEveryRowAndColumn) {
    TestWorkbook book;
    TestSheet& s = book.addSheet("Refs");
    s.set(1, 1, Variant(1.0));
    s.set(1, 26, Variant(2.0));
    s.set(1, 27, Variant(3.0));
    s.set(9, 702, Variant(4.0));
    s.set(9, 703, Variant(5.0));
    s.set(10, 2, Variant(6.0));
    s.set(1048576, 16384, Variant(7.0));
    TempDir dir;
    Package p = writeSample(dir, book);
    std::vector<std::string> refs;
    for (const PlacedCell& c : placedCells(p.xml[Sheet1]))
        refs.push_back(std::to_string(c.row) + ":" + c.ref());
    EXPECT_EQ(refs, (std::vector<std::string>{"1:A1", "1:Z1", "1:AA1", "9:ZZ9", "9:AAA9", "10:B10",
                                              "1048576:XFD1048576"}));
}

// A cell right of the one before it needs no reference, and a table is written without them
// (a fifth of the part); after any gap the reference must be there, or a reader would move
// the cell left.
TEST(XlsxWriterTest, CellReferencesAreWrittenExactlyAfterAGap) {
    TempDir dir;
    Package p = writeSample(dir, gapsWorkbook());
    std::vector<std::string> written;
    for (pugi::xpath_node n : p.xml[Sheet1].select_nodes("//c"))
        written.push_back(n.node().attribute("r").value());
    EXPECT_EQ(written, (std::vector<std::string>{"", "", "", "", "", "B2", "", "E2", "", "", "D5", ""}));
    std::vector<std::string> refs;
    for (const PlacedCell& c : placedCells(p.xml[Sheet1]))
        refs.push_back(c.ref());
    EXPECT_EQ(refs, (std::vector<std::string>{"A1", "B1", "C1", "D1", "E1", "B2", "C2", "E2", "A3", "B3",
                                              "D5", "E5"}));
    for (pugi::xpath_node r : p.xml[Sheet1].select_nodes("//row"))
        EXPECT_TRUE(r.node().attribute("r")) << "every row keeps its number";

    qv::test::HostFixture f;
    auto ws = f.app->openWorkbook(dir.file("book.xlsx"))->worksheet(1);
    EXPECT_EQ(ws->range("C1")->value(), Variant(3.0));
    EXPECT_TRUE(ws->range("A2")->value().isEmpty());
    EXPECT_EQ(ws->range("C2")->value(), Variant("c2"));
    EXPECT_TRUE(ws->range("D2")->value().isEmpty());
    EXPECT_EQ(ws->range("E2")->value(), Variant("e2"));
    EXPECT_EQ(ws->range("A3")->numberFormat(), "0.00");
    EXPECT_EQ(ws->range("B3")->value(), Variant("b3"));
    EXPECT_TRUE(ws->range("D4")->value().isEmpty());
    EXPECT_EQ(ws->range("D5")->value(), Variant("d5"));
}

TEST(XlsxWriterTest, UnusualValuesStayReadable) {
    TestWorkbook b;
    TestSheet& s = b.addSheet("Odd");
    s.set(1, 1, Variant(std::numeric_limits<double>::quiet_NaN()));
    s.set(1, 2, Variant(std::string("bell\x07 and <tag> & \r\n")));
    s.set(1, 3, Variant(OleDate{30}));     // 29 Jan 1900: the file counts one day less before March 1900
    s.set(1, 4, Variant(OleDate{-700.5})); // before 1900: kept as text
    s.set(1, 5, Variant::null());
    s.set(1, 6, Variant(std::int64_t{9007199254740993}));
    s.set(1, 7, Variant("file_x0041_name"));
    s.set(1, 8, Variant::single(0.1f)); // not an escape: must not come back as "fileAname"
    TempDir dir;
    Package p = writeSample(dir, b);
    auto cell = [&](const char* ref) { return p.cell(Sheet1, ref); };
    EXPECT_STREQ(cell("A1").attribute("t").value(), "e");
    EXPECT_STREQ(cell("A1").child_value("v"), "#NUM!");
    EXPECT_EQ(std::string(cell("B1").child("is").child_value("t")), "bell_x0007_ and <tag> & \r\n");
    EXPECT_STREQ(cell("C1").child_value("v"), "29");
    EXPECT_STREQ(cell("D1").attribute("t").value(), "inlineStr");
    EXPECT_FALSE(cell("E1"));
    EXPECT_STREQ(cell("F1").child_value("v"), "9007199254740993");
    EXPECT_STREQ(cell("G1").child("is").child_value("t"), "file_x005F_x0041_name");
    EXPECT_STREQ(cell("H1").child_value("v"), "0.1");
}

TEST(XlsxWriterTest, StylesConvertOleColoursAndCarryFormatsAndProtection) {
    TempDir dir;
    Package p = writeSample(dir, sampleWorkbook());
    const std::string st = "xl/styles.xml";
    EXPECT_TRUE(p.node(st, "//fill/patternFill[@patternType='solid']/fgColor[@rgb='FFFF0000']")); // 0x0000FF
    EXPECT_TRUE(p.node(st, "//fill/patternFill[@patternType='solid']/fgColor[@rgb='FFCCFFCC']"));
    EXPECT_TRUE(p.node(st, "//font[b]/color[@rgb='FFFFFFFF']"));
    EXPECT_TRUE(p.node(st, "//font/color[@rgb='FF008000']"));
    EXPECT_TRUE(p.node(st, "//border/bottom[@style='thin']/color[@rgb='FF0000FF']")); // 0xFF0000 is blue
    EXPECT_EQ(p.attr(st, "//numFmt[@formatCode='0.000']", "numFmtId"), "164");
    EXPECT_EQ(p.attr(st, "//numFmt[@formatCode='dd-mm-yyyy']", "numFmtId"), "165");
    EXPECT_TRUE(p.node(st, "//xf[@numFmtId='4']/protection[@locked='0']"));
    EXPECT_TRUE(p.node(st, "//xf/alignment[@horizontal='center']"));
    // The header cell uses the style with the red fill.
    int xf = p.cell(Sheet1, "A1").attribute("s").as_int();
    int fill = p.xml[st]
                   .select_nodes("//cellXfs/xf")[static_cast<std::size_t>(xf)]
                   .node()
                   .attribute("fillId")
                   .as_int();
    EXPECT_STREQ(p.xml[st]
                     .select_nodes("//fills/fill")[static_cast<std::size_t>(fill)]
                     .node()
                     .child("patternFill")
                     .child("fgColor")
                     .attribute("rgb")
                     .value(),
                 "FFFF0000");
}

TEST(XlsxWriterTest, SheetLayoutIsKept) {
    TempDir dir;
    Package p = writeSample(dir, sampleWorkbook());
    EXPECT_EQ(p.attr(Sheet1, "//col[@min='2']", "customWidth"), "1");
    EXPECT_NEAR(p.node(Sheet1, "//col[@min='2']").attribute("width").as_double(), 30.7109375, 1e-9);
    EXPECT_EQ(p.attr(Sheet1, "//col[@min='6']", "hidden"), "1");
    EXPECT_EQ(p.attr(Sheet1, "//row[@r='4']", "hidden"), "1");
    EXPECT_EQ(p.attr(Sheet1, "//row[@r='8']", "hidden"), "1"); // a hidden row without cells
    EXPECT_FALSE(p.node(Sheet1, "//row[@r='2']").attribute("hidden"));
    EXPECT_EQ(p.attr(Sheet1, "//pane", "ySplit"), "1");
    EXPECT_EQ(p.attr(Sheet1, "//pane", "state"), "frozen");
    EXPECT_EQ(p.attr(Sheet1, "//pane", "topLeftCell"), "A2");
    EXPECT_EQ(p.attr(Sheet1, "//dimension", "ref"), "A1:F8");
    EXPECT_EQ(p.attr("xl/workbook.xml", "//sheet[@name='Lists']", "state"), "veryHidden");
    EXPECT_EQ(p.attr("xl/workbook.xml", "//sheet[@name='Archive']", "state"), "hidden");
    EXPECT_FALSE(p.node("xl/workbook.xml", "//sheet[@name='Orders']").attribute("state"));
    EXPECT_EQ(p.attr("xl/workbook.xml", "//workbookView", "activeTab"), "0");
    EXPECT_EQ(p.attr(Sheet1, "//sheetView", "tabSelected"), "1");
    // Rows come in ascending order, as the programs require.
    long last = 0;
    for (pugi::xpath_node r : p.xml[Sheet1].select_nodes("//row")) {
        EXPECT_GT(r.node().attribute("r").as_llong(), last);
        last = static_cast<long>(r.node().attribute("r").as_llong());
    }
}

TEST(XlsxWriterTest, ValidationProtectionFilterAndCommentsArePresent) {
    TempDir dir;
    Package p = writeSample(dir, sampleWorkbook());
    auto dv = [&](const char* sqref) {
        return p.node(Sheet1, std::string("//dataValidation[@sqref='") + sqref + "']");
    };
    EXPECT_STREQ(dv("A2:A4").attribute("type").value(), "whole");
    EXPECT_STREQ(dv("A2:A4").attribute("operator").value(), "between");
    EXPECT_STREQ(dv("A2:A4").child_value("formula1"), "1");
    EXPECT_STREQ(dv("A2:A4").child_value("formula2"), "100");
    EXPECT_STREQ(dv("A2:A4").attribute("errorTitle").value(), "Invalid input");
    EXPECT_STREQ(dv("A2:A4").attribute("error").value(), "Line1\rLine2"); // the line break survives
    EXPECT_STREQ(dv("E2:E4").attribute("type").value(), "list");
    EXPECT_STREQ(dv("E2:E4").child_value("formula1"), "BoolList");
    EXPECT_STREQ(dv("B2:B4").child_value("formula1"), "\"Yes,No\"");
    EXPECT_STREQ(dv("B2:B4").attribute("errorStyle").value(), "warning");
    EXPECT_STREQ(dv("B2:B4").attribute("prompt").value(), "Yes or no");
    EXPECT_STREQ(dv("C2:C4").attribute("operator").value(), "greaterThan");
    EXPECT_STREQ(dv("C2:C4").attribute("errorStyle").value(), "information");
    EXPECT_STREQ(dv("D2:D4").attribute("operator").value(), "greaterThanOrEqual");
    EXPECT_STREQ(dv("B5").attribute("type").value(), "textLength");
    EXPECT_STREQ(dv("B5").attribute("operator").value(), "lessThanOrEqual");
    EXPECT_FALSE(dv("B5").child("formula2"));
    EXPECT_STREQ(dv("F2:F4").attribute("type").value(), "custom");
    EXPECT_STREQ(dv("F2:F4").child_value("formula1"), "ISNUMBER(F2)");

    pugi::xml_node prot = p.node(Sheet1, "//sheetProtection");
    EXPECT_STREQ(prot.attribute("password").value(), "CC1A");
    EXPECT_STREQ(prot.attribute("sheet").value(), "1");
    EXPECT_STREQ(prot.attribute("formatColumns").value(), "0");
    EXPECT_STREQ(prot.attribute("autoFilter").value(), "0");
    EXPECT_STREQ(prot.attribute("selectLockedCells").value(), "1");
    EXPECT_EQ(p.attr(Sheet1, "//autoFilter", "ref"), "A1:F4");
    EXPECT_EQ(p.attr("xl/workbook.xml", "//workbookProtection", "lockStructure"), "1");
    EXPECT_EQ(p.attr("xl/workbook.xml", "//workbookProtection", "workbookPassword"), "83AF");

    EXPECT_EQ(p.attr("xl/comments1.xml", "//comment", "ref"), "B1");
    EXPECT_STREQ(p.node("xl/comments1.xml", "//comment/text").child_value("t"),
                 "Customer name\nfrom the database");
    EXPECT_STREQ(p.node("xl/comments1.xml", "//authors").child_value("author"), "Quorvel");
    EXPECT_STREQ(p.node("xl/drawings/vmlDrawing1.vml", "//x:Row").child_value(), "0");
    EXPECT_STREQ(p.node("xl/drawings/vmlDrawing1.vml", "//x:Column").child_value(), "1");
    EXPECT_EQ(p.attr(Sheet1, "//legacyDrawing", "r:id"),
              p.attr("xl/worksheets/_rels/sheet1.xml.rels", "//Relationship[contains(@Target,'vml')]", "Id"));
}

TEST(XlsxWriterTest, NamesAndDocumentProperties) {
    TempDir dir;
    Package p = writeSample(dir, sampleWorkbook());
    const std::string wb = "xl/workbook.xml";
    EXPECT_STREQ(p.node(wb, "//definedName[@name='BoolList']").child_value(), "'Lists'!$A$1:$A$2");
    EXPECT_STREQ(p.node(wb, "//definedName[@name='Total']").child_value(), "Orders!$C$2:$C$4");
    pugi::xml_node filter = p.node(wb, "//definedName[@name='_xlnm._FilterDatabase']");
    EXPECT_STREQ(filter.child_value(), "'Orders'!$A$1:$F$4");
    EXPECT_STREQ(filter.attribute("localSheetId").value(), "0");
    EXPECT_STREQ(filter.attribute("hidden").value(), "1");
    EXPECT_STREQ(p.node("docProps/core.xml", "//dc:title").child_value(), "Quorvel test");
    EXPECT_STREQ(p.node("docProps/core.xml", "//dc:creator").child_value(), "Tester");
    EXPECT_STREQ(p.node("docProps/core.xml", "//cp:revision").child_value(), "12");
    EXPECT_STREQ(p.node("docProps/custom.xml", "//property[@name='Database']").child_value("vt:lpwstr"),
                 "/tmp/x.mdb");
}

TEST(XlsxWriterTest, SheetLocalNamesGetTheirSheet) {
    TestWorkbook b = sampleWorkbook();
    b.nameList.push_back({"Archive!Criteria", "Archive!$A$1", false});
    b.nameList.push_back({"'Orders'!_FilterDatabase", "Orders!$A$1:$F$4", true}); // as the host lists it
    TempDir dir;
    Package p = writeSample(dir, b);
    pugi::xml_node local = p.node("xl/workbook.xml", "//definedName[@name='Criteria']");
    EXPECT_STREQ(local.attribute("localSheetId").value(), "2");
    EXPECT_STREQ(local.child_value(), "Archive!$A$1");
    EXPECT_EQ(p.xml["xl/workbook.xml"].select_nodes("//definedName[@name='_xlnm._FilterDatabase']").size(),
              1u);
}

TEST(XlsxWriterTest, InvalidSheetsAreRefusedWithoutWritingAFile) {
    TempDir dir;
    auto refused = [&](TestWorkbook b, const char* fragment) {
        try {
            WorkbookFileWriter::write(b, dir.file("bad.xlsx"), 51);
            ADD_FAILURE() << "no error for " << fragment;
        } catch (const NumberedError& e) {
            EXPECT_EQ(e.number(), err::ApplicationDefined);
            EXPECT_NE(e.description().find(fragment), std::string::npos) << e.description();
        }
        EXPECT_TRUE(dir.entries().empty());
    };
    TestWorkbook twins;
    twins.addSheet("Data");
    twins.addSheet("DATA");
    refused(twins, "two sheets named");
    TestWorkbook slash;
    slash.addSheet("a/b");
    refused(slash, "a/b");
    TestWorkbook tooLong;
    tooLong.addSheet("Big").info.lastRow = 1048577;
    refused(tooLong, "larger than");
    TestWorkbook badHash;
    badHash.addSheet("P").info.protection = ExportProtection{true, "secret"};
    refused(badHash, "hexadecimal");
    TestWorkbook allHidden;
    allHidden.addSheet("Only").info.visibility = 0;
    refused(allHidden, "visible");
    refused(TestWorkbook{}, "without sheets");
}

TEST(XlsxWriterTest, CommentShapesOfEachSheetHaveTheirOwnIds) {
    TestWorkbook b = sampleWorkbook();
    b.sheetList[2].info.comments = {{1, 1, "A", "old note"}};
    TempDir dir;
    Package p = writeSample(dir, b);
    EXPECT_EQ(p.attr("xl/drawings/vmlDrawing1.vml", "//o:idmap", "data"), "1");
    EXPECT_EQ(p.attr("xl/drawings/vmlDrawing3.vml", "//o:idmap", "data"), "3");
    EXPECT_EQ(p.attr("xl/drawings/vmlDrawing1.vml", "//v:shape", "id"), "_x0000_s1025");
    EXPECT_EQ(p.attr("xl/drawings/vmlDrawing3.vml", "//v:shape", "id"), "_x0000_s3073");
    EXPECT_STREQ(p.node("xl/comments3.xml", "//comment/text").child_value("t"), "old note");
}

TEST(XlsxWriterTest, HiddenActiveSheetHandsTheFocusToAVisibleOne) {
    TestWorkbook b = sampleWorkbook();
    b.sheetList[0].info.active = false;
    b.sheetList[1].info.active = true; // the very hidden lists sheet
    TempDir dir;
    Package p = writeSample(dir, b);
    EXPECT_EQ(p.attr("xl/workbook.xml", "//workbookView", "activeTab"), "0");
    EXPECT_EQ(p.attr(Sheet1, "//sheetView", "tabSelected"), "1");
    EXPECT_FALSE(p.node("xl/worksheets/sheet2.xml", "//sheetView").attribute("tabSelected"));
}

TEST(XlsxWorksheetTest, ListSourcesThatAreNotReferencesBecomeLiteralLists) {
    ExportValidation list{"A1", 3};
    std::set<std::string> names{"Lookup"};
    EXPECT_EQ(XlsxWorksheet::validationFormula(list, "Lookup", names), "Lookup");
    EXPECT_EQ(XlsxWorksheet::validationFormula(list, "=Lookup", names), "Lookup");
    EXPECT_EQ(XlsxWorksheet::validationFormula(list, "$A$1:$A$9", names), "$A$1:$A$9");
    EXPECT_EQ(XlsxWorksheet::validationFormula(list, "'My Lists'!$B$2:$B$20", names),
              "'My Lists'!$B$2:$B$20");
    EXPECT_EQ(XlsxWorksheet::validationFormula(list, "Yes,No", names), "\"Yes,No\"");
    EXPECT_EQ(XlsxWorksheet::validationFormula(list, "[leeg]", names), "\"[leeg]\"");
    EXPECT_EQ(XlsxWorksheet::validationFormula(list, "say \"x\"", names), "\"say \"\"x\"\"\"");
    ExportValidation whole{"A1", 1};
    EXPECT_EQ(XlsxWorksheet::validationFormula(whole, "10", names), "10");
}

TEST(XlsxWorksheetTest, OleDatesMapToFileSerials) {
    double serial = 0;
    EXPECT_TRUE(XlsxWorksheet::serialFromOleDate(45000.25, serial));
    EXPECT_EQ(serial, 45000.25);
    EXPECT_TRUE(XlsxWorksheet::serialFromOleDate(61, serial)); // 1 March 1900 is 61 in both
    EXPECT_EQ(serial, 61);
    EXPECT_TRUE(XlsxWorksheet::serialFromOleDate(60, serial)); // 28 February 1900
    EXPECT_EQ(serial, 59);
    EXPECT_TRUE(XlsxWorksheet::serialFromOleDate(0.5, serial)); // a time of day
    EXPECT_EQ(serial, 0.5);
    EXPECT_FALSE(XlsxWorksheet::serialFromOleDate(1.5, serial)); // 31 December 1899
    EXPECT_FALSE(XlsxWorksheet::serialFromOleDate(-3, serial));
}
