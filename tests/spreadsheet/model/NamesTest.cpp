#include "tests/spreadsheet/support/SheetTestSupport.h"

using namespace qv;
using namespace qv::test;

TEST(WorkbookNamesTest, R1C1NamesResolveToTheirCellsAndFollowInsertedRows) {
    HostFixture h;
    h.sheet->setName("My Lists");
    h.book->addName("lst_1", "='My Lists'!R5C2:R8C2");
    auto r = h.book->nameRange("LST_1");
    ASSERT_TRUE(r);
    EXPECT_EQ(r->address(), "$B$5:$B$8");
    ASSERT_EQ(h.book->names().size(), 1u);
    EXPECT_EQ(h.book->names()[0].refersToR1C1, "='My Lists'!R5C2:R8C2");

    h.sheet->rows(2, 3)->insertCells();
    EXPECT_EQ(h.book->nameRange("lst_1")->address(), "$B$7:$B$10");
    h.sheet->rows(7, 10)->deleteCells();
    EXPECT_EQ(h.book->nameRange("lst_1"), nullptr);
    EXPECT_EQ(h.book->names()[0].refersToR1C1, "='My Lists'!#REF!");
    h.book->deleteName("lst_1");
    EXPECT_TRUE(h.book->names().empty());
}

TEST(WorkbookNamesTest, BrokenReferencesAndBadNamesAreRefused) {
    HostFixture h;
    EXPECT_EQ(errorOf([&] { h.book->addName("x1", "=Nowhere!R1C1"); }).number(), err::ApplicationDefined);
    EXPECT_EQ(errorOf([&] { h.book->addName("x1", "=Sheet1!R0C1"); }).number(), err::ApplicationDefined);
    EXPECT_EQ(errorOf([&] { h.book->addName("A1", "=Sheet1!R1C1"); }).number(), err::ApplicationDefined);
    EXPECT_EQ(errorOf([&] { h.book->addName("has space", "=Sheet1!R1C1"); }).number(),
              err::ApplicationDefined);
    EXPECT_TRUE(h.book->names().empty());
    // Renaming the sheet keeps the name pointing at it; deleting the sheet breaks it.
    h.book->addWorksheet();
    h.book->addName("lst_Boolean", "=Sheet1!R3C2:R4C2");
    h.sheet->setName("Lists");
    EXPECT_EQ(h.book->names()[0].refersToR1C1, "=Lists!R3C2:R4C2");
    h.app->setDisplayAlerts(false);
    h.book->deleteWorksheet(h.sheet);
    EXPECT_EQ(h.book->nameRange("lst_Boolean"), nullptr);
}

TEST(CellAddressTest, ParsesTheAddressFormsTheHostAccepts) {
    using sheet::CellAddress;
    using sheet::Rect;
    EXPECT_EQ(CellAddress::parseA1("$B$2")->at(0), (Rect{2, 2, 2, 2}));
    EXPECT_EQ(CellAddress::parseA1("C3:A1")->at(0), (Rect{1, 1, 3, 3}));
    EXPECT_EQ(CellAddress::parseA1("A:B")->at(0), (Rect{1, 1, sheet::MaxRow, 2}));
    EXPECT_EQ(CellAddress::parseA1("2:2")->at(0), (Rect{2, 1, 2, sheet::MaxColumn}));
    EXPECT_EQ(CellAddress::parseA1("A1, C3:D4")->size(), 2u);
    EXPECT_FALSE(CellAddress::parseA1("A"));
    EXPECT_FALSE(CellAddress::parseA1("XFE1"));
    EXPECT_FALSE(CellAddress::parseA1("A1048577"));
    EXPECT_FALSE(CellAddress::parseA1("A1:"));
    EXPECT_EQ(CellAddress::columnLetters(27), "AA");
    EXPECT_EQ(CellAddress::columnLetters(26), "Z");
    EXPECT_EQ(CellAddress::formatR1C1({3, 2, 4, 2}), "R3C2:R4C2");
    HostFixture h;
    EXPECT_EQ(errorOf([&] { h.sheet->range("nonsense!"); }).number(), err::ApplicationDefined);
}
