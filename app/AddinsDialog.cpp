#include "app/AddinsDialog.h"

#include "platform/IDialogs.h"
#include "platform/host/HostConstants.h"
#include "spreadsheet/model/AddIns.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace qv::app {

namespace {
QString q(const std::string& s) {
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}
} // namespace

AddinsDialog::AddinsDialog(sheet::AddIns& list, IDialogs& dialogs, QWidget* parent)
    : QDialog(parent), mList(list), mDialogs(dialogs) {
    setObjectName(QStringLiteral("addinsDialog"));
    setWindowTitle(QStringLiteral("Add-Ins"));
    auto* row = new QHBoxLayout(this);
    auto* column = new QVBoxLayout;
    column->addWidget(new QLabel(QStringLiteral("Add-ins available:"), this));
    mItems = new QListWidget(this);
    mItems->setObjectName(QStringLiteral("addinList"));
    column->addWidget(mItems, 1);
    mAbout = new QLabel(this);
    mAbout->setObjectName(QStringLiteral("addinAbout"));
    mAbout->setWordWrap(true);
    mAbout->setTextInteractionFlags(Qt::TextSelectableByMouse);
    column->addWidget(mAbout);
    row->addLayout(column, 1);

    auto* buttons = new QDialogButtonBox(Qt::Vertical, this);
    buttons->addButton(QDialogButtonBox::Ok);
    buttons->addButton(QDialogButtonBox::Cancel);
    QPushButton* browseButton =
        buttons->addButton(QStringLiteral("&Browse..."), QDialogButtonBox::ActionRole);
    browseButton->setObjectName(QStringLiteral("addinBrowse"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(browseButton, &QPushButton::clicked, this, [this] { browse(); });
    row->addWidget(buttons);
    connect(mItems, &QListWidget::currentRowChanged, this, [this] { showSelected(); });
    fill();
    resize(520, 320);
}

void AddinsDialog::fill() {
    mItems->clear();
    for (long i = 1; i <= mList.count(); ++i) {
        const AddInPtr a = mList.item(i);
        auto* item = new QListWidgetItem(q(a->title()), mItems);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(a->installed() ? Qt::Checked : Qt::Unchecked);
        item->setToolTip(q(a->fullName()));
    }
    if (mItems->count() > 0) mItems->setCurrentRow(0);
}

void AddinsDialog::showSelected() {
    const int row = mItems->currentRow();
    if (row < 0 || row >= mList.count()) {
        mAbout->clear();
        return;
    }
    const AddInPtr a = mList.item(row + 1);
    mAbout->setText(q(a->title()) + QStringLiteral("\n") + q(a->fullName()));
}

void AddinsDialog::browse() {
    const auto path = mDialogs.openFile("Browse", {}, {{"Add-ins", "*.xlam", true}, {"All files", "*"}});
    if (!path || path->empty()) return;
    // The boxes the person already changed stay as they are while the list grows.
    std::vector<Qt::CheckState> states;
    for (int i = 0; i < mItems->count(); ++i)
        states.push_back(mItems->item(i)->checkState());
    AddInPtr added;
    try {
        added = mList.add(*path);
    } catch (const NumberedError& e) {
        mDialogs.messageBox(e.description(), xl::MsgOk | xl::MsgExclamation, "Add-Ins");
        return;
    }
    fill();
    for (int i = 0; i < static_cast<int>(states.size()) && i < mItems->count(); ++i)
        mItems->item(i)->setCheckState(states[static_cast<std::size_t>(i)]);
    // A package picked is one the person wants: it is checked, and selected.
    for (long i = 1; i <= mList.count(); ++i)
        if (mList.item(i) == added) {
            mItems->item(static_cast<int>(i - 1))->setCheckState(Qt::Checked);
            mItems->setCurrentRow(static_cast<int>(i - 1));
        }
}

std::vector<NumberedError> AddinsDialog::apply() {
    std::vector<NumberedError> failures;
    std::vector<std::pair<AddInPtr, bool>> wanted;
    for (int i = 0; i < mItems->count() && i < mList.count(); ++i)
        wanted.emplace_back(mList.item(i + 1), mItems->item(i)->checkState() == Qt::Checked);
    // Uninstalling first, so that a package replaced by another of the same name has gone
    // before the other opens.
    for (bool install : {false, true})
        for (const auto& [addin, on] : wanted) {
            if (on != install || addin->installed() == on) continue;
            try {
                addin->setInstalled(on);
            } catch (const NumberedError& e) {
                failures.push_back(e);
            }
        }
    return failures;
}

} // namespace qv::app
