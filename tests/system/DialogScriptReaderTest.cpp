// Dialog scripts written as text: a scenario read and played, and lines that must not be
// silently misread.
#include "system/DialogScriptReader.h"

#include "platform/NumberedError.h"
#include "platform/host/HostConstants.h"
#include "system/ScriptedDialogs.h"
#include "system/ScriptedToolkit.h"

#include <gtest/gtest.h>

using namespace qv;

TEST(DialogScriptReaderTest, ReadsAScenarioThatPlaysLikeTheBuiltOne) {
    const char* text = R"(# logon, then two prompts
dialog frmLogon set txtUser "jan \"de\" Vries"
  set chkRemember true
  click cmdOK
message "Opslaan" Yes flags 65572
input "Enter parameter" "1998"
open cancel
color 255
)";
    auto steps = DialogScriptReader::read(text);
    ASSERT_EQ(steps.size(), 5u);
    DialogScript script;
    for (auto& s : steps)
        script << std::move(s);
    ScriptedDialogs dialogs(script);
    ScriptedToolkit toolkit(script);

    DialogModel logon("frmLogon", "Logon");
    logon.add({.name = "txtUser", .kind = ControlKind::TextBox});
    logon.add({.name = "chkRemember", .kind = ControlKind::CheckBox, .value = Variant(false)});
    logon.add({.name = "cmdOK", .kind = ControlKind::CommandButton});
    logon.onClick("cmdOK", [](DialogModel& d) { d.close(dialog::Accepted); });
    EXPECT_EQ(toolkit.showModal(logon), dialog::Accepted);
    EXPECT_EQ(logon.control("txtUser").value, Variant("jan \"de\" Vries"));
    EXPECT_EQ(logon.control("chkRemember").value, Variant(true));
    EXPECT_EQ(dialogs.messageBox("Opslaan?", 65572, "Quorvel LT"), xl::AnswerYes);
    EXPECT_EQ(dialogs.inputBox("Enter parameter Year", "", ""), "1998");
    EXPECT_FALSE(dialogs.openFile("Open", "", {}));
    EXPECT_EQ(dialogs.pickColor(0), 255L);
    EXPECT_TRUE(script.errors().empty());
    EXPECT_TRUE(script.finished());
}

TEST(DialogScriptReaderTest, UnreadableLinesAreErrorsWithTheirLineNumber) {
    const char* bad[] = {
        "message \"x\" Maybe",         // not an answer
        "message x OK",                // text not quoted
        "click cmdOK",                 // action outside a dialog
        "dialog frmX set txtA jan",    // value not quoted
        "input \"p\" answer",          // answer not quoted
        "open \"unterminated",         // missing quote
        "color red",                   // not a number
        "dialog frmX click",           // click without a control
        "shout \"hello\"",             // not a step
        "message \"x\" OK flags many", // flags not a number
    };
    for (const char* line : bad) {
        try {
            DialogScriptReader::read(std::string("# first\n") + line);
            ADD_FAILURE() << "read: " << line;
        } catch (const NumberedError& e) {
            EXPECT_EQ(e.number(), err::InvalidProcedureCall);
            EXPECT_NE(e.description().find("line 2"), std::string::npos) << e.description();
        }
    }
}
