// A number format parsed once into sections of tokens, so that rendering a visible cell is a
// walk over a small vector instead of a re-read of the format text. The grammar is the host's:
// up to four sections (positive;negative;zero;text), quoted and escaped literals, "_x" padding,
// "*x" fill, [colour] and [condition] tags, [$sym-LCID] currency and language tags, digit
// placeholders 0 # ?, thousands commas and scaling, %, E+ exponents, date and time codes.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace qv::sheet {

enum class FormatTokenKind {
    Literal,
    Digit,        // text holds '0', '#' or '?'
    DecimalPoint, // the number's decimal separator
    Thousands,    // a thousands separator between digit placeholders (grouping on)
    Percent,
    Exponent,  // text holds "+" or "-"
    TextValue, // '@'
    General,   // "General" inside a section
    DateSeparator,
    Year2,
    Year4,
    Month,
    Month2,
    MonthAbbr,
    MonthName,
    MonthLetter,
    Day,
    Day2,
    DayAbbr,
    DayName,
    Hour,
    Hour2,
    Minute,
    Minute2,
    Second,
    Second2,
    ElapsedHours,
    ElapsedMinutes,
    ElapsedSeconds, // width = digits shown at least
    FractionSecond, // width = digits
    AmPm,           // text holds the code as written ("AM/PM", "am/pm", "A/P")
};

struct FormatToken {
    FormatTokenKind kind = FormatTokenKind::Literal;
    std::string text;
    int width = 0;
};

enum class FormatSectionKind { Number, Date, Text, General };
enum class FormatLanguage { System, English, Dutch };

struct FormatCondition {
    enum class Op { Less, LessEqual, Greater, GreaterEqual, Equal, NotEqual } op = Op::Equal;
    double value = 0.0;
    bool holds(double v) const;
};

struct FormatSection {
    FormatSectionKind kind = FormatSectionKind::General;
    std::vector<FormatToken> tokens;
    std::optional<std::string> color; // "Red", "Color10", ... as written
    std::optional<FormatCondition> condition;
    FormatLanguage language = FormatLanguage::System;
    // Number layout, derived from the tokens.
    bool grouping = false;
    int scale = 0; // trailing commas: divide by 1000 each
    int percents = 0;
    bool scientific = false;
    int integerDigits = 0; // placeholders before the decimal point (mantissa when scientific)
    int decimalDigits = 0;
    bool hasDecimalPoint = false;
    bool engineering = false; // "##0.0E+0": exponent a multiple of integerDigits
    bool twelveHour = false;
    int fractionSecondDigits = 0;
};

class NumberFormatterCode {
  public:
    // Never throws: text the grammar does not know is shown as literal text, as the host
    // shows a format it keeps from a file.
    static NumberFormatterCode parse(const std::string& format);

    std::vector<FormatSection> sections;
};

} // namespace qv::sheet
