// "Save a copy as SQLite" for the runner and the window: the whole Access database (data, keys,
// relations, properties, queries) into a new SQLite file that the SQLite engine opens for editing.
#pragma once

#include "engines/mdb/MdbConvert.h"

#include <string>

namespace qv::app {

class SqliteCopy {
  public:
    // Raises the engine's numbered errors (3024, 3343, 3031 for a wrong password, 3027 when the
    // target exists); what was copied, and every saved query that could not be, is answered.
    static engine::MdbConvertReport copy(const std::string& accessFile, const std::string& password,
                                         const std::string& target);
    // As copy(), printing the report to stdout.
    static void save(const std::string& accessFile, const std::string& password, const std::string& target);
};

} // namespace qv::app
