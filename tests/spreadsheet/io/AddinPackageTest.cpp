// The add-in package format (.xlam): its own main content type, a very hidden window, and the
// ribbon parts carried through a save and an open, read back by our reader.
#include "tests/spreadsheet/support/SheetTestSupport.h"
#include "tests/spreadsheet/support/TestWorkbook.h"

#include "platform/host/HostConstants.h"
#include "spreadsheet/io/ZipPackageReader.h"

using namespace qv;
using namespace qv::sheet;
using namespace qv::sheet::test;

namespace {
const char* Ribbon2006 =
    R"(<customUI xmlns="http://schemas.microsoft.com/office/2006/01/customui"><ribbon><tabs>)"
    R"(<tab id="t" label="T"><group id="g"><button id="b" label="B"/></group></tab></tabs>)"
    R"(</ribbon></customUI>)";
const char* Ribbon2009 =
    R"(<customUI xmlns="http://schemas.microsoft.com/office/2009/07/customui"><ribbon><tabs>)"
    R"(<tab id="t" label="T"><group id="g"><button id="b" label="B"/></group></tab></tabs>)"
    R"(</ribbon></customUI>)";

std::string part(const std::string& file, const std::string& name) {
    ZipPackageReader zip(file, file);
    return zip.read(name).value_or("");
}
} // namespace

TEST(AddinPackageTest, AddinSavesWithItsContentTypeHiddenWindowAndRibbonParts) {
    qv::test::HostFixture f;
    f.book->setBuiltinProperty("Revision Number", Variant(12));
    f.book->setCustomUIParts({{false, Ribbon2006}, {true, Ribbon2009}});
    f.book->setWindowHidden(true);
    TempDir dir;
    ASSERT_TRUE(f.book->saveAs(dir.file("Tool.xlam")));

    const std::string types = part(dir.file("Tool.xlam"), "[Content_Types].xml");
    EXPECT_NE(types.find("application/vnd.ms-excel.addin.macroEnabled.main+xml"), std::string::npos);
    EXPECT_EQ(types.find("spreadsheetml.sheet.main+xml"), std::string::npos);
    EXPECT_NE(part(dir.file("Tool.xlam"), "xl/workbook.xml").find("visibility=\"veryHidden\""),
              std::string::npos);
    f.book->close(false);

    auto opened = std::dynamic_pointer_cast<Workbook>(f.app->openWorkbook(dir.file("Tool.xlam")));
    ASSERT_TRUE(opened);
    EXPECT_TRUE(opened->windowHidden());
    EXPECT_EQ(opened->builtinProperty("Revision Number").toInt32(), 12);
    ASSERT_EQ(opened->customUIParts().size(), 2u);
    EXPECT_EQ(opened->customUI(), Ribbon2009);
}

TEST(AddinPackageTest, OrdinaryWorkbookKeepsItsTypeAndAVisibleWindow) {
    qv::test::HostFixture f;
    TempDir dir;
    ASSERT_TRUE(f.book->saveAs(dir.file("Plain.xlsx")));
    EXPECT_NE(part(dir.file("Plain.xlsx"), "[Content_Types].xml").find("spreadsheetml.sheet.main+xml"),
              std::string::npos);
    EXPECT_EQ(part(dir.file("Plain.xlsx"), "xl/workbook.xml").find("veryHidden"), std::string::npos);
    f.book->close(false);
    auto opened = std::dynamic_pointer_cast<Workbook>(f.app->openWorkbook(dir.file("Plain.xlsx")));
    EXPECT_FALSE(opened->windowHidden());
}

// A workbook whose window was hidden keeps it hidden through a save as an ordinary workbook too.
TEST(AddinPackageTest, HiddenWindowSurvivesASaveAsXlsx) {
    qv::test::HostFixture f;
    f.book->setWindowHidden(true);
    TempDir dir;
    ASSERT_TRUE(f.book->saveAs(dir.file("Hidden.xlsx")));
    f.book->close(false);
    auto opened = std::dynamic_pointer_cast<Workbook>(f.app->openWorkbook(dir.file("Hidden.xlsx")));
    EXPECT_TRUE(opened->windowHidden());
}
