#include "platform/Variant.h"

#include "platform/NumberedError.h"
#include "platform/OleDateTime.h"
#include "platform/TextUtil.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <fmt/format.h>
#include <limits>

namespace qv {

namespace {
[[noreturn]] void typeMismatch() {
    throw ErrorCatalogue::make(err::TypeMismatch, "Variant");
}
[[noreturn]] void invalidNull() {
    throw ErrorCatalogue::make(err::InvalidUseOfNull, "Variant");
}

// Text to number the way the automation model reads it with an invariant locale:
// blanks around, an optional sign, digits with a '.' decimal and an optional exponent,
// or "&H" hexadecimal.
bool parseNumber(std::string_view text, double& out) {
    std::string_view s = TextUtil::trim(text, " \t");
    if (s.empty()) return false;
    if (s.size() > 2 && s[0] == '&' && (s[1] == 'H' || s[1] == 'h')) {
        long long v = 0;
        auto r = std::from_chars(s.data() + 2, s.data() + s.size(), v, 16);
        if (r.ec != std::errc() || r.ptr != s.data() + s.size()) return false;
        out = static_cast<double>(v);
        return true;
    }
    if (s.front() == '+') s.remove_prefix(1);
    if (s.empty()) return false;
    auto r = std::from_chars(s.data(), s.data() + s.size(), out, std::chars_format::general);
    return r.ec == std::errc() && r.ptr == s.data() + s.size() && std::isfinite(out);
}

std::string numberText(double d) {
    if (d == 0) return "0";
    // Fifteen significant digits, trailing zeros dropped, as the automation model prints doubles.
    std::string s = fmt::format("{:.15G}", d);
    auto e = s.find('E');
    std::string mant = e == std::string::npos ? s : s.substr(0, e);
    std::string exp = e == std::string::npos ? "" : s.substr(e);
    if (mant.find('.') != std::string::npos) {
        while (!mant.empty() && mant.back() == '0')
            mant.pop_back();
        if (!mant.empty() && mant.back() == '.') mant.pop_back();
    }
    if (!exp.empty()) {
        // E+020 style exponents become E+20.
        char sign = exp.size() > 1 ? exp[1] : '+';
        std::string digits = exp.substr(2);
        while (digits.size() > 1 && digits.front() == '0')
            digits.erase(0, 1);
        exp = std::string("E") + sign + digits;
    }
    return mant + exp;
}
} // namespace

Currency Currency::fromDouble(double d) {
    if (!std::isfinite(d) || std::fabs(d) > 922337203685477.5807)
        throw ErrorCatalogue::make(err::Overflow, "Variant");
    return Currency{std::llround(d * 10000.0)};
}

Variant Variant::integer(std::int16_t i) {
    return Variant(Storage(static_cast<std::int64_t>(i)), VarType::Integer);
}
Variant Variant::longValue(std::int32_t i) {
    return Variant(Storage(static_cast<std::int64_t>(i)), VarType::Long);
}
double Variant::singleAsDecimal(float f) {
    if (!std::isfinite(f)) return static_cast<double>(f);
    char text[32];
    const auto end = fmt::format_to_n(text, sizeof text, "{}", f).out;
    double d = 0;
    if (std::from_chars(text, end, d).ec != std::errc()) return static_cast<double>(f);
    return d;
}

Variant Variant::single(float f) {
    return Variant(Storage(static_cast<double>(f)), VarType::Single);
}
Variant Variant::byteValue(std::uint8_t b) {
    return Variant(Storage(static_cast<std::int64_t>(b)), VarType::Byte);
}
Variant Variant::decimal(double d) {
    return Variant(Storage(d), VarType::Decimal);
}

void Variant::assignText(std::string_view s) {
    if (auto* text = std::get_if<std::string>(&mV))
        text->assign(s.data(), s.size());
    else
        mV.emplace<std::string>(s);
    mType = VarType::String;
}

bool Variant::isNumber() const {
    switch (mType) {
    case VarType::Integer:
    case VarType::Long:
    case VarType::LongLong:
    case VarType::Byte:
    case VarType::Single:
    case VarType::Double:
    case VarType::Currency:
    case VarType::Decimal:
        return true;
    default:
        return false;
    }
}

bool Variant::isIntegral() const {
    return std::holds_alternative<std::int64_t>(mV);
}

bool Variant::isNumeric() const {
    if (isNumber() || mType == VarType::Empty || mType == VarType::Boolean) return true;
    if (mType == VarType::String) {
        double d;
        return parseNumber(str(), d);
    }
    return false;
}

std::string Variant::toString() const {
    switch (mType) {
    case VarType::Empty:
        return {};
    case VarType::Null:
        invalidNull();
    case VarType::Boolean:
        return std::get<bool>(mV) ? "True" : "False";
    case VarType::String:
        return str();
    case VarType::Currency:
        return numberText(std::get<Currency>(mV).toDouble());
    case VarType::Date:
        return OleDateTime::toIsoText(std::get<OleDate>(mV).value);
    case VarType::Error:
        return fmt::format("Error {}", error().code);
    case VarType::Binary: {
        const Binary& b = bytes();
        return std::string(b.begin(), b.end());
    }
    default:
        if (isIntegral()) return std::to_string(std::get<std::int64_t>(mV));
        if (mType == VarType::Single) return fmt::format("{}", static_cast<float>(std::get<double>(mV)));
        return numberText(std::get<double>(mV));
    }
}

double Variant::toDouble() const {
    switch (mType) {
    case VarType::Empty:
        return 0.0;
    case VarType::Null:
        invalidNull();
    case VarType::Boolean:
        return std::get<bool>(mV) ? -1.0 : 0.0;
    case VarType::Currency:
        return std::get<Currency>(mV).toDouble();
    case VarType::Date:
        return std::get<OleDate>(mV).value;
    case VarType::String: {
        double d;
        if (parseNumber(str(), d)) return d;
        if (auto dt = OleDateTime::parse(str())) return *dt;
        typeMismatch();
    }
    case VarType::Error:
    case VarType::Binary:
        typeMismatch();
    default:
        if (isIntegral()) return static_cast<double>(std::get<std::int64_t>(mV));
        return std::get<double>(mV);
    }
}

std::int64_t Variant::toInt64() const {
    if (isIntegral()) return std::get<std::int64_t>(mV);
    const double d = toDouble();
    if (!(d > -9.3e18 && d < 9.3e18)) throw ErrorCatalogue::make(err::Overflow, "Variant");
    // Banker's rounding, as the automation model rounds on conversion to an integer.
    return static_cast<std::int64_t>(std::nearbyint(d));
}

std::int32_t Variant::toInt32() const {
    const std::int64_t v = toInt64();
    if (v < std::numeric_limits<std::int32_t>::min() || v > std::numeric_limits<std::int32_t>::max())
        throw ErrorCatalogue::make(err::Overflow, "Variant");
    return static_cast<std::int32_t>(v);
}

bool Variant::toBool() const {
    switch (mType) {
    case VarType::Boolean:
        return std::get<bool>(mV);
    case VarType::String: {
        std::string_view s = TextUtil::trim(str(), " \t");
        auto eq = [&](std::string_view w) {
            if (s.size() != w.size()) return false;
            for (std::size_t i = 0; i < s.size(); ++i)
                if (std::tolower(static_cast<unsigned char>(s[i])) != w[i]) return false;
            return true;
        };
        if (eq("true") || eq("waar")) return true;
        if (eq("false") || eq("onwaar")) return false;
        double d;
        if (parseNumber(s, d)) return d != 0.0;
        typeMismatch();
    }
    default:
        return toDouble() != 0.0;
    }
}

OleDate Variant::toDate() const {
    switch (mType) {
    case VarType::Date:
        return std::get<OleDate>(mV);
    case VarType::String: {
        if (auto d = OleDateTime::parse(str())) return OleDate{*d};
        double n;
        if (parseNumber(str(), n)) return OleDate{n};
        typeMismatch();
    }
    default:
        return OleDate{toDouble()};
    }
}

Currency Variant::toCurrency() const {
    if (mType == VarType::Currency) return std::get<Currency>(mV);
    if (isIntegral()) return Currency{std::get<std::int64_t>(mV) * 10000};
    return Currency::fromDouble(toDouble());
}

} // namespace qv
