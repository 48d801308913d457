// The host's standard prompts as Qt windows: the flags decide icon, buttons and default button,
// and the answer is the host's code for the button the person pressed.
#include "QtTestSupport.h"

#include "app/QtDialogs.h"
#include "platform/host/HostConstants.h"
#include "tests/support/TestFiles.h"

#include <QColorDialog>
#include <QFileDialog>
#include <QInputDialog>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

using qv::app::QtDialogs;
using qv::test::answerNextModal;
namespace xl = qv::xl;

namespace {
QPushButton* buttonWithRole(QMessageBox& box, QMessageBox::StandardButton b) {
    return static_cast<QPushButton*>(box.button(b));
}
} // namespace

TEST(QtDialogsTest, MessageBoxShowsTheFlagsAndAnswersTheButtonPressed) {
    qv::test::qtApp();
    QtDialogs dialogs;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    bool defaultIsNo = false;
    QString text;
    answerNextModal([&](QWidget& w) {
        auto& box = dynamic_cast<QMessageBox&>(w);
        icon = box.icon();
        text = box.text();
        defaultIsNo = box.defaultButton() == buttonWithRole(box, QMessageBox::No);
        buttonWithRole(box, QMessageBox::No)->click();
    });
    const int answer =
        dialogs.messageBox("Delete 3 rows?\rThey cannot be restored.",
                           xl::MsgYesNoCancel | xl::MsgQuestion | xl::MsgDefaultButton2, "Quorvel");
    EXPECT_EQ(answer, xl::AnswerNo);
    EXPECT_EQ(icon, QMessageBox::Question);
    EXPECT_TRUE(defaultIsNo);
    // The add-in's bare carriage returns break the line rather than vanish.
    EXPECT_EQ(text, QStringLiteral("Delete 3 rows?\nThey cannot be restored."));
}

TEST(QtDialogsTest, EscapeAnswersCancelAndAPlainBoxAnswersOk) {
    qv::test::qtApp();
    QtDialogs dialogs;
    answerNextModal([](QWidget& w) { QTest::keyClick(&w, Qt::Key_Escape); });
    EXPECT_EQ(dialogs.messageBox("Save?", xl::MsgOkCancel | xl::MsgExclamation, "Quorvel"), xl::AnswerCancel);

    QMessageBox::Icon icon = QMessageBox::NoIcon;
    answerNextModal([&](QWidget& w) {
        icon = dynamic_cast<QMessageBox&>(w).icon();
        QTest::keyClick(&w, Qt::Key_Escape);
    });
    EXPECT_EQ(dialogs.messageBox("Done.", xl::MsgOk | xl::MsgCritical, "Quorvel"), xl::AnswerOk);
    EXPECT_EQ(icon, QMessageBox::Critical);
}

TEST(QtDialogsTest, InputBoxAnswersTheTypedTextOrNothingOnCancel) {
    qv::test::qtApp();
    QtDialogs dialogs;
    answerNextModal([](QWidget& w) {
        auto& input = dynamic_cast<QInputDialog&>(w);
        EXPECT_EQ(input.textValue(), QStringLiteral("10"));
        input.setTextValue(QStringLiteral("Ünïcode 42"));
        input.accept();
    });
    EXPECT_EQ(dialogs.inputBox("Maximum rows", "Settings", "10"), std::optional<std::string>("Ünïcode 42"));
    answerNextModal([](QWidget& w) { dynamic_cast<QDialog&>(w).reject(); });
    EXPECT_EQ(dialogs.inputBox("Maximum rows", "Settings", "10"), std::nullopt);
}

TEST(QtDialogsTest, FileFiltersBecomeQtNameFilters) {
    EXPECT_EQ(QtDialogs::nameFilters({{"MS Access databases", "*.mdb;*.accdb"}, {"All files", "*.*"}}),
              QStringLiteral("MS Access databases (*.mdb *.accdb);;All files (*.*)"));
    EXPECT_EQ(QtDialogs::nameFilters({}), QString());
}

TEST(QtDialogsTest, ColourPickerSpeaksOleColours) {
    qv::test::qtApp();
    QtDialogs dialogs;
    QColor shown;
    answerNextModal([&](QWidget& w) {
        auto& picker = dynamic_cast<QColorDialog&>(w);
        shown = picker.currentColor();
        picker.setCurrentColor(QColor(0x12, 0x34, 0x56));
        picker.accept();
    });
    // OLE colours keep red in the low byte.
    EXPECT_EQ(dialogs.pickColor(0x0000FF), std::optional<long>(0x563412));
    EXPECT_EQ(shown, QColor(255, 0, 0));
    answerNextModal([](QWidget& w) { dynamic_cast<QDialog&>(w).reject(); });
    EXPECT_EQ(dialogs.pickColor(0), std::nullopt);
}

// A remembered folder that no longer exists opens the picker in its nearest existing parent,
// with no name typed in: the picker would otherwise offer the missing folder's name as the file
// to open, and Open would answer a path that is not there.
TEST(QtDialogsTest, AMissingStartFolderOpensTheNearestFolderWithNoNameTypedIn) {
    qv::test::qtApp();
    QtDialogs dialogs;
    qv::test::TempDir dir;
    QString shownFolder, typedName;
    answerNextModal([&](QWidget& w) {
        auto& picker = dynamic_cast<QFileDialog&>(w);
        shownFolder = picker.directory().absolutePath();
        if (auto* name = picker.findChild<QLineEdit*>("fileNameEdit")) typedName = name->text();
        picker.reject();
    });
    EXPECT_EQ(dialogs.openFile("Open", dir.file("gone/deeper"), {{"All files", "*.*"}}), std::nullopt);
    EXPECT_EQ(shownFolder, QString::fromStdString(dir.path()));
    EXPECT_EQ(typedName, QString());
}
