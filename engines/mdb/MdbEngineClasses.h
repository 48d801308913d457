// Class activation for the engines together: the same ProgIDs as the SQLite engine's, answered
// by classes that open Access files through this folder and every other file through SQLite.
// Whoever wires the product (the runner, the desktop application, tests of whole paths)
// registers these instead of registerSqliteEngineClasses.
#pragma once

#include "platform/IObjectFactory.h"

#include <functional>
#include <string>

namespace qv {

void registerEngineClasses(std::function<void(std::string progId, std::function<ObjectPtr()>)> add);

} // namespace qv
