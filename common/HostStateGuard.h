// Puts the host's global state back on every way out of an operation: the add-in turns
// screen updating and events off while it changes sheets itself (so its own edits raise no
// sheet-change event), shows the wait cursor and a status text while it works, and an error
// must not leave the host frozen, deaf, busy-looking or showing a stale text. Optionally it
// protects a sheet again with the add-in's password.
#pragma once

#include "platform/host/IApplication.h"

#include <memory>
#include <optional>
#include <string>

namespace qv {

class HostStateGuard {
  public:
    enum class OnExit {
        SwitchOn,        // a command a person started: everything ends switched on
        RestorePrevious, // a step inside another operation: leave the switches as found
    };

    explicit HostStateGuard(ApplicationPtr app, OnExit mode = OnExit::SwitchOn);
    ~HostStateGuard();
    HostStateGuard(const HostStateGuard&) = delete;
    HostStateGuard& operator=(const HostStateGuard&) = delete;

    // Protect this sheet with the password on the way out (when it still exists).
    void protectOnExit(WorksheetPtr sheet, std::string password);
    // Turns screen updating and events off now; the destructor puts them back.
    void quiet();
    // The operation failed and its error was caught inside the guard's scope: the status text
    // is put back as found too.
    void failed() { mFailed = true; }

  private:
    ApplicationPtr mApp;
    OnExit mMode;
    bool mScreenUpdating = true, mEvents = true, mAlerts = true;
    // The cursor is always put back as found, the status text when the operation fails; a host
    // that cannot tell them leaves them alone.
    std::optional<int> mCursor;
    std::optional<std::string> mStatusBar;
    int mExceptionsAtStart = 0;
    bool mFailed = false;
    WorksheetPtr mSheet;
    std::string mPassword;
};

} // namespace qv
