// Turns what a person types into a cell into the value the host stores: numbers (with a decimal
// comma under Dutch), percentages, dates and times in the locale's order, booleans in the
// locale's words; anything else stays text. A leading apostrophe forces text.
#pragma once

#include "platform/Variant.h"
#include "spreadsheet/formats/NumberFormatter.h"

#include <optional>
#include <string>
#include <string_view>

namespace qv::sheet {

class InputParser {
  public:
    static Variant parse(const std::string& typed, Locale locale);

    // The pieces, for callers that know what they expect (a number box, a date filter).
    static std::optional<double> parseNumber(std::string_view text, Locale locale);
    static std::optional<double> parseDateTime(std::string_view text, Locale locale);
};

} // namespace qv::sheet
