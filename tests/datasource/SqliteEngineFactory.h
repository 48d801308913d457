// The class factory with the SQLite engine's classes and nothing else, by the name the
// benchmarks of the write-back know it.
#pragma once

#include "engines/sqlite/SqliteEngineClasses.h"
#include "tests/support/EngineClassFactory.h"

namespace qv::test {

using SqliteEngineFactory = EngineClassFactory<registerSqliteEngineClasses>;

} // namespace qv::test
