#include "app/AddinStartup.h"

#include "platform/NumberedError.h"
#include "spreadsheet/model/Workbook.h"
#include "system/WorkbookCodeLoader.h"

#include <filesystem>
#include <fmt/format.h>

namespace qv::app {

std::string AddinStartup::packageName(int revision) {
    return fmt::format("Quorvel{}.xlam", revision);
}

std::string AddinStartup::findPackage(const std::string& executable, int revision) {
    namespace fs = std::filesystem;
    std::error_code ec;
    fs::path self = fs::read_symlink("/proc/self/exe", ec);
    if (ec) self = fs::absolute(executable);
    const fs::path exe = self.parent_path();
    const std::string name = packageName(revision);
    for (const fs::path& p : {exe / name, exe / ".." / "host" / name, exe / ".." / "lib" / "quorvel" / name})
        if (fs::is_regular_file(p, ec)) return fs::canonical(p).string();
    return {};
}

void AddinSession::close() {
    ribbon.reset();
    code.reset();
    if (WorkbookPtr book = std::move(package)) {
        try {
            book->close(false);
        } catch (...) {
            // A host going away cannot refuse; the workbook's macros go with the application.
        }
    }
}

AddinSession AddinStartup::start(sheet::Application& app, const std::string& packagePath,
                                 const PlatformServices& services, bool runTimers) {
    AddinSession s;
    s.package = app.openWorkbook(packagePath);
    s.code = WorkbookCodeLoader::attach(s.package, services);
    // The ribbon comes first, so that its load callback has handed the ribbon to the modules
    // before the start-up asks for the first invalidation.
    if (app.ribbonAvailable()) {
        auto book = std::dynamic_pointer_cast<sheet::Workbook>(s.package);
        const std::string xml = book ? book->customUI() : std::string();
        if (!xml.empty()) s.ribbon = sheet::RibbonRuntime::load(app, xml);
    }
    if (s.code) app.run("ThisWorkbook.Workbook_Open");
    // A start-up that ended with the add-in closing its own workbook (the library refused to
    // run) leaves a timer whose macro is gone; it is dropped, the others still run.
    for (int round = 0; runTimers && round < 100; ++round) {
        try {
            app.runPendingTimers();
            break;
        } catch (const NumberedError&) {
        }
    }
    return s;
}

namespace {
struct LoadedPackage : sheet::AddIns::Loaded {
    LoadedPackage(sheet::Application& a, std::shared_ptr<AddinSession> s) : app(a), session(std::move(s)) {}
    void uninstall() override {
        // Only a package whose own code was attached has that macro to answer for.
        if (session->code && app.hasMacro("ThisWorkbook.Workbook_AddinUninstall"))
            app.run("ThisWorkbook.Workbook_AddinUninstall");
    }
    sheet::Application& app;
    std::shared_ptr<AddinSession> session;
};
} // namespace

sheet::AddIns::Loader
AddinStartup::loader(sheet::Application& app, PlatformServices services, bool runTimers,
                     std::function<void(const std::shared_ptr<AddinSession>&)> started) {
    return [&app, services, runTimers,
            started](const std::string& path) -> std::shared_ptr<sheet::AddIns::Loaded> {
        const WorkbookPtr before = app.activeWorkbook();
        auto session = std::make_shared<AddinSession>(start(app, path, services, runTimers));
        // An add-in is no workbook of the person's: the one they were in stays active.
        if (before && app.activeWorkbook() == session->package) {
            for (long i = 1; i <= app.workbookCount(); ++i)
                if (app.workbook(i) == before) before->activate();
        }
        if (started) started(session);
        return std::make_shared<LoadedPackage>(app, std::move(session));
    };
}

} // namespace qv::app
