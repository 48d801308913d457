// No spreadsheet host is linked into this test program yet: answer null so that the tests that
// need one skip with a clear message. Replace the body with the host's factory once it exists.
#include "TestHost.h"

namespace qv::test {

ApplicationPtr MakeSpreadsheetHost() { return nullptr; }

} // namespace qv::test
