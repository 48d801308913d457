#include "tests/spreadsheet/support/SheetTestSupport.h"

using namespace qv;
using namespace qv::test;

TEST(WorksheetNameTest, InvalidOrTakenNamesAreRefusedAndChangeNothing) {
    HostFixture h;
    h.book->addWorksheet(h.sheet); // Sheet2
    for (const char* bad : {"", "a:b", "a\\b", "a/b", "a?b", "a*b", "a[b", "a]b", "'quoted", "sheet2",
                            "12345678901234567890123456789012"}) {
        auto e = errorOf([&] { h.sheet->setName(bad); });
        EXPECT_EQ(e.number(), err::ApplicationDefined) << bad;
        EXPECT_EQ(h.sheet->name(), "Sheet1") << bad;
    }
    h.sheet->setName("1234567890123456789012345678901");
    EXPECT_EQ(h.sheet->name().size(), 31u);
    EXPECT_EQ(h.book->worksheet("1234567890123456789012345678901")->index(), 1);
    EXPECT_EQ(errorOf([&] { h.book->worksheet("missing"); }).number(), err::SubscriptOutOfRange);
}

TEST(WorksheetNameTest, TheLengthLimitCountsCharactersAsTheHostDoes) {
    HostFixture h;
    auto repeat = [](const std::string& s, int n) {
        std::string out;
        for (int i = 0; i < n; ++i)
            out += s;
        return out;
    };
    const std::string zhe = "\xD0\x96", grin = "\xF0\x9F\x98\x80";
    // Twenty Cyrillic letters are forty bytes but twenty characters.
    h.sheet->setName(repeat(zhe, 20));
    EXPECT_EQ(h.sheet->name(), repeat(zhe, 20));
    h.sheet->setName(repeat(zhe, 31));
    EXPECT_EQ(h.sheet->name(), repeat(zhe, 31));
    EXPECT_EQ(errorOf([&] { h.sheet->setName(repeat(zhe, 32)); }).number(), err::ApplicationDefined);
    // A character outside the BMP counts twice, as in the host's UTF-16.
    h.sheet->setName("a" + repeat(grin, 15));
    EXPECT_EQ(errorOf([&] { h.sheet->setName(repeat(grin, 16)); }).number(), err::ApplicationDefined);
    EXPECT_EQ(h.sheet->name(), "a" + repeat(grin, 15));
    // A name that is not text at all (cut inside a character) would make the file unreadable.
    EXPECT_EQ(errorOf([&] { h.sheet->setName("Blad" + zhe.substr(0, 1)); }).number(),
              err::ApplicationDefined);
    EXPECT_EQ(h.sheet->name(), "a" + repeat(grin, 15));
}

TEST(WorksheetVisibilityTest, TheLastVisibleSheetCannotBeHiddenOrDeleted) {
    HostFixture h;
    auto lists = h.book->addWorksheet(h.sheet);
    lists->setVisible(xl::SheetVeryHidden);
    EXPECT_EQ(errorOf([&] { h.sheet->setVisible(xl::SheetHidden); }).number(), err::ApplicationDefined);
    EXPECT_EQ(errorOf([&] { h.book->deleteWorksheet(h.sheet); }).number(), err::ApplicationDefined);
    EXPECT_EQ(h.sheet->visible(), xl::SheetVisible);
    EXPECT_EQ(errorOf([&] { lists->activate(); }).number(), err::ApplicationDefined);
}

TEST(WorksheetStructureTest, InsertedAndDeletedRowsShiftValuesStylesRulesAndComments) {
    HostFixture h;
    auto& s = *h.sheet;
    for (long r = 1; r <= 5; ++r)
        s.cells(r, 1)->setValue(Variant(static_cast<double>(r)));
    s.range("A3")->setFillColor(0x00FF00);
    s.range("A2:A4")->validation()->add(xl::ValidationType::Decimal, xl::ValidationAlert::Stop,
                                        xl::ValidationOperator::Greater, "0");
    s.range("A5")->addComment("five");

    s.rows(3, 4)->insertCells();
    EXPECT_EQ(s.cells(5, 1)->value(), Variant(3.0));
    EXPECT_TRUE(s.cells(3, 1)->value().isEmpty());
    EXPECT_EQ(s.cells(5, 1)->fillColor(), Variant(0x00FF00));
    EXPECT_EQ(s.cells(3, 1)->fillColor(), Variant(0xFFFFFF)); // format from the row above (A2)
    EXPECT_TRUE(s.cells(6, 1)->validation()->exists());
    EXPECT_TRUE(s.cells(3, 1)->validation()->exists()); // inserted inside the rule
    EXPECT_FALSE(s.cells(7, 1)->validation()->exists());
    ASSERT_TRUE(s.cells(7, 1)->comment());
    EXPECT_EQ(s.cells(7, 1)->comment()->text(), "five");

    s.rows(2, 3)->deleteCells();
    EXPECT_TRUE(s.cells(2, 1)->value().isEmpty()); // the second inserted row moved up
    EXPECT_EQ(s.cells(3, 1)->value(), Variant(3.0));
    EXPECT_EQ(s.cells(3, 1)->fillColor(), Variant(0x00FF00));
    ASSERT_TRUE(s.cells(5, 1)->comment());
    EXPECT_FALSE(s.cells(5, 1)->validation()->exists());
    EXPECT_TRUE(s.cells(4, 1)->validation()->exists());
    EXPECT_EQ(s.usedRange()->address(), "$A$1:$A$5");
}

TEST(WorksheetStructureTest, DeletedColumnsShiftCellsAndWidthsLeft) {
    HostFixture h;
    auto& s = *h.sheet;
    s.cells(1, 3)->setValue(Variant("c"));
    s.columns(3, 3)->setColumnWidth(30);
    s.columns(1, 2)->deleteCells();
    EXPECT_EQ(s.cells(1, 1)->value(), Variant("c"));
    EXPECT_DOUBLE_EQ(s.columns(1, 1)->columnWidth(), 30);
    EXPECT_EQ(errorOf([&] { s.range("A1:B2")->deleteCells(); }).number(), err::ApplicationDefined);
}

TEST(WorksheetTest, EndDownFindsTheEdgeOfTheBlock) {
    HostFixture h;
    auto& s = *h.sheet;
    for (long r = 1; r <= 4; ++r)
        s.cells(r, 2)->setValue(Variant(1.0));
    s.cells(9, 2)->setValue(Variant(1.0));
    EXPECT_EQ(s.cells(1, 2)->endDown()->row(), 4);
    EXPECT_EQ(s.cells(4, 2)->endDown()->row(), 9);
    EXPECT_EQ(s.cells(9, 2)->endDown()->row(), sheet::MaxRow);
    EXPECT_EQ(s.cells(1, 5)->endDown()->row(), sheet::MaxRow);
}

TEST(WorksheetStructureTest, SeveralRowAreasAreDeletedTogetherAndOverlapsAreRefused) {
    HostFixture h;
    auto& s = *h.sheet;
    for (long r = 1; r <= 6; ++r)
        s.cells(r, 1)->setValue(Variant(static_cast<double>(r)));
    s.range("2:2,4:5")->deleteCells();
    EXPECT_EQ(s.cells(2, 1)->value(), Variant(3.0));
    EXPECT_EQ(s.cells(3, 1)->value(), Variant(6.0));
    EXPECT_TRUE(s.cells(4, 1)->value().isEmpty());
    EXPECT_EQ(errorOf([&] { s.range("1:2,2:3")->deleteCells(); }).number(), err::ApplicationDefined);
    EXPECT_EQ(s.cells(1, 1)->value(), Variant(1.0));
}
