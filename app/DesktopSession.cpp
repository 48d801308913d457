#include "app/DesktopSession.h"

#include "engines/sqlite/SqliteEngineClasses.h"
#include "platform/IAddinEntry.h"
#include "platform/NumberedError.h"
#include "spreadsheet/Application.h"
#include "spreadsheet/RibbonRuntime.h"
#include "spreadsheet/Workbook.h"
#include "system/ObjectFactory.h"
#include "system/RegistryStore.h"
#include "system/Shell.h"

#include <filesystem>
#include <fmt/format.h>

namespace qv::app {

namespace {
// The add-in library lies beside the program in the build tree or an installation.
std::string findAddinLibrary(const std::string& executable) {
    namespace fs = std::filesystem;
    std::error_code ec;
    fs::path self = fs::read_symlink("/proc/self/exe", ec);
    if (ec) self = fs::absolute(executable);
    const fs::path exe = self.parent_path();
    for (const fs::path& p : {exe / "libquorvel-addin.so", exe / ".." / "host" / "libquorvel-addin.so",
                              exe / ".." / "lib" / "quorvel" / "libquorvel-addin.so"})
        if (fs::exists(p, ec)) return fs::canonical(p, ec).string();
    return {};
}
} // namespace

DesktopSession::DesktopSession(DesktopOptions options) : mOptions(std::move(options)) {}

DesktopSession::~DesktopSession() {
    // The ribbon asks the workbook's macros, and the add-in holds the application: both go
    // before the application does.
    mRibbon.reset();
    if (mEntry) {
        try {
            mEntry->AddinUninstall();
        } catch (...) { // NOLINT: nothing may escape a destructor; the process is ending anyway
        }
    }
    mEntry.reset();
    mEntryObject.reset();
    mApp.reset();
}

std::string DesktopSession::start() {
    mRegistry = std::make_unique<RegistryStore>();
    mShell = std::make_unique<Shell>();
    mObjects = std::make_unique<ObjectFactory>(*mRegistry);
    registerSqliteEngineClasses(
        [&](std::string id, std::function<ObjectPtr()> f) { mObjects->registerClass(id, f); });
    mServices = PlatformServices{mRegistry.get(), &mDialogs, &mToolkit, mShell.get(), mObjects.get()};
    mObjects->setServices(&mServices);

    sheet::ApplicationOptions ao;
    ao.locale = mOptions.dutch ? sheet::Locale::Dutch : sheet::Locale::English;
    ao.dialogs = &mDialogs;
    if (mOptions.menuEdition) ao.version = "11.0";
    mApp = sheet::Application::create(ao);
    if (!mOptions.withAddin) {
        mApp->addWorkbook();
        return {};
    }
    std::string why = startAddin();
    if (mApp->workbookCount() == 0 || !mApp->activeWorkbook()) mApp->addWorkbook();
    return why;
}

std::string DesktopSession::startAddin() {
    // The add-in workbook is the first book; the person works in a book of their own.
    WorkbookPtr addinBook = mApp->addWorkbook();
    addinBook->setBuiltinProperty("Revision Number", Variant(mOptions.revision));
    const std::string progId = "Quorvel.Interface12";
    ObjectPtr object;
    try {
        object = mObjects->createObject(progId);
    } catch (const NumberedError&) {
        const std::string lib = findAddinLibrary(mOptions.executablePath);
        if (lib.empty()) return "The add-in library was not found beside the program.";
        try {
            mObjects->registerServer(lib);
            object = mObjects->createObject(progId);
        } catch (const NumberedError& e) {
            return fmt::format("Cannot create {}: {}", progId, e.description());
        }
    }
    mEntry = objectAs<IAddinEntry>(object);
    if (!mEntry) return progId + " does not answer the entry contract.";
    mEntryObject = object;
    const std::string library = mObjects->libraryPath(progId);
    if (!library.empty()) mShell->setLibraryFolder(std::filesystem::path(library).parent_path().string());
    try {
        mEntry->Initialize(addinBook);
    } catch (const NumberedError& e) {
        return fmt::format("Error {}: {}", e.number(), e.description());
    }
    auto book = std::dynamic_pointer_cast<sheet::Workbook>(addinBook);
    if (book && mApp->ribbonAvailable() && !book->customUI().empty()) {
        try {
            loadRibbon(book->customUI());
        } catch (const NumberedError& e) {
            return fmt::format("The ribbon of the add-in workbook was refused: {}", e.description());
        }
    }
    // The person's own workbook, as the host opens one beside its add-ins.
    mApp->addWorkbook();
    return {};
}

void DesktopSession::loadRibbon(const std::string& customUI) {
    mRibbon = sheet::RibbonRuntime::load(*mApp, customUI);
    mRibbon->start();
}

} // namespace qv::app
