// Class activation for the embedded engine: the ProgIDs the product creates, each with a
// factory, handed to whatever registry the caller keeps.
#pragma once

#include "platform/IObjectFactory.h"

#include <functional>
#include <string>

namespace qv {

void registerSqliteEngineClasses(std::function<void(std::string progId, std::function<ObjectPtr()>)> add);

} // namespace qv
