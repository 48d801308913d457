#include "app/QtDialogToolkit.h"

#include "app/QtDialogs.h"
#include "platform/NumberedError.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDialog>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTimer>
#include <QVBoxLayout>

#include <fmt/format.h>
#include <map>

namespace qv::app {

namespace {
QString q(const std::string& s) {
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}
std::string u(const QString& s) {
    return s.toUtf8().toStdString();
}

// The host's captions mark the access key with '&'; Qt does too, so they pass unchanged.
class ModelDialog : public QDialog {
  public:
    ModelDialog(DialogModel& model, QWidget* parent) : QDialog(parent), mModel(model) {
        setObjectName(q(model.name()));
        build();
        sync();
    }

    // Runs a handler of the model; a failure inside it is shown, never thrown into the event loop.
    void guarded(const std::function<void()>& f) {
        try {
            f();
        } catch (const NumberedError& e) {
            QMessageBox::critical(
                this, q(e.source()),
                QtDialogs::displayText(fmt::format("Error {}: {}", e.number(), e.description())));
        } catch (const std::exception& e) {
            QMessageBox::critical(this, windowTitle(), QString::fromUtf8(e.what()));
        }
        sync();
        if (mModel.closed()) done(mModel.result());
    }

  protected:
    void closeEvent(QCloseEvent* event) override {
        if (!mModel.closed()) guarded([&] { mModel.closeByWindow(); });
        if (mModel.closed())
            event->accept();
        else
            event->ignore();
    }
    void keyPressEvent(QKeyEvent* event) override {
        if (event->key() == Qt::Key_Escape) {
            for (const DialogControl& c : mModel.controls())
                if (c.isCancel && c.kind == ControlKind::CommandButton && c.enabled && c.visible) {
                    guarded([&] { mModel.click(c.name); });
                    return;
                }
            guarded([&] { mModel.closeByWindow(); });
            return;
        }
        if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
            for (const DialogControl& c : mModel.controls())
                if (c.isDefault && c.kind == ControlKind::CommandButton && c.enabled && c.visible) {
                    // Enter presses the default button, which takes the focus first.
                    if (QWidget* from = focusWidget(); from && controlOf(from) != c.name) {
                        if (!mayLeave(controlOf(from))) {
                            from->setFocus(Qt::OtherFocusReason);
                            return;
                        }
                    }
                    guarded([&] { mModel.click(c.name); });
                    return;
                }
        }
        QDialog::keyPressEvent(event);
    }
    // The add-in's key filters (numeric text boxes) see each typed character before the box.
    // A click on another control and Tab move the focus, so the control that had it is asked
    // whether it may be left; when not, the focus goes back and the click or key does not happen.
    // Qt moves the focus before the press reaches any filter, so the press asks on behalf of the
    // control its focus change left.
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::FocusOut &&
            static_cast<QFocusEvent*>(event)->reason() == Qt::MouseFocusReason) {
            auto* left = qobject_cast<QWidget*>(watched);
            if (!controlOf(left).empty()) mLeftByMouse = left;
        }
        if (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonDblClick) {
            if (QPointer<QWidget> left = mLeftByMouse) {
                mLeftByMouse = nullptr;
                const std::string leaving = controlOf(left);
                if (leaving != controlOf(qobject_cast<QWidget*>(watched)) && !mayLeave(leaving)) {
                    if (left) left->setFocus(Qt::OtherFocusReason);
                    return true;
                }
            }
        }
        if (event->type() == QEvent::KeyPress) {
            auto* key = static_cast<QKeyEvent*>(event);
            if ((key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab) &&
                !mayLeave(controlOf(qobject_cast<QWidget*>(watched))))
                return true;
            const std::string name = u(watched->objectName());
            const QString text = key->text();
            if (!text.isEmpty() && text.at(0).isPrint() && mModel.has(name)) {
                bool accepted = true;
                guarded([&] { accepted = mModel.key(name, text.at(0).unicode()); });
                if (!accepted) return true;
            }
        }
        return QDialog::eventFilter(watched, event);
    }
    void showEvent(QShowEvent* event) override {
        QDialog::showEvent(event);
        if (!mActivated) {
            mActivated = true;
            guarded([&] { mModel.activate(); });
        }
    }

  private:
    // The model's control that `w` is or lies in; "" for none.
    std::string controlOf(QWidget* w) const {
        for (; w && w != this; w = w->parentWidget()) {
            auto it = mNames.find(w);
            if (it != mNames.end()) return it->second;
        }
        return {};
    }
    // Asks the model whether the focus may leave `control`; a refusal has shown its message.
    bool mayLeave(const std::string& control) {
        if (control.empty()) return true;
        bool allowed = true;
        guarded([&] { allowed = mModel.leave(control); });
        return allowed;
    }

    QWidget* containerFor(const DialogControl& c) {
        if (!c.parent.empty()) {
            auto tab = mTabs.find(c.parent);
            if (tab != mTabs.end() && c.tabPage >= 0 && c.tabPage < tab->second->count())
                return tab->second->widget(c.tabPage);
            auto frame = mWidgets.find(c.parent);
            if (frame != mWidgets.end()) return frame->second;
        }
        if (c.tabPage >= 0 && !mTabs.empty()) {
            QTabWidget* tabs = mTabs.begin()->second;
            if (c.tabPage < tabs->count()) return tabs->widget(c.tabPage);
        }
        return mBody;
    }

    void place(QWidget* w, const DialogControl& c) {
        QWidget* container = containerFor(c);
        if (container == mBody && c.kind == ControlKind::CommandButton) {
            mButtons->addWidget(w);
            return;
        }
        container->layout()->addWidget(w);
    }

    void build() {
        auto* outer = new QVBoxLayout(this);
        mBody = new QWidget(this);
        new QVBoxLayout(mBody);
        outer->addWidget(mBody);
        mButtons = new QHBoxLayout;
        mButtons->addStretch(1);
        outer->addLayout(mButtons);
        for (const DialogControl& c : mModel.controls()) {
            const std::string name = c.name;
            QWidget* w = nullptr;
            switch (c.kind) {
            case ControlKind::Label:
            case ControlKind::Image: {
                auto* l = new QLabel(this);
                l->setWordWrap(true);
                w = l;
                break;
            }
            case ControlKind::TextBox: {
                auto* e = new QLineEdit(this);
                if (c.passwordChar) e->setEchoMode(QLineEdit::Password);
                connect(e, &QLineEdit::textEdited, this, [this, name](const QString& t) {
                    guarded([&] { mModel.setValue(name, Variant(u(t))); });
                });
                w = e;
                break;
            }
            case ControlKind::CheckBox: {
                auto* b = new QCheckBox(this);
                connect(b, &QCheckBox::clicked, this, [this, name] { guarded([&] { mModel.click(name); }); });
                w = b;
                break;
            }
            case ControlKind::OptionButton: {
                auto* b = new QRadioButton(this);
                b->setAutoExclusive(false); // the model decides which option is on
                connect(b, &QRadioButton::clicked, this,
                        [this, name] { guarded([&] { mModel.click(name); }); });
                w = b;
                break;
            }
            case ControlKind::CommandButton: {
                auto* b = new QPushButton(this);
                b->setAutoDefault(false);
                connect(b, &QPushButton::clicked, this,
                        [this, name] { guarded([&] { mModel.click(name); }); });
                w = b;
                break;
            }
            case ControlKind::Frame: {
                auto* g = new QGroupBox(this);
                new QVBoxLayout(g);
                w = g;
                break;
            }
            case ControlKind::TabStrip: {
                auto* t = new QTabWidget(this);
                for (const std::string& page : c.items) {
                    auto* p = new QWidget(t);
                    new QVBoxLayout(p);
                    t->addTab(p, q(page));
                }
                connect(t, &QTabWidget::currentChanged, this, [this, name](int index) {
                    if (!mSyncing) guarded([&] { mModel.setValue(name, Variant(index)); });
                });
                mTabs[name] = t;
                w = t;
                break;
            }
            case ControlKind::ListBox: {
                auto* l = new QListWidget(this);
                connect(l, &QListWidget::currentRowChanged, this, [this, name](int row) {
                    if (!mSyncing) guarded([&] { mModel.setValue(name, Variant(row)); });
                });
                connect(l, &QListWidget::itemDoubleClicked, this,
                        [this, name] { guarded([&] { mModel.click(name); }); });
                w = l;
                break;
            }
            case ControlKind::ComboBox: {
                auto* b = new QComboBox(this);
                connect(b, &QComboBox::currentIndexChanged, this, [this, name](int index) {
                    if (!mSyncing) guarded([&] { mModel.setValue(name, Variant(index)); });
                });
                w = b;
                break;
            }
            }
            w->setObjectName(q(name));
            mWidgets[name] = w;
            mNames[w] = name;
            // A swatch has no text: the size the model gives it (points) is what shows its colour.
            if (c.kind == ControlKind::Label && c.caption.empty() && c.width > 0 && c.height > 0)
                w->setMinimumSize(c.width * 4 / 3, c.height * 4 / 3);
            place(w, c);
        }
        for (auto& [name, widget] : mWidgets) {
            widget->installEventFilter(this);
            for (QWidget* inner : widget->findChildren<QWidget*>())
                inner->installEventFilter(this);
        }
        for (auto& [name, tabs] : mTabs)
            for (int i = 0; i < tabs->count(); ++i)
                static_cast<QVBoxLayout*>(tabs->widget(i)->layout())->addStretch(1);
    }

    void sync() {
        mSyncing = true;
        setWindowTitle(q(mModel.caption()));
        for (const DialogControl& c : mModel.controls()) {
            QWidget* w = mWidgets[c.name];
            if (!w) continue;
            QSignalBlocker block(w);
            w->setEnabled(c.enabled);
            w->setVisible(c.visible);
            QString style;
            if (c.backColor >= 0)
                style += QStringLiteral("background-color: rgb(%1,%2,%3);")
                             .arg(c.backColor & 0xFF)
                             .arg((c.backColor >> 8) & 0xFF)
                             .arg((c.backColor >> 16) & 0xFF);
            if (c.foreColor >= 0)
                style += QStringLiteral("color: rgb(%1,%2,%3);")
                             .arg(c.foreColor & 0xFF)
                             .arg((c.foreColor >> 8) & 0xFF)
                             .arg((c.foreColor >> 16) & 0xFF);
            if (c.kind != ControlKind::TabStrip && c.kind != ControlKind::Frame) w->setStyleSheet(style);
            switch (c.kind) {
            case ControlKind::Label:
            case ControlKind::Image:
                static_cast<QLabel*>(w)->setText(QtDialogs::displayText(c.caption));
                if (style.isEmpty() == false) static_cast<QLabel*>(w)->setAutoFillBackground(true);
                break;
            case ControlKind::TextBox: {
                auto* e = static_cast<QLineEdit*>(w);
                const QString text =
                    c.value.isEmpty() || c.value.isNull() ? QString() : q(c.value.toString());
                if (e->text() != text) e->setText(text);
                break;
            }
            case ControlKind::CheckBox:
            case ControlKind::OptionButton: {
                auto* b = static_cast<QAbstractButton*>(w);
                b->setText(q(c.caption));
                b->setChecked(!c.value.isEmpty() && !c.value.isNull() && c.value.toBool());
                break;
            }
            case ControlKind::CommandButton: {
                auto* b = static_cast<QPushButton*>(w);
                b->setText(q(c.caption));
                b->setDefault(c.isDefault);
                break;
            }
            case ControlKind::Frame:
                static_cast<QGroupBox*>(w)->setTitle(q(c.caption));
                break;
            case ControlKind::TabStrip: {
                auto* t = static_cast<QTabWidget*>(w);
                for (int i = 0; i < t->count() && i < static_cast<int>(c.items.size()); ++i)
                    t->setTabText(i, q(c.items[static_cast<std::size_t>(i)]));
                if (c.value.isNumber()) t->setCurrentIndex(static_cast<int>(c.value.toInt64()));
                break;
            }
            case ControlKind::ListBox: {
                auto* l = static_cast<QListWidget*>(w);
                QStringList items;
                for (const std::string& i : c.items)
                    items << q(i);
                QStringList current;
                for (int i = 0; i < l->count(); ++i)
                    current << l->item(i)->text();
                if (current != items) {
                    l->clear();
                    l->addItems(items);
                }
                l->setCurrentRow(c.value.isNumber() ? static_cast<int>(c.value.toInt64()) : -1);
                break;
            }
            case ControlKind::ComboBox: {
                auto* b = static_cast<QComboBox*>(w);
                QStringList items;
                for (const std::string& i : c.items)
                    items << q(i);
                QStringList current;
                for (int i = 0; i < b->count(); ++i)
                    current << b->itemText(i);
                if (current != items) {
                    b->clear();
                    b->addItems(items);
                }
                b->setCurrentIndex(c.value.isNumber() ? static_cast<int>(c.value.toInt64()) : -1);
                break;
            }
            }
        }
        if (!mFocused) {
            mFocused = true;
            auto it = mWidgets.find(mModel.focus());
            if (it != mWidgets.end()) it->second->setFocus();
        }
        mSyncing = false;
    }

    DialogModel& mModel;
    QWidget* mBody = nullptr;
    QHBoxLayout* mButtons = nullptr;
    std::map<std::string, QWidget*> mWidgets;
    std::map<const QWidget*, std::string> mNames;
    QPointer<QWidget> mLeftByMouse; // the control a mouse press took the focus from
    std::map<std::string, QTabWidget*> mTabs;
    bool mSyncing = false, mActivated = false, mFocused = false;
};
} // namespace

int QtDialogToolkit::showModal(DialogModel& model) {
    model.reopen();
    ModelDialog dialog(model, mParent);
    if (mShown) {
        auto hook = mShown;
        QTimer::singleShot(0, &dialog, [&dialog, hook] { hook(dialog); });
    }
    dialog.exec();
    // A window closed by other means (the application quitting) counts as the window's own close.
    if (!model.closed()) model.closeByWindow();
    return model.result();
}

} // namespace qv::app
