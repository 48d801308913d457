// The spreadsheet application: workbooks, the active objects, global switches, key bindings,
// the typed prompts and the command bars. One per process.
#pragma once

#include "platform/Variant.h"
#include "platform/host/HostConstants.h"
#include "platform/host/IAddIns.h"
#include "platform/host/IApplicationEvents.h"
#include "platform/host/ICommandBars.h"
#include "platform/host/IRibbonUI.h"
#include "platform/host/IWorkbook.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace qv {

// A macro of a workbook's code modules ("ThisWorkbook.Refresh"), as the host runs it from a key,
// a command-bar control, a ribbon callback or a timer.
using Macro = std::function<Variant(const std::vector<Variant>& args)>;

class IApplication {
  public:
    virtual ~IApplication() = default;

    virtual std::string name() const = 0;
    virtual std::string version() const = 0;            // "12.0"
    virtual Variant international(int index) const = 0; // index 1: the country code (31 Dutch)

    // --- workbooks
    virtual long workbookCount() const = 0;
    virtual WorkbookPtr workbook(long index) const = 0;                  // 1-based
    virtual WorkbookPtr findWorkbook(const std::string& name) const = 0; // by name, case-insensitive
    virtual WorkbookPtr addWorkbook() = 0;                               // one sheet, active
    virtual WorkbookPtr openWorkbook(const std::string& path) = 0;       // error 1004 when it cannot
    // Another running host holds this workbook file open (its owner lock is live).
    virtual bool workbookFileInUse(const std::string& path) const {
        (void)path;
        return false;
    }

    // --- active objects
    virtual WorkbookPtr activeWorkbook() const = 0;
    virtual WorksheetPtr activeSheet() const = 0;
    virtual RangePtr selection() const = 0;
    virtual RangePtr activeCell() const = 0;
    virtual RangePtr intersect(const RangePtr& a, const RangePtr& b) const = 0; // null when disjoint

    // --- switches; each caller that changes one switches it back
    virtual std::string statusBar() const = 0;
    virtual void setStatusBar(const std::string& text) = 0; // empty restores the host's own text
    virtual bool screenUpdating() const = 0;
    virtual void setScreenUpdating(bool) = 0;
    virtual bool enableEvents() const = 0;
    virtual void setEnableEvents(bool) = 0;
    virtual bool displayAlerts() const = 0;
    virtual void setDisplayAlerts(bool) = 0;
    // The mouse pointer (xl::CursorDefault, xl::CursorWait, ...). A host without a pointer of its
    // own, such as a script runner, keeps the default and ignores the setting.
    virtual int cursor() const { return xl::CursorDefault; }
    virtual void setCursor(int) {}
    virtual int calculation() const = 0;
    virtual void setCalculation(int mode) = 0;
    virtual bool ready() const = 0; // ready for input (not in cell edit mode)
    virtual void doEvents() = 0;
    virtual bool moveAfterReturn() const = 0;
    virtual void setMoveAfterReturn(bool) = 0;
    virtual int moveAfterReturnDirection() const = 0;
    virtual void setMoveAfterReturnDirection(int direction) = 0;
    virtual bool ribbonAvailable() const = 0; // a ribbon host (version 12 and later)

    // --- key bindings: "{F6}".."{F9}" to a macro name; an empty name makes the key do nothing;
    // without a procedure at all the host's own meaning of the key is restored.
    virtual void onKey(const std::string& key, const std::string& procedure) = 0;
    virtual void resetKey(const std::string& key) = 0;
    virtual std::string keyBinding(const std::string& key) const = 0;
    // The code modules of a workbook register their macros; closing the workbook drops them.
    virtual void registerMacro(const WorkbookPtr& owner, const std::string& name, Macro macro) = 0;
    virtual bool hasMacro(const std::string& name) const = 0;
    // Runs a macro of an open workbook by name ("ThisWorkbook.Refresh"); error 1004 when unknown.
    virtual Variant run(const std::string& macro, const std::vector<Variant>& args = {}) = 0;
    // Schedules a macro to run once the current call has returned (OnTime Now).
    virtual void onTime(const std::string& macro) = 0;

    // --- prompts; they go to the dialog services the host was given
    // Type 1 number, 2 text, 4 logical (sums allowed). Answers false (a Boolean) on cancel.
    virtual Variant inputBox(const std::string& prompt, const std::string& title, const Variant& defaultValue,
                             int type) = 0;
    // Answers the chosen path, or false on cancel.
    virtual Variant getSaveAsFilename(const std::string& initialName, const std::string& fileFilter,
                                      const std::string& title) = 0;
    // The colour dialog on a palette entry of the active workbook; true when the person chose one.
    virtual bool dialogEditColor(int paletteIndex, long initialOleColor) = 0;
    virtual long long hwnd() const = 0;

    virtual std::shared_ptr<ICommandBars> commandBars() = 0;

    // --- events
    virtual void addEventListener(IApplicationEvents* listener) = 0;
    virtual void removeEventListener(IApplicationEvents* listener) = 0;

    // --- ribbon (last, so that libraries built before it keep their slots)
    // The ribbon behind the handle its onLoad callback received; null when it is gone. Code in
    // another shared object (the workbook's modules) holds a handle table of its own, empty, so
    // it asks the host, whose object answers from the table the ribbon was entered in.
    virtual RibbonUIPtr ribbonUI(const Variant& handle) const { return RibbonUIHandles::find(handle); }

    // --- add-ins (after the ribbon, for the same reason); null on a host that keeps no list
    virtual AddInsPtr addIns() { return nullptr; }
};

using ApplicationPtr = std::shared_ptr<IApplication>;

} // namespace qv
