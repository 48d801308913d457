// Record sets over an Access file. The tables a record set needs are copied into a private
// in-memory SQLite database and read from there into the SQLite engine's columnar record set,
// so an Access table answers with the same types, sizes and values as its SQLite copy would.
#pragma once

#include "engines/mdb/MdbCatalogue.h"
#include "engines/sqlite/ColumnarRecordset.h"

#include <memory>
#include <string>

namespace qv::engine {

class MdbRecordsets {
  public:
    // Every row of one table (local or linked), in stored order.
    static std::shared_ptr<ColumnarRecordset> table(const MdbCatalogue& catalogue, const std::string& name);
};

} // namespace qv::engine
