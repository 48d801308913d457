#include "engines/accesssql/NumberText.h"

#include <gtest/gtest.h>

using qv::accesssql::NumberText;
using qv::accesssql::Rounding;

TEST(NumberTextTest, DoublesShowFifteenSignificantDigits) {
    EXPECT_EQ(NumberText::toText(0.1 + 0.2), "0.3");
    EXPECT_EQ(NumberText::toText(2), "2");
    EXPECT_EQ(NumberText::toText(-0.0), "0");
    EXPECT_EQ(NumberText::toText(1.5), "1.5");
    EXPECT_EQ(NumberText::toText(1e20), "1E+20");
    EXPECT_EQ(NumberText::toText(-1.5e-7), "-1.5E-07");
    EXPECT_EQ(NumberText::toText(123456789012345678.0), "1.23456789012346E+17");
}

TEST(NumberTextTest, RoundingWorksOnTheDecimalForm) {
    EXPECT_EQ(NumberText::round(2.5, 0, Rounding::HalfEven), 2);
    EXPECT_EQ(NumberText::round(3.5, 0, Rounding::HalfEven), 4);
    EXPECT_EQ(NumberText::round(-2.5, 0, Rounding::HalfEven), -2);
    EXPECT_EQ(NumberText::round(2.5000001, 0, Rounding::HalfEven), 3);
    EXPECT_EQ(NumberText::round(-2.5, 0, Rounding::HalfAwayFromZero), -3);
    EXPECT_DOUBLE_EQ(NumberText::round(0.125, 2, Rounding::HalfEven), 0.12);
    // 2.675 is 2.67499999... in binary; its decimal form 2.675 decides.
    EXPECT_DOUBLE_EQ(NumberText::round(2.675, 2, Rounding::HalfEven), 2.68);
    EXPECT_DOUBLE_EQ(NumberText::round(9.995, 2, Rounding::HalfAwayFromZero), 10.0);
    EXPECT_DOUBLE_EQ(NumberText::round(0.4, 0, Rounding::HalfEven), 0.0);
    EXPECT_DOUBLE_EQ(NumberText::round(0.5, 0, Rounding::HalfEven), 0.0);
    EXPECT_DOUBLE_EQ(NumberText::round(0.6, 0, Rounding::HalfEven), 1.0);
    EXPECT_DOUBLE_EQ(NumberText::round(1234.5678, 10, Rounding::HalfEven), 1234.5678);
    EXPECT_DOUBLE_EQ(NumberText::roundSignificant(0.1f, 7), 0.1);
    EXPECT_EQ(NumberText::fixed(-0.001, 2), "0.00");
    EXPECT_EQ(NumberText::fixed(1.005, 2), "1.01");
}

TEST(NumberTextTest, ParsingIsStrictAndValIsLenient) {
    EXPECT_EQ(NumberText::parse(" -3 "), -3);
    EXPECT_EQ(NumberText::parse("1,234.5"), 1234.5);
    EXPECT_EQ(NumberText::parse("1e3"), 1000);
    EXPECT_EQ(NumberText::parse("&H1F"), 31);
    EXPECT_EQ(NumberText::parse("&O17"), 15);
    for (std::string_view bad : {"", " ", ".", "12a", "e3", "1.2.3", "--1", "&Hxyz", ",5"})
        EXPECT_FALSE(NumberText::parse(bad).has_value()) << bad;
    EXPECT_EQ(NumberText::val("  1 2 3abc"), 123);
    EXPECT_EQ(NumberText::val("-1.5e2x"), -150);
    EXPECT_EQ(NumberText::val("&HFF"), 255);
    EXPECT_EQ(NumberText::val("abc"), 0);
    EXPECT_EQ(NumberText::val("1.2.3"), 1.2);
}
