// A field of a client-side record set: a view of one column at the record set's cursor.
#pragma once

#include "platform/engine/IAdoRecordset.h"

#include <memory>

namespace qv::engine {

class ColumnarRecordset;

class RecordsetField : public IAdoField {
  public:
    RecordsetField(std::shared_ptr<const ColumnarRecordset> owner, long column)
        : mOwner(std::move(owner)), mColumn(column) {}
    std::string name() const override;
    Variant value() const override;
    int type() const override;
    long definedSize() const override;

  private:
    std::shared_ptr<const ColumnarRecordset> mOwner;
    long mColumn;
};

} // namespace qv::engine
