// The switchable information messages: shown only while their switch is on, the box writes
// the switch at once, and the database hint turns itself off the first time it is shown.
#include "CommonFakes.h"

#include "common/SettingNames.h"
#include "common/clsAux.h"
#include "common/frmMessage.h"
#include "common/modGlobalization.h"

#include <gtest/gtest.h>

namespace qv {
namespace {

using test::FakeSettings;
using test::ScriptedDialogs;
using test::ScriptedToolkit;

class frmMessageTest : public ::testing::Test {
  protected:
    frmMessageTest() {
        ctx.settings = &settings;
        ctx.dialogs = &dialogs;
        ctx.toolkit = &toolkit;
    }
    void TearDown() override { modGlobalization::SetCountryCode(0); }

    FakeSettings settings;
    ScriptedDialogs dialogs;
    ScriptedToolkit toolkit;
    AuxContext ctx;
};

TEST_F(frmMessageTest, SwitchedOffMessageShowsNothing) {
    settings.values[setting::ShowMessageUpdatedRecords] = "False";
    clsAux(ctx).ShowUserMessage(setting::ShowMessageUpdatedRecords,
                                "The changes are stored in the database.");
    EXPECT_EQ(toolkit.shown, 0);
    EXPECT_TRUE(settings.writes.empty());
}

TEST_F(frmMessageTest, MessageIsShownWithItsTextTitleAndBox) {
    modGlobalization::SetCountryCode(31);
    clsAux(ctx).ShowUserMessage(setting::ShowMessageDeletedRecords, "Er is één record verwijderd.");
    EXPECT_EQ(toolkit.shown, 1);
    EXPECT_EQ(toolkit.lastCaption, "Quorvel LT");
    EXPECT_EQ(toolkit.lastText, "Er is één record verwijderd.");
    EXPECT_EQ(toolkit.lastCheckCaption, "Deze melding niet meer tonen");
    // A missing switch counts as on and is written so; pressing OK alone changes nothing else.
    ASSERT_EQ(settings.writes.size(), 1u);
    EXPECT_EQ(settings.writes[0],
              (std::pair<std::string, std::string>{setting::ShowMessageDeletedRecords, "True"}));
}

TEST_F(frmMessageTest, TickingTheBoxSwitchesTheMessageOff) {
    settings.values[setting::ShowMessageQueryExecuted] = "True";
    toolkit.script = [](DialogModel& m) {
        EXPECT_FALSE(m.control("chkDontShowAgain").value.toBool());
        m.click("chkDontShowAgain");
        m.click("cmdOK");
    };
    clsAux aux(ctx);
    aux.ShowUserMessage(setting::ShowMessageQueryExecuted, "One record has been affected.");
    EXPECT_EQ(settings.values[setting::ShowMessageQueryExecuted].toString(), "False");
    aux.ShowUserMessage(setting::ShowMessageQueryExecuted, "One record has been affected.");
    EXPECT_EQ(toolkit.shown, 1);
}

TEST_F(frmMessageTest, DatabaseHintSilencesItselfOnFirstShowing) {
    clsAux aux(ctx);
    aux.ShowUserMessage(setting::ShowMessageSelectDb, "hint");
    EXPECT_EQ(toolkit.shown, 1);
    EXPECT_EQ(settings.values[setting::ShowMessageSelectDb].toString(), "False");
    aux.ShowUserMessage(setting::ShowMessageSelectDb, "hint");
    EXPECT_EQ(toolkit.shown, 1);
}

TEST_F(frmMessageTest, ClearingTheBoxOnTheHintKeepsItOn) {
    toolkit.script = [](DialogModel& m) {
        EXPECT_TRUE(m.control("chkDontShowAgain").value.toBool());
        m.click("chkDontShowAgain");
        m.click("cmdOK");
    };
    clsAux aux(ctx);
    aux.ShowUserMessage(setting::ShowMessageSelectDb, "hint");
    EXPECT_EQ(settings.values[setting::ShowMessageSelectDb].toString(), "True");
    aux.ShowUserMessage(setting::ShowMessageSelectDb, "hint");
    EXPECT_EQ(toolkit.shown, 2);
}

TEST_F(frmMessageTest, DialogHasTheNamedControls) {
    frmMessage form(settings);
    for (const char* name : {"lblText", "Line1", "chkDontShowAgain", "cmdOK"})
        EXPECT_TRUE(form.Model().has(name)) << name;
    form.SetSettingName(setting::ShowMessageSelectTable);
    form.SetText("pick a table");
    form.Show(toolkit);
    EXPECT_EQ(form.Model().control("lblText").caption, "pick a table");
    EXPECT_EQ(form.SettingName(), setting::ShowMessageSelectTable);
}

} // namespace
} // namespace qv
