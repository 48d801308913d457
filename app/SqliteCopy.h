// "Save a copy as SQLite" for the runner: the whole Access database (data, keys, relations,
// properties, queries) into a new SQLite file that the SQLite engine opens for editing.
#pragma once

#include <string>

namespace qv::app {

class SqliteCopy {
  public:
    // Prints what was copied and every saved query that could not be, to stdout; raises the
    // engine's numbered errors (3024, 3343, 3031 for a wrong password, 3027 when target exists).
    static void save(const std::string& accessFile, const std::string& password, const std::string& target);
};

} // namespace qv::app
