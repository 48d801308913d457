#include "host/workbook/ThisWorkbook.h"

#include "platform/IDialogs.h"
#include "platform/IShell.h"
#include "platform/NumberedError.h"
#include "platform/host/HostConstants.h"

#include <fmt/format.h>

namespace qv::xlam {

namespace {
// The workbook's folder as its full path without the file name.
std::string folderOf(const IWorkbook& book) {
    std::string full = book.fullName();
    const std::size_t slash = full.find_last_of('/');
    return slash == std::string::npos ? std::string() : full.substr(0, slash);
}

int revisionOf(const IWorkbook& book) {
    const Variant v = book.builtinProperty("Revision Number");
    if (v.isNumber()) return v.toInt32();
    // Packages keep the revision as text; a value that is not a whole number names no edition.
    const std::string text = v.isEmpty() ? std::string() : v.toString();
    if (text.empty() || text.size() > 9 || text.find_first_not_of("0123456789") != std::string::npos)
        throw NumberedError(13, "ThisWorkbook",
                            "Type mismatch: the revision number \"" + text + "\" is not a number");
    return std::stoi(text);
}
} // namespace

IAddinEntry& ThisWorkbook::quorvel() {
    if (!g.goQuorvel)
        throw NumberedError(ERR_OBJECT_NOT_SET, "ThisWorkbook",
                            "Object variable or With block variable not set");
    return *g.goQuorvel;
}

void ThisWorkbook::report(const std::string& text) {
    if (g.services && g.services->dialogs)
        g.services->dialogs->messageBox(text, xl::MsgExclamation, APP_NAME);
}

void ThisWorkbook::createQuorvel(int revision) {
    IObjectFactory* objects = g.services ? g.services->objects : nullptr;
    if (!objects) throw NumberedError(429, "ThisWorkbook", "ActiveX component can't create object");
    const std::string progId = className(revision);
    auto create = [&] {
        g.quorvelObject = objects->createObject(progId);
        g.goQuorvel = objectAs<IAddinEntry>(g.quorvelObject);
        if (!g.goQuorvel) {
            g.quorvelObject.reset();
            throw NumberedError(429, "ThisWorkbook", "ActiveX component can't create object: " + progId);
        }
    };
    try {
        create();
        return;
    } catch (...) {
        g.releaseQuorvel();
    }
    const WorkbookPtr book = g.thisWorkbook.lock();
    const std::string folder = book ? folderOf(*book) : std::string();
    const std::string file = libraryFileName(revision);
    const std::string path = folder + "/" + file;
    IShell* shell = g.services->shell;
    if (!shell || !shell->fileExists(path))
        throw NumberedError(ERR_NO_DLL, "ThisWorkbook",
                            fmt::format("Library {} not found in folder\r{}", file, folder));
    objects->registerServer(path);
    if (auto app = g.application.lock()) app->doEvents();
    create();
}

void ThisWorkbook::Initialize() {
    try {
        mExcel.reset();
        mExcel = std::make_unique<clsExcel>(g, [this] { mRibbon.Init(); });
        const WorkbookPtr book = g.thisWorkbook.lock();
        if (!book) throw NumberedError(ERR_OBJECT_NOT_SET, "ThisWorkbook", "The add-in workbook is gone");
        const int revision = revisionOf(*book);
        g.releaseQuorvel();
        createQuorvel(revision);
        g.goQuorvel->Initialize(book);
        if (auto app = g.application.lock()) app->onTime("ThisWorkbook.ShowFirstMessage");
    } catch (const NumberedError& e) {
        if (e.number() == ERR_NO_DLL) {
            report(e.description());
        } else {
            report(fmt::format(
                "An unexpected error occured:\r{} ({}).\r\rIf this error persists, please write to {}.",
                e.description(), e.number(), SupportAddress));
        }
    } catch (const std::exception& e) {
        report(fmt::format(
            "An unexpected error occured:\r{} ({}).\r\rIf this error persists, please write to {}.", e.what(),
            440, SupportAddress));
    }
}

void ThisWorkbook::Workbook_AddinUninstall() {
    if (g.goQuorvel) g.goQuorvel->AddinUninstall();
}

void ThisWorkbook::ShowFirstMessage() {
    if (g.goQuorvel) g.goQuorvel->ShowFirstMessage();
}

void ThisWorkbook::AddRow() {
    quorvel().AddRow();
}

void ThisWorkbook::WriteData() {
    quorvel().WriteData();
    mRibbon.InvalidateRibbon();
}

void ThisWorkbook::DeleteRows() {
    quorvel().DeleteRows();
    mRibbon.InvalidateRibbon();
}

void ThisWorkbook::Refresh() {
    quorvel().Refresh();
    mRibbon.InvalidateRibbon();
}

void ThisWorkbook::MenuCommand(const std::string& name) {
    IAddinEntry& q = quorvel();
    if (name == "GetDatabase")
        q.GetDatabase();
    else if (name == "ExecuteSQL")
        q.ExecuteSQL();
    else if (name == "ShowSettings")
        q.ShowSettings();
    else if (name == "ShowHelp")
        q.ShowHelp();
    else if (name == "ShowInfo")
        q.ShowInfo();
    else if (name == "CloseWorkbook")
        q.CloseWorkbook();
    mRibbon.InvalidateRibbon();
}

void ThisWorkbook::MenuListItem(const std::string& name, const std::vector<Variant>& args) {
    int index = !args.empty() && args[0].isNumber() ? args[0].toInt32() : 0;
    if (auto app = g.application.lock(); index == 0 && app)
        if (CommandBarControlPtr c = app->commandBars()->actionControl())
            index = static_cast<int>(c->index());
    if (index <= 0) return;
    IAddinEntry& q = quorvel();
    if (name == "Show")
        q.Show(index);
    else if (name == "ExecuteQuery")
        q.ExecuteQuery(index);
    else if (name == "ExecuteView")
        q.ExecuteView(index);
    mRibbon.InvalidateRibbon();
}

void ThisWorkbook::registerMacros(IApplication& app, const WorkbookPtr& owner,
                                  const std::shared_ptr<void>& keepAlive) {
    auto reg = [&](const char* name, std::function<void()> body) {
        app.registerMacro(owner, fmt::format("ThisWorkbook.{}", name),
                          [keepAlive, body](const std::vector<Variant>&) {
                              body();
                              return Variant();
                          });
    };
    reg("Workbook_Open", [this] { Workbook_Open(); });
    reg("Workbook_AddinUninstall", [this] { Workbook_AddinUninstall(); });
    reg("ShowFirstMessage", [this] { ShowFirstMessage(); });
    reg("AddRow", [this] { AddRow(); });
    reg("WriteData", [this] { WriteData(); });
    reg("DeleteRows", [this] { DeleteRows(); });
    reg("Refresh", [this] { Refresh(); });
    for (const char* name :
         {"GetDatabase", "ExecuteSQL", "ShowSettings", "ShowHelp", "ShowInfo", "CloseWorkbook"})
        reg(name, [this, n = std::string(name)] { MenuCommand(n); });
    for (const char* name : {"Show", "ExecuteQuery", "ExecuteView"})
        app.registerMacro(owner, fmt::format("ThisWorkbook.{}", name),
                          [this, keepAlive, n = std::string(name)](const std::vector<Variant>& args) {
                              MenuListItem(n, args);
                              return Variant();
                          });
}

} // namespace qv::xlam
