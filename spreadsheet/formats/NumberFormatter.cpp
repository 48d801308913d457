// Picks the section of a parsed format for a value and renders it. Numbers are laid out on
// decimal digit strings (see NumberFormatterDecimal); dates are split once into calendar
// parts after rounding to the shown precision, so 23:59:59.6 under "hh:mm:ss" rolls over
// into the next day exactly as the host shows it.
#include "spreadsheet/formats/NumberFormatter.h"

#include "platform/OleDateTime.h"
#include "platform/TextUtil.h"
#include "spreadsheet/formats/NumberFormatterCode.h"
#include "spreadsheet/formats/NumberFormatterDecimal.h"
#include "spreadsheet/formats/NumberFormatterLocale.h"

#include <fmt/format.h>

#include <cmath>
#include <list>
#include <memory>
#include <unordered_map>

namespace qv::sheet {

namespace {

using Code = std::shared_ptr<const NumberFormatterCode>;

// A small LRU per thread: no locking on the grid's path, and a workbook rarely uses more
// than a few dozen distinct formats.
class CodeCache {
  public:
    Code get(const std::string& format) {
        if (mLast && mLastKey == format) return mLast;
        auto it = mIndex.find(format);
        if (it != mIndex.end()) {
            mOrder.splice(mOrder.begin(), mOrder, it->second);
        } else {
            if (mIndex.size() >= kCapacity) {
                mIndex.erase(mOrder.back().first);
                mOrder.pop_back();
            }
            mOrder.emplace_front(
                format, std::make_shared<const NumberFormatterCode>(NumberFormatterCode::parse(format)));
            it = mIndex.emplace(format, mOrder.begin()).first;
        }
        mLastKey = format;
        mLast = it->second->second;
        return mLast;
    }

  private:
    static constexpr std::size_t kCapacity = 256;
    std::list<std::pair<std::string, Code>> mOrder;
    std::unordered_map<std::string, std::list<std::pair<std::string, Code>>::iterator> mIndex;
    std::string mLastKey;
    Code mLast;
};

Code parsed(const std::string& format) {
    thread_local CodeCache cache;
    return cache.get(format);
}

bool isGeneralText(const std::string& f) {
    if (f.empty()) return true;
    return TextUtil::equalsIgnoreCase(f, "general");
}

std::size_t significantCount(const std::string& digits) {
    std::size_t first = digits.find_first_not_of("0.");
    if (first == std::string::npos) return 0;
    std::size_t n = 0;
    for (std::size_t i = first; i < digits.size(); ++i)
        n += digits[i] != '.';
    return n;
}

// The emitted digits of the integer part, right-aligned on the placeholders.
class IntegerLayout {
  public:
    IntegerLayout(std::string digits, int placeholders, bool grouping, char separator)
        : mDigits(std::move(digits)), mCount(placeholders), mGrouping(grouping), mSeparator(separator) {}

    void emit(std::string& out, char placeholder) {
        const int len = static_cast<int>(mDigits.size());
        const int r = mCount - 1 - mIndex;
        if (mIndex == 0 && len > mCount) {
            for (int p = len - 1; p > r; --p)
                digit(out, p, mDigits[static_cast<std::size_t>(len - 1 - p)]);
        }
        if (r < len)
            digit(out, r, mDigits[static_cast<std::size_t>(len - 1 - r)]);
        else if (placeholder == '0')
            digit(out, r, '0');
        else if (placeholder == '?')
            out.push_back(' ');
        ++mIndex;
    }

  private:
    void digit(std::string& out, int rightPos, char d) {
        out.push_back(d);
        if (mGrouping && rightPos > 0 && rightPos % 3 == 0) out.push_back(mSeparator);
    }
    std::string mDigits;
    int mCount;
    bool mGrouping;
    char mSeparator;
    int mIndex = 0;
};

// The magnitude after the section's percent signs and scaling commas. Enough percent signs
// push any value past the largest double; zero stays zero rather than becoming 0 x inf.
double shownMagnitude(double magnitude, const FormatSection& sec) {
    if (magnitude == 0.0) return 0.0;
    return magnitude * std::pow(100.0, sec.percents) / std::pow(1000.0, sec.scale);
}

// `v` is the shown magnitude and finite; `magnitude` the value itself, for a General token.
std::string renderNumber(double magnitude, double v, const FormatSection& sec,
                         const NumberFormatterLocale& loc) {
    DecimalText parts;
    int exponent = 0;
    if (sec.scientific) {
        const int n = std::max(sec.integerDigits, 1);
        const DecimalDigits all = NumberFormatterDecimal::digits(v);
        SignificantText head = NumberFormatterDecimal::significant(all, 15);
        for (int attempt = 0; attempt < 2; ++attempt) {
            const int e0 = v == 0.0 ? 0 : head.exponent;
            exponent = sec.engineering ? static_cast<int>(std::floor(static_cast<double>(e0) / n)) * n
                                       : e0 - (n - 1);
            const int intCount = e0 - exponent + 1;
            head = NumberFormatterDecimal::significant(all, intCount + sec.decimalDigits);
            if (v == 0.0 || head.exponent == e0) {
                parts.integer = head.digits.substr(0, static_cast<std::size_t>(intCount));
                parts.fraction = head.digits.substr(static_cast<std::size_t>(intCount));
                break;
            }
        }
        const auto nz = parts.integer.find_first_not_of('0');
        parts.integer = nz == std::string::npos ? std::string() : parts.integer.substr(nz);
    } else {
        parts = NumberFormatterDecimal::fixed(v, sec.decimalDigits);
    }

    std::string out;
    out.reserve(24);
    IntegerLayout integer(parts.integer, sec.integerDigits, sec.grouping, loc.thousandsSeparator);
    const auto lastFractionDigit = parts.fraction.find_last_not_of('0');
    int fractionIndex = 0;
    bool inFraction = false, inExponent = false;
    std::string exponentDigits;
    int exponentPlaceholders = 0;
    for (std::size_t i = 0; i < sec.tokens.size(); ++i) {
        const auto& tok = sec.tokens[i];
        switch (tok.kind) {
        case FormatTokenKind::Digit: {
            const char p = tok.text[0];
            if (inExponent) {
                // All exponent placeholders together print the exponent, zero-padded.
                if (exponentPlaceholders++ == 0) {
                    int count = 0;
                    for (std::size_t j = i; j < sec.tokens.size(); ++j)
                        count += sec.tokens[j].kind == FormatTokenKind::Digit;
                    out += fmt::format("{:0{}}", std::abs(exponent), std::max(count, 1));
                }
            } else if (!inFraction) {
                integer.emit(out, p);
            } else {
                const auto idx = static_cast<std::size_t>(fractionIndex++);
                if (lastFractionDigit != std::string::npos && idx <= lastFractionDigit)
                    out.push_back(parts.fraction[idx]);
                else if (p == '0')
                    out.push_back('0');
                else if (p == '?')
                    out.push_back(' ');
            }
            break;
        }
        case FormatTokenKind::DecimalPoint:
            inFraction = true;
            out.push_back(loc.decimalSeparator);
            break;
        case FormatTokenKind::Exponent:
            inExponent = true;
            out.push_back('E');
            if (exponent < 0)
                out.push_back('-');
            else if (tok.text == "+")
                out.push_back('+');
            break;
        case FormatTokenKind::Percent:
            out.push_back('%');
            break;
        case FormatTokenKind::Literal:
            out += tok.text;
            break;
        case FormatTokenKind::General:
            out += NumberFormatter::general(magnitude, loc.dutch ? Locale::Dutch : Locale::English);
            break;
        default:
            break; // grouping commas, '@' and stray codes print nothing
        }
    }
    return out;
}

std::string renderDate(double v, const FormatSection& sec, const NumberFormatterLocale& system) {
    // The host cannot show a date before its epoch or after 9999: it fills the cell with '#'.
    if (v < 0.0 || v >= 2958466.0) return "########";
    const auto& names = sec.language == FormatLanguage::Dutch     ? NumberFormatterLocale::of(Locale::Dutch)
                        : sec.language == FormatLanguage::English ? NumberFormatterLocale::of(Locale::English)
                                                                  : system;
    long long unitsPerSecond = 1;
    for (int i = 0; i < sec.fractionSecondDigits; ++i)
        unitsPerSecond *= 10;
    const long long unitsPerDay = 86400LL * unitsPerSecond;
    const long long total = std::llround(v * static_cast<double>(unitsPerDay));
    const long long days = total / unitsPerDay;
    const long long totalSeconds = total / unitsPerSecond;
    const long long daySeconds = totalSeconds % 86400;
    const long long fraction = total % unitsPerSecond;
    const DateTimeParts d = OleDateTime::toParts(static_cast<double>(days));
    const int weekday = OleDateTime::weekday(static_cast<double>(days)) - 1;
    const int hour = static_cast<int>(daySeconds / 3600);
    const int minute = static_cast<int>(daySeconds / 60 % 60);
    const int second = static_cast<int>(daySeconds % 60);
    int shownHour = hour;
    if (sec.twelveHour) shownHour = hour % 12 == 0 ? 12 : hour % 12;

    std::string out;
    out.reserve(32);
    for (const auto& tok : sec.tokens) {
        switch (tok.kind) {
        case FormatTokenKind::Literal:
            out += tok.text;
            break;
        case FormatTokenKind::DateSeparator:
            out.push_back(system.dateSeparator);
            break;
        case FormatTokenKind::Year2:
            out += fmt::format("{:02}", d.year % 100);
            break;
        case FormatTokenKind::Year4:
            out += fmt::format("{:04}", d.year);
            break;
        case FormatTokenKind::Month:
            out += fmt::format("{}", d.month);
            break;
        case FormatTokenKind::Month2:
            out += fmt::format("{:02}", d.month);
            break;
        case FormatTokenKind::MonthAbbr:
            out += names.monthAbbreviations[static_cast<std::size_t>(d.month - 1)];
            break;
        case FormatTokenKind::MonthName:
            out += names.monthNames[static_cast<std::size_t>(d.month - 1)];
            break;
        case FormatTokenKind::MonthLetter:
            out.push_back(names.monthNames[static_cast<std::size_t>(d.month - 1)][0]);
            break;
        case FormatTokenKind::Day:
            out += fmt::format("{}", d.day);
            break;
        case FormatTokenKind::Day2:
            out += fmt::format("{:02}", d.day);
            break;
        case FormatTokenKind::DayAbbr:
            out += names.dayAbbreviations[static_cast<std::size_t>(weekday)];
            break;
        case FormatTokenKind::DayName:
            out += names.dayNames[static_cast<std::size_t>(weekday)];
            break;
        case FormatTokenKind::Hour:
            out += fmt::format("{}", shownHour);
            break;
        case FormatTokenKind::Hour2:
            out += fmt::format("{:02}", shownHour);
            break;
        case FormatTokenKind::Minute:
            out += fmt::format("{}", minute);
            break;
        case FormatTokenKind::Minute2:
            out += fmt::format("{:02}", minute);
            break;
        case FormatTokenKind::Second:
            out += fmt::format("{}", second);
            break;
        case FormatTokenKind::Second2:
            out += fmt::format("{:02}", second);
            break;
        case FormatTokenKind::ElapsedHours:
            out += fmt::format("{:0{}}", totalSeconds / 3600, tok.width);
            break;
        case FormatTokenKind::ElapsedMinutes:
            out += fmt::format("{:0{}}", totalSeconds / 60, tok.width);
            break;
        case FormatTokenKind::ElapsedSeconds:
            out += fmt::format("{:0{}}", totalSeconds, tok.width);
            break;
        case FormatTokenKind::FractionSecond:
            out.push_back(system.decimalSeparator);
            out += fmt::format("{:0{}}", fraction, sec.fractionSecondDigits)
                       .substr(0, static_cast<std::size_t>(tok.width));
            break;
        case FormatTokenKind::AmPm: {
            const bool pm = hour >= 12;
            if (tok.text.size() == 5)
                out += tok.text.substr(pm ? 3 : 0, 2);
            else
                out.push_back(tok.text[pm ? 2 : 0]);
            break;
        }
        default:
            break;
        }
    }
    return out;
}

std::string renderText(const std::string& text, const FormatSection& sec) {
    std::string out;
    for (const auto& tok : sec.tokens) {
        if (tok.kind == FormatTokenKind::TextValue)
            out += text;
        else if (tok.kind == FormatTokenKind::Literal)
            out += tok.text;
    }
    return out;
}

struct Choice {
    const FormatSection* section;
    bool minus; // the section shows no sign of its own: prefix '-'
};

Choice choose(const NumberFormatterCode& code, double v) {
    const auto& s = code.sections;
    const std::size_t numeric = std::min<std::size_t>(s.size(), 3);
    if (s[0].condition || (numeric > 1 && s[1].condition)) {
        if (s[0].condition && s[0].condition->holds(v)) return {&s[0], v < 0};
        if (numeric == 1) return {nullptr, false};
        if (numeric == 2 || (s[1].condition && s[1].condition->holds(v))) return {&s[1], v < 0};
        if (numeric == 3 && !s[1].condition) return {&s[1], v < 0};
        return {numeric == 3 ? &s[2] : nullptr, v < 0};
    }
    if (numeric == 1) return {&s[0], v < 0};
    if (v > 0 || (v == 0 && numeric == 2)) return {&s[0], false};
    if (v < 0) return {&s[1], false};
    return {&s[2], false};
}

} // namespace

std::string NumberFormatter::general(double value, Locale locale) {
    const auto& loc = NumberFormatterLocale::of(locale);
    if (!std::isfinite(value)) return loc.errorText(2036);
    if (value == 0.0) return "0";
    const double a = std::fabs(value);
    const std::string sign = value < 0 ? "-" : "";

    const DecimalDigits digits = NumberFormatterDecimal::digits(a);
    const int e = digits.point - 1;

    // Scientific: "d.ddddd" and "E+XX" fill the 11 characters.
    const int expWidth = std::abs(e) >= 100 ? 3 : 2;
    SignificantText sci = NumberFormatterDecimal::significant(digits, 11 - 3 - expWidth);
    std::string mantissa = sci.digits.substr(0, 1);
    std::string rest = sci.digits.substr(1);
    while (!rest.empty() && rest.back() == '0')
        rest.pop_back();
    if (!rest.empty()) mantissa += loc.decimalSeparator + rest;
    const std::string scientific =
        fmt::format("{}{}E{}{:0{}}", sign, mantissa, sci.exponent < 0 ? '-' : '+', std::abs(sci.exponent), 2);

    // Fixed: whatever room the integer digits leave goes to decimals.
    if (e >= 11) return scientific;
    const int intDigits = std::max(e + 1, 1);
    const int decimals = std::max(11 - intDigits - 1, 0);
    const DecimalText fixed = NumberFormatterDecimal::fixed(digits, decimals);
    if (fixed.integer.size() > 11) return scientific;
    std::string frac = fixed.fraction;
    while (!frac.empty() && frac.back() == '0')
        frac.pop_back();
    std::string plain = fixed.integer.empty() ? "0" : fixed.integer;
    const std::size_t fixedSig = significantCount(plain + frac);
    if (fixedSig == 0 || fixedSig < significantCount(sci.digits.substr(0, 1) + rest)) return scientific;
    if (!frac.empty()) plain += loc.decimalSeparator + frac;
    return sign + plain;
}

FormattedText NumberFormatter::render(const Variant& value, const std::string& numberFormat, Locale locale) {
    const auto& loc = NumberFormatterLocale::of(locale);
    switch (value.type()) {
    case VarType::Empty:
    case VarType::Null:
    case VarType::Binary:
        return {};
    case VarType::Error:
        return {loc.errorText(value.error().code), {}};
    case VarType::Boolean:
        return {value.toBool() ? loc.trueText : loc.falseText, {}};
    case VarType::String: {
        if (isGeneralText(numberFormat)) return {value.str(), {}};
        const Code code = parsed(numberFormat);
        const auto& s = code->sections;
        const FormatSection* text = s.size() >= 4                          ? &s[3]
                                    : s[0].kind == FormatSectionKind::Text ? &s[0]
                                                                           : nullptr;
        if (!text) return {value.str(), {}};
        return {renderText(value.str(), *text), text->color.value_or("")};
    }
    default:
        break;
    }
    const double v = value.toDouble();
    if (!std::isfinite(v)) return {loc.errorText(2036), {}};
    if (isGeneralText(numberFormat)) return {general(v, locale), {}};
    const Code code = parsed(numberFormat);
    const Choice c = choose(*code, v);
    if (!c.section) return {"########", {}};
    const FormatSection& sec = *c.section;
    std::string color = sec.color.value_or("");
    switch (sec.kind) {
    case FormatSectionKind::Date:
        return {renderDate(v, sec, loc), std::move(color)};
    case FormatSectionKind::Text:
        return {general(v, locale), std::move(color)};
    case FormatSectionKind::General:
    case FormatSectionKind::Number:
        break;
    }
    const double shown = shownMagnitude(std::fabs(v), sec);
    // Past the largest number there are no digits to show; the host fills the cell with '#'.
    if (!std::isfinite(shown)) return {"########", std::move(color)};
    return {(c.minus ? "-" : "") + renderNumber(std::fabs(v), shown, sec, loc), std::move(color)};
}

std::string NumberFormatter::format(const Variant& value, const std::string& numberFormat, Locale locale) {
    return render(value, numberFormat, locale).text;
}

bool NumberFormatter::isDateFormat(const std::string& numberFormat) {
    if (isGeneralText(numberFormat)) return false;
    return parsed(numberFormat)->sections[0].kind == FormatSectionKind::Date;
}

} // namespace qv::sheet
