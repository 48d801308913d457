#include "app/HeadlessSession.h"

#include "app/AddinStartup.h"
#include "app/HeadlessErrors.h"
#include "app/HeadlessProgress.h"
#include "app/HeadlessScript.h"
#include "common/RibbonControlIds.h"
#include "engines/mdb/MdbEngineClasses.h"
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

#include <algorithm>
#include <filesystem>
#include <fmt/format.h>
#include <fstream>
#include <iostream>
#include <memory>
#include <sstream>

namespace qv::app {

namespace {
std::string progId(int revision) {
    return fmt::format("Quorvel.Interface{}", revision);
}

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
        } else if (r.kind == PromptKind::OpenFile || r.kind == PromptKind::SaveAsFile) {
            fmt::print("  [{}] \"{}\" in \"{}\" -> {}\n", r.kind == PromptKind::OpenFile ? "open" : "save as",
                       r.title, r.defaultText, r.answer);
        } else {
            fmt::print("  [message] \"{}\" (flags {}) -> {}\n", lines(r.text), r.flags, r.answer);
        }
        if (r.kind == PromptKind::MessageBox) {
            mLastMessage = r.text;
            if (mReportedError.empty()) mReportedError = HeadlessErrors::reported(r.text, r.flags);
        }
        // A message dialog's caption is the product name; what it says is in its labels.
        if (r.kind == PromptKind::Dialog) {
            mLastMessage = r.text;
            for (const DialogControl& c : r.controls)
                if (c.kind == ControlKind::Label && !c.caption.empty()) {
                    mLastMessage = c.caption;
                    break;
                }
        }
        if (!r.error.empty()) fmt::print("    (script: {})\n", lines(r.error, "      "));
    }
}

bool HeadlessSession::reportedError(const std::string& step) {
    if (mReportedError.empty()) return false;
    fmt::print("{} failed: the add-in reported an error: {}\n", step, mReportedError);
    mReportedError.clear();
    return true;
}

namespace {
// Scripts are a few lines; a path naming a device, a FIFO or a huge file is a mistake that must
// not hang the runner or fill its memory.
constexpr std::uintmax_t MaxScriptSize = 4 << 20;

bool readScript(const std::string& file, std::vector<HeadlessAction>& actions) {
    std::stringstream text;
    if (file == "-") {
        // Standard input is bounded like a file: read at most one byte past the limit.
        std::string buf(MaxScriptSize + 1, '\0');
        std::cin.read(buf.data(), static_cast<std::streamsize>(buf.size()));
        if (static_cast<std::uintmax_t>(std::cin.gcount()) > MaxScriptSize) {
            fmt::print(stderr, "The script on standard input is longer than {} bytes\n", MaxScriptSize);
            return false;
        }
        buf.resize(static_cast<std::size_t>(std::cin.gcount()));
        text << buf;
    } else {
        std::error_code ec;
        if (!std::filesystem::is_regular_file(file, ec) ||
            std::filesystem::file_size(file, ec) > MaxScriptSize || ec) {
            fmt::print(stderr, "The script {} is not a readable file of at most {} bytes\n", file,
                       MaxScriptSize);
            return false;
        }
        std::ifstream in(file, std::ios::binary);
        if (!in) {
            fmt::print(stderr, "Cannot read the script {}\n", file);
            return false;
        }
        text << in.rdbuf();
    }

    try {
        actions = HeadlessScript::read(text.str());
    } catch (const NumberedError& e) {
        fmt::print(stderr, "{}: {}\n", file, lines(e.description()));
        return false;
    }
    return true;
}
} // namespace

int HeadlessSession::run() {
    DialogScript script;
    std::vector<HeadlessAction> actions;
    if (!mOptions.scriptFile.empty() && !readScript(mOptions.scriptFile, actions)) return ExitUsage;
    // The answers written before the first action answer the start-up and the command line's
    // database and table; the rest are queued as the actions come to them.
    std::size_t next = 0;
    for (; next < actions.size() && actions[next].kind == HeadlessAction::Kind::Answers; ++next)
        for (const ScriptStep& step : actions[next].answers)
            script.push(step);
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
    registerEngineClasses(
        [&](std::string id, std::function<ObjectPtr()> f) { objects.registerClass(id, f); });
    HeadlessProgress progress(mOptions.progress ? stdout : nullptr);
    PlatformServices services{registry.get(), &dialogs, &toolkit, &shell, &objects, &progress};
    objects.setServices(&services);

    sheet::ApplicationOptions ao;
    ao.locale = mOptions.dutch ? sheet::Locale::Dutch : sheet::Locale::English;
    ao.dialogs = &dialogs;
    std::shared_ptr<sheet::Application> app = sheet::Application::create(ao);
    fmt::print("Host: {} {}, country code {}\n", app->name(), app->version(),
               app->international(1).toString());

    // The add-in starts as a person's host starts it: from its package, whose code creates the
    // entry object (registering the library beside it once when needed) and reports failures.
    const std::string package = AddinStartup::findPackage(mOptions.executablePath, mOptions.revision);
    if (package.empty()) {
        fmt::print(stderr, "The add-in package {} was not found beside the runner.\n",
                   AddinStartup::packageName(mOptions.revision));
        return ExitFailed;
    }
    AddinSession session;
    try {
        session = AddinStartup::start(*app, package, services);
    } catch (const NumberedError& e) {
        printPrompts(script);
        fmt::print(stderr, "Cannot start the add-in package {}: {}\n", package, lines(e.description()));
        return ExitFailed;
    }
    printPrompts(script);
    // What the add-in reports while starting belongs to no step; its failures end the run above.
    mReportedError.clear();
    const std::shared_ptr<IAddinEntry> entry = session.entry();
    if (!entry) {
        fmt::print(stderr, "Cannot create {}: the add-in package started without it.\n",
                   progId(mOptions.revision));
        return ExitFailed;
    }
    // The add-in's files (its help) lie beside its library, not beside this program.
    const std::string library = objects.libraryPath(progId(mOptions.revision));
    if (!library.empty()) shell.setLibraryFolder(std::filesystem::path(library).parent_path().string());
    fmt::print("Opened {}; its code created {} from {}.\n", package, progId(mOptions.revision),
               library.empty() ? std::string("this program") : library);
    printMenu(*app);

    // The ribbon as the package's callbacks answer it.
    fmt::print("Ribbon:\n");
    if (session.ribbon) {
        std::vector<sheet::RibbonControlState> states;
        for (const char* id : kRibbonControls)
            states.push_back(session.ribbon->state(id));
        for (const auto& c : states)
            fmt::print("  {:<13} label \"{}\"\n", c.id, c.label);
        for (const auto& c : states)
            if (std::find(std::begin(kEnabledControls), std::end(kEnabledControls), c.id) !=
                std::end(kEnabledControls))
                fmt::print("  {:<13} enabled {}\n", c.id, c.enabled);
        for (const auto& c : states)
            if (std::find(std::begin(kVisibleControls), std::end(kVisibleControls), c.id) !=
                std::end(kVisibleControls))
                fmt::print("  {:<13} visible {}\n", c.id, c.visible);
        for (const NumberedError& e : session.ribbon->takeCallbackErrors())
            fmt::print("  (callback failed: {})\n", lines(e.description()));
    }

    bool ok = mOptions.database.empty() || openDatabase(*entry, *app, script);
    printPrompts(script);
    for (; ok && next < actions.size(); ++next) {
        const HeadlessAction& a = actions[next];
        if (a.kind == HeadlessAction::Kind::Answers) continue;
        // The answers written under an action are for the prompts it brings up.
        for (std::size_t k = next + 1; k < actions.size() && actions[k].kind == HeadlessAction::Kind::Answers;
             ++k)
            for (const ScriptStep& step : actions[k].answers)
                script.push(step);
        ok = play(a, *entry, *app, script);
        printPrompts(script);
        if (reportedError(fmt::format("  line {}", a.line))) ok = false;
        if (!script.finished()) {
            fmt::print("  line {}: {} answers were not asked for by this action\n", a.line,
                       script.remaining());
            ok = false;
        }
    }
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
    // As a person does it: "Open database", and the file picked in the open dialog.
    script.pushFront(ScriptStep::openFile(mOptions.database));
    entry.GetDatabase();
    printPrompts(script);
    const bool opened = entry.DataSourceExists();
    if (!opened) {
        fmt::print("Database {} was not opened.\n", mOptions.database);
        reportedError(fmt::format("Opening {}", mOptions.database));
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
    printPrompts(script);
    // A damaged file can open and still fail to list its tables or queries: the add-in says so
    // and goes on, but the database was not opened as asked.
    if (reportedError(fmt::format("Opening {}", mOptions.database))) return false;
    return mOptions.table.empty() || loadTable(entry, app, script);
}

// The table is picked from the "Tables" drop-down, so the form shows it.
bool HeadlessSession::loadTable(IAddinEntry& entry, IApplication& app, DialogScript& script) {
    const auto tables = entry.TableList();
    int index = 0;
    if (tables)
        for (std::size_t i = 0; i < tables->size() && index == 0; ++i)
            if ((*tables)[i] == mOptions.table) index = static_cast<int>(i) + 1;
    if (index == 0) {
        fmt::print("Table [{}] is not in the \"Tables\" drop-down.\n", mOptions.table);
        return false;
    }
    fmt::print("Picking entry {} of cboTables: [{}]\n", index, mOptions.table);
    entry.Show(index);
    printPrompts(script);
    if (reportedError(fmt::format("Showing [{}]", mOptions.table))) return false;
    WorksheetPtr form = entry.Sheet();
    if (form && !form->cells(1, 1)->value().isEmpty()) {
        fmt::print("The form shows [{}] in sheet \"{}\".\n", mOptions.table, form->name());
        if (mOptions.saveAs.empty()) return true;
        // The file was named on the command line: it is written as a script that switches the
        // host's alerts and events off would write it, so the add-in's before-save question
        // (which guards a person's interface workbook) is not asked of the command line.
        app.setDisplayAlerts(false);
        const bool events = app.enableEvents();
        app.setEnableEvents(false);
        bool saved = false;
        try {
            saved = form->parent()->saveAs(mOptions.saveAs);
        } catch (const NumberedError& e) {
            fmt::print("  (error {}: {})\n", e.number(), lines(e.description()));
        }
        app.setEnableEvents(events);
        app.setDisplayAlerts(true);
        printPrompts(script);
        fmt::print("{} {}\n", saved ? "Saved as" : "Not saved:", mOptions.saveAs);
        return !reportedError(fmt::format("Saving {}", mOptions.saveAs)) && saved;
    }
    // A form that shows nothing yet: the rows still reach a plain sheet, so a load can be
    // checked and saved.
    return copyTable(entry, app, script);
}

bool HeadlessSession::copyTable(IAddinEntry& entry, IApplication& app, DialogScript& script) {
    AdoRecordsetPtr rs = entry.TableRecordset(mOptions.table);
    printPrompts(script);
    if (reportedError(fmt::format("Loading [{}]", mOptions.table))) return false;
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
    return !reportedError(fmt::format("Saving {}", mOptions.saveAs)) && saved;
}

namespace {
// The active sheet as our host's model, for what only a person at the keyboard does.
std::shared_ptr<sheet::Worksheet> activeModel(IApplication& app) {
    return std::dynamic_pointer_cast<sheet::Worksheet>(app.activeSheet());
}

std::string shown(const Variant& v) {
    if (v.isEmpty()) return "(empty)";
    if (v.isNull()) return "(null)";
    return v.toString();
}
} // namespace

bool HeadlessSession::play(const HeadlessAction& a, IAddinEntry& entry, IApplication& app,
                           DialogScript& script) {
    using Kind = HeadlessAction::Kind;
    (void)script;
    try {
        switch (a.kind) {
        case Kind::Answers:
            return true;
        case Kind::Pick: {
            fmt::print("> pick {}{}\n", a.target, a.index ? fmt::format(" {}", a.index) : std::string());
            const std::string& c = a.target;
            // Only the controls whose state the add-in keeps can be disabled.
            const bool stateful = std::find(std::begin(kEnabledControls), std::end(kEnabledControls), c) !=
                                  std::end(kEnabledControls);
            if (stateful && !entry.GetEnabled(c)) {
                fmt::print("  {} is disabled\n", c);
                return true;
            }
            if (c == "cmdOpenDB")
                entry.GetDatabase();
            else if (c == "cboTables")
                entry.Show(a.index);
            else if (c == "cboQueries")
                entry.ExecuteQuery(a.index);
            else if (c == "cboViews")
                entry.ExecuteView(a.index);
            else if (c == "cmdRowAdd")
                entry.AddRow();
            else if (c == "cmdRowUpdate")
                entry.WriteData();
            else if (c == "cmdRowDelete")
                entry.DeleteRows();
            else if (c == "cmdRefresh")
                entry.Refresh();
            else if (c == "cmdExecSql")
                entry.ExecuteSQL();
            else if (c == "cmdSettings")
                entry.ShowSettings();
            else if (c == "cmdHelp")
                entry.ShowHelp();
            else if (c == "cmdInfo")
                entry.ShowInfo();
            else if (c == "cmdClose")
                entry.CloseWorkbook();
            else {
                fmt::print("  line {}: no ribbon control {}\n", a.line, c);
                return false;
            }
            return true;
        }
        case Kind::Key: {
            fmt::print("> key {}\n", a.target);
            const std::string bound = app.keyBinding("{" + a.target + "}");
            if (bound.empty()) {
                fmt::print("  {} is not bound\n", a.target);
                return true;
            }
            app.run(bound);
            return true;
        }
        case Kind::Select:
            fmt::print("> select {}\n", a.target);
            app.activeSheet()->range(a.target)->select();
            return true;
        case Kind::Enter: {
            fmt::print("> enter {} \"{}\"\n", a.target, a.text);
            auto sheet = activeModel(app);
            RangePtr cell = app.activeSheet()->range(a.target);
            if (!sheet || !sheet->typeInto(cell->row(), cell->column(), a.text))
                fmt::print("  not entered\n");
            return true;
        }
        case Kind::Paste: {
            fmt::print("> paste {} ({} rows)\n", a.target, a.rows.size());
            auto sheet = activeModel(app);
            if (!sheet) return false;
            app.activeSheet()->range(a.target)->select();
            sheet->pasteValues(a.rows);
            return true;
        }
        case Kind::Show: {
            if (a.target == "message") {
                fmt::print("= message \"{}\"\n", lines(mLastMessage));
                return true;
            }
            if (a.target == "status") {
                fmt::print("= status \"{}\"\n", app.statusBar());
                return true;
            }
            RangePtr range = app.activeSheet()->range(a.subject);
            fmt::print("= {} {} of sheet \"{}\"\n", a.target, range->address(false, false),
                       app.activeSheet()->name());
            for (long r = 1; r <= range->rowCount(); ++r) {
                std::string row;
                for (long c = 1; c <= range->columnCount(); ++c) {
                    RangePtr cell = range->cell(r, c);
                    std::string v;
                    if (a.target == "values")
                        v = shown(cell->value());
                    else if (a.target == "texts")
                        v = cell->text();
                    else if (a.target == "colors")
                        v = shown(cell->fillColor());
                    else
                        v = shown(cell->locked());
                    row += (c > 1 ? "\t" : "") + v;
                }
                fmt::print("  {}\n", row);
            }
            return true;
        }
        }
    } catch (const NumberedError& e) {
        // The host refusing what a person tried (a protected cell, a bad address) is what they
        // would see; the run goes on.
        fmt::print("  refused: error {}: {}\n", e.number(), lines(e.description()));
        return true;
    }
    return true;
}

} // namespace qv::app
