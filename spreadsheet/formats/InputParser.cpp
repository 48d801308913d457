// Recognition follows the host: thousands separators only in groups of three, the locale's
// decimal separator only, day-month-year under Dutch and month-day-year under English (ISO
// year-month-day in both), two-digit years 00-29 in this century and 30-99 in the last.
// Whatever is not recognised is kept as the text that was typed, never lost.
#include "spreadsheet/formats/InputParser.h"

#include "platform/OleDateTime.h"
#include "platform/TextUtil.h"
#include "spreadsheet/formats/NumberFormatterLocale.h"

#include <cctype>
#include <charconv>
#include <vector>

namespace qv::sheet {

namespace {

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

std::string_view trim(std::string_view s) {
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.front())))
        s.remove_prefix(1);
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back())))
        s.remove_suffix(1);
    return s;
}

std::optional<int> toInt(std::string_view digits) {
    if (digits.empty() || digits.size() > 4) return std::nullopt;
    int v = 0;
    for (char c : digits) {
        if (!isDigit(c)) return std::nullopt;
        v = v * 10 + (c - '0');
    }
    return v;
}

std::optional<int> fullYear(std::string_view digits) {
    if (digits.size() != 1 && digits.size() != 2 && digits.size() != 4) return std::nullopt;
    auto y = toInt(digits);
    if (!y) return std::nullopt;
    if (digits.size() <= 2) return *y < 30 ? 2000 + *y : 1900 + *y;
    return y;
}

std::optional<int> monthByName(std::string_view word, const NumberFormatterLocale& loc) {
    for (int m = 0; m < 12; ++m)
        if (TextUtil::equalsIgnoreCase(word, loc.monthNames[static_cast<std::size_t>(m)]) ||
            TextUtil::equalsIgnoreCase(word, loc.monthAbbreviations[static_cast<std::size_t>(m)]))
            return m + 1;
    return std::nullopt;
}

// h:mm[:ss] with an optional AM/PM; the time as a fraction of a day.
std::optional<double> parseTime(std::string_view s) {
    s = trim(s);
    int shift = -1; // -1 none, 0 am, 12 pm
    auto endsWith = [&](std::string_view suffix) {
        return s.size() > suffix.size() &&
               TextUtil::equalsIgnoreCase(s.substr(s.size() - suffix.size()), suffix);
    };
    if (endsWith("am") || endsWith("pm")) {
        shift = TextUtil::lowerAscii(s[s.size() - 2]) == 'p' ? 12 : 0;
        s = trim(s.substr(0, s.size() - 2));
    } else if (endsWith("a") || endsWith("p")) {
        shift = TextUtil::lowerAscii(s.back()) == 'p' ? 12 : 0;
        s = trim(s.substr(0, s.size() - 1));
    }
    std::vector<std::string_view> parts;
    std::size_t start = 0;
    for (std::size_t i = 0; i <= s.size(); ++i) {
        if (i == s.size() || s[i] == ':') {
            parts.push_back(s.substr(start, i - start));
            start = i + 1;
        }
    }
    if (parts.size() < 2 || parts.size() > 3) return std::nullopt;
    // Plain ints: -1 marks a part that is not two digits.
    auto twoDigits = [](std::string_view p) { return p.size() == 2 ? toInt(p).value_or(-1) : -1; };
    const int h = parts[0].size() <= 2 ? toInt(parts[0]).value_or(-1) : -1;
    const int m = twoDigits(parts[1]);
    const int sec = parts.size() == 3 ? twoDigits(parts[2]) : 0;
    if (h < 0 || m < 0 || sec < 0 || m > 59 || sec > 59) return std::nullopt;
    int hour = h;
    if (shift >= 0) {
        if (hour < 1 || hour > 12) return std::nullopt;
        hour = hour % 12 + shift;
    } else if (hour > 23) {
        return std::nullopt;
    }
    return (hour * 3600.0 + m * 60.0 + sec) / 86400.0;
}

std::optional<double> parseDate(std::string_view s, Locale locale) {
    const auto& loc = NumberFormatterLocale::of(locale);
    std::vector<std::string_view> parts;
    std::string seps;
    std::size_t i = 0;
    while (i < s.size()) {
        const std::size_t start = i;
        if (isDigit(s[i])) {
            while (i < s.size() && isDigit(s[i]))
                ++i;
        } else if (std::isalpha(static_cast<unsigned char>(s[i]))) {
            while (i < s.size() && std::isalpha(static_cast<unsigned char>(s[i])))
                ++i;
        } else {
            return std::nullopt;
        }
        parts.push_back(s.substr(start, i - start));
        if (i == s.size()) break;
        const char sep = s[i];
        if (sep != '-' && sep != '/' && sep != ' ' && sep != ',' && sep != '.') return std::nullopt;
        seps.push_back(sep);
        ++i;
        while (i < s.size() && s[i] == ' ')
            ++i; // "March 5, 2011"
    }
    if (parts.size() != 3) return std::nullopt;
    const bool numeric = isDigit(parts[0][0]) && isDigit(parts[1][0]) && isDigit(parts[2][0]);
    // Numbers with points are numbers, not dates; all-numeric dates take '-' or '/' only.
    if (seps.find('.') != std::string::npos && numeric) return std::nullopt;
    if (numeric && seps.find_first_of(" ,") != std::string::npos) return std::nullopt;
    std::optional<int> y, m, d;
    if (numeric && parts[0].size() == 4) {
        y = fullYear(parts[0]), m = toInt(parts[1]), d = toInt(parts[2]);
    } else if (numeric) {
        const bool dayFirst = locale == Locale::Dutch;
        d = toInt(parts[dayFirst ? 0 : 1]), m = toInt(parts[dayFirst ? 1 : 0]), y = fullYear(parts[2]);
    } else if (isDigit(parts[0][0]) && !isDigit(parts[1][0]) && isDigit(parts[2][0])) {
        d = toInt(parts[0]), m = monthByName(parts[1], loc), y = fullYear(parts[2]);
    } else if (!isDigit(parts[0][0]) && isDigit(parts[1][0]) && isDigit(parts[2][0])) {
        m = monthByName(parts[0], loc), d = toInt(parts[1]), y = fullYear(parts[2]);
    }
    if (!y || !m || !d || *y < 1900 || *y > 9999 || !OleDateTime::isValidDate(*y, *m, *d))
        return std::nullopt;
    return OleDateTime::fromParts({*y, *m, *d, 0, 0, 0});
}

bool stripCurrency(std::string_view& s) {
    for (std::string_view sym : {"\u20AC", "$", "\u00A3", "\u00A5"}) {
        if (s.size() > sym.size() && s.substr(0, sym.size()) == sym) {
            s = trim(s.substr(sym.size()));
            return true;
        }
        if (s.size() > sym.size() && s.substr(s.size() - sym.size()) == sym) {
            s = trim(s.substr(0, s.size() - sym.size()));
            return true;
        }
    }
    return false;
}

} // namespace

std::optional<double> InputParser::parseNumber(std::string_view text, Locale locale) {
    const auto& loc = NumberFormatterLocale::of(locale);
    std::string_view s = trim(text);
    bool negative = false, percent = false;
    if (s.size() >= 2 && s.front() == '(' && s.back() == ')') {
        negative = true;
        s = trim(s.substr(1, s.size() - 2));
    }
    if (!s.empty() && s.back() == '%') {
        percent = true;
        s = trim(s.substr(0, s.size() - 1));
    }
    // One currency symbol before or after the amount, or after its sign ("-€ 5"); the value
    // is the amount.
    bool symbol = stripCurrency(s);
    if (!s.empty() && (s.front() == '-' || s.front() == '+')) {
        if (negative) return std::nullopt;
        negative = s.front() == '-';
        s = trim(s.substr(1));
    }
    if (!symbol) symbol = stripCurrency(s);
    std::string plain;
    plain.reserve(s.size());
    std::size_t i = 0;
    std::size_t group = 0; // digits since the last thousands separator
    bool grouped = false, anyDigit = false;
    for (; i < s.size() && (isDigit(s[i]) || s[i] == loc.thousandsSeparator); ++i) {
        if (s[i] == loc.thousandsSeparator) {
            if (!anyDigit || (grouped && group != 3) || (!grouped && group > 3)) return std::nullopt;
            grouped = true;
            group = 0;
            continue;
        }
        plain.push_back(s[i]);
        anyDigit = true;
        ++group;
    }
    if (grouped && group != 3) return std::nullopt;
    if (i < s.size() && s[i] == loc.decimalSeparator) {
        plain.push_back('.');
        for (++i; i < s.size() && isDigit(s[i]); ++i) {
            plain.push_back(s[i]);
            anyDigit = true;
        }
    }
    if (!anyDigit) return std::nullopt;
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E') && !percent) {
        plain.push_back('e');
        ++i;
        if (i < s.size() && (s[i] == '+' || s[i] == '-')) plain.push_back(s[i++]);
        const std::size_t expStart = i;
        for (; i < s.size() && isDigit(s[i]); ++i)
            plain.push_back(s[i]);
        if (i == expStart) return std::nullopt;
    }
    if (i != s.size()) return std::nullopt;
    double v = 0.0;
    const auto [end, ec] = std::from_chars(plain.data(), plain.data() + plain.size(), v);
    if (ec != std::errc() || end != plain.data() + plain.size()) return std::nullopt;
    if (percent) v /= 100.0;
    return negative ? -v : v;
}

std::optional<double> InputParser::parseDateTime(std::string_view text, Locale locale) {
    const std::string_view s = trim(text);
    if (s.empty()) return std::nullopt;
    if (auto t = parseTime(s)) return t;
    if (auto d = parseDate(s, locale)) return d;
    // A date and a time: split where the time's hour begins (after the last space or a 'T').
    std::size_t split = s.find('T');
    if (split == std::string_view::npos || split == 0 || !isDigit(s[split - 1])) {
        const std::size_t colon = s.find(':');
        if (colon == std::string_view::npos) return std::nullopt;
        split = s.rfind(' ', colon);
        if (split == std::string_view::npos) return std::nullopt;
    }
    const auto d = parseDate(trim(s.substr(0, split)), locale);
    const auto t = parseTime(s.substr(split + 1));
    if (!d || !t) return std::nullopt;
    return *d + *t;
}

Variant InputParser::parse(const std::string& typed, Locale locale) {
    if (typed.empty()) return {};
    if (typed[0] == '\'') return Variant(typed.substr(1));
    const std::string_view s = trim(typed);
    if (s.empty()) return Variant(typed);
    const auto& loc = NumberFormatterLocale::of(locale);
    if (TextUtil::equalsIgnoreCase(s, loc.trueText)) return Variant(true);
    if (TextUtil::equalsIgnoreCase(s, loc.falseText)) return Variant(false);
    if (auto n = parseNumber(s, locale)) return Variant(*n);
    if (auto d = parseDateTime(s, locale)) return Variant(OleDate{*d});
    return Variant(typed);
}

} // namespace qv::sheet
