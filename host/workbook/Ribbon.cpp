#include "host/workbook/Ribbon.h"

#include "platform/NumberedError.h"

#include <fmt/format.h>

namespace qv::xlam {

namespace {
constexpr const char* CBO_TABLES = "cboTables";
constexpr const char* CBO_QUERIES = "cboQueries";
constexpr const char* FallbackImage = "TableDeleteRowsAndColumnsMenuWord";

std::string argText(const std::vector<Variant>& args, std::size_t i) {
    return i < args.size() && !args[i].isEmpty() ? args[i].toString() : std::string();
}
int argInt(const std::vector<Variant>& args, std::size_t i) {
    return i < args.size() && args[i].isNumber() ? args[i].toInt32() : 0;
}
std::size_t listItemCount(const std::optional<std::vector<std::string>>& list) {
    if (!list)
        throw NumberedError(ERR_OBJECT_NOT_SET, "Ribbon", "Object variable or With block variable not set");
    return list->size();
}
const std::string& listItem(const std::optional<std::vector<std::string>>& list, int index) {
    if (!list)
        throw NumberedError(ERR_OBJECT_NOT_SET, "Ribbon", "Object variable or With block variable not set");
    if (index < 1 || static_cast<std::size_t>(index) > list->size())
        throw NumberedError(9, "Ribbon", "Subscript out of range");
    return (*list)[static_cast<std::size_t>(index) - 1];
}
} // namespace

std::string libraryFileName(int revision) {
    return fmt::format("lib{}{}.so", APP_NAME, revision);
}
std::string className(int revision) {
    return fmt::format("{}.Interface{}", APP_NAME, revision);
}

IAddinEntry& Ribbon::quorvel() {
    if (!g.goQuorvel)
        throw NumberedError(ERR_OBJECT_NOT_SET, "Ribbon", "Object variable or With block variable not set");
    return *g.goQuorvel;
}

// The trap of the action callbacks: whatever failed, the ribbon asks its states again.
template <class F> void Ribbon::action(F&& body) {
    try {
        body();
    } catch (...) {
        InvalidateRibbon();
    }
}

template <class F> Variant Ribbon::state(F&& body) {
    try {
        return body();
    } catch (...) {
        return Variant();
    }
}

void Ribbon::ribbonLoaded(const Variant& ribbon) {
    auto app = g.application.lock();
    g.goRibbon = app ? app->ribbonUI(ribbon) : RibbonUIHandles::find(ribbon);
}

void Ribbon::GetDatabase() {
    action([&] { quorvel().GetDatabase(); });
    InvalidateRibbon();
}

// Item 0 is "[Choose]": picking it does nothing, which is why a one-table list still fires.
void Ribbon::Show(int index) {
    if (index <= 0) return;
    action([&] {
        quorvel().Show(index);
        InvalidateRibbon();
    });
}

// An action query may change what is enabled.
void Ribbon::ExecuteQuery(int index) {
    if (index <= 0) return;
    action([&] {
        quorvel().ExecuteQuery(index);
        InvalidateRibbon();
    });
}

void Ribbon::ExecuteView(int index) {
    if (index <= 0) return;
    action([&] { quorvel().ExecuteView(index); });
}

void Ribbon::ExecuteSQL() {
    action([&] { quorvel().ExecuteSQL(); });
    InvalidateRibbon();
}

// The control is invalidated first so that its pressed state is asked again.
void Ribbon::AddRow(const std::string& controlId) {
    action([&] {
        InvalidateRibbonControl(controlId);
        quorvel().AddRow();
    });
}

void Ribbon::WriteData() {
    action([&] { quorvel().WriteData(); });
    InvalidateRibbon();
}

void Ribbon::DeleteRows() {
    action([&] { quorvel().DeleteRows(); });
    InvalidateRibbon();
}

void Ribbon::Refresh() {
    action([&] { quorvel().Refresh(); });
    InvalidateRibbon();
}

void Ribbon::ShowSettings(const std::string& controlId) {
    action([&] {
        InvalidateRibbonControl(controlId);
        quorvel().ShowSettings();
    });
}

void Ribbon::ShowHelp() {
    action([&] { quorvel().ShowHelp(); });
}

void Ribbon::ShowInfo() {
    action([&] { quorvel().ShowInfo(); });
    InvalidateRibbon();
}

void Ribbon::CloseWorkbook() {
    action([&] { quorvel().CloseWorkbook(); });
    InvalidateRibbon();
}

void Ribbon::ShowAllSheets() {
    action([&] { quorvel().ShowAllSheets(); });
    InvalidateRibbon();
}

void Ribbon::Init() {
    if (!g.goQuorvel) return;
    try {
        InvalidateRibbon();
    } catch (...) {
    }
}

Variant Ribbon::GetEnabled(const std::string& controlId) {
    if (!g.goQuorvel) return Variant(false);
    return state([&] { return Variant(quorvel().GetEnabled(controlId)); });
}

Variant Ribbon::GetVisible(const std::string& controlId) {
    if (!g.goQuorvel) return Variant(true);
    return state([&] { return Variant(quorvel().GetVisible(controlId)); });
}

Variant Ribbon::GetLabel(const std::string& controlId) {
    if (!g.goQuorvel) return Variant(controlId);
    return state([&] { return Variant(quorvel().GetLabel(controlId)); });
}

Variant Ribbon::GetImage(const std::string& controlId) {
    if (!g.goQuorvel) return Variant(FallbackImage);
    return state([&] { return Variant(quorvel().GetImage(controlId)); });
}

// The extra item is "[Choose]"; the views drop-down gets no count, so it stays as defined.
Variant Ribbon::DDGetItemCount(const std::string& controlId) {
    return state([&]() -> Variant {
        if (!g.goQuorvel) return Variant();
        IAddinEntry& q = quorvel();
        if (!q.DataSourceExists()) return Variant(0);
        if (controlId == CBO_TABLES) return Variant(static_cast<int>(listItemCount(q.TableList())) + 1);
        if (controlId == CBO_QUERIES) return Variant(static_cast<int>(listItemCount(q.QueryList())) + 1);
        return Variant();
    });
}

Variant Ribbon::DDGetItemLabel(const std::string& controlId, int index) {
    return state([&]() -> Variant {
        if (!g.goQuorvel) return Variant();
        IAddinEntry& q = quorvel();
        if (index == 0) return Variant(q.GetLabel(controlId));
        if (controlId == CBO_TABLES) return Variant(listItem(q.TableList(), index));
        if (controlId == CBO_QUERIES) return Variant(listItem(q.QueryList(), index));
        return Variant();
    });
}

void Ribbon::InvalidateRibbon() {
    if (RibbonUIPtr ribbon = g.goRibbon.lock()) ribbon->invalidate();
}

void Ribbon::InvalidateRibbonControl(const std::string& controlId) {
    if (RibbonUIPtr ribbon = g.goRibbon.lock()) ribbon->invalidateControl(controlId);
}

void Ribbon::registerMacros(IApplication& app, const WorkbookPtr& owner,
                            const std::shared_ptr<void>& keepAlive) {
    auto reg = [&](const char* name, Macro m) {
        app.registerMacro(owner, fmt::format("Ribbon.{}", name),
                          [keepAlive, m = std::move(m)](const std::vector<Variant>& a) { return m(a); });
    };
    auto none = [](auto f) {
        return [f](const std::vector<Variant>& a) {
            f(a);
            return Variant();
        };
    };
    reg("ribbonLoaded", none([this](const auto& a) { ribbonLoaded(a.empty() ? Variant() : a[0]); }));
    reg("GetDatabase", none([this](const auto&) { GetDatabase(); }));
    // Drop-down actions receive (control, selected id, selected index).
    reg("Show", none([this](const auto& a) { Show(argInt(a, 2)); }));
    reg("ExecuteQuery", none([this](const auto& a) { ExecuteQuery(argInt(a, 2)); }));
    reg("ExecuteView", none([this](const auto& a) { ExecuteView(argInt(a, 2)); }));
    reg("ExecuteSQL", none([this](const auto&) { ExecuteSQL(); }));
    reg("AddRow", none([this](const auto& a) { AddRow(argText(a, 0)); }));
    reg("WriteData", none([this](const auto&) { WriteData(); }));
    reg("DeleteRows", none([this](const auto&) { DeleteRows(); }));
    reg("Refresh", none([this](const auto&) { Refresh(); }));
    reg("ShowSettings", none([this](const auto& a) { ShowSettings(argText(a, 0)); }));
    reg("ShowHelp", none([this](const auto&) { ShowHelp(); }));
    reg("ShowInfo", none([this](const auto&) { ShowInfo(); }));
    reg("CloseWorkbook", none([this](const auto&) { CloseWorkbook(); }));
    reg("ShowAllSheets", none([this](const auto&) { ShowAllSheets(); }));
    reg("Init", none([this](const auto&) { Init(); }));
    reg("InvalidateRibbon", none([this](const auto&) { InvalidateRibbon(); }));
    reg("InvalidateRibbonControl", none([this](const auto& a) { InvalidateRibbonControl(argText(a, 0)); }));
    reg("GetEnabled", [this](const auto& a) { return GetEnabled(argText(a, 0)); });
    reg("GetVisible", [this](const auto& a) { return GetVisible(argText(a, 0)); });
    reg("GetLabel", [this](const auto& a) { return GetLabel(argText(a, 0)); });
    reg("GetImage", [this](const auto& a) { return GetImage(argText(a, 0)); });
    reg("TogglebuttonPressed", [this](const auto&) { return TogglebuttonPressed(); });
    reg("DDGetItemCount", [this](const auto& a) { return DDGetItemCount(argText(a, 0)); });
    reg("DDGetItemLabel", [this](const auto& a) { return DDGetItemLabel(argText(a, 0), argInt(a, 1)); });
    reg("DDGetSelectedItemIndex", [this](const auto&) { return DDGetSelectedItemIndex(); });
}

} // namespace qv::xlam
