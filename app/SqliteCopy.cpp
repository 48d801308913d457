#include "app/SqliteCopy.h"

#include "engines/mdb/MdbCatalogue.h"

#include <fmt/format.h>

namespace qv::app {

engine::MdbConvertReport SqliteCopy::copy(const std::string& accessFile, const std::string& password,
                                          const std::string& target) {
    auto catalogue = engine::MdbCatalogue::open(accessFile, {password, "quorvel"});
    return engine::MdbConvert::toSqlite(*catalogue, target);
}

void SqliteCopy::save(const std::string& accessFile, const std::string& password, const std::string& target) {
    const auto r = copy(accessFile, password, target);
    fmt::print("Saved a copy as SQLite: {} ({} tables, {} rows, {} properties, {} relations, {} queries)\n",
               target, r.tables, r.rows, r.properties, r.relations, r.queries);
    for (const auto& q : r.queriesNotCopied)
        fmt::print("  query not copied: {}\n", q);
}

} // namespace qv::app
