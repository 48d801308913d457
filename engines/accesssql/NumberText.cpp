// Decimal views of doubles: 15 significant digits, decimal rounding, lenient and strict reading.
#include "engines/accesssql/NumberText.h"

#include <cmath>
#include <cstdlib>
#include <fmt/format.h>

namespace qv::accesssql {

namespace {

constexpr int kSignificant = 15;

// The value as 15 significant decimal digits and the power of ten of the first one.
struct Decimal {
    bool negative = false;
    std::string digits; // exactly kSignificant digits
    int exponent = 0;   // value = 0.d1d2... * 10^(exponent + 1)
};

Decimal decompose(double v) {
    Decimal d;
    d.negative = std::signbit(v);
    const std::string s = fmt::format("{:.{}e}", std::fabs(v), kSignificant - 1); // d.dddde+XX
    const std::size_t e = s.find('e');
    d.digits.reserve(kSignificant);
    for (std::size_t i = 0; i < e; ++i)
        if (s[i] != '.') d.digits.push_back(s[i]);
    d.exponent = std::atoi(s.c_str() + e + 1);
    return d;
}

double compose(bool negative, const std::string& digits, int exponent) {
    const std::string s = fmt::format("{}0.{}e{}", negative ? "-" : "", digits, exponent + 1);
    return std::strtod(s.c_str(), nullptr);
}

} // namespace

std::string NumberText::toText(double v) {
    if (std::isnan(v)) return "NaN";
    if (std::isinf(v)) return v > 0 ? "Infinity" : "-Infinity";
    if (v == 0) return "0";
    if (std::fabs(v) < 1e15 && v == std::trunc(v)) return fmt::format("{:.0f}", v);
    std::string s = fmt::format("{:.{}g}", v, kSignificant);
    const std::size_t e = s.find('e');
    if (e == std::string::npos) return s;
    // "1.5e+20" -> "1.5E+20": the exponent letter in capitals, at least two digits.
    s[e] = 'E';
    return s;
}

double NumberText::round(double value, int digits, Rounding mode) {
    if (value == 0 || !std::isfinite(value)) return value;
    Decimal d = decompose(value);
    const int keep = d.exponent + 1 + digits; // digits kept of the 15
    if (keep >= kSignificant) return value;
    if (keep < 0) return 0.0;
    bool up = false;
    const char first = d.digits[static_cast<std::size_t>(keep)];
    if (mode == Rounding::HalfAwayFromZero) {
        up = first >= '5';
    } else if (first > '5') {
        up = true;
    } else if (first == '5') {
        bool beyond = false;
        for (std::size_t i = static_cast<std::size_t>(keep) + 1; i < d.digits.size(); ++i)
            if (d.digits[i] != '0') beyond = true;
        const bool oddBefore = keep > 0 && (d.digits[static_cast<std::size_t>(keep) - 1] - '0') % 2 == 1;
        up = beyond || oddBefore;
    }
    std::string kept = d.digits.substr(0, static_cast<std::size_t>(keep));
    int exponent = d.exponent;
    if (up) {
        int i = keep - 1;
        while (i >= 0 && kept[static_cast<std::size_t>(i)] == '9')
            kept[static_cast<std::size_t>(i--)] = '0';
        if (i >= 0) {
            ++kept[static_cast<std::size_t>(i)];
        } else {
            kept.insert(kept.begin(), '1');
            ++exponent;
        }
    }
    if (kept.empty()) return 0.0;
    return compose(d.negative, kept, exponent);
}

double NumberText::roundSignificant(double value, int significant) {
    if (value == 0 || !std::isfinite(value)) return value;
    const Decimal d = decompose(value);
    return round(value, significant - 1 - d.exponent, Rounding::HalfEven);
}

std::optional<double> NumberText::parse(std::string_view text) {
    std::size_t i = 0, n = text.size();
    while (i < n && (text[i] == ' ' || text[i] == '\t'))
        ++i;
    while (n > i && (text[n - 1] == ' ' || text[n - 1] == '\t'))
        --n;
    if (i >= n) return std::nullopt;
    if (text[i] == '&' && i + 2 < n &&
        (text[i + 1] == 'H' || text[i + 1] == 'h' || text[i + 1] == 'O' || text[i + 1] == 'o')) {
        const int base = (text[i + 1] == 'H' || text[i + 1] == 'h') ? 16 : 8;
        const std::string digits(text.substr(i + 2, n - i - 2));
        char* end = nullptr;
        const long long v = std::strtoll(digits.c_str(), &end, base);
        if (end != digits.c_str() + digits.size()) return std::nullopt;
        return static_cast<double>(v);
    }
    std::string clean;
    clean.reserve(n - i);
    bool digit = false, point = false, exp = false;
    for (std::size_t k = i; k < n; ++k) {
        const char c = text[k];
        if (c >= '0' && c <= '9') {
            digit = true;
            clean.push_back(c);
        } else if ((c == '+' || c == '-') &&
                   (k == i || ((text[k - 1] == 'e' || text[k - 1] == 'E') && exp))) {
            clean.push_back(c);
        } else if (c == '.' && !point && !exp) {
            point = true;
            clean.push_back(c);
        } else if (c == ',' && digit && !point && !exp) {
            continue; // thousands separator
        } else if ((c == 'e' || c == 'E') && digit && !exp) {
            exp = true;
            clean.push_back(c);
        } else {
            return std::nullopt;
        }
    }
    if (!digit) return std::nullopt;
    char* end = nullptr;
    const double v = std::strtod(clean.c_str(), &end);
    if (end != clean.c_str() + clean.size()) return std::nullopt;
    return v;
}

double NumberText::val(std::string_view text) {
    std::string clean;
    std::size_t k = 0;
    auto skipBlanks = [&] {
        while (k < text.size() && (text[k] == ' ' || text[k] == '\t' || text[k] == '\n' || text[k] == '\r'))
            ++k;
    };
    skipBlanks();
    if (k + 1 < text.size() && text[k] == '&') {
        const char b = text[k + 1];
        const int base = (b == 'H' || b == 'h') ? 16 : (b == 'O' || b == 'o') ? 8 : 0;
        if (base) {
            const std::string rest(text.substr(k + 2));
            return static_cast<double>(std::strtoll(rest.c_str(), nullptr, base));
        }
    }
    bool point = false, exp = false, digits = false;
    for (; k < text.size(); skipBlanks()) {
        const char c = text[k];
        if (c >= '0' && c <= '9') {
            digits = true;
        } else if ((c == '+' || c == '-') && (clean.empty() || clean.back() == 'E')) {
        } else if (c == '.' && !point && !exp) {
            point = true;
        } else if ((c == 'e' || c == 'E' || c == 'd' || c == 'D') && digits && !exp) {
            exp = true;
            clean.push_back('E');
            ++k;
            continue;
        } else {
            break;
        }
        clean.push_back(c);
        ++k;
    }
    return std::strtod(clean.c_str(), nullptr);
}

std::string NumberText::fixed(double value, int decimals) {
    const double r = round(value, decimals, Rounding::HalfAwayFromZero);
    std::string s = fmt::format("{:.{}f}", r, decimals);
    if (s.front() == '-' && s.find_first_not_of("-0.") == std::string::npos) s.erase(0, 1); // no "-0.00"
    return s;
}

} // namespace qv::accesssql
