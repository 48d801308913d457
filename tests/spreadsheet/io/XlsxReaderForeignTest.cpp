// Packages from other producers: one another spreadsheet program wrote (skipped when it is not
// installed), and a hand-made add-in package with what such producers use and our writer does
// not (shared and rich texts, prefixed elements, indexed and theme colours, the 1904 date
// system, stored password verifiers, typed custom properties, ribbon definitions).
#include "tests/spreadsheet/io/HandMadePackage.h"
#include "tests/spreadsheet/support/SheetTestSupport.h"
#include "tests/spreadsheet/support/TestWorkbook.h"
#include "tests/support/OfficeConvert.h"

#include "platform/host/HostConstants.h"
#include "spreadsheet/io/WorkbookFileWriter.h"
#include "spreadsheet/model/PasswordHash.h"

#include <cstdlib>
#include <filesystem>

using namespace qv;
using namespace qv::sheet;
using namespace qv::sheet::test;

namespace {

const std::string Ribbon2010 =
    "<customUI xmlns=\"http://schemas.microsoft.com/office/2009/07/customui\" onLoad=\"Ribbon.ribbonLoaded\">"
    "<ribbon><tabs><tab id=\"Quorvel12\" label=\"Quorvel LT\" "
    "insertAfterMso=\"TabView\"/></tabs></ribbon></customUI>";
const std::string Ribbon2007 =
    "<customUI xmlns=\"http://schemas.microsoft.com/office/2006/01/customui\" onLoad=\"Ribbon.ribbonLoaded\">"
    "<ribbon><tabs><tab id=\"Quorvel12\" label=\"Quorvel LT\" "
    "insertAfterMso=\"TabView\"/></tabs></ribbon></customUI>";

HandMadePackage addinPackage() {
    HandMadePackage p = HandMadePackage::minimal("");
    const std::string rel = "http://schemas.openxmlformats.org/officeDocument/2006/relationships/";
    p.parts["_rels/.rels"] =
        "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
        "<Relationship Id=\"rId1\" Type=\"" +
        rel +
        "officeDocument\" Target=\"/xl/workbook.xml\"/>"
        "<Relationship Id=\"rId2\" "
        "Type=\"http://schemas.openxmlformats.org/package/2006/relationships/metadata/"
        "core-properties\" Target=\"docProps/core.xml\"/>"
        "<Relationship Id=\"rId3\" Type=\"" +
        rel +
        "extended-properties\" Target=\"docProps/app.xml\"/>"
        "<Relationship Id=\"rId4\" Type=\"" +
        rel +
        "custom-properties\" Target=\"docProps/custom.xml\"/>"
        "<Relationship Id=\"rId5\" "
        "Type=\"http://schemas.microsoft.com/office/2006/relationships/ui/extensibility\" "
        "Target=\"customUI/customUI.xml\"/>"
        "<Relationship Id=\"rId6\" "
        "Type=\"http://schemas.microsoft.com/office/2007/relationships/ui/extensibility\" "
        "Target=\"customUI/customUI14.xml\"/></Relationships>";
    p.parts["customUI/customUI.xml"] = Ribbon2007;
    p.parts["customUI/customUI14.xml"] = Ribbon2010;
    p.parts["docProps/core.xml"] =
        "<cp:coreProperties "
        "xmlns:cp=\"http://schemas.openxmlformats.org/package/2006/metadata/core-properties\" "
        "xmlns:dc=\"http://purl.org/dc/elements/1.1/\"><dc:title>Quorvel LT add-in</dc:title>"
        "<cp:keywords>Excel,Access,interface,integration</cp:keywords><cp:contentStatus>Pre-final</"
        "cp:contentStatus>"
        "<cp:revision>12</cp:revision></cp:coreProperties>";
    p.parts["docProps/app.xml"] =
        "<Properties xmlns=\"http://schemas.openxmlformats.org/officeDocument/2006/extended-properties\">"
        "<Application>Other Program</Application><Company>Quorvel</Company></Properties>";
    p.parts["docProps/custom.xml"] =
        "<Properties xmlns=\"http://schemas.openxmlformats.org/officeDocument/2006/custom-properties\" "
        "xmlns:vt=\"http://schemas.openxmlformats.org/officeDocument/2006/docPropsVTypes\">"
        "<property fmtid=\"{D5CDD505-2E9C-101B-9397-08002B2CF9AE}\" pid=\"2\" "
        "name=\"Build\"><vt:i4>42</vt:i4></property>"
        "<property fmtid=\"{D5CDD505-2E9C-101B-9397-08002B2CF9AE}\" pid=\"3\" "
        "name=\"Beta\"><vt:bool>true</vt:bool></property>"
        "</Properties>";
    p.parts["xl/workbook.xml"] =
        "<x:workbook xmlns:x=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" "
        "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\">"
        "<x:workbookPr date1904=\"1\"/><x:workbookProtection workbookPassword=\"" +
        PasswordHash::legacy("book") +
        "\" lockStructure=\"1\"/><x:bookViews><x:workbookView activeTab=\"1\"/></x:bookViews><x:sheets>"
        "<x:sheet name=\"Hidden\" sheetId=\"1\" state=\"veryHidden\" r:id=\"rId1\"/>"
        "<x:sheet name=\"Data\" sheetId=\"2\" r:id=\"rId2\"/></x:sheets><x:definedNames>"
        "<x:definedName name=\"Local\" localSheetId=\"1\">Data!$B$2</x:definedName>"
        "<x:definedName name=\"Rate\">0.21</x:definedName>"
        "<x:definedName name=\"_xlnm.Print_Area\" localSheetId=\"1\">Data!$A$1:$C$3</x:definedName>"
        "<x:definedName name=\"Pair\">Data!$A$1,Data!$C$3</x:definedName></x:definedNames></x:workbook>";
    p.parts["xl/_rels/workbook.xml.rels"] =
        "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
        "<Relationship Id=\"rId1\" Type=\"" +
        rel +
        "worksheet\" Target=\"worksheets/sheet1.xml\"/>"
        "<Relationship Id=\"rId2\" Type=\"" +
        rel +
        "worksheet\" Target=\"/xl/worksheets/data.xml\"/>"
        "<Relationship Id=\"rId3\" Type=\"" +
        rel +
        "sharedStrings\" Target=\"strings.xml\"/>"
        "<Relationship Id=\"rId4\" Type=\"" +
        rel + "styles\" Target=\"styles.xml\"/></Relationships>";
    p.parts["xl/strings.xml"] =
        "<sst xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\"><si><t>plain</t></si>"
        "<si><r><rPr><b/></rPr><t>bold </t></r><r><t>and not</t></r><rPh><t>phonetic</t></rPh></si>"
        "<si><t>a_x000D_b</t></si></sst>";
    p.parts["xl/styles.xml"] =
        "<styleSheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\">"
        "<numFmts count=\"1\"><numFmt numFmtId=\"164\" formatCode=\"yyyy\\-mm\\-dd\"/></numFmts>"
        "<fonts><font/><font><b val=\"true\"/><color theme=\"1\"/></font><font><color "
        "indexed=\"10\"/></font></fonts>"
        "<fills><fill><patternFill patternType=\"none\"/></fill><fill><patternFill "
        "patternType=\"gray125\"/></fill>"
        "<fill><patternFill patternType=\"solid\"><fgColor theme=\"4\"/></patternFill></fill></fills>"
        "<borders><border/><border><left style=\"medium\"><color rgb=\"FF0000FF\"/></left><top "
        "style=\"dashed\"/></border></borders>"
        "<cellXfs><xf numFmtId=\"0\"/><xf numFmtId=\"164\" fontId=\"1\"/><xf numFmtId=\"14\" fontId=\"2\" "
        "fillId=\"2\" borderId=\"1\">"
        "<alignment horizontal=\"right\"/><protection locked=\"0\"/></xf></cellXfs></styleSheet>";
    p.parts["xl/worksheets/sheet1.xml"] = "<worksheet><sheetData/></worksheet>";
    p.parts["xl/worksheets/data.xml"] =
        "<x:worksheet "
        "xmlns:x=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\"><x:sheetViews><x:sheetView "
        "workbookViewId=\"0\"><x:pane ySplit=\"1\" topLeftCell=\"A2\" "
        "state=\"frozen\"/></x:sheetView></x:sheetViews>"
        "<x:sheetData><x:row><x:c t=\"s\"><x:v>0</x:v></x:c><x:c t=\"s\"><x:v>1</x:v></x:c><x:c "
        "t=\"s\"><x:v>2</x:v></x:c></x:row>"
        "<x:row r=\"2\"><x:c r=\"A2\" s=\"1\"><x:v>0</x:v></x:c><x:c r=\"B2\" s=\"2\"><x:v>1</x:v></x:c>"
        "<x:c r=\"C2\" t=\"d\"><x:v>2024-03-01T12:00:00</x:v></x:c><x:c r=\"D2\" "
        "t=\"e\"><x:v>#DIV/0!</x:v></x:c>"
        "<x:c r=\"E2\"><x:f t=\"shared\" ref=\"E2:E3\" si=\"0\">A2+1</x:f><x:v>1</x:v></x:c></x:row>"
        "<x:row r=\"3\"><x:c r=\"E3\"><x:f t=\"shared\" si=\"0\"/><x:v>2</x:v></x:c></x:row></x:sheetData>"
        "<x:sheetProtection password=\"" +
        PasswordHash::legacy("pw") + "\" sheet=\"1\" autoFilter=\"0\"/></x:worksheet>";
    return p;
}

} // namespace

TEST(XlsxReaderTest, AddinPackageOfAnotherProducerOpens) {
    qv::test::HostFixture f;
    TempDir dir;
    addinPackage().write(dir.file("Quorvel12.xlam"));
    auto book = std::dynamic_pointer_cast<Workbook>(f.app->openWorkbook(dir.file("Quorvel12.xlam")));
    EXPECT_EQ(book->customUI(), Ribbon2010);
    ASSERT_EQ(book->customUIParts().size(), 2u);
    EXPECT_EQ(book->builtinProperty("Revision Number").toInt64(), 12);
    EXPECT_EQ(book->builtinProperty("Title").toString(), "Quorvel LT add-in");
    EXPECT_EQ(book->builtinProperty("Content status").toString(), "Pre-final");
    EXPECT_EQ(book->builtinProperty("Company").toString(), "Quorvel");
    EXPECT_EQ(book->customProperty("Build").toInt64(), 42);
    EXPECT_EQ(book->customProperty("Beta"), Variant(true));

    auto hidden = book->worksheet("Hidden");
    auto data = std::dynamic_pointer_cast<Worksheet>(book->worksheet("Data"));
    EXPECT_EQ(hidden->visible(), xl::SheetVeryHidden);
    EXPECT_EQ(book->activeSheet(), data);
    EXPECT_EQ(data->range("A1")->value().str(), "plain");
    EXPECT_EQ(data->range("B1")->value().str(), "bold and not");
    EXPECT_EQ(data->range("C1")->value().str(), "a\rb");
    // Serial 0 in the 1904 system is 1 January 1904.
    EXPECT_EQ(data->range("A2")->value(), Variant(OleDate{1462}));
    EXPECT_EQ(data->range("A2")->text(), "1904-01-01");
    EXPECT_EQ(data->range("A2")->fontBold(), Variant(true));
    EXPECT_EQ(data->range("B2")->value(), Variant(OleDate{1463}));
    EXPECT_EQ(data->range("B2")->fontColor().toInt64(), 0x0000FF); // indexed 10: red
    EXPECT_EQ(data->range("B2")->fillColor().toInt64(), 0xC47244); // the theme's first accent
    EXPECT_EQ(data->range("B2")->horizontalAlignment(), -4152);
    EXPECT_EQ(data->range("B2")->locked(), Variant(false));
    const CellStyle& b2 = data->style(data->data().effectiveStyle(2, 2));
    EXPECT_EQ(b2.left.color, 0xFF0000);
    EXPECT_EQ(b2.top.style, 1);
    EXPECT_EQ(data->range("C2")->value(), Variant(OleDate{45352.5}));
    EXPECT_EQ(data->range("D2")->value(), Variant(ErrorValue{2007}));
    EXPECT_EQ(data->range("E2")->formula(), "=A2+1");
    EXPECT_EQ(data->range("E3")->value(), Variant(2.0)); // a borrowed shared formula keeps its value
    EXPECT_EQ(data->frozenRows(), 1);

    // Names: references only; a local name is listed workbook-wide, constants and print areas are not names
    // here.
    ASSERT_TRUE(book->nameRange("Local"));
    EXPECT_EQ(book->nameRange("Local")->address(), "$B$2");
    ASSERT_TRUE(book->nameRange("Pair"));
    EXPECT_EQ(book->nameRange("Pair")->areas().size(), 2u);
    EXPECT_EQ(book->names().size(), 2u);

    EXPECT_THROW(data->unprotect("PW"), NumberedError);
    data->unprotect("pw");
    EXPECT_THROW(book->unprotectStructure(""), NumberedError);
    book->unprotectStructure("book");
}

TEST(XlsxReaderTest, SaveAsKeepsTheRibbonOfAnAddinPackage) {
    qv::test::HostFixture f;
    TempDir dir;
    addinPackage().write(dir.file("Quorvel12.xlam"));
    auto book = std::dynamic_pointer_cast<Workbook>(f.app->openWorkbook(dir.file("Quorvel12.xlam")));
    ASSERT_TRUE(book->saveAs(dir.file("copy.xlsx")));
    auto parts = unzipAll(dir.file("copy.xlsx"));
    EXPECT_EQ(parts["customUI/customUI14.xml"], Ribbon2010);
    EXPECT_EQ(parts["customUI/customUI.xml"], Ribbon2007);
    EXPECT_NE(
        parts["_rels/.rels"].find("2007/relationships/ui/extensibility\" Target=\"customUI/customUI14.xml\""),
        std::string::npos);
    book->close(false);

    auto again = std::dynamic_pointer_cast<Workbook>(f.app->openWorkbook(dir.file("copy.xlsx")));
    EXPECT_EQ(again->customUI(), Ribbon2010);
    EXPECT_EQ(again->builtinProperty("Revision Number").toInt64(), 12);
    EXPECT_EQ(again->customProperty("Build").toInt64(), 42);
    // The stored verifiers go back into the copy: the same passwords unlock it.
    EXPECT_TRUE(again->structureProtected());
    EXPECT_THROW(again->worksheet("Data")->unprotect("nope"), NumberedError);
    again->worksheet("Data")->unprotect("pw");
    again->unprotectStructure("book");
}

TEST(XlsxReaderTest, WorkbookSavedByAnotherProgramOpens) {
    std::string program = ::qv::test::officeProgram();
    if (program.empty())
        GTEST_SKIP() << "soffice/libreoffice is not on PATH; install libreoffice-calc-nogui to run this test";
    TempDir dir;
    WorkbookFileWriter::write(sampleWorkbook(), dir.file("book.xlsx"), 51);
    std::filesystem::create_directory(dir.file("out"));
    std::string cmd = "cd '" + dir.path() + "' && timeout 120 " + program + " -env:UserInstallation=file://" +
                      dir.path() + "/profile --headless --norestore --convert-to xlsx --outdir '" +
                      dir.file("out") + "' book.xlsx >/dev/null 2>&1";
    ASSERT_EQ(std::system(cmd.c_str()), 0) << cmd;
    ASSERT_TRUE(std::filesystem::exists(dir.file("out/book.xlsx"))) << "the conversion wrote nothing";
    ASSERT_TRUE(unzipAll(dir.file("out/book.xlsx")).count("xl/sharedStrings.xml"))
        << "expected the program's own layout";

    qv::test::HostFixture f;
    auto book = std::dynamic_pointer_cast<Workbook>(f.app->openWorkbook(dir.file("out/book.xlsx")));
    ASSERT_EQ(book->worksheetCount(), 3);
    auto ws = std::dynamic_pointer_cast<Worksheet>(book->worksheet("Orders"));
    EXPECT_NE(book->worksheet("Lists")->visible(), xl::SheetVisible);
    EXPECT_EQ(book->worksheet("Archive")->visible(), xl::SheetHidden);
    EXPECT_EQ(ws->range("B2")->value().str(), "Smith, J");
    EXPECT_EQ(ws->range("B3")->value().str(), "Say \"hi\"");
    EXPECT_EQ(ws->range("C3")->value(), Variant(1234.5));
    EXPECT_EQ(ws->range("C3")->text(), "1,234.50");
    EXPECT_EQ(ws->range("D2")->value(), Variant(OleDate{45000.5}));
    EXPECT_EQ(ws->range("D4")->value(), Variant(OleDate{45002.25}));
    EXPECT_TRUE(ws->range("E2")->value().toBool());
    EXPECT_EQ(ws->range("E4")->value(), Variant(ErrorValue{2042}));
    EXPECT_EQ(ws->range("F3")->formula(), "=C3*2");
    EXPECT_EQ(ws->range("F3")->value(), Variant(2469.0));
    EXPECT_EQ(ws->range("A1")->fontBold(), Variant(true));
    EXPECT_EQ(ws->range("A1")->fillColor().toInt64(), 0x0000FF);
    EXPECT_EQ(ws->range("C2")->locked(), Variant(false));
    EXPECT_TRUE(ws->range("A4")->rowHidden());
    EXPECT_TRUE(ws->range("F1")->columnHidden());
    EXPECT_NEAR(ws->range("B1")->columnWidth(), 30, 0.5);
    ASSERT_TRUE(ws->range("B1")->comment());
    EXPECT_NE(ws->range("B1")->comment()->text().find("Customer name"), std::string::npos);
    EXPECT_EQ(ws->validations().rules().size(), 7u);
    EXPECT_TRUE(ws->autoFilterMode());
    EXPECT_TRUE(ws->protectContents());
    ASSERT_TRUE(book->nameRange("BoolList"));
    EXPECT_EQ(book->nameRange("BoolList")->address(), "$A$1:$A$2");
    EXPECT_EQ(book->builtinProperty("Revision Number").toInt64(), 12);
    EXPECT_EQ(book->builtinProperty("Title").toString(), "Quorvel test");
    EXPECT_TRUE(book->saved());
}
