// Decimal rounding on digit strings rather than on doubles, so the rounding happens on the
// decimal value the host shows and not on its binary neighbour.
#include "spreadsheet/formats/NumberFormatterDecimal.h"

#include <fmt/format.h>

namespace qv::sheet {

namespace {

using Digits = DecimalDigits;

Digits fifteen(double magnitude) {
    Digits d;
    if (magnitude == 0.0) return d;
    const std::string s = fmt::format("{:.14e}", magnitude); // d.dddddddddddddde+XX
    const auto e = s.find('e');
    d.digits.reserve(15);
    d.digits.push_back(s[0]);
    d.digits.append(s, 2, e - 2);
    d.point = std::stoi(s.substr(e + 1)) + 1;
    return d;
}

// Keeps the first `keep` digits, rounding half away from zero on the next one.
void roundTo(Digits& d, int keep) {
    if (keep < 0) {
        d.digits.clear();
        return;
    }
    if (keep >= static_cast<int>(d.digits.size())) return;
    const bool up = d.digits[static_cast<std::size_t>(keep)] >= '5';
    d.digits.resize(static_cast<std::size_t>(keep));
    if (!up) return;
    int i = keep - 1;
    while (i >= 0 && d.digits[static_cast<std::size_t>(i)] == '9')
        d.digits[static_cast<std::size_t>(i--)] = '0';
    if (i >= 0) {
        ++d.digits[static_cast<std::size_t>(i)];
    } else {
        // All nines carried out: 0.999 becomes 0.100 one place further left.
        d.digits.assign(static_cast<std::size_t>(std::max(keep, 1)), '0');
        d.digits[0] = '1';
        ++d.point;
    }
}

} // namespace

DecimalDigits NumberFormatterDecimal::digits(double magnitude) {
    return fifteen(magnitude);
}

DecimalText NumberFormatterDecimal::fixed(const DecimalDigits& digits, int decimals) {
    DecimalText out;
    Digits d = digits;
    if (!d.digits.empty()) {
        const int keep = d.point + decimals;
        if (keep < 0)
            d.digits.clear();
        else
            roundTo(d, keep);
    }
    while (!d.digits.empty() && d.digits.back() == '0')
        d.digits.pop_back();
    const int len = static_cast<int>(d.digits.size());
    if (len > 0 && d.point > 0) {
        out.integer = d.digits.substr(0, static_cast<std::size_t>(std::min(d.point, len)));
        if (d.point > len) out.integer.append(static_cast<std::size_t>(d.point - len), '0');
    }
    out.fraction.reserve(static_cast<std::size_t>(decimals));
    for (int i = 0; i < decimals; ++i) {
        const int idx = d.point + i;
        out.fraction.push_back(idx >= 0 && idx < len ? d.digits[static_cast<std::size_t>(idx)] : '0');
    }
    return out;
}

SignificantText NumberFormatterDecimal::significant(const DecimalDigits& from, int digits) {
    SignificantText out;
    Digits d = from;
    if (d.digits.empty()) {
        out.digits = std::string(static_cast<std::size_t>(std::max(digits, 1)), '0');
        return out;
    }
    roundTo(d, std::max(digits, 1));
    out.digits = d.digits;
    if (static_cast<int>(out.digits.size()) < digits)
        out.digits.append(static_cast<std::size_t>(digits) - out.digits.size(), '0');
    out.exponent = d.point - 1;
    return out;
}

} // namespace qv::sheet
