// Whatever ends a command a person started, the host is left as the command found it and the
// person hears of a failure exactly once, after the host is back.
#include "CommonFakes.h"

#include "common/CommandTrap.h"

#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>

namespace qv {
namespace {

using test::FakeApplication;
using test::ScriptedDialogs;

// A command that changes every bit of host state the trap looks after, then ends its way.
void busyCommand(IApplication& app, const std::function<void()>& ending) {
    app.setScreenUpdating(false);
    app.setEnableEvents(false);
    app.setDisplayAlerts(false);
    app.setCursor(xl::CursorWait);
    app.setStatusBar("Loading table Orders...");
    ending();
}

void expectHostAsFound(const FakeApplication& app, const std::string& status) {
    EXPECT_TRUE(app.screenUpdating());
    EXPECT_TRUE(app.enableEvents());
    EXPECT_TRUE(app.displayAlerts());
    EXPECT_EQ(app.cursor(), xl::CursorDefault);
    EXPECT_EQ(app.statusBar(), status);
}

TEST(CommandTrapTest, EveryWayOutRestoresTheHost) {
    const std::vector<std::pair<const char*, std::function<void()>>> endings = {
        {"return", [] {}},
        {"prepared message",
         [] { throw NumberedError(err::PreparedMessage, "Form", "Choose a table first."); }},
        {"unexpected number", [] { throw ErrorCatalogue::make(err::ObjectInvalid, "DAO.Database"); }},
        {"foreign exception", [] { throw std::out_of_range("vector::at"); }},
        {"unknown throw", [] { throw 42; }},
    };
    for (const auto& entry : endings) {
        const std::string name = entry.first;
        const std::function<void()>& ending = entry.second;
        SCOPED_TRACE(name);
        auto app = std::make_shared<FakeApplication>();
        ScriptedDialogs dialogs;
        const bool ran = CommandTrap::Run(&dialogs, app, "Quorvel", [&] { busyCommand(*app, ending); });
        EXPECT_EQ(ran, name == "return");
        // A command that ran to its end owns the status text it left; a failed one's progress
        // text does not stay.
        expectHostAsFound(*app, ran ? "Loading table Orders..." : "");
        EXPECT_EQ(dialogs.boxes.size(), ran ? 0u : 1u);
    }
}

TEST(CommandTrapTest, FailuresAreShownByTheConventionAndNeverEscape) {
    auto app = std::make_shared<FakeApplication>();
    ScriptedDialogs dialogs;
    EXPECT_FALSE(
        CommandTrap::Run(&dialogs, app, "Quorvel", [] { throw NumberedError(err::Cancelled, "s", ""); }));
    EXPECT_TRUE(dialogs.boxes.empty()) << "a cancel shows nothing";

    EXPECT_FALSE(CommandTrap::Run(&dialogs, app, "Quorvel", [] {
        throw NumberedError(err::PreparedWarning, "s", "Not a valid password.");
    }));
    ASSERT_EQ(dialogs.boxes.size(), 1u);
    EXPECT_EQ(dialogs.boxes[0].text, "Not a valid password.");
    EXPECT_EQ(dialogs.boxes[0].flags, modErrors::FlagsExclamation);

    EXPECT_FALSE(CommandTrap::Run(&dialogs, app, "Quorvel", [] {
        throw NumberedError(err::NotImplemented, "s", "The following action is not implemented: GetDatabase");
    }));
    ASSERT_EQ(dialogs.boxes.size(), 2u);
    EXPECT_EQ(dialogs.boxes[1].text, "The following action is not implemented: GetDatabase");
    EXPECT_EQ(dialogs.boxes[1].flags, modErrors::FlagsCritical);

    // A bug in the add-in still reaches the person as a numbered error with its text.
    EXPECT_FALSE(CommandTrap::Run(&dialogs, app, "Quorvel", [] { throw std::runtime_error("bad cast"); }));
    ASSERT_EQ(dialogs.boxes.size(), 3u);
    EXPECT_NE(dialogs.boxes[2].text.find("bad cast"), std::string::npos) << dialogs.boxes[2].text;
}

TEST(CommandTrapTest, HostIsBackBeforeTheMessageShows) {
    auto app = std::make_shared<FakeApplication>();
    struct WatchingDialogs : ScriptedDialogs {
        std::shared_ptr<FakeApplication> app;
        bool updatingWhenShown = false;
        int cursorWhenShown = 0;
        int messageBox(const std::string& text, int flags, const std::string& title) override {
            updatingWhenShown = app->screenUpdating();
            cursorWhenShown = app->cursor();
            return ScriptedDialogs::messageBox(text, flags, title);
        }
    } dialogs;
    dialogs.app = app;
    CommandTrap::Run(&dialogs, app, "Quorvel", [&] {
        busyCommand(*app, [] { throw NumberedError(err::PreparedMessage, "Form", "Done with errors."); });
    });
    EXPECT_TRUE(dialogs.updatingWhenShown);
    EXPECT_EQ(dialogs.cursorWhenShown, xl::CursorDefault);
}

TEST(CommandTrapTest, HostStateTheCommandFoundIsWhatItLeaves) {
    // A script that runs with events off keeps them off; a status text set before stays.
    auto app = std::make_shared<FakeApplication>();
    app->setEnableEvents(false);
    app->setStatusBar("Ready for import");
    ScriptedDialogs dialogs;
    CommandTrap::Run(&dialogs, app, "Quorvel",
                     [&] { busyCommand(*app, [] { throw NumberedError(err::PreparedMessage, "s", "x"); }); });
    EXPECT_FALSE(app->enableEvents());
    EXPECT_TRUE(app->screenUpdating());
    EXPECT_EQ(app->statusBar(), "Ready for import");
}

TEST(CommandTrapTest, WorksWithoutHostOrDialogs) {
    EXPECT_TRUE(CommandTrap::Run(nullptr, nullptr, "Quorvel", [] {}));
    EXPECT_FALSE(CommandTrap::Run(nullptr, nullptr, "Quorvel", [] { throw std::logic_error("x"); }));
}

} // namespace
} // namespace qv
