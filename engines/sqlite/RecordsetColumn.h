// One column of a client-side record set, kept as a typed vector instead of a value object per
// cell: a million-row table stays a few dense arrays (integers, doubles, text end offsets into
// one byte arena) plus a null bitmap. Cells whose stored value does not fit the column's type
// (SQLite lets any column hold anything) are kept aside as values of their own.
#pragma once

#include "engines/sqlite/MappedBuffer.h"
#include "engines/sqlite/TypeMapping.h"
#include "platform/Variant.h"
#include "platform/engine/IColumnarRecordset.h"
#include "sqlite/SqliteApi.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace qv::engine {

class RecordsetColumn {
  public:
    RecordsetColumn(std::string name, ColumnType type) : mName(std::move(name)), mType(type) {
        setType(type);
    }

    const std::string& name() const { return mName; }
    const ColumnType& type() const { return mType; }
    // Settles the type of an expression column from its first value; the rows before it must be
    // nulls.
    void setType(const ColumnType& type);

    // Appends every column of the statement's current row to columns[0, count).
    static void appendRow(const SqliteApi& lib, sqlite3_stmt* st, RecordsetColumn* columns, int count);
    void reserve(std::size_t rows);
    // Ends the load: completes the null bitmap and gives back unused capacity.
    void finish();

    std::size_t rows() const { return mRows; }
    bool isNull(std::size_t row) const { return (mNulls[row >> 6] >> (row & 63)) & 1u; }
    Variant valueAt(std::size_t row) const;
    // Typed cells [first, first + count) for bulk copies; same values as valueAt, without a Variant.
    void readCells(std::size_t first, std::size_t count, ColumnCell* out) const;
    // Text of a text column without copying; empty for null and for other storage kinds.
    std::string_view textAt(std::size_t row) const;
    // The bytes of a text column's cells, for keeping them beyond the record set.
    ColumnTextStorage sharedText() const;
    std::size_t bytesUsed() const;

  private:
    void append(const SqliteApi& lib, sqlite3_value* v);
    void appendConverted(const SqliteApi& lib, sqlite3_value* v, int storageClass);
    void appendPlaceholder();
    void appendNull();
    void appendOdd(Variant v);
    void appendText(const char* p, std::size_t n);
    void appendInteger(std::int64_t v);
    void widen();
    Variant integerVariant(std::int64_t v) const;

    std::string mName;
    ColumnType mType;
    std::size_t mRows = 0;
    // Set bits are nulls; during the load it reaches only as far as the last null.
    MappedBuffer<std::uint64_t> mNulls;
    // Integers stay 32-bit until a value does not fit; then the column widens once.
    bool mWide = false;
    MappedBuffer<std::int32_t> mNarrow; // Integer while not wide
    MappedBuffer<std::int64_t> mInts;   // Integer once wide, Currency (scaled by 10000)
    MappedBuffer<std::uint8_t> mFlags;  // Boolean
    MappedBuffer<double> mReals;        // Real, Date (automation date)
    MappedBuffer<std::uint64_t> mEnds;  // Text, Blob: end offset of each cell in mArena
    // Shared so that a sheet copied from the record set can keep the texts instead of copying them.
    std::shared_ptr<MappedBuffer<char>> mArena = std::make_shared<MappedBuffer<char>>();
    std::unordered_map<std::size_t, Variant> mOdd;
};

} // namespace qv::engine
