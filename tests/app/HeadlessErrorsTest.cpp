// The runner counts a step as failed when the add-in reported an error during it: the reports
// are made here by the add-in's own reporting code and catalogue, in both languages, beside
// ordinary messages that must not end a run.
#include "app/HeadlessErrors.h"
#include "common/modErrors.h"
#include "common/modGlobalization.h"
#include "tests/support/ScriptedDialogs.h"

#include <gtest/gtest.h>

using namespace qv;
using namespace qv::app;

namespace {
class HeadlessErrorsTest : public ::testing::TestWithParam<int> {
  protected:
    void SetUp() override { modGlobalization::SetCountryCode(GetParam()); }
    void TearDown() override { modGlobalization::SetCountryCode(1); }

    // What the add-in shows for an error ending an operation, as the runner sees it.
    std::string reportOf(const NumberedError& e, const modErrors::ErrorReportOptions& o = {}) {
        test::ScriptedDialogs dialogs;
        modErrors::ReportError(dialogs, e, o);
        if (dialogs.boxes.empty()) return "(nothing shown)";
        return HeadlessErrors::reported(dialogs.boxes.back().text, dialogs.boxes.back().flags);
    }
};
} // namespace

TEST_P(HeadlessErrorsTest, ErrorReportsCountWithTheirTextAsReason) {
    // Unexpected: message 2, critical icon; the reason keeps the description on one line.
    const std::string unexpected = reportOf(NumberedError(3343, "Mdb", "the file is damaged"));
    EXPECT_NE(unexpected.find("the file is damaged"), std::string::npos) << unexpected;
    EXPECT_EQ(unexpected.find('\r'), std::string::npos);
    // A database's error wrapped as 670 is shown with the information icon, yet it is an error.
    const NumberedError wrapped = modErrors::WrapForeign("Mdb", "the definition of table 'T' is damaged");
    EXPECT_NE(reportOf(wrapped).find("is damaged"), std::string::npos);
    // The same cleaned up as the database's own message.
    modErrors::ErrorReportOptions clean;
    clean.formatForeign = [](const std::string&) {
        return modGlobalization::GetText(7) +
               " MS Access:\rThe table 'X' is missing.\r\rSQL: SELECT * FROM X\r";
    };
    EXPECT_NE(reportOf(wrapped, clean).find("The table 'X' is missing. SQL: SELECT * FROM X"),
              std::string::npos);
    // Not implemented, shown by its own description with the critical icon.
    modErrors::ErrorReportOptions critical;
    critical.notImplementedAsCritical = true;
    EXPECT_EQ(reportOf(NumberedError(668, "x", "Not implemented"), critical), "Not implemented");
    // A negative error number (an engine's HRESULT) is still an error-number line.
    EXPECT_NE(reportOf(modErrors::WrapForeign("x", "y")).size(), 0u);
    EXPECT_NE(
        HeadlessErrors::reported(modGlobalization::GetText(1, NumberedError(-2147217865, "x", "gone")), 64),
        "");
}

TEST_P(HeadlessErrorsTest, GuidanceAndOrdinaryMessagesDoNotCount) {
    EXPECT_EQ(reportOf(NumberedError(665, "x", "cancelled")), "(nothing shown)");
    EXPECT_EQ(reportOf(NumberedError(666, "x", "Select a table first.")), "");
    EXPECT_EQ(reportOf(NumberedError(667, "x", "No rows to save.")), "");
    EXPECT_EQ(HeadlessErrors::reported("3 records were deleted.", modErrors::FlagsInformation), "");
    EXPECT_EQ(HeadlessErrors::reported("Delete this record?", modErrors::FlagsQuestion), "");
    // Text that merely looks like the patterns: the number line must be the last line and hold
    // a number; the database head needs a text below it.
    const std::string numberLine = modGlobalization::GetText(1, NumberedError(42, "x", "d"));
    const std::string lastLine = numberLine.substr(numberLine.find('\r') + 1);
    EXPECT_EQ(HeadlessErrors::reported(lastLine + "\rsee the manual", 64), "");
    std::string noNumber = lastLine;
    noNumber.replace(noNumber.find("42"), 2, "xx");
    EXPECT_EQ(HeadlessErrors::reported("d\r" + noNumber, 64), "");
    EXPECT_EQ(HeadlessErrors::reported(modGlobalization::GetText(7) + " MS Access:", 64), "");
    EXPECT_EQ(HeadlessErrors::reported("", 0), "");
}

// English (1) and Dutch (31) hosts.
INSTANTIATE_TEST_SUITE_P(Languages, HeadlessErrorsTest, ::testing::Values(1, 31));
