// Loads the code modules that travel with an add-in package: the shared object beside the
// package, named after it (AddinAbi.h), attached to the workbook the host opened from it.
#pragma once

#include "platform/IWorkbookCode.h"
#include "platform/PlatformServices.h"
#include "platform/host/IWorkbook.h"

#include <memory>
#include <string>

namespace qv {

class WorkbookCodeLoader {
  public:
    // "/a/Quorvel12.xlam" -> "/a/libQuorvel12-modules.so".
    static std::string codePathFor(const std::string& packagePath);
    // Null when the package has no code beside it (a workbook without macros); error 1004 when
    // the code is there but cannot be loaded or attached. `services` must outlive the host.
    static std::shared_ptr<IWorkbookCode> attach(const WorkbookPtr& book, const PlatformServices& services);
};

} // namespace qv
