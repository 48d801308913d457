#include "platform/DialogModel.h"
#include "platform/IDialogs.h"
#include "platform/IObjectFactory.h"
#include "platform/IRegistryStore.h"
#include "platform/IShell.h"
#include "platform/NumberedError.h"
#include "platform/PlatformServices.h"
#include "platform/engine/AdoConstants.h"
#include "platform/engine/DaoConstants.h"
#include "platform/engine/IAdoCommand.h"
#include "platform/engine/IDaoDatabase.h"
#include "platform/host/IApplication.h"
#include "platform/host/IRibbonUI.h"

#include <gtest/gtest.h>

using namespace qv;

namespace {
DialogModel makeDialog() {
    DialogModel m("frmTest", "Test");
    m.add({.name = "chkDontShowAgain",
           .kind = ControlKind::CheckBox,
           .caption = "Don't show",
           .value = Variant(false)});
    m.add({.name = "cmdOK", .kind = ControlKind::CommandButton, .caption = "OK", .isDefault = true});
    m.add({.name = "txtNumber", .kind = ControlKind::TextBox});
    return m;
}
} // namespace

TEST(DialogModelTest, ClickingACheckBoxTogglesItBeforeTheHandlerRuns) {
    DialogModel m = makeDialog();
    bool seen = false;
    m.onClick("chkDontShowAgain",
              [&](DialogModel& d) { seen = d.control("chkDontShowAgain").value.toBool(); });
    m.click("chkDontShowAgain");
    EXPECT_TRUE(seen);
    m.click("chkDontShowAgain");
    EXPECT_FALSE(m.control("chkDontShowAgain").value.toBool());
}

TEST(DialogModelTest, DisabledControlsIgnoreClicks) {
    DialogModel m = makeDialog();
    m.onClick("cmdOK", [](DialogModel& d) { d.close(dialog::Accepted); });
    m.control("cmdOK").enabled = false;
    m.click("cmdOK");
    EXPECT_FALSE(m.closed());
    m.control("cmdOK").enabled = true;
    m.click("cmdOK");
    EXPECT_TRUE(m.closed());
    EXPECT_EQ(m.result(), dialog::Accepted);
}

TEST(DialogModelTest, ClosingTheWindowCancelsUnlessTheDialogSaysOtherwise) {
    DialogModel m = makeDialog();
    m.closeByWindow();
    EXPECT_TRUE(m.closed());
    EXPECT_EQ(m.result(), dialog::Cancelled);
}

TEST(DialogModelTest, KeyFilterCanDiscardKeys) {
    DialogModel m = makeDialog();
    m.onKey("txtNumber", [](DialogModel&, int k) { return k >= 48 && k <= 57; });
    EXPECT_TRUE(m.key("txtNumber", '5'));
    EXPECT_FALSE(m.key("txtNumber", 'a'));
    EXPECT_TRUE(m.key("cmdOK", 'a'));
}

TEST(DialogModelTest, UnknownControlIsError9) {
    DialogModel m = makeDialog();
    try {
        m.control("nope");
        FAIL();
    } catch (const NumberedError& e) {
        EXPECT_EQ(e.number(), err::SubscriptOutOfRange);
    }
}
