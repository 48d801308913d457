// The error convention of the operations a person starts, and the guard that switches the
// host back on whatever way an operation ends.
#include "CommonFakes.h"

#include "common/HostStateGuard.h"
#include "common/modErrors.h"
#include "common/modGlobalization.h"

#include <gtest/gtest.h>

namespace qv {
namespace {

using test::FakeApplication;
using test::ScriptedDialogs;

TEST(modErrorsTest, NumberedPassesNumberedErrorsAndWrapsEverythingElseAs670) {
    EXPECT_EQ(modErrors::Numbered("Quorvel", [] { return 42; }), 42);
    try {
        modErrors::Numbered("Quorvel",
                            []() -> int { throw NumberedError(err::PreparedMessage, "Form", "prepared"); });
        FAIL();
    } catch (const NumberedError& e) {
        EXPECT_EQ(e.number(), err::PreparedMessage);
        EXPECT_EQ(e.source(), "Form");
        EXPECT_EQ(e.description(), "prepared");
    }
    try {
        modErrors::Numbered("Quorvel", [] { (void)std::string("abc").at(7); });
        FAIL();
    } catch (const NumberedError& e) {
        EXPECT_EQ(e.number(), err::ForeignError);
        EXPECT_EQ(e.source(), "Quorvel");
        EXPECT_EQ(e.description().rfind("basic_string"), 0u) << e.description();
        EXPECT_NE(e.description().find("51)"), std::string::npos) << e.description();
    }
    try {
        modErrors::Numbered("Quorvel", [] { throw 7; });
        FAIL();
    } catch (const NumberedError& e) {
        EXPECT_EQ(e.number(), err::ForeignError);
    }
}

TEST(modErrorsTest, ErrorsAreShownByTheirNumber) {
    ScriptedDialogs d;
    modErrors::ReportError(d, NumberedError(err::Cancelled, "s", "cancelled"));
    EXPECT_TRUE(d.boxes.empty());

    modErrors::ReportError(d, NumberedError(err::PreparedMessage, "s", "prepared"));
    modErrors::ReportError(d, NumberedError(err::PreparedWarning, "s", "warning"));
    modErrors::ReportError(d, NumberedError(err::ForeignError, "s", "driver text\r(Error Number: 3075)"));
    modErrors::ReportError(d, NumberedError(err::NotImplemented, "s", "Text ID 28 is not implemented!"));
    modErrors::ReportError(
        d, NumberedError(err::InvalidProcedureCall, "s", "Invalid procedure call or argument"));
    ASSERT_EQ(d.boxes.size(), 5u);
    EXPECT_EQ(d.boxes[0].text, "prepared");
    EXPECT_EQ(d.boxes[0].flags, 65600);
    EXPECT_EQ(d.boxes[1].text, "warning");
    EXPECT_EQ(d.boxes[1].flags, 65584);
    EXPECT_EQ(d.boxes[2].text, "driver text\r(Error Number: 3075)");
    EXPECT_EQ(d.boxes[2].flags, 65600);
    EXPECT_EQ(d.boxes[3].text, "Unexpected error:\rText ID 28 is not implemented!\r(Error number: 668)");
    EXPECT_EQ(d.boxes[3].flags, 65552);
    EXPECT_EQ(d.boxes[4].text, "Unexpected error:\rInvalid procedure call or argument\r(Error number: 5)");
    for (auto& b : d.boxes)
        EXPECT_EQ(b.title, "Quorvel LT");
}

TEST(modErrorsTest, OperationsChooseTheirOwnWayForSomeNumbers) {
    ScriptedDialogs d;
    modErrors::ErrorReportOptions o;
    o.secondInstanceOn5 = true;
    o.notImplementedAsCritical = true;
    o.formatForeign = [](const std::string& s) { return "clean: " + s; };
    modErrors::ReportError(d, NumberedError(err::InvalidProcedureCall, "s", "x"), o);
    modErrors::ReportError(d, NumberedError(err::NotImplemented, "s", "No such version!"), o);
    modErrors::ReportError(d, NumberedError(err::ForeignError, "s", "raw"), o);
    o.foreignAsInformation = false;
    modErrors::ReportError(d, NumberedError(err::ForeignError, "s", "raw"), o);
    ASSERT_EQ(d.boxes.size(), 4u);
    EXPECT_EQ(d.boxes[0].text, modGlobalization::GetText(216));
    EXPECT_EQ(d.boxes[0].flags, 65584);
    EXPECT_EQ(d.boxes[1].text, "No such version!");
    EXPECT_EQ(d.boxes[1].flags, 65552);
    EXPECT_EQ(d.boxes[2].text, "clean: raw");
    EXPECT_EQ(d.boxes[3].text, "Unexpected error:\rraw\r(Error number: 670)");
}

TEST(modErrorsTest, UnexpectedReportCarriesItsSuffixAndLanguage) {
    ScriptedDialogs d;
    modGlobalization::SetCountryCode(31);
    modErrors::ReportUnexpected(
        d, NumberedError(err::CannotCreateObject, "s", "ActiveX component can't create object"),
        "\r\rClass: X");
    modGlobalization::SetCountryCode(0);
    ASSERT_EQ(d.boxes.size(), 1u);
    EXPECT_EQ(d.boxes[0].text,
              "Onverwachte fout:\rActiveX component can't create object\r(Foutnummer: 429)\r\rClass: X");
}

TEST(HostStateGuardTest, SwitchesTheHostBackOnEveryWayOut) {
    auto app = std::make_shared<FakeApplication>();
    try {
        HostStateGuard guard(app);
        guard.quiet();
        app->setDisplayAlerts(false);
        EXPECT_FALSE(app->screenUpdating());
        EXPECT_FALSE(app->enableEvents());
        throw NumberedError(err::TypeMismatch, "s", "Type mismatch");
    } catch (const NumberedError&) {
    }
    EXPECT_TRUE(app->screenUpdating());
    EXPECT_TRUE(app->enableEvents());
    EXPECT_TRUE(app->displayAlerts());
}

TEST(HostStateGuardTest, InnerStepLeavesTheSwitchesAsFound) {
    auto app = std::make_shared<FakeApplication>();
    app->setEnableEvents(false);
    {
        HostStateGuard guard(app, HostStateGuard::OnExit::RestorePrevious);
        app->setEnableEvents(true);
        app->setScreenUpdating(false);
    }
    EXPECT_FALSE(app->enableEvents());
    EXPECT_TRUE(app->screenUpdating());
    EXPECT_NO_THROW(HostStateGuard(nullptr));
}

} // namespace
} // namespace qv
