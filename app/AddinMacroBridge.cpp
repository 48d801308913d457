#include "app/AddinMacroBridge.h"

#include "platform/IAddinEntry.h"
#include "platform/host/IRibbonUI.h"
#include "spreadsheet/model/Application.h"

#include <map>
#include <string>

namespace qv::app {

namespace {
struct BridgeState {
    std::weak_ptr<IAddinEntry> entry;
    Variant ribbon;                    // the handle onLoad received
    std::map<std::string, int> picked; // drop-down id -> the index last picked
    std::shared_ptr<IAddinEntry> get() const { return entry.lock(); }
    void invalidate() const {
        if (auto ui = RibbonUIHandles::find(ribbon)) ui->invalidate();
    }
};

std::string arg(const std::vector<Variant>& args, std::size_t i) {
    return i < args.size() && !args[i].isEmpty() ? args[i].toString() : std::string();
}

std::optional<std::vector<std::string>> listOf(IAddinEntry& e, const std::string& id) {
    if (id == "cboTables") return e.TableList();
    if (id == "cboQueries") return e.QueryList();
    if (id == "cboViews") return e.ViewList();
    return std::nullopt;
}
} // namespace

int AddinMacroBridge::install(sheet::Application& app, const std::shared_ptr<IWorkbook>& owner,
                              const std::shared_ptr<IAddinEntry>& entry) {
    auto state = std::make_shared<BridgeState>();
    state->entry = entry;
    int added = 0;
    auto add = [&](const std::string& name, Macro m) {
        if (app.hasMacro(name)) return;
        app.registerMacro(owner, name, std::move(m));
        ++added;
    };
    // An action forwarded to the entry, then the ribbon asked again.
    auto action = [&](const std::string& name, void (IAddinEntry::*member)()) {
        Macro m = [state, member](const std::vector<Variant>&) {
            if (auto e = state->get()) ((*e).*member)();
            state->invalidate();
            return Variant();
        };
        add("Ribbon." + name, m);
        add("ThisWorkbook." + name, m);
    };
    action("GetDatabase", &IAddinEntry::GetDatabase);
    action("ExecuteSQL", &IAddinEntry::ExecuteSQL);
    action("AddRow", &IAddinEntry::AddRow);
    action("WriteData", &IAddinEntry::WriteData);
    action("DeleteRows", &IAddinEntry::DeleteRows);
    action("Refresh", &IAddinEntry::Refresh);
    action("ShowHelp", &IAddinEntry::ShowHelp);
    action("ShowInfo", &IAddinEntry::ShowInfo);
    action("ShowSettings", &IAddinEntry::ShowSettings);
    action("ShowAllSheets", &IAddinEntry::ShowAllSheets);
    action("CloseWorkbook", &IAddinEntry::CloseWorkbook);
    action("Init", &IAddinEntry::SayHello);
    // Drop-down picks: (control, item id, index).
    auto pick = [&](const std::string& name, void (IAddinEntry::*member)(int)) {
        add("Ribbon." + name, [state, member](const std::vector<Variant>& args) {
            const int index = args.size() > 2 ? args[2].toInt32() : 0;
            state->picked[arg(args, 0)] = index;
            // The ribbon counts items from 0, the add-in's lists from 1.
            if (auto e = state->get()) ((*e).*member)(index + 1);
            state->invalidate();
            return Variant();
        });
    };
    pick("Show", &IAddinEntry::Show);
    pick("ExecuteQuery", &IAddinEntry::ExecuteQuery);
    pick("ExecuteView", &IAddinEntry::ExecuteView);

    add("Ribbon.ribbonLoaded", [state](const std::vector<Variant>& args) {
        if (!args.empty()) state->ribbon = args[0];
        return Variant();
    });
    add("Ribbon.GetLabel", [state](const std::vector<Variant>& args) {
        auto e = state->get();
        return e ? Variant(e->GetLabel(arg(args, 0))) : Variant();
    });
    add("Ribbon.GetImage", [state](const std::vector<Variant>& args) {
        auto e = state->get();
        return e ? Variant(e->GetImage(arg(args, 0))) : Variant();
    });
    add("Ribbon.GetEnabled", [state](const std::vector<Variant>& args) {
        auto e = state->get();
        return e ? Variant(e->GetEnabled(arg(args, 0))) : Variant();
    });
    add("Ribbon.GetVisible", [state](const std::vector<Variant>& args) {
        auto e = state->get();
        return e ? Variant(e->GetVisible(arg(args, 0))) : Variant();
    });
    // Toggle buttons spring back: the ribbon shows them as commands, not as states.
    add("Ribbon.TogglebuttonPressed", [](const std::vector<Variant>&) { return Variant(false); });
    add("Ribbon.DDGetItemCount", [state](const std::vector<Variant>& args) {
        auto e = state->get();
        auto list = e ? listOf(*e, arg(args, 0)) : std::nullopt;
        return Variant(list ? static_cast<int>(list->size()) : 0);
    });
    add("Ribbon.DDGetItemLabel", [state](const std::vector<Variant>& args) {
        auto e = state->get();
        auto list = e ? listOf(*e, arg(args, 0)) : std::nullopt;
        const int i = args.size() > 1 ? args[1].toInt32() : -1;
        if (!list || i < 0 || i >= static_cast<int>(list->size())) return Variant(std::string());
        return Variant((*list)[static_cast<std::size_t>(i)]);
    });
    add("Ribbon.DDGetSelectedItemIndex", [state](const std::vector<Variant>& args) {
        auto it = state->picked.find(arg(args, 0));
        return Variant(it == state->picked.end() ? -1 : it->second);
    });
    return added;
}

} // namespace qv::app
