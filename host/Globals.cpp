#include "host/Globals.h"

#include "host/clsApplication.h"
#include "host/clsExcel.h"

namespace qv {

std::shared_ptr<clsApplication> goApplication;
std::shared_ptr<clsExcel> goExcelEvents;
WorkbookPtr goAddinWorkbook;
PlatformServices goServices;

} // namespace qv
