#include "host/Globals.h"

#include "host/clsApplication.h"
#include "host/clsExcel.h"

namespace qv {

// Defined in this order on purpose: globals go in reverse order at unload, so the controller
// (whose menu removes itself through the add-in workbook's host) goes while the workbook
// reference and the services are still there.
PlatformServices goServices;
WorkbookPtr goAddinWorkbook;
std::shared_ptr<clsExcel> goExcelEvents;
std::shared_ptr<clsApplication> goApplication;

} // namespace qv
