// What typed text becomes in a cell, in both host languages.
#include "spreadsheet/formats/InputParser.h"
#include "platform/OleDateTime.h"

#include <gtest/gtest.h>

using qv::OleDateTime;
using qv::Variant;
using qv::VarType;
using qv::sheet::InputParser;
using qv::sheet::Locale;

namespace {

double date(int y, int m, int d, int h = 0, int mi = 0, int s = 0) {
    return OleDateTime::fromParts({y, m, d, h, mi, s});
}

void expectNumber(const std::string& typed, Locale l, double expected) {
    const Variant v = InputParser::parse(typed, l);
    ASSERT_EQ(v.type(), VarType::Double) << typed;
    EXPECT_DOUBLE_EQ(v.toDouble(), expected) << typed;
}

void expectDate(const std::string& typed, Locale l, double expected) {
    const Variant v = InputParser::parse(typed, l);
    ASSERT_EQ(v.type(), VarType::Date) << typed;
    EXPECT_NEAR(v.toDate().value, expected, 1e-9) << typed;
}

void expectText(const std::string& typed, Locale l) {
    const Variant v = InputParser::parse(typed, l);
    ASSERT_EQ(v.type(), VarType::String) << typed;
    EXPECT_EQ(v.str(), typed);
}

} // namespace

TEST(InputParserTest, DutchNumbersUseTheDecimalCommaAndThousandsPoint) {
    expectNumber("1,5", Locale::Dutch, 1.5);
    expectNumber("1.234,5", Locale::Dutch, 1234.5);
    expectNumber("-1.234.567", Locale::Dutch, -1234567);
    expectNumber("15%", Locale::Dutch, 0.15);
    expectNumber("1,5%", Locale::Dutch, 0.015);
    expectText("1.5", Locale::Dutch); // not a group of three
    expectText("1.234.5", Locale::Dutch);
}

TEST(InputParserTest, EnglishNumbersUseTheDecimalPointAndThousandsComma) {
    expectNumber("1,234.5", Locale::English, 1234.5);
    expectNumber("12.5", Locale::English, 12.5);
    expectNumber(".5", Locale::English, 0.5);
    expectNumber("+7", Locale::English, 7);
    expectNumber("(42)", Locale::English, -42);
    expectNumber("1.5E+3", Locale::English, 1500);
    expectNumber(" 12 ", Locale::English, 12);
    expectNumber("-12.5%", Locale::English, -0.125);
    expectText("1,5", Locale::English);
    expectText("12,34.5", Locale::English);
    expectText("1e", Locale::English);
    expectText("12abc", Locale::English);
    expectText("--5", Locale::English);
}

TEST(InputParserTest, CurrencyAmountsKeepTheirValue) {
    expectNumber("€ 1.234,50", Locale::Dutch, 1234.5);
    expectNumber("-€ 12,50", Locale::Dutch, -12.5);
    expectNumber("12,50 €", Locale::Dutch, 12.5);
    expectNumber("$1,234.50", Locale::English, 1234.5);
    expectNumber("($5)", Locale::English, -5);
    expectText("€", Locale::Dutch);
    expectText("€ € 5", Locale::Dutch);
}

TEST(InputParserTest, DatesFollowTheLocalesOrderAndIsoEverywhere) {
    expectDate("5-3-2011", Locale::Dutch, date(2011, 3, 5));
    expectDate("5/3/2011", Locale::Dutch, date(2011, 3, 5));
    expectDate("5/3/2011", Locale::English, date(2011, 5, 3));
    expectDate("2011-03-05", Locale::English, date(2011, 3, 5));
    expectDate("2011-03-05", Locale::Dutch, date(2011, 3, 5));
    expectDate("05-mrt-2011", Locale::Dutch, date(2011, 3, 5));
    expectDate("5 maart 2011", Locale::Dutch, date(2011, 3, 5));
    expectDate("March 5, 2011", Locale::English, date(2011, 3, 5));
    expectDate("5-3-11", Locale::Dutch, date(2011, 3, 5));
    expectDate("5-3-45", Locale::Dutch, date(1945, 3, 5));
}

TEST(InputParserTest, ImpossibleDatesStayText) {
    expectText("31-2-2011", Locale::Dutch);
    expectText("13/13/2011", Locale::English);
    expectText("5-3-1850", Locale::Dutch);
    expectText("5 mrt 2011", Locale::English); // Dutch month names are not English ones
}

TEST(InputParserTest, TimesAndDateTimes) {
    expectDate("14:07", Locale::Dutch, date(1899, 12, 30, 14, 7));
    expectDate("14:07:59", Locale::English, date(1899, 12, 30, 14, 7, 59));
    expectDate("2:07 PM", Locale::English, date(1899, 12, 30, 14, 7));
    expectDate("12:00 am", Locale::English, 0.0);
    expectDate("5-3-2011 14:07:59", Locale::Dutch, date(2011, 3, 5, 14, 7, 59));
    expectDate("3/5/2011 14:07", Locale::English, date(2011, 3, 5, 14, 7));
    expectDate("2011-03-05T14:07:59", Locale::English, date(2011, 3, 5, 14, 7, 59));
    expectText("25:00", Locale::English);
    expectText("14:7", Locale::English);
    expectText("13:00 PM", Locale::English);
}

TEST(InputParserTest, BooleansInTheLocalesWordsAnyCase) {
    EXPECT_EQ(InputParser::parse("TRUE", Locale::English), Variant(true));
    EXPECT_EQ(InputParser::parse("false", Locale::English), Variant(false));
    EXPECT_EQ(InputParser::parse("Waar", Locale::Dutch), Variant(true));
    EXPECT_EQ(InputParser::parse("ONWAAR", Locale::Dutch), Variant(false));
    expectText("WAAR", Locale::English);
    expectText("true", Locale::Dutch);
}

TEST(InputParserTest, ApostropheForcesTextAndEmptyStaysEmpty) {
    EXPECT_EQ(InputParser::parse("'123", Locale::English), Variant("123"));
    EXPECT_EQ(InputParser::parse("'", Locale::English), Variant(""));
    EXPECT_TRUE(InputParser::parse("", Locale::Dutch).isEmpty());
    EXPECT_EQ(InputParser::parse("   ", Locale::Dutch), Variant("   "));
    EXPECT_EQ(InputParser::parse("Amsterdam", Locale::Dutch), Variant("Amsterdam"));
}
