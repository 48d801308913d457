// The styles part of an .xlsx package. The workbook's interned styles become cell formats
// one to one; a date value in a cell whose style has no number format gets a date twin of
// that style, the way the host formats a cell when a date is put into it.
#pragma once

#include "spreadsheet/model/CellStyle.h"

#include <cstdint>
#include <string>
#include <vector>

namespace qv::sheet {

class OutputBuffer;

class XlsxStyles {
  public:
    explicit XlsxStyles(const std::vector<CellStyle>& styles);

    std::uint32_t xf(std::uint32_t style) const { return style < mCount ? style : 0; }
    // The cell format for a date in a cell of `style`.
    std::uint32_t dateXf(std::uint32_t style, bool withTime) const;
    void writeXml(OutputBuffer& out) const;

    // Built-in number format id for a format text, -1 when the file must declare it.
    static int builtinFormatId(const std::string& format);

  private:
    struct Xf {
        int numFmt = 0;
        std::size_t font = 0, fill = 0, border = 0;
        std::int16_t align = 1;
        bool locked = true;
    };
    struct Font {
        std::int32_t color;
        bool bold;
        bool operator==(const Font&) const = default;
    };
    struct Border {
        BorderLine left, right, top, bottom;
        bool operator==(const Border&) const = default;
    };
    int numFmtId(const std::string& format);

    std::uint32_t mCount;
    std::vector<std::pair<int, std::string>> mNumFmts; // custom ones, id from 164
    std::vector<Font> mFonts;
    std::vector<std::int32_t> mFills; // after the two every package must start with
    std::vector<Border> mBorders;
    std::vector<Xf> mXfs;
    std::vector<std::uint32_t> mDateTwin, mDateTimeTwin; // per style; 0 = the style itself
};

} // namespace qv::sheet
