// The add-in library's process-wide globals. The entry object alone writes them; every other
// class reads them. They live for the life of the library: one host process, one add-in.
#pragma once

#include "platform/PlatformServices.h"
#include "platform/host/IWorkbook.h"

#include <memory>

namespace qv {

class clsApplication;
class clsExcel;

extern std::shared_ptr<clsApplication> goApplication;
extern std::shared_ptr<clsExcel> goExcelEvents;
extern WorkbookPtr goAddinWorkbook;
// The services the host handed to the library when it created the entry object.
extern PlatformServices goServices;

} // namespace qv
