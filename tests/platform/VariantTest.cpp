#include "platform/Variant.h"
#include "platform/NumberedError.h"
#include "platform/OleDateTime.h"

#include <cmath>
#include <limits>

#include <gtest/gtest.h>

using namespace qv;

TEST(VariantTest, EmptyConvertsToZeroAndEmptyText) {
    Variant v;
    EXPECT_EQ(v.toString(), "");
    EXPECT_EQ(v.toDouble(), 0.0);
    EXPECT_FALSE(v.toBool());
}

TEST(VariantTest, NullRefusesConversionWithError94) {
    try {
        (void)Variant::null().toString();
        FAIL();
    } catch (const NumberedError& e) {
        EXPECT_EQ(e.number(), err::InvalidUseOfNull);
    }
}

TEST(VariantTest, NumericTextConvertsAndOtherTextIsATypeMismatch) {
    EXPECT_TRUE(Variant(" 12.5 ").isNumeric());
    EXPECT_DOUBLE_EQ(Variant("12.5").toDouble(), 12.5);
    EXPECT_FALSE(Variant("12,5x").isNumeric());
    try {
        (void)Variant("abc").toDouble();
        FAIL();
    } catch (const NumberedError& e) {
        EXPECT_EQ(e.number(), err::TypeMismatch);
    }
}

TEST(VariantTest, DoublesPrintWithoutTrailingZeros) {
    EXPECT_EQ(Variant(0.1 + 0.2).toString(), "0.3");
    EXPECT_EQ(Variant(100000.0).toString(), "100000");
    EXPECT_EQ(Variant(1e20).toString(), "1E+20");
    EXPECT_EQ(Variant(-2.5).toString(), "-2.5");
}

TEST(VariantTest, BooleansFollowTheAutomationModel) {
    EXPECT_EQ(Variant(true).toString(), "True");
    EXPECT_EQ(Variant(true).toDouble(), -1.0);
    EXPECT_TRUE(Variant("True").toBool());
    EXPECT_FALSE(Variant("False").toBool());
    EXPECT_TRUE(Variant(-1).toBool());
}

TEST(VariantTest, IntegerConversionRoundsHalfToEvenAndChecksOverflow) {
    EXPECT_EQ(Variant(2.5).toInt32(), 2);
    EXPECT_EQ(Variant(3.5).toInt32(), 4);
    EXPECT_THROW((void)Variant(5e9).toInt32(), NumberedError);
}

TEST(VariantTest, CurrencyKeepsFourDecimalsExactly) {
    Variant c(Currency::fromDouble(1234.5678));
    EXPECT_EQ(c.toCurrency().scaled, 12345678);
    EXPECT_EQ(c.toString(), "1234.5678");
}

TEST(OleDateTimeTest, EpochAndKnownDates) {
    EXPECT_DOUBLE_EQ(OleDateTime::fromParts({1899, 12, 30, 0, 0, 0}), 0.0);
    EXPECT_DOUBLE_EQ(OleDateTime::fromParts({1900, 1, 1, 0, 0, 0}), 2.0);
    EXPECT_DOUBLE_EQ(OleDateTime::fromParts({2024, 2, 29, 12, 0, 0}), 45351.5);
    EXPECT_EQ(OleDateTime::toParts(45351.5), (DateTimeParts{2024, 2, 29, 12, 0, 0}));
}

TEST(OleDateTimeTest, NegativeDatesCountTheFractionForwards) {
    const double d = OleDateTime::fromParts({1899, 12, 29, 6, 0, 0});
    EXPECT_DOUBLE_EQ(d, -1.25);
    EXPECT_EQ(OleDateTime::toParts(d), (DateTimeParts{1899, 12, 29, 6, 0, 0}));
}

TEST(OleDateTimeTest, ParsesIsoAndUsFormsAndRefusesNonsense) {
    EXPECT_DOUBLE_EQ(*OleDateTime::parse("2024-02-29"), 45351.0);
    EXPECT_DOUBLE_EQ(*OleDateTime::parse("02/29/2024 12:00:00"), 45351.5);
    EXPECT_DOUBLE_EQ(*OleDateTime::parse("2024-02-29T12:00"), 45351.5);
    EXPECT_FALSE(OleDateTime::parse("2023-02-29"));
    EXPECT_FALSE(OleDateTime::parse("hello"));
    EXPECT_FALSE(OleDateTime::parse("2024-01-01 25:00"));
}

TEST(OleDateTimeTest, SecondsSurviveARoundTrip) {
    const DateTimeParts p{2021, 7, 4, 23, 59, 59};
    EXPECT_EQ(OleDateTime::toParts(OleDateTime::fromParts(p)), p);
    EXPECT_EQ(OleDateTime::toIsoText(OleDateTime::fromParts(p)), "2021-07-04 23:59:59");
}

TEST(OleDateTimeTest, TheFourHundredYearRuleMakes2000ALeapYearAnd1900Not) {
    EXPECT_TRUE(OleDateTime::isValidDate(2000, 2, 29));
    EXPECT_TRUE(OleDateTime::isValidDate(2400, 2, 29));
    EXPECT_FALSE(OleDateTime::isValidDate(1900, 2, 29));
    EXPECT_FALSE(OleDateTime::isValidDate(2100, 2, 29));
    EXPECT_FALSE(OleDateTime::isValidDate(2000, 2, 30));
    // A stored 29 February 2000 reads back as that date, by every road a text takes.
    ASSERT_TRUE(OleDateTime::parse("2000-02-29"));
    EXPECT_DOUBLE_EQ(*OleDateTime::parse("2000-02-29"), 36585.0);
    EXPECT_DOUBLE_EQ(*OleDateTime::parse("02/29/2000 08:30"), 36585.0 + 8.5 / 24.0);
    EXPECT_EQ(OleDateTime::toParts(36585.0), (DateTimeParts{2000, 2, 29, 0, 0, 0}));
    EXPECT_EQ(OleDateTime::toParts(36586.0), (DateTimeParts{2000, 3, 1, 0, 0, 0}));
    EXPECT_DOUBLE_EQ(Variant("2000-02-29").toDate().value, 36585.0);
    EXPECT_FALSE(OleDateTime::parse("1900-02-29"));
    EXPECT_FALSE(OleDateTime::parse("2100-02-29"));
}

TEST(OleDateTimeTest, AFractionThatRoundsToMidnightIsTheNextDayNeverHour24) {
    EXPECT_EQ(OleDateTime::toParts(36526.999999), (DateTimeParts{2000, 1, 2, 0, 0, 0}));
    EXPECT_EQ(OleDateTime::toIsoText(36526.999999), "2000-01-02");
    // To the nearest second: 23:59:59.6 goes up to midnight, 23:59:59.4 stays.
    EXPECT_EQ(OleDateTime::toParts(36526.0 + 86399.6 / 86400.0), (DateTimeParts{2000, 1, 2, 0, 0, 0}));
    EXPECT_EQ(OleDateTime::toParts(36526.0 + 86399.4 / 86400.0), (DateTimeParts{2000, 1, 1, 23, 59, 59}));
    // Before the epoch the day counts backwards but the time forwards, so the carry goes
    // forwards too: -1.999999 is 29 December 1899 23:59:59.9, which rounds to 30 December.
    EXPECT_EQ(OleDateTime::toParts(-1.999999), (DateTimeParts{1899, 12, 30, 0, 0, 0}));
    EXPECT_EQ(OleDateTime::toParts(-2.999999), (DateTimeParts{1899, 12, 29, 0, 0, 0}));
    EXPECT_EQ(OleDateTime::toParts(-0.999999), (DateTimeParts{1899, 12, 31, 0, 0, 0}));
}

TEST(VariantTest, SingleAsDecimalIsTheShortestTextThatNarrowsBack) {
    EXPECT_EQ(Variant::singleAsDecimal(0.05f), 0.05);
    EXPECT_EQ(Variant::singleAsDecimal(1.0e-10f), 1.0e-10);
    for (float f : {0.1f, 1.0f / 3.0f, 16777217.0f, -3.4028235e38f, 1.4e-45f})
        EXPECT_EQ(static_cast<float>(Variant::singleAsDecimal(f)), f) << f;
    EXPECT_TRUE(std::isinf(Variant::singleAsDecimal(std::numeric_limits<float>::infinity())));
    EXPECT_TRUE(std::isnan(Variant::singleAsDecimal(std::numeric_limits<float>::quiet_NaN())));
}
