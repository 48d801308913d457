// Destructors must not throw: a host that fails while being switched back is left as it is.
#include "common/HostStateGuard.h"

namespace qv {

HostStateGuard::HostStateGuard(ApplicationPtr app, OnExit mode) : mApp(std::move(app)), mMode(mode) {
    if (mApp && mMode == OnExit::RestorePrevious) {
        mScreenUpdating = mApp->screenUpdating();
        mEvents = mApp->enableEvents();
        mAlerts = mApp->displayAlerts();
    }
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
        try {
            if (!mSheet->protectContents()) mSheet->protect(mPassword, true, true);
        } catch (...) {
        }
    }
    if (!mApp) return;
    try {
        mApp->setScreenUpdating(mScreenUpdating);
    } catch (...) {
    }
    try {
        mApp->setEnableEvents(mEvents);
    } catch (...) {
    }
    try {
        mApp->setDisplayAlerts(mAlerts);
    } catch (...) {
    }
}

} // namespace qv
