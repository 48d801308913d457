// Fields hold their record set alive, as the model's field objects do.
#include "engines/sqlite/RecordsetField.h"

#include "engines/sqlite/ColumnarRecordset.h"

namespace qv::engine {

std::string RecordsetField::name() const {
    return mOwner->column(mColumn).name();
}
Variant RecordsetField::value() const {
    return mOwner->currentValue(mColumn);
}
int RecordsetField::type() const {
    return mOwner->column(mColumn).type().adoType;
}
long RecordsetField::definedSize() const {
    return mOwner->column(mColumn).type().size;
}

} // namespace qv::engine
