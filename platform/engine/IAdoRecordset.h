// A client-side record set: every row is in memory, so it stays usable after its connection
// has closed (the add-in closes connections after every task).
#pragma once

#include "platform/Variant.h"

#include <memory>
#include <string>

namespace qv {

class IAdoField {
  public:
    virtual ~IAdoField() = default;
    virtual std::string name() const = 0;
    virtual Variant value() const = 0; // at the current row; null for SQL NULL
    virtual int type() const = 0;      // ado::DataType
    virtual long definedSize() const = 0;
};

class IAdoRecordset {
  public:
    virtual ~IAdoRecordset() = default;
    virtual int state() const = 0; // ado::StateOpen when it holds rows (a row-returning statement)
    virtual void close() = 0;
    virtual long long recordCount() const = 0;
    virtual bool eof() const = 0;
    virtual bool bof() const = 0;
    virtual void moveFirst() = 0;
    virtual void moveNext() = 0;
    virtual long long absolutePosition() const = 0; // 1-based; 0 at end
    virtual long fieldCount() const = 0;
    virtual std::shared_ptr<IAdoField> field(long index) const = 0; // 0-based, as the model counts
    virtual std::shared_ptr<IAdoField> field(const std::string& name) const = 0; // error 3265 when absent
    // Fast access for bulk copies: the value at (row, column), both 0-based, independent of the cursor.
    virtual Variant valueAt(long long row, long column) const = 0;
};

using AdoRecordsetPtr = std::shared_ptr<IAdoRecordset>;

} // namespace qv
