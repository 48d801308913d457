// See ExportValues.h. The colour byte order is the one trap here: OLE keeps blue in the high
// byte of the 24 bits, files keep red first.
#include "spreadsheet/io/ExportValues.h"

#include "platform/OleDateTime.h"
#include "spreadsheet/formats/NumberFormatter.h"
#include "spreadsheet/model/CellStyle.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <fmt/format.h>

namespace qv::sheet {

namespace {
bool automatic(std::int32_t ole) {
    return ole == NoColor || (static_cast<std::uint32_t>(ole) & 0xFF000000u) != 0;
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

void ExportValues::displayText(const Variant& value, const std::string& numberFormat, std::string& out) {
    switch (value.type()) {
    case VarType::String:
        out.assign(value.str());
        return;
    case VarType::Empty:
    case VarType::Null:
    case VarType::Binary:
        out.clear();
        return;
    case VarType::Boolean:
        out.assign(value.toBool() ? "TRUE" : "FALSE");
        return;
    case VarType::Error:
        out.assign(value.isMissing() ? "" : errorName(value.error().code));
        return;
    case VarType::Date:
    case VarType::Single:
        break;
    default:
        // A whole number under General shows all its digits up to eleven of them; past that,
        // and for fractions, the formatter decides between fixed and scientific.
        if (value.isNumber() && (numberFormat.empty() || numberFormat == "General")) {
            const double d = value.toDouble();
            if (std::trunc(d) == d && std::fabs(d) < 1e11) {
                char buf[24];
                out.assign(buf, std::to_chars(buf, buf + sizeof buf, static_cast<long long>(d)).ptr);
                return;
            }
        }
        break;
    }
    out = displayText(value, numberFormat);
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
