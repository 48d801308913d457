// What a cell shows under the formats the product writes and the host's own formats, in both
// host languages.
#include "spreadsheet/formats/NumberFormatter.h"
#include "platform/OleDateTime.h"

#include <gtest/gtest.h>

using qv::OleDate;
using qv::Variant;
using qv::sheet::Locale;
using qv::sheet::NumberFormatter;

namespace {

std::string en(const Variant& v, const std::string& f) {
    return NumberFormatter::format(v, f, Locale::English);
}
std::string nl(const Variant& v, const std::string& f) {
    return NumberFormatter::format(v, f, Locale::Dutch);
}

// 5 March 2011 (a Saturday), 14:07:59.
Variant march5() {
    return Variant(OleDate{qv::OleDateTime::fromParts({2011, 3, 5, 14, 7, 59})});
}

} // namespace

TEST(NumberFormatterTest, CurrencyFormatsOfAccessFieldsInBothLanguages) {
    EXPECT_EQ(en(1234.5, "$ #,##0.00_-"), "$ 1,234.50 ");
    EXPECT_EQ(nl(1234.5, "$ #,##0.00_-"), "$ 1.234,50 ");
    EXPECT_EQ(en(-1234.5, "€ #,##0.00_-"), "-€ 1,234.50 ");
    EXPECT_EQ(nl(-1234.5, "€ #,##0.00_-"), "-€ 1.234,50 ");
    EXPECT_EQ(en(0.0, "£ #,##0.00_-"), "£ 0.00 ");
    EXPECT_EQ(en(1234567.891, "[$$-409] #,##0.00_-"), "$ 1,234,567.89 ");
    EXPECT_EQ(nl(1234.567, "[$€-413] #,##0.00"), "€ 1.234,57");
    EXPECT_EQ(en(Variant(qv::Currency::fromDouble(12.5)), "#,##0.00"), "12.50");
}

TEST(NumberFormatterTest, TheHostsCommaStyleWithPaddingFillAndTextSection) {
    const std::string comma = "_(* #,##0.00_);_(* (#,##0.00);_(* \"-\"??_);_(@_)";
    EXPECT_EQ(en(1234.5, comma), " 1,234.50 ");
    EXPECT_EQ(en(-1234.5, comma), " (1,234.50)");
    EXPECT_EQ(en(0.0, comma), " -   ");
    EXPECT_EQ(en("abc", comma), " abc ");
    EXPECT_EQ(nl(1234.5, "_-* #,##0.00_-;-* #,##0.00_-;_-* \"-\"??_-;_-@_-"), " 1.234,50 ");
}

TEST(NumberFormatterTest, DateFormatsOfAccessFieldsUseTheLanguagesSeparatorAndNames) {
    EXPECT_EQ(en(march5(), "d/m/yyyy h:mm:ss"), "5/3/2011 14:07:59");
    EXPECT_EQ(nl(march5(), "d/m/yyyy h:mm:ss"), "5-3-2011 14:07:59");
    EXPECT_EQ(en(march5(), "dddd d mmmm yyyy"), "Saturday 5 March 2011");
    EXPECT_EQ(nl(march5(), "dddd d mmmm yyyy"), "zaterdag 5 maart 2011");
    EXPECT_EQ(en(march5(), "dd/mmm/yy"), "05/Mar/11");
    EXPECT_EQ(nl(march5(), "dd/mmm/yy"), "05-mrt-11");
    EXPECT_EQ(nl(march5(), "d/m/yyyy"), "5-3-2011");
    EXPECT_EQ(en(march5(), "h:mm:ss"), "14:07:59");
    EXPECT_EQ(en(march5(), "h:mm"), "14:07");
}

TEST(NumberFormatterTest, CommonDateAndTimeFormats) {
    EXPECT_EQ(en(march5(), "dd-mm-yyyy"), "05-03-2011");
    EXPECT_EQ(nl(march5(), "d-m-yyyy"), "5-3-2011");
    EXPECT_EQ(en(march5(), "dd/mm/yyyy"), "05/03/2011");
    EXPECT_EQ(nl(march5(), "dd/mm/yyyy"), "05-03-2011");
    EXPECT_EQ(nl(march5(), "dd\\/mm\\/yyyy"), "05/03/2011"); // an escaped slash stays a slash
    EXPECT_EQ(nl(march5(), "hh:mm"), "14:07");
    EXPECT_EQ(nl(march5(), "yyyy-mm-dd"), "2011-03-05");
    EXPECT_EQ(en(march5(), "dd-mmm-yyyy"), "05-Mar-2011");
    EXPECT_EQ(nl(march5(), "dd-mmm-yyyy"), "05-mrt-2011");
    EXPECT_EQ(en(march5(), "mmmm d, yyyy"), "March 5, 2011");
    EXPECT_EQ(nl(march5(), "dddd"), "zaterdag");
    EXPECT_EQ(en(march5(), "ddd"), "Sat");
    EXPECT_EQ(en(march5(), "dd-mm-yyyy hh:mm:ss"), "05-03-2011 14:07:59");
    EXPECT_EQ(en(march5(), "h:mm AM/PM"), "2:07 PM");
    EXPECT_EQ(en(0.0, "h:mm AM/PM"), "12:00 AM");
    EXPECT_EQ(en(0.75, "h:mm a/p"), "6:00 p");
    EXPECT_EQ(en(1.5, "[h]:mm"), "36:00");
    EXPECT_EQ(en(march5(), "mmmmm"), "M");
    // The language tag picks the names whatever the host language is.
    EXPECT_EQ(en(march5(), "[$-413]dddd d mmmm"), "zaterdag 5 maart");
}

TEST(NumberFormatterTest, TimeRoundsToTheShownSecondAndCarriesIntoTheNextDay) {
    const double justBeforeMidnight = 40607.0 + (86399.6 / 86400.0);
    EXPECT_EQ(en(justBeforeMidnight, "dd-mm-yyyy hh:mm:ss"), "06-03-2011 00:00:00");
    EXPECT_EQ(en(0.5 + 1.25 / 86400.0, "hh:mm:ss.00"), "12:00:01.25");
    EXPECT_EQ(nl(0.5 + 1.25 / 86400.0, "hh:mm:ss.0"), "12:00:01,3");
}

TEST(NumberFormatterTest, MonthAndMinuteAreToldApartByTheirNeighbours) {
    EXPECT_EQ(en(march5(), "m"), "3");
    EXPECT_EQ(en(march5(), "h:m"), "14:7");
    EXPECT_EQ(en(march5(), "mm:ss"), "07:59");
    EXPECT_EQ(en(march5(), "yyyy mm dd"), "2011 03 05");
}

TEST(NumberFormatterTest, DatesOutsideTheCalendarFillTheCellWithHashes) {
    EXPECT_EQ(en(-1.0, "dd-mm-yyyy"), "########");
    EXPECT_EQ(en(3000000.0, "dd-mm-yyyy"), "########");
}

TEST(NumberFormatterTest, DigitPlaceholdersDecimalsAndThousands) {
    EXPECT_EQ(en(2.5, "0"), "3");
    EXPECT_EQ(en(-2.5, "0"), "-3");
    EXPECT_EQ(en(2.675, "0.00"), "2.68"); // decimal rounding, not the binary value's
    EXPECT_EQ(nl(2.675, "0.00"), "2,68");
    EXPECT_EQ(en(-1234567.8, "#,##0"), "-1,234,568");
    EXPECT_EQ(nl(-1234567.8, "#,##0.00"), "-1.234.567,80");
    EXPECT_EQ(en(100000.0, "#,###,##0"), "100,000");
    EXPECT_EQ(nl(100000.0, "#,###,##0"), "100.000");
    EXPECT_EQ(en(0.0, "#,##0"), "0");
    EXPECT_EQ(en(0.5, "#.00"), ".50");
    EXPECT_EQ(en(5.0, "#.##"), "5.");
    EXPECT_EQ(en(1.5, "0.0#"), "1.5");
    EXPECT_EQ(en(1.567, "0.0#"), "1.57");
    EXPECT_EQ(en(5.0, "0000"), "0005");
    EXPECT_EQ(en(1.5, "?.??"), "1.5 ");
    EXPECT_EQ(en(1234567.0, "#,##0,"), "1,235");
    EXPECT_EQ(en(1234567.0, "0.0,,"), "1.2");
    EXPECT_EQ(en(999.996, "0.00"), "1000.00");
}

TEST(NumberFormatterTest, PercentAndScientific) {
    EXPECT_EQ(en(0.155, "0%"), "16%");
    EXPECT_EQ(en(0.12345, "0.00%"), "12.35%");
    EXPECT_EQ(nl(0.12345, "0.00%"), "12,35%");
    EXPECT_EQ(en(12345.0, "0.00E+00"), "1.23E+04");
    EXPECT_EQ(en(0.000123, "0.00E+00"), "1.23E-04");
    EXPECT_EQ(nl(0.000123, "0.00E+00"), "1,23E-04");
    EXPECT_EQ(en(0.0, "0.00E+00"), "0.00E+00");
    EXPECT_EQ(en(9.999, "0.00E+00"), "1.00E+01");
    EXPECT_EQ(en(12345.0, "##0.0E+0"), "12.3E+3");
    EXPECT_EQ(en(12345.0, "0.0E-0"), "1.2E4");
}

TEST(NumberFormatterTest, PercentSignsThatPushAValuePastTheLargestNumberFillTheCellWithHashes) {
    EXPECT_EQ(en(1e307, "0%"), "########");
    EXPECT_EQ(en(-1e307, "0.00%"), "########"); // no sign in front of the hashes
    EXPECT_EQ(en(Variant(-1e307), "0%;(0%)"), "########");
    const std::string manyPercents = "0" + std::string(160, '%'); // 100^160 overflows any value
    EXPECT_EQ(en(1.0, manyPercents), "########");
    EXPECT_EQ(en(1e-300, manyPercents), "########");
    // Zero stays zero however many percent signs scale it.
    EXPECT_EQ(en(0.0, manyPercents), manyPercents);
    // Just below the overflow the digits are all there.
    const std::string big = en(1e306, "0%");
    EXPECT_EQ(big, "1" + std::string(308, '0') + "%");
}

TEST(NumberFormatterTest, TwelveHourClockShowsNoonAsTwelvePm) {
    EXPECT_EQ(en(0.5, "h:mm AM/PM"), "12:00 PM");
    EXPECT_EQ(en(0.5, "hh:mm AM/PM"), "12:00 PM");
    EXPECT_EQ(en(0.5 + 30.0 / 1440.0, "h:mm AM/PM"), "12:30 PM");
    EXPECT_EQ(en(0.5 - 1.0 / 1440.0, "h:mm AM/PM"), "11:59 AM");
    EXPECT_EQ(en(0.5 + 60.0 / 1440.0, "h:mm AM/PM"), "1:00 PM");
    EXPECT_EQ(en(0.5, "h:mm a/p"), "12:00 p");
    // Without AM/PM noon is hour 12 and midnight hour 0.
    EXPECT_EQ(en(0.5, "h:mm"), "12:00");
    EXPECT_EQ(en(1.0, "h:mm"), "0:00");
}

TEST(NumberFormatterTest, AFractionThatRoundsToMidnightShowsTheNextDay) {
    // 1 January 2000 23:59:59.9136 rounds to the whole second 2 January 00:00:00.
    EXPECT_EQ(en(36526.999999, "d/m/yyyy hh:mm:ss"), "2/1/2000 00:00:00");
    EXPECT_EQ(en(36526.999999, "hh:mm:ss"), "00:00:00");
    EXPECT_EQ(en(36526.999999, "dddd"), "Sunday");
    EXPECT_EQ(en(36585.0, "d mmmm yyyy"), "29 February 2000");
}

TEST(NumberFormatterTest, SectionsPickPositiveNegativeZeroAndText) {
    const std::string f = "0.00;(0.00);\"zero\";\"text: \"@";
    EXPECT_EQ(en(5.0, f), "5.00");
    EXPECT_EQ(en(-5.0, f), "(5.00)");
    EXPECT_EQ(en(0.0, f), "zero");
    EXPECT_EQ(en("abc", f), "text: abc");
    EXPECT_EQ(en(-5.0, "0;"), "");
    EXPECT_EQ(en(0.0, "0;-0;;@"), "");
    EXPECT_EQ(en(-3.0, "0;0"), "3");
    EXPECT_EQ(en(150.0, "[>=100]\"big\";\"small\""), "big");
    EXPECT_EQ(en(5.0, "[>=100]\"big\";\"small\""), "small");
}

TEST(NumberFormatterTest, YesNoSectionsShowWordsForNumbersButBooleansKeepTheirOwnWords) {
    const std::string f = "\"Yes\";\"Yes\";\"No\"";
    EXPECT_EQ(en(-1.0, f), "Yes");
    EXPECT_EQ(en(1.0, f), "Yes");
    EXPECT_EQ(en(0.0, f), "No");
    EXPECT_EQ(en(true, f), "TRUE");
    EXPECT_EQ(nl(false, f), "ONWAAR");
    EXPECT_EQ(en("maybe", f), "maybe");
}

TEST(NumberFormatterTest, TextFormatAndLiterals) {
    EXPECT_EQ(en("abc", "@"), "abc");
    EXPECT_EQ(en(1.0 / 3.0, "@"), "0.333333333");
    EXPECT_EQ(en(3.0, "0\" pcs\""), "3 pcs");
    EXPECT_EQ(en(3.0, "\\#0"), "#3");
    EXPECT_EQ(en(3.0, "*-0"), "3");
    EXPECT_EQ(en(3.0, "0_)"), "3 ");
}

TEST(NumberFormatterTest, ColourTagsAreReportedNotPrinted) {
    const auto r = NumberFormatter::render(-2.0, "0.00;[Red]-0.00", Locale::English);
    EXPECT_EQ(r.text, "-2.00");
    EXPECT_EQ(r.color, "Red");
    EXPECT_EQ(NumberFormatter::render(2.0, "0.00;[Red]-0.00", Locale::English).color, "");
}

TEST(NumberFormatterTest, GeneralKeepsElevenCharacters) {
    EXPECT_EQ(en(1.0 / 3.0, "General"), "0.333333333");
    EXPECT_EQ(nl(1.0 / 3.0, "General"), "0,333333333");
    EXPECT_EQ(en(-1.0 / 3.0, "General"), "-0.333333333");
    EXPECT_EQ(en(1e20, "General"), "1E+20");
    EXPECT_EQ(en(123456789012.0, "General"), "1.23457E+11");
    EXPECT_EQ(nl(123456789012.0, "General"), "1,23457E+11");
    EXPECT_EQ(en(12345678901.0, "General"), "12345678901");
    EXPECT_EQ(en(99999999999.9, "General"), "1E+11");
    EXPECT_EQ(en(0.1 + 0.2, "General"), "0.3");
    EXPECT_EQ(en(1234567.891234, "General"), "1234567.891");
    EXPECT_EQ(en(0.00001, "General"), "0.00001");
    EXPECT_EQ(en(0.0000123456789, "General"), "1.23457E-05");
    EXPECT_EQ(en(1.5e-10, "General"), "1.5E-10");
    EXPECT_EQ(en(1e100, "General"), "1E+100");
    EXPECT_EQ(en(0.0, "General"), "0");
    EXPECT_EQ(en(42.0, ""), "42");
}

TEST(NumberFormatterTest, GeneralShowsBooleansErrorsAndDateSerials) {
    EXPECT_EQ(en(true, "General"), "TRUE");
    EXPECT_EQ(nl(true, "General"), "WAAR");
    EXPECT_EQ(nl(false, "0.00"), "ONWAAR");
    EXPECT_EQ(en(Variant(qv::ErrorValue{2042}), "General"), "#N/A");
    EXPECT_EQ(nl(Variant(qv::ErrorValue{2042}), "0.00"), "#N/B");
    EXPECT_EQ(en(Variant(OleDate{40607.0}), "General"), "40607");
    EXPECT_EQ(en(Variant(OleDate{40607.25}), "General"), "40607.25");
    EXPECT_EQ(en(Variant(), "0.00"), "");
    EXPECT_EQ(en(Variant::null(), "General"), "");
    EXPECT_EQ(en("text", "General"), "text");
}

TEST(NumberFormatterTest, RecognisesDateFormats) {
    EXPECT_TRUE(NumberFormatter::isDateFormat("d/m/yyyy h:mm:ss"));
    EXPECT_TRUE(NumberFormatter::isDateFormat("[h]:mm"));
    EXPECT_FALSE(NumberFormatter::isDateFormat("#,##0.00"));
    EXPECT_FALSE(NumberFormatter::isDateFormat("\"mm\"0"));
    EXPECT_FALSE(NumberFormatter::isDateFormat("General"));
}
