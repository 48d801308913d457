// The ribbon strip built from a customUI definition: its callbacks are found by name through the
// host, a click runs the control's action, an invalidation redraws, and key tips pick controls.
#include "QtTestSupport.h"

#include "app/RibbonBar.h"
#include "spreadsheet/commandbars/RibbonRuntime.h"
#include "spreadsheet/model/Application.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QEventLoop>
#include <QLabel>
#include <QPointer>
#include <QTest>
#include <QToolButton>

#include <gtest/gtest.h>

using namespace qv;

namespace {
const char* const Definition =
    R"(<customUI xmlns="http://schemas.microsoft.com/office/2009/07/customui" onLoad="R.loaded">
  <ribbon><tabs>
    <tab id="tabQ" label="Quorvel LT" keytip="QL">
      <group id="g1" label="Select">
        <button id="cmdOpen" size="large" getLabel="R.label" onAction="R.act" keytip="O" imageMso="FileOpen"/>
        <dropDown id="cboTables" label="Tables" getItemCount="R.count" getItemLabel="R.item" onAction="R.pick"
                  getEnabled="R.enabled"/>
      </group>
      <group id="g2" label="Edit" getVisible="R.visible">
        <button id="cmdAdd" label="Add" onAction="R.act" keytip="A"/>
      </group>
    </tab>
  </tabs></ribbon>
</customUI>)";

struct Ribbon {
    std::unique_ptr<app::DesktopSession> session = test::hostSession();
    sheet::Application& app = session->application();
    std::vector<std::string> actions;
    std::vector<std::string> errors;
    Variant handle;
    std::string label = "Open database";
    std::vector<std::string> tables;
    bool editVisible = false;
    // The pick's action invalidates the ribbon and then waits on a dialog, as a saved query's
    // parameter prompt does; whether the list picked from outlived the dialog.
    bool pickAsks = false;
    bool listOutlivedTheDialog = false;
    std::unique_ptr<app::RibbonBar> bar;

    Ribbon() {
        auto book = app.activeWorkbook();
        app.registerMacro(book, "R.loaded", [this](const std::vector<Variant>& a) {
            handle = a.at(0);
            return Variant();
        });
        app.registerMacro(book, "R.label", [this](const std::vector<Variant>&) { return Variant(label); });
        app.registerMacro(book, "R.act", [this](const std::vector<Variant>& a) {
            actions.push_back(a.at(0).toString());
            if (a.at(0).toString() == "cmdOpen") {
                // Opening a database changes what the ribbon shows; the workbook says so.
                label = "Close database";
                tables = {"Customers", "Orders"};
                editVisible = true;
                RibbonUIHandles::find(handle)->invalidate();
            }
            return Variant();
        });
        app.registerMacro(book, "R.count", [this](const std::vector<Variant>&) {
            return Variant(static_cast<int>(tables.size()));
        });
        app.registerMacro(book, "R.item", [this](const std::vector<Variant>& a) {
            return Variant(tables.at(static_cast<std::size_t>(a.at(1).toInt32())));
        });
        app.registerMacro(book, "R.enabled",
                          [this](const std::vector<Variant>&) { return Variant(!tables.empty()); });
        app.registerMacro(book, "R.visible",
                          [this](const std::vector<Variant>&) { return Variant(editVisible); });
        app.registerMacro(book, "R.pick", [this](const std::vector<Variant>& a) {
            actions.push_back("pick " + a.at(0).toString() + " " + a.at(2).toString());
            if (pickAsks) {
                QPointer<QComboBox> list = bar->findChild<QComboBox*>("cboTables.list");
                RibbonUIHandles::find(handle)->invalidate();
                QEventLoop dialog;
                QTimer::singleShot(60, &dialog, &QEventLoop::quit);
                dialog.exec();
                listOutlivedTheDialog = !list.isNull();
            }
            if (a.at(2).toInt32() == 1) throw NumberedError(3078, "DAO", "The table is gone.");
            return Variant();
        });
        session->loadRibbon(Definition);
        bar = std::make_unique<app::RibbonBar>(*session->ribbon(), [this](const std::function<void()>& f) {
            try {
                f();
            } catch (const NumberedError& e) {
                errors.push_back(e.description());
            }
        });
        bar->resize(900, 140);
        bar->show();
    }
    template <class T> T* widget(const char* name) { return bar->findChild<T*>(name); }
};
} // namespace

TEST(RibbonBarTest, BuildsTheTabFromTheDefinitionWithCallbackStates) {
    Ribbon r;
    ASSERT_EQ(r.bar->count(), 1);
    EXPECT_EQ(r.bar->tabText(0), QStringLiteral("Quorvel LT"));
    auto* open = r.widget<QToolButton>("cmdOpen");
    ASSERT_NE(open, nullptr);
    EXPECT_EQ(open->text(), QStringLiteral("Open database"));
    EXPECT_FALSE(open->icon().isNull()); // FileOpen maps to the theme's document-open
    EXPECT_FALSE(r.widget<QWidget>("cboTables")->isEnabled());
    EXPECT_EQ(r.widget<QWidget>("g2"), nullptr); // hidden by its callback
}

TEST(RibbonBarTest, AClickRunsTheActionAndTheInvalidationRedraws) {
    Ribbon r;
    QTest::mouseClick(r.widget<QToolButton>("cmdOpen"), Qt::LeftButton);
    EXPECT_EQ(r.actions, (std::vector<std::string>{"cmdOpen"}));
    QTest::qWait(20); // the redraw waits for the callback to return
    auto* open = r.widget<QToolButton>("cmdOpen");
    ASSERT_NE(open, nullptr);
    EXPECT_EQ(open->text(), QStringLiteral("Close database"));
    auto* tables = r.widget<QComboBox>("cboTables.list");
    ASSERT_NE(tables, nullptr);
    EXPECT_TRUE(r.widget<QWidget>("cboTables")->isEnabled());
    EXPECT_EQ(tables->count(), 2);
    EXPECT_NE(r.widget<QWidget>("g2"), nullptr);

    emit tables->activated(0);
    EXPECT_EQ(r.actions.back(), "pick cboTables 0");
    // A failing action reaches the runner's report and leaves the strip working.
    emit tables->activated(1);
    EXPECT_EQ(r.errors, (std::vector<std::string>{"The table is gone."}));
    QTest::mouseClick(r.widget<QToolButton>("cmdAdd"), Qt::LeftButton);
    EXPECT_EQ(r.actions.back(), "cmdAdd");
}

TEST(RibbonBarTest, KeyTipsPickTheTabThenTheControl) {
    Ribbon r;
    r.bar->setKeyTipsShown(true);
    auto badges = [&] {
        QStringList shown;
        for (QLabel* l : r.bar->findChildren<QLabel*>("keytip"))
            shown << l->text();
        return shown;
    };
    EXPECT_EQ(badges(), QStringList{"QL"});
    EXPECT_TRUE(r.bar->typeKeyTip('q'));
    EXPECT_TRUE(r.bar->keyTipsShown());
    EXPECT_TRUE(r.bar->typeKeyTip('l'));
    QTest::qWait(1);
    EXPECT_TRUE(badges().contains("O"));
    EXPECT_TRUE(r.bar->typeKeyTip('o'));
    EXPECT_EQ(r.actions, (std::vector<std::string>{"cmdOpen"}));
    EXPECT_FALSE(r.bar->keyTipsShown());
    // A letter no tip starts with ends key-tip mode and runs nothing.
    r.bar->setKeyTipsShown(true);
    r.bar->typeKeyTip('z');
    EXPECT_FALSE(r.bar->keyTipsShown());
    EXPECT_EQ(r.actions.size(), 1u);
}

// A person picks from the open list with Enter; the action's dialog runs an event loop of its own
// while the strip is rebuilt. The list still emits the picked text once the action returned, so
// it must outlive the dialog; the new strip is in place afterwards.
TEST(RibbonBarTest, AListPickedWhoseActionShowsADialogOutlivesTheRebuild) {
    Ribbon r;
    QTest::mouseClick(r.widget<QToolButton>("cmdOpen"), Qt::LeftButton);
    QTest::qWait(20);
    QComboBox* tables = r.widget<QComboBox>("cboTables.list");
    ASSERT_NE(tables, nullptr);
    r.pickAsks = true;
    tables->showPopup();
    QAbstractItemView* popup = tables->view();
    popup->setCurrentIndex(popup->model()->index(0, 0));
    QTest::keyClick(popup, Qt::Key_Return);
    EXPECT_EQ(r.actions.back(), "pick cboTables 0");
    EXPECT_TRUE(r.listOutlivedTheDialog);
    QTest::qWait(20);
    QComboBox* rebuilt = r.widget<QComboBox>("cboTables.list");
    ASSERT_NE(rebuilt, nullptr);
    EXPECT_NE(rebuilt, tables);
    EXPECT_EQ(rebuilt->count(), 2);
}
