// The formatting of a cell. Styles are interned per workbook and cells refer to them by a
// small index, so a million cells with the same look cost one style and four bytes each.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace qv::sheet {

constexpr std::int32_t NoColor = -1; // "automatic" / no fill

struct BorderLine {
    std::int8_t style = 0;  // 0 none, 1 continuous
    std::int8_t weight = 2; // xlThin
    std::int32_t color = 0; // OLE colour
    bool operator==(const BorderLine&) const = default;
};

struct CellStyle {
    std::string numberFormat = "General";
    std::int32_t fillColor = NoColor; // OLE colour
    std::int32_t fontColor = NoColor; // OLE colour; NoColor = automatic (black)
    bool bold = false;
    bool locked = true; // the host's default: every cell locked, effective only under protection
    std::int16_t horizontalAlignment = 1; // xlGeneral
    BorderLine left, top, right, bottom;
    bool operator==(const CellStyle&) const = default;
};

struct CellStyleHash {
    std::size_t operator()(const CellStyle& s) const noexcept;
};

} // namespace qv::sheet
