#include "engines/accesssql/AccessFormat.h"

#include <gtest/gtest.h>

using qv::accesssql::AccessDate;
using qv::accesssql::AccessFormat;

namespace {
std::string date(std::string_view value, std::string_view format) {
    return AccessFormat::formatDate(*AccessDate::parse(value), format);
}
} // namespace

TEST(AccessFormatTest, TellsDateFormatsFromNumberFormats) {
    for (std::string_view f : {"yyyy-mm-dd", "Short Date", "hh:nn", "General Date", "q", "AM/PM"})
        EXPECT_TRUE(AccessFormat::isDateFormat(f)) << f;
    for (std::string_view f :
         {"0.00", "#,##0", "Percent", "Yes/No", "General Number", "Currency", "0.0\"days\""})
        EXPECT_FALSE(AccessFormat::isDateFormat(f)) << f;
}

TEST(AccessFormatTest, MonthOrMinuteDependsOnTheNeighbours) {
    EXPECT_EQ(date("2011-03-05 14:07:09", "dd-mm-yyyy"), "05-03-2011");
    EXPECT_EQ(date("2011-03-05 14:07:09", "hh:mm"), "14:07");
    EXPECT_EQ(date("2011-03-05 14:07:09", "mm:ss"), "07:09");
    EXPECT_EQ(date("2011-03-05 14:07:09", "m/d/yy h:m"), "3/5/11 14:7");
    EXPECT_EQ(date("2011-03-05 00:05:00", "h:nn a/p"), "12:05 a");
    EXPECT_EQ(date("2011-03-05 12:05:00", "hh:nn am/pm"), "12:05 pm");
    EXPECT_EQ(date("2011-03-05", "dddd d mmmm, \"week\" ww, \\d\\a\\y y"),
              "Saturday 5 March, week 10, day 64");
    EXPECT_EQ(date("2011-03-05", "ddd mmm"), "Sat Mar");
    EXPECT_EQ(date("2011-03-05", "Medium Date"), "05-Mar-11");
    EXPECT_EQ(date("1899-12-30 14:07:09", "General Date"), "2:07:09 PM");
    EXPECT_EQ(date("2011-03-05", "General Date"), "3/5/2011");
    EXPECT_EQ(date("2011-03-05 14:07:09", "Short Time"), "14:07");
    EXPECT_EQ(date("2011-03-05 14:07:09", "Medium Time"), "02:07 PM");
}

TEST(AccessFormatTest, NumberPatterns) {
    EXPECT_EQ(AccessFormat::formatNumber(0, "#,##0"), "0");
    EXPECT_EQ(AccessFormat::formatNumber(1234567, "#,##0"), "1,234,567");
    EXPECT_EQ(AccessFormat::formatNumber(5, "#.##"), "5.");
    EXPECT_EQ(AccessFormat::formatNumber(1.5, "0.0#"), "1.5");
    EXPECT_EQ(AccessFormat::formatNumber(1.555, "0.0#"), "1.56");
    EXPECT_EQ(AccessFormat::formatNumber(-0.001, "0.00"), "0.00");
    EXPECT_EQ(AccessFormat::formatNumber(-5, "0;(0)"), "(5)");
    EXPECT_EQ(AccessFormat::formatNumber(-5, "$0"), "-$5");
    EXPECT_EQ(AccessFormat::formatNumber(0.00012, "0.00E+00"), "1.20E-04");
    EXPECT_EQ(AccessFormat::formatNumber(99999, "0.0E+0"), "1.0E+5");
    EXPECT_EQ(AccessFormat::formatNumber(0.125, "0%"), "13%");
    EXPECT_EQ(AccessFormat::formatNumber(3, "0 \"pcs\""), "3 pcs");
    EXPECT_EQ(AccessFormat::formatNumber(0.1 + 0.2, "General Number"), "0.3");
    EXPECT_EQ(AccessFormat::formatNumber(0, "True/False"), "False");
    EXPECT_EQ(AccessFormat::formatText("MiXed", "<"), "mixed");
}
