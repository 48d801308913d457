// The world the desktop application runs: the registry store, shell, class factory with the
// database engines, the spreadsheet application with Qt's dialogs, and the add-in started from
// its package as any host starts it (AddinStartup): the package's code creates the entry object
// by ProgID and answers the ribbon loaded from the package's customUI part. Kept apart from the
// window so that tests and the benchmark build the same world.
#pragma once

#include "app/AddinStartup.h"
#include "app/QtDialogToolkit.h"
#include "app/QtDialogs.h"
#include "app/QtProgress.h"
#include "platform/PlatformServices.h"

#include <memory>
#include <string>

namespace qv {
class IAddinEntry;
class ObjectFactory;
class RegistryStore;
class Shell;
namespace sheet {
class Application;
class RibbonRuntime;
} // namespace sheet
} // namespace qv

namespace qv::app {

struct DesktopOptions {
    bool dutch = false;
    bool menuEdition = false; // the host without a ribbon: classic menu and toolbar
    int revision = 12;
    std::string database; // opened through the add-in once the window shows
    std::string executablePath;
    bool withAddin = true;
    // The add-in package to start; empty: the one found beside the program.
    std::string package;
};

class DesktopSession {
  public:
    explicit DesktopSession(DesktopOptions options);
    ~DesktopSession();

    // Builds the services and the application; then starts the add-in. Answers a reason when
    // the package could not be started (the host still runs without it); "" otherwise. A
    // package whose code could not create the add-in has told the person itself.
    std::string start();

    sheet::Application& application() const { return *mApp; }
    std::shared_ptr<sheet::Application> applicationPtr() const { return mApp; }
    IAddinEntry* addin() const { return mAddin.entry().get(); }
    // The add-in workbook; null without the add-in.
    WorkbookPtr addinWorkbook() const { return mAddin.package; }
    sheet::RibbonRuntime* ribbon() const { return mAddin.ribbon ? mAddin.ribbon.get() : mRibbon.get(); }
    QtDialogs& dialogs() { return mDialogs; }
    QtDialogToolkit& toolkit() { return mToolkit; }
    QtProgress& progress() { return mProgress; }
    const DesktopOptions& options() const { return mOptions; }
    // Loads a ribbon definition into the host, for a host started without the add-in.
    void loadRibbon(const std::string& customUI);

  private:
    std::string startAddin();
    DesktopOptions mOptions;
    QtDialogs mDialogs;
    QtDialogToolkit mToolkit;
    QtProgress mProgress;
    std::unique_ptr<RegistryStore> mRegistry;
    std::unique_ptr<Shell> mShell;
    std::unique_ptr<ObjectFactory> mObjects;
    PlatformServices mServices;
    std::shared_ptr<sheet::Application> mApp;
    AddinSession mAddin;
    std::unique_ptr<sheet::RibbonRuntime> mRibbon;
};

} // namespace qv::app
