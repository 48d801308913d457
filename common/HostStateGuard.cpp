// Destructors must not throw: a host that fails while being switched back is left as it is.
#include "common/HostStateGuard.h"

#include <exception>

namespace qv {

namespace {
template <class F> void bestEffort(F&& f) {
    try {
        f();
    } catch (...) {
    }
}
} // namespace

HostStateGuard::HostStateGuard(ApplicationPtr app, OnExit mode) : mApp(std::move(app)), mMode(mode) {
    if (!mApp) return;
    if (mMode == OnExit::RestorePrevious) {
        mScreenUpdating = mApp->screenUpdating();
        mEvents = mApp->enableEvents();
        mAlerts = mApp->displayAlerts();
    }
    bestEffort([&] { mCursor = mApp->cursor(); });
    bestEffort([&] { mStatusBar = mApp->statusBar(); });
    mExceptionsAtStart = std::uncaught_exceptions();
}

void HostStateGuard::protectOnExit(WorksheetPtr sheet, std::string password) {
    mSheet = std::move(sheet);
    mPassword = std::move(password);
}

void HostStateGuard::quiet() {
    if (!mApp) return;
    mApp->setScreenUpdating(false);
    mApp->setEnableEvents(false);
}

HostStateGuard::~HostStateGuard() {
    if (mSheet) {
        bestEffort([&] {
            if (!mSheet->protectContents()) mSheet->protect(mPassword, true, true);
        });
    }
    if (!mApp) return;
    bestEffort([&] { mApp->setScreenUpdating(mScreenUpdating); });
    bestEffort([&] { mApp->setEnableEvents(mEvents); });
    bestEffort([&] { mApp->setDisplayAlerts(mAlerts); });
    if (mCursor) bestEffort([&] { mApp->setCursor(*mCursor); });
    // A command that ran to its end owns the status text it left ("Ready" after a load); one that
    // failed half-way must not leave its progress text standing.
    if (mStatusBar && (mFailed || std::uncaught_exceptions() > mExceptionsAtStart))
        bestEffort([&] {
            if (mApp->statusBar() != *mStatusBar) mApp->setStatusBar(*mStatusBar);
        });
}

} // namespace qv
