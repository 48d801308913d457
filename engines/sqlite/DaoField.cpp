// Exact-name lookup over the property list.
#include "engines/sqlite/DaoField.h"

namespace qv::engine {

DaoPropertyPtr DaoField::property(const std::string& name) const {
    for (const auto& p : mInfo.properties) {
        if (p->name() == name) return p;
    }
    return nullptr;
}

} // namespace qv::engine
