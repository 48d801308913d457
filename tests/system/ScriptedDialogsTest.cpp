// Scripted prompts and dialogs: answers in script order across both, what a person would have
// seen recorded, and every way a script can fall short ending in a cancel and an error rather
// than a wait.
#include "system/ScriptedDialogs.h"
#include "system/ScriptedToolkit.h"

#include "platform/host/HostConstants.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace qv;

namespace {

// A logon dialog in the add-in's style: the OK button insists on a user name through a
// message box, so a scenario passes from the dialog to a prompt and back.
DialogModel makeLogon(IDialogs& dialogs) {
    DialogModel m("frmLogon", "Aanmelden");
    m.add({.name = "txtUser", .kind = ControlKind::TextBox});
    m.add({.name = "txtPassword", .kind = ControlKind::TextBox, .passwordChar = '*'});
    m.add({.name = "txtPort", .kind = ControlKind::TextBox});
    m.add({.name = "cmdOK", .kind = ControlKind::CommandButton, .caption = "OK", .isDefault = true});
    m.add({.name = "cmdHidden", .kind = ControlKind::CommandButton, .visible = false});
    m.onActivate([](DialogModel& d) { d.control("txtUser").value = Variant("Admin"); });
    m.onClick("cmdOK", [&dialogs](DialogModel& d) {
        if (d.control("txtUser").value.toString().empty())
            dialogs.messageBox("Geef een gebruikersnaam op.", xl::MsgOk | xl::MsgExclamation, "Quorvel LT");
        else
            d.close(dialog::Accepted);
    });
    m.onKey("txtPort", [](DialogModel&, int k) { return k >= '0' && k <= '9'; });
    return m;
}

} // namespace

TEST(ScriptedDialogsTest, MessageBoxesAreAnsweredAndRecordedAsShown) {
    DialogScript script;
    script << ScriptStep::messageBox("opslaan", xl::AnswerYes).flags(65572);
    ScriptedDialogs dialogs(script);
    EXPECT_EQ(dialogs.messageBox("Wijzigingen opslaan?", 65572, "Quorvel LT"), xl::AnswerYes);
    EXPECT_TRUE(script.finished());
    EXPECT_TRUE(script.errors().empty());
    ASSERT_EQ(script.records().size(), 1u);
    const PromptRecord& r = script.records()[0];
    EXPECT_EQ(r.kind, PromptKind::MessageBox);
    EXPECT_EQ(r.text, "Wijzigingen opslaan?");
    EXPECT_EQ(r.title, "Quorvel LT");
    EXPECT_EQ(r.flags, 65572);
    EXPECT_EQ(r.answer, "6");
}

TEST(ScriptedDialogsTest, RunningOutOfAnswersDismissesAndRecordsAnError) {
    DialogScript script;
    ScriptedDialogs dialogs(script);
    EXPECT_EQ(dialogs.messageBox("Verwijderen?", xl::MsgYesNo | xl::MsgQuestion, "Quorvel LT"), xl::AnswerNo);
    EXPECT_EQ(dialogs.messageBox("Doorgaan?", xl::MsgYesNoCancel, "Quorvel LT"), xl::AnswerCancel);
    EXPECT_EQ(dialogs.messageBox("Klaar.", xl::MsgOk | xl::MsgInformation, "Quorvel LT"), xl::AnswerOk);
    EXPECT_FALSE(dialogs.inputBox("SQL", "Quorvel LT", "SELECT"));
    EXPECT_FALSE(dialogs.openFile("Open", "/home", {}));
    EXPECT_FALSE(dialogs.pickColor(255));
    ASSERT_EQ(script.errors().size(), 6u);
    EXPECT_NE(script.errors()[0].find("Verwijderen?"), std::string::npos);
    EXPECT_FALSE(script.records()[0].error.empty());
}

TEST(ScriptedDialogsTest, AnUnexpectedPromptLeavesTheScriptInPlaceForTheExpectedOne) {
    DialogScript script;
    script << ScriptStep::messageBox("records updated", xl::AnswerOk);
    ScriptedDialogs dialogs(script);
    EXPECT_EQ(dialogs.messageBox("Something else", xl::MsgOkCancel, "Quorvel LT"), xl::AnswerCancel);
    ASSERT_EQ(script.errors().size(), 1u);
    EXPECT_NE(script.errors()[0].find("records updated"), std::string::npos);
    EXPECT_EQ(dialogs.messageBox("3 records updated", xl::MsgOk, "Quorvel LT"), xl::AnswerOk);
    EXPECT_TRUE(script.finished());

    script << ScriptStep::messageBox("", xl::AnswerYes).flags(65572);
    EXPECT_EQ(dialogs.messageBox("Sure?", 4, "Quorvel LT"), xl::AnswerNo); // flags differ
    EXPECT_EQ(script.errors().size(), 2u);
}

TEST(ScriptedDialogsTest, InputFileAndColourAnswersWithWhatWasOffered) {
    DialogScript script;
    script << ScriptStep::input("parameter", std::string("1998")) << ScriptStep::input("", std::nullopt)
           << ScriptStep::openFile(std::string("/data/Zoë.mdb")) << ScriptStep::saveAsFile(std::nullopt)
           << ScriptStep::pickColor(65535L);
    ScriptedDialogs dialogs(script);
    EXPECT_EQ(dialogs.inputBox("Enter parameter Year", "Quorvel LT", "2000"), "1998");
    EXPECT_FALSE(dialogs.inputBox("SQL", "Quorvel LT", ""));
    const std::vector<FileFilter> filters = {{"MS Access databases", "*.mdb;*.accdb"}};
    EXPECT_EQ(dialogs.openFile("Open database", "/data", filters), "/data/Zoë.mdb");
    EXPECT_FALSE(dialogs.saveAsFile("Save as", "form.xlsx", {}));
    EXPECT_EQ(dialogs.pickColor(255), 65535L);
    EXPECT_TRUE(script.errors().empty());
    ASSERT_EQ(script.records().size(), 5u);
    EXPECT_EQ(script.records()[0].defaultText, "2000");
    EXPECT_EQ(script.records()[1].answer, "cancel");
    EXPECT_EQ(script.records()[2].defaultText, "/data");
    ASSERT_EQ(script.records()[2].filters.size(), 1u);
    EXPECT_EQ(script.records()[2].filters[0].patterns, "*.mdb;*.accdb");
    EXPECT_EQ(script.records()[4].defaultText, "255");
}

TEST(ScriptedToolkitTest, PlaysActionsInOrderWithNestedPromptsFromTheSameScript) {
    DialogScript script;
    ScriptedDialogs dialogs(script);
    ScriptedToolkit toolkit(script);
    DialogModel logon = makeLogon(dialogs);
    script << ScriptStep::dialog("frmLogon")
                  .set("txtUser", Variant(""))
                  .click("cmdOK")
                  .set("txtUser", Variant("jan"))
                  .type("txtPort", "80a8")
                  .click("cmdOK")
           << ScriptStep::messageBox("gebruikersnaam", xl::AnswerOk);
    EXPECT_EQ(toolkit.showModal(logon), dialog::Accepted);
    EXPECT_TRUE(script.errors().empty()) << script.errors().front();
    EXPECT_TRUE(script.finished());
    EXPECT_EQ(logon.control("txtUser").value, Variant("jan"));
    EXPECT_EQ(logon.control("txtPort").value, Variant("808")); // the key filter dropped the letter

    ASSERT_EQ(script.records().size(), 2u);
    const PromptRecord& shown = script.records()[0];
    EXPECT_EQ(shown.dialogName, "frmLogon");
    EXPECT_EQ(shown.text, "Aanmelden");
    EXPECT_EQ(shown.answer, std::to_string(dialog::Accepted));
    // As it looked when it opened: after activation, before the script typed.
    auto user = std::find_if(shown.controls.begin(), shown.controls.end(),
                             [](auto& c) { return c.name == "txtUser"; });
    ASSERT_NE(user, shown.controls.end());
    EXPECT_EQ(user->value, Variant("Admin"));
    EXPECT_EQ(script.records()[1].kind, PromptKind::MessageBox);
}

TEST(ScriptedToolkitTest, ADialogLeftOpenOrNotScriptedIsCancelledNotWaitedFor) {
    DialogScript script;
    ScriptedDialogs dialogs(script);
    ScriptedToolkit toolkit(script);
    DialogModel logon = makeLogon(dialogs);

    EXPECT_EQ(toolkit.showModal(logon), dialog::Cancelled); // nothing scripted
    ASSERT_EQ(script.errors().size(), 1u);

    script << ScriptStep::dialog("frmLogon").set("txtUser", Variant("jan"));
    EXPECT_EQ(toolkit.showModal(logon), dialog::Cancelled); // reopened, then left open
    EXPECT_NE(script.errors().back().find("still open"), std::string::npos);

    // A dialog that refuses the close box still ends.
    logon.onQueryClose([](DialogModel&) {});
    script << ScriptStep::dialog("frmPassword");
    EXPECT_EQ(toolkit.showModal(logon), dialog::Cancelled);
    EXPECT_NE(script.errors().back().find("frmPassword"), std::string::npos);
    EXPECT_EQ(script.remaining(), 1u); // the step waits for its own dialog
}

TEST(ScriptedToolkitTest, ControlsAPersonCouldNotUseAreReported) {
    DialogScript script;
    ScriptedDialogs dialogs(script);
    ScriptedToolkit toolkit(script);
    DialogModel logon = makeLogon(dialogs);
    logon.onActivate([](DialogModel& d) {
        d.control("txtUser").value = Variant("Admin");
        d.control("cmdOK").enabled = false;
    });
    script << ScriptStep::dialog("frmLogon")
                  .click("cmdOK")
                  .click("cmdHidden")
                  .set("txtNope", Variant(1))
                  .closeWindow();
    EXPECT_EQ(toolkit.showModal(logon), dialog::Cancelled);
    ASSERT_EQ(script.errors().size(), 3u);
    EXPECT_NE(script.errors()[0].find("disabled"), std::string::npos);
    EXPECT_NE(script.errors()[1].find("hidden"), std::string::npos);
    EXPECT_NE(script.errors()[2].find("txtNope"), std::string::npos);
    EXPECT_FALSE(script.records()[0].controls.empty());
}
