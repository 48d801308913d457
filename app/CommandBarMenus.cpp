#include "app/CommandBarMenus.h"

#include "app/IconTheme.h"
#include "platform/host/HostConstants.h"
#include "spreadsheet/commandbars/CommandBar.h"
#include "spreadsheet/commandbars/CommandBarControl.h"
#include "spreadsheet/commandbars/CommandBarSet.h"
#include "spreadsheet/model/Application.h"

#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QToolBar>

namespace qv::app {

namespace {
QString q(const std::string& s) {
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}
} // namespace

CommandBarMenus::CommandBarMenus(QMainWindow& window, sheet::Application& app, Runner run)
    : mWindow(window), mApp(app), mRun(std::move(run)) {}

void CommandBarMenus::fill(QMenu* menu, const std::shared_ptr<ICommandBarControls>& controls) {
    for (long i = 1; i <= controls->count(); ++i) {
        CommandBarControlPtr c = controls->item(i);
        if (!c->visible()) continue;
        if (c->beginGroup() && i > 1) menu->addSeparator();
        if (c->type() == xl::ControlPopup) {
            QMenu* sub = menu->addMenu(q(c->caption()));
            sub->setEnabled(c->enabled());
            if (auto children = c->controls()) fill(sub, children);
            continue;
        }
        QAction* a = menu->addAction(IconTheme::forFaceId(c->faceId()), q(c->caption()));
        a->setObjectName(q(c->tag()));
        a->setEnabled(c->enabled());
        a->setToolTip(q(c->tooltipText()));
        QObject::connect(a, &QAction::triggered, menu, [this, c] {
            mRun(
                [this, c] { mApp.commandBarSet()->click(c, [this](const std::string& m) { mApp.run(m); }); });
        });
    }
}

void CommandBarMenus::rebuild() {
    for (QMenu* m : mMenus) {
        mWindow.menuBar()->removeAction(m->menuAction());
        m->deleteLater();
    }
    mMenus.clear();
    for (QToolBar* t : mToolbars) {
        mWindow.removeToolBar(t);
        t->deleteLater();
    }
    mToolbars.clear();
    auto bars = mApp.commandBars();
    if (CommandBarPtr menuBar = bars->find(WorksheetMenuBar)) {
        auto controls = menuBar->controls();
        for (long i = 1; i <= controls->count(); ++i) {
            CommandBarControlPtr c = controls->item(i);
            // The host's own menus are the window's; the bar carries the ones code added.
            auto own = std::dynamic_pointer_cast<sheet::CommandBarControl>(c);
            if (!c->visible() || c->type() != xl::ControlPopup ||
                (own && !own->temporary() && c->tag().empty()))
                continue;
            auto* menu = new QMenu(q(c->caption()), &mWindow);
            menu->setObjectName(q(c->tag().empty() ? c->caption() : c->tag()));
            menu->setEnabled(c->enabled());
            if (auto children = c->controls()) fill(menu, children);
            mWindow.menuBar()->addMenu(menu);
            mMenus.push_back(menu);
        }
    }
    for (long i = 1; i <= bars->count(); ++i) {
        CommandBarPtr bar = bars->item(i);
        auto own = std::dynamic_pointer_cast<sheet::CommandBar>(bar);
        if (!bar->visible() || (own && own->builtIn())) continue;
        auto* toolbar = new QToolBar(q(bar->name()), &mWindow);
        toolbar->setObjectName(q(bar->name()));
        auto controls = bar->controls();
        for (long k = 1; k <= controls->count(); ++k) {
            CommandBarControlPtr c = controls->item(k);
            if (!c->visible()) continue;
            if (c->beginGroup() && k > 1) toolbar->addSeparator();
            QAction* a = toolbar->addAction(IconTheme::forFaceId(c->faceId()), q(c->caption()));
            a->setObjectName(q(c->tag()));
            a->setEnabled(c->enabled());
            a->setToolTip(q(c->tooltipText()));
            QObject::connect(a, &QAction::triggered, toolbar, [this, c] {
                mRun([this, c] {
                    mApp.commandBarSet()->click(c, [this](const std::string& m) { mApp.run(m); });
                });
            });
        }
        mWindow.addToolBar(toolbar);
        mToolbars.push_back(toolbar);
    }
}

} // namespace qv::app
