// File > Add-Ins...: the dialog over the host's add-in list (check boxes as installed, Browse...
// through the picker, OK applying the boxes), and the window with the product's own add-in
// uninstalled and installed again through it, across a restart.
#include "QtTestSupport.h"

#include "app/AddinsDialog.h"
#include "app/MainWindow.h"
#include "app/RibbonBar.h"
#include "platform/host/HostConstants.h"
#include "spreadsheet/model/AddIns.h"
#include "spreadsheet/model/Application.h"
#include "spreadsheet/model/Workbook.h"
#include "tests/support/AddInPackage.h"
#include "tests/support/ScriptedDialogs.h"
#include "tests/support/TempRegistry.h"
#include "tests/support/TestFiles.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

using namespace qv;
namespace fs = std::filesystem;

namespace {

struct Row {
    std::string text;
    bool checked;
    bool operator==(const Row&) const = default;
};

std::vector<Row> rowsOf(const QListWidget& list) {
    std::vector<Row> rows;
    for (int i = 0; i < list.count(); ++i)
        rows.push_back({list.item(i)->text().toStdString(), list.item(i)->checkState() == Qt::Checked});
    return rows;
}

class AddinsDialogTest : public ::testing::Test {
  protected:
    void SetUp() override {
        test::qtApp();
        sheet::ApplicationOptions o;
        o.registry = registry.get();
        app = sheet::Application::create(o);
        alpha = test::makeAddInPackage(dir, "Alpha.xlam", "Alpha tools");
        beta = test::makeAddInPackage(dir, "Beta.xlam", "Beta tools");
        app->addInList().add(alpha)->setInstalled(true);
        app->addInList().add(beta);
    }
    test::TempDir dir;
    test::TempRegistry registry;
    test::ScriptedDialogs dialogs;
    std::shared_ptr<sheet::Application> app;
    std::string alpha, beta;
};

} // namespace

TEST_F(AddinsDialogTest, BoxesShowTheListAndOkAppliesThem) {
    app::AddinsDialog dialog(app->addInList(), dialogs);
    EXPECT_EQ(rowsOf(*dialog.items()), (std::vector<Row>{{"Alpha tools", true}, {"Beta tools", false}}));
    // The selected package's file is shown below the list.
    EXPECT_TRUE(dialog.findChild<QLabel*>("addinAbout")->text().contains(QString::fromStdString(alpha)));

    dialog.items()->item(0)->setCheckState(Qt::Unchecked);
    dialog.items()->item(1)->setCheckState(Qt::Checked);
    EXPECT_TRUE(app->addInList().item(1)->installed()) << "a box changes nothing before OK";
    EXPECT_TRUE(dialog.apply().empty());
    EXPECT_FALSE(app->addInList().item(1)->installed());
    EXPECT_TRUE(app->addInList().item(2)->installed());
    EXPECT_EQ(app->findWorkbook("Alpha.xlam"), nullptr);
    EXPECT_NE(app->findWorkbook("Beta.xlam"), nullptr);
}

TEST_F(AddinsDialogTest, ApplyTriesEveryPackageAndAnswersWhatFailed) {
    fs::remove(beta);
    app::AddinsDialog dialog(app->addInList(), dialogs);
    dialog.items()->item(0)->setCheckState(Qt::Unchecked);
    dialog.items()->item(1)->setCheckState(Qt::Checked);
    const auto failures = dialog.apply();
    ASSERT_EQ(failures.size(), 1u);
    EXPECT_NE(failures[0].description().find("Beta.xlam"), std::string::npos) << failures[0].description();
    EXPECT_FALSE(app->addInList().item(1)->installed());
    EXPECT_FALSE(app->addInList().item(2)->installed());
}

TEST_F(AddinsDialogTest, BrowseListsThePickedPackageCheckedAndRefusesWhatIsNoPackage) {
    const std::string gamma = test::makeAddInPackage(dir, "Gamma.xlam", "Gamma tools");
    test::writeAll(dir.file("Broken.xlam"), "not a package");
    app::AddinsDialog dialog(app->addInList(), dialogs);
    dialog.items()->item(0)->setCheckState(Qt::Unchecked);

    dialogs.openAnswers = {gamma, dir.file("Broken.xlam"), std::nullopt, alpha};
    dialog.browse();
    // The new package is checked and selected; the box the person cleared stays cleared.
    EXPECT_EQ(rowsOf(*dialog.items()),
              (std::vector<Row>{{"Alpha tools", false}, {"Beta tools", false}, {"Gamma tools", true}}));
    EXPECT_EQ(dialog.items()->currentRow(), 2);
    EXPECT_FALSE(app->addInList().item(3)->installed()) << "listed, installed only by OK";

    dialog.browse();
    ASSERT_EQ(dialogs.boxes.size(), 1u);
    EXPECT_NE(dialogs.boxes[0].text.find("damaged"), std::string::npos) << dialogs.boxes[0].text;
    EXPECT_EQ(dialog.items()->count(), 3);
    EXPECT_EQ(app->addInList().count(), 3);

    dialog.browse(); // cancelled
    EXPECT_EQ(dialog.items()->count(), 3);

    // A package already listed is not listed twice; picking it again checks it.
    dialog.browse();
    EXPECT_EQ(rowsOf(*dialog.items()),
              (std::vector<Row>{{"Alpha tools", true}, {"Beta tools", false}, {"Gamma tools", true}}));
    EXPECT_EQ(dialog.items()->currentRow(), 0);
    EXPECT_TRUE(dialog.apply().empty());
    EXPECT_NE(app->findWorkbook("Gamma.xlam"), nullptr);
}

namespace {

// A person at the window while `active` holds: the Add-Ins dialog gets `onDialog`, every other
// modal window (the add-in's greetings) is closed with Escape.
void person(std::shared_ptr<bool> active, std::function<void(app::AddinsDialog&)> onDialog) {
    auto poll = std::make_shared<std::function<void()>>();
    std::weak_ptr<std::function<void()>> self = poll;
    *poll = [active, self, onDialog] {
        if (!*active) return;
        if (QWidget* w = QApplication::activeModalWidget()) {
            if (auto* d = qobject_cast<QDialog*>(w); d && w->objectName() == "addinsDialog")
                onDialog(static_cast<app::AddinsDialog&>(*d));
            else
                QTest::keyClick(w, Qt::Key_Escape);
        }
        if (auto again = self.lock()) QTimer::singleShot(10, [again] { (*again)(); });
    };
    QTimer::singleShot(10, [poll] { (*poll)(); });
}

// Sets the product's box and presses OK.
std::function<void(app::AddinsDialog&)> setProduct(bool on) {
    return [on](app::AddinsDialog& d) {
        d.items()->item(0)->setCheckState(on ? Qt::Checked : Qt::Unchecked);
        d.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
    };
}

} // namespace

TEST(AddinsWindowTest, TheProductsAddinUninstalledLeavesTheRibbonAndStaysSoAfterARestart) {
    if (!fs::exists(QV_ADDIN_PACKAGE)) GTEST_SKIP() << QV_ADDIN_PACKAGE << " is absent (build addin_package)";
    test::qtApp();
    test::freshRegistry();
    app::DesktopOptions o;
    o.package = QV_ADDIN_PACKAGE;
    auto active = std::make_shared<bool>(true);
    auto again = std::make_shared<bool>(true);
    {
        app::DesktopSession session(o);
        ASSERT_EQ(session.start(), "");
        ASSERT_NE(session.addin(), nullptr);
        app::MainWindow window(session);
        window.show();
        person(active, setProduct(false));
        window.run([] {});
        ASSERT_NE(window.ribbon(), nullptr);
        EXPECT_EQ(window.ribbon()->tabText(0), "Quorvel LT");

        window.showAddins();
        EXPECT_EQ(window.ribbon(), nullptr);
        EXPECT_EQ(session.addin(), nullptr);
        EXPECT_EQ(session.application().findWorkbook("Quorvel12.xlam"), nullptr);
        // The window goes on as the host alone.
        window.run([&] { session.application().activeSheet()->range("A1")->setValue(Variant(1.0)); });
        EXPECT_EQ(session.application().activeSheet()->range("A1")->value(), Variant(1.0));
    }
    *active = false;
    {
        // The next start keeps the person's choice.
        app::DesktopSession session(o);
        ASSERT_EQ(session.start(), "");
        EXPECT_EQ(session.addin(), nullptr);
        app::MainWindow window(session);
        window.show();
        EXPECT_EQ(window.ribbon(), nullptr);
        ASSERT_EQ(session.application().addInList().count(), 1);
        EXPECT_FALSE(session.application().addInList().item(1)->installed());

        person(again, setProduct(true));
        window.showAddins();
        ASSERT_NE(session.addin(), nullptr);
        ASSERT_NE(window.ribbon(), nullptr);
        EXPECT_EQ(window.ribbon()->tabText(0), "Quorvel LT");
        EXPECT_NE(window.ribbon()->controlWidget("cmdOpenDB"), nullptr);
        EXPECT_FALSE(session.addin()->DataSourceExists());
        // The person's workbook is still the one shown.
        EXPECT_NE(session.application().activeWorkbook()->name(), "Quorvel12.xlam");
    }
    *again = false;
}
