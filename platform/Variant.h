// The one value type shared by cells, record-set fields, settings and dialog controls.
// It mirrors the automation variant the add-in was designed around (empty, null, boolean,
// numbers, currency, OLE dates, text, bytes, error values) so that conversions behave the
// way callers of that model expect: an empty cell reads as "" or 0, null stays null, and
// text that looks numeric converts. Text is always UTF-8.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace qv {

enum class VarType : std::uint16_t {
    Empty = 0,
    Null = 1,
    Integer = 2, // 16-bit in the original model; we keep every integer as 64-bit and tag the width
    Long = 3,
    Single = 4,
    Double = 5,
    Currency = 6,
    Date = 7,
    String = 8,
    Error = 10,
    Boolean = 11,
    Decimal = 14,
    Byte = 17,
    LongLong = 20,
    Binary = 8209, // array of bytes
};

// Currency is a fixed-point number with four decimals, kept as an integer count of 1/10000.
struct Currency {
    std::int64_t scaled = 0;
    static Currency fromDouble(double d);
    double toDouble() const { return static_cast<double>(scaled) / 10000.0; }
    bool operator==(const Currency&) const = default;
};

// An OLE automation date: days since 30 December 1899, time as the fraction of a day.
struct OleDate {
    double value = 0.0;
    bool operator==(const OleDate&) const = default;
};

struct ErrorValue {
    std::int32_t code = 0; // e.g. 2042 for #N/A, or 448 for a missing optional argument
    bool operator==(const ErrorValue&) const = default;
};

struct NullValue {
    bool operator==(const NullValue&) const = default;
};

using Binary = std::vector<std::uint8_t>;

class Variant {
  public:
    Variant() = default;
    Variant(std::nullptr_t) = delete;
    Variant(bool b) : mV(b), mType(VarType::Boolean) {}
    Variant(int i) : mV(static_cast<std::int64_t>(i)), mType(VarType::Long) {}
    Variant(std::int64_t i) : mV(i), mType(VarType::LongLong) {}
    Variant(double d) : mV(d), mType(VarType::Double) {}
    Variant(Currency c) : mV(c), mType(VarType::Currency) {}
    Variant(OleDate d) : mV(d), mType(VarType::Date) {}
    Variant(const char* s) : mV(std::string(s)), mType(VarType::String) {}
    Variant(std::string s) : mV(std::move(s)), mType(VarType::String) {}
    Variant(std::string_view s) : mV(std::string(s)), mType(VarType::String) {}
    Variant(Binary b) : mV(std::move(b)), mType(VarType::Binary) {}
    Variant(ErrorValue e) : mV(e), mType(VarType::Error) {}
    Variant(NullValue) : mV(NullValue{}), mType(VarType::Null) {}

    static Variant null() { return Variant(NullValue{}); }
    static Variant integer(std::int16_t i);
    static Variant longValue(std::int32_t i);
    static Variant single(float f);
    // The double that a single's shortest decimal text stands for (0.05f gives 0.05, not
    // 0.0500000007450581): what a person typed, and it still narrows back to the same single.
    static double singleAsDecimal(float f);
    static Variant byteValue(std::uint8_t b);
    static Variant decimal(double d); // decimals are kept as double; enough for what the product shows
    static Variant missing() { return Variant(ErrorValue{448}); }

    VarType type() const { return mType; }
    bool isEmpty() const { return mType == VarType::Empty; }
    bool isNull() const { return mType == VarType::Null; }
    bool isString() const { return mType == VarType::String; }
    bool isBool() const { return mType == VarType::Boolean; }
    bool isDate() const { return mType == VarType::Date; }
    bool isError() const { return mType == VarType::Error; }
    bool isBinary() const { return mType == VarType::Binary; }
    bool isMissing() const { return mType == VarType::Error && std::get<ErrorValue>(mV).code == 448; }
    // Integer, Long, LongLong, Byte, Single, Double, Currency, Decimal.
    bool isNumber() const;
    bool isIntegral() const;

    // True when the value is a number, or text that reads as one (the host's IsNumeric).
    bool isNumeric() const;

    // Conversions with automation semantics. Empty converts to 0, "" or false;
    // null and unconvertible text raise error 13 ("Type mismatch") or 94 ("Invalid use of Null").
    std::string toString() const;
    double toDouble() const;
    std::int64_t toInt64() const;
    std::int32_t toInt32() const; // raises error 6 ("Overflow") outside 32 bits
    bool toBool() const;
    OleDate toDate() const;
    Currency toCurrency() const;

    // Makes this value the text `s`, reusing the text buffer it already holds, so that a loop
    // that hands out many texts through one Variant allocates only for a longer text than before.
    void assignText(std::string_view s);

    // Direct access; callers check type() first.
    const std::string& str() const { return std::get<std::string>(mV); }
    const Binary& bytes() const { return std::get<Binary>(mV); }
    ErrorValue error() const { return std::get<ErrorValue>(mV); }

    // Same type and same value; text compares byte for byte.
    bool operator==(const Variant& o) const { return mType == o.mType && mV == o.mV; }

  private:
    using Storage = std::variant<std::monostate, NullValue, bool, std::int64_t, double, Currency, OleDate,
                                 std::string, Binary, ErrorValue>;
    Variant(Storage v, VarType t) : mV(std::move(v)), mType(t) {}
    Storage mV;
    VarType mType = VarType::Empty;
};

// A two-dimensional block of values, row-major, as a range reads and writes them.
class VariantMatrix {
  public:
    VariantMatrix() = default;
    VariantMatrix(std::size_t rows, std::size_t cols) : mRows(rows), mCols(cols), mCells(rows * cols) {}
    std::size_t rows() const { return mRows; }
    std::size_t cols() const { return mCols; }
    // Zero-based.
    Variant& at(std::size_t r, std::size_t c) { return mCells[r * mCols + c]; }
    const Variant& at(std::size_t r, std::size_t c) const { return mCells[r * mCols + c]; }

  private:
    std::size_t mRows = 0, mCols = 0;
    std::vector<Variant> mCells;
};

} // namespace qv
