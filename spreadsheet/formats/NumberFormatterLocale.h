// The words and separators a rendered cell needs in each host language: decimal and thousands
// separators, the date separator that "/" in a format stands for, month and day names, the
// boolean words and the error values. Kept apart from the renderer so the input parser reads
// the same words back that the renderer writes.
#pragma once

#include "spreadsheet/formats/NumberFormatter.h"

#include <array>
#include <string>

namespace qv::sheet {

class NumberFormatterLocale {
  public:
    static const NumberFormatterLocale& of(Locale locale);

    char decimalSeparator;
    char thousandsSeparator;
    char dateSeparator; // what "/" in a date format shows
    std::array<const char*, 12> monthNames;
    std::array<const char*, 12> monthAbbreviations;
    std::array<const char*, 7> dayNames;         // Sunday first
    std::array<const char*, 7> dayAbbreviations; // Sunday first
    const char* trueText;
    const char* falseText;
    bool dutch;

    // "#N/A" and its siblings for the host's error codes (2042 ...); the code itself otherwise.
    std::string errorText(int code) const;
};

} // namespace qv::sheet
