// Files that are not sound workbook packages: each is refused with error 1004 naming the file,
// and the application's list of workbooks (and its active workbook) stays as it was.
#include "tests/spreadsheet/io/HandMadePackage.h"
#include "tests/spreadsheet/support/SheetTestSupport.h"
#include "tests/spreadsheet/support/TestWorkbook.h"

#include "spreadsheet/io/XlsxReader.h"

#include <filesystem>
#include <fstream>

using namespace qv;
using namespace qv::sheet;
using namespace qv::sheet::test;

namespace {

void writeBytes(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary);
    out << bytes;
}

// Opens through the application; answers the error's description, "" when it opened.
std::string refusal(qv::test::HostFixture& f, const std::string& path) {
    long before = f.app->workbookCount();
    auto active = f.app->activeWorkbook();
    try {
        f.app->openWorkbook(path);
    } catch (const NumberedError& e) {
        EXPECT_EQ(e.number(), err::ApplicationDefined) << e.description();
        EXPECT_EQ(f.app->workbookCount(), before) << "a half-opened workbook was left behind";
        EXPECT_EQ(f.app->activeWorkbook(), active);
        return e.description();
    }
    ADD_FAILURE() << path << " opened";
    return {};
}

std::string goodPackage(const TempDir& dir) {
    qv::test::HostFixture g;
    for (long r = 1; r <= 400; ++r)
        g.sheet->cells(r, 1)->setValue("row " + std::to_string(r * 7919));
    std::string path = dir.file("good.xlsx");
    g.book->saveAs(path);
    return path;
}

} // namespace

TEST(XlsxReaderTest, FilesThatAreNotWorkbookPackagesAreRefusedByName) {
    qv::test::HostFixture f;
    TempDir dir;
    writeBytes(dir.file("text.xlsx"), "ID,Name\n1,Smith\n");
    EXPECT_NE(refusal(f, dir.file("text.xlsx")).find("text.xlsx"), std::string::npos);
    writeBytes(dir.file("empty.xlsx"), "");
    EXPECT_NE(refusal(f, dir.file("empty.xlsx")).find("empty.xlsx"), std::string::npos);

    HandMadePackage noWorkbook;
    noWorkbook.parts["[Content_Types].xml"] = "<Types/>";
    noWorkbook.parts["docProps/core.xml"] = "<coreProperties/>";
    noWorkbook.write(dir.file("noworkbook.xlsx"));
    std::string why = refusal(f, dir.file("noworkbook.xlsx"));
    EXPECT_NE(why.find("noworkbook.xlsx"), std::string::npos);
    EXPECT_NE(why.find("no workbook part"), std::string::npos) << why;

    EXPECT_NE(refusal(f, dir.file("missing.xlsx")).find("could not be found"), std::string::npos);
    std::filesystem::create_directory(dir.file("folder.xlsx"));
    EXPECT_NE(refusal(f, dir.file("folder.xlsx")).find("folder.xlsx"), std::string::npos);
}

TEST(XlsxReaderTest, OtherFileTypesAreRefusedWithTheTypesThatOpen) {
    qv::test::HostFixture f;
    TempDir dir;
    std::string good = goodPackage(dir);
    for (const char* name : {"book.csv", "book.xls", "book.ods", "book"}) {
        std::filesystem::copy_file(good, dir.file(name));
        std::string why = refusal(f, dir.file(name));
        EXPECT_NE(why.find(".xlsx"), std::string::npos) << why;
        EXPECT_NE(why.find(name), std::string::npos) << why;
    }
    // The same package under an add-in's or a macro workbook's extension opens.
    std::filesystem::copy_file(good, dir.file("addin.xlam"));
    EXPECT_EQ(f.app->openWorkbook(dir.file("addin.xlam"))->name(), "addin.xlam");
}

TEST(XlsxReaderTest, TruncatedAndCorruptedPackagesAreRefused) {
    qv::test::HostFixture f;
    TempDir dir;
    std::string bytes = readFile(goodPackage(dir));
    ASSERT_GT(bytes.size(), 1000u);
    for (std::size_t keep : {bytes.size() / 2, bytes.size() - 30, std::size_t{100}}) {
        writeBytes(dir.file("cut.xlsx"), bytes.substr(0, keep));
        EXPECT_NE(refusal(f, dir.file("cut.xlsx")).find("cut.xlsx"), std::string::npos) << keep;
    }
    // Damage inside each compressed part in turn: inflating fails or the checksum disagrees.
    std::size_t damaged = 0;
    for (std::size_t at = 60; at < bytes.size() - 200; at += 97) {
        std::string bad = bytes;
        for (std::size_t i = 0; i < 8; ++i)
            bad[at + i] = static_cast<char>(bad[at + i] ^ 0x5A);
        writeBytes(dir.file("bad.xlsx"), bad);
        try {
            auto book = XlsxReader().read(f.app, dir.file("bad.xlsx"));
            (void)book; // damage in a part the reader does not need is harmless
        } catch (const NumberedError& e) {
            EXPECT_EQ(e.number(), err::ApplicationDefined);
            EXPECT_NE(e.description().find("bad.xlsx"), std::string::npos) << e.description();
            ++damaged;
        }
    }
    EXPECT_GT(damaged, 5u);
    EXPECT_EQ(f.app->workbookCount(), 1);
}

TEST(XlsxReaderTest, MalformedXmlAndBrokenReferencesAreRefused) {
    qv::test::HostFixture f;
    TempDir dir;
    struct Case {
        const char* what;
        HandMadePackage package;
        const char* expected;
    };
    HandMadePackage noSheetPart = HandMadePackage::minimal("");
    noSheetPart.parts.erase("xl/worksheets/sheet1.xml");
    HandMadePackage badWorkbook = HandMadePackage::minimal("");
    badWorkbook.parts["xl/workbook.xml"] = "<workbook><sheets><sheet name=\"A\"";
    HandMadePackage allHidden = HandMadePackage::minimal("");
    allHidden.parts["xl/workbook.xml"] =
        "<workbook xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\"><sheets>"
        "<sheet name=\"Data\" sheetId=\"1\" state=\"hidden\" r:id=\"rId1\"/></sheets></workbook>";
    HandMadePackage twoNames = HandMadePackage::minimal("");
    twoNames.parts["xl/workbook.xml"] =
        "<workbook xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\"><sheets>"
        "<sheet name=\"Data\" sheetId=\"1\" r:id=\"rId1\"/><sheet name=\"DATA\" sheetId=\"2\" r:id=\"rId1\"/>"
        "</sheets></workbook>";
    HandMadePackage wideColumns = HandMadePackage::minimal("");
    wideColumns.parts["xl/worksheets/sheet1.xml"] =
        "<worksheet><cols><col min=\"5\" max=\"99999\" width=\"3\" "
        "customWidth=\"1\"/></cols><sheetData/></worksheet>";
    Case cases[] = {
        {"unclosed element", HandMadePackage::minimal("<row r=\"1\"><c r=\"A1\"><v>1</v></c>"),
         "well-formed"},
        {"workbook cut off", badWorkbook, "well-formed"},
        {"sheet part missing", noSheetPart, "missing"},
        {"column beyond the sheet", HandMadePackage::minimal("<row r=\"1\"><c r=\"XFE1\"><v>1</v></c></row>"),
         "XFE1"},
        {"row beyond the sheet",
         HandMadePackage::minimal("<row r=\"1048577\"><c r=\"A1048577\"><v>1</v></c></row>"), "1048577"},
        {"negative row", HandMadePackage::minimal("<row r=\"-3\"/>"), "-3"},
        {"shared text that is not there",
         HandMadePackage::minimal("<row r=\"1\"><c r=\"A1\" t=\"s\"><v>4</v></c></row>"), "shared text"},
        {"text longer than a cell holds",
         HandMadePackage::minimal("<row r=\"1\"><c r=\"B1\" t=\"inlineStr\"><is><t>" +
                                  std::string(32768, 'x') + "</t></is></c></row>"),
         "B1 holds a text longer"},
        {"number that is not one",
         HandMadePackage::minimal("<row r=\"1\"><c r=\"A1\"><v>12abc</v></c></row>"), "12abc"},
        {"columns beyond the sheet", wideColumns, "column"},
        {"every sheet hidden", allHidden, "hidden"},
        {"two sheets with one name", twoNames, "two sheets"},
    };
    for (const Case& c : cases) {
        c.package.write(dir.file("case.xlsx"));
        std::string why = refusal(f, dir.file("case.xlsx"));
        EXPECT_NE(why.find("case.xlsx"), std::string::npos) << c.what << ": " << why;
        EXPECT_NE(why.find(c.expected), std::string::npos) << c.what << ": " << why;
    }
}

TEST(XlsxReaderTest, SizeCapsRefuseBombsBeforeTheyExhaustMemory) {
    qv::test::HostFixture f;
    TempDir dir;
    // Cells far down many columns: the column stores would need gigabytes for a few cells.
    std::string corner = "<row r=\"1048576\">";
    for (int c = 0; c < 200; ++c)
        corner += "<c r=\"" + CellAddress::columnLetters(c + 1) + "1048576\"><v>1</v></c>";
    HandMadePackage::minimal(corner + "</row>").write(dir.file("corner.xlsx"));
    try {
        XlsxReader({}, 64ull << 20).read(f.app, dir.file("corner.xlsx"));
        ADD_FAILURE() << "the corner cells were read";
    } catch (const NumberedError& e) {
        EXPECT_NE(e.description().find("too large"), std::string::npos) << e.description();
    }

    // A part that inflates far beyond its compressed size, and one beyond the part cap.
    std::string rows;
    for (int r = 1; r <= 150; ++r)
        rows += "<row r=\"" + std::to_string(r) + "\"><c r=\"A" + std::to_string(r) +
                "\" t=\"inlineStr\"><is><t>" + std::string(30000, 'A') + "</t></is></c></row>";
    HandMadePackage bomb = HandMadePackage::minimal(rows);
    bomb.write(dir.file("bomb.xlsx"), 9);
    ZipLimits ratio;
    ratio.maxRatio = 100;
    ratio.ratioFloor = 1u << 20;
    try {
        XlsxReader(ratio).read(f.app, dir.file("bomb.xlsx"));
        ADD_FAILURE() << "the bomb was read";
    } catch (const NumberedError& e) {
        EXPECT_NE(e.description().find("zip bomb"), std::string::npos) << e.description();
    }
    ZipLimits small;
    small.maxPart = 1u << 20;
    EXPECT_THROW(XlsxReader(small).read(f.app, dir.file("bomb.xlsx")), NumberedError);
    ZipLimits total;
    total.maxTotal = 2u << 20;
    EXPECT_THROW(XlsxReader(total).read(f.app, dir.file("bomb.xlsx")), NumberedError);
    // The same file within the default caps opens.
    EXPECT_EQ(
        XlsxReader().read(f.app, dir.file("bomb.xlsx"))->worksheet(1)->range("A150")->value().str().size(),
        30000u);
    EXPECT_EQ(f.app->workbookCount(), 1);
}
