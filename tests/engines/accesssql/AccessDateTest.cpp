#include "engines/accesssql/AccessDate.h"

#include <gtest/gtest.h>

using qv::accesssql::AccessDate;
using qv::accesssql::Stamp;

namespace {
std::string text(std::string_view literal) {
    const auto s = AccessDate::parse(literal);
    return s ? AccessDate::toText(*s) : "invalid";
}
} // namespace

TEST(AccessDateTest, ReadsTheLiteralFormsOfTheDialect) {
    EXPECT_EQ(text("03/05/2011"), "2011-03-05 00:00:00"); // month first, whatever the locale
    EXPECT_EQ(text("3/5/2011 14:07"), "2011-03-05 14:07:00");
    EXPECT_EQ(text(" 03/05/2011 14:07:59 "), "2011-03-05 14:07:59");
    EXPECT_EQ(text("03-05-2011"), "2011-03-05 00:00:00");
    EXPECT_EQ(text("2011-03-05"), "2011-03-05 00:00:00");
    EXPECT_EQ(text("2011/03/05 08:00"), "2011-03-05 08:00:00");
    EXPECT_EQ(text("2011-03-05T14:07:59.250"), "2011-03-05 14:07:59");
    EXPECT_EQ(text("3/5/2011 2:07:59 pm"), "2011-03-05 14:07:59");
    EXPECT_EQ(text("12:00 AM"), "1899-12-30 00:00:00");
    EXPECT_EQ(text("12:30 PM"), "1899-12-30 12:30:00");
    // The two-digit-year window.
    EXPECT_EQ(text("1/1/29"), "2029-01-01 00:00:00");
    EXPECT_EQ(text("1/1/30"), "1930-01-01 00:00:00");
}

TEST(AccessDateTest, RefusesWhatIsNoDate) {
    for (std::string_view bad :
         {"", "  ", "13/01/2011", "02/29/2011", "2011-02-30", "24:00", "10:60", "10:5", "13:00 PM",
          "2011-03-05 14:07 x", "March 5, 2011", "2011-3", "1/2/3/4", "12345"})
        EXPECT_FALSE(AccessDate::parse(bad).has_value()) << bad;
    EXPECT_TRUE(AccessDate::parse("02/29/2012").has_value());
}

TEST(AccessDateTest, AutomationDatesConvertBothWays) {
    EXPECT_EQ(AccessDate::toText(AccessDate::fromOle(0.25)), "1899-12-30 06:00:00");
    // Negative dates count the day backwards and the fraction forwards.
    EXPECT_EQ(AccessDate::toText(AccessDate::fromOle(-1.25)), "1899-12-29 06:00:00");
    EXPECT_DOUBLE_EQ(AccessDate::toOle(*AccessDate::parse("1899-12-29 06:00")), -1.25);
    EXPECT_EQ(AccessDate::toText(AccessDate::fromOle(40607.99999999)), "2011-03-06 00:00:00");
    EXPECT_EQ(AccessDate::weekday(AccessDate::daysFromCivil(2011, 3, 5)), 7);
}

TEST(AccessDateTest, MonthAndSecondArithmeticCarries) {
    const Stamp jan31 = *AccessDate::parse("2011-01-31 10:00:00");
    EXPECT_EQ(AccessDate::toText(AccessDate::addMonths(jan31, 13)), "2012-02-29 10:00:00");
    EXPECT_EQ(AccessDate::toText(AccessDate::addMonths(jan31, -2)), "2010-11-30 10:00:00");
    EXPECT_EQ(AccessDate::toText(AccessDate::addMonths(jan31, -13)), "2009-12-31 10:00:00");
    EXPECT_EQ(AccessDate::toText(AccessDate::addSeconds(jan31, -36001)), "2011-01-30 23:59:59");
    EXPECT_EQ(AccessDate::toText(AccessDate::addSeconds(jan31, 86400 * 2 + 50400)), "2011-02-03 00:00:00");
}
