// The in-process spreadsheet application: open workbooks, the active objects, the global
// switches, key bindings, macros and timers, the typed prompts (through IDialogs; none given
// means every prompt is cancelled) and the listeners of its events. One thread; events are
// raised only while enableEvents is on.
#pragma once

#include "platform/IDialogs.h"
#include "platform/IRegistryStore.h"
#include "platform/host/IApplication.h"
#include "spreadsheet/formats/NumberFormatter.h"

#include <deque>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace qv::sheet {

class AddIns;
class CommandBarSet;
class Workbook;
class Worksheet;

struct ApplicationOptions {
    std::string name = "Quorvel Sheets";
    std::string version = "12.0";
    Locale locale = Locale::English;
    IDialogs* dialogs = nullptr;
    int sheetsInNewWorkbook = 1;
    std::string userName = "User";
    // Where the person's add-in list is kept; none: the list lasts for this run only.
    IRegistryStore* registry = nullptr;
};

class Application : public IApplication, public std::enable_shared_from_this<Application> {
  public:
    static std::shared_ptr<Application> create(ApplicationOptions options = {});
    explicit Application(ApplicationOptions options);
    ~Application() override;

    std::string name() const override { return mOptions.name; }
    std::string version() const override { return mOptions.version; }
    Variant international(int index) const override;

    long workbookCount() const override { return static_cast<long>(mBooks.size()); }
    WorkbookPtr workbook(long index) const override;
    WorkbookPtr findWorkbook(const std::string& name) const override;
    bool workbookFileInUse(const std::string& path) const override;
    WorkbookPtr addWorkbook() override;
    WorkbookPtr openWorkbook(const std::string& path) override;

    WorkbookPtr activeWorkbook() const override;
    WorksheetPtr activeSheet() const override;
    RangePtr selection() const override;
    RangePtr activeCell() const override;
    RangePtr intersect(const RangePtr& a, const RangePtr& b) const override;

    std::string statusBar() const override { return mStatusBar; }
    void setStatusBar(const std::string& text) override { mStatusBar = text; }
    bool screenUpdating() const override { return mScreenUpdating; }
    void setScreenUpdating(bool on) override { mScreenUpdating = on; }
    int cursor() const override { return mCursor; }
    void setCursor(int c) override { mCursor = c; }
    bool enableEvents() const override { return mEnableEvents; }
    void setEnableEvents(bool on) override { mEnableEvents = on; }
    bool displayAlerts() const override { return mDisplayAlerts; }
    void setDisplayAlerts(bool on) override { mDisplayAlerts = on; }
    int calculation() const override { return mCalculation; }
    void setCalculation(int mode) override;
    bool ready() const override { return mReady; }
    void doEvents() override;
    bool moveAfterReturn() const override { return mMoveAfterReturn; }
    void setMoveAfterReturn(bool on) override { mMoveAfterReturn = on; }
    int moveAfterReturnDirection() const override { return mMoveDirection; }
    void setMoveAfterReturnDirection(int direction) override;
    bool ribbonAvailable() const override;

    void onKey(const std::string& key, const std::string& procedure) override;
    void resetKey(const std::string& key) override;
    std::string keyBinding(const std::string& key) const override;
    void registerMacro(const WorkbookPtr& owner, const std::string& name, Macro macro) override;
    bool hasMacro(const std::string& name) const override;
    Variant run(const std::string& macro, const std::vector<Variant>& args = {}) override;
    void onTime(const std::string& macro) override { mTimers.push_back(macro); }

    Variant inputBox(const std::string& prompt, const std::string& title, const Variant& defaultValue,
                     int type) override;
    Variant getSaveAsFilename(const std::string& initialName, const std::string& fileFilter,
                              const std::string& title) override;
    bool dialogEditColor(int paletteIndex, long initialOleColor) override;
    long long hwnd() const override { return reinterpret_cast<long long>(this); }

    std::shared_ptr<ICommandBars> commandBars() override;

    void addEventListener(IApplicationEvents* listener) override;
    void removeEventListener(IApplicationEvents* listener) override;

    AddInsPtr addIns() override;

    // --- host side
    // Runs the macros queued by onTime, including ones they queue in turn; answers how many ran.
    // A failing macro propagates its error; the ones after it stay queued.
    int runPendingTimers();
    // The person presses a key: runs its bound macro; answers false when the host's own meaning
    // applies (no binding).
    bool pressKey(const std::string& key);
    void setCountryCode(int code) { mCountryCode = code; }
    void setReady(bool ready) { mReady = ready; }
    Locale locale() const { return mOptions.locale; }
    IDialogs* dialogs() const { return mOptions.dialogs; }
    const ApplicationOptions& options() const { return mOptions; }
    std::shared_ptr<CommandBarSet> commandBarSet() { return mCommandBars; }
    // The add-in list, read from the registry store when first asked for.
    AddIns& addInList();

    // Called by the model.
    void setActiveWorkbook(const std::shared_ptr<Workbook>& book, bool raise);
    void workbookClosed(Workbook* book);
    std::string nextBookName() { return "Book" + std::to_string(++mBookCounter); }
    void raiseSheetChange(const WorksheetPtr& sheet, const RangePtr& target);
    void raiseSheetActivate(const WorksheetPtr& sheet);
    void raiseSelectionChange(const WorksheetPtr& sheet, const RangePtr& target);
    bool raiseBeforeSave(const WorkbookPtr& book, bool saveAsUI); // true when cancelled
    bool raiseBeforeClose(const WorkbookPtr& book);               // true when cancelled
    // Yes/No-style question through the dialogs; false without dialogs.
    int ask(const std::string& text, int flags, const std::string& title);

  private:
    template <class F> void raise(F&& f);
    ApplicationOptions mOptions;
    int mCountryCode;
    std::vector<std::shared_ptr<Workbook>> mBooks;
    std::weak_ptr<Workbook> mActive;
    std::string mStatusBar;
    int mCursor = xl::CursorDefault;
    bool mScreenUpdating = true, mEnableEvents = true, mDisplayAlerts = true, mReady = true;
    int mCalculation = -4105;
    bool mMoveAfterReturn = true;
    int mMoveDirection = -4121;
    std::map<std::string, std::string> mKeys; // upper-case key -> procedure
    struct MacroEntry {
        std::weak_ptr<IWorkbook> owner;
        std::string name;
        Macro macro;
    };
    std::map<std::string, MacroEntry> mMacros; // lower-case name
    std::deque<std::string> mTimers;
    std::vector<IApplicationEvents*> mListeners;
    std::shared_ptr<CommandBarSet> mCommandBars;
    int mBookCounter = 0;
    std::shared_ptr<AddIns> mAddIns;
};

} // namespace qv::sheet
