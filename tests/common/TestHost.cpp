// The formatting operations run against our real spreadsheet host.
#include "TestHost.h"

#include "spreadsheet/model/Application.h"

namespace qv::test {

ApplicationPtr MakeSpreadsheetHost() {
    return qv::sheet::Application::create();
}

} // namespace qv::test
