// Small stand-ins for the services the common utilities talk to: an in-memory settings store,
// scripted message boxes and dialogs, an object factory with classes that fail, an in-memory
// registry, command-bar controls, and the few host facts the start-up checks read (version,
// key bindings, the add-in workbook's path and revision). Anything a test does not set up
// answers error 438, so a test that reaches further than it meant to fails loudly.
#pragma once

#include "common/ICB.h"
#include "common/ISettings.h"
#include "common/clsSettings.h"
#include "platform/DialogModel.h"
#include "platform/IDialogs.h"
#include "platform/IObjectFactory.h"
#include "platform/IRegistryStore.h"
#include "platform/NumberedError.h"
#include "platform/host/HostConstants.h"
#include "platform/host/IApplication.h"
#include "platform/host/IWorkbook.h"
#include "tests/support/ScriptedDialogs.h"

#include <deque>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace qv::test {

[[noreturn]] inline void unsupported() {
    throw NumberedError(438, "fake", "Object doesn't support this property or method");
}

// Settings in memory with the catalogue's defaults; every write is logged.
class FakeSettings : public ISettings {
  public:
    std::map<std::string, Variant> values;
    std::vector<std::pair<std::string, std::string>> writes; // name, value as text

    Variant GetSetting(const std::string& name) override {
        auto it = values.find(name);
        if (it != values.end() && !(it->second.isString() && it->second.str().empty())) return it->second;
        // The defaults are the real catalogue's, so a test cannot pass on a default the product
        // does not have.
        const SettingDefinition* d = clsSettings::Find(name);
        if (!d || d->defaultValue.isEmpty()) return Variant("");
        values[name] = d->defaultValue;
        return d->defaultValue;
    }
    void SaveSetting(int, const std::string& name, const Variant& value) override {
        values[name] = value;
        writes.emplace_back(name, value.toString());
    }
    Variant ReadSetting(const std::string& name) override {
        auto it = values.find(name);
        return it == values.end() ? Variant() : it->second;
    }
    bool IsMessageEnabled(const std::string& name) override {
        auto it = values.find(name);
        if (it == values.end()) {
            SaveSetting(1, name, Variant("True"));
            return true;
        }
        return it->second.toBool();
    }
};

// Shows a dialog by running a script on its model; the model must end closed.
class ScriptedToolkit : public IDialogToolkit {
  public:
    std::function<void(DialogModel&)> script = [](DialogModel& m) { m.click("cmdOK"); };
    int shown = 0;
    std::string lastCaption, lastText, lastCheckCaption;

    int showModal(DialogModel& model) override {
        ++shown;
        model.activate();
        lastCaption = model.caption();
        if (model.has("lblText")) lastText = model.control("lblText").caption;
        if (model.has("chkDontShowAgain")) lastCheckCaption = model.control("chkDontShowAgain").caption;
        script(model);
        if (!model.closed())
            throw NumberedError(err::InvalidProcedureCall, "toolkit", "the script left the dialog open");
        return model.result();
    }
};

class FakeObjectFactory : public IObjectFactory {
  public:
    std::set<std::string> failing;
    std::vector<std::string> created;
    ObjectPtr createObject(const std::string& progId) override {
        created.push_back(progId);
        if (failing.count(progId))
            throw NumberedError(err::CannotCreateObject, "fake", "ActiveX component can't create object");
        return std::make_shared<IObject>();
    }
    bool isRegistered(const std::string& progId) const override { return !failing.count(progId); }
};

class FakeControls;

class FakeControl : public ICommandBarControl {
  public:
    FakeControl(int type, std::string tag);
    int mType;
    std::string mTag, mCaption;
    bool mEnabled = true, mVisible = true, mRemoved = false;
    std::shared_ptr<FakeControls> mChildren;
    FakeControls* mOwner = nullptr;

    int type() const override { return mType; }
    long index() const override { return 0; }
    std::string tag() const override { return mTag; }
    void setTag(const std::string& t) override { mTag = t; }
    std::string caption() const override { return mCaption; }
    void setCaption(const std::string& c) override { mCaption = c; }
    std::string parameter() const override { return {}; }
    void setParameter(const std::string&) override {}
    int faceId() const override { return 0; }
    void setFaceId(int) override {}
    std::string onAction() const override { return {}; }
    void setOnAction(const std::string&) override {}
    std::string tooltipText() const override { return {}; }
    void setTooltipText(const std::string&) override {}
    bool beginGroup() const override { return false; }
    void setBeginGroup(bool) override {}
    bool enabled() const override { return mEnabled; }
    void setEnabled(bool e) override { mEnabled = e; }
    bool visible() const override { return mVisible; }
    void setVisible(bool v) override { mVisible = v; }
    void remove() override;
    std::shared_ptr<ICommandBarControls> controls() override;
};

class FakeControls : public ICommandBarControls {
  public:
    std::vector<std::shared_ptr<FakeControl>> items;
    long count() const override { return static_cast<long>(items.size()); }
    CommandBarControlPtr item(long index) const override {
        if (index < 1 || index > count())
            throw NumberedError(err::SubscriptOutOfRange, "fake", "Subscript out of range");
        return items[static_cast<std::size_t>(index - 1)];
    }
    CommandBarControlPtr add(int type, long = 0, bool = true) override { return addControl(type, ""); }
    CommandBarControlPtr findByCaption(const std::string&) const override { return nullptr; }
    std::shared_ptr<FakeControl> addControl(int type, const std::string& tag) {
        auto c = std::make_shared<FakeControl>(type, tag);
        c->mOwner = this;
        items.push_back(c);
        return c;
    }
};

inline FakeControl::FakeControl(int type, std::string tag) : mType(type), mTag(std::move(tag)) {
    if (type == xl::ControlPopup) mChildren = std::make_shared<FakeControls>();
}
inline void FakeControl::remove() {
    mRemoved = true;
    if (!mOwner) return;
    auto& v = mOwner->items;
    for (auto it = v.begin(); it != v.end(); ++it)
        if (it->get() == this) {
            v.erase(it);
            return;
        }
}
inline std::shared_ptr<ICommandBarControls> FakeControl::controls() {
    return mChildren;
}

// A menu-like surface: a popup whose direct controls are searched by tag.
class FakeCB : public ICB {
  public:
    std::shared_ptr<FakeControl> popup = std::make_shared<FakeControl>(xl::ControlPopup, "");
    bool exists = true;

    std::shared_ptr<FakeControl> add(int type, const std::string& tag) {
        return popup->mChildren->addControl(type, tag);
    }
    void AddObject() override { exists = true; }
    void DeleteObject() override { exists = false; }
    bool ObjectExists() override { return exists; }
    CommandBarControlPtr FindControlByTag(const std::string& sTag) override {
        if (!exists) return nullptr;
        for (auto& c : popup->mChildren->items)
            if (c->mTag == sTag) return c;
        return nullptr;
    }
    CBObject Object() override { return exists ? CBObject{popup, nullptr} : CBObject{}; }
};

// The add-in workbook: its path and document properties.
class FakeWorkbook : public IWorkbook {
  public:
    std::string mFullName = "/home/u/addins/Quorvel.xlam";
    std::map<std::string, Variant> props;

    std::shared_ptr<IApplication> application() const override { unsupported(); }
    std::string name() const override { return "Quorvel.xlam"; }
    std::string fullName() const override { return mFullName; }
    std::string path() const override { unsupported(); }
    void activate() override { unsupported(); }
    Variant builtinProperty(const std::string& n) const override {
        auto it = props.find(n);
        return it == props.end() ? Variant() : it->second;
    }
    void setBuiltinProperty(const std::string& n, const Variant& v) override { props[n] = v; }
    Variant customProperty(const std::string&) const override { unsupported(); }
    void setCustomProperty(const std::string&, const Variant&) override { unsupported(); }
    bool close(bool) override { unsupported(); }
    bool saved() const override { unsupported(); }
    void setSaved(bool) override { unsupported(); }
    bool saveAs(const std::string&, int) override { unsupported(); }
    bool save() override { unsupported(); }
    long worksheetCount() const override { unsupported(); }
    WorksheetPtr worksheet(long) const override { unsupported(); }
    WorksheetPtr worksheet(const std::string&) const override { unsupported(); }
    WorksheetPtr findWorksheet(const std::string&) const override { unsupported(); }
    WorksheetPtr addWorksheet(const WorksheetPtr&) override { unsupported(); }
    void deleteWorksheet(const WorksheetPtr&) override { unsupported(); }
    WorksheetPtr activeSheet() const override { unsupported(); }
    void protectStructure(const std::string&) override { unsupported(); }
    void unprotectStructure(const std::string&) override { unsupported(); }
    bool structureProtected() const override { unsupported(); }
    void addName(const std::string&, const std::string&, bool) override { unsupported(); }
    std::vector<WorkbookName> names() const override { unsupported(); }
    void deleteName(const std::string&) override { unsupported(); }
    RangePtr nameRange(const std::string&) const override { unsupported(); }
    long paletteColor(int) const override { unsupported(); }
    void setPaletteColor(int, long) override { unsupported(); }
};

// The host application as far as the checks, hot keys and the state guard reach.
class FakeApplication : public IApplication {
  public:
    std::string mVersion = "12.0";
    std::map<std::string, std::string> keys;
    bool mScreenUpdating = true, mEvents = true, mAlerts = true;
    std::string mStatusBar;
    int mCursor = xl::CursorDefault;

    std::string name() const override { return "Microsoft Excel"; }
    std::string version() const override { return mVersion; }
    Variant international(int) const override { unsupported(); }
    long workbookCount() const override { unsupported(); }
    WorkbookPtr workbook(long) const override { unsupported(); }
    WorkbookPtr findWorkbook(const std::string&) const override { unsupported(); }
    WorkbookPtr addWorkbook() override { unsupported(); }
    WorkbookPtr openWorkbook(const std::string&) override { unsupported(); }
    WorkbookPtr activeWorkbook() const override { unsupported(); }
    WorksheetPtr activeSheet() const override { unsupported(); }
    RangePtr selection() const override { unsupported(); }
    RangePtr activeCell() const override { unsupported(); }
    RangePtr intersect(const RangePtr&, const RangePtr&) const override { unsupported(); }
    std::string statusBar() const override { return mStatusBar; }
    void setStatusBar(const std::string& text) override { mStatusBar = text; }
    int cursor() const override { return mCursor; }
    void setCursor(int c) override { mCursor = c; }
    bool screenUpdating() const override { return mScreenUpdating; }
    void setScreenUpdating(bool b) override { mScreenUpdating = b; }
    bool enableEvents() const override { return mEvents; }
    void setEnableEvents(bool b) override { mEvents = b; }
    bool displayAlerts() const override { return mAlerts; }
    void setDisplayAlerts(bool b) override { mAlerts = b; }
    int calculation() const override { unsupported(); }
    void setCalculation(int) override { unsupported(); }
    bool ready() const override { unsupported(); }
    void doEvents() override { unsupported(); }
    bool moveAfterReturn() const override { unsupported(); }
    void setMoveAfterReturn(bool) override { unsupported(); }
    int moveAfterReturnDirection() const override { unsupported(); }
    void setMoveAfterReturnDirection(int) override { unsupported(); }
    bool ribbonAvailable() const override { unsupported(); }
    void onKey(const std::string& key, const std::string& procedure) override { keys[key] = procedure; }
    void resetKey(const std::string& key) override { keys.erase(key); }
    std::string keyBinding(const std::string& key) const override {
        auto it = keys.find(key);
        return it == keys.end() ? std::string() : it->second;
    }
    void registerMacro(const WorkbookPtr&, const std::string&, Macro) override { unsupported(); }
    bool hasMacro(const std::string&) const override { unsupported(); }
    Variant run(const std::string&, const std::vector<Variant>&) override { unsupported(); }
    void onTime(const std::string&) override { unsupported(); }
    Variant inputBox(const std::string&, const std::string&, const Variant&, int) override { unsupported(); }
    Variant getSaveAsFilename(const std::string&, const std::string&, const std::string&) override {
        unsupported();
    }
    bool dialogEditColor(int, long) override { unsupported(); }
    long long hwnd() const override { unsupported(); }
    std::shared_ptr<ICommandBars> commandBars() override { unsupported(); }
    void addEventListener(IApplicationEvents*) override { unsupported(); }
    void removeEventListener(IApplicationEvents*) override { unsupported(); }
};

} // namespace qv::test
