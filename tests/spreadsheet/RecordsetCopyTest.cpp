#include "SheetTestSupport.h"

using namespace qv;
using namespace qv::test;

namespace {
TestRecordset orders() {
    return TestRecordset({
        {"OrderID", ado::Integer, {Variant(1), Variant(2), Variant(3)}},
        {"Name", ado::VarWChar, {Variant("Zoë"), Variant::null(), Variant("")}},
        {"Amount", ado::Currency, {Variant(Currency::fromDouble(1.5)), Variant(2.25), Variant::null()}},
        {"Date", ado::DBTimeStamp, {Variant(OleDate{45000.5}), Variant::null(), Variant(OleDate{1.0})}},
        {"Shipped", ado::Boolean, {Variant(true), Variant(false), Variant::null()}},
        {"Photo", ado::LongVarBinary, {Variant(Binary{1, 2}), Variant::null(), Variant::null()}},
    });
}
} // namespace

TEST(RangeCopyFromRecordsetTest, CopiesEveryTypeAndLeavesNullsEmpty) {
    HostFixture h;
    auto rs = orders();
    EXPECT_EQ(h.sheet->cells(2, 1)->copyFromRecordset(rs), 3);
    EXPECT_TRUE(rs.eof());
    auto& s = *h.sheet;
    EXPECT_EQ(s.cells(2, 1)->value(), Variant(1.0));
    EXPECT_EQ(s.cells(2, 2)->value(), Variant("Zoë"));
    EXPECT_TRUE(s.cells(3, 2)->value().isEmpty());
    EXPECT_TRUE(s.cells(4, 2)->value().isEmpty());
    EXPECT_EQ(s.cells(2, 3)->value(), Variant(1.5));
    EXPECT_TRUE(s.cells(4, 3)->value().isEmpty());
    EXPECT_EQ(s.cells(2, 4)->value(), Variant(OleDate{45000.5}));
    EXPECT_EQ(s.cells(2, 5)->value(), Variant(true));
    EXPECT_EQ(s.cells(3, 5)->value(), Variant(false));
    EXPECT_TRUE(s.cells(2, 6)->value().isEmpty());
    EXPECT_EQ(s.usedRange()->address(), "$A$2:$E$4");
    // The same text twice shares one stored string.
    auto before = h.book->strings().size();
    s.cells(10, 1)->setValue(Variant("Zoë"));
    EXPECT_EQ(h.book->strings().size(), before);
}

TEST(RangeCopyFromRecordsetTest, CopiesTheRemainingRowsWithinTheLimits) {
    HostFixture h;
    auto rs = orders();
    rs.moveNext();
    EXPECT_EQ(h.sheet->cells(1, 1)->copyFromRecordset(rs, 1, 2), 1);
    EXPECT_EQ(h.sheet->cells(1, 1)->value(), Variant(2.0));
    EXPECT_TRUE(h.sheet->cells(2, 1)->value().isEmpty());
    EXPECT_TRUE(h.sheet->cells(1, 3)->value().isEmpty());
    EXPECT_FALSE(rs.eof());
    rs.moveNext();
    rs.moveNext();
    EXPECT_EQ(h.sheet->cells(5, 1)->copyFromRecordset(rs), 0);
}

TEST(RangeCopyFromRecordsetTest, LockedTargetOnAProtectedSheetIsRefusedWhole) {
    HostFixture h;
    auto rs = orders();
    h.sheet->protect("pw");
    EXPECT_EQ(errorOf([&] { h.sheet->cells(1, 1)->copyFromRecordset(rs); }).number(), err::ApplicationDefined);
    EXPECT_FALSE(h.sheet->data().usedExtent().has_value());
    EXPECT_FALSE(rs.eof());
}

TEST(WorkbookSavedTest, EveryChangeClearsSavedAndAFailedSaveChangesNothing) {
    HostFixture h;
    EXPECT_TRUE(h.book->saved());
    h.sheet->cells(1, 1)->setFontBold(true);
    EXPECT_FALSE(h.book->saved());
    h.book->setSaved(true);
    h.sheet->typeInto(1, 1, "x");
    EXPECT_FALSE(h.book->saved());
    h.book->setSaved(true);
    h.book->setBuiltinProperty("Revision Number", Variant("12"));
    EXPECT_FALSE(h.book->saved());
    EXPECT_EQ(h.book->builtinProperty("revision number"), Variant("12"));
    EXPECT_EQ(errorOf([&] { h.book->builtinProperty("No Such Property"); }).number(), err::InvalidProcedureCall);
    EXPECT_TRUE(h.book->customProperty("Edition").isEmpty());

    // The writer refuses (here: no writer for the format); name, path and Saved stay.
    auto e = errorOf([&] { h.book->saveAs("/nonexistent-dir/qv.unknownformat", 12345); });
    EXPECT_EQ(e.number(), err::ApplicationDefined);
    EXPECT_EQ(h.book->name(), "Book1");
    EXPECT_TRUE(h.book->path().empty());
    EXPECT_FALSE(h.book->saved());
}
