#include "app/DesktopSession.h"

#include "engines/mdb/MdbEngineClasses.h"
#include "platform/IAddinEntry.h"
#include "platform/NumberedError.h"
#include "spreadsheet/commandbars/RibbonRuntime.h"
#include "spreadsheet/model/Application.h"
#include "system/ObjectFactory.h"
#include "system/RegistryStore.h"
#include "system/Shell.h"

#include <filesystem>
#include <fmt/format.h>

namespace qv::app {

DesktopSession::DesktopSession(DesktopOptions options) : mOptions(std::move(options)) {}

DesktopSession::~DesktopSession() {
    // The ribbon asks the workbook's macros, and the add-in holds the application: both go
    // before the application does.
    mRibbon.reset();
    mAddin.close();
    mApp.reset();
}

std::string DesktopSession::start() {
    mRegistry = std::make_unique<RegistryStore>();
    mShell = std::make_unique<Shell>();
    mObjects = std::make_unique<ObjectFactory>(*mRegistry);
    registerEngineClasses(
        [&](std::string id, std::function<ObjectPtr()> f) { mObjects->registerClass(id, f); });
    mServices =
        PlatformServices{mRegistry.get(), &mDialogs, &mToolkit, mShell.get(), mObjects.get(), &mProgress};
    mObjects->setServices(&mServices);

    sheet::ApplicationOptions ao;
    ao.locale = mOptions.dutch ? sheet::Locale::Dutch : sheet::Locale::English;
    ao.dialogs = &mDialogs;
    if (mOptions.menuEdition) ao.version = "11.0";
    mApp = sheet::Application::create(ao);
    std::string why;
    if (mOptions.withAddin) why = startAddin();
    // The person's own workbook, as the host opens one beside its add-ins.
    if (!mApp->activeWorkbook() || mApp->activeWorkbook() == mAddin.package) mApp->addWorkbook();
    return why;
}

std::string DesktopSession::startAddin() {
    const std::string package = !mOptions.package.empty()
                                    ? mOptions.package
                                    : AddinStartup::findPackage(mOptions.executablePath, mOptions.revision);
    if (package.empty())
        return fmt::format("The add-in package {} was not found beside the program.",
                           AddinStartup::packageName(mOptions.revision));
    try {
        // The start-up's timers (the first-start message) run once the window shows.
        mAddin = AddinStartup::start(*mApp, package, mServices, false);
    } catch (const NumberedError& e) {
        return fmt::format("Cannot start the add-in package {}: {}", package, e.description());
    }
    // The add-in's files (its help) lie beside its library, not beside this program.
    const std::string library = mObjects->libraryPath(fmt::format("Quorvel.Interface{}", mOptions.revision));
    if (!library.empty()) mShell->setLibraryFolder(std::filesystem::path(library).parent_path().string());
    return {};
}

void DesktopSession::loadRibbon(const std::string& customUI) {
    mRibbon = sheet::RibbonRuntime::load(*mApp, customUI);
}

} // namespace qv::app
