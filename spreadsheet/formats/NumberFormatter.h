// Renders a cell value as the host displays it under a number format ("General", "0.00",
// "#,##0", "dd-mm-yyyy", "0%", "€ #,##0.00", ...), in the host's language. The grid calls this
// for every visible cell, so parsed formats are kept in a small per-thread cache.
#pragma once

#include "platform/Variant.h"

#include <string>

namespace qv::sheet {

enum class Locale { English, Dutch };

struct FormattedText {
    std::string text;
    std::string color; // the section's [colour] tag as written ("Red", "Color10"); empty for none
};

class NumberFormatter {
  public:
    static std::string format(const Variant& value, const std::string& numberFormat, Locale locale);
    // The same, with the colour the chosen section asks for.
    static FormattedText render(const Variant& value, const std::string& numberFormat, Locale locale);
    // True when the format's first section shows a date or a time.
    static bool isDateFormat(const std::string& numberFormat);
    // Under "General": up to 11 characters, switching to scientific notation when that keeps
    // more significant digits (1/3 -> 0.333333333, 123456789012 -> 1.23457E+11).
    static std::string general(double value, Locale locale);
};

} // namespace qv::sheet
