#include "tests/spreadsheet/support/SheetTestSupport.h"

using namespace qv;
using namespace qv::test;

namespace {
const char* const ReadOnly =
    "The cell or chart that you are trying to change is protected and therefore read-only.";
}

TEST(WorksheetProtectionTest, LockedCellRefusesTypingAndKeepsItsValue) {
    HostFixture h;
    h.sheet->cells(2, 2)->setValue(Variant(5.0));
    h.sheet->range("C2:C3")->setLocked(false);
    h.sheet->protect("pw", true, true);

    auto e = errorOf([&] { h.sheet->typeInto(2, 2, "7"); });
    EXPECT_EQ(e.number(), err::ApplicationDefined);
    EXPECT_EQ(e.description(), ReadOnly);
    EXPECT_EQ(h.sheet->cells(2, 2)->value(), Variant(5.0));

    EXPECT_TRUE(h.sheet->typeInto(3, 3, "8"));
    EXPECT_EQ(h.sheet->cells(3, 3)->value(), Variant(8.0));
}

TEST(WorksheetProtectionTest, CodeWritingIntoALockedBlockChangesNothing) {
    HostFixture h;
    h.sheet->range("A1:A3")->setLocked(false);
    h.sheet->protect("pw");
    // A3 is unlocked, A4 is locked: the whole write is refused.
    EXPECT_EQ(errorOf([&] { h.sheet->range("A3:A4")->setValue(Variant("x")); }).number(),
              err::ApplicationDefined);
    EXPECT_TRUE(h.sheet->cells(3, 1)->value().isEmpty());
    // Formatting is refused too, column widths only when allowed.
    EXPECT_EQ(errorOf([&] { h.sheet->cells(1, 1)->setFillColor(255); }).number(), err::ApplicationDefined);
    EXPECT_EQ(errorOf([&] { h.sheet->columns(1, 1)->setColumnWidth(20); }).number(), err::ApplicationDefined);
}

TEST(WorksheetProtectionTest, WrongPasswordLeavesTheSheetProtected) {
    HostFixture h;
    h.sheet->protect("secret", true, false);
    auto e = errorOf([&] { h.sheet->unprotect("Secret"); });
    EXPECT_EQ(e.number(), err::ApplicationDefined);
    EXPECT_EQ(e.description(), "The password you supplied is not correct.");
    EXPECT_TRUE(h.sheet->protectContents());
    // Column formatting stays allowed under the same protection.
    h.sheet->columns(2, 2)->setColumnWidth(12);
    EXPECT_DOUBLE_EQ(h.sheet->columns(2, 2)->columnWidth(), 12);
    h.sheet->unprotect("secret");
    EXPECT_FALSE(h.sheet->protectContents());
}

TEST(WorkbookProtectionTest, StructureProtectionRefusesSheetChangesAndWrongPasswords) {
    HostFixture h;
    h.book->protectStructure("pw");
    EXPECT_EQ(errorOf([&] { h.book->addWorksheet(); }).number(), err::ApplicationDefined);
    EXPECT_EQ(errorOf([&] { h.sheet->setName("Other"); }).number(), err::ApplicationDefined);
    EXPECT_EQ(h.book->worksheetCount(), 1);
    EXPECT_EQ(h.sheet->name(), "Sheet1");

    EXPECT_EQ(errorOf([&] { h.book->unprotectStructure("wrong"); }).number(), err::ApplicationDefined);
    EXPECT_TRUE(h.book->structureProtected());
    h.book->unprotectStructure("pw");
    EXPECT_FALSE(h.book->structureProtected());
    h.book->addWorksheet();
    EXPECT_EQ(h.book->worksheetCount(), 2);
}

TEST(WorksheetProtectionTest, UnlockedWholeRowsAndColumnsAcceptEntriesAnywhereAlongThem) {
    HostFixture h;
    h.sheet->rows(5, 5)->setLocked(false);
    h.sheet->columns(4, 4)->setLocked(false);
    h.sheet->protect("pw");
    EXPECT_TRUE(h.sheet->typeInto(5, 300, "row"));
    EXPECT_TRUE(h.sheet->typeInto(900000, 4, "column"));
    EXPECT_EQ(errorOf([&] { h.sheet->typeInto(6, 3, "x"); }).number(), err::ApplicationDefined);
    EXPECT_EQ(errorOf([&] { h.sheet->range("D4:E5")->setValue(Variant(1.0)); }).number(),
              err::ApplicationDefined);
    h.sheet->range("D4:D6")->setValue(Variant(1.0));
    EXPECT_EQ(h.sheet->cells(6, 4)->value(), Variant(1.0));
}
