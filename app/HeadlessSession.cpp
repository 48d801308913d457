#include "app/HeadlessSession.h"

#include "common/RibbonControlIds.h"
#include "engines/sqlite/SqliteEngineClasses.h"
#include "platform/IAddinEntry.h"
#include "platform/NumberedError.h"
#include "platform/engine/IAdoRecordset.h"
#include "spreadsheet/model/Application.h"
#include "spreadsheet/model/HostText.h"
#include "spreadsheet/model/Worksheet.h"
#include "system/DialogScript.h"
#include "system/DialogScriptReader.h"
#include "system/ObjectFactory.h"
#include "system/RegistryStore.h"
#include "system/ScriptedDialogs.h"
#include "system/ScriptedToolkit.h"
#include "system/Shell.h"

#include <filesystem>
#include <fmt/format.h>
#include <fstream>
#include <memory>
#include <sstream>

namespace qv::app {

namespace {
const char* kRibbonControls[] = {ribbon::OpenDatabase, ribbon::Tables,    ribbon::Queries,   ribbon::Views,
                                 ribbon::RowAdd,       ribbon::RowUpdate, ribbon::RowDelete, ribbon::Refresh,
                                 ribbon::ExecuteSql,   ribbon::Settings,  ribbon::Help,      ribbon::Close};
const char* kEnabledControls[] = {ribbon::Tables,  ribbon::Queries,    ribbon::Views,
                                  ribbon::RowAdd,  ribbon::RowUpdate,  ribbon::RowDelete,
                                  ribbon::Refresh, ribbon::ExecuteSql, ribbon::Close};
// Only these ribbon controls ask for their visibility.
const char* kVisibleControls[] = {ribbon::Views, ribbon::RowAdd, ribbon::RowUpdate, ribbon::RowDelete,
                                  ribbon::Refresh};

// The add-in's texts break lines with a bare "\r", which on a terminal returns to the start of
// the line and overwrites it; printed, every break becomes a newline and the continuation is
// indented under the first line.
std::string lines(const std::string& s, std::string_view indent = "    ") {
    std::string out;
    out.reserve(s.size());
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '\r' || s[i] == '\n') {
            if (s[i] == '\r' && i + 1 < s.size() && s[i + 1] == '\n') ++i;
            out += '\n';
            out += indent;
        } else {
            out += s[i];
        }
    }
    return out;
}

// The add-in library lives in the build tree beside the runner, or beside an installed runner.
// The program's own path comes from the kernel: argv[0] is a bare name when the runner was
// found on the PATH.
std::string findAddinLibrary(const std::string& executable) {
    namespace fs = std::filesystem;
    std::error_code ec;
    fs::path self = fs::read_symlink("/proc/self/exe", ec);
    if (ec) self = fs::absolute(executable);
    const fs::path exe = self.parent_path();
    for (const fs::path& p : {exe / "libquorvel-addin.so", exe / ".." / "host" / "libquorvel-addin.so",
                              exe / ".." / "lib" / "quorvel" / "libquorvel-addin.so"})
        if (fs::exists(p)) return fs::canonical(p).string();
    return {};
}

void printMenu(IApplication& app) {
    CommandBarPtr bar = app.commandBars()->find(WorksheetMenuBar);
    CommandBarControlPtr menu = bar ? bar->controls()->findByCaption("&Quorvel LT") : nullptr;
    if (!menu) {
        fmt::print("Menu: not built\n");
        return;
    }
    fmt::print("Menu \"{}\" (visible {}):\n", menu->caption(), menu->visible());
    auto controls = menu->controls();
    for (long i = 1; i <= controls->count(); ++i) {
        CommandBarControlPtr c = controls->item(i);
        fmt::print("  {:<28} tag \"{}\"{}{}\n", c->caption(), c->tag(), c->enabled() ? "" : ", disabled",
                   c->visible() ? "" : ", hidden");
    }
    CommandBarPtr toolbar = app.commandBars()->find("Quorvel LT");
    fmt::print("Toolbar: {}\n", toolbar ? fmt::format("{} controls, visible {}", toolbar->controls()->count(),
                                                      toolbar->visible())
                                        : std::string("none"));
}
} // namespace

void HeadlessSession::printPrompts(const DialogScript& script) {
    const auto& records = script.records();
    for (; mShown < records.size(); ++mShown) {
        const PromptRecord& r = records[mShown];
        if (r.kind == PromptKind::Dialog) {
            fmt::print("  [dialog {}] \"{}\"", r.dialogName, lines(r.text));
            for (const DialogControl& c : r.controls)
                if (c.kind == ControlKind::Label && !c.caption.empty())
                    fmt::print("\n    {}=\"{}\"", c.name, lines(c.caption, "      "));
            fmt::print(" -> {}\n", r.answer);
        } else {
            fmt::print("  [message] \"{}\" (flags {}) -> {}\n", lines(r.text), r.flags, r.answer);
        }
        if (!r.error.empty()) fmt::print("    (script: {})\n", lines(r.error, "      "));
    }
}

namespace {
// Scripts are a few lines; a path naming a device, a FIFO or a huge file is a mistake that must
// not hang the runner or fill its memory.
constexpr std::uintmax_t MaxScriptSize = 4 << 20;

bool readScript(const std::string& file, DialogScript& script) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(file, ec) || std::filesystem::file_size(file, ec) > MaxScriptSize ||
        ec) {
        fmt::print(stderr, "The script {} is not a readable file of at most {} bytes\n", file, MaxScriptSize);
        return false;
    }
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        fmt::print(stderr, "Cannot read the script {}\n", file);
        return false;
    }
    std::stringstream text;
    text << in.rdbuf();
    try {
        for (ScriptStep& s : DialogScriptReader::read(text.str()))
            script.push(std::move(s));
    } catch (const NumberedError& e) {
        fmt::print(stderr, "{}: {}\n", file, lines(e.description()));
        return false;
    }
    return true;
}
} // namespace

int HeadlessSession::run() {
    DialogScript script;
    if (!mOptions.scriptFile.empty() && !readScript(mOptions.scriptFile, script)) return ExitUsage;
    ScriptedDialogs dialogs(script);
    ScriptedToolkit toolkit(script);
    // A damaged store starts afresh by itself (the add-in tells the person); what remains is
    // a store path that names another program's database, which is refused.
    std::unique_ptr<RegistryStore> registry;
    try {
        registry = std::make_unique<RegistryStore>();
    } catch (const NumberedError& e) {
        fmt::print(stderr, "Error {}: {}\n", e.number(), lines(e.description()));
        return ExitFailed;
    }
    Shell shell;
    ObjectFactory objects(*registry);
    registerSqliteEngineClasses(
        [&](std::string id, std::function<ObjectPtr()> f) { objects.registerClass(id, f); });
    PlatformServices services{registry.get(), &dialogs, &toolkit, &shell, &objects};
    objects.setServices(&services);

    sheet::ApplicationOptions ao;
    ao.locale = mOptions.dutch ? sheet::Locale::Dutch : sheet::Locale::English;
    ao.dialogs = &dialogs;
    std::shared_ptr<sheet::Application> app = sheet::Application::create(ao);
    WorkbookPtr addinBook = app->addWorkbook();
    addinBook->setBuiltinProperty("Revision Number", Variant(mOptions.revision));
    fmt::print("Host: {} {}, country code {}\n", app->name(), app->version(),
               app->international(1).toString());

    // The add-in workbook's road: create by ProgID; when that fails, register the library
    // found beside us and try once more.
    const std::string progId = "Quorvel.Interface12";
    ObjectPtr object;
    try {
        object = objects.createObject(progId);
    } catch (const NumberedError&) {
        const std::string lib = findAddinLibrary(mOptions.executablePath);
        if (lib.empty()) {
            fmt::print(stderr, "The add-in library was not found beside the runner.\n");
            return ExitFailed;
        }
        try {
            objects.registerServer(lib);
            object = objects.createObject(progId);
        } catch (const NumberedError& e) {
            fmt::print(stderr, "Cannot create {}: {}\n", progId, lines(e.description()));
            return ExitFailed;
        }
    }
    auto entry = objectAs<IAddinEntry>(object);
    if (!entry) {
        fmt::print(stderr, "{} does not answer the entry contract.\n", progId);
        return ExitFailed;
    }
    // The add-in's files (its help) lie beside its library, not beside this program.
    const std::string library = objects.libraryPath(progId);
    if (!library.empty()) shell.setLibraryFolder(std::filesystem::path(library).parent_path().string());
    fmt::print("Created {} from {}; initialising with revision {}.\n", progId,
               library.empty() ? std::string("this program") : library, mOptions.revision);
    entry->Initialize(addinBook);
    printPrompts(script);
    printMenu(*app);

    fmt::print("Ribbon:\n");
    for (const char* id : kRibbonControls)
        fmt::print("  {:<13} label \"{}\"\n", id, entry->GetLabel(id));
    for (const char* id : kEnabledControls)
        fmt::print("  {:<13} enabled {}\n", id, entry->GetEnabled(id));
    for (const char* id : kVisibleControls)
        fmt::print("  {:<13} visible {}\n", id, entry->GetVisible(id));
    entry->ShowFirstMessage();
    printPrompts(script);

    bool ok = mOptions.database.empty() || openDatabase(*entry, *app, script);
    printPrompts(script);
    // With a script the run is only right when every prompt met the step written for it and
    // no step was left over; without one, prompts are simply dismissed.
    if (!script.errors().empty()) {
        fmt::print("Prompts the script did not answer as written: {}\n", script.errors().size());
        if (!mOptions.scriptFile.empty()) ok = false;
    }
    if (!script.finished()) {
        fmt::print("Steps of the script no prompt asked for: {}\n", script.remaining());
        ok = false;
    }
    return ok ? ExitOk : ExitFailed;
}

// Opening goes through the add-in, so the password dialog, its refusals and every error report
// are the add-in's own, in its language.
bool HeadlessSession::openDatabase(IAddinEntry& entry, IApplication& app, DialogScript& script) {
    const bool opened = entry.OpenDatabaseFile(mOptions.database);
    printPrompts(script);
    if (!opened) {
        fmt::print("Database {} was not opened.\n", mOptions.database);
        return false;
    }
    fmt::print("Database {}:\n  tables:", mOptions.database);
    if (auto t = entry.TableList())
        for (const std::string& n : *t)
            fmt::print(" [{}]", n);
    fmt::print("\n  queries:");
    if (auto q = entry.QueryList())
        for (const std::string& n : *q)
            fmt::print(" [{}]", n);
    fmt::print("\n");
    return mOptions.table.empty() || loadTable(entry, app, script);
}

// Until the form shows a table itself, the runner copies the add-in's record set into a plain
// sheet: no text of its own reaches the person on this road.
bool HeadlessSession::loadTable(IAddinEntry& entry, IApplication& app, DialogScript& script) {
    AdoRecordsetPtr rs = entry.TableRecordset(mOptions.table);
    printPrompts(script);
    if (!rs) {
        fmt::print("Table [{}] was not loaded.\n", mOptions.table);
        return false;
    }
    WorkbookPtr book = app.addWorkbook();
    WorksheetPtr sheet = book->worksheet(1);
    sheet->setName(qv::sheet::HostText::prefix(mOptions.table, qv::sheet::Worksheet::MaxNameLength));
    for (long c = 0; c < rs->fieldCount(); ++c)
        sheet->cells(1, c + 1)->setValue(Variant(rs->field(c)->name()));
    const long rows = sheet->cells(2, 1)->copyFromRecordset(*rs);
    fmt::print("Loaded {} rows x {} columns of [{}] into sheet \"{}\".\n", rows, rs->fieldCount(),
               mOptions.table, sheet->name());
    for (long r = 1; r <= std::min<long>(rows + 1, 6); ++r) {
        fmt::print("  ");
        for (long c = 1; c <= std::min<long>(rs->fieldCount(), 6); ++c)
            fmt::print("{:<18} ", sheet->cells(r, c)->text().substr(0, 17));
        fmt::print("\n");
    }
    if (mOptions.saveAs.empty()) return true;
    // The file was named on the command line, so it is replaced without asking, as a script
    // that switches the host's alerts off before saving would.
    app.setDisplayAlerts(false);
    bool saved = false;
    std::string why;
    try {
        saved = book->saveAs(mOptions.saveAs);
    } catch (const NumberedError& e) {
        why = fmt::format(" (error {}: {})", e.number(), lines(e.description()));
    }
    app.setDisplayAlerts(true);
    printPrompts(script);
    fmt::print("{} {}{}\n", saved ? "Saved as" : "Not saved:", mOptions.saveAs, why);
    return saved;
}

} // namespace qv::app
