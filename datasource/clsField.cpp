// Filling a column record; the only rule here is how a column is recognised as part of the key.
#include "datasource/clsField.h"

namespace qv {

void clsField::Init(Values values, const KeyedCollection<std::string>& primaryKeys) {
    mV = std::move(values);
    mIsPrimary = false;
    for (const std::string& key : primaryKeys) {
        if (key == mV.Name) {
            mIsPrimary = true;
            break;
        }
    }
}

} // namespace qv
