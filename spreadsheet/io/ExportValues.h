// Conversions every file format shares: OLE colours to the notations files use, error
// values to their names, and a cell's displayed text. Kept in one place so that a colour or
// an error reads the same in every format we write.
#pragma once

#include "platform/Variant.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace qv::sheet {

class ExportValues {
  public:
    // OLE colours keep red in the low byte (0x00BBGGRR). Answers "FFRRGGBB" as OOXML wants it,
    // or "" for automatic (NoColor, or a system colour with the high byte set).
    static std::string argbFromOle(std::int32_t ole);
    // "#RRGGBB" for HTML and the XML spreadsheet format, "" for automatic.
    static std::string htmlFromOle(std::int32_t ole);
    // "#N/A", "#DIV/0!", ...; "#VALUE!" for codes the host does not know.
    static const char* errorName(std::int32_t code);
    // The text the host shows for the value under the number format (English). A date in a
    // General cell shows as a date, as on the grid; a single shows as the shortest text that
    // reads back as the same single, not with the noise of its widening to double; a date
    // the host cannot show (before 30 December 1899) is written as dateText() rather than
    // the "########" the grid shows, so that the saved text still holds the date.
    static std::string displayText(const Variant& value, const std::string& numberFormat);
    // The same text without building a string per cell, the writers' path: a text cell answers
    // its own characters; anything else is written into `out` (replaced, its capacity kept),
    // which is answered. Truth values, errors, whole numbers, most fractions and dates under
    // General allocate nothing.
    static std::string_view displayText(const Variant& value, const std::string& numberFormat,
                                        std::string& out);
    // A date as readable text for files that cannot hold it as a date: ISO order
    // ("1850-03-15", "1850-03-15 08:30:00"), which reads the same in every language.
    static std::string dateText(double oleDate);
    // Width in characters as the host reports it, to the width the file stores (which counts
    // the cell padding as well).
    static double fileColumnWidth(double characters);
};

} // namespace qv::sheet
