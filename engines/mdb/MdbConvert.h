// "Save a copy as SQLite": the whole Access database (tables with their rows, primary keys,
// indexes, enforced relations as foreign keys, field and table properties, relation names, the saved queries
// it can run) in a new SQLite file that the SQLite engine opens for editing with the same captions, formats
// and lookups. The copy is written beside the target under a temporary name and moved into
// place only when complete, and an existing file is never replaced.
#pragma once

#include "engines/mdb/MdbCatalogue.h"

#include <string>
#include <vector>

namespace qv::engine {

struct MdbConvertReport {
    long tables = 0;
    long long rows = 0;
    long properties = 0;
    long relations = 0;
    long queries = 0;
    // Saved queries the SQLite engine cannot run (crosstab, pass-through, references to forms,
    // ...), each with the reason; they are named here rather than dropped unseen.
    std::vector<std::string> queriesNotCopied;
};

class MdbConvert {
  public:
    // Raises 3343 and the like for the source, 3024 for a linked table whose target is absent,
    // 3027 ("already exists") when target exists, and the SQLite engine's errors for writing.
    static MdbConvertReport toSqlite(const MdbCatalogue& catalogue, const std::string& target);
};

} // namespace qv::engine
