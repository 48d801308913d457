// The window as a person uses it: host keys run their bound macros, a failing command becomes a
// message and never an exception in the event loop, the status bar shows the host's text, sheet
// tabs switch sheets, the File menu asks before losing changes, the menu edition shows the
// command bars, and long work keeps painting and answers Cancel.
#include "QtTestSupport.h"

#include "app/CommandBarMenus.h"
#include "app/MainWindow.h"
#include "app/QtProgress.h"
#include "app/SheetView.h"
#include "platform/host/HostConstants.h"
#include "spreadsheet/model/Application.h"
#include "spreadsheet/model/Worksheet.h"

#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QStatusBar>
#include <QTabBar>
#include <QTest>
#include <QToolBar>

#include <gtest/gtest.h>

using namespace qv;

namespace {
struct Window {
    std::unique_ptr<app::DesktopSession> session;
    sheet::Application& app;
    std::unique_ptr<app::MainWindow> window;
    explicit Window(bool menuEdition = false)
        : session(test::hostSession(menuEdition)), app(session->application()) {}
    void open() {
        window = std::make_unique<app::MainWindow>(*session);
        window->show();
        window->activateWindow();
        QTest::qWait(1);
    }
    ~Window() { window.reset(); }
};

QString textOf(QWidget& w) {
    QString all;
    for (QLabel* l : w.findChildren<QLabel*>())
        all += l->text() + "\n";
    return all;
}
} // namespace

TEST(MainWindowTest, FunctionKeysRunTheHostsKeyAssignment) {
    Window w;
    std::vector<std::string> ran;
    w.app.registerMacro(w.app.activeWorkbook(), "ThisWorkbook.WriteData", [&](const std::vector<Variant>&) {
        ran.push_back("F7");
        w.app.setStatusBar("3 rows written");
        return Variant();
    });
    w.app.onKey("{F7}", "ThisWorkbook.WriteData");
    w.open();
    QTest::keyClick(w.window->grid(), Qt::Key_F7);
    EXPECT_EQ(ran, std::vector<std::string>{"F7"});
    EXPECT_EQ(w.window->statusText()->text(), QStringLiteral("3 rows written"));
    // Unbound keys keep the host's own meaning: nothing runs.
    QTest::keyClick(w.window->grid(), Qt::Key_F6);
    EXPECT_EQ(ran.size(), 1u);
    w.app.setStatusBar("");
    w.window->sync();
    EXPECT_EQ(w.window->statusText()->text(), QStringLiteral("Ready"));
}

TEST(MainWindowTest, AFailingCommandIsReportedAndTheWindowGoesOn) {
    Window w;
    w.app.registerMacro(w.app.activeWorkbook(), "M.Fail", [](const std::vector<Variant>&) -> Variant {
        throw NumberedError(3024, "DAO.Database", "Could not find file 'gone.db'.");
    });
    w.app.onKey("{F9}", "M.Fail");
    w.open();
    QString shown;
    test::answerNextModal([&](QWidget& box) {
        shown = textOf(box);
        QTest::keyClick(&box, Qt::Key_Escape);
    });
    QTest::keyClick(w.window->grid(), Qt::Key_F9);
    EXPECT_TRUE(shown.contains("Could not find file 'gone.db'.")) << shown.toStdString();
    EXPECT_TRUE(shown.contains("3024"));
}

TEST(MainWindowTest, TypingAndTheFormulaBarGoThroughTheSheet) {
    Window w;
    w.open();
    auto sheet = std::dynamic_pointer_cast<sheet::Worksheet>(w.app.activeSheet());
    int changes = 0;
    struct Listener : IApplicationEvents {
        int* count;
        void sheetChange(const WorksheetPtr&, const RangePtr&) override { ++*count; }
    } listener;
    listener.count = &changes;
    w.app.addEventListener(&listener);
    w.window->grid()->setCurrentIndex(w.window->grid()->model()->index(1, 1));
    // The first key opens the editor with itself, the rest go to the editor that now has focus.
    QTest::keyClick(w.window->grid(), Qt::Key_1);
    QLineEdit* editor = w.window->grid()->viewport()->findChild<QLineEdit*>();
    ASSERT_NE(editor, nullptr);
    QTest::keyClicks(editor, "2.5");
    EXPECT_EQ(editor->text(), QStringLiteral("12.5"));
    QTest::keyClick(editor, Qt::Key_Return);
    QTest::qWait(10); // the item view commits an entry once control is back in the event loop
    EXPECT_EQ(sheet->range("B2")->value().toDouble(), 12.5);
    EXPECT_EQ(changes, 1);

    // Enter moves down, as the host's default says; the formula bar follows the active cell.
    EXPECT_EQ(sheet->activeCellPosition(), (std::pair<long, long>{3, 2}));
    EXPECT_EQ(w.window->formulaBar()->text(), QString());
    w.window->grid()->setCurrentIndex(w.window->grid()->model()->index(1, 1));
    EXPECT_EQ(w.window->formulaBar()->text(), QStringLiteral("12.5"));
    w.window->formulaBar()->setText(QStringLiteral("hello"));
    QTest::keyClick(w.window->formulaBar(), Qt::Key_Return);
    EXPECT_EQ(sheet->range("B2")->value().toString(), "hello");
    EXPECT_EQ(changes, 2);
    w.app.removeEventListener(&listener);
}

TEST(MainWindowTest, SheetTabsFollowTheWorkbookAndSwitchSheets) {
    Window w;
    auto book = w.app.activeWorkbook();
    book->addWorksheet()->setName("Orders");
    book->worksheet(1)->activate();
    w.open();
    QTabBar* tabs = w.window->sheetTabs();
    ASSERT_EQ(tabs->count(), 2);
    EXPECT_EQ(tabs->tabText(tabs->currentIndex()).toStdString(), w.app.activeSheet()->name());
    const int other = 1 - tabs->currentIndex();
    const std::string otherName = tabs->tabText(other).toStdString();
    QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(other).center());
    EXPECT_EQ(w.app.activeSheet()->name(), otherName);
    EXPECT_EQ(tabs->currentIndex(), other);
    // A sheet the add-in hides leaves the tabs.
    book->worksheet(otherName == "Orders" ? "Sheet1" : "Orders")->setVisible(xl::SheetHidden);
    w.window->sync();
    EXPECT_EQ(tabs->count(), 1);
}

TEST(MainWindowTest, ClosingABookWithChangesAsksFirstAndCancelKeepsIt) {
    Window w;
    w.open();
    w.window->newWorkbook();
    EXPECT_EQ(w.app.workbookCount(), 2);
    auto book = w.app.activeWorkbook();
    book->worksheet(1)->cells(1, 1)->setValue(Variant(1));
    QString asked;
    test::answerNextModal([&](QWidget& box) {
        asked = textOf(box);
        static_cast<QMessageBox&>(box).button(QMessageBox::Cancel)->click();
    });
    w.window->closeWorkbook();
    EXPECT_TRUE(asked.contains("save the changes")) << asked.toStdString();
    EXPECT_EQ(w.app.workbookCount(), 2);
    test::answerNextModal(
        [&](QWidget& box) { static_cast<QMessageBox&>(box).button(QMessageBox::No)->click(); });
    w.window->closeWorkbook();
    EXPECT_EQ(w.app.workbookCount(), 1);
    EXPECT_NE(w.window->windowTitle().indexOf(QString::fromStdString(w.app.activeWorkbook()->name())), -1);
}

TEST(MainWindowTest, TheMenuEditionShowsTheCommandBarsAndRunsTheirActions) {
    Window w(true);
    EXPECT_FALSE(w.app.ribbonAvailable());
    std::vector<std::string> ran;
    std::string actionTag;
    w.app.registerMacro(w.app.activeWorkbook(), "ThisWorkbook.Refresh", [&](const std::vector<Variant>&) {
        ran.push_back("Refresh");
        actionTag = w.app.commandBars()->actionControl()->tag();
        return Variant();
    });
    auto menu = w.app.commandBars()->find(WorksheetMenuBar)->controls()->add(xl::ControlPopup);
    menu->setCaption("&Quorvel LT");
    menu->setTag("QuorvelMenu");
    auto refresh = menu->controls()->add(xl::ControlButton);
    refresh->setCaption("&Refresh data");
    refresh->setTag("Refresh data");
    refresh->setOnAction("ThisWorkbook.Refresh");
    auto disabled = menu->controls()->add(xl::ControlButton);
    disabled->setCaption("Row &Add");
    disabled->setTag("Row Add");
    disabled->setEnabled(false);
    auto bar = w.app.commandBars()->add("Quorvel LT");
    auto button = bar->controls()->add(xl::ControlButton);
    button->setCaption("Refresh");
    button->setTag("Refresh data");
    button->setFaceId(459);
    button->setOnAction("ThisWorkbook.Refresh");
    w.open();
    ASSERT_NE(w.window->classicMenus(), nullptr);
    ASSERT_EQ(w.window->classicMenus()->menus().size(), 1u);
    QMenu* quorvel = w.window->classicMenus()->menus()[0];
    EXPECT_EQ(quorvel->title(), QStringLiteral("&Quorvel LT"));
    QAction* rowAdd = quorvel->findChild<QAction*>("Row Add");
    ASSERT_NE(rowAdd, nullptr);
    EXPECT_FALSE(rowAdd->isEnabled());
    quorvel->findChild<QAction*>("Refresh data")->trigger();
    EXPECT_EQ(ran, std::vector<std::string>{"Refresh"});
    EXPECT_EQ(actionTag, "Refresh data");
    ASSERT_EQ(w.window->classicMenus()->toolbars().size(), 1u);
    QToolBar* toolbar = w.window->classicMenus()->toolbars()[0];
    QAction* tool = toolbar->actions().at(0);
    EXPECT_FALSE(tool->icon().isNull());
    // The add-in hides its toolbar: the window follows at the next update.
    bar->setVisible(false);
    tool->trigger();
    EXPECT_EQ(ran.size(), 2u);
    EXPECT_TRUE(w.window->classicMenus()->toolbars().empty());
}

TEST(MainWindowTest, LongWorkPaintsAndAnswersCancelWithin200ms) {
    Window w;
    w.open();
    app::QtProgress& progress = w.session->progress();
    struct PaintCounter : QObject {
        int paints = 0;
        bool eventFilter(QObject*, QEvent* e) override {
            if (e->type() == QEvent::Paint) ++paints;
            return false;
        }
    } counter;
    w.window->statusBar()->installEventFilter(&counter);
    QElapsedTimer clock;
    qint64 clickedAt = -1, seenAt = -1;
    bool barShown = false, gridBlocked = false, secondCommandRan = false;
    std::vector<std::string> ran;
    w.app.registerMacro(w.app.activeWorkbook(), "M.Second", [&](const std::vector<Variant>&) {
        secondCommandRan = true;
        return Variant();
    });
    w.app.onKey("{F8}", "M.Second");
    w.window->run([&] {
        clock.start();
        // A load of a million rows in chunks of 10,000, each taking about 30 ms.
        for (int chunk = 0; chunk < 100; ++chunk) {
            QElapsedTimer busy;
            busy.start();
            while (busy.elapsed() < 30) {
            }
            progress.Report(chunk / 100.0, "Reading rows");
            if (progress.visible() && clickedAt < 0) {
                barShown = true;
                gridBlocked = !w.window->grid()->isEnabled();
                w.window->pressHostKey("F8"); // refused while the load runs
                QTimer::singleShot(0, [&] {
                    clickedAt = clock.elapsed();
                    progress.cancelButton()->click();
                });
            }
            if (progress.Cancelled()) {
                seenAt = clock.elapsed();
                throw NumberedError(665, "Quorvel", "Cancelled");
            }
        }
    });
    EXPECT_TRUE(barShown);
    EXPECT_TRUE(gridBlocked);
    EXPECT_FALSE(secondCommandRan);
    ASSERT_GE(clickedAt, 1000);
    ASSERT_GE(seenAt, clickedAt);
    EXPECT_LE(seenAt - clickedAt, 200);
    EXPECT_GT(counter.paints, 0);
    // Once the command is over the bar is gone and the window takes input again.
    EXPECT_FALSE(progress.visible());
    EXPECT_TRUE(w.window->grid()->isEnabled());
}
