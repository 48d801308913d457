// Opening workbook packages: a workbook built through the object model, saved by our writer
// and opened again must come back with every feature equal (compared through the export view,
// which is what a second save would write), and the application must list it like a workbook
// it opened itself.
#include "tests/spreadsheet/support/SheetTestSupport.h"
#include "tests/spreadsheet/support/TestWorkbook.h"

#include "platform/host/HostConstants.h"
#include "spreadsheet/io/WorkbookExportView.h"

#include <cmath>
#include <filesystem>

using namespace qv;
using namespace qv::sheet;
using namespace qv::sheet::test;

namespace {

class OpenRecorder : public IApplicationEvents {
  public:
    std::vector<std::string> opened;
    void workbookOpen(const WorkbookPtr& book) override { opened.push_back(book->name()); }
};

// Every feature the reader promises, set the way code sets it.
void buildSample(Workbook& book) {
    auto ws = std::dynamic_pointer_cast<Worksheet>(book.worksheet(1));
    ws->setName("Orders");
    const char* headers[] = {"ID", "Name", "Amount", "Date", "Shipped"};
    for (int c = 0; c < 5; ++c)
        ws->cells(1, c + 1)->setValue(headers[c]);
    auto header = ws->range("A1:E1");
    header->setFontBold(true);
    header->setFillColor(0x0000FF);
    header->setFontColor(0xFF0000);
    header->setHorizontalAlignment(-4108);
    header->setBorder(xl::BorderEdge::Bottom, xl::LineStyleContinuous, xl::WeightThin, 0x00FF00);
    ws->range("A2")->setValue(1.0);
    ws->range("B2")->setValue("Smith, J");
    ws->range("C2")->setValue(12.5);
    ws->range("C2:C4")->setNumberFormat("#,##0.00");
    ws->range("D2")->setValue(Variant(OleDate{45000.5}));
    ws->range("D2:D4")->setNumberFormat("yyyy-mm-dd hh:mm");
    ws->range("E2")->setValue(true);
    ws->range("A3")->setValue(-2.25);
    ws->range("B3")->setValue(" lead & <trail> ");
    ws->range("C3")->setValue(Variant(ErrorValue{2042}));
    ws->range("E3")->setValue(false);
    ws->range("A4")->setFormula("=A2*2");
    ws->range("B4")->setValue("line1\nline2");
    ws->range("F2")->setValue(0.125);
    ws->range("F2")->setNumberFormat("0.0%");
    ws->range("B2:B4")->setLocked(false);
    ws->range("B1")->setColumnWidth(20);
    ws->range("G1")->setColumnHidden(true);
    ws->range("A6")->entireRow()->setRowHidden(true);
    ws->range("B2")->addComment("Customer name");
    ws->range("E2:E10")->validation()->add(xl::ValidationType::List, xl::ValidationAlert::Stop,
                                           xl::ValidationOperator::Between, "yes,no");
    auto v = ws->range("A2:A10")->validation();
    v->add(xl::ValidationType::WholeNumber, xl::ValidationAlert::Warning, xl::ValidationOperator::Between,
           "1", "10");
    v->setErrorTitle("Out of range");
    v->setErrorMessage("Between 1 and 10.");
    v->setInputMessage("A number");
    ws->range("A1:F4")->autoFilter();
    ws->freezePanes(2, 2);

    auto lists = std::dynamic_pointer_cast<Worksheet>(book.addWorksheet(ws));
    lists->setName("Lists");
    for (int r = 0; r < 3; ++r)
        lists->cells(r + 1, 1)->setValue(std::string(1, static_cast<char>('x' + r)));
    auto archive = std::dynamic_pointer_cast<Worksheet>(book.addWorksheet(lists));
    archive->setName("Old data");
    archive->range("C5")->setValue(7.0);
    lists->setVisible(xl::SheetVeryHidden);
    archive->setVisible(xl::SheetHidden);
    ws->activate();
    book.addName("ListValues", "=Lists!R1C1:R3C1");
    book.addName("Corner", "='Old data'!R5C3", false);

    book.setBuiltinProperty("Title", "Sample");
    book.setBuiltinProperty("Author", "Tester");
    book.setBuiltinProperty("Keywords", "Excel,Access");
    book.setBuiltinProperty("Comments", "A description");
    book.setBuiltinProperty("Content status", "Pre-final");
    book.setBuiltinProperty("Revision Number", Variant(std::int64_t{12}));
    book.setBuiltinProperty("Company", "Quorvel");
    book.setCustomProperty("Edition", "LT");

    ws->setEnableSelection(xl::SelectionUnlockedCells);
    ws->protect("secret", true, true);
    book.protectStructure("book");
}

std::string describe(const Variant& v) {
    return std::to_string(static_cast<int>(v.type())) + ":" + v.toString();
}

// Everything a save would write, compared part by part so that a failure names the difference.
void expectSameBook(const Workbook& a, const Workbook& b) {
    WorkbookExportView x(a), y(b);
    ASSERT_EQ(x.sheetCount(), y.sheetCount());
    auto xs = x.styles(), ys = y.styles();
    for (long i = 0; i < x.sheetCount(); ++i) {
        ExportSheet s = x.sheet(i), t = y.sheet(i);
        SCOPED_TRACE(s.name);
        EXPECT_EQ(s.name, t.name);
        EXPECT_EQ(s.visibility, t.visibility);
        EXPECT_EQ(s.lastRow, t.lastRow);
        EXPECT_EQ(s.lastColumn, t.lastColumn);
        ASSERT_EQ(s.columns.size(), t.columns.size());
        for (std::size_t c = 0; c < s.columns.size(); ++c) {
            EXPECT_EQ(s.columns[c].index, t.columns[c].index);
            EXPECT_NEAR(s.columns[c].width, t.columns[c].width, 0.006);
            EXPECT_EQ(s.columns[c].hidden, t.columns[c].hidden);
            EXPECT_EQ(xs[s.columns[c].style], ys[t.columns[c].style]);
        }
        EXPECT_EQ(s.hiddenRows, t.hiddenRows);
        EXPECT_EQ(s.frozenRows, t.frozenRows);
        EXPECT_EQ(s.frozenColumns, t.frozenColumns);
        EXPECT_EQ(s.autoFilterRef, t.autoFilterRef);
        ASSERT_EQ(s.validations.size(), t.validations.size());
        for (std::size_t k = 0; k < s.validations.size(); ++k) {
            const ExportValidation &p = s.validations[k], &q = t.validations[k];
            EXPECT_EQ(p.sqref, q.sqref);
            EXPECT_EQ(p.type, q.type);
            EXPECT_EQ(p.alertStyle, q.alertStyle);
            EXPECT_EQ(p.op, q.op);
            EXPECT_EQ(p.formula1, q.formula1);
            EXPECT_EQ(p.formula2, q.formula2);
            EXPECT_EQ(p.errorTitle, q.errorTitle);
            EXPECT_EQ(p.errorMessage, q.errorMessage);
            EXPECT_EQ(p.inputMessage, q.inputMessage);
            EXPECT_EQ(p.ignoreBlank, q.ignoreBlank);
            EXPECT_EQ(p.inCellDropdown, q.inCellDropdown);
            EXPECT_EQ(p.showError, q.showError);
            EXPECT_EQ(p.showInput, q.showInput);
        }
        ASSERT_EQ(s.comments.size(), t.comments.size());
        for (std::size_t k = 0; k < s.comments.size(); ++k) {
            EXPECT_EQ(s.comments[k].row, t.comments[k].row);
            EXPECT_EQ(s.comments[k].column, t.comments[k].column);
            EXPECT_EQ(s.comments[k].author, t.comments[k].author);
            EXPECT_EQ(s.comments[k].text, t.comments[k].text);
        }
        EXPECT_EQ(s.protection.on, t.protection.on);
        EXPECT_EQ(s.protection.passwordHash, t.protection.passwordHash);
        EXPECT_EQ(s.protection.allowFormatColumns, t.protection.allowFormatColumns);
        EXPECT_EQ(s.protection.allowAutoFilter, t.protection.allowAutoFilter);
        EXPECT_EQ(s.protection.selectLockedCells, t.protection.selectLockedCells);
        EXPECT_EQ(s.protection.selectUnlockedCells, t.protection.selectUnlockedCells);
        EXPECT_EQ(s.active, t.active);

        std::vector<std::string> cx, cy;
        auto collect = [](std::vector<std::string>& out, const std::vector<CellStyle>& styles) {
            return [&out, &styles](long r, long c, const ExportCell& cell) {
                const CellStyle& st = styles[cell.style];
                out.push_back(std::to_string(r) + "," + std::to_string(c) + " " + describe(cell.value) +
                              " f=" + cell.formula + " fmt=" + st.numberFormat + " fill=" +
                              std::to_string(st.fillColor) + " font=" + std::to_string(st.fontColor) +
                              (st.bold ? " bold" : "") + (st.locked ? " locked" : "") +
                              " align=" + std::to_string(st.horizontalAlignment) +
                              " bottom=" + std::to_string(st.bottom.style) + "/" +
                              std::to_string(st.bottom.weight) + "/" + std::to_string(st.bottom.color));
            };
        };
        x.forEachCell(i, collect(cx, xs));
        y.forEachCell(i, collect(cy, ys));
        EXPECT_EQ(cx, cy);
    }
    auto nx = x.names(), ny = y.names();
    ASSERT_EQ(nx.size(), ny.size());
    for (std::size_t k = 0; k < nx.size(); ++k) {
        EXPECT_EQ(nx[k].name, ny[k].name);
        EXPECT_EQ(nx[k].refersToA1, ny[k].refersToA1);
        EXPECT_EQ(nx[k].hidden, ny[k].hidden);
    }
    EXPECT_EQ(x.structureProtected(), y.structureProtected());
    EXPECT_EQ(x.structurePasswordHash(), y.structurePasswordHash());
    EXPECT_EQ(x.customProperties(), y.customProperties());
    for (const auto& [name, value] : x.documentProperties())
        EXPECT_EQ(b.builtinProperty(name).toString(), value) << name;
}

} // namespace

TEST(XlsxReaderTest, WorkbookSavedByTheWriterOpensWithEveryFeatureEqual) {
    qv::test::HostFixture f;
    buildSample(*f.book);
    TempDir dir;
    ASSERT_TRUE(f.book->saveAs(dir.file("sample.xlsx")));
    OpenRecorder events;
    f.app->addEventListener(&events);
    f.book->close(false);

    auto opened = std::dynamic_pointer_cast<Workbook>(f.app->openWorkbook(dir.file("sample.xlsx")));
    ASSERT_TRUE(opened);
    EXPECT_EQ(opened->name(), "sample.xlsx");
    EXPECT_EQ(opened->path(), dir.path());
    EXPECT_EQ(opened->fullName(), dir.file("sample.xlsx"));
    EXPECT_TRUE(opened->saved());
    EXPECT_EQ(f.app->activeWorkbook(), opened);
    EXPECT_EQ(events.opened, std::vector<std::string>{"sample.xlsx"});
    EXPECT_EQ(f.app->workbookCount(), 1);

    qv::test::HostFixture g;
    buildSample(*g.book);
    expectSameBook(*g.book, *opened);
    f.app->removeEventListener(&events);
}

TEST(XlsxReaderTest, OpenedValuesKeepTheirTypesAndProtectionTheirPasswords) {
    qv::test::HostFixture f;
    buildSample(*f.book);
    TempDir dir;
    ASSERT_TRUE(f.book->saveAs(dir.file("sample.xlsx")));
    f.book->close(false);
    auto book = std::dynamic_pointer_cast<Workbook>(f.app->openWorkbook(dir.file("sample.xlsx")));
    auto ws = book->worksheet("Orders");
    EXPECT_TRUE(ws->range("E2")->value().isBool());
    EXPECT_EQ(ws->range("D2")->value(), Variant(OleDate{45000.5}));
    EXPECT_EQ(ws->range("C3")->value(), Variant(ErrorValue{2042}));
    EXPECT_EQ(ws->range("B3")->value().str(), " lead & <trail> ");
    EXPECT_EQ(ws->range("B4")->value().str(), "line1\nline2");
    EXPECT_EQ(ws->range("A4")->formula(), "=A2*2");
    EXPECT_EQ(ws->range("F2")->text(), "12.5%");
    EXPECT_EQ(book->builtinProperty("Revision Number").toInt64(), 12); // the add-in's edition switch
    EXPECT_EQ(book->customProperty("Edition").toString(), "LT");
    EXPECT_EQ(book->worksheet("Lists")->visible(), xl::SheetVeryHidden);
    EXPECT_EQ(book->worksheet("Old data")->visible(), xl::SheetHidden);
    EXPECT_EQ(book->activeSheet()->name(), "Orders");
    ASSERT_TRUE(book->nameRange("ListValues"));
    EXPECT_EQ(book->nameRange("ListValues")->address(), "$A$1:$A$3");

    // Only the verifier of the password is in the file: the right password still unlocks.
    EXPECT_TRUE(ws->protectContents());
    EXPECT_THROW(ws->unprotect("wrong"), NumberedError);
    EXPECT_THROW(ws->range("A2")->setValue(5.0), NumberedError);
    ws->unprotect("secret");
    EXPECT_FALSE(ws->protectContents());
    EXPECT_THROW(book->addWorksheet(), NumberedError);
    EXPECT_THROW(book->unprotectStructure("wrong"), NumberedError);
    book->unprotectStructure("book");
    EXPECT_NO_THROW(book->addWorksheet());
}

TEST(XlsxReaderTest, DateInAGeneralCellComesBackAsADate) {
    qv::test::HostFixture f;
    f.sheet->range("A1")->setValue(Variant(OleDate{45000.0}));
    f.sheet->range("A2")->setValue(Variant(OleDate{45000.25}));
    f.sheet->range("A3")->setValue(Variant(OleDate{0.75})); // a time of day only
    f.sheet->range("A4")->setValue(Variant(OleDate{40.0})); // before the file's phantom 29 February 1900
    TempDir dir;
    ASSERT_TRUE(f.book->saveAs(dir.file("dates.xlsx")));
    f.book->close(false);
    auto ws = f.app->openWorkbook(dir.file("dates.xlsx"))->worksheet(1);
    EXPECT_EQ(ws->range("A1")->value(), Variant(OleDate{45000.0}));
    EXPECT_EQ(ws->range("A2")->value(), Variant(OleDate{45000.25}));
    EXPECT_EQ(ws->range("A3")->value(), Variant(OleDate{0.75}));
    EXPECT_EQ(ws->range("A4")->value(), Variant(OleDate{40.0}));
}

TEST(XlsxReaderTest, OpeningTwiceAnswersTheOpenWorkbookAndSameNameIsRefused) {
    qv::test::HostFixture f;
    TempDir dir;
    ASSERT_TRUE(f.book->saveAs(dir.file("one.xlsx")));
    auto again = f.app->openWorkbook(dir.file("one.xlsx"));
    EXPECT_EQ(again, f.book);
    EXPECT_EQ(f.app->workbookCount(), 1);

    std::filesystem::create_directory(dir.file("other"));
    std::filesystem::copy_file(dir.file("one.xlsx"), dir.file("other/one.xlsx"));
    try {
        f.app->openWorkbook(dir.file("other/one.xlsx"));
        FAIL() << "a second workbook named one.xlsx was opened";
    } catch (const NumberedError& e) {
        EXPECT_EQ(e.number(), err::ApplicationDefined);
        EXPECT_NE(e.description().find("one.xlsx"), std::string::npos);
    }
    EXPECT_EQ(f.app->workbookCount(), 1);
}

TEST(XlsxReaderTest, EventsOffOpensWithoutTheOpenEvent) {
    qv::test::HostFixture f;
    TempDir dir;
    ASSERT_TRUE(f.book->saveAs(dir.file("quiet.xlsx")));
    f.book->close(false);
    OpenRecorder events;
    f.app->addEventListener(&events);
    f.app->setEnableEvents(false);
    EXPECT_TRUE(f.app->openWorkbook(dir.file("quiet.xlsx")));
    EXPECT_TRUE(events.opened.empty());
    f.app->removeEventListener(&events);
}
