// Puts the host's global switches back on every way out of an operation: the add-in turns
// screen updating and events off while it changes sheets itself (so its own edits raise no
// sheet-change event), and an error must not leave the host frozen or deaf. Optionally it
// protects a sheet again with the add-in's password.
#pragma once

#include "platform/host/IApplication.h"

#include <memory>
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

  private:
    ApplicationPtr mApp;
    OnExit mMode;
    bool mScreenUpdating = true, mEvents = true, mAlerts = true;
    WorksheetPtr mSheet;
    std::string mPassword;
};

} // namespace qv
