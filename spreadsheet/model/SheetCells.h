// The cells of one sheet: its columns, the formats of whole rows, columns and the sheet, hidden
// rows and formulas. Every operation takes rectangles and works column by column, so a change to
// a million-row column is one pass over three flat arrays.
#pragma once

#include "platform/Variant.h"
#include "platform/engine/IColumnarRecordset.h"
#include "spreadsheet/io/ColumnTexts.h"
#include "spreadsheet/io/StringPool.h"
#include "spreadsheet/model/CellAddress.h"
#include "spreadsheet/model/ColumnStore.h"
#include "spreadsheet/model/StylePool.h"

#include <bit>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace qv::sheet {

class SheetCells {
  public:
    explicit SheetCells(StringPool& strings) : mStrings(strings) {}

    Variant value(long row, long col) const;
    // The same value into `out`, whose text buffer is reused: what a writer visiting every cell
    // calls, so that a text cell costs no allocation.
    void valueInto(long row, long col, Variant& out) const;
    bool isEmpty(long row, long col) const;
    void setValue(long row, long col, const Variant& v);
    // Every cell of the rectangle gets the same value.
    void fill(const Rect& r, const Variant& v);
    void clearValues(const Rect& r);
    ColumnStore& column(long col); // created on demand
    const ColumnStore* findColumn(long col) const {
        return col <= static_cast<long>(mColumns.size()) ? &mColumns[col - 1] : nullptr;
    }
    long columnCount() const { return static_cast<long>(mColumns.size()); }
    // Encodes a value for a column slot; answers false for values a cell cannot hold. A bulk copy
    // passes the texts of the column it fills; otherwise texts are interned.
    bool encode(const Variant& v, CellKind& kind, std::uint64_t& payload, ColumnTexts* texts = nullptr);
    // The same for a typed record-set cell, the same slot the cell's Variant would give; false for
    // ColumnCellKind::Other, which the caller encodes from its Variant.
    bool encode(const ColumnCell& cell, CellKind& kind, std::uint64_t& payload, ColumnTexts& texts) {
        switch (cell.kind) {
        case ColumnCellKind::Null:
            kind = CellKind::Empty, payload = 0;
            return true;
        case ColumnCellKind::Number:
            kind = CellKind::Number, payload = std::bit_cast<std::uint64_t>(cell.number);
            return true;
        case ColumnCellKind::Bool:
            kind = CellKind::Bool, payload = cell.number != 0 ? 1 : 0;
            return true;
        case ColumnCellKind::Date:
            kind = CellKind::Date, payload = std::bit_cast<std::uint64_t>(cell.number);
            return true;
        case ColumnCellKind::Text:
            if (cell.text.empty())
                kind = CellKind::Empty, payload = 0;
            else
                kind = CellKind::Text, payload = texts.store(cell.text);
            return true;
        case ColumnCellKind::Other:
            break;
        }
        return false;
    }

    std::uint32_t effectiveStyle(long row, long col) const;
    bool hasOwnStyle(long row, long col) const;
    void modifyStyle(const Rect& r, StyleRemap& remap);
    std::uint32_t sheetStyle() const { return mSheetStyle; }
    std::uint32_t rowStyle(long row) const {
        return row <= static_cast<long>(mRowStyles.size()) ? mRowStyles[row - 1] : InheritStyle;
    }

    long rowStyleCount() const { return static_cast<long>(mRowStyles.size()); }
    bool rowHidden(long row) const {
        return row <= static_cast<long>(mHiddenRows.size()) && mHiddenRows[row - 1];
    }
    void setRowHidden(long first, long last, bool hidden);
    std::vector<long> hiddenRows() const;

    const std::string* formula(long row, long col) const;
    void setFormula(long row, long col, const std::string& f);
    const std::map<std::pair<long, long>, std::string>& formulas() const { return mFormulas; }

    void insertRows(long at, long count);
    void deleteRows(long first, long count);
    void insertColumns(long at, long count);
    void deleteColumns(long first, long count);

    // The rectangle of cells with a value or a format of their own; nothing when the sheet is empty.
    std::optional<Rect> usedExtent() const;

  private:
    void ensureRowStyles(long rows);
    StringPool& mStrings;
    std::vector<ColumnStore> mColumns;
    std::vector<std::uint32_t> mRowStyles;
    std::uint32_t mSheetStyle = 0;
    std::vector<bool> mHiddenRows;
    std::map<std::pair<long, long>, std::string> mFormulas;
};

} // namespace qv::sheet
