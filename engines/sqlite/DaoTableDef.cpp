// Field names compare without regard to case, as SQLite's and the catalogue model's do.
#include "engines/sqlite/DaoTableDef.h"

#include <strings.h>

namespace qv::engine {

DaoFieldPtr DaoTableDef::field(const std::string& name) const {
    for (const auto& f : mFields) {
        if (strcasecmp(f->name().c_str(), name.c_str()) == 0) return f;
    }
    return nullptr;
}

} // namespace qv::engine
