#include "tests/spreadsheet/support/SheetTestSupport.h"

using namespace qv;
using namespace qv::test;

TEST(RangeFormatTest, ReadsAnswerNullWhenTheCellsDiffer) {
    HostFixture h;
    auto& s = *h.sheet;
    s.range("A1:A3")->setLocked(false);
    EXPECT_EQ(s.range("A1:A3")->locked(), Variant(false));
    EXPECT_TRUE(s.range("A1:A4")->locked().isNull());
    EXPECT_EQ(s.columns(2, 2)->locked(), Variant(true));
    s.range("B2")->setFontBold(true);
    EXPECT_TRUE(s.columns(2, 2)->fontBold().isNull());
    EXPECT_TRUE(s.allCells()->fontBold().isNull());
}

TEST(RangeFormatTest, WholeColumnFormatsReachCellsWrittenLater) {
    HostFixture h;
    auto& s = *h.sheet;
    s.cells(5, 3)->setValue(Variant(1.0));
    s.columns(3, 3)->setFillColorIndex(36);
    EXPECT_EQ(s.cells(5, 3)->fillColorIndex(), Variant(36));
    EXPECT_EQ(s.cells(900000, 3)->fillColorIndex(), Variant(36));
    EXPECT_EQ(s.cells(5, 3)->fillColor(), Variant(static_cast<int>(h.book->paletteColor(36))));
    EXPECT_EQ(s.cells(5, 4)->fillColorIndex(), Variant(xl::ColorNone));
    // A row format meets the column format where they cross.
    s.rows(1, 1)->setFontBold(true);
    EXPECT_EQ(s.cells(1, 3)->fontBold(), Variant(true));
    EXPECT_EQ(s.cells(1, 3)->fillColorIndex(), Variant(36));
    EXPECT_EQ(s.cells(2, 3)->fontBold(), Variant(false));
    EXPECT_EQ(errorOf([&] { s.cells(1, 1)->setFillColorIndex(57); }).number(), err::ApplicationDefined);
}

TEST(RangeFormatTest, StylesBordersAndTextFollowTheNumberFormat) {
    HostFixture h;
    auto& s = *h.sheet;
    s.range("A1:A2")->setStyle("Comma");
    EXPECT_EQ(s.range("A1")->numberFormat(), "#,##0.00");
    s.range("A2")->setStyle("Percent");
    EXPECT_EQ(s.range("A1:A2")->numberFormat(), "");
    EXPECT_EQ(errorOf([&] { s.range("A1")->setStyle("Fancy"); }).number(), err::ApplicationDefined);

    s.range("B2:C3")->setBorder(xl::BorderEdge::InsideVertical, xl::LineStyleContinuous, xl::WeightThin,
                                0xC0C0C0);
    const auto& style = s.style(s.data().effectiveStyle(2, 2));
    EXPECT_EQ(style.right.style, 1);
    EXPECT_EQ(style.right.color, 0xC0C0C0);
    EXPECT_EQ(style.left.style, 0);
    EXPECT_EQ(s.style(s.data().effectiveStyle(3, 3)).left.style, 1);
}

TEST(RangeFormatTest, AutoFitSizesColumnsToTheLongestDisplayedText) {
    HostFixture h;
    auto& s = *h.sheet;
    s.cells(1, 1)->setValue(Variant("short"));
    s.cells(2, 1)->setValue(Variant("a much longer text"));
    s.columns(1, 2)->autoFitColumns();
    EXPECT_GT(s.columns(1, 1)->columnWidth(), 18);
    EXPECT_LT(s.columns(1, 1)->columnWidth(), 20);
    EXPECT_DOUBLE_EQ(s.columns(2, 2)->columnWidth(), sheet::Worksheet::DefaultColumnWidth);
    s.columns(1, 1)->setColumnHidden(true);
    EXPECT_TRUE(s.cells(3, 1)->columnHidden());
}

TEST(RangeTest, NavigationStaysOnTheSheetAndAddressesBothStyles) {
    HostFixture h;
    auto r = h.sheet->range("B2:C4");
    EXPECT_EQ(r->offset(1, 1)->address(), "$C$3:$D$5");
    EXPECT_EQ(r->resize(1, 1)->address(false, false), "B2");
    EXPECT_EQ(r->rowAt(2)->address(), "$B$3:$C$3");
    EXPECT_EQ(r->columnAt(2)->address(xl::ReferenceStyle::R1C1 == xl::ReferenceStyle::R1C1, true,
                                      xl::ReferenceStyle::R1C1),
              "R2C3:R4C3");
    EXPECT_EQ(r->entireRow()->address(), "$2:$4");
    EXPECT_EQ(r->count(), 6);
    EXPECT_EQ(errorOf([&] { r->offset(-2, 0); }).number(), err::ApplicationDefined);
    auto both = h.app->intersect(h.sheet->range("A1:C3"), h.sheet->range("B2:D4,A3"));
    ASSERT_TRUE(both);
    EXPECT_EQ(both->address(false, false), "B2:C3,A3");
    EXPECT_EQ(h.app->intersect(h.sheet->range("A1"), h.sheet->range("B2")), nullptr);
}

// Regression: a date copied into a General cell showed as its serial number (44197).
TEST(RangeFormatTest, DatesInGeneralCellsShowAsDatesInTheHostsLanguage) {
    const double day = 44197.0;         // 1 January 2021
    const double dayAndTime = 44197.75; // 18:00
    HostFixture en;
    en.sheet->range("A1")->setValue(Variant(OleDate{day}));
    en.sheet->range("A2")->setValue(Variant(OleDate{dayAndTime}));
    EXPECT_EQ(en.sheet->range("A1")->text(), "1/1/2021");
    EXPECT_EQ(en.sheet->range("A2")->text(), "1/1/2021 18:00");
    en.sheet->range("A3")->setValue(Variant(day)); // a plain number stays a number
    EXPECT_EQ(en.sheet->range("A3")->text(), "44197");
    HostFixture nl(sheet::Locale::Dutch);
    nl.sheet->range("A1")->setValue(Variant(OleDate{day}));
    EXPECT_EQ(nl.sheet->range("A1")->text(), "1-1-2021");
    nl.sheet->range("A1")->setNumberFormat("yyyy-mm-dd");
    EXPECT_EQ(nl.sheet->range("A1")->text(), "2021-01-01");
}
