// The styles part of a package read into the workbook's style pool: each cell format (xf)
// becomes one interned CellStyle, and the reader remembers which formats show dates so that
// the numbers in such cells come back as dates.
#pragma once

#include "spreadsheet/model/CellStyle.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace pugi {
class xml_document;
}

namespace qv::sheet {

class StylePool;

class XlsxStylesReader {
  public:
    // An empty document (no styles part) leaves every cell in the default style.
    // `palette` answers the workbook's palette entries 1..56 for indexed colours.
    XlsxStylesReader(const pugi::xml_document& doc, StylePool& pool, const std::function<long(int)>& palette);

    std::uint32_t style(std::size_t xf) const { return xf < mStyles.size() ? mStyles[xf] : 0; }
    bool isDate(std::size_t xf) const { return xf < mDate.size() && mDate[xf]; }
    // The format text of a built-in number format id; "" for ids without one.
    static std::string builtinFormat(int id);
    // "FFRRGGBB" (or "RRGGBB") to an OLE colour; NoColor when it is not one.
    static std::int32_t oleFromArgb(const std::string& argb);

  private:
    std::vector<std::uint32_t> mStyles;
    std::vector<bool> mDate;
};

} // namespace qv::sheet
