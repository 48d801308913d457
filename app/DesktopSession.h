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

#include <map>
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
    // The product's add-in while it is installed; null otherwise.
    IAddinEntry* addin() const;
    // The add-in workbook; null without the add-in.
    WorkbookPtr addinWorkbook() const;
    // The ribbon shown: the product's add-in's, else that of another add-in loaded, else the
    // one loaded into the host directly. It changes as add-ins are installed and uninstalled.
    sheet::RibbonRuntime* ribbon() const;
    // The product's own package, as listed among the add-ins; empty without the add-in.
    const std::string& productPackage() const { return mProductPackage; }
    QtDialogs& dialogs() { return mDialogs; }
    QtDialogToolkit& toolkit() { return mToolkit; }
    QtProgress& progress() { return mProgress; }
    const DesktopOptions& options() const { return mOptions; }
    // Loads a ribbon definition into the host, for a host started without the add-in.
    void loadRibbon(const std::string& customUI);

  private:
    std::string startAddin();
    std::shared_ptr<AddinSession> product() const;
    DesktopOptions mOptions;
    QtDialogs mDialogs;
    QtDialogToolkit mToolkit;
    QtProgress mProgress;
    std::unique_ptr<RegistryStore> mRegistry;
    std::unique_ptr<Shell> mShell;
    std::unique_ptr<ObjectFactory> mObjects;
    PlatformServices mServices;
    std::shared_ptr<sheet::Application> mApp;
    std::string mProductPackage;
    // Every package the add-in list started, by its path; the list owns them.
    std::map<std::string, std::weak_ptr<AddinSession>> mStarted;
    std::unique_ptr<sheet::RibbonRuntime> mRibbon;
};

} // namespace qv::app
