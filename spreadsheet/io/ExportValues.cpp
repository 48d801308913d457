// See ExportValues.h. The colour byte order is the one trap here: OLE keeps blue in the high
// byte of the 24 bits, files keep red first.
#include "spreadsheet/io/ExportValues.h"

#include "platform/OleDateTime.h"
#include "spreadsheet/formats/NumberFormatter.h"
#include "spreadsheet/model/CellStyle.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <fmt/format.h>
#include <iterator>

namespace qv::sheet {

namespace {
bool automatic(std::int32_t ole) {
    return ole == NoColor || (static_cast<std::uint32_t>(ole) & 0xFF000000u) != 0;
}
// A fraction under General without building strings: the formatter's own steps (fifteen
// significant digits, rounded to the decimals the eleven characters leave, trailing zeros
// dropped; scientific when that keeps more significant digits) on digit arrays. Answers false
// where it would not be sure to agree with NumberFormatter::general (scientific results,
// roundings that carry into a new digit), and the caller asks the formatter then.
bool generalFraction(double value, std::string& out) {
    const double a = std::fabs(value);
    char sci[40];
    const auto end = fmt::format_to_n(sci, sizeof sci - 1, "{:.14e}", a).out; // d.dddddddddddddde+XX
    *end = 0;
    char digits[16];
    digits[0] = sci[0];
    std::memcpy(digits + 1, sci + 2, 14);
    const int point = std::atoi(sci + 17) + 1;
    if (point - 1 >= 11) return false;
    const int decimals = std::max(10 - std::max(point, 1), 0);
    const int keep = point + decimals;
    if (keep <= 0 || keep > 15) return false;
    // Rounds half up at `keep`; a carry out of the first digit is left to the formatter.
    char fixed[16];
    std::memcpy(fixed, digits, 15);
    int len = keep;
    if (keep < 15 && fixed[keep] >= '5') {
        int i = keep - 1;
        while (i >= 0 && fixed[i] == '9')
            fixed[i--] = '0';
        if (i < 0) return false;
        ++fixed[i];
    }
    while (len > 0 && fixed[len - 1] == '0')
        --len;
    if (len == 0) return false;
    // The shown text: integer digits (point of them, zeros past the kept digits), then the
    // decimals that are not trailing zeros.
    char text[40];
    int n = 0;
    if (value < 0) text[n++] = '-';
    int fixedSignificant = 0;
    if (point > 0) {
        for (int i = 0; i < point; ++i)
            text[n++] = i < len ? fixed[i] : '0';
        fixedSignificant = point;
    } else {
        text[n++] = '0';
    }
    int fractionEnd = len - point; // decimals up to the last kept non-zero digit
    if (fractionEnd > 0) {
        text[n++] = '.';
        for (int i = 0; i < fractionEnd; ++i) {
            const int idx = point + i;
            const char d = idx >= 0 ? fixed[idx] : '0';
            text[n++] = d;
            if (fixedSignificant > 0 || d != '0') ++fixedSignificant; // leading zeros do not count
        }
    }
    // Scientific keeps six significant digits, trailing zeros dropped.
    char six[6];
    std::memcpy(six, digits, 6);
    if (digits[6] >= '5') {
        int i = 5;
        while (i >= 0 && six[i] == '9')
            six[i--] = '0';
        if (i < 0) return false;
        ++six[i];
    }
    int sciSignificant = 6;
    while (sciSignificant > 1 && six[sciSignificant - 1] == '0')
        --sciSignificant;
    if (fixedSignificant < sciSignificant) return false;
    out.assign(text, static_cast<std::size_t>(n));
    return true;
}

} // namespace

std::string ExportValues::argbFromOle(std::int32_t ole) {
    if (automatic(ole)) return {};
    auto u = static_cast<std::uint32_t>(ole);
    return fmt::format("FF{:02X}{:02X}{:02X}", u & 0xFF, (u >> 8) & 0xFF, (u >> 16) & 0xFF);
}

std::string ExportValues::htmlFromOle(std::int32_t ole) {
    if (automatic(ole)) return {};
    auto u = static_cast<std::uint32_t>(ole);
    return fmt::format("#{:02X}{:02X}{:02X}", u & 0xFF, (u >> 8) & 0xFF, (u >> 16) & 0xFF);
}

const char* ExportValues::errorName(std::int32_t code) {
    switch (code) {
    case 2000:
        return "#NULL!";
    case 2007:
        return "#DIV/0!";
    case 2015:
        return "#VALUE!";
    case 2023:
        return "#REF!";
    case 2029:
        return "#NAME?";
    case 2036:
        return "#NUM!";
    case 2042:
        return "#N/A";
    default:
        return "#VALUE!";
    }
}

std::string ExportValues::displayText(const Variant& value, const std::string& numberFormat) {
    switch (value.type()) {
    case VarType::Empty:
    case VarType::Null:
    case VarType::Binary:
        return {};
    case VarType::Error:
        return value.isMissing() ? std::string() : errorName(value.error().code);
    case VarType::Boolean:
        return value.toBool() ? "TRUE" : "FALSE"; // the host's English spelling, whatever the format
    case VarType::String:
        return value.str();
    case VarType::Date: {
        const double d = value.toDate().value;
        if (!std::isfinite(d)) return "#NUM!";
        const bool general = numberFormat.empty() || numberFormat == "General";
        if (d < 0 && (general || NumberFormatter::isDateFormat(numberFormat))) return dateText(d);
        if (general)
            return NumberFormatter::format(value, d != std::trunc(d) ? "m/d/yyyy h:mm" : "m/d/yyyy",
                                           Locale::English);
        return NumberFormatter::format(value, numberFormat, Locale::English);
    }
    case VarType::Single: {
        // The single's own shortest decimal, read as a double: 0.05f formats as the 0.05 it
        // stands for under any format, where its widening to double would be 0.0500000007...
        const auto f = static_cast<float>(value.toDouble());
        if (!std::isfinite(f)) return "#NUM!";
        char buf[32];
        *std::to_chars(buf, buf + sizeof buf - 1, f).ptr = 0;
        return NumberFormatter::format(Variant(std::strtod(buf, nullptr)), numberFormat, Locale::English);
    }
    default:
        if (value.isNumber() && !std::isfinite(value.toDouble())) return "#NUM!";
        return NumberFormatter::format(value, numberFormat, Locale::English);
    }
}

std::string_view ExportValues::displayText(const Variant& value, const std::string& numberFormat,
                                           std::string& out) {
    switch (value.type()) {
    case VarType::String:
        return value.str();
    case VarType::Empty:
    case VarType::Null:
    case VarType::Binary:
        out.clear();
        return out;
    case VarType::Boolean:
        out.assign(value.toBool() ? "TRUE" : "FALSE");
        return out;
    case VarType::Error:
        out.assign(value.isMissing() ? "" : errorName(value.error().code));
        return out;
    case VarType::Date: {
        // A date under General shows as "m/d/yyyy", with " h:mm" when it has a time: the
        // formatter's rounding to the second, then the parts, without parsing the format.
        const double d = value.toDate().value;
        if ((numberFormat.empty() || numberFormat == "General") && d >= 0 && d < 2958466.0) {
            const long long total = std::llround(d * 86400.0);
            const DateTimeParts p = OleDateTime::toParts(static_cast<double>(total / 86400));
            out.clear();
            fmt::format_to(std::back_inserter(out), "{}/{}/{:04}", p.month, p.day, p.year);
            if (d != std::trunc(d)) {
                const long long seconds = total % 86400;
                fmt::format_to(std::back_inserter(out), " {}:{:02}", seconds / 3600, seconds / 60 % 60);
            }
            return out;
        }
        break;
    }
    case VarType::Single:
        break;
    default:
        // Under General a whole number shows all its digits up to eleven of them, and most
        // fractions the digits that fit in eleven characters; the formatter takes the rest.
        if (value.isNumber() && (numberFormat.empty() || numberFormat == "General")) {
            const double d = value.toDouble();
            if (std::trunc(d) == d && std::fabs(d) < 1e11) {
                char buf[24];
                out.assign(buf, std::to_chars(buf, buf + sizeof buf, static_cast<long long>(d)).ptr);
                return out;
            }
            if (std::isfinite(d) && generalFraction(d, out)) return out;
        }
        break;
    }
    out = displayText(value, numberFormat);
    return out;
}

std::string ExportValues::dateText(double oleDate) {
    return OleDateTime::toIsoText(oleDate);
}

double ExportValues::fileColumnWidth(double characters) {
    // Maximum digit width 7 px and 5 px padding for the default 11 pt font.
    if (characters <= 0) return 0;
    return std::trunc((characters * 7.0 + 5.0) / 7.0 * 256.0) / 256.0;
}

} // namespace qv::sheet
