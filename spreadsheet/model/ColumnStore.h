// One column of a sheet: a kind byte, an 8-byte payload and a 32-bit style id per row, kept in
// three flat arrays from row 1 down to the last row ever touched. A number cell therefore costs
// 13 bytes and no heap object; texts are ids into the workbook's StringPool. A style id of
// InheritStyle means "no format of its own": the row's, the column's or the sheet's applies.
#pragma once

#include <bit>
#include <cstdint>
#include <vector>

namespace qv::sheet {

enum class CellKind : std::uint8_t { Empty, Number, Text, Bool, Date, Error };
constexpr std::uint32_t InheritStyle = 0xFFFFFFFFu;

class ColumnStore {
  public:
    long length() const { return static_cast<long>(mKinds.size()); }
    void ensure(long rows);
    void reserve(long rows);

    CellKind kind(long row) const {
        return row <= length() ? static_cast<CellKind>(mKinds[row - 1]) : CellKind::Empty;
    }
    std::uint64_t payload(long row) const { return mPayload[row - 1]; }
    double number(long row) const { return std::bit_cast<double>(mPayload[row - 1]); }
    std::uint32_t style(long row) const { return row <= length() ? mStyles[row - 1] : InheritStyle; }

    void set(long row, CellKind kind, std::uint64_t payload) {
        mKinds[row - 1] = static_cast<std::uint8_t>(kind);
        mPayload[row - 1] = payload;
    }
    void setStyle(long row, std::uint32_t style) { mStyles[row - 1] = style; }
    // Direct access for the bulk loops (index = row - 1).
    std::vector<std::uint32_t>& styles() { return mStyles; }
    const std::vector<std::uint8_t>& kinds() const { return mKinds; }

    // Inserted rows are empty and take the style of the row above (the host formats new rows
    // like their neighbour above).
    void insertRows(long at, long count);
    void deleteRows(long first, long count);
    // Row of the first / last non-empty or formatted cell, 0 when none.
    long firstUsedRow() const;
    long lastUsedRow() const;

    std::uint32_t defaultStyle = InheritStyle; // format of the whole column
    double width = -1;                         // characters; -1 = the sheet's default
    bool hidden = false;

  private:
    std::vector<std::uint8_t> mKinds;
    std::vector<std::uint64_t> mPayload;
    std::vector<std::uint32_t> mStyles;
};

} // namespace qv::sheet
