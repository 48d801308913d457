// Answers are cached per control, as the host caches them: a callback runs when its control is
// first drawn and again only after the workbook invalidated the ribbon or that control. The
// ribbon object handed to onLoad holds the cache weakly, so a workbook that keeps it after the
// window closed invalidates nothing instead of reaching freed memory.
#include "spreadsheet/commandbars/RibbonRuntime.h"

#include <fmt/format.h>

#include <algorithm>
#include <map>
#include <optional>

namespace qv::sheet {

namespace {

constexpr const char* kSource = "Ribbon";
constexpr int kMaxItems = 10000; // a getItemCount answer beyond this is a fault, not a list

std::optional<bool> staticFlag(const RibbonNode& n, const char* name) {
    const auto* v = n.attribute(name);
    if (!v) return std::nullopt;
    if (*v == "true" || *v == "1") return true;
    if (*v == "false" || *v == "0") return false;
    return std::nullopt;
}

} // namespace

struct RibbonRuntime::State {
    std::map<const RibbonNode*, RibbonControlState> cache; // each control's own state, no children
    std::map<std::string, const RibbonNode*> byId;
    std::map<const RibbonNode*, const RibbonNode*> parent;
    std::function<void()> listener;
    std::uint64_t revision = 0;
    std::vector<NumberedError> errors;

    void index(const RibbonNode& n, const RibbonNode* up) {
        if (!n.id.empty()) byId.emplace(n.id, &n);
        parent[&n] = up;
        for (const auto& c : n.children)
            index(c, &n);
    }
    void changed() {
        ++revision;
        if (listener) {
            const auto l = listener; // the listener may replace itself
            l();
        }
    }
};

class RibbonRuntime::UI : public IRibbonUI {
  public:
    explicit UI(std::weak_ptr<State> state) : mState(std::move(state)) {}
    void invalidate() override {
        if (auto s = mState.lock()) {
            s->cache.clear();
            s->changed();
        }
    }
    void invalidateControl(const std::string& controlId) override {
        auto s = mState.lock();
        if (!s) return;
        const auto it = s->byId.find(controlId);
        if (it == s->byId.end()) return; // the host ignores ids it does not know
        s->cache.erase(it->second);
        s->changed();
    }

  private:
    std::weak_ptr<State> mState;
};

RibbonRuntime::RibbonRuntime(IApplication& app, RibbonDefinition definition)
    : mApp(app), mDefinition(std::move(definition)), mState(std::make_shared<State>()) {
    for (const auto& tab : mDefinition.tabs)
        mState->index(tab, nullptr);
    mUI = std::make_shared<UI>(mState);
    mHandle = RibbonUIHandles::add(mUI);
}

RibbonRuntime::~RibbonRuntime() {
    RibbonUIHandles::remove(mHandle);
}

std::unique_ptr<RibbonRuntime> RibbonRuntime::load(IApplication& app, const std::string& xml) {
    auto runtime = std::make_unique<RibbonRuntime>(app, RibbonDefinition::parse(xml));
    runtime->start();
    return runtime;
}

void RibbonRuntime::start() {
    if (mDefinition.onLoad.empty()) return;
    try {
        mApp.run(mDefinition.onLoad, {Variant(mHandle)});
    } catch (const NumberedError& e) {
        mState->errors.push_back(e);
    }
}

void RibbonRuntime::setInvalidationListener(std::function<void()> listener) {
    mState->listener = std::move(listener);
}
std::uint64_t RibbonRuntime::revision() const {
    return mState->revision;
}

std::vector<NumberedError> RibbonRuntime::takeCallbackErrors() {
    std::vector<NumberedError> out;
    out.swap(mState->errors);
    return out;
}

const RibbonNode& RibbonRuntime::node(const std::string& controlId) const {
    const auto it = mState->byId.find(controlId);
    if (it == mState->byId.end())
        throw NumberedError(err::InvalidProcedureCall, kSource,
                            "The ribbon has no control \"" + controlId + "\"");
    return *it->second;
}

Variant RibbonRuntime::run(const std::string& macro, const std::vector<Variant>& args) {
    return mApp.run(macro, args);
}

RibbonControlState RibbonRuntime::compute(const RibbonNode& n) {
    RibbonControlState s;
    s.id = n.id;
    s.kind = n.kind;
    s.builtIn = n.builtIn;
    if (const auto* t = n.attribute("tag")) s.tag = *t;
    if (const auto* w = n.attribute("sizeString")) s.sizeString = *w;
    const Variant id(n.id);

    // Asks a callback; an empty answer or a failure leaves the static value or the default.
    auto ask = [&](const char* callback, std::vector<Variant> args, auto convert) -> bool {
        const auto* macro = n.attribute(callback);
        if (!macro || macro->empty()) return false;
        try {
            const Variant v = mApp.run(*macro, args);
            if (v.isEmpty()) return false;
            convert(v);
            return true;
        } catch (const NumberedError& e) {
            mState->errors.emplace_back(
                e.number(), e.source(),
                fmt::format("{} of \"{}\" ({}): {}", callback, n.id, *macro, e.description()));
            return false;
        }
    };
    auto text = [&](std::string& out, const char* attr, const char* callback) {
        if (ask(callback, {id}, [&](const Variant& v) { out = v.toString(); })) return;
        if (const auto* a = n.attribute(attr)) out = *a;
    };
    auto flag = [&](bool& out, const char* attr, const char* callback) {
        if (ask(callback, {id}, [&](const Variant& v) { out = v.toBool(); })) return;
        if (auto f = staticFlag(n, attr)) out = *f;
    };

    text(s.label, "label", "getLabel");
    text(s.image, "image", "getImage");
    if (const auto* m = n.attribute("imageMso")) s.imageMso = *m;
    text(s.screentip, "screentip", "getScreentip");
    text(s.supertip, "supertip", "getSupertip");
    text(s.keytip, "keytip", "getKeytip");
    text(s.description, "description", "getDescription");
    if (!ask("getSize", {id}, [&](const Variant& v) {
            s.size = v.isString() ? v.str() : (v.toInt32() == 1 ? "large" : "normal");
        }))
        if (const auto* a = n.attribute("size")) s.size = *a;
    flag(s.enabled, "enabled", "getEnabled");
    flag(s.visible, "visible", "getVisible");
    flag(s.showLabel, "showLabel", "getShowLabel");
    flag(s.showImage, "showImage", "getShowImage");
    if (n.kind == RibbonControlKind::ToggleButton || n.kind == RibbonControlKind::CheckBox)
        ask("getPressed", {id}, [&](const Variant& v) { s.pressed = v.toBool(); });
    if (n.kind == RibbonControlKind::EditBox || n.kind == RibbonControlKind::ComboBox)
        ask("getText", {id}, [&](const Variant& v) { s.text = v.toString(); });

    const bool list = n.kind == RibbonControlKind::DropDown || n.kind == RibbonControlKind::ComboBox ||
                      n.kind == RibbonControlKind::Gallery;
    if (!list) return s;
    int count = -1;
    ask("getItemCount", {id}, [&](const Variant& v) { count = std::clamp(v.toInt32(), 0, kMaxItems); });
    if (count < 0 && n.attribute("getItemCount")) count = 0; // asked, but no answer: an empty list
    if (count >= 0) {
        for (int i = 0; i < count; ++i) {
            RibbonItemState item;
            ask("getItemID", {id, Variant(i)}, [&](const Variant& v) { item.id = v.toString(); });
            ask("getItemLabel", {id, Variant(i)}, [&](const Variant& v) { item.label = v.toString(); });
            ask("getItemImage", {id, Variant(i)}, [&](const Variant& v) { item.image = v.toString(); });
            s.items.push_back(std::move(item));
        }
    } else {
        for (const auto& it : n.items)
            s.items.push_back({it.id, it.label, it.image.empty() ? it.imageMso : it.image});
    }
    // The host shows the first item until told otherwise.
    s.selectedIndex = s.items.empty() || n.kind == RibbonControlKind::ComboBox ? -1 : 0;
    if (!ask("getSelectedItemIndex", {id}, [&](const Variant& v) { s.selectedIndex = v.toInt32(); })) {
        ask("getSelectedItemID", {id}, [&](const Variant& v) {
            const std::string want = v.toString();
            for (std::size_t i = 0; i < s.items.size(); ++i)
                if (s.items[i].id == want) s.selectedIndex = static_cast<int>(i);
        });
    }
    if (s.selectedIndex < -1 || s.selectedIndex >= static_cast<int>(s.items.size())) s.selectedIndex = -1;
    return s;
}

const RibbonControlState& RibbonRuntime::own(const RibbonNode& n) {
    if (const auto it = mState->cache.find(&n); it != mState->cache.end()) return it->second;
    RibbonControlState s = compute(n);
    return mState->cache.insert_or_assign(&n, std::move(s)).first->second;
}

RibbonControlState RibbonRuntime::tree(const RibbonNode& n) {
    RibbonControlState s = own(n); // a copy: later callbacks may invalidate the cache
    s.children.reserve(n.children.size());
    for (const auto& c : n.children)
        s.children.push_back(tree(c));
    return s;
}

std::vector<RibbonControlState> RibbonRuntime::snapshot() {
    std::vector<RibbonControlState> tabs;
    tabs.reserve(mDefinition.tabs.size());
    for (const auto& t : mDefinition.tabs)
        tabs.push_back(tree(t));
    return tabs;
}

RibbonControlState RibbonRuntime::state(const std::string& controlId) {
    return tree(node(controlId));
}

bool RibbonRuntime::reachable(const RibbonNode& n) {
    for (const RibbonNode* p = &n; p; p = mState->parent[p]) {
        const RibbonControlState s = own(*p);
        if (!s.enabled || !s.visible) return false;
    }
    return true;
}

bool RibbonRuntime::click(const std::string& controlId) {
    const RibbonNode& n = node(controlId);
    const bool toggle = n.kind == RibbonControlKind::ToggleButton || n.kind == RibbonControlKind::CheckBox;
    if (n.kind != RibbonControlKind::Button && !toggle)
        throw NumberedError(err::InvalidProcedureCall, kSource,
                            "The ribbon control \"" + controlId + "\" cannot be pressed");
    if (!reachable(n)) return false;
    const auto* action = n.attribute("onAction");
    if (!action || action->empty()) return false;
    if (!toggle) {
        run(*action, {Variant(n.id)});
        return true;
    }
    // The host flips the shown state at once and passes the new one.
    const bool pressed = !own(n).pressed;
    if (auto it = mState->cache.find(&n); it != mState->cache.end()) it->second.pressed = pressed;
    run(*action, {Variant(n.id), Variant(pressed)});
    return true;
}

bool RibbonRuntime::select(const std::string& controlId, int index) {
    const RibbonNode& n = node(controlId);
    if (n.kind != RibbonControlKind::DropDown && n.kind != RibbonControlKind::Gallery &&
        n.kind != RibbonControlKind::ComboBox)
        throw NumberedError(err::InvalidProcedureCall, kSource,
                            "The ribbon control \"" + controlId + "\" has no items to pick");
    if (!reachable(n)) return false;
    const RibbonControlState s = own(n);
    if (index < 0 || index >= static_cast<int>(s.items.size()))
        throw NumberedError(err::SubscriptOutOfRange, kSource,
                            fmt::format("The ribbon control \"{}\" has no item {} (it has {})", controlId,
                                        index, s.items.size()));
    const RibbonItemState item = s.items[static_cast<std::size_t>(index)];
    if (auto it = mState->cache.find(&n); it != mState->cache.end()) {
        it->second.selectedIndex = n.kind == RibbonControlKind::ComboBox ? -1 : index;
        if (n.kind == RibbonControlKind::ComboBox) it->second.text = item.label;
    }
    if (n.kind == RibbonControlKind::ComboBox) {
        const auto* change = n.attribute("onChange");
        if (!change || change->empty()) return false;
        run(*change, {Variant(n.id), Variant(item.label)});
        return true;
    }
    const auto* action = n.attribute("onAction");
    if (!action || action->empty()) return false;
    run(*action, {Variant(n.id), Variant(item.id), Variant(index)});
    return true;
}

bool RibbonRuntime::change(const std::string& controlId, const std::string& text) {
    const RibbonNode& n = node(controlId);
    if (n.kind != RibbonControlKind::EditBox && n.kind != RibbonControlKind::ComboBox)
        throw NumberedError(err::InvalidProcedureCall, kSource,
                            "The ribbon control \"" + controlId + "\" takes no text");
    if (!reachable(n)) return false;
    own(n);
    if (auto it = mState->cache.find(&n); it != mState->cache.end()) it->second.text = text;
    const auto* onChange = n.attribute("onChange");
    if (!onChange || onChange->empty()) return false;
    run(*onChange, {Variant(n.id), Variant(text)});
    return true;
}

} // namespace qv::sheet
