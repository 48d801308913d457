// The command bars as the add-in uses them: its menu popup before the host's "&Help", controls
// found by tag anywhere, and the action control while a control's macro runs.
#include "spreadsheet/commandbars/CommandBarSet.h"
#include "platform/NumberedError.h"
#include "platform/host/HostConstants.h"

#include "tests/support/ErrorNumber.h"

#include <gtest/gtest.h>

#include <stdexcept>

using namespace qv;
using qv::sheet::CommandBarSet;
using qv::test::errorNumberOf;

namespace {

// The add-in's menu: a popup before "&Help" with a button, a "Tables" popup and a nested item.
CommandBarControlPtr buildMenu(CommandBarSet& bars) {
    auto menuBar = bars.find(WorksheetMenuBar);
    auto help = menuBar->controls()->findByCaption("&Help");
    auto menu = menuBar->controls()->add(xl::ControlPopup, help->index());
    menu->setCaption("&Quorvel");
    auto open = menu->controls()->add(xl::ControlButton);
    open->setCaption("&Open database...");
    open->setTag("Open database");
    open->setOnAction("ThisWorkbook.GetDatabase");
    auto tables = menu->controls()->add(xl::ControlPopup);
    tables->setTag("Tables");
    auto item = tables->controls()->add(xl::ControlButton);
    item->setTag("Customers");
    item->setParameter("1");
    return menu;
}

} // namespace

TEST(CommandBarSetTest, TheHostsOwnBarsAndMenusExist) {
    CommandBarSet bars;
    auto menuBar = bars.find("worksheet menu bar");
    ASSERT_TRUE(menuBar);
    EXPECT_EQ(menuBar->name(), "Worksheet Menu Bar");
    ASSERT_TRUE(bars.find("Task Pane"));
    const char* expected[] = {"&File",  "&Edit", "&View",   "&Insert", "F&ormat",
                              "&Tools", "&Data", "&Window", "&Help"};
    ASSERT_EQ(menuBar->controls()->count(), 9);
    for (long i = 1; i <= 9; ++i) {
        EXPECT_EQ(menuBar->controls()->item(i)->caption(), expected[i - 1]);
        EXPECT_EQ(menuBar->controls()->item(i)->type(), xl::ControlPopup);
    }
    EXPECT_FALSE(bars.find("Quorvel"));
    EXPECT_EQ(errorNumberOf([&] { (void)bars.item(bars.count() + 1); }), err::SubscriptOutOfRange);
    EXPECT_EQ(errorNumberOf([&] { menuBar->remove(); }), err::InvalidProcedureCall);
    EXPECT_TRUE(bars.find(WorksheetMenuBar));
}

TEST(CommandBarSetTest, PopupGoesBeforeHelpAndIndicesFollow) {
    CommandBarSet bars;
    auto menu = buildMenu(bars);
    auto menuBar = bars.find(WorksheetMenuBar);
    EXPECT_EQ(menu->index(), 9);
    EXPECT_EQ(menuBar->controls()->item(10)->caption(), "&Help");
    EXPECT_EQ(menuBar->controls()->findByCaption("&Quorvel"), menu);
    EXPECT_EQ(menu->controls()->count(), 2);
    EXPECT_FALSE(menu->controls()->item(1)->controls()); // buttons have no children
    menu->remove();
    EXPECT_EQ(menu->index(), 0);
    EXPECT_EQ(menuBar->controls()->count(), 9);
    EXPECT_FALSE(bars.findControl("Open database"));
}

TEST(CommandBarSetTest, FindControlSearchesPopupsDepthFirstAndAllBars) {
    CommandBarSet bars;
    auto menu = buildMenu(bars);
    auto toolbar = bars.add("Quorvel");
    auto copy = toolbar->controls()->add(xl::ControlButton);
    copy->setTag("Open database");
    auto only = toolbar->controls()->add(xl::ControlButton);
    only->setTag("Toolbar only");

    auto found = bars.find(WorksheetMenuBar)->findControl("Customers");
    ASSERT_TRUE(found);
    EXPECT_EQ(found->parameter(), "1");
    // The menu bar comes first, so its control wins over the toolbar's twin.
    EXPECT_EQ(bars.findControl("Open database"), menu->controls()->item(1));
    EXPECT_EQ(toolbar->findControl("Open database"), copy);
    EXPECT_EQ(bars.findControl("Toolbar only"), only);
    EXPECT_FALSE(bars.findControl("open database")); // tags compare exactly
    EXPECT_FALSE(bars.findControl("Missing"));
}

TEST(CommandBarSetTest, AddedBarsHaveUniqueNamesAndCanBeRemoved) {
    CommandBarSet bars;
    const long before = bars.count();
    auto toolbar = bars.add("Quorvel");
    EXPECT_EQ(bars.count(), before + 1);
    EXPECT_EQ(errorNumberOf([&] { bars.add("QUORVEL"); }), err::InvalidProcedureCall);
    EXPECT_EQ(errorNumberOf([&] { bars.add(""); }), err::InvalidProcedureCall);
    toolbar->setVisible(false);
    EXPECT_FALSE(bars.find("quorvel")->visible());
    toolbar->remove();
    EXPECT_EQ(bars.count(), before);
    EXPECT_FALSE(bars.find("Quorvel"));
    EXPECT_TRUE(bars.add("Quorvel"));
}

TEST(CommandBarSetTest, ControlsTakeButtonsAndPopupsAtValidPositions) {
    CommandBarSet bars;
    auto controls = bars.add("Quorvel")->controls();
    EXPECT_EQ(errorNumberOf([&] { controls->add(4); }), err::InvalidProcedureCall);
    EXPECT_EQ(errorNumberOf([&] { controls->add(xl::ControlButton, 2); }), err::InvalidProcedureCall);
    auto second = controls->add(xl::ControlButton);
    auto first = controls->add(xl::ControlButton, 1);
    EXPECT_EQ(first->index(), 1);
    EXPECT_EQ(second->index(), 2);
    EXPECT_EQ(errorNumberOf([&] { (void)controls->item(0); }), err::SubscriptOutOfRange);

    first->setCaption("&Save changes (F7)");
    EXPECT_EQ(first->tooltipText(), "Save changes (F7)");
    first->setCaption("Fish && Chips&");
    EXPECT_EQ(first->tooltipText(), "Fish & Chips");
    first->setTooltipText("Hotkey: F7");
    EXPECT_EQ(first->tooltipText(), "Hotkey: F7");
    first->setFaceId(538);
    first->setBeginGroup(true);
    first->setEnabled(false);
    EXPECT_EQ(first->faceId(), 538);
    EXPECT_TRUE(first->beginGroup());
    EXPECT_FALSE(first->enabled());
}

TEST(CommandBarSetTest, ClickRunsTheActionWithTheActionControlSet) {
    CommandBarSet bars;
    buildMenu(bars);
    auto open = bars.findControl("Open database");
    std::string ran;
    CommandBarControlPtr seen;
    EXPECT_TRUE(bars.click(open, [&](const std::string& macro) {
        ran = macro;
        seen = bars.actionControl();
    }));
    EXPECT_EQ(ran, "ThisWorkbook.GetDatabase");
    EXPECT_EQ(seen, open);
    EXPECT_FALSE(bars.actionControl());
}

TEST(CommandBarSetTest, ClickClearsTheActionControlWhenTheMacroFails) {
    CommandBarSet bars;
    buildMenu(bars);
    auto open = bars.findControl("Open database");
    EXPECT_THROW(
        bars.click(open,
                   [](const std::string&) { throw NumberedError(err::ApplicationDefined, "test", "boom"); }),
        NumberedError);
    EXPECT_FALSE(bars.actionControl());
}

TEST(CommandBarSetTest, ClickIgnoresDisabledHiddenPopupsAndEmptyActions) {
    CommandBarSet bars;
    buildMenu(bars);
    int runs = 0;
    auto count = [&](const std::string&) { ++runs; };
    auto open = bars.findControl("Open database");
    open->setEnabled(false);
    EXPECT_FALSE(bars.click(open, count));
    open->setEnabled(true);
    open->setVisible(false);
    EXPECT_FALSE(bars.click(open, count));
    EXPECT_FALSE(bars.click(bars.findControl("Tables"), count));
    EXPECT_FALSE(bars.click(bars.findControl("Customers"), count)); // no OnAction
    EXPECT_FALSE(bars.click(nullptr, count));
    EXPECT_EQ(runs, 0);
}
