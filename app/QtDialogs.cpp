#include "app/QtDialogs.h"

#include "platform/host/HostConstants.h"

#include <QColorDialog>
#include <QFileDialog>

#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>
#include <filesystem>
#include <utility>

namespace qv::app {

namespace {
QString q(const std::string& s) {
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}
std::string u(const QString& s) {
    return s.toUtf8().toStdString();
}

QColor fromOle(long ole) {
    return QColor(ole & 0xFF, (ole >> 8) & 0xFF, (ole >> 16) & 0xFF);
}
long toOle(const QColor& c) {
    return c.red() | (c.green() << 8) | (c.blue() << 16);
}
} // namespace

namespace {
// The folder a picker opens in: the nearest folder of `folder` that exists. Handed a path that
// does not exist, the picker would take its last part for a file name and show it typed in.
QString existingFolder(const std::string& folder) {
    if (folder.empty()) return {};
    std::error_code ec;
    std::filesystem::path dir = std::filesystem::absolute(folder, ec);
    while (!ec && !dir.empty() && !std::filesystem::is_directory(dir, ec)) {
        if (dir == dir.parent_path()) return {};
        dir = dir.parent_path();
        ec.clear();
    }
    return ec || dir.empty() ? QString() : QString::fromStdString(dir.string()) + "/";
}
} // namespace

QString QtDialogs::displayText(const std::string& text) {
    QString s = q(text);
    s.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    s.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return s;
}

QString QtDialogs::nameFilters(const std::vector<FileFilter>& filters) {
    QStringList out;
    for (const FileFilter& f : filters) {
        QString patterns = q(f.patterns);
        patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
        out << QStringLiteral("%1 (%2)").arg(q(f.description), patterns.simplified());
    }
    return out.join(QStringLiteral(";;"));
}

int QtDialogs::messageBox(const std::string& text, int flags, const std::string& title) {
    QMessageBox box(mParent);
    box.setWindowTitle(q(title));
    box.setText(displayText(text));
    switch (flags & 0x70) {
    case xl::MsgCritical:
        box.setIcon(QMessageBox::Critical);
        break;
    case xl::MsgQuestion:
        box.setIcon(QMessageBox::Question);
        break;
    case xl::MsgExclamation:
        box.setIcon(QMessageBox::Warning);
        break;
    case xl::MsgInformation:
        box.setIcon(QMessageBox::Information);
        break;
    default:
        break;
    }
    // Buttons in the order the host shows them; the answer codes are the host's.
    std::vector<std::pair<QPushButton*, int>> buttons;
    auto add = [&](QMessageBox::StandardButton b, int answer) {
        buttons.emplace_back(box.addButton(b), answer);
    };
    switch (flags & 0x7) {
    case xl::MsgOkCancel:
        add(QMessageBox::Ok, xl::AnswerOk);
        add(QMessageBox::Cancel, xl::AnswerCancel);
        break;
    case xl::MsgYesNoCancel:
        add(QMessageBox::Yes, xl::AnswerYes);
        add(QMessageBox::No, xl::AnswerNo);
        add(QMessageBox::Cancel, xl::AnswerCancel);
        break;
    case xl::MsgYesNo:
        add(QMessageBox::Yes, xl::AnswerYes);
        add(QMessageBox::No, xl::AnswerNo);
        break;
    default:
        add(QMessageBox::Ok, xl::AnswerOk);
        break;
    }
    const std::size_t defaultIndex = static_cast<std::size_t>((flags >> 8) & 0x3);
    box.setDefaultButton(buttons[std::min(defaultIndex, buttons.size() - 1)].first);
    // Escape answers Cancel where there is one; a box without Cancel answers its only or last
    // button, as the host's does.
    box.setEscapeButton(buttons.back().first);
    box.exec();
    for (const auto& [button, answer] : buttons)
        if (box.clickedButton() == button) return answer;
    return buttons.back().second;
}

std::optional<std::string> QtDialogs::inputBox(const std::string& prompt, const std::string& title,
                                               const std::string& defaultText) {
    QInputDialog dialog(mParent);
    dialog.setWindowTitle(q(title));
    dialog.setLabelText(displayText(prompt));
    dialog.setTextValue(q(defaultText));
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return u(dialog.textValue());
}

std::optional<std::string> QtDialogs::openFile(const std::string& title, const std::string& initialFolder,
                                               const std::vector<FileFilter>& filters) {
    if (!mNextOpen.empty()) {
        mLastOpened = std::exchange(mNextOpen, std::string());
        return mLastOpened;
    }
    const QString chosen =
        QFileDialog::getOpenFileName(mParent, q(title), existingFolder(initialFolder), nameFilters(filters));
    if (chosen.isEmpty()) return std::nullopt;
    mLastOpened = u(chosen);
    return mLastOpened;
}

std::optional<std::string> QtDialogs::saveAsFile(const std::string& title, const std::string& initialName,
                                                 const std::vector<FileFilter>& filters) {
    // The caller asks before replacing a file (the host's own question), so the picker does not.
    const QString chosen = QFileDialog::getSaveFileName(
        mParent, q(title), q(initialName), nameFilters(filters), nullptr, QFileDialog::DontConfirmOverwrite);
    if (chosen.isEmpty()) return std::nullopt;
    return u(chosen);
}

std::optional<long> QtDialogs::pickColor(long initialOleColor) {
    const QColor chosen = QColorDialog::getColor(fromOle(initialOleColor), mParent);
    if (!chosen.isValid()) return std::nullopt;
    return toOle(chosen);
}

} // namespace qv::app
