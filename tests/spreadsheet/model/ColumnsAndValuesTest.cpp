#include "tests/spreadsheet/support/SheetTestSupport.h"

#include <cmath>

using namespace qv;
using namespace qv::test;

TEST(WorksheetStructureTest, InsertedColumnsShiftRulesNamesAndFiltersAndTakeTheFormatOnTheLeft) {
    HostFixture h;
    auto& s = *h.sheet;
    s.range("A1:C1")->setValues([] {
        VariantMatrix m(1, 3);
        m.at(0, 0) = Variant("Key"), m.at(0, 1) = Variant("Name"), m.at(0, 2) = Variant("City");
        return m;
    }());
    s.range("A2:C3")->setValue(Variant("v"));
    s.columns(2, 2)->setFillColor(0x00FFFF);
    s.range("C2:C3")->validation()->add(xl::ValidationType::TextLength, xl::ValidationAlert::Stop,
                                        xl::ValidationOperator::LessEqual, "10");
    h.book->addName("cities", "=Sheet1!R2C3:R3C3");
    s.range("A1:C3")->autoFilter(3, "=v");

    s.columns(2, 2)->insertCells();
    EXPECT_EQ(s.cells(1, 4)->value(), Variant("City"));
    EXPECT_EQ(s.cells(2, 2)->fillColor(), Variant(0xFFFFFF)); // from column A on the left
    EXPECT_EQ(s.cells(2, 3)->fillColor(), Variant(0x00FFFF));
    EXPECT_TRUE(s.cells(2, 4)->validation()->exists());
    EXPECT_FALSE(s.cells(2, 3)->validation()->exists());
    EXPECT_EQ(h.book->nameRange("cities")->address(), "$D$2:$D$3");
    ASSERT_EQ(s.filterCount(), 4);
    EXPECT_TRUE(s.filter(4).on);
    EXPECT_FALSE(s.filter(3).on);

    s.columns(3, 3)->deleteCells(); // the old Name column
    EXPECT_EQ(s.cells(1, 3)->value(), Variant("City"));
    EXPECT_EQ(s.filterCount(), 3);
    EXPECT_TRUE(s.filter(3).on);
    EXPECT_EQ(h.book->names()[0].refersToR1C1, "=Sheet1!R2C3:R3C3");
}

TEST(RangeValuesTest, CodeWritesReadTextLikeTypingAndKeepFormulas) {
    HostFixture h;
    auto& s = *h.sheet;
    VariantMatrix m(2, 2);
    m.at(0, 0) = Variant("12");
    m.at(0, 1) = Variant("=SUM(A1:A2)");
    m.at(1, 0) = Variant::null();
    m.at(1, 1) = Variant(ErrorValue{2042});
    s.range("A1")->setValues(m);
    EXPECT_EQ(s.cells(1, 1)->value(), Variant(12.0));
    EXPECT_EQ(s.cells(1, 2)->formula(), "=SUM(A1:A2)");
    EXPECT_TRUE(s.cells(2, 1)->value().isEmpty());
    EXPECT_EQ(s.cells(2, 2)->value(), Variant(ErrorValue{2042}));
    VariantMatrix back = s.range("A1:B2")->values();
    EXPECT_EQ(back.at(0, 0), Variant(12.0));
    EXPECT_EQ(s.cells(1, 1)->formula(), "12");
    // Writing a value over a formula drops the formula.
    s.cells(1, 2)->setValue(Variant(1.0));
    EXPECT_EQ(s.cells(1, 2)->formula(), "1");
    EXPECT_EQ(s.usedRange()->address(false, false), "A1:B2");
}

TEST(SheetFormatPrecedenceTest, WholeRowFormatsOverColumnFormatsAndBack) {
    HostFixture h;
    auto& s = *h.sheet;
    s.columns(2, 2)->setFillColor(0x0000FF);
    s.rows(3, 4)->setLocked(false);
    EXPECT_EQ(s.cells(3, 2)->fillColor(), Variant(0x0000FF)); // the crossing keeps the column fill
    EXPECT_EQ(s.cells(3, 2)->locked(), Variant(false));
    EXPECT_EQ(s.cells(3, 9)->locked(), Variant(false));
    EXPECT_EQ(s.cells(5, 2)->locked(), Variant(true));
    s.columns(2, 2)->setFontBold(true);
    EXPECT_EQ(s.cells(3, 2)->fontBold(), Variant(true));
    EXPECT_EQ(s.cells(3, 2)->locked(), Variant(false));
    EXPECT_EQ(s.cells(3, 3)->fontBold(), Variant(false));
    EXPECT_TRUE(s.range("B2:B5")->fillColor() == Variant(0x0000FF));
}

TEST(RangeValuesTest, TransformNumbersRewritesOnlyNumberCellsAndRaisesOneChange) {
    HostFixture h;
    auto& s = *h.sheet;
    VariantMatrix m(7, 2);
    m.at(0, 0) = Variant(1.26), m.at(0, 1) = Variant(9.99);
    m.at(1, 0) = Variant(OleDate{45000.75});
    m.at(2, 0) = Variant(true);
    m.at(3, 0) = Variant("'12.5"); // a text that reads as a number stays a text
    m.at(4, 0) = Variant(ErrorValue{2007});
    m.at(6, 0) = Variant(-0.04);
    s.range("A1:B7")->setValues(m);
    EventRecorder rec;
    h.app->addEventListener(&rec);

    s.range("A1:A8")->transformNumbers([](double v) { return std::round(v * 10) / 10; });
    EXPECT_EQ(s.cells(1, 1)->value(), Variant(1.3));
    EXPECT_EQ(s.cells(2, 1)->value(), Variant(OleDate{45000.75}));
    EXPECT_EQ(s.cells(3, 1)->value(), Variant(true));
    EXPECT_EQ(s.cells(4, 1)->value(), Variant("12.5"));
    EXPECT_EQ(s.cells(5, 1)->value(), Variant(ErrorValue{2007}));
    EXPECT_TRUE(s.cells(6, 1)->value().isEmpty());
    EXPECT_TRUE(s.cells(8, 1)->value().isEmpty()); // past the column's last row nothing appears
    EXPECT_TRUE(std::signbit(s.cells(7, 1)->value().toDouble()));
    EXPECT_EQ(s.cells(1, 2)->value(), Variant(9.99)); // outside the range
    ASSERT_EQ(rec.changes.size(), 1u);
    EXPECT_EQ(rec.changes[0].address, "A1:A8");

    // Nothing to change: no event, and a column the sheet never stored is no error.
    s.range("A1:A8")->transformNumbers([](double v) { return v; });
    s.range("F1:G3")->transformNumbers([](double v) { return v + 1; });
    EXPECT_EQ(rec.changes.size(), 1u);
    EXPECT_TRUE(s.cells(1, 6)->value().isEmpty());
    h.app->removeEventListener(&rec);
}

TEST(RangeValuesTest, TransformNumbersOnLockedCellsIsRefusedBeforeAnythingChanges) {
    HostFixture h;
    auto& s = *h.sheet;
    VariantMatrix m(3, 1);
    m.at(0, 0) = Variant(1.0), m.at(1, 0) = Variant(2.0), m.at(2, 0) = Variant(3.0);
    s.range("A1:A3")->setValues(m);
    s.range("A1:A2")->setLocked(false);
    s.protect("pw");
    // Unchanged values are no write, so a locked cell among them is not refused.
    s.range("A1:A3")->transformNumbers([](double v) { return v; });
    auto e = errorOf([&] { s.range("A1:A3")->transformNumbers([](double v) { return v * 2; }); });
    EXPECT_EQ(e.number(), err::ApplicationDefined);
    EXPECT_EQ(s.cells(1, 1)->value(), Variant(1.0));
    EXPECT_EQ(s.cells(3, 1)->value(), Variant(3.0));
    s.range("A1:A2")->transformNumbers([](double v) { return v * 2; });
    EXPECT_EQ(s.cells(2, 1)->value(), Variant(4.0));
}

TEST(RangeValuesTest, TransformNumbersReachesEveryAreaOfTheRange) {
    HostFixture h;
    auto& s = *h.sheet;
    VariantMatrix m(2, 3);
    for (std::size_t r = 0; r < 2; ++r)
        for (std::size_t c = 0; c < 3; ++c)
            m.at(r, c) = Variant(1.0 + static_cast<double>(r * 3 + c));
    s.range("A1:C2")->setValues(m);
    s.range("A1:A2,C2")->transformNumbers([](double v) { return -v; });
    EXPECT_EQ(s.cells(1, 1)->value(), Variant(-1.0));
    EXPECT_EQ(s.cells(2, 1)->value(), Variant(-4.0));
    EXPECT_EQ(s.cells(2, 3)->value(), Variant(-6.0));
    EXPECT_EQ(s.cells(1, 3)->value(), Variant(3.0)); // between the areas nothing changes
    EXPECT_EQ(s.cells(2, 2)->value(), Variant(5.0));

    // A locked cell in the second area refuses the whole call before the first area changes.
    s.range("A1:A2")->setLocked(false);
    s.protect("pw");
    auto e = errorOf([&] { s.range("A1:A2,C2")->transformNumbers([](double v) { return v * 2; }); });
    EXPECT_EQ(e.number(), err::ApplicationDefined);
    EXPECT_EQ(s.cells(1, 1)->value(), Variant(-1.0));
}
