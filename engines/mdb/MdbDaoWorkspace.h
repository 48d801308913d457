// The catalogue workspace for every file the product opens: an Access file becomes an
// MdbDaoDatabase, any other file is opened as the SQLite workspace opens it.
#pragma once

#include "engines/sqlite/DaoWorkspace.h"

namespace qv::engine {

class MdbDaoWorkspace : public DaoWorkspace {
  public:
    using DaoWorkspace::DaoWorkspace;

  protected:
    // An Access file is read-only whatever readOnly asks: it opens for reading, and every
    // change is refused where it is asked for.
    DaoDatabasePtr openFile(const std::string& name, bool readOnly, const std::string& password) override;
};

} // namespace qv::engine
