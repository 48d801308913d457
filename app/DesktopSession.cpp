#include "app/DesktopSession.h"

#include "app/AddinMacroBridge.h"

#include "engines/mdb/MdbEngineClasses.h"
#include "platform/IAddinEntry.h"
#include "platform/NumberedError.h"
#include "spreadsheet/commandbars/RibbonRuntime.h"
#include "spreadsheet/model/Application.h"
#include "spreadsheet/model/Workbook.h"
#include "system/ObjectFactory.h"
#include "system/RegistryStore.h"
#include "system/Shell.h"

#include <filesystem>
#include <fmt/format.h>
#include <fstream>
#include <sstream>

namespace qv::app {

namespace {
// The add-in library lies beside the program in the build tree or an installation.
// The add-in library is named after the edition's revision ("libQuorvel12.so").
std::string findAddinLibrary(const std::string& executable, int revision) {
    namespace fs = std::filesystem;
    const std::string name = fmt::format("libQuorvel{}.so", revision);
    std::error_code ec;
    fs::path self = fs::read_symlink("/proc/self/exe", ec);
    if (ec) self = fs::absolute(executable);
    const fs::path exe = self.parent_path();
    for (const fs::path& p : {exe / name, exe / ".." / "host" / name, exe / ".." / "lib" / "quorvel" / name})
        if (fs::exists(p, ec)) return fs::canonical(p, ec).string();
    return {};
}

// The ribbon definition the build puts beside the program, for an add-in workbook that does
// not carry its own part.
std::string builtRibbonDefinition() {
    namespace fs = std::filesystem;
    std::error_code ec;
    const fs::path exe = fs::read_symlink("/proc/self/exe", ec).parent_path();
    for (const fs::path& p : {exe / "customUI14.xml", exe / ".." / "share" / "quorvel" / "customUI14.xml"}) {
        // A definition is a few kilobytes; anything far larger is not one.
        if (!fs::is_regular_file(p, ec) || fs::file_size(p, ec) > (1u << 20)) continue;
        std::ifstream in(p, std::ios::binary);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }
    return {};
}
} // namespace

DesktopSession::DesktopSession(DesktopOptions options) : mOptions(std::move(options)) {}

DesktopSession::~DesktopSession() {
    // The ribbon asks the workbook's macros, and the add-in holds the application: both go
    // before the application does.
    mRibbon.reset();
    mEntry.reset();
    mEntryObject.reset();
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
        const std::string lib = findAddinLibrary(mOptions.executablePath, mOptions.revision);
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
    AddinMacroBridge::install(*mApp, addinBook, mEntry);
    auto book = std::dynamic_pointer_cast<sheet::Workbook>(addinBook);
    std::string customUI = book ? book->customUI() : std::string();
    if (customUI.empty()) customUI = builtRibbonDefinition();
    if (mApp->ribbonAvailable() && !customUI.empty()) {
        try {
            loadRibbon(customUI);
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
