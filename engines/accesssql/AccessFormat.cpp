// The Format function: named formats expand to patterns, and patterns are read one token at a time.
#include "engines/accesssql/AccessFormat.h"

#include "engines/accesssql/Keyword.h"
#include "engines/accesssql/NumberText.h"
#include "engines/accesssql/Utf8.h"

#include <array>
#include <cctype>
#include <cmath>
#include <fmt/format.h>
#include <vector>

namespace qv::accesssql {

namespace {

constexpr std::array<std::string_view, 12> kMonths{"January",   "February", "March",    "April",
                                                   "May",       "June",     "July",     "August",
                                                   "September", "October",  "November", "December"};
constexpr std::array<std::string_view, 7> kDays{"Sunday",   "Monday", "Tuesday", "Wednesday",
                                                "Thursday", "Friday", "Saturday"};

struct Named {
    std::string_view name;
    std::string_view pattern;
};

constexpr std::array kNamedDates{
    Named{"Long Date", "dddd, mmmm d, yyyy"}, Named{"Medium Date", "dd-mmm-yy"},
    Named{"Short Date", "m/d/yyyy"},          Named{"Long Time", "h:nn:ss AM/PM"},
    Named{"Medium Time", "hh:nn AM/PM"},      Named{"Short Time", "hh:nn"},
};

constexpr std::array kNamedNumbers{
    Named{"Currency", "$#,##0.00;($#,##0.00)"},
    Named{"Fixed", "0.00"},
    Named{"Standard", "#,##0.00"},
    Named{"Percent", "0.00%"},
    Named{"Scientific", "0.00E+00"},
};

char lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c;
}

bool startsWithNoCase(std::string_view s, std::size_t i, std::string_view what) {
    return s.size() - i >= what.size() && Keyword::equalsNoCase(s.substr(i, what.size()), what);
}

std::size_t run(std::string_view s, std::size_t i, char c) {
    std::size_t n = 0;
    while (i + n < s.size() && lower(s[i + n]) == c)
        ++n;
    return n;
}

std::string twoDigits(int v) {
    return fmt::format("{:02}", v);
}

std::string generalDate(const Stamp& s);

std::string customDate(const Stamp& s, std::string_view f) {
    const CivilDate c = AccessDate::civil(s.days);
    const int hour = s.seconds / 3600, minute = s.seconds / 60 % 60, second = s.seconds % 60;
    bool twelveHour = false;
    for (std::size_t i = 0; i < f.size(); ++i)
        if (startsWithNoCase(f, i, "am/pm") || startsWithNoCase(f, i, "a/p") ||
            startsWithNoCase(f, i, "ampm"))
            twelveHour = true;
    const int shownHour = twelveHour ? (hour % 12 == 0 ? 12 : hour % 12) : hour;

    std::string out;
    bool afterHour = false; // an m right after h or hh means minutes
    for (std::size_t i = 0; i < f.size();) {
        const char ch = f[i];
        const char lc = lower(ch);
        if (ch == '"') {
            const std::size_t end = f.find('"', i + 1);
            out.append(f.substr(i + 1, (end == std::string_view::npos ? f.size() : end) - i - 1));
            i = end == std::string_view::npos ? f.size() : end + 1;
            continue;
        }
        if (ch == '\\' && i + 1 < f.size()) {
            out.push_back(f[i + 1]);
            i += 2;
            continue;
        }
        if (startsWithNoCase(f, i, "am/pm")) {
            const bool upper = ch == 'A';
            out.append(hour < 12 ? (upper ? "AM" : "am") : (upper ? "PM" : "pm"));
            i += 5;
            continue;
        }
        if (startsWithNoCase(f, i, "ampm")) {
            out.append(hour < 12 ? "AM" : "PM");
            i += 4;
            continue;
        }
        if (startsWithNoCase(f, i, "a/p")) {
            const bool upper = ch == 'A';
            out.append(hour < 12 ? (upper ? "A" : "a") : (upper ? "P" : "p"));
            i += 3;
            continue;
        }
        const std::size_t n = (lc >= 'a' && lc <= 'z') ? run(f, i, lc) : 1;
        bool wasHour = false;
        switch (lc) {
        case 'c':
            out.append(generalDate(s));
            break;
        case 'd':
            if (n == 1)
                out.append(std::to_string(c.day));
            else if (n == 2)
                out.append(twoDigits(c.day));
            else if (n == 3)
                out.append(kDays[static_cast<std::size_t>(AccessDate::weekday(s.days) - 1)].substr(0, 3));
            else if (n == 4)
                out.append(kDays[static_cast<std::size_t>(AccessDate::weekday(s.days) - 1)]);
            else if (n == 5)
                out.append(customDate(s, "m/d/yyyy"));
            else
                out.append(customDate(s, "dddd, mmmm d, yyyy"));
            break;
        case 'w':
            if (n == 1) {
                out.append(std::to_string(AccessDate::weekday(s.days)));
            } else {
                const long long jan1 = AccessDate::daysFromCivil(c.year, 1, 1);
                const long long start = jan1 - (AccessDate::weekday(jan1) - 1);
                out.append(std::to_string((s.days - start) / 7 + 1));
            }
            break;
        case 'm': {
            std::size_t k = i + n;
            while (k < f.size() && !std::isalpha(static_cast<unsigned char>(f[k])))
                ++k;
            const bool minutes = n <= 2 && (afterHour || (k < f.size() && lower(f[k]) == 's'));
            if (minutes)
                out.append(n == 1 ? std::to_string(minute) : twoDigits(minute));
            else if (n == 1)
                out.append(std::to_string(c.month));
            else if (n == 2)
                out.append(twoDigits(c.month));
            else if (n == 3)
                out.append(kMonths[static_cast<std::size_t>(c.month - 1)].substr(0, 3));
            else
                out.append(kMonths[static_cast<std::size_t>(c.month - 1)]);
            break;
        }
        case 'q':
            out.append(std::to_string((c.month - 1) / 3 + 1));
            break;
        case 'y':
            if (n == 1 || n == 3) {
                if (n == 3) out.append(twoDigits(c.year % 100));
                out.append(std::to_string(s.days - AccessDate::daysFromCivil(c.year, 1, 1) + 1));
            } else if (n == 2) {
                out.append(twoDigits(c.year % 100));
            } else {
                out.append(fmt::format("{:04}", c.year));
            }
            break;
        case 'h':
            out.append(n == 1 ? std::to_string(shownHour) : twoDigits(shownHour));
            wasHour = true;
            break;
        case 'n':
            out.append(n == 1 ? std::to_string(minute) : twoDigits(minute));
            break;
        case 's':
            out.append(n == 1 ? std::to_string(second) : twoDigits(second));
            break;
        case 't':
            if (n >= 5) {
                out.append(customDate(s, "h:nn:ss AM/PM"));
            } else {
                out.append(f.substr(i, n));
            }
            break;
        default:
            out.append(f.substr(i, n));
            break;
        }
        afterHour = wasHour || (afterHour && !(lc >= 'a' && lc <= 'z'));
        i += n;
    }
    return out;
}

std::string generalDate(const Stamp& s) {
    if (s.days == 0 && s.seconds != 0) return customDate(s, "h:nn:ss AM/PM");
    if (s.seconds == 0) return customDate(s, "m/d/yyyy");
    return customDate(s, "m/d/yyyy h:nn:ss AM/PM");
}

std::vector<std::string_view> sections(std::string_view f) {
    std::vector<std::string_view> out;
    std::size_t start = 0;
    bool quoted = false;
    for (std::size_t i = 0; i < f.size(); ++i) {
        if (f[i] == '"')
            quoted = !quoted;
        else if (f[i] == '\\')
            ++i;
        else if (f[i] == ';' && !quoted) {
            out.push_back(f.substr(start, i - start));
            start = i + 1;
        }
    }
    out.push_back(f.substr(start));
    return out;
}

std::string group(std::string digits) {
    std::string out;
    const std::size_t n = digits.size();
    for (std::size_t i = 0; i < n; ++i) {
        out.push_back(digits[i]);
        if (i + 1 < n && (n - i - 1) % 3 == 0) out.push_back(',');
    }
    return out;
}

// One section of a number pattern: literal text before and after, digit placeholders between.
std::string numberSection(double v, std::string_view f, bool withMinus) {
    std::string prefix, suffix;
    int intZeros = 0, decZeros = 0, decPlaces = 0, expZeros = 0;
    bool point = false, thousands = false, percent = false, placeholders = false, exponent = false;
    char expSign = '-';
    for (std::size_t i = 0; i < f.size(); ++i) {
        const char ch = f[i];
        std::string* literal = placeholders ? &suffix : &prefix;
        if (ch == '"') {
            const std::size_t end = f.find('"', i + 1);
            literal->append(f.substr(i + 1, (end == std::string_view::npos ? f.size() : end) - i - 1));
            i = end == std::string_view::npos ? f.size() : end;
        } else if (ch == '\\' && i + 1 < f.size()) {
            literal->push_back(f[++i]);
        } else if ((ch == '0' || ch == '#') && !exponent && suffix.empty()) {
            placeholders = true;
            if (point) {
                ++decPlaces;
                if (ch == '0') decZeros = decPlaces;
            } else if (ch == '0') {
                ++intZeros;
            }
        } else if (ch == '.' && placeholders && !point && suffix.empty()) {
            point = true;
        } else if (ch == '.' && !placeholders) {
            point = true;
            placeholders = true;
        } else if (ch == ',' && placeholders && !point && suffix.empty()) {
            thousands = true;
        } else if ((ch == 'E' || ch == 'e') && placeholders && i + 1 < f.size() &&
                   (f[i + 1] == '+' || f[i + 1] == '-')) {
            exponent = true;
            expSign = f[i + 1];
            ++i;
            while (i + 1 < f.size() && (f[i + 1] == '0' || f[i + 1] == '#')) {
                if (f[i + 1] == '0') ++expZeros;
                ++i;
            }
        } else {
            if (ch == '%') percent = true;
            literal->push_back(ch);
        }
    }
    if (percent) v *= 100;
    const bool negative = v < 0;
    double a = std::fabs(v);
    int exp10 = 0;
    if (exponent && a != 0) {
        const int intDigits = std::max(intZeros, 1);
        exp10 = static_cast<int>(std::floor(std::log10(a))) - (intDigits - 1);
        a = NumberText::round(a / std::pow(10.0, exp10), decPlaces, Rounding::HalfAwayFromZero);
        if (a >= std::pow(10.0, intDigits)) {
            a /= 10;
            ++exp10;
        }
    }
    std::string digits = NumberText::fixed(a, decPlaces);
    std::string intPart = digits.substr(0, digits.find('.'));
    std::string frac = point && decPlaces > 0 ? digits.substr(digits.find('.') + 1) : std::string();
    while (static_cast<int>(frac.size()) > decZeros && !frac.empty() && frac.back() == '0')
        frac.pop_back();
    if (intPart == "0" && intZeros == 0) intPart.clear();
    while (static_cast<int>(intPart.size()) < intZeros)
        intPart.insert(intPart.begin(), '0');
    if (thousands) intPart = group(intPart);
    std::string out;
    const bool nonZero = digits.find_first_not_of("0.") != std::string::npos;
    if (withMinus && negative && nonZero) out.push_back('-');
    out.append(prefix).append(intPart);
    if (point) out.append(".").append(frac);
    if (exponent) {
        out.push_back('E');
        if (exp10 < 0)
            out.push_back('-');
        else if (expSign == '+')
            out.push_back('+');
        out.append(fmt::format("{:0{}}", std::abs(exp10), std::max(expZeros, 1)));
    }
    out.append(suffix);
    return out;
}

} // namespace

bool AccessFormat::isDateFormat(std::string_view f) {
    if (Keyword::equalsNoCase(f, "General Date")) return true;
    for (std::string_view n : {"General Number", "Yes/No", "True/False", "On/Off"})
        if (Keyword::equalsNoCase(f, n)) return false;
    for (const Named& n : kNamedDates)
        if (Keyword::equalsNoCase(f, n.name)) return true;
    for (const Named& n : kNamedNumbers)
        if (Keyword::equalsNoCase(f, n.name)) return false;
    bool quoted = false;
    for (std::size_t i = 0; i < f.size(); ++i) {
        const char c = lower(f[i]);
        if (f[i] == '"')
            quoted = !quoted;
        else if (quoted)
            continue;
        else if (f[i] == '\\')
            ++i;
        else if (c == 'd' || c == 'm' || c == 'y' || c == 'h' || c == 'n' || c == 's' || c == 'q' ||
                 c == 'w' || c == 'c' || startsWithNoCase(f, i, "am/pm") || startsWithNoCase(f, i, "a/p"))
            return true;
    }
    return false;
}

std::string AccessFormat::formatDate(const Stamp& s, std::string_view f) {
    if (f.empty() || Keyword::equalsNoCase(f, "General Date")) return generalDate(s);
    for (const Named& n : kNamedDates)
        if (Keyword::equalsNoCase(f, n.name)) return customDate(s, n.pattern);
    return customDate(s, f);
}

std::string AccessFormat::formatNumber(double v, std::string_view f) {
    if (f.empty() || Keyword::equalsNoCase(f, "General Number")) return NumberText::toText(v);
    if (Keyword::equalsNoCase(f, "Yes/No")) return v != 0 ? "Yes" : "No";
    if (Keyword::equalsNoCase(f, "True/False")) return v != 0 ? "True" : "False";
    if (Keyword::equalsNoCase(f, "On/Off")) return v != 0 ? "On" : "Off";
    for (const Named& n : kNamedNumbers)
        if (Keyword::equalsNoCase(f, n.name)) return formatNumber(v, n.pattern);
    const std::vector<std::string_view> parts = sections(f);
    if (v < 0 && parts.size() >= 2 && !parts[1].empty()) return numberSection(-v, parts[1], false);
    if (v == 0 && parts.size() >= 3 && !parts[2].empty()) return numberSection(0, parts[2], false);
    return numberSection(v, parts[0], true);
}

std::string AccessFormat::formatText(std::string_view value, std::string_view f) {
    if (f.find('>') != std::string_view::npos) return Utf8::upper(value);
    if (f.find('<') != std::string_view::npos) return Utf8::lower(value);
    return std::string(value);
}

} // namespace qv::accesssql
