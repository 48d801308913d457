// Optional typed access to a client-side record set for bulk copies. A record set that keeps its
// rows in typed columns offers it beside IAdoRecordset, so a copy of a million rows reads plain
// numbers and text views a run at a time instead of building a Variant per cell. Readers find it
// with dynamic_cast and fall back to IAdoRecordset::valueAt when a record set does not offer it.
#pragma once

#include <cstddef>
#include <memory>
#include <string_view>

namespace qv {

enum class ColumnCellKind : unsigned char {
    Null,   // SQL NULL
    Number, // any number (integer, single, double, currency, decimal), as the double its Variant
            // converts to; a single as Variant::singleAsDecimal, the number a cell keeps for it
    Bool,   // number is 1 or 0
    Date,   // number is the automation date
    Text,   // text views the record set's own storage, valid while the record set is open
    Other,  // anything else (bytes, a value that does not fit its column): read it with
            // IAdoRecordset::valueAt
};

struct ColumnCell {
    ColumnCellKind kind = ColumnCellKind::Null;
    double number = 0;
    std::string_view text;
};

// The bytes the text views of one column point into, shared: a copy may keep them alive and
// refer to its texts where they lie instead of copying each one.
struct ColumnTextStorage {
    std::shared_ptr<const char> bytes;
    std::size_t size = 0;
};

class IColumnarRecordset {
  public:
    virtual ~IColumnarRecordset() = default;
    // The storage of `column`'s text views (0-based); empty when the record set has none to share.
    // The bytes never change once the record set has loaded.
    virtual ColumnTextStorage sharedText(long column) const {
        (void)column;
        return {};
    }
    // Fills out[0, count) with the cells of `column` (0-based) from row `firstRow` (0-based);
    // the range must lie inside the record set (raises the record set's own errors otherwise).
    virtual void readColumn(long column, long long firstRow, std::size_t count, ColumnCell* out) const = 0;
};

} // namespace qv
