// How a host starts the add-in: it opens the add-in package like any workbook, attaches the
// code modules that travel with it, loads the ribbon from the package's ribbon part (whose
// load callback hands the ribbon to the modules), opens the workbook (its Workbook_Open creates
// the entry object, registering the library once when needed) and then lets the timer run the
// first-start message. The headless runner and the desktop application both start this way.
#pragma once

#include "platform/IWorkbookCode.h"
#include "platform/PlatformServices.h"
#include "spreadsheet/commandbars/RibbonRuntime.h"
#include "spreadsheet/model/AddIns.h"
#include "spreadsheet/model/Application.h"

#include <functional>
#include <memory>
#include <string>

namespace qv::app {

// Closes the package when it goes, as a host that quits closes its add-ins: the workbook's
// code, and with it the entry object, is released while the application still stands. Without
// it the entry object and the application would keep each other until the process exits.
struct AddinSession {
    AddinSession() = default;
    AddinSession(AddinSession&&) = default;
    AddinSession& operator=(AddinSession&& other) {
        close();
        package = std::move(other.package);
        code = std::move(other.code);
        ribbon = std::move(other.ribbon);
        return *this;
    }
    ~AddinSession() { close(); }
    void close();

    WorkbookPtr package;                          // the add-in workbook, window very hidden
    std::shared_ptr<IWorkbookCode> code;          // null when the package has no code beside it
    std::unique_ptr<sheet::RibbonRuntime> ribbon; // null on a host without a ribbon
    // goQuorvel of the workbook's code; null when the library could not be created.
    std::shared_ptr<IAddinEntry> entry() const { return code ? code->quorvel() : nullptr; }
};

class AddinStartup {
  public:
    // The package the build writes beside the add-in library: "Quorvel<revision>.xlam".
    static std::string packageName(int revision = 12);
    // Looks for the package beside the program, in the build tree's host folder, or where an
    // installation puts the library; empty when none is found.
    static std::string findPackage(const std::string& executable, int revision = 12);

    // Opens the package and starts the add-in. Error 1004 when the package cannot be opened or
    // its code cannot be loaded; everything after that (a missing library, a failing start-up)
    // is the workbook's own to report, through the dialogs, and the session still comes back.
    // A host with a window passes runTimers false and runs them once its window shows, so that
    // the first-start message appears over the window rather than before it.
    static AddinSession start(sheet::Application& app, const std::string& packagePath,
                              const PlatformServices& services, bool runTimers = true);

    // The loader of the application's add-in list: each package installed starts as start()
    // starts it (error 1004 when it cannot be opened), and the workbook that was active stays
    // so. Uninstalling runs the package's Workbook_AddinUninstall, which takes its menus away;
    // the release closes it, and its ribbon goes with it. `started` hears of every package
    // started, for a host that shows the add-ins' ribbons; it must not keep them alive.
    static sheet::AddIns::Loader
    loader(sheet::Application& app, PlatformServices services, bool runTimers,
           std::function<void(const std::shared_ptr<AddinSession>&)> started = {});
};

} // namespace qv::app
