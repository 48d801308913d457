// The append path runs once per cell of every loaded table, so it avoids allocation except
// for the amortised growth of the buffers, decides nothing per cell that the column's type
// already decides, and parses ISO date text by hand.
#include "engines/sqlite/RecordsetColumn.h"

#include "platform/OleDateTime.h"
#include "platform/engine/AdoConstants.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <sqlite3.h>

namespace qv::engine {

namespace {

inline int digits(const char* p, int n) {
    int v = 0;
    for (int i = 0; i < n; ++i) {
        unsigned d = static_cast<unsigned char>(p[i]) - '0';
        if (d > 9) return -1;
        v = v * 10 + static_cast<int>(d);
    }
    return v;
}

// Days from 1970-01-01 for a proleptic Gregorian date of a year from 1 on (unsigned arithmetic:
// the signed division by 400 was a hardware divide on every date cell).
inline long long daysFromCivil(unsigned y, unsigned m, unsigned d) {
    y -= m <= 2;
    const unsigned era = y / 400;
    const unsigned yoe = y - era * 400;
    const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return static_cast<long long>(era) * 146097 + static_cast<long long>(doe) - 719468;
}

// "yyyy-mm-dd", "yyyy-mm-dd hh:mm:ss[.fff]" or with 'T'; false for anything else, and for dates
// before the automation epoch, whose fraction counts the other way (left to OleDateTime).
bool parseIsoFast(const char* s, std::size_t n, double& out) {
    if (n < 10 || s[4] != '-' || s[7] != '-') return false;
    const int y = digits(s, 4), mo = digits(s + 5, 2), d = digits(s + 8, 2);
    if (y < 1900 || mo < 1 || mo > 12 || d < 1 || d > 31) return false;
    if (d > 28 && !OleDateTime::isValidDate(y, mo, d)) return false;
    double secs = 0;
    if (n > 10) {
        if (n < 19 || (s[10] != ' ' && s[10] != 'T') || s[13] != ':' || s[16] != ':') return false;
        const int h = digits(s + 11, 2), mi = digits(s + 14, 2), se = digits(s + 17, 2);
        if (h < 0 || h > 23 || mi < 0 || mi > 59 || se < 0 || se > 59) return false;
        secs = h * 3600.0 + mi * 60.0 + se;
        if (n > 19) {
            if (s[19] != '.') return false;
            double frac = 0, scale = 0.1;
            for (std::size_t i = 20; i < n; ++i) {
                unsigned dd = static_cast<unsigned char>(s[i]) - '0';
                if (dd > 9) return false;
                frac += dd * scale;
                scale /= 10;
            }
            secs += frac;
        }
    }
    out = static_cast<double>(
              daysFromCivil(static_cast<unsigned>(y), static_cast<unsigned>(mo), static_cast<unsigned>(d)) +
              25569) +
          secs / 86400.0;
    return true;
}

// A cell as SQLite stores it, for a value its column's storage cannot hold.
Variant storedValue(const SqliteApi& lib, sqlite3_value* v, int storageClass) {
    switch (storageClass) {
    case SQLITE_INTEGER:
        return Variant(static_cast<std::int64_t>(lib.value_int64(v)));
    case SQLITE_FLOAT:
        return Variant(lib.value_double(v));
    case SQLITE_TEXT:
        return Variant(std::string(reinterpret_cast<const char*>(lib.value_text(v)),
                                   static_cast<std::size_t>(lib.value_bytes(v))));
    default: {
        auto p = static_cast<const std::uint8_t*>(lib.value_blob(v));
        return Variant(Binary(p, p + lib.value_bytes(v)));
    }
    }
}

bool parseDouble(const char* p, std::size_t n, double& out) {
    auto r = std::from_chars(p, p + n, out);
    return r.ec == std::errc() && r.ptr == p + n;
}

} // namespace

void RecordsetColumn::setType(const ColumnType& type) {
    // Rows appended before the type settled are nulls; they are laid out again in the new storage.
    const std::size_t nullRows = mRows;
    if (nullRows > 0) {
        *this = RecordsetColumn(std::move(mName), type);
        for (std::size_t i = 0; i < nullRows; ++i)
            appendNull();
        return;
    }
    mType = type;
    mWide = type.adoType == ado::BigInt;
}

void RecordsetColumn::widen() {
    mInts.reserve(mNarrow.size() + 1);
    for (std::size_t i = 0; i < mNarrow.size(); ++i)
        mInts.push_back(mNarrow[i]);
    mNarrow = MappedBuffer<std::int32_t>();
    mWide = true;
}

inline void RecordsetColumn::appendInteger(std::int64_t v) {
    if (!mWide) {
        if (v >= std::numeric_limits<std::int32_t>::min() && v <= std::numeric_limits<std::int32_t>::max()) {
            mNarrow.push_back(static_cast<std::int32_t>(v));
            return;
        }
        widen();
    }
    mInts.push_back(v);
}

void RecordsetColumn::reserve(std::size_t rows) {
    switch (mType.storage) {
    case StorageKind::Integer:
        if (mWide) {
            mInts.reserve(rows);
        } else {
            mNarrow.reserve(rows);
        }
        break;
    case StorageKind::Boolean:
        mFlags.reserve(rows);
        break;
    case StorageKind::Currency:
        mInts.reserve(rows);
        break;
    case StorageKind::Real:
    case StorageKind::Date:
        mReals.reserve(rows);
        break;
    case StorageKind::Text:
    case StorageKind::Blob:
        mEnds.reserve(rows);
        break;
    }
}

void RecordsetColumn::finish() {
    // The bitmap grows only when a null arrives; the words past the last null are all clear.
    const std::size_t words = (mRows + 63) / 64;
    mNulls.reserve(words);
    while (mNulls.size() < words)
        mNulls.push_back(0);
    mInts.shrink();
    mNarrow.shrink();
    mFlags.shrink();
    mReals.shrink();
    mEnds.shrink();
    mArena->shrink();
    mNulls.shrink();
}

void RecordsetColumn::appendPlaceholder() {
    switch (mType.storage) {
    case StorageKind::Integer:
        appendInteger(0);
        break;
    case StorageKind::Boolean:
        mFlags.push_back(0);
        break;
    case StorageKind::Currency:
        mInts.push_back(0);
        break;
    case StorageKind::Real:
    case StorageKind::Date:
        mReals.push_back(0);
        break;
    case StorageKind::Text:
    case StorageKind::Blob:
        mEnds.push_back(mArena->size());
        break;
    }
}

void RecordsetColumn::appendNull() {
    appendPlaceholder();
    const std::size_t word = mRows >> 6;
    while (mNulls.size() <= word)
        mNulls.push_back(0);
    mNulls[word] |= std::uint64_t(1) << (mRows & 63);
    ++mRows;
}

void RecordsetColumn::appendOdd(Variant v) {
    appendPlaceholder();
    mOdd.emplace(mRows, std::move(v));
    ++mRows;
}

[[gnu::always_inline]] inline void RecordsetColumn::appendText(const char* p, std::size_t n) {
    mArena->append(p, n);
    mEnds.push_back(mArena->size());
    ++mRows;
}

[[gnu::always_inline]] inline void RecordsetColumn::append(const SqliteApi& lib, sqlite3_value* v) {
    // The storage class a column's declared type leads one to expect is taken here; every other
    // value (nulls, conversions, values kept aside) goes through appendConverted.
    const int t = lib.value_type(v);
    switch (mType.storage) {
    case StorageKind::Integer:
        if (t != SQLITE_INTEGER) break;
        appendInteger(lib.value_int64(v));
        ++mRows;
        return;
    case StorageKind::Real:
        if (t != SQLITE_FLOAT && t != SQLITE_INTEGER) break;
        mReals.push_back(lib.value_double(v));
        ++mRows;
        return;
    case StorageKind::Text:
        if (t != SQLITE_TEXT) break;
        // sqlite3_value_text before _bytes: the length is then that of the UTF-8 text.
        appendText(reinterpret_cast<const char*>(lib.value_text(v)),
                   static_cast<std::size_t>(lib.value_bytes(v)));
        return;
    case StorageKind::Date: {
        if (t != SQLITE_TEXT) break;
        const char* p = reinterpret_cast<const char*>(lib.value_text(v));
        double d = 0;
        if (!parseIsoFast(p, static_cast<std::size_t>(lib.value_bytes(v)), d)) break;
        mReals.push_back(d);
        ++mRows;
        return;
    }
    case StorageKind::Boolean:
        if (t != SQLITE_INTEGER) break;
        mFlags.push_back(lib.value_int64(v) != 0 ? 1 : 0);
        ++mRows;
        return;
    default:
        break;
    }
    appendConverted(lib, v, t);
}

void RecordsetColumn::appendRow(const SqliteApi& lib, sqlite3_stmt* st, RecordsetColumn* columns, int count) {
    // One sqlite3_column_value a cell: the sqlite3_column_* readers each look the cell up again,
    // and a text cell would need three of them.
    for (int c = 0; c < count; ++c)
        columns[c].append(lib, lib.column_value(st, c));
}

[[gnu::noinline]] void RecordsetColumn::appendConverted(const SqliteApi& lib, sqlite3_value* v, int t) {
    if (t == SQLITE_NULL) {
        appendNull();
        return;
    }
    switch (mType.storage) {
    case StorageKind::Integer:
        if (t == SQLITE_INTEGER) {
            appendInteger(lib.value_int64(v));
            ++mRows;
        } else {
            appendOdd(storedValue(lib, v, t));
        }
        return;
    case StorageKind::Boolean:
        if (t == SQLITE_INTEGER || t == SQLITE_FLOAT) {
            mFlags.push_back(lib.value_double(v) != 0.0 ? 1 : 0);
            ++mRows;
        } else {
            appendOdd(Variant(std::string(reinterpret_cast<const char*>(lib.value_text(v)),
                                          static_cast<std::size_t>(lib.value_bytes(v)))));
        }
        return;
    case StorageKind::Currency: {
        double d = 0;
        if (t == SQLITE_INTEGER) {
            mInts.push_back(lib.value_int64(v) * 10000);
            ++mRows;
            return;
        }
        const char* p = reinterpret_cast<const char*>(lib.value_text(v));
        const auto n = static_cast<std::size_t>(lib.value_bytes(v));
        if (t == SQLITE_FLOAT || parseDouble(p, n, d)) {
            if (t == SQLITE_FLOAT) d = lib.value_double(v);
            mInts.push_back(static_cast<std::int64_t>(std::llround(d * 10000.0)));
            ++mRows;
        } else {
            appendOdd(Variant(std::string(p, n)));
        }
        return;
    }
    case StorageKind::Real:
        if (t == SQLITE_FLOAT || t == SQLITE_INTEGER) {
            mReals.push_back(lib.value_double(v));
            ++mRows;
        } else {
            const char* p = reinterpret_cast<const char*>(lib.value_text(v));
            const auto n = static_cast<std::size_t>(lib.value_bytes(v));
            double d = 0;
            if (t == SQLITE_TEXT && parseDouble(p, n, d)) {
                mReals.push_back(d);
                ++mRows;
            } else {
                appendOdd(Variant(std::string(p, n)));
            }
        }
        return;
    case StorageKind::Date: {
        if (t != SQLITE_TEXT) {
            appendOdd(t == SQLITE_INTEGER ? Variant(static_cast<std::int64_t>(lib.value_int64(v)))
                                          : Variant(lib.value_double(v)));
            return;
        }
        const char* p = reinterpret_cast<const char*>(lib.value_text(v));
        const auto n = static_cast<std::size_t>(lib.value_bytes(v));
        double d = 0;
        if (parseIsoFast(p, n, d)) {
            mReals.push_back(d);
            ++mRows;
        } else if (auto parsed = OleDateTime::parse(std::string_view(p, n))) {
            mReals.push_back(*parsed);
            ++mRows;
        } else {
            appendOdd(Variant(std::string(p, n)));
        }
        return;
    }
    case StorageKind::Text:
        if (t == SQLITE_BLOB) {
            auto p = static_cast<const std::uint8_t*>(lib.value_blob(v));
            appendOdd(Variant(Binary(p, p + lib.value_bytes(v))));
        } else {
            appendText(reinterpret_cast<const char*>(lib.value_text(v)),
                       static_cast<std::size_t>(lib.value_bytes(v)));
        }
        return;
    case StorageKind::Blob: {
        // Only bytes are binary: a text or number in the column is shown as what it is.
        if (t == SQLITE_BLOB) {
            const char* p = static_cast<const char*>(lib.value_blob(v));
            appendText(p, static_cast<std::size_t>(lib.value_bytes(v)));
        } else {
            appendOdd(storedValue(lib, v, t));
        }
        return;
    }
    }
}

Variant RecordsetColumn::integerVariant(std::int64_t v) const {
    switch (mType.adoType) {
    case ado::SmallInt:
        if (v >= std::numeric_limits<std::int16_t>::min() && v <= std::numeric_limits<std::int16_t>::max())
            return Variant::integer(static_cast<std::int16_t>(v));
        break;
    case ado::UnsignedTinyInt:
        if (v >= 0 && v <= 255) return Variant::byteValue(static_cast<std::uint8_t>(v));
        break;
    case ado::BigInt:
        return Variant(v);
    default:
        break;
    }
    if (v >= std::numeric_limits<std::int32_t>::min() && v <= std::numeric_limits<std::int32_t>::max())
        return Variant::longValue(static_cast<std::int32_t>(v));
    return Variant(v);
}

Variant RecordsetColumn::valueAt(std::size_t row) const {
    if (isNull(row)) return Variant::null();
    if (!mOdd.empty()) {
        if (auto it = mOdd.find(row); it != mOdd.end()) return it->second;
    }
    switch (mType.storage) {
    case StorageKind::Integer:
        return integerVariant(mWide ? mInts[row] : mNarrow[row]);
    case StorageKind::Boolean:
        return Variant(mFlags[row] != 0);
    case StorageKind::Currency:
        return Variant(Currency{mInts[row]});
    case StorageKind::Real:
        if (mType.adoType == ado::Single) return Variant::single(static_cast<float>(mReals[row]));
        if (mType.adoType == ado::Numeric) return Variant::decimal(mReals[row]);
        return Variant(mReals[row]);
    case StorageKind::Date:
        return Variant(OleDate{mReals[row]});
    case StorageKind::Text:
        return Variant(textAt(row));
    case StorageKind::Blob: {
        const std::uint64_t begin = row == 0 ? 0 : mEnds[row - 1];
        auto p = reinterpret_cast<const std::uint8_t*>(mArena->data());
        return Variant(Binary(p + begin, p + mEnds[row]));
    }
    }
    return Variant::null();
}

void RecordsetColumn::readCells(std::size_t first, std::size_t count, ColumnCell* out) const {
    // Each storage kind in a loop of its own; every number is the double valueAt's Variant
    // converts to (a Single becomes the double of its shortest decimal text, currency divides
    // its scaled integer).
    auto each = [&](ColumnCellKind kind, auto number) {
        for (std::size_t i = 0; i < count; ++i) {
            const std::size_t row = first + i;
            ColumnCell& cell = out[i];
            cell.text = {};
            if (isNull(row)) {
                cell.kind = ColumnCellKind::Null;
                cell.number = 0;
            } else {
                cell.kind = kind;
                cell.number = number(row);
            }
        }
    };
    switch (mType.storage) {
    case StorageKind::Integer:
        if (mWide)
            each(ColumnCellKind::Number, [&](std::size_t r) { return static_cast<double>(mInts[r]); });
        else
            each(ColumnCellKind::Number, [&](std::size_t r) { return static_cast<double>(mNarrow[r]); });
        break;
    case StorageKind::Boolean:
        each(ColumnCellKind::Bool, [&](std::size_t r) { return mFlags[r] != 0 ? 1.0 : 0.0; });
        break;
    case StorageKind::Currency:
        each(ColumnCellKind::Number, [&](std::size_t r) { return Currency{mInts[r]}.toDouble(); });
        break;
    case StorageKind::Real:
        if (mType.adoType == ado::Single)
            each(ColumnCellKind::Number,
                 [&](std::size_t r) { return Variant::singleAsDecimal(static_cast<float>(mReals[r])); });
        else
            each(ColumnCellKind::Number, [&](std::size_t r) { return mReals[r]; });
        break;
    case StorageKind::Date:
        each(ColumnCellKind::Date, [&](std::size_t r) { return mReals[r]; });
        break;
    case StorageKind::Text:
        each(ColumnCellKind::Text, [](std::size_t) { return 0.0; });
        for (std::size_t i = 0; i < count; ++i) {
            const std::size_t row = first + i;
            if (out[i].kind != ColumnCellKind::Text) continue;
            const std::uint64_t begin = row == 0 ? 0 : mEnds[row - 1];
            out[i].text = std::string_view(mArena->data() + begin, mEnds[row] - begin);
        }
        break;
    case StorageKind::Blob:
        each(ColumnCellKind::Other, [](std::size_t) { return 0.0; });
        break;
    }
    // Values kept aside (a text in a number column and the like) are rare; valueAt answers them.
    if (!mOdd.empty())
        for (std::size_t i = 0; i < count; ++i)
            if (out[i].kind != ColumnCellKind::Null && mOdd.count(first + i))
                out[i].kind = ColumnCellKind::Other;
}

std::string_view RecordsetColumn::textAt(std::size_t row) const {
    if (mType.storage != StorageKind::Text || isNull(row)) return {};
    const std::uint64_t begin = row == 0 ? 0 : mEnds[row - 1];
    return std::string_view(mArena->data() + begin, mEnds[row] - begin);
}

ColumnTextStorage RecordsetColumn::sharedText() const {
    if (mType.storage != StorageKind::Text || mArena->empty()) return {};
    return {std::shared_ptr<const char>(mArena, mArena->data()), mArena->size()};
}

std::size_t RecordsetColumn::bytesUsed() const {
    return mInts.capacityBytes() + mNarrow.capacityBytes() + mFlags.capacityBytes() + mReals.capacityBytes() +
           mEnds.capacityBytes() + mArena->capacityBytes() + mNulls.capacityBytes();
}

} // namespace qv::engine
