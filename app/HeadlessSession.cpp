#include "app/HeadlessSession.h"

#include "common/clsAux.h"
#include "common/modErrors.h"
#include "datasource/DSContext.h"
#include "datasource/IDS.h"
#include "datasource/ITable.h"
#include "datasource/clsDSAccess.h"
#include "engines/sqlite/SqliteEngineClasses.h"
#include "platform/IAddinEntry.h"
#include "platform/NumberedError.h"
#include "platform/engine/IAdoRecordset.h"
#include "spreadsheet/Application.h"
#include "spreadsheet/HostText.h"
#include "spreadsheet/Worksheet.h"
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
#include <sstream>

namespace qv::app {

namespace {
const char* kRibbonControls[] = {"cmdOpenDB",  "cboTables",  "cboQueries", "cboViews",    "cmdRowAdd", "cmdRowUpdate",
                                 "cmdRowDelete", "cmdRefresh", "cmdExecSql", "cmdSettings", "cmdHelp",   "cmdClose"};
const char* kEnabledControls[] = {"cboTables",  "cboQueries", "cboViews",   "cmdRowAdd", "cmdRowUpdate",
                                  "cmdRowDelete", "cmdRefresh", "cmdExecSql", "cmdClose"};
// Only these ribbon controls ask for their visibility.
const char* kVisibleControls[] = {"cboViews", "cmdRowAdd", "cmdRowUpdate", "cmdRowDelete", "cmdRefresh"};

std::string oneLine(std::string s) {
    for (char& c : s)
        if (c == '\r' || c == '\n') c = '|';
    return s;
}

// The add-in library lives in the build tree beside the runner, or beside an installed runner.
std::string findAddinLibrary(const std::string& executable) {
    namespace fs = std::filesystem;
    const fs::path exe = fs::absolute(executable).parent_path();
    for (const fs::path& p : {exe / "libquorvel-addin.so", exe / ".." / "host" / "libquorvel-addin.so",
                              exe / ".." / "lib" / "quorvel" / "libquorvel-addin.so"})
        if (fs::exists(p)) return fs::canonical(p).string();
    return {};
}

void printPrompts(const DialogScript& script, std::size_t& shown) {
    const auto& records = script.records();
    for (; shown < records.size(); ++shown) {
        const PromptRecord& r = records[shown];
        if (r.kind == PromptKind::Dialog) {
            fmt::print("  [dialog {}] \"{}\"", r.dialogName, oneLine(r.text));
            for (const DialogControl& c : r.controls)
                if (c.kind == ControlKind::Label && !c.caption.empty()) fmt::print(" {}=\"{}\"", c.name, oneLine(c.caption));
            fmt::print(" -> {}\n", r.answer);
        } else {
            fmt::print("  [message] \"{}\" (flags {}) -> {}\n", oneLine(r.text), r.flags, r.answer);
        }
        if (!r.error.empty()) fmt::print("    (script: {})\n", r.error);
    }
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

int HeadlessSession::run() {
    DialogScript script;
    if (!mOptions.scriptFile.empty()) {
        std::ifstream in(mOptions.scriptFile);
        if (!in) {
            fmt::print(stderr, "Cannot read the script {}\n", mOptions.scriptFile);
            return 1;
        }
        std::stringstream text;
        text << in.rdbuf();
        try {
            for (ScriptStep& s : DialogScriptReader::read(text.str())) script.push(std::move(s));
        } catch (const NumberedError& e) {
            fmt::print(stderr, "{}: {}\n", mOptions.scriptFile, e.description());
            return 1;
        }
    }
    ScriptedDialogs dialogs(script);
    ScriptedToolkit toolkit(script);
    RegistryStore registry;
    Shell shell;
    ObjectFactory objects(registry);
    registerSqliteEngineClasses([&](std::string id, std::function<ObjectPtr()> f) { objects.registerClass(id, f); });
    PlatformServices services{&registry, &dialogs, &toolkit, &shell, &objects};
    objects.setServices(&services);
    std::size_t shown = 0;

    sheet::ApplicationOptions ao;
    ao.locale = mOptions.dutch ? sheet::Locale::Dutch : sheet::Locale::English;
    ao.dialogs = &dialogs;
    std::shared_ptr<sheet::Application> app = sheet::Application::create(ao);
    WorkbookPtr addinBook = app->addWorkbook();
    addinBook->setBuiltinProperty("Revision Number", Variant(mOptions.revision));
    fmt::print("Host: {} {}, country code {}\n", app->name(), app->version(), app->international(1).toString());

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
            return 1;
        }
        try {
            objects.registerServer(lib);
            object = objects.createObject(progId);
        } catch (const NumberedError& e) {
            fmt::print(stderr, "Cannot create {}: {}\n", progId, e.description());
            return 1;
        }
    }
    auto entry = objectAs<IAddinEntry>(object);
    if (!entry) {
        fmt::print(stderr, "{} does not answer the entry contract.\n", progId);
        return 1;
    }
    fmt::print("Created {}; initialising with revision {}.\n", progId, mOptions.revision);
    entry->Initialize(addinBook);
    printPrompts(script, shown);
    printMenu(*app);

    fmt::print("Ribbon:\n");
    for (const char* id : kRibbonControls) fmt::print("  {:<13} label \"{}\"\n", id, entry->GetLabel(id));
    for (const char* id : kEnabledControls) fmt::print("  {:<13} enabled {}\n", id, entry->GetEnabled(id));
    for (const char* id : kVisibleControls) fmt::print("  {:<13} visible {}\n", id, entry->GetVisible(id));
    entry->ShowFirstMessage();
    printPrompts(script, shown);

    if (!mOptions.database.empty()) {
        DSContext ctx;
        ctx.RevisionNumber = mOptions.revision;
        ctx.Objects = &objects;
        ctx.Toolkit = &toolkit;
        ctx.Dialogs = &dialogs;
        std::string current = mOptions.table;
        ctx.CurrentTableName = [&current] { return current; };
        clsDSAccess ds(std::move(ctx));
        ds.SetDatabasePath(mOptions.database);
        try {
            if (!ds.ConnectDAO()) throw NumberedError(err::Cancelled, "quorvel-headless", "");
            ds.DetermineDbObjects(true);
            ds.DetermineDbObjects(false);
            printPrompts(script, shown);
            fmt::print("Database {}:\n  tables:", mOptions.database);
            for (const std::string& t : *ds.TableNames()) fmt::print(" [{}]", t);
            fmt::print("\n  queries:");
            if (auto q = ds.QueryNames())
                for (const std::string& n : *q) fmt::print(" [{}]", n);
            fmt::print("\n");
            if (!current.empty()) {
                AdoRecordsetPtr rs = ds.GetRecordSet("SELECT * FROM [" + current + "]", true);
                WorkbookPtr book = app->addWorkbook();
                WorksheetPtr sheet = book->worksheet(1);
                clsAux::CheckRecordLimit(*rs, *sheet);
                sheet->setName(qv::sheet::HostText::prefix(current, qv::sheet::Worksheet::MaxNameLength));
                for (long c = 0; c < rs->fieldCount(); ++c) sheet->cells(1, c + 1)->setValue(Variant(rs->field(c)->name()));
                const long rows = sheet->cells(2, 1)->copyFromRecordset(*rs);
                fmt::print("Loaded {} rows x {} columns of [{}] into sheet \"{}\".\n", rows, rs->fieldCount(), current,
                           sheet->name());
                for (long r = 1; r <= std::min<long>(rows + 1, 6); ++r) {
                    fmt::print("  ");
                    for (long c = 1; c <= std::min<long>(rs->fieldCount(), 6); ++c)
                        fmt::print("{:<18} ", sheet->cells(r, c)->text().substr(0, 17));
                    fmt::print("\n");
                }
                if (!mOptions.saveAs.empty()) {
                    const bool saved = book->saveAs(mOptions.saveAs);
                    printPrompts(script, shown);
                    fmt::print("{} {}\n", saved ? "Saved as" : "Not saved:", mOptions.saveAs);
                }
            }
        } catch (const NumberedError& e) {
            printPrompts(script, shown);
            if (e.number() != err::Cancelled) {
                fmt::print(stderr, "Error {}: {}\n", e.number(), e.description());
                return 1;
            }
        }
    }
    printPrompts(script, shown);
    if (!script.errors().empty()) {
        fmt::print("Prompts the script did not answer as written: {}\n", script.errors().size());
    }
    return 0;
}

} // namespace qv::app
