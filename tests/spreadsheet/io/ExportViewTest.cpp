#include "tests/spreadsheet/support/SheetTestSupport.h"

#include "spreadsheet/io/WorkbookExportView.h"
#include "spreadsheet/model/PasswordHash.h"

using namespace qv;
using namespace qv::test;

TEST(WorkbookExportViewTest, StreamsCellsRowByRowWithTheirStylesAndRules) {
    HostFixture h;
    auto& s = *h.sheet;
    s.cells(2, 2)->setValue(Variant("b2"));
    s.cells(1, 3)->setValue(Variant(3.0));
    s.cells(2, 1)->setFontBold(true); // formatted but empty: still visited
    s.range("B2:B5")->validation()->add(xl::ValidationType::List, xl::ValidationAlert::Stop,
                                        xl::ValidationOperator::Between, "a,b");
    s.range("A1:C2")->autoFilter();
    s.protect("pw", true, true);
    h.book->addName("lst_1", "=Sheet1!R2C2:R5C2");

    sheet::WorkbookExportView view(*h.book);
    std::vector<std::string> seen;
    view.forEachCell(0, [&](long r, long c, const sheet::ExportCell& cell) {
        seen.push_back(std::to_string(r) + "," + std::to_string(c) + "=" +
                       (cell.value.isEmpty() ? "" : cell.value.toString()));
        if (r == 2 && c == 1) {
            EXPECT_TRUE(view.styles()[cell.style].bold);
        }
    });
    EXPECT_EQ(seen, (std::vector<std::string>{"1,3=3", "2,1=", "2,2=b2"}));

    sheet::ExportSheet info = view.sheet(0);
    EXPECT_EQ(info.lastRow, 2);
    EXPECT_EQ(info.lastColumn, 3);
    ASSERT_EQ(info.validations.size(), 1u);
    EXPECT_EQ(info.validations[0].sqref, "B2:B5");
    EXPECT_EQ(info.validations[0].formula1, "\"a,b\"");
    EXPECT_EQ(info.autoFilterRef, "A1:C2");
    EXPECT_TRUE(info.protection.on);
    EXPECT_EQ(info.protection.passwordHash.size(), 4u);
    EXPECT_TRUE(info.protection.allowAutoFilter);
    ASSERT_EQ(view.names().size(), 1u);
    EXPECT_EQ(view.names()[0].refersToA1, "Sheet1!$B$2:$B$5");
}

// Each column's cell is reused from row to row; what a row hands out must be that row's value
// alone: no tail of a longer text before it, no type or formula left over from the row above.
TEST(WorkbookExportViewTest, ReusedCellsNeverCarryAValueOverFromTheRowAbove) {
    HostFixture h;
    auto& s = *h.sheet;
    s.cells(1, 1)->setValue(Variant("a text long enough to live outside the string itself"));
    s.cells(2, 1)->setValue(Variant("short"));
    s.cells(3, 1)->setValue(Variant(7.5));
    s.cells(4, 1)->setValue(Variant("Zoë after a number"));
    s.cells(1, 2)->setFormula("=1+1");
    s.cells(2, 2)->setValue(Variant(true));
    s.cells(4, 2)->setValue(Variant(OleDate{45000.5}));

    sheet::WorkbookExportView view(*h.book);
    std::vector<std::string> seen;
    view.forEachCell(0, [&](long r, long c, const sheet::ExportCell& cell) {
        const char* type = cell.value.isString() ? "s"
                           : cell.value.isDate() ? "d"
                           : cell.value.isBool() ? "b"
                                                 : "n";
        seen.push_back(std::to_string(r) + "," + std::to_string(c) + ":" + type + "=" +
                       (cell.value.isEmpty() ? "" : cell.value.toString()) + "|" + cell.formula);
    });
    std::vector<std::string> expected = {"1,1:s=a text long enough to live outside the string itself|",
                                         "1,2:n=|1+1",
                                         "2,1:s=short|",
                                         "2,2:b=True|",
                                         "3,1:n=7.5|",
                                         "4,1:s=Zoë after a number|",
                                         "4,2:d=" + Variant(OleDate{45000.5}).toString() + "|"};
    EXPECT_EQ(seen, expected);
}

TEST(WorkbookExportViewTest, PasswordHashIsTheHostsLegacyVerifier) {
    // Known verifier of the host's sheet protection for "password".
    EXPECT_EQ(sheet::PasswordHash::legacy("password"), "83AF");
    EXPECT_EQ(sheet::PasswordHash::legacy(""), "");
}

TEST(WorksheetStructureTest, ARowInsertedBelowTheDataTakesTheFormatAbove) {
    HostFixture h;
    auto& s = *h.sheet;
    s.range("A1:B3")->setValue(Variant(1.0));
    s.range("A2:B3")->setLocked(false);
    s.range("A2:B3")->setFillColor(0x00FFFF);
    s.range("B2:B3")->validation()->add(xl::ValidationType::Decimal, xl::ValidationAlert::Stop,
                                        xl::ValidationOperator::Greater, "0");
    s.rows(4, 4)->insertCells();
    EXPECT_EQ(s.cells(4, 1)->locked(), Variant(false));
    EXPECT_EQ(s.cells(4, 2)->fillColor(), Variant(0x00FFFF));
    EXPECT_TRUE(s.cells(4, 2)->validation()->exists());
    EXPECT_TRUE(s.cells(4, 1)->value().isEmpty());
}

TEST(WorkbookExportViewTest, RowsOfABlockAreThoseOfTheWholeSheet) {
    HostFixture h;
    auto& s = *h.sheet;
    s.cells(3, 2)->setValue(Variant("first"));
    s.cells(4, 1)->setValue(Variant(4.0));
    s.cells(6, 3)->setFormula("=A4*2");
    s.cells(7, 2)->setFontBold(true);
    s.cells(9, 1)->setValue(Variant(true));
    sheet::WorkbookExportView view(*h.book);
    auto visit = [&](long first, long last) {
        std::vector<std::string> seen;
        view.forEachCellInRows(0, first, last, [&](long r, long c, const sheet::ExportCell& cell) {
            seen.push_back(std::to_string(r) + "," + std::to_string(c) + "=" + cell.value.toString() + "|" +
                           cell.formula);
        });
        return seen;
    };
    const std::vector<std::string> whole = visit(1, 1048576);
    ASSERT_EQ(whole.size(), 5u);
    // Blocks of every size, before, across and after the used rows, join into the whole.
    for (long size : {1L, 2L, 3L, 4L, 20L}) {
        std::vector<std::string> joined;
        for (long first = 1; first <= 12; first += size) {
            auto part = visit(first, first + size - 1);
            joined.insert(joined.end(), part.begin(), part.end());
        }
        EXPECT_EQ(joined, whole) << "blocks of " << size;
    }
    EXPECT_TRUE(visit(10, 20).empty());
    EXPECT_EQ(visit(6, 6), std::vector<std::string>{whole[2]});
}
