#include "tests/spreadsheet/support/SheetTestSupport.h"

using namespace qv;
using namespace qv::test;

namespace {
// Header in row 1, six records below: name, amount.
void fillList(sheet::Worksheet& s) {
    const char* names[] = {"Apple", "apricot", "Banana", "Cherry", "", "Avocado"};
    double amounts[] = {5, 12, 7, 30, 1, 12};
    s.cells(1, 1)->setValue(Variant("Name"));
    s.cells(1, 2)->setValue(Variant("Amount"));
    for (int i = 0; i < 6; ++i) {
        s.cells(i + 2, 1)->setValue(Variant(names[i]));
        s.cells(i + 2, 2)->setValue(Variant(amounts[i]));
    }
}
std::string hiddenRows(sheet::Worksheet& s) {
    std::string out;
    for (long r = 2; r <= 7; ++r)
        out += s.cells(r, 1)->rowHidden() ? 'h' : '.';
    return out;
}
} // namespace

TEST(AutoFilterTest, CriteriaHideTheRowsTheyExclude) {
    HostFixture h;
    fillList(*h.sheet);
    h.sheet->range("A1:B7")->autoFilter();
    ASSERT_TRUE(h.sheet->autoFilterMode());
    EXPECT_FALSE(h.sheet->filterMode());

    h.sheet->range("A1:B7")->autoFilter(1, "=a*");
    EXPECT_EQ(hiddenRows(*h.sheet), "..hhh.");
    EXPECT_TRUE(h.sheet->filterMode());
    EXPECT_EQ(h.sheet->filter(1).criteria1, "=a*");
    EXPECT_EQ(h.sheet->filter(1).op, 0);

    h.sheet->range("A1:B7")->autoFilter(2, ">=12");
    EXPECT_EQ(hiddenRows(*h.sheet), "h.hhh.");

    h.sheet->range("A1:B7")->autoFilter(1, "<>Apricot");
    EXPECT_EQ(hiddenRows(*h.sheet), "hhh.h.");

    h.sheet->range("A1:B7")->autoFilter(2, "=5", xl::FilterOr, "=30");
    h.sheet->range("A1:B7")->autoFilter(1, "");
    EXPECT_EQ(hiddenRows(*h.sheet), ".hh.hh");
    EXPECT_EQ(h.sheet->filter(2).op, xl::FilterOr);
    EXPECT_EQ(h.sheet->filter(2).criteria2, "=30");
    EXPECT_FALSE(h.sheet->filter(1).on);

    h.sheet->range("A1:B7")->autoFilter(2, "");
    h.sheet->range("A1:B7")->autoFilter(1, "=");
    EXPECT_EQ(hiddenRows(*h.sheet), "hhhh.h");

    h.sheet->range("A1:B7")->autoFilter(1, "=Banana\n=Cherry", xl::FilterValues);
    EXPECT_EQ(hiddenRows(*h.sheet), "hh..hh");
}

TEST(AutoFilterTest, ShowAllDataAndSwitchingOffShowEveryRow) {
    HostFixture h;
    fillList(*h.sheet);
    h.sheet->range("A1:B7")->autoFilter(2, "<10");
    EXPECT_EQ(hiddenRows(*h.sheet), ".h.h.h");
    h.sheet->showAllData();
    EXPECT_EQ(hiddenRows(*h.sheet), "......");
    EXPECT_FALSE(h.sheet->filterMode());
    EXPECT_TRUE(h.sheet->autoFilterMode());

    h.sheet->range("A1:B7")->autoFilter(2, "<10");
    h.sheet->protect("pw", false, true); // filtering stays allowed under protection
    h.sheet->range("A1:B7")->autoFilter(2, ">10");
    EXPECT_EQ(hiddenRows(*h.sheet), "h.h.h.");
    EXPECT_EQ(errorOf([&] { h.sheet->setAutoFilterMode(false); }).number(), err::ApplicationDefined);
    h.sheet->unprotect("pw");
    h.sheet->setAutoFilterMode(false);
    EXPECT_FALSE(h.sheet->autoFilterMode());
    EXPECT_EQ(hiddenRows(*h.sheet), "......");
    EXPECT_EQ(h.sheet->autoFilterRange(), nullptr);
}
