// Focus in scripted dialogs: leaving a control may be refused, and then the action that would
// have moved the focus does not happen; the cancel button is pressed with Escape, in place.
// Also where the host looks for a package's code.
#include "system/DialogScript.h"
#include "system/ScriptedToolkit.h"
#include "system/WorkbookCodeLoader.h"

#include <gtest/gtest.h>

using namespace qv;

namespace {

struct BoxDialog {
    DialogModel model{"frmBox", "Box"};
    int refusals = 0;
    BoxDialog() {
        model.add({.name = "txtValue", .kind = ControlKind::TextBox, .value = Variant("")});
        model.add({.name = "cmdOK", .kind = ControlKind::CommandButton, .isDefault = true});
        model.add({.name = "cmdCancel", .kind = ControlKind::CommandButton, .isCancel = true});
        model.onExit("txtValue", [this](DialogModel& m) {
            const bool ok = m.control("txtValue").value.toString() == "good";
            if (!ok) ++refusals;
            return ok;
        });
        model.onClick("cmdOK", [](DialogModel& m) { m.close(dialog::Accepted); });
        model.onClick("cmdCancel", [](DialogModel& m) { m.close(dialog::Cancelled); });
    }
};

} // namespace

TEST(ScriptedToolkitFocusTest, ARefusedLeaveKeepsTheFocusAndSwallowsTheClick) {
    DialogScript script;
    ScriptedToolkit toolkit(script);
    BoxDialog d;
    script << ScriptStep::dialog("frmBox")
                  .set("txtValue", Variant("bad"))
                  .click("cmdOK")
                  .set("txtValue", Variant("good"))
                  .click("cmdOK");
    EXPECT_EQ(toolkit.showModal(d.model), dialog::Accepted);
    EXPECT_EQ(d.refusals, 1);
    EXPECT_TRUE(script.errors().empty());
}

TEST(ScriptedToolkitFocusTest, EscapeCancelsWithoutLeavingTheBox) {
    DialogScript script;
    ScriptedToolkit toolkit(script);
    BoxDialog d;
    script << ScriptStep::dialog("frmBox").set("txtValue", Variant("bad")).click("cmdCancel");
    EXPECT_EQ(toolkit.showModal(d.model), dialog::Cancelled);
    EXPECT_EQ(d.refusals, 0);
}

TEST(WorkbookCodeLoaderTest, CodeIsNamedAfterThePackageBesideIt) {
    EXPECT_EQ(WorkbookCodeLoader::codePathFor("/opt/q/Quorvel12.xlam"), "/opt/q/libQuorvel12-modules.so");
    EXPECT_EQ(WorkbookCodeLoader::codePathFor("/opt/q/My Tool.xlam"), "/opt/q/libMy Tool-modules.so");
}
