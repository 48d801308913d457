// Conversions every file format shares: OLE colours to the notations files use, error
// values to their names, and a cell's displayed text. Kept in one place so that a colour or
// an error reads the same in every format we write.
#pragma once

#include "platform/Variant.h"

#include <cstdint>
#include <string>

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
    // The text the host shows for the value under the number format (English).
    static std::string displayText(const Variant& value, const std::string& numberFormat);
    // Width in characters as the host reports it, to the width the file stores (which counts
    // the cell padding as well).
    static double fileColumnWidth(double characters);
};

} // namespace qv::sheet
