// The spreadsheet host that the sheet-formatting tests run against. The formatting operations
// are only worth testing on a real host (cells, widths, panes, names, comments), so these tests
// skip until a host factory is linked in here.
#pragma once

#include "platform/host/IApplication.h"

namespace qv::test {

// A fresh host application, or null when no spreadsheet host is available to this test program.
ApplicationPtr MakeSpreadsheetHost();

} // namespace qv::test
