// The add-in's dialog models shown as Qt windows: a person's input reaches the model's handlers,
// the handlers' changes show at once, and the call answers what the handler closed with.
#include "QtTestSupport.h"

#include "app/QtDialogToolkit.h"
#include "platform/NumberedError.h"

#include <QCheckBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>

#include <gtest/gtest.h>

using namespace qv;

namespace {
DialogModel logonModel() {
    DialogModel m("frmLogon", "Logon");
    m.add({.name = "lblUser", .kind = ControlKind::Label, .caption = "User name:"});
    m.add({.name = "txtUser", .kind = ControlKind::TextBox, .value = Variant(std::string("admin"))});
    m.add({.name = "txtPassword", .kind = ControlKind::TextBox, .passwordChar = '*'});
    m.add({.name = "chkDontShowAgain", .kind = ControlKind::CheckBox, .caption = "Don't show again"});
    m.add({.name = "cmdOK", .kind = ControlKind::CommandButton, .caption = "OK", .isDefault = true});
    m.add({.name = "cmdCancel", .kind = ControlKind::CommandButton, .caption = "Cancel", .isCancel = true});
    m.onClick("cmdOK", [](DialogModel& d) { d.close(dialog::Accepted); });
    m.onClick("cmdCancel", [](DialogModel& d) { d.close(dialog::Cancelled); });
    m.setFocus("txtPassword");
    return m;
}
} // namespace

TEST(QtDialogToolkitTest, TypedTextAndTicksReachTheModelAndOkAccepts) {
    qv::test::qtApp();
    app::QtDialogToolkit toolkit;
    DialogModel m = logonModel();
    bool masked = false, focused = false;
    toolkit.setShownHook([&](QDialog& d) {
        auto* password = d.findChild<QLineEdit*>("txtPassword");
        masked = password->echoMode() == QLineEdit::Password;
        focused = d.focusWidget() == password;
        QTest::keyClicks(password, "s3cret");
        QTest::mouseClick(d.findChild<QCheckBox*>("chkDontShowAgain"), Qt::LeftButton);
        QTest::keyClick(password, Qt::Key_Return); // Enter presses the default button
    });
    EXPECT_EQ(toolkit.showModal(m), dialog::Accepted);
    EXPECT_EQ(m.control("txtUser").value.toString(), "admin");
    EXPECT_EQ(m.control("txtPassword").value.toString(), "s3cret");
    EXPECT_TRUE(m.control("chkDontShowAgain").value.toBool());
    EXPECT_TRUE(masked);
    EXPECT_TRUE(focused);
}

TEST(QtDialogToolkitTest, EscapeAndTheWindowsCloseButtonCancel) {
    qv::test::qtApp();
    app::QtDialogToolkit toolkit;
    DialogModel m = logonModel();
    toolkit.setShownHook([](QDialog& d) { QTest::keyClick(&d, Qt::Key_Escape); });
    EXPECT_EQ(toolkit.showModal(m), dialog::Cancelled);

    // Without a cancel button the window's own close asks the model, which may refuse.
    DialogModel sticky("frmSticky", "Sticky");
    sticky.add({.name = "cmdOK", .kind = ControlKind::CommandButton, .caption = "OK"});
    sticky.onClick("cmdOK", [](DialogModel& d) { d.close(7); });
    int asked = 0;
    sticky.onQueryClose([&](DialogModel&) { ++asked; });
    toolkit.setShownHook([](QDialog& d) {
        d.close(); // refused: the dialog stays
        EXPECT_TRUE(d.isVisible());
        d.findChild<QPushButton*>("cmdOK")->click();
    });
    EXPECT_EQ(toolkit.showModal(sticky), 7);
    EXPECT_EQ(asked, 1);
}

TEST(QtDialogToolkitTest, HandlersChangesShowAtOnceAndKeyFiltersDropKeys) {
    qv::test::qtApp();
    app::QtDialogToolkit toolkit;
    DialogModel m("frmSettings", "Settings");
    m.add({.name = "tabs",
           .kind = ControlKind::TabStrip,
           .value = Variant(0),
           .items = {"Colours", "Display"}});
    m.add({.name = "lblColour",
           .kind = ControlKind::Label,
           .caption = "Locked",
           .parent = "tabs",
           .tabPage = 0,
           .backColor = 0x0000FF});
    m.add({.name = "txtRows", .kind = ControlKind::TextBox, .parent = "tabs", .tabPage = 1});
    m.add({.name = "cmdApply", .kind = ControlKind::CommandButton, .caption = "Apply", .enabled = false});
    m.add({.name = "cmdOK", .kind = ControlKind::CommandButton, .caption = "OK"});
    m.onKey("txtRows", [](DialogModel&, int key) { return key >= '0' && key <= '9'; });
    m.onChange("txtRows", [](DialogModel& d) { d.control("cmdApply").enabled = true; });
    int tabSeen = -1;
    m.onChange("tabs",
               [&](DialogModel& d) { tabSeen = static_cast<int>(d.control("tabs").value.toInt64()); });
    m.onClick("cmdOK", [](DialogModel& d) { d.close(dialog::Accepted); });
    bool applyBefore = true, applyAfter = false;
    QString styled;
    toolkit.setShownHook([&](QDialog& d) {
        auto* tabs = d.findChild<QTabWidget*>("tabs");
        EXPECT_EQ(tabs->count(), 2);
        styled = d.findChild<QLabel*>("lblColour")->styleSheet();
        tabs->setCurrentIndex(1);
        auto* rows = d.findChild<QLineEdit*>("txtRows");
        applyBefore = d.findChild<QPushButton*>("cmdApply")->isEnabled();
        QTest::keyClicks(rows, "1x2y");
        applyAfter = d.findChild<QPushButton*>("cmdApply")->isEnabled();
        d.findChild<QPushButton*>("cmdOK")->click();
    });
    EXPECT_EQ(toolkit.showModal(m), dialog::Accepted);
    EXPECT_EQ(m.control("txtRows").value.toString(), "12");
    EXPECT_FALSE(applyBefore);
    EXPECT_TRUE(applyAfter);
    EXPECT_EQ(tabSeen, 1);
    EXPECT_TRUE(styled.contains("rgb(255,0,0)")) << styled.toStdString();
}

TEST(QtDialogToolkitTest, AFailingHandlerIsShownAndTheDialogStaysUsable) {
    qv::test::qtApp();
    app::QtDialogToolkit toolkit;
    DialogModel m("frmBad", "Bad");
    m.add({.name = "cmdBoom", .kind = ControlKind::CommandButton, .caption = "Boom"});
    m.add({.name = "cmdOK", .kind = ControlKind::CommandButton, .caption = "OK"});
    m.onClick("cmdBoom", [](DialogModel&) { throw NumberedError(3031, "DAO", "Not a valid password."); });
    m.onClick("cmdOK", [](DialogModel& d) { d.close(dialog::Accepted); });
    QString reported;
    toolkit.setShownHook([&](QDialog& d) {
        qv::test::answerNextModal([&](QWidget& box) {
            for (QLabel* l : box.findChildren<QLabel*>())
                reported += l->text();
            QTest::keyClick(&box, Qt::Key_Escape);
        });
        d.findChild<QPushButton*>("cmdBoom")->click();
        d.findChild<QPushButton*>("cmdOK")->click();
    });
    EXPECT_EQ(toolkit.showModal(m), dialog::Accepted);
    EXPECT_TRUE(reported.contains("Not a valid password.")) << reported.toStdString();
}

namespace {
// A number box that refuses to be left while its value is outside 10..99, as the settings
// dialog's threshold box does; every question is counted.
DialogModel numberModel(int& asked) {
    DialogModel m("frmNumber", "Number");
    m.add({.name = "txtNumber", .kind = ControlKind::TextBox, .value = Variant(std::string("5"))});
    m.add({.name = "chkOther", .kind = ControlKind::CheckBox, .caption = "Other"});
    m.add({.name = "cmdOK", .kind = ControlKind::CommandButton, .caption = "OK", .isDefault = true});
    m.add({.name = "cmdCancel", .kind = ControlKind::CommandButton, .caption = "Cancel", .isCancel = true});
    m.onClick("cmdOK", [](DialogModel& d) { d.close(dialog::Accepted); });
    m.onClick("cmdCancel", [](DialogModel& d) { d.close(dialog::Cancelled); });
    m.onExit("txtNumber", [&asked](DialogModel& d) {
        ++asked;
        const std::string v = d.control("txtNumber").value.toString();
        const int n = v.empty() || v.size() > 3 ? 0 : std::stoi(v);
        return n >= 10 && n <= 99;
    });
    m.setFocus("txtNumber");
    return m;
}
} // namespace

TEST(QtDialogToolkitTest, ABoxThatRefusesToBeLeftKeepsTheFocusAndStopsTheClick) {
    qv::test::qtApp();
    app::QtDialogToolkit toolkit;
    int asked = 0;
    DialogModel m = numberModel(asked);
    bool stayedAfterClick = false, stayedAfterTab = false, stayedAfterEnter = false, otherTicked = true;
    toolkit.setShownHook([&](QDialog& d) {
        // Focus changes are told only to the active window, as a person's clicks land in it.
        QApplication::setActiveWindow(&d);
        auto* box = d.findChild<QLineEdit*>("txtNumber");
        box->setFocus();
        QTest::mouseClick(d.findChild<QPushButton*>("cmdOK"), Qt::LeftButton);
        stayedAfterClick = d.isVisible() && d.focusWidget() == box;
        QTest::mouseClick(d.findChild<QCheckBox*>("chkOther"), Qt::LeftButton);
        otherTicked = d.findChild<QCheckBox*>("chkOther")->isChecked();
        QTest::keyClick(box, Qt::Key_Tab);
        stayedAfterTab = d.focusWidget() == box;
        QTest::keyClick(box, Qt::Key_Return);
        stayedAfterEnter = d.isVisible();
        box->selectAll();
        QTest::keyClicks(box, "42");
        QTest::mouseClick(d.findChild<QPushButton*>("cmdOK"), Qt::LeftButton);
    });
    EXPECT_EQ(toolkit.showModal(m), dialog::Accepted);
    EXPECT_TRUE(stayedAfterClick);
    EXPECT_FALSE(otherTicked);
    EXPECT_TRUE(stayedAfterTab);
    EXPECT_TRUE(stayedAfterEnter);
    EXPECT_EQ(asked, 5);
    EXPECT_EQ(m.control("txtNumber").value.toString(), "42");
}

TEST(QtDialogToolkitTest, EscapeCancelsWithoutAskingTheBoxThatHasTheFocus) {
    qv::test::qtApp();
    app::QtDialogToolkit toolkit;
    int asked = 0;
    DialogModel m = numberModel(asked);
    toolkit.setShownHook([&](QDialog& d) {
        d.activateWindow();
        d.findChild<QLineEdit*>("txtNumber")->setFocus();
        QTest::keyClick(d.findChild<QLineEdit*>("txtNumber"), Qt::Key_Escape);
    });
    EXPECT_EQ(toolkit.showModal(m), dialog::Cancelled);
    EXPECT_EQ(asked, 0);
}

TEST(QtDialogToolkitTest, ASwatchShowsItsBackgroundColour) {
    qv::test::qtApp();
    app::QtDialogToolkit toolkit;
    DialogModel m("frmColours", "Colours");
    // OLE colours are 0xBBGGRR.
    m.add({.name = "lblColor(0)",
           .kind = ControlKind::Label,
           .backColor = 0x3366CC,
           .width = 60,
           .height = 18});
    m.add({.name = "cmdOK", .kind = ControlKind::CommandButton, .caption = "OK", .isDefault = true});
    m.onClick("cmdOK", [](DialogModel& d) { d.close(dialog::Accepted); });
    QColor seen;
    QSize size;
    toolkit.setShownHook([&](QDialog& d) {
        auto* swatch = d.findChild<QLabel*>("lblColor(0)");
        size = swatch->size();
        const QImage image = swatch->grab().toImage();
        seen = image.pixelColor(image.width() / 2, image.height() / 2);
        d.findChild<QPushButton*>("cmdOK")->click();
    });
    toolkit.showModal(m);
    EXPECT_GE(size.width(), 60);
    EXPECT_GE(size.height(), 18);
    EXPECT_EQ(seen, QColor(0xCC, 0x66, 0x33));
}
