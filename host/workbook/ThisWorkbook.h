// The workbook module: the workbook's events, the start-up that creates the entry object, and
// the routines the library binds to F6-F9 ("ThisWorkbook.AddRow" and so on).
#pragma once

#include "host/workbook/Ribbon.h"
#include "host/workbook/WorkbookGlobals.h"
#include "host/workbook/clsExcel.h"

#include <memory>
#include <string>
#include <vector>

namespace qv::xlam {

class ThisWorkbook {
  public:
    ThisWorkbook(WorkbookGlobals& globals, Ribbon& ribbon) : g(globals), mRibbon(ribbon) {}

    void registerMacros(IApplication& app, const WorkbookPtr& owner, const std::shared_ptr<void>& keepAlive);

    void Workbook_Open() { Initialize(); }
    void Workbook_AddinUninstall();
    void ShowFirstMessage();
    // The hot keys: no trap of their own, as the host reports a failing key macro itself.
    void AddRow();
    void WriteData();
    void DeleteRows();
    void Refresh();

    // The menu edition's commands: the menu and toolbar controls run these by name. A list
    // item's position in its popup is the index the entry object expects, as in the ribbon's
    // drop-downs (where item 0 is "[Choose]").
    void MenuCommand(const std::string& name);
    void MenuListItem(const std::string& name, const std::vector<Variant>& args);

    // Creates the entry object (registering a present but unregistered library once) and
    // hands it this workbook; any failure is told to the person and leaves goQuorvel empty.
    void Initialize();

  private:
    IAddinEntry& quorvel();
    void createQuorvel(int revision);
    void report(const std::string& text);

    WorkbookGlobals& g;
    Ribbon& mRibbon;
    std::unique_ptr<clsExcel> mExcel;
};

} // namespace qv::xlam
