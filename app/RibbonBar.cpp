#include "app/RibbonBar.h"

#include "app/IconTheme.h"
#include "spreadsheet/commandbars/RibbonRuntime.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPointer>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

namespace qv::app {

namespace {
QString q(const std::string& s) {
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}
using Kind = sheet::RibbonControlKind;

QString tipOf(const sheet::RibbonControlState& s) {
    QString tip = q(s.screentip.empty() ? s.label : s.screentip);
    if (!s.supertip.empty()) tip += QStringLiteral("\n") + q(s.supertip);
    return tip;
}
} // namespace

RibbonBar::RibbonBar(sheet::RibbonRuntime& ribbon, Runner run, QWidget* parent)
    : QTabWidget(parent), mRibbon(ribbon), mRun(std::move(run)) {
    setObjectName(QStringLiteral("ribbon"));
    setDocumentMode(true);
    // The runtime may invalidate from inside a callback that one of these widgets started;
    // the strip is rebuilt once that call has returned. The strip may go before the ribbon does
    // (the add-ins changed): the listener then finds it gone.
    mRibbon.setInvalidationListener([self = QPointer<RibbonBar>(this)] {
        if (!self) return;
        self->invalidated();
    });
    rebuild();
}

void RibbonBar::invalidated() {
    if (mRebuildQueued || mDetached) return;
    mRebuildQueued = true;
    QTimer::singleShot(0, this, [this] {
        mRebuildQueued = false;
        refresh();
    });
}

RibbonBar::~RibbonBar() {
    for (const QPointer<QWidget>& page : mRetired)
        if (page) page->deleteLater();
}

void RibbonBar::act(const std::function<void()>& action) {
    ++mActing;
    struct Done {
        RibbonBar& bar;
        ~Done() {
            if (--bar.mActing > 0) return;
            // Only now may the pages replaced meanwhile go: the widget that started the action is
            // among them, and Qt still uses it once this slot returns (a list emits the picked
            // text after the index).
            for (const QPointer<QWidget>& page : bar.mRetired)
                if (page) page->deleteLater();
            bar.mRetired.clear();
        }
    } done{*this};
    mRun(action);
}

void RibbonBar::refresh() {
    if (!mDetached && mRibbon.revision() != mBuilt) rebuild();
}

QWidget* RibbonBar::controlWidget(const QString& id) const {
    return findChild<QWidget*>(id);
}

void RibbonBar::trigger(const QString& id) {
    if (mDetached) return;
    act([this, id] { mRibbon.click(id.toStdString()); });
}

QWidget* RibbonBar::buildControl(const sheet::RibbonControlState& s, QWidget* parent, bool enabled) {
    const QString id = q(s.id);
    const bool on = enabled && s.enabled;
    QWidget* w = nullptr;
    const QIcon icon = s.showImage ? IconTheme::forImage(q(s.image.empty() ? s.imageMso : s.image)) : QIcon();
    switch (s.kind) {
    case Kind::Button:
    case Kind::ToggleButton:
    case Kind::DialogBoxLauncher: {
        auto* b = new QToolButton(parent);
        b->setText(s.showLabel ? q(s.label) : QString());
        b->setIcon(icon);
        b->setIconSize(s.size == "large" ? QSize(32, 32) : QSize(16, 16));
        b->setToolButtonStyle(s.size == "large" ? Qt::ToolButtonTextUnderIcon : Qt::ToolButtonTextBesideIcon);
        b->setAutoRaise(true);
        if (s.kind == Kind::ToggleButton) {
            b->setCheckable(true);
            b->setChecked(s.pressed);
        }
        connect(b, &QToolButton::clicked, this, [this, id] { trigger(id); });
        w = b;
        break;
    }
    case Kind::CheckBox: {
        auto* b = new QCheckBox(q(s.label), parent);
        b->setChecked(s.pressed);
        connect(b, &QCheckBox::clicked, this, [this, id] { trigger(id); });
        w = b;
        break;
    }
    case Kind::DropDown:
    case Kind::ComboBox:
    case Kind::Gallery: {
        auto* box = new QWidget(parent);
        auto* row = new QHBoxLayout(box);
        row->setContentsMargins(0, 0, 0, 0);
        if (s.showLabel && !s.label.empty()) row->addWidget(new QLabel(q(s.label), box));
        auto* combo = new QComboBox(box);
        combo->setObjectName(id + QStringLiteral(".list"));
        for (const sheet::RibbonItemState& item : s.items)
            combo->addItem(IconTheme::forImage(q(item.image)), q(item.label));
        combo->setCurrentIndex(s.selectedIndex);
        if (!s.sizeString.empty()) combo->setMinimumContentsLength(static_cast<int>(s.sizeString.size()));
        combo->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
        combo->setToolTip(tipOf(s));
        // Picking the entry that is already selected still runs it: the person asked for it.
        connect(combo, &QComboBox::activated, this, [this, id](int index) {
            act([this, id, index] { mRibbon.select(id.toStdString(), index); });
        });
        row->addWidget(combo);
        w = box;
        break;
    }
    case Kind::EditBox: {
        auto* e = new QLineEdit(q(s.text), parent);
        connect(e, &QLineEdit::editingFinished, this, [this, id, e] {
            const std::string text = e->text().toStdString();
            act([this, id, text] { mRibbon.change(id.toStdString(), text); });
        });
        w = e;
        break;
    }
    case Kind::LabelControl:
        w = new QLabel(q(s.label), parent);
        break;
    case Kind::Separator:
    case Kind::MenuSeparator: {
        auto* f = new QFrame(parent);
        f->setFrameShape(QFrame::VLine);
        f->setFrameShadow(QFrame::Sunken);
        w = f;
        break;
    }
    case Kind::Menu:
    case Kind::SplitButton:
    case Kind::DynamicMenu: {
        auto* b = new QToolButton(parent);
        b->setText(q(s.label));
        b->setIcon(icon);
        b->setPopupMode(QToolButton::InstantPopup);
        b->setToolButtonStyle(s.size == "large" ? Qt::ToolButtonTextUnderIcon : Qt::ToolButtonTextBesideIcon);
        auto* menu = new QMenu(b);
        for (const sheet::RibbonControlState& c : s.children) {
            if (!c.visible) continue;
            if (c.kind == Kind::MenuSeparator || c.kind == Kind::Separator) {
                menu->addSeparator();
                continue;
            }
            QAction* a =
                menu->addAction(IconTheme::forImage(q(c.image.empty() ? c.imageMso : c.image)), q(c.label));
            a->setObjectName(q(c.id));
            a->setEnabled(c.enabled);
            const QString childId = q(c.id);
            connect(a, &QAction::triggered, this, [this, childId] { trigger(childId); });
        }
        b->setMenu(menu);
        w = b;
        break;
    }
    case Kind::Box:
    case Kind::ButtonGroup:
    case Kind::Group:
    case Kind::Tab: {
        auto* box = new QWidget(parent);
        auto* row = new QHBoxLayout(box);
        row->setContentsMargins(0, 0, 0, 0);
        for (const sheet::RibbonControlState& c : s.children)
            if (c.visible) row->addWidget(buildControl(c, box, on));
        w = box;
        break;
    }
    }
    w->setObjectName(id);
    w->setEnabled(on);
    if (w->toolTip().isEmpty()) w->setToolTip(tipOf(s));
    if (!s.keytip.empty()) mKeyTips.push_back({q(s.keytip).toUpper(), id, currentIndex()});
    return w;
}

QWidget* RibbonBar::buildGroup(const sheet::RibbonControlState& g, QWidget* parent) {
    auto* frame = new QFrame(parent);
    frame->setObjectName(q(g.id));
    frame->setFrameShape(QFrame::StyledPanel);
    auto* column = new QVBoxLayout(frame);
    column->setContentsMargins(4, 2, 4, 2);
    auto* controls = new QHBoxLayout;
    column->addLayout(controls, 1);
    // Small controls stack in threes, as the host lays out a group.
    QVBoxLayout* stack = nullptr;
    int stacked = 0;
    for (const sheet::RibbonControlState& c : g.children) {
        if (!c.visible) continue;
        QWidget* w = buildControl(c, frame, g.enabled);
        const bool large = c.size == "large" || c.kind == Kind::Separator;
        if (large) {
            controls->addWidget(w);
            stack = nullptr;
            continue;
        }
        if (!stack || stacked == 3) {
            stack = new QVBoxLayout;
            controls->addLayout(stack);
            stacked = 0;
        }
        stack->addWidget(w);
        ++stacked;
    }
    auto* caption = new QLabel(q(g.label), frame);
    caption->setAlignment(Qt::AlignHCenter);
    caption->setEnabled(g.enabled);
    column->addWidget(caption);
    return frame;
}

void RibbonBar::rebuild() {
    const int current = currentIndex();
    setKeyTipsShown(false);
    mKeyTips.clear();
    while (count() > 0) {
        QWidget* page = widget(0);
        removeTab(0);
        // The widget that started the rebuild may still be on the stack: it goes later, but
        // out of the strip at once, so lookups by control id find only the new widgets. While an
        // action runs it may show a dialog, whose event loop would delete a page handed to
        // deleteLater under the widget still emitting: such pages wait for the action's end.
        page->hide();
        page->setParent(nullptr);
        if (mActing > 0)
            mRetired.emplace_back(page);
        else
            page->deleteLater();
    }
    mBuilt = mRibbon.revision();
    for (const sheet::RibbonControlState& tab : mRibbon.snapshot()) {
        if (!tab.visible || tab.builtIn) continue;
        auto* page = new QWidget(this);
        page->setObjectName(q(tab.id));
        auto* row = new QHBoxLayout(page);
        row->setContentsMargins(2, 2, 2, 2);
        const int index = addTab(page, q(tab.label));
        if (!tab.keytip.empty()) mKeyTips.push_back({q(tab.keytip).toUpper(), QString(), index});
        setCurrentIndex(index); // the key tips of the controls record their tab
        for (const sheet::RibbonControlState& g : tab.children)
            if (g.visible) row->addWidget(buildGroup(g, page));
        row->addStretch(1);
        page->setEnabled(tab.enabled);
    }
    if (current >= 0 && current < count())
        setCurrentIndex(current);
    else if (count() > 0)
        setCurrentIndex(0);
    // What a state callback could not answer is not lost: the controls keep their defaults,
    // and the failures are in the tool tip of the strip for whoever looks.
    QStringList failures;
    for (const NumberedError& e : mRibbon.takeCallbackErrors())
        failures << QStringLiteral("%1: %2").arg(e.number()).arg(q(e.description()));
    setToolTip(failures.join(QLatin1Char('\n')));
}

void RibbonBar::setKeyTipsShown(bool shown) {
    for (QLabel* badge : mBadges)
        badge->deleteLater();
    mBadges.clear();
    mKeyTipsShown = shown;
    mTyped.clear();
    if (!shown) {
        mKeyTipTab = -1;
        return;
    }
    for (const KeyTip& k : mKeyTips) {
        const bool isTab = k.id.isEmpty();
        if (isTab != (mKeyTipTab < 0) || (!isTab && k.tab != mKeyTipTab)) continue;
        QWidget* anchor = isTab ? tabBar() : controlWidget(k.id);
        if (!anchor || !anchor->isVisible()) continue;
        auto* badge = new QLabel(k.keys, this);
        badge->setObjectName(QStringLiteral("keytip"));
        badge->setStyleSheet(
            QStringLiteral("background: #333; color: white; padding: 1px 3px; border-radius: 2px;"));
        const QPoint at = isTab ? tabBar()->tabRect(k.tab).bottomLeft() : anchor->rect().bottomLeft();
        badge->move(anchor->mapTo(this, at) - QPoint(0, 8));
        badge->show();
        badge->raise();
        mBadges.push_back(badge);
    }
}

bool RibbonBar::typeKeyTip(QChar letter) {
    if (!mKeyTipsShown) return false;
    mTyped += letter.toUpper();
    bool partial = false;
    for (const KeyTip& k : mKeyTips) {
        const bool isTab = k.id.isEmpty();
        if (isTab != (mKeyTipTab < 0) || (!isTab && k.tab != mKeyTipTab)) continue;
        if (k.keys == mTyped) {
            if (isTab) {
                setCurrentIndex(k.tab);
                mKeyTipTab = k.tab;
                setKeyTipsShown(true);
                mKeyTipTab = k.tab;
                // setKeyTipsShown(true) with a tab chosen shows the tab's control tips.
                return true;
            }
            setKeyTipsShown(false);
            QWidget* w = controlWidget(k.id);
            if (auto* combo = w ? w->findChild<QComboBox*>() : nullptr) {
                combo->setFocus();
                combo->showPopup();
            } else if (auto* b = qobject_cast<QToolButton*>(w)) {
                if (b->menu())
                    b->showMenu();
                else
                    trigger(k.id);
            } else if (w) {
                trigger(k.id);
            }
            return true;
        }
        if (k.keys.startsWith(mTyped)) partial = true;
    }
    if (!partial) setKeyTipsShown(false);
    return true;
}

} // namespace qv::app
