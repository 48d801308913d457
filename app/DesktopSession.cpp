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
    if (mApp) mApp->addInList().releaseAll();
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
    ao.registry = mRegistry.get();
    if (mOptions.menuEdition) ao.version = "11.0";
    mApp = sheet::Application::create(ao);
    std::string why;
    if (mOptions.withAddin) why = startAddin();
    // The person's own workbook, as the host opens one beside its add-ins.
    const WorkbookPtr active = mApp->activeWorkbook();
    bool addinActive = false;
    for (const auto& [path, started] : mStarted)
        if (auto s = started.lock(); s && s->package == active) addinActive = true;
    if (!active || addinActive) mApp->addWorkbook();
    return why;
}

std::shared_ptr<AddinSession> DesktopSession::product() const {
    auto it = mStarted.find(mProductPackage);
    return it == mStarted.end() ? nullptr : it->second.lock();
}

IAddinEntry* DesktopSession::addin() const {
    auto s = product();
    return s ? s->entry().get() : nullptr;
}

WorkbookPtr DesktopSession::addinWorkbook() const {
    auto s = product();
    return s ? s->package : nullptr;
}

sheet::RibbonRuntime* DesktopSession::ribbon() const {
    if (auto s = product(); s && s->ribbon) return s->ribbon.get();
    for (const auto& [path, started] : mStarted)
        if (auto s = started.lock(); s && s->ribbon) return s->ribbon.get();
    return mRibbon.get();
}

std::string DesktopSession::startAddin() {
    const std::string package = !mOptions.package.empty()
                                    ? mOptions.package
                                    : AddinStartup::findPackage(mOptions.executablePath, mOptions.revision);
    if (package.empty())
        return fmt::format("The add-in package {} was not found beside the program.",
                           AddinStartup::packageName(mOptions.revision));
    sheet::AddIns& list = mApp->addInList();
    // The start-up's timers (the first-start message) run once the window shows.
    list.setLoader(
        AddinStartup::loader(*mApp, mServices, false, [this](const std::shared_ptr<AddinSession>& s) {
            std::error_code ec;
            const auto full = std::filesystem::weakly_canonical(s->package->fullName(), ec);
            mStarted[ec ? s->package->fullName() : full.string()] = s;
        }));
    std::string why;
    try {
        // The product's package is listed and installed the first time; after that the person's
        // choice in the Add-Ins dialog stands, wherever this copy of the program keeps it.
        mProductPackage = list.own(package)->fullName();
    } catch (const NumberedError& e) {
        why = fmt::format("Cannot start the add-in package {}: {}", package, e.description());
    }
    for (const NumberedError& e : list.loadInstalled())
        why += (why.empty() ? "" : "\n") + e.description();
    // The add-in's files (its help) lie beside its library, not beside this program.
    const std::string library = mObjects->libraryPath(fmt::format("Quorvel.Interface{}", mOptions.revision));
    if (!library.empty()) mShell->setLibraryFolder(std::filesystem::path(library).parent_path().string());
    return why;
}

void DesktopSession::loadRibbon(const std::string& customUI) {
    mRibbon = sheet::RibbonRuntime::load(*mApp, customUI);
}

} // namespace qv::app
