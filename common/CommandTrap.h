// The one way a command a person started runs, from the ribbon, a hot key or a menu: whatever
// it does to the host (screen updating or events off, the wait cursor, a status text) is put
// back on every way out, and whatever ends it (a numbered error, a foreign exception) reaches
// the person as a message by the add-in's convention instead of escaping into the host. The
// host's state is restored before the message shows, so the box never appears over a frozen
// screen with a busy cursor.
#pragma once

#include "common/HostStateGuard.h"
#include "common/modErrors.h"
#include "platform/IDialogs.h"
#include "platform/NumberedError.h"

#include <optional>
#include <string>

namespace qv {

class CommandTrap {
  public:
    // How a command's failure is shown: a command that is not built yet (668) says so with its
    // own description and the critical icon; the rest follows the common convention.
    static modErrors::ErrorReportOptions Reporting() { return {.notImplementedAsCritical = true}; }

    // Runs f as a command; true when it ran to its end, false when an error ended it (shown
    // through dialogs when given). Never raises.
    template <class F>
    static bool Run(IDialogs* dialogs, const ApplicationPtr& app, const std::string& source, F&& f) {
        std::optional<NumberedError> failure;
        {
            HostStateGuard guard(app, HostStateGuard::OnExit::RestorePrevious);
            try {
                modErrors::Numbered(source, std::forward<F>(f));
                return true;
            } catch (const NumberedError& e) {
                failure = e;
                guard.failed();
            }
        }
        if (dialogs) modErrors::ReportError(*dialogs, *failure, Reporting());
        return false;
    }
};

} // namespace qv
